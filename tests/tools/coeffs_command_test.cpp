#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "run_command.h"
#include "temp_dir.h"

namespace kest {
namespace {

testing::CommandResult Coeffs(const std::string& args) {
  return testing::RunCommand(std::string(KEST_TOOL_PATH) + " coeffs " + args, true);
}

// Five calibration temperatures of a sensor whose pressure reading is linear:
// raw = 1000 + 10 T + 800 P, so P = (100 x - 1000 - 10 T) / 800 exactly.
std::string LinearTable() {
  std::ostringstream out;
  out << "# reference T, T reading, 7 pressure readings, 7 compensation readings\n\n";
  for (int t : {20, 40, 60, 80, 100}) {
    out << t << "\t" << 500 * t;
    for (int p = 0; p <= 60; p += 10) out << "\t" << 1000 + 10 * t + 800 * p;
    for (int p = 0; p <= 60; p += 10) out << "\t" << 20000 + 100 * t + 3 * p;
    out << "\n";
  }
  return out.str();
}

TEST(CoeffsCommand, ComputeShowAndUploadOnTheSimulator) {
  testing::TempDir dir;
  std::ofstream(dir.File("m.tsv")) << LinearTable();
  auto r = Coeffs("compute " + dir.File("m.tsv") + " " + dir.File("a.cfs") + " --units MPa");
  ASSERT_EQ(r.code, 0) << r.out;

  r = Coeffs("show " + dir.File("a.cfs") + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string& json = r.out;
  EXPECT_EQ(json.find("{\"date\":\"2"), 0u) << json;
  EXPECT_NE(json.find("\"reference\":[0,10,20,30,40,50,60]"), std::string::npos) << json;
  EXPECT_NE(json.find("\"gains\":[144,176,144,48,16]"), std::string::npos);
  EXPECT_NE(json.find("\"dividers\":[1000,500,500,1,1]"), std::string::npos);
  // F[1][0], the coefficient of x: 100 / 800.
  auto full = json.find("\"full\":[[");
  ASSERT_NE(full, std::string::npos);
  auto row1 = json.find("],[", full) + 3;
  EXPECT_NEAR(std::stod(json.substr(row1)), 0.125, 1e-9) << json.substr(full, 400);
  EXPECT_NE(json.find("\"temperature\":[0,0.002"), std::string::npos) << json;

  r = Coeffs("show " + dir.File("a.cfs"));
  EXPECT_NE(r.out.find("Метрология от "), std::string::npos) << r.out;

  r = Coeffs("upload " + dir.File("a.cfs") + " --root " + dir.Path().string());
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("коэффициенты переданы в прибор"), std::string::npos) << r.out;
}

TEST(CoeffsCommand, BadInputIsRefusedWithItsMessage) {
  testing::TempDir dir;
  std::ofstream(dir.File("short.tsv")) << "20\t1\t2\n";
  auto r = Coeffs("compute " + dir.File("short.tsv") + " " + dir.File("a.cfs"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("строка 1: нужно 16 чисел"), std::string::npos) << r.out;

  // Two equal reference temperatures: the pressure error, no file written.
  std::string table = LinearTable();
  table.replace(table.find("\n40\t"), 4, "\n20\t");
  std::ofstream(dir.File("equal.tsv")) << table;
  r = Coeffs("compute " + dir.File("equal.tsv") + " " + dir.File("b.cfs"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Ошибка при рассчёте коэффициентов давления."), std::string::npos) << r.out;
  EXPECT_FALSE(std::ifstream(dir.File("b.cfs")).good());

  std::ofstream(dir.File("bad.cfs")) << "QMRCoeffs";
  r = Coeffs("show " + dir.File("bad.cfs"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Неверный формат файла"), std::string::npos) << r.out;
  r = Coeffs("compute " + dir.File("short.tsv") + " " + dir.File("a.cfs") + " --units psi");
  EXPECT_NE(r.code, 0);
}

}  // namespace
}  // namespace kest
