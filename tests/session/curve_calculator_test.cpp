// The curve calculator: formulas over a sheet's tracks by mnemonic, checked against a
// computation of the same formulas written out by hand; failures that leave the
// sheet as it was; formula files in either code page; kest-tool calc.
#include "session/curve_calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

#include "log/las_units.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "run_command.h"
#include "session/log_document.h"
#include "support/code_page.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

constexpr float kNull = std::numeric_limits<float>::quiet_NaN();

class CurveCalculator : public ::testing::Test {
 protected:
  CurveCalculator() {
    auto& p = tables_.Parameters();
    p.Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "м", "Глуб.");
    p.Add("GK", "Гамма-каротаж", 0, "0.00", "GK", "мкР/ч", "ГК");
    p.Add("NGK", "Нейтронный ГК", 0, "0.00", "NGK", "у.е.", "НГК");
    p.Add("PS", "Потенциал", 0, "0.00", "PS", "мВ", "ПС");
    p.Add("RES", "Результат", 0, "0.00", "RES", "у.е.", "Рез");
  }

  TLogTrack* Track(const char* name, int32_t origin, std::vector<float> values,
                   int32_t step = 100) {
    TLogTrack* t = sheet_.NewTrack(name);
    t->SetStep(step);
    t->SetOrigin(origin);
    for (float v : values) t->Append(v);
    sheet_.UpdateRange();
    return t;
  }

  std::vector<float> Samples(const char* name) const {
    const TLogTrack* t = sheet_.FindTrack(name);
    return std::vector<float>(t->Samples(), t->Samples() + t->Count());
  }

  CalcResult Run(std::string_view text) {
    return CalculateTracks(sheet_, text, tables_.Parameters(), names_);
  }

  std::string ErrorOf(std::string_view text) {
    try {
      Run(text);
    } catch (const ECurveCalcError& e) {
      return e.what();
    }
    return "no error";
  }

  TLogParameterTables tables_;
  TLogSheet sheet_;
  CalcNameList names_;
};

bool SameFloats(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
  return true;
}

TEST_F(CurveCalculator, SheetWithoutRangeIsRefusedAndUnchanged) {
  Track("GK", 1000, {5});
  ASSERT_FALSE(sheet_.HasRange());
  EXPECT_EQ(ErrorOf("GK := GK * 2"), kSheetHasNoData);
  EXPECT_EQ(Samples("GK"), std::vector<float>{5});
}

TEST_F(CurveCalculator, AssignsOneTrackAndLeavesTheOthers) {
  Track("GK", 1000, {1, 2, 3});
  Track("NGK", 1000, {7, 8, 9});
  CalcResult r = Run("GK := GK * 2");
  EXPECT_EQ(r.Rows, 3);
  EXPECT_EQ(Samples("GK"), (std::vector<float>{2, 4, 6}));
  EXPECT_EQ(Samples("NGK"), (std::vector<float>{7, 8, 9}));
  // NGK holds GK: both are bound, GK comes back unchanged.
  Run("NGK := NGK + 1");
  EXPECT_EQ(r.Inputs, (std::vector<std::string>{"GK"}));
  EXPECT_EQ(Samples("GK"), (std::vector<float>{2, 4, 6}));
  EXPECT_EQ(Samples("NGK"), (std::vector<float>{8, 9, 10}));
  EXPECT_EQ(names_.Count(), 2);
  EXPECT_EQ(names_[1].Caption, "Нейтронный ГК");
}

// The same formulas computed here in plain C++ over the same float samples.
TEST_F(CurveCalculator, MatchesAnIndependentComputation) {
  std::vector<float> gk, ngk, ps, res(400, 0.0f);
  for (int i = 0; i < 400; ++i) {
    gk.push_back(i % 7 == 3 ? kNull : 10.0f + static_cast<float>(i % 97));
    ngk.push_back(0.5f + static_cast<float>(i % 13) * 0.25f);
    ps.push_back(static_cast<float>(-(i % 5)) * 1.5f);
  }
  Track("GK", 5000, gk);
  Track("NGK", 5000, ngk);
  Track("PS", 5000, ps);
  Track("RES", 5000, res);
  const char* text =
      "// gamma above 50 is scaled\n"
      "k := 0.5\n"
      "RES := if(GK > 50, (GK - 50) * k + logn(2, NGK + 1), min(GK, PS) - max(NGK, 1))\n"
      "\n"
      "PS := max(PS, -3) + ln(NGK * NGK + 1)\n"
      "NGK := round(NGK * 10) / 10\n";
  Run(text);

  for (int i = 0; i < 400; ++i) {
    double g = gk[i], n = ngk[i], p = ps[i];
    auto max = [](double a, double b) { return a >= b ? a : b; };
    auto min = [](double a, double b) { return a <= b ? a : b; };
    double r = g > 50 ? (g - 50) * 0.5 + std::log(n + 1) / std::log(2.0) : min(g, p) - max(n, 1);
    p = max(p, -3) + std::log(n * n + 1);
    n = std::nearbyint(n * 10) / 10;
    // A formula that reads a null gives a null.
    res[i] = std::isnan(g) ? kDefaultNullValue : static_cast<float>(r);
    ps[i] = static_cast<float>(p);
    ngk[i] = static_cast<float>(n);
  }
  EXPECT_TRUE(SameFloats(Samples("RES"), res));
  EXPECT_TRUE(SameFloats(Samples("PS"), ps));
  EXPECT_TRUE(SameFloats(Samples("NGK"), ngk));
  EXPECT_TRUE(SameFloats(Samples("GK"), gk));  // read only: nulls stay nulls
}

// Names assigned anywhere are variables that live from line to line and row to row;
// nulls (NaN or the program's null value) in give nulls out; a second calculation
// starts afresh.
TEST_F(CurveCalculator, VariablesCarryBetweenRowsAndNullsGiveNulls) {
  constexpr int kRows = 300;
  std::vector<float> gk;
  for (int i = 0; i < kRows; ++i) {
    float v = static_cast<float>((i * 37) % 101) * 0.5f;
    if (i % 23 == 5) v = kNull;
    if (i % 31 == 7) v = kDefaultNullValue;
    gk.push_back(v);
  }
  Track("GK", 2000, gk);
  Track("PS", 2000, std::vector<float>(kRows, 1.0f));
  // The difference to the row before, read before the line that assigns it.
  const char* text = "d := GK - prev\nprev := GK\nPS := d\n";
  for (int run = 0; run < 2; ++run) {
    CalcResult r = Run(text);
    // The second time round nothing differs: the log is not changed.
    EXPECT_EQ(r.Changed, run == 0);
    EXPECT_TRUE(r.Notices.empty());
    EXPECT_TRUE(r.Created.empty());
    std::vector<float> ps = Samples("PS");
    ASSERT_EQ(ps.size(), static_cast<size_t>(kRows));
    for (int i = 0; i < kRows; ++i) {
      const bool null = i == 0 || IsNullSample(gk[i]) || IsNullSample(gk[i - 1]);
      const float expected = null ? kDefaultNullValue : gk[i] - gk[i - 1];
      ASSERT_EQ(ps[i], expected) << "run " << run << " row " << i;
    }
  }
  EXPECT_FALSE(Run("GK := GK").Changed);
  // The nulls of GK stay as they were, NaN or the null value.
  EXPECT_TRUE(SameFloats(Samples("GK"), gk));
  // A name neither assigned nor a track's still fails with its place.
  EXPECT_EQ(ErrorOf("PS := GK - prv\nprev := GK").rfind("Строка 1, позиция 12: нет кривой", 0), 0u);
}

// An assignment to a dictionary mnemonic the sheet lacks makes that track on the rows
// of the inputs; a variable nothing reads is noted; a failing run makes nothing.
TEST_F(CurveCalculator, AssignmentToADictionaryNameMakesTheTrack) {
  Track("GK", 1000, {1, 2, 3, 4, 5});
  Track("NGK", 1200, {10, 20, 30, 40}, 100);
  EXPECT_EQ(ErrorOf("RES := GK * 2\nNGK := 1 / (GK - 3)").rfind("Строка 2", 0), 0u);
  EXPECT_EQ(sheet_.FindTrack("RES"), nullptr);

  CalcResult r = Run("RES := GK * 2 + NGK\nk := 5\nu := 1\nNGK := NGK + u");
  EXPECT_EQ(r.Created, (std::vector<std::string>{"RES"}));
  EXPECT_EQ(r.Notices, (std::vector<std::string>{"K — не кривая листа: значения не сохранены"}));
  EXPECT_TRUE(r.Changed);
  const TLogTrack* res = sheet_.FindTrack("RES");
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->Origin(), 1200);
  EXPECT_EQ(res->Step(), 100);
  EXPECT_EQ(res->Argument(), sheet_.Argument());
  EXPECT_EQ(Samples("RES"), (std::vector<float>{16, 28, 40}));
  EXPECT_EQ(Samples("NGK"), (std::vector<float>{11, 21, 31, 40}));
  // The names list offers the new track.
  EXPECT_GE(names_.IndexOfCaption("Результат"), 0);
  // Now a track like any other: assigned again, it changes in place.
  r = Run("RES := RES + 1");
  EXPECT_TRUE(r.Created.empty());
  EXPECT_EQ(Samples("RES"), (std::vector<float>{17, 29, 41}));
  EXPECT_EQ(sheet_.TrackCountOf("RES"), 1);
}

// Only the formulas bind tracks: a mnemonic in a "//" line neither narrows the rows
// nor counts as an input.
TEST_F(CurveCalculator, AMnemonicInACommentBindsNothing) {
  Track("GK", 1000, {1, 2, 3, 4});
  Track("NGK", 1200, {7});
  CalcResult r = Run("// NGK is left alone\nGK := GK + 1");
  EXPECT_EQ(r.Inputs, (std::vector<std::string>{"GK"}));
  EXPECT_EQ(r.Rows, 4);
  EXPECT_EQ(Samples("GK"), (std::vector<float>{2, 3, 4, 5}));
}

TEST_F(CurveCalculator, RowsLieOnTheCommonRangeByArgument) {
  Track("GK", 1000, {1, 2, 3, 4});   // 1000..1300
  Track("NGK", 1200, {10, 20, 30});  // 1200..1400
  Run("NGK := NGK + GK\nx := DEPT\nGK := x * 1000");
  EXPECT_EQ(Samples("NGK"), (std::vector<float>{13, 24, 30}));
  EXPECT_EQ(Samples("GK"), (std::vector<float>{1, 2, 1200, 1300}));
}

TEST_F(CurveCalculator, FailuresNameLineAndPositionAndChangeNothing) {
  Track("GK", 1000, {1, 0, 3});
  Track("NGK", 1000, {7, 8, 9});
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      // a mnemonic the sheet has no track for
      {"GK := GK * 2\nNGK := PS + 1", "Строка 2, позиция 8: нет кривой с мнемоникой \"PS\""},
      // the argument
      {"  DEPT := 5", "Строка 1, позиция 3: аргумент листа \"DEPT\" изменять нельзя"},
      // a division by zero on the second row only; the first row's result is not kept
      {"NGK := NGK * 2\nGK := 1 / GK", "Строка 2, позиция 1: Деление на ноль"},
      // does not compile
      {"// note\nGK := foo(GK)", "Строка 2, позиция 7: foo is an unknown function"},
      {"GK := (GK", "Строка 1, позиция 1: Unequal brackets"},
  };
  for (const auto& c : cases) {
    std::string error = ErrorOf(c.text);
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.text << "\n" << error;
    EXPECT_EQ(Samples("GK"), (std::vector<float>{1, 0, 3})) << c.text;
    EXPECT_EQ(Samples("NGK"), (std::vector<float>{7, 8, 9})) << c.text;
  }
  EXPECT_NE(ErrorOf("NGK := NGK * 2\nGK := 1 / GK").find("(глубина 1.10 м)"), std::string::npos);
}

// A curve of an exchange file kept in its own unit has an entry of its own
// ("GK(MR/H)") under the same mnemonic: the formulas still reach it by GK.
TEST_F(CurveCalculator, AMnemonicReachesACurveKeptInTheFilesUnit) {
  std::vector<std::string> notices;
  const TLogParameter& own = CurveEntry(tables_.Parameters(), "GK", "MR/H", notices);
  ASSERT_NE(own.Name, "GK");
  Track(own.Name.c_str(), 1000, {1, 2, 3});
  Track("RES", 1000, {0, 0, 0});
  Run("RES := GK * 10");
  EXPECT_EQ(Samples("RES"), (std::vector<float>{10, 20, 30}));
  // With the table's own GK there too, GK is that one, as before.
  Track("GK", 1000, {5, 6, 7});
  Run("RES := GK * 10");
  EXPECT_EQ(Samples("RES"), (std::vector<float>{50, 60, 70}));
}

TEST_F(CurveCalculator, CancelledCalculationChangesNothing) {
  std::vector<float> values(200000, 1.0f);
  Track("GK", 0, values);
  int calls = 0;
  auto cancel = [&](int64_t, int64_t) { return ++calls < 2; };
  EXPECT_THROW_MSG(CalculateTracks(sheet_, "GK := 2", tables_.Parameters(), names_, cancel),
                   ECurveCalcCancelled, "Вычисление прервано.");
  EXPECT_EQ(sheet_.FindTrack("GK")->Sample(0), 1.0f);
  EXPECT_EQ(sheet_.LockDepth(), 0);
}

TEST_F(CurveCalculator, UndescribedParameterFailsWithItsName) {
  Track("XYZ", 0, {1, 2});
  EXPECT_THROW_MSG(Run("a := 1"), ELogParametersError, "Parameter \"XYZ\" not found");
  EXPECT_EQ(sheet_.LockDepth(), 0);
}

TEST(CalcFunctionChooser, HoldsTheFiftyOneEntriesInOrder) {
  const auto& e = CalcFunctionEntries();
  ASSERT_EQ(e.size(), 51u);
  EXPECT_STREQ(e[10].Inserted, "if(,,)");
  EXPECT_STREQ(e[10].Description, "if(x1,x2,x3) = Если x1=Истинно(или 1) то x2, иначе x3");
  EXPECT_STREQ(e[50].Inserted, ":=");
}

TEST(FormulaFile, ReadsEitherCodePageAndWritesUtf8) {
  testing::TempDir dir;
  std::string path = dir.File("f.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << Utf8ToCp1251("// пересчёт\r\nGK := GK * 2\r\n");
  }
  auto lines = LoadFormulaFile(path);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "// пересчёт");
  SaveFormulaFile(path, lines);
  EXPECT_EQ(LoadFormulaFile(path), lines);
}

// kest-tool calc against the same formula computed over the dumped input.
TEST(KestToolCalc, WritesTheRecomputedSheetInTheFormatOfOut) {
  testing::TempDir dir;
  // The installation's tables: GK is exchanged as GR, SP as SP.
  {
    LogDocument doc;
    TLogTrack* gk = doc.Sheet().NewTrack("GK");
    TLogTrack* ngk = doc.Sheet().NewTrack("SP");
    for (TLogTrack* t : {gk, ngk}) {
      t->SetStep(100);
      t->SetOrigin(100000);
    }
    for (int i = 0; i < 50; ++i) {
      gk->Append(static_cast<float>(i % 11));
      ngk->Append(i == 10 ? kNull : static_cast<float>(i) * 0.5f);
    }
    doc.Sheet().UpdateRange();
    doc.SaveAs(dir.File("in.ls"), {});
  }
  std::ofstream(dir.File("f.txt")) << "SP := if(GR > 5, SP * 2, min(GR, 3))\n";
  auto r =
      testing::RunCommand(std::string(KEST_TOOL_PATH) + " calc " + dir.File("in.ls") + " " +
                              dir.File("out.ls") + " -e 'GR := GR + 1' -f " + dir.File("f.txt"),
                          true);
  ASSERT_EQ(r.code, 0) << r.out;
  LogDocument in, out;
  in.Open(dir.File("in.ls"), {});
  out.Open(dir.File("out.ls"), {});
  const TLogTrack& gk0 = *in.Sheet().FindTrack("GK");
  const TLogTrack& ngk0 = *in.Sheet().FindTrack("SP");
  const TLogTrack& gk1 = *out.Sheet().FindTrack("GK");
  const TLogTrack& ngk1 = *out.Sheet().FindTrack("SP");
  ASSERT_EQ(gk1.Count(), 50);
  for (int i = 0; i < 50; ++i) {
    double g = gk0.Sample(i) + 1.0, n = ngk0.Sample(i);
    n = g > 5 ? n * 2 : std::min(g, 3.0);
    EXPECT_EQ(gk1.Sample(i), static_cast<float>(g)) << i;
    if (std::isnan(n))
      EXPECT_TRUE(std::isnan(ngk1.Sample(i))) << i;
    else
      EXPECT_EQ(ngk1.Sample(i), static_cast<float>(n)) << i;
  }
  r = testing::RunCommand(std::string(KEST_TOOL_PATH) + " calc " + dir.File("in.ls") + " " +
                              dir.File("bad.ls") + " -e 'GR := 1 / (GR - GR)'",
                          true);
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.out.find("Деление на ноль"), std::string::npos) << r.out;
  EXPECT_FALSE(std::ifstream(dir.File("bad.ls")).good());
}

// kest-tool calc with a variable between rows and with a curve the dictionary has but
// the log lacks (GR2 added to an installation's dictionary).
TEST(KestToolCalc, DifferenceBetweenRowsAndANewCurve) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("root/Data"));
  {
    std::string params = test::Slurp(test::DataRoot() + "/Data/log params");
    const size_t close = params.rfind(')');
    ASSERT_NE(close, std::string::npos);
    params.insert(close,
                  " (GK2 \"Гамма-каротаж удвоенный\" \"ГК2\" \"мкР/ч\" \"GR2\" \"0.00\" 0)\n");
    std::ofstream(dir.File("root/Data/log params")) << params;
  }
  std::vector<float> gr;
  {
    LogDocument doc;
    TLogTrack* gk = doc.Sheet().NewTrack("GK");
    TLogTrack* sp = doc.Sheet().NewTrack("SP");
    for (TLogTrack* t : {gk, sp}) {
      t->SetStep(100);
      t->SetOrigin(100000);
    }
    for (int i = 0; i < 200; ++i) {
      gr.push_back(i % 17 == 9 ? kDefaultNullValue : static_cast<float>((i * 13) % 29));
      gk->Append(gr.back());
      sp->Append(0);
    }
    doc.Sheet().UpdateRange();
    doc.SaveAs(dir.File("in.ls"), {});
  }
  const std::string tool = std::string(KEST_TOOL_PATH) + " calc --root " + dir.File("root") + " ";
  auto r = testing::RunCommand(tool + dir.File("in.ls") + " " + dir.File("d.ls") +
                                   " -e 'd := GR - prev' -e 'prev := GR' -e 'SP := d'",
                               true);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out.find("created"), std::string::npos) << r.out;
  LogDocument d;
  d.Open(dir.File("d.ls"), {});
  const TLogTrack& sp = *d.Sheet().FindTrack("SP");
  ASSERT_EQ(sp.Count(), 200);
  for (int i = 0; i < 200; ++i) {
    const bool null = i == 0 || IsNullSample(gr[i]) || IsNullSample(gr[i - 1]);
    ASSERT_EQ(sp.Sample(i), null ? kDefaultNullValue : gr[i] - gr[i - 1]) << i;
  }

  r = testing::RunCommand(
      tool + dir.File("in.ls") + " " + dir.File("g.ls") + " -e 'GR2 := GR * 2' -e 'tmp := 1'",
      true);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("created: GR2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("TMP — не кривая листа: значения не сохранены"), std::string::npos) << r.out;
  LogDocument g;
  g.Open(dir.File("g.ls"), {});
  const TLogTrack* gr2 = g.Sheet().FindTrack("GK2");
  ASSERT_NE(gr2, nullptr);
  ASSERT_EQ(gr2->Count(), 200);
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(gr2->Sample(i), IsNullSample(gr[i]) ? kDefaultNullValue : gr[i] * 2) << i;
}

}  // namespace
}  // namespace kest
