#include "session/research.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "session/installation_folders.h"
#include "session/session_errors.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

using test::Slurp;

void Touch(const std::string& path, const std::string& text = "") { std::ofstream(path) << text; }

DateTime Day() { return {2024, 3, 7, 9, 5, 30}; }

TEST(ResearchFolder, FileCounterFollowsTheLargestNumberedLogFile) {
  TempDir dir;
  EXPECT_EQ(Research::FileCounterOf(dir.Path().string()), 1);
  for (const char* f : {"001.ls", "002.LS", "notes.ls", "010.las", "-4.ls", "files"})
    Touch(dir.File(f));
  EXPECT_EQ(Research::FileCounterOf(dir.Path().string()), 3);
}

TEST(ResearchFolder, UnnamedResearchesOfOneDayGetNumberedFolders) {
  TempDir base;
  Research research(base.Path().string(), Day);
  research.ResearchParams.Add("WELL=12");
  research.Start("");
  EXPECT_EQ(research.ResearchName(), "07-03-24");
  EXPECT_EQ(Slurp(research.ResearchDir() + "params"), "WELL=12\r\n");
  research.End();
  EXPECT_FALSE(research.IsOpen());
  research.Start("");
  EXPECT_EQ(research.ResearchName(), "07-03-24 [1]");
  EXPECT_EQ(research.FileCounter, 1);
  EXPECT_EQ(research.FileName(), "001.ls");
  // A second start while one is open is a fault of the caller.
  EXPECT_THROW(research.Start("x"), EAssertionFailed);
}

TEST(ResearchFolder, NamesThatLeaveTheBaseAreRefused) {
  TempDir tmp;  // the base lies inside it, so an escape would land where the test looks
  const fs::path base = tmp.Path() / "Research";
  fs::create_directory(base);
  Research research(base.string(), Day);
  for (const char* name : {"..", ".", "../x", "a/../../x", "/x", "\\x", "a//b", "a/", "a\\.."}) {
    EXPECT_THROW_MSG(research.Start(name), EResearchError, "Cant create dir") << name;
  }
  EXPECT_FALSE(fs::exists(tmp.Path() / "x"));
  EXPECT_TRUE(fs::is_empty(base));
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()), 1);
}

TEST(ResearchFolder, NestedNamesMakeNestedFolders) {
  TempDir tmp;
  Research research(tmp.Path().string(), Day);
  research.Open("");
  research.Start("Южное/12");
  EXPECT_TRUE(fs::is_regular_file(tmp.Path() / "Южное" / "12" / "params"));
  EXPECT_EQ(research.ResearchName(), "Южное/12");
  research.End();
  research.Start("Южное\\14\\куст 3");
  EXPECT_EQ(research.ResearchName(), "Южное/14/куст 3");
  EXPECT_TRUE(fs::is_directory(tmp.Path() / "Южное" / "14" / "куст 3"));
  research.End();
  research.Open("Южное\\12");
  EXPECT_EQ(research.ResearchDir(), (tmp.Path() / "Южное" / "12").string() + "/");
}

TEST(ResearchFolder, IndexJournalAndParamsOfOneResearch) {
  TempDir base;
  Research research(base.Path().string(), Day);
  research.Open("");
  research.ResearchParams.SetText("FIELD=Северное\r\nWELL=7");
  research.Start("Скв 7");
  research.AddToIndex("001.ls", "Спуск 1000.00 - 1100.00");
  research.AddToIndex("002.ls", "");
  EXPECT_EQ(Slurp(research.ResearchDir() + "files"), "001.ls=Спуск 1000.00 - 1100.00\r\n002.ls=");
  research.CurrentJournal().Write("Logging started");
  EXPECT_EQ(
      research.CurrentJournal().Text(),
      "07-03-2024 09:05:30 Research session started\r\n07-03-2024 09:05:30 Logging started\r\n");
  std::string dir = research.ResearchDir();
  research.End();
  std::string session =
      "07-03-2024 09:05:30 Research session started\r\n"
      "07-03-2024 09:05:30 Logging started\r\n"
      "07-03-2024 09:05:30 Research session complete\r\n";
  EXPECT_EQ(Slurp(dir + "journal"), session);
  // The base is the research folder again, with a journal of its own.
  EXPECT_EQ(research.ResearchDir(), base.Path().string() + "/");
  EXPECT_TRUE(FileExists(base.File("session")));

  // Opening it again reads its parameters and numbers; the journal accumulates.
  Touch(dir + "004.ls");
  research.Open("Скв 7");
  EXPECT_EQ(research.ResearchParams.Value("FIELD"), "Северное");
  EXPECT_EQ(research.FileCounter, 5);
  research.Exit();
  EXPECT_EQ(Slurp(dir + "journal"), session + "07-03-2024 09:05:30 Research session started\r\n");
  EXPECT_EQ(research.ResearchName(), "Скв 7");
}

TEST(ResearchFolder, DescriptionsRefuseTheCharactersOfFileNames) {
  EXPECT_TRUE(IsValidDescription("Подъем 1100.00 - 1000.00 (повтор)"));
  EXPECT_TRUE(IsValidDescription(""));
  for (char c : std::string("!#$%&*/@\\^~"))
    EXPECT_FALSE(IsValidDescription(std::string("a") + c)) << c;
}

TEST(Installation, SeedingCopiesTheTemplateWithoutOverwriting) {
  TempDir tmp;
  fs::create_directories(tmp.Path() / "template/Data/Classes");
  fs::create_directories(tmp.Path() / "template/Research");
  Touch(tmp.File("template/Data/Classes/System"), "shipped");
  Touch(tmp.File("template/Data/sensors"), "shipped");
  fs::create_directories(tmp.Path() / "root/Data");
  Touch(tmp.File("root/Data/sensors"), "edited");
  SeedRoot(tmp.File("template"), tmp.File("root"));
  EXPECT_EQ(Slurp(tmp.File("root/Data/sensors")), "edited");
  EXPECT_EQ(Slurp(tmp.File("root/Data/Classes/System")), "shipped");
  EXPECT_TRUE(fs::is_directory(tmp.Path() / "root/Research"));

  auto folders = InstallationFolders::FromRoot(tmp.File("root") + "/");
  EXPECT_EQ(folders.ResearchBase, tmp.File("root") + "/Research");
  EXPECT_EQ(folders.Modules, tmp.File("root") + "/Data/Модули");
  EXPECT_EQ(folders.CrashFile, tmp.File("root") + "/crash.tmp");
}

TEST(Installation, RootComesFromTheEnvironmentThenTheSystemFileThenTheUser) {
  TempDir tmp;
  Touch(tmp.File("kest.conf"), "[General]\nRootDir=/opt/kest\n");
  const char* old = std::getenv("KEST_ROOT");
  std::string saved = old ? old : "";
  ::setenv("KEST_ROOT", "/srv/kest", 1);
  EXPECT_EQ(ResolveInstallationRoot("", tmp.File("kest.conf")), "/srv/kest");
  ::unsetenv("KEST_ROOT");
  EXPECT_EQ(ResolveInstallationRoot("", tmp.File("kest.conf")), "/opt/kest");
  std::string home = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  ::setenv("XDG_DATA_HOME", tmp.File("share").c_str(), 1);
  EXPECT_EQ(ResolveInstallationRoot("", tmp.File("none.conf")), tmp.File("share") + "/kest");
  EXPECT_TRUE(fs::is_directory(tmp.File("share") + "/kest"));
  if (home.empty())
    ::unsetenv("XDG_DATA_HOME");
  else
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
  if (old) ::setenv("KEST_ROOT", saved.c_str(), 1);
}

}  // namespace
}  // namespace kest
