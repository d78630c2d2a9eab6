#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "fake_memory_link.h"
#include "link/logger_channel.h"
#include "link/logger_channels.h"
#include "lisp/wlisp.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool.h"
#include "memtool/memtool_errors.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

using testing::FakeMemoryHost;
using testing::FakeMemoryLink;

// The channels of the memory tool's string as the logger would hold them.
class ReadoutTest : public ::testing::Test {
 protected:
  ReadoutTest() {
    for (const char* name : {"DEPTH", "TIME", "SPEED", "MAG-LABEL", "PRESSURE", "TEMPERATURE",
                             "DEBIT", "COUPLING-LOCATOR", "THERMOCOMPENSATION"}) {
      auto c = std::make_unique<TLoggerChannel>([](TLoggerChannel&) {});
      c->SetName(name);
      channels.Add(std::move(c));
    }
    TTask& t = tool.Table().Tasks(0);
    t.Start = MakeTaskTime(2026, 12, 13, 10, 0);
    t.End = MakeTaskTime(2026, 12, 13, 10, 2);
    t.ComputeDuration();
    t.Status = TTask::kExecuted;  // as the tool reports a task it ran
  }
  // Page p holds `written` samples from `base` on, then erased memory.
  void WritePage(int p, uint16_t base, int written) {
    std::vector<uint16_t> samples(264, kErasedWord);
    for (int i = 0; i < written; ++i)
      samples[static_cast<size_t>(i)] = static_cast<uint16_t>(base + i);
    auto& values = link.pages[p];
    values.clear();
    for (size_t i = 0; i < 264; i += 2)
      values.push_back(uint32_t{samples[i]} | uint32_t{samples[i + 1]} << 16);
  }
  // Samples of page p: sample i of the page is p * 1000 + i.
  void FillPage(int p, uint16_t base) {
    auto& values = link.pages[p];
    values.clear();
    for (uint32_t i = 0; i < 132; ++i)
      values.push_back(uint32_t{static_cast<uint16_t>(base + 2 * i)} |
                       uint32_t{static_cast<uint16_t>(base + 2 * i + 1)} << 16);
  }
  bool Recordable(const char* name) { return channels.Find(name)->Recordable; }

  TWLisp lisp;
  TLoggerChannels channels;
  FakeMemoryLink link;
  FakeMemoryHost host;
  TMemoryTool tool{link, host, [] { return ToolTime{}; }};
  TLogSheet sheet;
  TMemoryReadout readout{tool, channels, sheet};
};

TEST_F(ReadoutTest, ChannelsOfDifferentPeriodsShareTheFastestStep) {
  TTask& t = tool.Table().Tasks(0);
  t.Tracks[0].Period = 1;  // 120 samples, one page
  t.Tracks[1].Period = 4;  // 30 samples, one page
  tool.Table().AllocatePages();
  FillPage(4, 1000);
  FillPage(5, 3000);
  ReadoutResult r = readout.ReadTrack(0, {});
  EXPECT_EQ(r.Rows, 120);
  EXPECT_EQ(sheet.Argument(), laTime);
  ASSERT_EQ(sheet.Count(), 2);  // the recordable task channels, not the time or the depth
  TLogTrack* pressure = sheet.FindTrack("PRESSURE");
  TLogTrack* temperature = sheet.FindTrack("TEMPERATURE");
  ASSERT_TRUE(pressure && temperature);
  EXPECT_EQ(pressure->Step(), 1000);
  EXPECT_EQ(pressure->Origin(), 10 * 3600 * 1000);  // the task's start
  ASSERT_EQ(pressure->Count(), 120);
  ASSERT_EQ(temperature->Count(), 120);
  for (int row : {0, 1, 2, 5, 6, 119}) {
    EXPECT_FLOAT_EQ(pressure->Sample(row), (1000 + row) * 0.001f) << row;
    // Each 4 s sample on four rows, sample round(row / 4) (halves to even); the
    // last rows keep the last of the 30 samples instead of the erased rest of the page.
    int i = std::min(29, static_cast<int>(std::nearbyint(row * 0.25)));
    EXPECT_FLOAT_EQ(temperature->Sample(row), (3000 + i) * (1 / 500.0f)) << row;
  }
  EXPECT_EQ(link.page_requests, (std::vector<int>{4, 5}));
  EXPECT_TRUE(Recordable("PRESSURE"));  // flags set back
  EXPECT_TRUE(Recordable("THERMOCOMPENSATION"));
  EXPECT_FALSE(Recordable("DEPTH"));
}

TEST(Resampling, MissingSamplesArePaddedOnlyWhenAsked) {
  TLogSheet sheet;
  TLogTrack* padded = sheet.NewTrack("A");
  TLogTrack* cut = sheet.NewTrack("B");
  const std::vector<uint16_t> samples = {10, 20, 30};
  EXPECT_EQ(AppendResampled(*padded, samples, 6, 1.0, 0.5f, true), 6);
  EXPECT_EQ(AppendResampled(*cut, samples, 6, 1.0, 0.5f, false), 3);
  std::vector<float> values;
  for (int i = 0; i < padded->Count(); ++i) values.push_back(padded->Sample(i));
  EXPECT_EQ(values, (std::vector<float>{5, 10, 15, 0, 0, 0}));
}

TEST_F(ReadoutTest, OnlyWhatTheToolWroteIsEverRead) {
  TTask& t = tool.Table().Tasks(0);
  t.Tracks[0].Period = 1;  // 120 samples, page 4
  t.Tracks[1].Period = 2;  // 60 samples, page 5
  tool.Table().AllocatePages();
  WritePage(4, 1000, 120);
  WritePage(5, 3000, 60);
  // The sheet held an earlier depth run: none of it stays with the read-out.
  sheet.NewTrack("GK")->Append(7);
  sheet.Params().SetValue("Прибор", "ГК-НК №7");
  sheet.Comments().SetValue("Условия замера", "Скважина 12, спуск");
  ReadoutOptions options;
  options.tool = "Автономный №1";
  ASSERT_EQ(readout.ReadTrack(0, options).Rows, 120);
  EXPECT_EQ(sheet.FindTrack("GK"), nullptr);
  EXPECT_EQ(sheet.Params().Value("Прибор"), "Автономный №1");
  EXPECT_EQ(sheet.Comments().IndexOfName("Условия замера"), -1);
  EXPECT_EQ(sheet.Start(), 10 * 3600 * 1000);

  // A task the tool did not run (never, or it began before the launch) is refused
  // before anything is read, and the sheet keeps its log.
  for (uint8_t status : {uint8_t{TTask::kNotExecuted}, uint8_t{TTask::kMarkedBB}}) {
    t.Status = status;
    link.page_requests.clear();
    EXPECT_THROW_MSG(readout.ReadTrack(0, {}), EMemoryToolError,
                     "Задание 1 не выполнено: читать нечего");
    EXPECT_TRUE(link.page_requests.empty());
    ASSERT_NE(sheet.FindTrack("PRESSURE"), nullptr);
    EXPECT_EQ(sheet.FindTrack("PRESSURE")->Count(), 120);
  }

  // Cut short after 50 s: each channel stops at its first erased word, and no row
  // anywhere holds erased memory (65.535 MPa, 131.07 °C) or an invented 0.
  t.Status = TTask::kExecuted;
  WritePage(4, 1000, 50);
  WritePage(5, 3000, 25);
  readout.ReadTrack(0, {});
  TLogTrack* pressure = sheet.FindTrack("PRESSURE");
  TLogTrack* temperature = sheet.FindTrack("TEMPERATURE");
  ASSERT_EQ(pressure->Count(), 50);
  ASSERT_EQ(temperature->Count(), 50);
  for (int row = 0; row < 50; ++row) {
    EXPECT_FLOAT_EQ(pressure->Sample(row), (1000 + row) * 0.001f) << row;
    const int i = static_cast<int>(std::nearbyint(row * 0.5));
    EXPECT_FLOAT_EQ(temperature->Sample(row), (3000 + i) * 0.002f) << row;
  }

  // Run, and nothing of it in memory.
  WritePage(4, 0, 0);
  WritePage(5, 0, 0);
  EXPECT_THROW_MSG(readout.ReadTrack(0, {}), EMemoryToolError,
                   "Задание 1: в памяти прибора нет его записей, читать нечего");
}

TEST_F(ReadoutTest, AnEmptyTaskHasNothingToRead) {
  EXPECT_THROW_MSG(readout.ReadTrack(0, {}), EMemoryToolError, "Тут читать нечего 4");
  EXPECT_TRUE(link.page_requests.empty());
}

TEST_F(ReadoutTest, AFailedPageKeepsTheChannelsReadAndPadsNothing) {
  TTask& t = tool.Table().Tasks(0);
  t.End = MakeTaskTime(2026, 12, 13, 10, 20);  // 1200 s: 5 pages at 1 s
  t.ComputeDuration();
  t.Tracks[0].Period = 1;
  t.Tracks[1].Period = 1;
  tool.Table().AllocatePages();
  for (int p = 4; p < 14; ++p) FillPage(p, static_cast<uint16_t>(p * 1000));
  link.short_reads[11] = 100;  // channel 1's third page never comes whole
  EXPECT_THROW_MSG(readout.ReadTrack(0, {}), EMemoryToolError,
                   "Нет ответа от прибора: страница 11 не прочитана");
  EXPECT_EQ(sheet.FindTrack("PRESSURE")->Count(), 1200);
  EXPECT_EQ(sheet.FindTrack("TEMPERATURE")->Count(),
            2 * 264);  // its first two pages, no zeros after
  EXPECT_TRUE(Recordable("TEMPERATURE"));
}

TEST_F(ReadoutTest, ABurstTaskIsCalibratedIntoItsFile) {
  TTask& t = tool.Table().Tasks(0);
  t.End = MakeTaskTime(2026, 12, 13, 10, 1);
  t.ComputeDuration();
  t.Mode = TTask::kBurst;
  t.Tracks[0].Period = kBurstPeriod;
  tool.Table().AllocatePages();
  // Matrix: M[0][0] = 1, M[1][0] = 2, M[1][1] = 0.5: value = 1 + (2 + 0.5 T) x.
  auto& cal = link.pages[0];
  cal.assign(132, 0);
  auto put = [&](size_t i, double v) {
    auto b = EncodeToolFloat(v);
    cal[i] = ReplyValueOf(b.data());
  };
  put(0, 1);
  put(7, 2);
  put(8, 0.5);
  for (int p = 4; p < 4 + 273; ++p) FillPage(p, 100);
  auto temperature = EncodeToolFloat(4);
  link.pages[4][0] = ReplyValueOf(temperature.data());

  testing::TempDir dir;
  ReadoutOptions options;
  options.burst_file = dir.File("recivedBurstMode.track");
  ReadoutResult r = readout.ReadTrack(0, options);
  EXPECT_EQ(r.BurstLines, 72000);
  EXPECT_EQ(sheet.FindTrack("PRESSURE")->Count(), 0);
  std::ifstream in(options.burst_file);
  std::string first;
  std::getline(in, first);
  // The first sample after the temperature is 102: 1 + (2 + 2) * 1.02.
  EXPECT_EQ(first, "5.08\t\t102.00\r");
}

}  // namespace
}  // namespace kest
