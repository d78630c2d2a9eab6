#include "app/core/plugin_loader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

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
  EXPECT_EQ(sheet.Comments().Count(), 0);  // an example shows, it does not write
}

// A recorded run: GR twice and SP, three rows from 1000 m down by 10 cm, with the
// parameters and comments a file keeps.
void FillRun(TLogSheet& sheet, TLogArgument argument = laDepth) {
  for (const char* name : {"GR", "GR", "SP"}) sheet.NewTrack(name);
  sheet.SetArgument(argument);
  for (int i = 0; i < sheet.Count(); ++i) sheet.Tracks(i)->SetArgument(argument);
  sheet.SetSteps(100);
  sheet.SetOrigins(1000000);
  for (int i = 0; i < sheet.Count(); ++i)
    for (int r = 0; r < 3; ++r) sheet.Tracks(i)->Append(static_cast<float>(r));
  sheet.Update();
  sheet.Params().SetValue("Прибор", "ГК");
  sheet.Comments().SetValue("Условия замера", "Спуск");
}

// The example's summary as it builds it for its box.
std::string Summary(TLogSheet* sheet, size_t size = 512) {
  void* library =
      dlopen((std::string(KEST_PLUGIN_DIR) + "/sheet_summary.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return std::string("dlopen: ") + dlerror();
  using SummaryFn = size_t (*)(TLogSheet*, char*, size_t);
  auto summary = reinterpret_cast<SummaryFn>(dlsym(library, "KestSheetSummary"));
  std::string text = "no KestSheetSummary";
  if (summary) {
    std::vector<char> buffer(size + 1, '*');
    size_t length = summary(sheet, buffer.data(), size);
    text = buffer.data();
    if (size > 0 && text.size() != std::min(length, size - 1))
      text = "wrong length " + std::to_string(length);
    if (buffer[size] != '*') text = "wrote past the buffer";
  }
  dlclose(library);
  return text;
}

TEST(PlugIns, TheExampleSummarisesCurvesRowsAndRange) {
  TLogSheet depth;
  FillRun(depth);
  EXPECT_EQ(Summary(&depth), "Кривых: 3 (GR, GR#1, SP)\nСтрок: 3\nИнтервал: 1000.00 - 1000.20 м");
  TLogSheet time;
  FillRun(time, laTime);
  EXPECT_EQ(Summary(&time), "Кривых: 3 (GR, GR#1, SP)\nСтрок: 3\nИнтервал: 1000.0 - 1000.2 с");
  TLogSheet empty;
  EXPECT_EQ(Summary(&empty), "Кривых: 0\nСтрок: 0\nИнтервал: нет");
  EXPECT_EQ(Summary(nullptr), "Нет планшета");
  // A short buffer gets the beginning, terminated.
  EXPECT_EQ(Summary(&empty, 7), "Кри");
}

TEST(PlugIns, PickingTheExampleLeavesTheRunAsItWas) {
  TLogSheet sheet;
  FillRun(sheet);
  const std::string params = sheet.Params().Text("\n"), comments = sheet.Comments().Text("\n");
  RunPlugIn(std::string(KEST_PLUGIN_DIR) + "/sheet_summary.so", nullptr, &sheet);
  EXPECT_EQ(sheet.Params().Text("\n"), params);
  EXPECT_EQ(sheet.Comments().Text("\n"), comments);
  ASSERT_EQ(sheet.Count(), 3);
  for (int i = 0; i < sheet.Count(); ++i) EXPECT_EQ(sheet.Tracks(i)->Count(), 3);
  EXPECT_EQ(sheet.Start(), 1000000);
  EXPECT_EQ(sheet.End(), 1000200);
  EXPECT_EQ(sheet.LockDepth(), 0);  // read under its lock, and let go
}

TEST(PlugIns, AMissingLibraryIsAnError) {
  testing::TempDir dir;
  EXPECT_THROW_MSG_HAS(
      RunPlugIn(dir.File("plugin.so"), nullptr, nullptr), EPlugInError,
      "Не удалось загрузить модуль расширения \"" + dir.File("plugin.so") + "\": ");
}

TEST(PlugIns, TheCaptionIsBoundedByItsField) {
  unsigned char field[4] = {200, 'a', 'b', 'c'};
  EXPECT_EQ(ShortStringText(field, sizeof field), "abc");
}

}  // namespace
}  // namespace kest
