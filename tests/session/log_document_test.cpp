// A log as a document: the one rule for formats and names, the LAS grid cut on the
// written copy only, a failed open that changes nothing, background saves.
#include "session/log_document.h"

#include <gtest/gtest.h>

#include <fstream>

#include "lisp/wlisp.h"
#include "log/las_units.h"
#include "log/log_errors.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/errors.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

// Depth and two curves on a 100 mm grid, the last one starting 30 mm off it.
void FillOffGrid(TLogSheet& sheet) {
  TLogTrack* depth = sheet.NewTrack("DEPTH");
  depth->SetStep(100);
  depth->SetOrigin(1000000);
  for (int i = 0; i < 50; ++i) depth->Append(1000.0f + i * 0.1f);
  TLogTrack* gr = sheet.NewTrack("GR");
  TLogTrack* sp = sheet.NewTrack("SP");
  gr->SetStep(100);
  sp->SetStep(100);
  gr->SetOrigin(1000000);
  sp->SetOrigin(1000030);
  for (int i = 0; i < 50; ++i) {
    gr->Append(static_cast<float>(i));
    sp->Append(static_cast<float>(100 - i));
  }
  sheet.UpdateRange();
  sheet.Comments().SetValue("Условия замера", "Спуск 1000.00 - 1004.90");
}

class LogDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tables_.Parameters().Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "m", "Глуб");
    tables_.Parameters().Add("GR", "Gamma ray", 1, "0.00", "GR", "API", "GR");
    tables_.Parameters().Add("SP", "Spontaneous potential", 2, "0.0", "SP", "mV", "SP");
  }

  TWLisp lisp_;
  TLogParameterTables tables_;
  testing::TempDir dir_;
  LogFileOptions options_;
};

TEST_F(LogDocumentTest, LasCutsTheWrittenCopyToTheGridAndLeavesTheSheetAsItIs) {
  LogDocument doc;
  FillOffGrid(doc.Sheet());
  const std::string las = dir_.File("run.las");
  doc.SaveAs(las, options_);
  EXPECT_EQ(doc.Sheet().Tracks(2)->Origin(), 1000030);  // the sheet on screen keeps its origins
  EXPECT_EQ(doc.FileName(), las);
  EXPECT_FALSE(doc.Modified());

  // Saved in the background, the same file.
  doc.SaveInBackground(dir_.File("again.las"), options_);
  auto ended = doc.WaitForSaves();
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_TRUE(ended.front().ok);
  EXPECT_EQ(test::Slurp(las), test::Slurp(dir_.File("again.las")));

  // Read back, both tracks lie on one grid.
  LogDocument back;
  back.Open(las, options_);
  ASSERT_EQ(back.Sheet().Count(), 3);
  EXPECT_EQ(back.Sheet().Tracks(1)->Origin(), back.Sheet().Tracks(2)->Origin());
}

TEST_F(LogDocumentTest, AFailedOpenLeavesTheDocumentAsItWas) {
  LogDocument doc;
  FillOffGrid(doc.Sheet());
  const std::string good = dir_.File("good.ls");
  doc.SaveAs(good, options_);
  doc.SetModified(true);
  const std::string notes = dir_.File("notes.las");
  std::ofstream(notes) << "not a log at all\n";
  const std::string cut = dir_.File("cut.ls");
  {
    std::string bytes = test::Slurp(good);
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  }
  const struct {
    std::string bad;
    const char* error_class;
    std::string message;
  } cases[] = {
      {notes, "ELasFilerError", "В файле нет описания кривых"},
      {cut, "EComponentStreamError",
       "Повреждённый поток компонента: длина 827 больше оставшихся 351 байт (смещение 127)"},
      {dir_.File("missing.ls"), "EInOutError",
       "Не удалось открыть файл \"" + dir_.File("missing.ls") + "\": No such file or directory"},
      {dir_.File("log.xyz"), "ELogSheetFilersError", "Формат \"xyz\" не поддерживается"},
  };
  for (const auto& c : cases) {
    const std::string& bad = c.bad;
    EXPECT_THROW_NAMED(doc.Open(c.bad, options_), c.error_class, c.message);
    EXPECT_EQ(doc.Sheet().Count(), 3) << bad;
    EXPECT_EQ(doc.Sheet().Tracks(0)->Count(), 50) << bad;
    EXPECT_EQ(doc.FileName(), good) << bad;
    EXPECT_TRUE(doc.Modified()) << bad;
  }
  doc.Open(good, options_);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.Sheet().Comments().Value("Условия замера"), "Спуск 1000.00 - 1004.90");
}

TEST_F(LogDocumentTest, AnUnknownFormatFailsBeforeAnythingIsWritten) {
  LogDocument doc;
  FillOffGrid(doc.Sheet());
  EXPECT_THROW_MSG(doc.SaveInBackground(dir_.File("run.xyz"), options_), ELogSheetFilersError,
                   "Формат \"xyz\" не поддерживается");
  EXPECT_THROW_MSG(doc.SaveAs(dir_.File("run.tmp"), options_), ELogSheetFilersError,
                   "Формат \"tmp\" не поддерживается");  // read-only format
  EXPECT_EQ(doc.SavesRunning(), 0);
  EXPECT_TRUE(doc.FileName().empty());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("run.xyz")));
}

TEST_F(LogDocumentTest, AFailedBackgroundSaveMarksTheDocumentModifiedAgain) {
  LogDocument doc;
  FillOffGrid(doc.Sheet());
  const std::string target = dir_.File("no-such-folder/run.ls");
  doc.SaveInBackground(target, options_);
  auto ended = doc.WaitForSaves();
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_FALSE(ended.front().ok);
  EXPECT_TRUE(doc.Modified());
}

// Both ways of saving write the main window's sheet under its component name, and
// opening a file into it keeps that name.
TEST_F(LogDocumentTest, TheMainWindowsSheetIsSavedAsLsSaveAndOpeningKeepsTheName) {
  LogDocument doc;
  PlaceOnMainWindow(doc.Sheet());
  FillOffGrid(doc.Sheet());
  const std::string now = dir_.File("now.ls"), later = dir_.File("later.ls");
  doc.SaveAs(now, options_);
  doc.SaveInBackground(later, options_);
  ASSERT_TRUE(doc.WaitForSaves().front().ok);
  const std::string named = std::string("TLogSheet") + '\x06' + "lsSave";
  for (const std::string& path : {now, later}) {
    const std::string bytes = test::Slurp(path);
    EXPECT_NE(bytes.find(named), std::string::npos) << path;
    EXPECT_NE(bytes.find(std::string("\x04Left\x03\xB8\x00\x03Top\x03\xD0\x00", 15)),
              std::string::npos);
  }
  LogDocument other;
  other.Open(now, options_);
  EXPECT_EQ(other.Sheet().Place().name, "");
  doc.Open(later, options_);
  EXPECT_EQ(doc.Sheet().Place().name, "lsSave");
}

// A LAS curve kept in its file's own unit ("RHOB(K/M3)") and saved as LS is known by
// that unit again when a later run opens the LS file, and goes back out to LAS in it.
TEST(OwnUnits, ACurveKeptInItsFilesUnitKeepsItAcrossLs) {
  TWLisp lisp;
  testing::TempDir dir;
  LogFileOptions options;
  auto install = [](TLogParameterTables& tables) {
    tables.Parameters().Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "m", "Глуб");
    tables.Parameters().Add("RHOB", "Объемная плотность", 3, "0.00", "RHOB", "г/см3", "Плотн.");
  };
  {
    TLogParameterTables first;
    install(first);
    const std::string las = dir.File("in.las");
    std::ofstream(las, std::ios::binary) << "~V\r\nVERS. 2.0 :\r\nWRAP. NO :\r\n"
                                         << "~W\r\nSTRT.M 1000.0 :\r\nSTEP.M 0.1 :\r\n"
                                         << "NULL. -999.25 :\r\n"
                                         << "~C\r\nDEPT.M :\r\nRHOB.K/M3 :\r\n"
                                         << "~A\r\n1000.0 2550\r\n1000.1 2560\r\n";
    LogDocument imported;
    imported.Open(las, options);
    ASSERT_NE(imported.Sheet().FindTrack("RHOB(K/M3)"), nullptr);
    imported.SaveAs(dir.File("kept.ls"), options);
  }
  // A later run: the table as installed, without the entry the import made.
  TLogParameterTables later;
  install(later);
  LogDocument reopened;
  reopened.Open(dir.File("kept.ls"), options);
  const TLogParameter* entry = later.Parameters().Find("RHOB(K/M3)");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Units, "K/M3");
  EXPECT_EQ(entry->Mnemonic, "RHOB");
  EXPECT_EQ(entry->Caption, "Объемная плотность");
  reopened.SaveAs(dir.File("out.las"), options);
  const std::string out = test::Slurp(dir.File("out.las"));
  EXPECT_NE(out.find("RHOB.K/M3"), std::string::npos) << out;
  // Names that are no described parameter with a unit are left alone.
  TLogSheet other;
  other.NewTrack("NOPE(X)")->Append(1);
  other.NewTrack("RHOB(г/см3)")->Append(1);
  RestoreOwnUnitEntries(other, later.Parameters());
  EXPECT_EQ(later.Parameters().Find("NOPE(X)"), nullptr);
  EXPECT_EQ(later.Parameters().Find("RHOB(г/см3)"), nullptr);
}

TEST_F(LogDocumentTest, LasOptionsArePassedPerCallNotShared) {
  LogDocument doc;
  FillOffGrid(doc.Sheet());
  LogFileOptions coarse = options_;
  coarse.Las.StepCm = 20;
  coarse.Las.NullValue = -1;
  doc.SaveAs(dir_.File("coarse.las"), coarse);
  doc.SaveAs(dir_.File("fine.las"), options_);
  LogDocument a, b;
  a.Open(dir_.File("coarse.las"), options_);
  b.Open(dir_.File("fine.las"), options_);
  EXPECT_EQ(a.Sheet().Tracks(0)->Step(), 200);
  EXPECT_EQ(b.Sheet().Tracks(0)->Step(), 10);
  EXPECT_NE(test::Slurp(dir_.File("coarse.las")).find("-1"), std::string::npos);
}

TEST(FileNameForFormat, KeepsDescriptionsWholeAndSwapsOnlyKnownExtensions) {
  struct Case {
    const char* name;
    const char* format;
    const char* expected;
  } cases[] = {
      {"/logs/Спуск 1501.92 - 1528.96", "LS", "/logs/Спуск 1501.92 - 1528.96.ls"},
      {"/logs/Спуск 1501.92 - 1528.96", "LAS", "/logs/Спуск 1501.92 - 1528.96.las"},
      {"/logs/well.las", "LS", "/logs/well.ls"},
      {"/logs/well.LS", "LS", "/logs/well.LS"},
      {"/logs/well.tmp", "LAS", "/logs/well.las"},
      {"/logs/v1.5/run", "LS", "/logs/v1.5/run.ls"},
      {"run", "LAS", "run.las"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameForFormat(c.name, c.format), c.expected) << c.name;
}

}  // namespace
}  // namespace kest
