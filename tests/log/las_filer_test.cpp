#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "las_fixture.h"
#include "log/log_errors.h"
#include "support/code_page.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// A header line: the mnemonic column of 11 characters, the value right-aligned in 36.
std::string Header(const std::string& mnemonic, const std::string& value, const std::string& rest) {
  size_t chars = 0;
  for (char c : value) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return mnemonic + std::string(11 - mnemonic.size(), ' ') + std::string(36 - chars, ' ') + value +
         rest;
}

TEST_F(LasTest, DepthExportHeaderAndPeakRows) {
  TLogSheet sheet;
  FillDepth(sheet);
  std::string text = Export(sheet);  // LASStep 10 cm over a 10 mm sheet step
  auto lines = Lines(text);
  EXPECT_EQ(lines[0], "~Version information");
  EXPECT_EQ(lines[1], "VERS.                 2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0");
  EXPECT_EQ(lines[2], "WRAP.                  NO : ONE LINE PER DEPTH STEP");
  EXPECT_EQ(lines[5], Header("STRT.M", "1000.00", " : Начало записи"));
  EXPECT_EQ(lines[6], Header("STOP.M", "1002.00", " : Конец записи"));
  EXPECT_EQ(lines[7], Header("STEP.M", "0.10", " : Шаг"));
  EXPECT_EQ(lines[8], Header("NULL.", "-9999.99", " : Отсутсвие значения"));
  EXPECT_EQ(lines[9], Header("COMP.", "ООО Недра", " : Подрядчик"));
  EXPECT_EQ(lines[17], Header("SRVC.", "Партия 5", " : Исполнитель"));
  EXPECT_EQ(lines[19], Header("COMM.", "", ": Исследование"));
  EXPECT_EQ(lines[20], "~Curve information");
  EXPECT_EQ(lines[21], "DEPT.m" + std::string(32, ' ') + ": 0.00 m   1 Глубина");
  EXPECT_EQ(lines[22], "GR  .мкР/ч" + std::string(28, ' ') + ": 0.00 m   2 Гамма-каротаж");
  auto data = DataLines(text);
  ASSERT_EQ(data.size(), 21u);
  // Each row: the peak of the 10 samples of the step that ends there, (x - 10 cm, x].
  EXPECT_EQ(data[0], "1000.00 0 0 ");
  EXPECT_EQ(data[1], "1000.10 10 -1 ");
  EXPECT_EQ(data[2], "1000.20 20 -11 ");
  EXPECT_EQ(data[20], "1002.00 200 -191 ");
  EXPECT_NE(text.find("\r\n"), std::string::npos);

  // The organisation of the settings stands in only where the sheet names no one.
  options_.Organisation = "ООО Каротаж";
  EXPECT_EQ(Lines(Export(sheet))[17], Header("SRVC.", "Партия 5", " : Исполнитель"));
  sheet.Params().SetValue("ServiceCompany", "");
  EXPECT_EQ(Lines(Export(sheet))[17], Header("SRVC.", "ООО Каротаж", " : Исполнитель"));

  // A recorded log without a date of its own is dated by its recording's start.
  auto date_line = [&] {
    for (const auto& line : Lines(Export(sheet)))
      if (line.rfind("DATE.", 0) == 0) return line;
    return std::string("no DATE line");
  };
  sheet.Params().SetValue("StartTime", "09.12.2026");
  EXPECT_NE(date_line().find("09.12.2026"), std::string::npos) << date_line();
  sheet.Params().SetValue("date", "01.02.2026");
  EXPECT_NE(date_line().find("01.02.2026"), std::string::npos) << date_line();
}

TEST_F(LasTest, FineStepExportsEveryRowAndNullsOutsideATrack) {
  options_.StepCm = 1;
  TLogSheet sheet;
  TLogTrack* depth = sheet.NewTrack("DEPTH");
  TLogTrack* gk = sheet.NewTrack("GK");
  sheet.SetSteps(10);
  depth->SetOrigin(500);
  gk->SetOrigin(520);
  for (int i = 0; i < 5; ++i) depth->Append(0.5f + 0.01f * i);
  for (int i = 0; i < 2; ++i) gk->Append(1.25f * (i + 1));
  auto data = DataLines(Export(sheet));
  ASSERT_EQ(data.size(), 5u);
  EXPECT_EQ(data[0], "0.50 -9999.99 ");
  EXPECT_EQ(data[2], "0.52 1.25 ");
  EXPECT_EQ(data[3], "0.53 2.5 ");
  EXPECT_EQ(data[4], "0.54 -9999.99 ");
}

TEST_F(LasTest, TimeExportHasTheTimeCurveAndTrackZero) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* u = sheet.NewTrack("U");
  TLogTrack* gk = sheet.NewTrack("GK");
  sheet.SetSteps(100);
  for (int i = 0; i < 3; ++i) {
    u->Append(12.5f);
    gk->Append(static_cast<float>(i));
  }
  std::string text = Export(sheet);
  auto lines = Lines(text);
  auto curve = std::find(lines.begin(), lines.end(), "~Curve information");
  EXPECT_EQ(curve[1], "TIME.c                                : 0.00 m   1 Время");
  EXPECT_EQ(curve[2], "U   .В                                : 0.00 m   2 Напряжение");
  EXPECT_EQ(DataLines(text)[0], "0.00 12.5 0 ");
}

TEST_F(LasTest, UpwardExportRunsFromTheBottom) {
  TLogSheet sheet;
  TLogTrack* depth = sheet.NewTrack("DEPTH");
  TLogTrack* gk = sheet.NewTrack("GK");
  sheet.SetSteps(100);
  sheet.SetOrigins(2000000);
  sheet.SetAscending(false);
  for (int i = 0; i < 3; ++i) {
    depth->Append(0);
    gk->Append(static_cast<float>(i));  // logged upwards: 1997 m is the last
  }
  options_.StepCm = 10;
  std::string text = Export(sheet);
  EXPECT_NE(text.find(Header("STRT.M", "1999.90", "")), std::string::npos);
  EXPECT_NE(text.find(Header("STEP.M", "-0.10", "")), std::string::npos);
  auto data = DataLines(text);
  ASSERT_EQ(data.size(), 3u);
  EXPECT_EQ(data[0], "1999.90 0 ");
  EXPECT_EQ(data[2], "1999.70 2 ");
}

TEST_F(LasTest, ExportRefusals) {
  TLogSheet empty;
  EXPECT_THROW_MSG(Export(empty), ELogSheetError, "Sheet is empty");
  TLogSheet unaligned;
  unaligned.NewTrack("GK")->SetStep(100);
  unaligned.Tracks(0)->SetOrigin(50);
  unaligned.Tracks(0)->Append(1);
  EXPECT_THROW_MSG(Export(unaligned), ELasFilerError, "Sheet is not LAS-compatible");
  TLogSheet no_range;
  no_range.NewTrack("GK")->SetStep(100);
  EXPECT_THROW_MSG(Export(no_range), ELasFilerError, "No data to save");
}

// A parameter the dictionary lacks (a curve of another company's file saved as LS
// in an earlier run) is exported under its own name in "у.е." and reads back.
TEST_F(LasTest, UndescribedParameterIsExportedUnderItsNameWithAWarning) {
  TLogSheet sheet;
  TLogTrack* depth = sheet.NewTrack("DEPTH");
  TLogTrack* other = sheet.NewTrack("SFLU");
  TLogTrack* odd = sheet.NewTrack("GK(A.las 2)");  // a name no LAS mnemonic can hold as it is
  TLogTrack* hash = sheet.NewTrack("#1");          // would read as a comment
  sheet.SetSteps(100);
  for (int i = 0; i < 3; ++i) {
    depth->Append(0.1f * i);
    other->Append(7.5f);
    odd->Append(1);
    hash->Append(2);
  }
  std::string text = Export(sheet);
  auto lines = Lines(text);
  auto curve = std::find(lines.begin(), lines.end(), "~Curve information");
  ASSERT_NE(curve, lines.end());
  EXPECT_EQ(curve[2], "SFLU.у.е." + std::string(29, ' ') + ": 0.00 m   2 SFLU");
  EXPECT_EQ(curve[3].substr(0, 18), "GK(A_las_2).у.е.");
  EXPECT_EQ(curve[4].substr(0, 11), "_#1 .у.е.");
  EXPECT_EQ(warnings_,
            (std::vector<std::string>{
                "Отсутствует описание параметра \"SFLU\": кривая записана как \"SFLU\" в у.е.",
                "Отсутствует описание параметра \"GK(A.las 2)\": кривая записана как "
                "\"GK(A_las_2)\" в у.е.",
                "Отсутствует описание параметра \"#1\": кривая записана как \"_#1\" в у.е."}));
  EXPECT_EQ(DataLines(text)[0], "0.00 7.5 1 2 ");
  warnings_.clear();
  auto back = Import(Utf8ToCp866(text));
  ASSERT_EQ(back->Count(), 4);
  EXPECT_EQ(back->Tracks(1)->Parameter(), "SFLU");
  EXPECT_EQ(back->Tracks(1)->Sample(2), 7.5f);
  EXPECT_EQ(tables_.Parameters().Get("SFLU").Units, "у.е.");
}

TEST_F(LasTest, TemplateLinesTakeTheirValues) {
  testing::TempDir dir;
  std::string path = dir.File(".msk");
  std::ofstream(path) << "~Version information\n VERS.   2.0 : LAS\n~Well information\n"
                         "STRT.M   %10.3f : start\nCOMP.   %-12s| : company\nXXXX.   %s : dropped\n"
                         "NULL.   %g : null\n";
  options_.TemplateFile = path;
  TLogSheet sheet;
  FillDepth(sheet);
  auto lines = Lines(Export(sheet));
  EXPECT_EQ(lines[1], " VERS.   2.0 : LAS");
  EXPECT_EQ(lines[3], "STRT.M     1000.000 : start");
  EXPECT_EQ(lines[4], "COMP.   ООО Недра   | : company");
  EXPECT_EQ(lines[5], "NULL.   -9999.99 : null");
  EXPECT_EQ(lines[6], "~Curve information");
}

TEST_F(LasTest, HostileTemplateFormatsAreHarmless) {
  std::string v = "x";
  EXPECT_EQ(FormatTemplateLine("%s %s %n %99999999d 100%%", &v, 0), "x %s %n %99999999d 100%");
  EXPECT_EQ(FormatTemplateLine("%", &v, 0), "%");
  EXPECT_EQ(FormatTemplateLine("%.2s|%5d", nullptr, 12.5), "12|%5d");
}

TEST_F(LasTest, RoundTripKeepsTracksAndWellSection) {
  TLogSheet sheet;
  FillDepth(sheet);
  sheet.Comments().Add("Версия программы=1.4.0");
  options_.StepCm = 1;  // the sheet's own step: every sample goes out
  MemoryStream out;
  TLasFiler(options_).Write(out, sheet);
  auto back = Import(out.Text());
  ASSERT_EQ(back->Count(), 3);
  EXPECT_EQ(back->Argument(), laDepth);
  const TLogTrack* gk = back->FindTrack("GK");
  ASSERT_NE(gk, nullptr);
  EXPECT_EQ(gk->Origin(), 1000000);
  EXPECT_EQ(gk->Step(), 10);
  ASSERT_EQ(gk->Count(), 201);
  for (int i = 0; i <= 200; ++i) ASSERT_EQ(gk->Sample(i), static_cast<float>(i));
  EXPECT_FLOAT_EQ(back->FindTrack("DEPTH")->Sample(100), 1001.0f);
  EXPECT_EQ(back->Params().Value("company"), "ООО Недра");
  EXPECT_EQ(back->Params().Value("servicecompany"), "Партия 5");
  EXPECT_EQ(back->Params().Value("party"), "12");
  EXPECT_EQ(back->Params().Value("oilfield"), "Южное");
  EXPECT_EQ(back->Comments().Value("Версия программы"), "1.4.0");
}

TEST_F(LasTest, RoundTripOfATimeLogKeepsItsGaps) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* u = sheet.NewTrack("U");
  TLogTrack* gk = sheet.NewTrack("GK");
  sheet.SetSteps(100);
  gk->SetOrigin(100);
  for (int i = 0; i < 4; ++i) u->Append(1.5f * i);
  for (int i = 0; i < 3; ++i) gk->Append(7.f);
  options_.StepCm = 10;
  MemoryStream out;
  TLasFiler(options_).Write(out, sheet);
  auto back = Import(out.Text());
  EXPECT_EQ(back->Argument(), laTime);
  ASSERT_EQ(back->Count(), 2);
  EXPECT_EQ(back->Tracks(0)->Parameter(), "U");
  EXPECT_EQ(back->Tracks(0)->Sample(3), 4.5f);
  EXPECT_EQ(back->Tracks(1)->Sample(0), options_.NullValue);  // no data there, not 0
  EXPECT_EQ(back->Tracks(1)->Sample(1), 7.f);
}

TEST_F(LasTest, SectionRules) {
  auto message = [&](const std::string& text) {
    try {
      Import(text);
    } catch (const EKestError& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
    return std::string("loaded");
  };
  const std::string head = "~V\nVERS. 2.0 :\n~W\nSTRT.M 1.0 :\nSTEP.M 0.5 :\nNULL. -999 :\n";
  const std::string curves = "~C\nDEPT.M :\nGR.API :\n";
  EXPECT_EQ(message(head + "~W\n" + curves), "ELasFilerError: Dup section \"W\"");
  EXPECT_EQ(message("~\n"), "ELasFilerError: Unsigned section found");
  EXPECT_EQ(message(head + "~C\nGR.API :\n~A\n1 2\n"), "ELogError: \"GK\" is not a valid argument");
  EXPECT_EQ(message("~W\nSTRT.M 1 :\n" + curves), "ELogTrackError: Шаг кривой < 1mm (ms)");
  EXPECT_EQ(message(head + curves + "~A\n1.0 2.0x\n"),
            "EConvertError: \"2.0x\" не является числом (строка 11)");
  EXPECT_EQ(message(head + curves + "~A\n1.0\n"),
            "ELasFilerError: Значений в строке меньше, чем кривых (строка 11)");
  EXPECT_EQ(message(head + curves + "~A\n1.0 2 3\n"),
            "ELasFilerError: Значений в строке больше, чем кривых (строка 11)");
  EXPECT_EQ(message(head), "ELasFilerError: В файле нет описания кривых");
  EXPECT_EQ(message(head + "~A\n1 2\n" + curves),
            "ELasFilerError: Раздел данных перед описанием кривых (строка 7)");
  // Tabs separate fields like blanks (files from the field write either).
  EXPECT_EQ(message(head + curves + "~A\n1.0\t2.0\n1.5 \t 3\n"), "loaded");
  // A parameter section is standard; an unknown one is told and skipped.
  warnings_.clear();
  auto sheet = Import(head + curves + "~P\nBS.MM 200 : bit\n~X\nanything\n~A\n1.0 -999\n1.5 20\n");
  EXPECT_EQ(
      warnings_,
      (std::vector<std::string>{
          "Кривая \"GR\" записана в единицах \"API\", в описании параметра \"мкР/ч\": показана в "
          "единицах файла.",
          "Unknown section tag \"X\""}));
  ASSERT_EQ(sheet->Count(), 2);
  EXPECT_EQ(sheet->Tracks(1)->Sample(0), options_.NullValue);  // the file's NULL
  EXPECT_EQ(sheet->Tracks(1)->Sample(1), 20.f);
  EXPECT_EQ(sheet->Tracks(1)->End(), 1500);
}

// Files the reader refuses, each at a different check: the class, the message with
// the line it names, and the sheet it was loaded into left empty, not half filled.
TEST_F(LasTest, DamagedFilesAreRefusedAndLeaveTheSheetEmpty) {
  const std::string head = "~V\nVERS. 2.0 :\n~W\nSTRT.M 1.0 :\nSTEP.M 0.5 :\nNULL. -999 :\n";
  const std::string curves = "~C\nDEPT.M :\nGR.API :\n";
  auto well = [](const std::string& strt, const std::string& step) {
    return "~W\nSTRT.M " + strt + " :\nSTEP.M " + step + " :\n~C\nDEPT.M :\nGR.API :\n~A\n";
  };
  std::string many_curves = "~C\nDEPT.M :\n";
  for (int i = 0; i < 10000; ++i) many_curves += "C" + std::to_string(i) + ". :\n";
  auto cut_wrapped = [&] {
    auto bytes = ReadWholeFile(DataFile("sample_2.0_wrapped.las"));
    std::string cut(bytes.begin(), bytes.end());
    cut.resize(cut.rfind("     0.0000     0.1456"));
    return cut;
  };
  const struct {
    const char* what;
    std::string text;
    const char* error_class;
    std::string message;
  } cases[] = {
      {"empty", "", "ELasFilerError", "В файле нет описания кривых"},
      {"a section twice", head + "~W\n" + curves, "ELasFilerError", "Dup section \"W\""},
      {"a section without a letter", "~\n", "ELasFilerError", "Unsigned section found"},
      {"LAS 3.0", "~V\nVERS. 3.0 :\n" + curves, "ELasFilerError",
       "Версия LAS 3.0 не поддерживается (строка 2)"},
      {"no curve section", head, "ELasFilerError", "В файле нет описания кривых"},
      {"data before the curves", head + "~A\n1 2\n" + curves, "ELasFilerError",
       "Раздел данных перед описанием кривых (строка 7)"},
      {"no index curve", head + "~C\nGR.API :\n~A\n1 2\n", "ELogError",
       "\"GK\" is not a valid argument"},
      {"no step", "~W\nSTRT.M 1 :\n" + curves, "ELogTrackError", "Шаг кривой < 1mm (ms)"},
      {"STRT no number", well("abc", "0.5") + "1 2\n", "EConvertError",
       "Недопустимое значение STRT: \"abc\" (строка 2)"},
      {"STEP infinite", well("1", "1e999") + "1 2\n", "EConvertError",
       "Недопустимое значение STEP: \"1e999\" (строка 3)"},
      {"STRT beyond the argument range", well("1e12", "0.5") + "1 2\n", "ELasFilerError",
       "Начало записи (STRT) вне диапазона аргумента: \"1e12\" (строка 2)"},
      {"a value no number", head + curves + "~A\n1.0 2.0x\n", "EConvertError",
       "\"2.0x\" не является числом (строка 11)"},
      {"a row short", head + curves + "~A\n1.0\n", "ELasFilerError",
       "Значений в строке меньше, чем кривых (строка 11)"},
      {"a row long", head + curves + "~A\n1.0 2 3\n", "ELasFilerError",
       "Значений в строке больше, чем кривых (строка 11)"},
      {"a wrapped row cut at the end", cut_wrapped(), "ELasFilerError",
       "Последняя строка данных неполная (строка 70)"},
      {"an index beyond the argument range", head + curves + "~A\n1.0 2\n1e12 3\n",
       "ELasFilerError", "Данные выходят за пределы диапазона аргумента"},
      {"an index spread far off its step", well("0", "0.001") + "0 1\n0.001 2\n900000 3\n",
       "ELasFilerError", "Значения колонки индекса разбросаны слишком широко для шага STEP"},
      {"more curves than the reader takes", head + many_curves, "ELasFilerError",
       "Слишком много кривых в файле (больше 10000) (строка 10008)"},
  };
  const TLogSheetFilerClass format{"LAS", [this] { return std::make_unique<TLasFiler>(options_); }};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TLogSheet sheet;
    sheet.NewTrack("OLD")->Append(1.f);
    MemoryStream in(c.text);
    EXPECT_THROW_NAMED(LoadSheet(format, in, sheet, nullptr), c.error_class, c.message);
    EXPECT_EQ(sheet.Count(), 0);
  }
}

TEST_F(LasTest, UnknownMnemonicsAreAddedToTheDictionaryWithOneNoticeEach) {
  std::vector<std::string> boxes;
  tables_.Parameters().OnMissingDescription = [&](const std::string& m, const std::string&) {
    boxes.push_back(m);
  };
  auto sheet =
      Import("~W\nSTRT.M 1 :\nSTEP.M 1 :\n~C\nDEPT.M :\nNEWCURVE.X :\nBARE. :\n~A\n1 5 6\n");
  EXPECT_EQ(sheet->Tracks(1)->Parameter(), "NEWCURVE");
  // The notices come with the import's result, not one box per curve.
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(warnings_, (std::vector<std::string>{"Отсутствует описание параметра \"NEWCURVE\".",
                                                 "Отсутствует описание параметра \"BARE\"."}));
  EXPECT_EQ(tables_.Parameters().Get("NEWCURVE").Units, "X");  // the file's unit
  EXPECT_EQ(tables_.Parameters().Get("BARE").Units, "у.е.");   // none given
  // A mnemonic that is the name of another parameter (GK is exchanged as GR) gets
  // a name of its own rather than passing for that parameter.
  warnings_.clear();
  auto again =
      Import("~W\nSTRT.M 1 :\nSTEP.M 1 :\n~C\nDEPT.M :\nGK.CPS :\nNEWCURVE.X :\n~A\n1 5 6\n");
  EXPECT_EQ(again->Tracks(1)->Parameter(), "GK(CPS)");
  EXPECT_EQ(tables_.Parameters().Get("GK(CPS)").Units, "CPS");
  EXPECT_EQ(again->Tracks(2)->Parameter(), "NEWCURVE");  // found again, told once
  EXPECT_EQ(warnings_, std::vector<std::string>{"Отсутствует описание параметра \"GK\"."});
}

TEST_F(LasTest, RealFilesFromOtherSoftware) {
  auto s20 = ImportFile("sample_2.0.las");
  ASSERT_EQ(s20->Count(), 8);
  const TLogTrack* ild = s20->FindTrack("ILD");
  ASSERT_NE(ild, nullptr);
  EXPECT_FALSE(ild->Ascending());
  EXPECT_EQ(ild->Count(), 3);
  EXPECT_EQ(ild->Origin(), 1669750);
  EXPECT_EQ(ild->End(), 1670000);
  EXPECT_FLOAT_EQ(ild->Sample(0), 105.6f);
  EXPECT_EQ(s20->Params().Value("company"), "ANY OIL COMPANY INC.");
  EXPECT_EQ(s20->Params().Value("oilfield"), "WILDCAT");

  EXPECT_EQ(ImportFile("sample_2.0_minimal.las")->Count(), 8);

  auto multi = ImportFile("multi_channel.las");
  ASSERT_EQ(multi->Count(), 15);
  EXPECT_FLOAT_EQ(multi->FindTrack("CFTC")->Sample(multi->FindTrack("CFTC")->Count() - 1),
                  841.0595f);

  auto real = ImportFile("6038187_v1.2.las");
  ASSERT_EQ(real->Count(), 9);
  const TLogTrack* gamn = real->FindTrack("GAMN");
  ASSERT_NE(gamn, nullptr);
  EXPECT_EQ(gamn->Count(), 2732);
  EXPECT_EQ(gamn->Origin(), 50);
  EXPECT_EQ(gamn->Step(), 50);

  EXPECT_GT(ImportFile("encodings_cp1252.las")->Count(), 0);
}

// Wrapped and tab-separated files from the field load (they were refused before
// such files were met); LAS 3.0 is still refused, leaving no half-loaded sheet.
TEST_F(LasTest, WrappedAndTabSeparatedFilesLoadAndLas3IsRefused) {
  auto tabbed = ImportFile("sample_2.0_tab_dlm.las");
  auto plain = ImportFile("sample_2.0.las");
  ASSERT_EQ(tabbed->Count(), plain->Count());
  for (int i = 0; i < plain->Count(); ++i) {
    EXPECT_EQ(tabbed->Tracks(i)->Parameter(), plain->Tracks(i)->Parameter());
    ASSERT_EQ(tabbed->Tracks(i)->Count(), 3);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(tabbed->Tracks(i)->Sample(k), plain->Tracks(i)->Sample(k));
  }

  auto wrapped = ImportFile("sample_2.0_wrapped.las");
  ASSERT_EQ(wrapped->Count(), 36);  // DEPT and 35 curves, 7 lines a row
  const TLogTrack* depth = wrapped->Tracks(0);
  ASSERT_EQ(depth->Count(), 2);
  EXPECT_FALSE(depth->Ascending());
  EXPECT_EQ(depth->Origin(), 909875);
  EXPECT_FLOAT_EQ(depth->Sample(1), 910.0f);                // the first row, logged upwards
  const TLogTrack* rhob = wrapped->FindTrack("RHOB(K/M)");  // RHOB of this run is in K/M3
  ASSERT_NE(rhob, nullptr);
  EXPECT_FLOAT_EQ(rhob->Sample(1), 2692.7075f);
  EXPECT_FLOAT_EQ(rhob->Sample(0), 2712.646f);
  EXPECT_EQ(wrapped->Tracks(1)->Sample(1), options_.NullValue);  // DT -999.25 is the file's NULL
  EXPECT_FLOAT_EQ(wrapped->Tracks(35)->Sample(0), 0.0f);

  // A wrapped row cut short at the end is refused.
  auto bytes = ReadWholeFile(DataFile("sample_2.0_wrapped.las"));
  std::string cut(bytes.begin(), bytes.end());
  cut.resize(cut.rfind("     0.0000     0.1456"));
  EXPECT_THROW_MSG(Import(cut), ELasFilerError, "Последняя строка данных неполная (строка 70)");

  TLogSheet sheet;
  sheet.NewTrack("OLD");
  auto v3 = ReadWholeFile(DataFile("sample_3.0.las"));
  MemoryStream in(std::string(v3.begin(), v3.end()));
  const TLogSheetFilerClass format{"LAS", [this] { return std::make_unique<TLasFiler>(options_); }};
  EXPECT_THROW_MSG(LoadSheet(format, in, sheet, nullptr), ELasFilerError,
                   "Версия LAS 3.0 не поддерживается (строка 2)");
  EXPECT_EQ(sheet.Count(), 0);
}

TEST_F(LasTest, TruncatedAndGarbageInputNeverCrashes) {
  TLogSheet sheet;
  FillDepth(sheet);
  MemoryStream out;
  TLasFiler(options_).Write(out, sheet);
  std::string whole = out.Text();
  for (size_t cut = 0; cut < whole.size(); cut += 7) {
    try {
      Import(whole.substr(0, cut));
    } catch (const EKestError&) {
    }
  }
  std::string garbage;
  for (int i = 0; i < 4000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
  EXPECT_ANY_THROW(Import(garbage));
}

}  // namespace
}  // namespace kest
