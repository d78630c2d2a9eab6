#include "app/command_line.h"

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

TEST(CommandLine, TitleCarriesTheModeAndVersion) {
  EXPECT_EQ(WindowTitle(AppMode::amRecorder, "1.4.0"), "Регистратор v1.4.0");
  EXPECT_EQ(WindowTitle(AppMode::amEditor, "1.4.0"), "Редактор кривых v1.4.0");
}

}  // namespace
}  // namespace kest
