#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "generated_log.h"
#include "log/log_track.h"
#include "run_command.h"
#include "session/log_document.h"
#include "temp_dir.h"

namespace kest {
namespace {

using testing::AddCurve;
using testing::GeneratedFormation;

// Logs written as LS files for kest-tool: a reference 1000..1200 m and a run of the
// same formation 1.3 m off depth, both at 10 cm with DEPTH, GK and NK; a flat GK, a
// time log and a log far below.
class AnalysisCommands : public ::testing::Test {
 protected:
  AnalysisCommands() {
    GeneratedFormation formation(17);
    std::mt19937 rng(2);
    std::normal_distribution<double> noise(0, 0.2);
    auto write = [&](const char* name, double error, int32_t origin, int32_t rows,
                     const std::function<double(double)>& gk) {
      LogDocument d;
      AddCurve(d.Sheet(), "DEPTH", origin, 100, rows, [](double z) { return z; });
      AddCurve(d.Sheet(), "GK", origin, 100, rows, gk);
      AddCurve(d.Sheet(), "NK", origin, 100, rows,
               [&](double z) { return 2 * formation(z - error) + noise(rng); });
      d.SaveAs(dir.File(name), {});
    };
    write("ref.ls", 0, 1000000, 2001, [&](double z) { return formation(z) + noise(rng); });
    write("log.ls", 1.3, 995000, 2101, [&](double z) { return formation(z - 1.3) + noise(rng); });
    write("flat.ls", 0, 1000000, 2001, [](double) { return 5.0; });
    write("far.ls", 0, 3000000, 100, [&](double z) { return formation(z); });
    GeneratedFormation other(99);
    write("other.ls", 0, 1000000, 2001, [&](double z) { return other(z); });
    LogDocument t;
    t.Sheet().SetArgument(laTime);
    AddCurve(t.Sheet(), "GK", 0, 1000, 500, [](double z) { return z; });
    t.Sheet().SetArgument(laTime);
    for (int i = 0; i < t.Sheet().Count(); ++i) t.Sheet().Tracks(i)->SetArgument(laTime);
    t.SaveAs(dir.File("time.ls"), {});
  }
  testing::CommandResult Tool(const std::string& args) {
    return testing::RunCommand(std::string(KEST_TOOL_PATH) + " " + args, true);
  }
  std::string F(const std::string& name) { return dir.File(name); }
  testing::TempDir dir;
};

TEST_F(AnalysisCommands, MatchSpliceCompareResampleAndFilterFilesAsTheEditorDoes) {
  auto r =
      Tool("depth-match " + F("ref.ls") + " " + F("log.ls") + " --curve GK --out " + F("moved.ls"));
  ASSERT_EQ(r.code, 0) << r.out;
  double shift = 0, correlation = 0;
  ASSERT_EQ(std::sscanf(r.out.c_str(), "shift %lf correlation %lf", &shift, &correlation), 2)
      << r.out;
  EXPECT_NEAR(shift, 1.3, 0.03);
  EXPECT_GT(correlation, 0.9);
  // The moved log lies on the reference: every track moved, matched again it is 0.
  LogDocument moved;
  moved.Open(F("moved.ls"), {});
  for (int i = 0; i < moved.Sheet().Count(); ++i)
    EXPECT_EQ(moved.Sheet().Tracks(i)->Origin(), 995000 - std::lround(shift * 1000))
        << moved.Sheet().Tracks(i)->Parameter();
  r = Tool("depth-match " + F("ref.ls") + " " + F("moved.ls") + " --curve NK --ref-curve NK");
  ASSERT_EQ(r.code, 0) << r.out;
  ASSERT_EQ(std::sscanf(r.out.c_str(), "shift %lf", &shift), 1);
  EXPECT_NEAR(shift, 0, 0.03);

  // One line per window: top, bottom, shift, correlation.
  r = Tool("depth-match " + F("ref.ls") + " " + F("log.ls") + " --curve GK --window 50");
  ASSERT_EQ(r.code, 0) << r.out;
  std::istringstream lines(r.out);
  double top, bottom, s, c;
  int windows = 0;
  while (lines >> top >> bottom >> s >> c) {
    EXPECT_NEAR(top, 1000 + 50 * windows, 1e-9);
    EXPECT_NEAR(s, 1.3, 0.05);
    ++windows;
  }
  EXPECT_EQ(windows, 4) << r.out;

  r = Tool("splice " + F("ref.ls") + " " + F("moved.ls") + " --at 1100 " + F("joined.ls"));
  ASSERT_EQ(r.code, 0) << r.out;
  LogDocument joined, ref, log;
  joined.Open(F("joined.ls"), {});
  ref.Open(F("ref.ls"), {});
  log.Open(F("moved.ls"), {});
  const TLogTrack& j = *joined.Sheet().FindTrack("GK");
  const TLogTrack& a = *ref.Sheet().FindTrack("GK");
  for (int32_t i = 0; i < j.Count(); ++i) {
    const int32_t x = j.ArgumentOf(i);
    if (x < 1100000) {
      ASSERT_EQ(j.Sample(i), a.Sample((x - a.Origin()) / 100)) << x;
    }
  }
  EXPECT_EQ(joined.Sheet().Comments()[joined.Sheet().Comments().Count() - 1], "Сшивка: 1100.00 м");
  // The composite prints and exports like any log: the depths of its pages, and its
  // splice in the LAS file's comments.
  r = Tool("render " + F("joined.ls") + " --out " + F("joined.pdf") + " --scale 1000");
  ASSERT_EQ(r.code, 0) << r.out;
  auto text = testing::RunCommand("pdftotext '" + F("joined.pdf") + "' -", false);
  EXPECT_NE(text.out.find("1100"), std::string::npos) << text.out;
  r = Tool("convert " + F("joined.ls") + " " + F("joined.las") + " --las-step 10");
  ASSERT_EQ(r.code, 0) << r.out;
  text = testing::RunCommand("iconv -f CP866 -t UTF-8 '" + F("joined.las") + "'", false);
  EXPECT_NE(text.out.find("Сшивка: 1100.00 м\r\n"), std::string::npos) << text.out;

  r = Tool("repeat-qc " + F("ref.ls") + " " + F("moved.ls") + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out.rfind("{\"curves\":[{\"curve\":\"GK\",", 0), 0u) << r.out;

  r = Tool("resample " + F("ref.ls") + " " + F("ref20.ls") + " --step 20 --method peak");
  ASSERT_EQ(r.code, 0) << r.out;
  LogDocument r20;
  r20.Open(F("ref20.ls"), {});
  EXPECT_EQ(r20.Sheet().FindTrack("GK")->Step(), 200);

  r = Tool("filter " + F("ref.ls") + " " + F("smooth.ls") + " --curve GK --median 50");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out, "created: GK_MEDIAN\n");
  LogDocument smooth;
  smooth.Open(F("smooth.ls"), {});
  EXPECT_NE(smooth.Sheet().FindTrack("GK_MEDIAN"), nullptr);
}

// Every refusal names what is wrong, exits non-zero and leaves nothing under OUT.
TEST_F(AnalysisCommands, BadInputIsNamedAndNothingIsWritten) {
  const std::string ref = F("ref.ls"), log = F("log.ls"), out = F("out.ls");
  const struct {
    std::string args;
    const char* message;
  } cases[] = {
      {"depth-match " + ref + " " + F("time.ls") + " --curve GK --out " + out,
       "Логи разных аргументов: DEPTH и TIME"},
      {"depth-match " + ref + " " + F("far.ls") + " --curve GK --out " + out,
       "Нет общего интервала"},
      {"depth-match " + ref + " " + log + " --curve CALI --out " + out,
       "Кривая \"CALI\" не найдена в логе"},
      {"depth-match " + ref + " " + log + " --curve GK --window 500",
       "Окно 500.00 длиннее общего интервала 200.00"},
      {"depth-match " + ref + " " + F("flat.ls") + " --curve GK --out " + out,
       "Кривая \"GK\" постоянна: корреляция не определена"},
      {"depth-match " + ref + " " + log + " --curve GK --max-shift 0", "--max-shift"},
      {"depth-match " + ref + " " + log + " --curve GK --window 50 --out " + out, "--window"},
      {"depth-match " + ref + " " + F("missing.ls") + " --curve GK --out " + out, "missing.ls"},
      {"splice " + ref + " " + log + " --at 1250 " + out, "Глубина сшивки 1250.00 вне лога 1"},
      {"splice " + ref + " " + log + " --at 1100,1150 " + out, "--at"},
      {"splice " + ref + " " + F("time.ls") + " --at 1100 " + out, "Логи разных аргументов"},
      {"splice " + ref + " " + log + " --at x " + out, "--at"},
      {"repeat-qc " + ref + " " + F("far.ls"), "Нет общего интервала"},
      {"repeat-qc " + ref + " " + F("time.ls"), "Логи разных аргументов"},
      {"resample " + ref + " " + out + " --step 0", "--step"},
      {"resample " + ref + " " + out + " --step 10 --method cubic", "--method"},
      {"filter " + ref + " " + out + " --curve CALI --mean 50", "Кривая \"CALI\" не найдена"},
      {"filter " + ref + " " + out + " --curve GK --mean 5", "меньше шага"},
      {"filter " + ref + " " + out + " --curve GK --median 1e7",
       "Длина фильтра 100000.00 больше длины кривой 200.00"},
      {"filter " + ref + " " + out + " --curve GK --mean 50 --median 50", "--mean"},
      {"record --depth-error 5000 --root " + F("root"), "--depth-error takes metres"},
      {"sim --pty --depth-stretch 50", "--depth-stretch takes metres per 100 m"},
  };
  for (const auto& c : cases) {
    auto r = Tool(c.args);
    EXPECT_NE(r.code, 0) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
    EXPECT_FALSE(std::ifstream(out).good()) << c.args;
  }
  // A shift too weak to trust is shown and not applied.
  auto r = Tool("depth-match " + ref + " " + F("other.ls") + " --curve GK --out " + out);
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.out.find(" not found\n"), std::string::npos) << r.out;
  EXPECT_FALSE(std::ifstream(out).good());
}

}  // namespace
}  // namespace kest
