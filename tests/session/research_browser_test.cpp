// The browser of past recordings: the nested folder tree, renaming, log captions,
// well data, export with curve and interval choice and the "[0]" rule, failures that
// leave the files on disk as they were, and the report.
#include "session/research_browser.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "lisp/wlisp.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/research_parameters.h"
#include "run_command.h"
#include "session/log_document.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

using test::Slurp;

void Write(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A depth log of DEPTH, GK and SP from 1000 m down on a 100 mm step.
void WriteLog(const std::string& path, const std::string& conditions, int rows = 21) {
  LogDocument doc;
  TLogSheet& s = doc.Sheet();
  for (const char* name : {"DEPTH", "GK", "SP"}) {
    TLogTrack* t = s.NewTrack(name);
    t->SetStep(100);
    t->SetOrigin(1000000);
    for (int i = 0; i < rows; ++i) t->Append(static_cast<float>(i));
  }
  s.UpdateRange();
  if (!conditions.empty()) s.Comments().SetValue("Условия замера", conditions);
  s.Params().SetValue("StartTime", "01.02.2026 10:00");
  s.Params().SetValue("StopTime", "01.02.2026 10:20");
  fs::create_directories(fs::path(path).parent_path());
  doc.SaveAs(path, {});
}

class ResearchBrowser : public ::testing::Test {
 protected:
  ResearchBrowser() {
    auto& p = tables_.Parameters();
    p.Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "м", "Глуб.");
    p.Add("TIME", "Время", 0, "0.000", "TIME", "с", "Время");
    p.Add("GK", "Гамма", 0, "0.00", "GR", "у.е.", "ГК");
    p.Add("SP", "ПС", 0, "0.0", "SP", "мВ", "ПС");
  }
  TLogParameterTables tables_;
  std::string Root() const { return dir_.File("Research"); }
  std::string Dest() const { return dir_.File("out"); }
  testing::TempDir dir_;
};

TEST_F(ResearchBrowser, TreeHoldsFoldersAtAnyDepthAndSkipsHiddenOnes) {
  fs::create_directories(Root() + "/Южное/12");
  fs::create_directories(Root() + "/Южное/14/куст 3");
  fs::create_directories(Root() + "/.trash/x");
  fs::create_directories(Root() + "/Западное");
  auto tree = ResearchFolderTree(Root());
  ASSERT_EQ(tree.size(), 3u);
  EXPECT_EQ(tree[0].Name, "..");
  EXPECT_EQ(tree[0].Path, Root());
  EXPECT_EQ(tree[1].Name, "Западное");
  EXPECT_EQ(tree[2].Name, "Южное");
  ASSERT_EQ(tree[2].Children.size(), 2u);
  EXPECT_EQ(tree[2].Children[1].Children[0].Name, "куст 3");
  EXPECT_EQ(tree[2].Children[1].Children[0].Path, Root() + "/Южное/14/куст 3");
}

TEST_F(ResearchBrowser, RenameRefusesATakenOrUnsafeName) {
  fs::create_directories(Root() + "/Южное/12");
  fs::create_directories(Root() + "/Южное/14");
  Write(Root() + "/Южное/12/001.ls", "x");
  EXPECT_THROW_MSG(RenameResearchFolder(Root() + "/Южное/12", "14"), EResearchError,
                   "Папка \"14\" уже существует.");
  for (const char* name : {"", "..", "a/b", "a\\b"})
    EXPECT_THROW_MSG(RenameResearchFolder(Root() + "/Южное/12", name), EResearchError,
                     "Недопустимое имя папки \"" + std::string(name) + "\".");
  EXPECT_TRUE(fs::exists(Root() + "/Южное/12/001.ls"));
  EXPECT_EQ(RenameResearchFolder(Root() + "/Южное/12", "12-бис"), Root() + "/Южное/12-бис");
  EXPECT_TRUE(fs::exists(Root() + "/Южное/12-бис/001.ls"));
}

TEST_F(ResearchBrowser, LogListTakesCaptionsFromTheIndexAndShowsDates) {
  std::string folder = Root() + "/Южное/12";
  WriteLog(folder + "/002.ls", "");
  WriteLog(folder + "/001.ls", "");
  Write(folder + "/a.las", "");
  Write(folder + "/notes.txt", "");
  Write(folder + "/files", "001.ls=Спуск 1\r\n002.ls=Подъем 1");
  struct timespec times[2] = {{0, UTIME_OMIT}, {1767268800, 0}};  // 2026-01-01 12:00 UTC
  ::utimensat(AT_FDCWD, (folder + "/001.ls").c_str(), times, 0);
  auto logs = ResearchLogs(folder);
  ASSERT_EQ(logs.size(), 3u);
  EXPECT_EQ(logs[0].Caption, "Спуск 1");
  EXPECT_EQ(logs[1].Caption, "Подъем 1");
  EXPECT_EQ(logs[2].Caption, "a.las");
  EXPECT_EQ(logs[0].Date.substr(2), "/01/2026");
}

TEST_F(ResearchBrowser, WellDataNamesEveryParameterOrTheMissingOne) {
  TWLisp lisp;
  std::string descriptions_file = dir_.File("research params");
  Write(descriptions_file,
        "(((PARAMETER . OILFIELD) (DISPLAYNAME . \"Месторождение\"))"
        " ((PARAMETER . WELL) (DISPLAYNAME . \"Скважина\")))");
  TResearchParameters descriptions;
  descriptions.Reload(descriptions_file);
  Write(Root() + "/a/params", "OILFIELD=Южное\r\nWELL=12\r\n");
  EXPECT_EQ(WellData(Root() + "/a", descriptions),
            (std::vector<std::string>{"Месторождение - Южное", "Скважина - 12"}));
  Write(Root() + "/b/params", "PAD=3");
  EXPECT_THROW_MSG(WellData(Root() + "/b", descriptions), EResearchParametersError,
                   "Параметр \"PAD\" не найден");
}

TEST_F(ResearchBrowser, ChoiceBoundsAreCheckedAsTheDialogDoes) {
  std::string error;
  auto b = ParseChoiceBounds("1000.5", "1001", laDepth, error);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->first, 1000500);
  EXPECT_EQ(b->second, 1001000);
  auto minutes = ParseChoiceBounds("1", "2.5", laTime, error);
  ASSERT_TRUE(minutes);
  EXPECT_EQ(minutes->second, 150000);
  EXPECT_FALSE(ParseChoiceBounds("abc", "2", laDepth, error));
  EXPECT_EQ(error, "Неверное значение !");
  EXPECT_FALSE(ParseChoiceBounds("2", "2", laDepth, error));
  EXPECT_EQ(error, "Нижняя граница не должна быть больше верхней !");
  EXPECT_EQ(ChoiceBoundText(150000, laTime), "2.50");
}

TEST_F(ResearchBrowser, LsToLsIsCopiedByteForByteWithIndexAndParams) {
  WriteLog(Root() + "/Южное/12/001.ls", "Спуск 1");
  Write(Root() + "/Южное/12/files", "001.ls=Спуск 1");
  Write(Root() + "/Южное/12/params", "WELL=12");
  auto r = ExportLogs(Root(), {"Южное/12/001.ls"}, "LS", Dest(), {}, {});
  EXPECT_TRUE(r.Errors.empty());
  EXPECT_EQ(Slurp(Dest() + "/Южное/12/001.ls"), Slurp(Root() + "/Южное/12/001.ls"));
  EXPECT_EQ(Slurp(Dest() + "/Южное/12/files"), "001.ls=Спуск 1");
  EXPECT_EQ(Slurp(Dest() + "/Южное/12/params"), "WELL=12");
}

TEST_F(ResearchBrowser, LasExportIsNamedByConditionsWithTheClashRule) {
  WriteLog(Root() + "/w/001.ls", "Спуск 1000-1002");
  WriteLog(Root() + "/w/002.ls", "Спуск 1000-1002");
  WriteLog(Root() + "/w/003.ls", "");
  auto r = ExportLogs(Root(), {"w/001.ls", "w/002.ls", "w/003.ls"}, "LAS", Dest(), {}, {});
  ASSERT_TRUE(r.Errors.empty()) << r.Errors[0];
  EXPECT_EQ(r.Written, (std::vector<std::string>{Dest() + "/w/Спуск 1000-1002.las",
                                                 Dest() + "/w/Спуск 1000-1002[0].las",
                                                 Dest() + "/w/003.las"}));
  LogDocument back;
  back.Open(Dest() + "/w/003.las", {});
  EXPECT_NE(back.Sheet().FindTrack("GK"), nullptr);
  EXPECT_FALSE(fs::exists(Dest() + "/w/files"));  // only an LS export takes the index
}

TEST_F(ResearchBrowser, ChosenCurvesAndIntervalAreAllThatIsWritten) {
  WriteLog(Root() + "/w/001.ls", "");
  ExportHost host;
  host.ChooseCurves = [](const TLogSheet& sheet, CurveChoice& choice) {
    EXPECT_EQ(choice.Low, sheet.Start());
    choice.Keep[sheet.IndexOf(sheet.FindTrack("SP"))] = false;
    choice.Interval = true;
    choice.Low = 1000250;  // between samples: the first kept is 1000.3
    choice.High = 1000800;
    return true;
  };
  auto r = ExportLogs(Root(), {"w/001.ls"}, "LS", Dest(), {}, host);
  ASSERT_TRUE(r.Errors.empty()) << r.Errors[0];
  LogDocument back;
  back.Open(Dest() + "/w/001.ls", {});
  EXPECT_EQ(back.Sheet().FindTrack("SP"), nullptr);
  const TLogTrack* gk = back.Sheet().FindTrack("GK");
  EXPECT_EQ(gk->Origin(), 1000300);
  ASSERT_EQ(gk->Count(), 6);
  EXPECT_EQ(gk->Sample(0), 3.0f);
  EXPECT_EQ(back.Sheet().FindTrack("DEPTH")->Count(), 6);
}

TEST_F(ResearchBrowser, InvalidNameIsAskedForAndFailuresGoOnWithTheNextFile) {
  WriteLog(Root() + "/w/001.ls", "Спуск 1/2");
  Write(Root() + "/w/002.ls", "damaged");
  WriteLog(Root() + "/w/003.ls", "a?b");
  ExportHost host;
  std::vector<std::string> asked;
  host.AskName = [&](const std::string& name) -> std::optional<std::string> {
    asked.push_back(name);
    if (name == "a?b") return std::nullopt;
    return "Спуск 1-2";
  };
  auto r = ExportLogs(Root(), {"w/001.ls", "w/002.ls", "w/003.ls"}, "LAS", Dest(), {}, host);
  EXPECT_EQ(asked, (std::vector<std::string>{"Спуск 1/2", "a?b"}));
  EXPECT_EQ(r.Written, (std::vector<std::string>{Dest() + "/w/Спуск 1-2.las"}));
  ASSERT_EQ(r.Errors.size(), 2u);
  for (const auto& e : r.Errors) EXPECT_EQ(e.rfind("Ошибка сохранения файла: ", 0), 0u) << e;
}

TEST_F(ResearchBrowser, ReadOnlyDestinationLeavesNothingBehind) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  WriteLog(Root() + "/w/001.ls", "");
  fs::create_directories(Dest() + "/w");
  Write(Dest() + "/w/001.las", "old");
  fs::permissions(Dest() + "/w", fs::perms::owner_read | fs::perms::owner_exec);
  auto r = ExportLogs(Root(), {"w/001.ls"}, "LAS", Dest(), {}, {});
  fs::permissions(Dest() + "/w", fs::perms::owner_all);
  ASSERT_EQ(r.Errors.size(), 1u);
  EXPECT_EQ(r.Errors[0].rfind("Ошибка сохранения файла: ", 0), 0u);
  EXPECT_EQ(Slurp(Dest() + "/w/001.las"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(Dest() + "/w"), fs::directory_iterator()), 1);
}

// A full disk, as a file-size limit on this process (writes fail with EFBIG where
// ENOSPC would): the old file stays and no temporary file is left.
TEST_F(ResearchBrowser, FullDiskLeavesTheOldFileAndNoTemporary) {
  WriteLog(Root() + "/w/001.ls", "", 5000);
  fs::create_directories(Dest() + "/w");
  ExportResult r;
  {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    r = ExportLogs(Root(), {"w/001.ls"}, "LAS", Dest(), {}, {});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, old_handler);
  }
  ASSERT_EQ(r.Errors.size(), 1u);
  EXPECT_EQ(r.Errors[0].rfind("Ошибка сохранения файла: ", 0), 0u);
  EXPECT_TRUE(fs::is_empty(Dest() + "/w"));
}

TEST_F(ResearchBrowser, ReportHasOneRowPerNewCurve) {
  WriteLog(Root() + "/w/001.ls", "");
  WriteLog(Root() + "/w/002.ls", "");
  std::vector<std::string> errors;
  auto records = ReportRecords({Root() + "/w/001.ls", Root() + "/w/002.ls", Root() + "/none.ls"},
                               tables_.Parameters(), {}, errors);
  ASSERT_EQ(records.size(), 3u);  // DEPTH, GK, SP of the first log only
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(records[1].Curve, "GR");
  EXPECT_EQ(records[1].Number, 2);
  EXPECT_EQ(records[1].Direction, "спуск");
  EXPECT_DOUBLE_EQ(records[1].Finish, 1002.0);
  EXPECT_EQ(records[1].DateStart, "01.02.2026 10:00");
  std::string html = FillReportTemplate(DefaultReportTemplate(), records);
  EXPECT_EQ(html.find("#Num#"), std::string::npos);
  EXPECT_NE(html.find("<td>2</td><td>001.ls</td><td>GR</td><td>1000.00</td><td>1002.00</td>"
                      "<td>спуск</td><td>0.10</td>"),
            std::string::npos);
}

}  // namespace
}  // namespace kest
