// LAS import of files from the field: the index column, header numbers at and
// beyond the argument range, LAS 1.2, line ends, and units kept from the file.
#include <gtest/gtest.h>

#include "las_fixture.h"
#include "log/las_units.h"
#include "log/log_errors.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

class LasImportTest : public LasTest {
 protected:
  // "loaded", or the exception's class and message.
  std::string Outcome(const std::string& text) {
    try {
      Import(text);
    } catch (const EKestError& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
    return "loaded";
  }
  static std::string WithWell(const std::string& well_lines,
                              const std::string& data = "1.0 2\n1.5 3\n") {
    return "~V\nVERS. 2.0 :\n~W\n" + well_lines + "~C\nDEPT.M :\nGR.MKR/H :\n~A\n" + data;
  }
};

// The index is data: a depth equal to the null value stays a depth.
TEST_F(LasImportTest, TheIndexColumnIsNeverNull) {
  auto sheet = Import(WithWell("STRT.M 999.00 :\nSTEP.M 0.25 :\nNULL. 999.25 :\n",
                               "999.00 1\n999.25 999.25\n999.50 3\n"));
  const TLogTrack* depth = sheet->Tracks(0);
  const TLogTrack* gk = sheet->Tracks(1);
  ASSERT_EQ(depth->Count(), 3);
  EXPECT_EQ(depth->Sample(1), 999.25f);
  EXPECT_EQ(gk->Sample(1), options_.NullValue);  // the curve's NULL is a gap
  EXPECT_EQ(gk->Sample(2), 3.f);
}

// Header numbers never wrap: beyond the argument (32-bit mm or ms) or float range
// they are refused with a message naming the line.
TEST_F(LasImportTest, HeaderNumbersOutsideTheirRangeAreRefused) {
  const std::string step = "STEP.M 0.5 :\n", strt = "STRT.M 1 :\n";
  struct Case {
    std::string well;
    std::string outcome;
    std::string data = {};  // rows other than the usual two
  } cases[] = {
      {strt + "STEP.M -4444444444444444444444444444440.1250:\n",
       "ELasFilerError: Шаг (STEP) вне диапазона аргумента: "
       "\"-4444444444444444444444444444440.1250\" (строка 5)"},
      {strt + "STEP.M -2147483.648 :\n",
       "ELasFilerError: Шаг (STEP) вне диапазона аргумента: \"-2147483.648\" (строка 5)"},
      {"STRT.M -2000000 :\nSTEP.M 2147483.647 :\n", "loaded"},
      {strt + "STEP.M 0.0004 :\n", "ELogTrackError: Шаг кривой < 1mm (ms)"},
      {strt + "STEP.M 1e400 :\n",
       "EConvertError: Недопустимое значение STEP: \"1e400\" (строка 5)"},
      {strt + "STEP.M nan :\n", "EConvertError: Недопустимое значение STEP: \"nan\" (строка 5)"},
      {"STRT.M 3000000 :\n" + step,
       "ELasFilerError: Начало записи (STRT) вне диапазона аргумента: \"3000000\" (строка 4)"},
      {"STRT.M -1E300 :\n" + step,
       "ELasFilerError: Начало записи (STRT) вне диапазона аргумента: \"-1E300\" (строка 4)"},
      {"STRT.M x1 :\n" + step, "EConvertError: Недопустимое значение STRT: \"x1\" (строка 4)"},
      // The rows run on past the range's end.
      {"STRT.M 2147483.6 :\n" + step,
       "ELasFilerError: Данные выходят за пределы диапазона аргумента",
       "2147483.6 2\n2147484.1 3\n"},
      {strt + step + "NULL. 1e39 :\n", "loaded"},  // told, and no value is taken for a gap
      {strt + step + "NULL. -3.4e38 :\n", "loaded"},
      {strt + step + "NULL. -999.25 :\nSTOP.M not a number :\n", "loaded"},  // STOP is not read
  };
  for (const auto& c : cases)
    EXPECT_EQ(Outcome(c.data.empty() ? WithWell(c.well) : WithWell(c.well, c.data)), c.outcome)
        << c.well;
}

TEST_F(LasImportTest, Las12IsReadAs20WithTextItemsFromTheDescription) {
  auto sheet = Import(
      "~VERSION INFORMATION\n VERS.   1.2:   CWLS LOG ASCII STANDARD -VERSION 1.2\n"
      " WRAP.   NO:   ONE LINE PER DEPTH STEP\n~WELL INFORMATION BLOCK\n"
      " STRT.M   635.0000:\n STEP.M   -0.1250:\n NULL.   -999.25:\n"
      " COMP.   COMPANY:   ANY OIL COMPANY INC.\n SRVC.   SERVICE COMPANY:   ANY LOGGING COMPANY "
      "INC.\n FLD .   WILDCAT   :   FIELD\n"
      "~CURVE INFORMATION\n DEPT.M   : 1  DEPTH\n GR.MKR/H   : 2  GAMMA\n"
      "~A  DEPTH     GR\n 635.0000  12.5\n 634.8750  -999.25\n");
  ASSERT_EQ(sheet->Count(), 2);
  EXPECT_FALSE(sheet->Tracks(1)->Ascending());
  EXPECT_EQ(sheet->Tracks(1)->Origin(), 634875);
  EXPECT_EQ(sheet->Tracks(1)->Sample(1), 12.5f);
  EXPECT_EQ(sheet->Params().Value("company"), "ANY OIL COMPANY INC.");
  EXPECT_EQ(sheet->Params().Value("servicecompany"), "ANY LOGGING COMPANY INC.");
  EXPECT_EQ(sheet->Params().Value("oilfield"), "WILDCAT");  // laid out as 2.0: the value
}

// CR, LF and CR LF in one file; a CR LF split between two read blocks is one line
// end (the line numbers of messages stay right).
TEST_F(LasImportTest, MixedLineEndsAndLineEndsAcrossBlocks) {
  auto sheet = Import(
      "~V\r\nVERS. 2.0 :\r~W\nSTRT.M 1 :\r\nSTEP.M 0.5 :\n\r~C\rDEPT.M :\r\nGR.MKR/H :\n~A\r1 "
      "2\r\n1.5 3");
  ASSERT_EQ(sheet->Count(), 2);
  EXPECT_EQ(sheet->Tracks(1)->Count(), 2);
  EXPECT_EQ(sheet->Tracks(1)->Sample(1), 3.f);

  std::string head = "~V\r\n";  // line 1
  std::string comment = "#";    // line 2, its CR the last byte of the first 256 KB block
  comment.resize(256 * 1024 - head.size() - 1, '-');
  std::string text = head + comment +
                     "\r\nVERS. 2.0 :\r\n~W\r\nSTRT.M 1 :\r\nSTEP.M 0.5 :\r\n~C\r\nDEPT.M :\r\n" +
                     "GR.MKR/H :\r\n~A\r\n1 2\r\n1.5 x\r\n";
  EXPECT_EQ(Outcome(text), "EConvertError: \"x\" не является числом (строка 12)");
}

// Each curve becomes a track with a buffer of its own: the count is bounded before
// any data is read, and looking thousands of new mnemonics up stays linear.
TEST_F(LasImportTest, CurveCountIsBounded) {
  std::string curves;
  for (int i = 0; i <= 10000; ++i) curves += "C" + std::to_string(i) + ".U :\n";
  std::string text = "~W\nSTRT.M 1 :\nSTEP.M 1 :\n~C\nDEPT.M :\n" + curves + "~A\n";
  EXPECT_EQ(Outcome(text),
            "ELasFilerError: Слишком много кривых в файле (больше 10000) (строка 10005)");
}

TEST(LasUnits, SpellingsOfOneUnitMatchAndOtherUnitsDiffer) {
  const char* same[][2] = {{"G/CM3", "г/см3"}, {"OHMM", "Ом·м"},  {"ohm.m", "Ом·м"},
                           {"MV", "мВ"},       {"M", "м"},        {"GAPI", "API"},
                           {"US/M", "мкс/м"},  {"DEGC", "°C"},    {"PU", "%"},
                           {"0,1_м", "0,1 м"}, {"у.е.", "у. е."}, {"K/M3", "kg/m3"}};
  for (auto& p : same) EXPECT_TRUE(SameUnits(p[0], p[1])) << p[0] << " " << p[1];
  const char* differ[][2] = {
      {"K/M3", "г/см3"}, {"V/V", "%"}, {"OHMM", "у.е."}, {"GAPI", "мкР/ч"}, {"MM", "м"}};
  for (auto& p : differ) EXPECT_FALSE(SameUnits(p[0], p[1])) << p[0] << " " << p[1];
}

// With the installation's tables: a file's units are shown as the file gives them.
TEST_F(LasImportTest, UnitsOfTheFileAreKeptAgainstTheInstallationTables) {
  TLogParameters installed(&tables_.Sensors());
  installed.Load(test::DataRoot() + "/Data/log params");
  options_.Dictionary = &installed;
  auto sample = ImportFile("sample_2.0.las");
  auto units = [&](const TLogSheet& sheet, const char* track) {
    const TLogTrack* t = sheet.FindTrack(track);
    return t ? installed.Get(t->Parameter()).Units : std::string("no track ") + track;
  };
  EXPECT_EQ(units(*sample, "RHOB(K/M3)"), "K/M3");  // not г/см3 on a 0-5 scale
  EXPECT_FLOAT_EQ(sample->FindTrack("RHOB(K/M3)")->Sample(0), 2550.f);
  EXPECT_EQ(installed.Get("RHOB(K/M3)").Caption, "Объемная плотность");
  EXPECT_EQ(units(*sample, "NPHI(V/V)"), "V/V");
  EXPECT_EQ(units(*sample, "SFLU"), "OHMM");
  EXPECT_EQ(units(*sample, "ILD"), "Ом·м");  // the same unit: the table's entry
  EXPECT_EQ(units(*sample, "DT"), "мкс/м");
  EXPECT_EQ(
      warnings_,
      (std::vector<std::string>{
          "Кривая \"RHOB\" записана в единицах \"K/M3\", в описании параметра \"г/см3\": показана "
          "в "
          "единицах файла.",
          "Кривая \"NPHI\" записана в единицах \"V/V\", в описании параметра \"%\": показана в "
          "единицах файла.",
          "Отсутствует описание параметра \"SFLU\".", "Отсутствует описание параметра \"SFLA\"."}));

  warnings_.clear();
  auto real = ImportFile("6038187_v1.2.las");
  EXPECT_EQ(units(*real, "DFAR"), "G/CM3");
  EXPECT_EQ(units(*real, "GAMN"), "GAPI");
  EXPECT_EQ(units(*real, "CALI"), "мм");
  EXPECT_EQ(units(*real, "SP"), "мВ");
  EXPECT_EQ(warnings_.size(), 6u);  // DFAR DNEAR GAMN NEUT PR COND
  // A second file with the same curves finds this run's entries and says nothing new.
  warnings_.clear();
  ImportFile("sample_2.0.las");
  EXPECT_EQ(warnings_.size(), 2u);  // the unit notices of RHOB and NPHI stay per file
}

}  // namespace
}  // namespace kest

namespace kest {
namespace {

// Damaged or odd files from other systems: each loads with a notice that names what
// is wrong, and every row lands at the depth it was recorded at.
TEST_F(LasImportTest, DamagedFilesAreToldAndNothingIsMisplaced) {
  const float null = options_.NullValue;
  struct Case {
    const char* name;
    std::string text;
    std::string notice;  // the one notice expected
    int32_t origin, step;
    std::vector<float> gr;  // the curve after the index, by ascending depth
  };
  auto las = [](const std::string& well, const std::string& index_units, const std::string& rows) {
    return "~V\nVERS. 2.0 :\n~W\n" + well + "~C\nDEPT." + index_units + " :\nGR.MKR/H :\n~A\n" +
           rows;
  };
  const std::string well = "STRT.M 100.0 :\nSTEP.M 0.1 :\nNULL. -999.25 :\n";
  const Case cases[] = {
      {"NULL is no number",
       las("STRT.M 100.0 :\nSTEP.M 0.1 :\nNULL. none :\n", "M",
           "100.0 1\n100.1 -999.25\n100.2 3\n"),
       "Значение NULL \"none\" (строка 6) не является числом: пропуски в файле не распознаются, "
       "значения прочитаны как записаны.",
       100000,
       100,
       {1, -999.25f, 3}},
      {"a value that is the program's null",
       las(well, "M", "100.0 1\n100.1 -9999.99\n100.2 -999.25\n"),
       "1 значений в файле (первое в строке 12) равны значению отсутствия данных программы "
       "-9999.99, а NULL файла другой: они показаны как пропуски.",
       100000,
       100,
       {1, null, null}},
      {"nulls in the index column",
       las(well, "M", "100.0 1\n-999.25 2\n100.2 3\n"),
       "В колонке глубины 1 значений NULL (первое в строке данных 2): строки размещены по STRT + "
       "n·STEP.",
       100000,
       100,
       {1, 2, 3}},
      {"a curve without any value",
       las(well, "M", "100.0 -999.25\n100.1 -999.25\n"),
       "Кривая \"GK\" не содержит ни одного значения (все NULL).",
       100000,
       100,
       {null, null}},
      {"an index on a grid of its own",
       las(well, "M", "200.0 1\n200.1 2\n200.2 3\n"),
       "Строка данных 1 (строка файла 11): глубина 200 не совпадает с STRT + 0·STEP = 100; строки "
       "размещены по колонке глубины (начало 200, шаг 0.1).",
       200000,
       100,
       {1, 2, 3}},
      {"an index that repeats itself",
       las("STRT.M 1670 :\nSTEP.M -0.125 :\nNULL. -999.25 :\n", "M",
           "1670 1\n1669.875 2\n1669.75 3\n1670 4\n1669.875 5\n1669.75 6\n"),
       "Строка данных 4 (строка файла 14): глубина 1670 не совпадает с STRT + 3·STEP = 1669.625; "
       "строки размещены по значениям глубины с шагом STEP; 3 строк на уже встреченных значениях "
       "заменили прежние.",
       1669750,
       125,
       {6, 5, 4}},
      {"depths in feet",
       las("STRT.F 100 :\nSTEP.F 0.5 :\nNULL. -999.25 :\n", "F", "100 1\n100.5 2\n101 3\n"),
       "Глубина в файле записана в футах (\"F\"): глубины, STRT, STOP и STEP переведены в метры "
       "(шаг 0.1524 м взят как 0.152 м).",
       30480,
       152,
       {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    warnings_.clear();
    std::unique_ptr<TLogSheet> sheet;
    ASSERT_NO_THROW(sheet = Import(c.text));
    EXPECT_EQ(warnings_, std::vector<std::string>{c.notice});
    ASSERT_EQ(sheet->Count(), 2);
    const TLogTrack* gr = sheet->Tracks(1);
    EXPECT_EQ(gr->Origin(), c.origin);
    EXPECT_EQ(gr->Step(), c.step);
    std::vector<float> got(gr->Samples(), gr->Samples() + gr->Count());
    EXPECT_EQ(got, c.gr);
    // The depth curve holds each row's depth in metres (a missing one stays missing).
    const TLogTrack* depth = sheet->Tracks(0);
    for (int32_t i = 0; i < depth->Count(); ++i) {
      if (depth->Sample(i) == null) continue;
      EXPECT_NEAR(depth->Sample(i), depth->ArgumentOf(i) / 1000.0, 0.001);
    }
  }
}

}  // namespace
}  // namespace kest
