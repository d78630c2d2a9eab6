#include "app/core/command_line.h"

#include <gtest/gtest.h>

namespace kest {
namespace {

TEST(CommandLine, ChoosesTheModeFromTheFirstArgumentInAnyCase) {
  EXPECT_EQ(ParseCommandLine({}).Mode, AppMode::amRecorder);
  CommandLine rec = ParseCommandLine({"rec"});
  EXPECT_TRUE(rec.Valid());
  EXPECT_EQ(rec.Mode, AppMode::amRecorder);

  CommandLine edit = ParseCommandLine({"Edit", "x.las"});
  EXPECT_TRUE(edit.Valid());
  EXPECT_EQ(edit.Mode, AppMode::amEditor);
  EXPECT_EQ(edit.FileName, "x.las");
  EXPECT_EQ(ParseCommandLine({"EDIT"}).FileName, "");
}

TEST(CommandLine, AnArgumentNamingNoModeIsRefusedWithItsTextAsGiven) {
  CommandLine view = ParseCommandLine({"view"});
  EXPECT_FALSE(view.Valid());
  EXPECT_EQ(view.Error, "Invalid parameter \"view\"");
  EXPECT_FALSE(ParseCommandLine({"x.las"}).Valid());
}

TEST(CommandLine, HelpAndVersionAreOptionsThatNoModeOrFileCanBeTakenFor) {
  struct Case {
    std::vector<std::string> args;
    bool help, version, valid;
    AppMode mode;
    std::string file;
  };
  const Case cases[] = {
      {{"--help"}, true, false, true, AppMode::amRecorder, ""},
      {{"--version"}, false, true, true, AppMode::amRecorder, ""},
      {{"--version", "EDIT"}, false, true, true, AppMode::amRecorder, ""},
      // Options are exact: anything else that is no mode stays an invalid parameter.
      {{"--HELP"}, false, false, false, AppMode::amRecorder, ""},
      {{"-h"}, false, false, false, AppMode::amRecorder, ""},
      {{"help"}, false, false, false, AppMode::amRecorder, ""},
      // After EDIT every argument is the file, whatever it looks like.
      {{"EDIT", "--help"}, false, false, true, AppMode::amEditor, "--help"},
      {{"rec", "--version"}, false, false, true, AppMode::amRecorder, ""},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    const std::string what = c.args[0];
    EXPECT_EQ(line.Help, c.help) << what;
    EXPECT_EQ(line.Version, c.version) << what;
    EXPECT_EQ(line.Valid(), c.valid) << what;
    EXPECT_EQ(line.Mode, c.mode) << what;
    EXPECT_EQ(line.FileName, c.file) << what;
  }
  EXPECT_EQ(ParseCommandLine({"--HELP"}).Error, "Invalid parameter \"--HELP\"");
}

TEST(CommandLine, TheHelpNamesBothModesAndBothOptionsInTheShapeTheManualIsMadeFrom) {
  const std::string help = HelpText();
  EXPECT_EQ(help.rfind("usage: kest ", 0), 0u);
  for (const char* entry :
       {"\n  REC\n      ", "\n  EDIT [FILE]\n      ", "\n  --help\n      ", "\n  --version\n      ",
        "\nmodes:\n", "\noptions:\n", "\n  KEST_ROOT\n      "})
    EXPECT_NE(help.find(entry), std::string::npos) << entry;
  EXPECT_EQ(VersionText("1.4.0"), "kest 1.4.0\n");
}

TEST(CommandLine, TitleCarriesTheModeAndVersion) {
  EXPECT_EQ(WindowTitle(AppMode::amRecorder, "1.4.0"), "Регистратор v1.4.0");
  EXPECT_EQ(WindowTitle(AppMode::amEditor, "1.4.0"), "Редактор кривых v1.4.0");
}

}  // namespace
}  // namespace kest
