#include "app/plugin_loader.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

TEST(PlugIns, TheExamplePlugInIsOfferedByItsCaptionAndName) {
  testing::TempDir dir;
  fs::copy_file(std::string(KEST_PLUGIN_DIR) + "/sheet_summary.so", dir.File("sheet_summary.so"));
  std::ofstream(dir.File("notes.txt")) << "not a plug-in";
  std::ofstream(dir.File("broken.so")) << "not a library";
  static std::vector<std::string> reported;
  reported.clear();
  auto entries = ScanPlugIns(dir.Path().string(), [](const std::string& path, const std::string&) {
    reported.push_back(fs::path(path).filename().string());
  });
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Caption, "Сводка планшета");
  EXPECT_EQ(entries[0].Name, "sheet_summary");
  EXPECT_EQ(reported, std::vector<std::string>{"broken.so"});
}

TEST(PlugIns, APlugInWithBothEntryPointsGetsOnlyInitPlugInExWithTheLiveSheet) {
  TLogSheet sheet;
  for (const char* name : {"GR", "SP"}) {
    auto track = std::make_shared<TLogTrack>();
    track->SetParameter(name);
    sheet.AddTrack(track);
  }
  PlugInCall call = RunPlugIn(std::string(KEST_PLUGIN_DIR) + "/sheet_summary.so", nullptr, &sheet);
  EXPECT_EQ(call, PlugInCall::pcInitPlugInEx);
  EXPECT_EQ(sheet.Comments().Value("Сводка"), "Кривых: 2, строк: 0");
}

TEST(PlugIns, AMissingLibraryIsAnError) {
  EXPECT_THROW(RunPlugIn("/nonexistent/plugin.so", nullptr, nullptr), EPlugInError);
}

TEST(PlugIns, TheCaptionIsBoundedByItsField) {
  unsigned char field[4] = {200, 'a', 'b', 'c'};
  EXPECT_EQ(ShortStringText(field, sizeof field), "abc");
}

}  // namespace
}  // namespace kest
