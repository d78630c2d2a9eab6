#include "memtool/memory_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fake_memory_link.h"
#include "memtool/memtool_errors.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

using testing::FakeMemoryHost;
using testing::FakeMemoryLink;

class MemoryToolTest : public ::testing::Test {
 protected:
  MemoryToolTest() { link.status = EncodeStatus({8192, 2, true, true, true, true, true}); }
  FakeMemoryLink link;
  FakeMemoryHost host;
  ToolTime now{2026, 12, 12, 23, 59, 59, 900};
  TMemoryTool tool{link, host, [this] { return now; }};
};

TEST_F(MemoryToolTest, StatusIsShownAndLeavesTheTable) {
  ToolStatus s = tool.ReadStatus();
  EXPECT_EQ(s.TaskCount, 2);
  // The table may be the one about to be written: its size is not the tool's.
  EXPECT_EQ(tool.Table().Count(), 1);
  EXPECT_EQ(tool.Table().ChannelCount(), 4);
  EXPECT_EQ(tool.StatusData().Text(TStatusData::kTasks), "2");
  EXPECT_EQ(link.sent, (std::vector<uint8_t>{0x0A}));
}

TEST_F(MemoryToolTest, ClockSyncSendsBcdBytesSlowlyAndShowsTheReadBack) {
  ToolTime back = tool.SynchronizeClock();
  std::vector<uint8_t> expected = {0x0A, 0x03, 0x59, 0x59, 0x23, 0x07, 0x12, 0x12, 0x26, 0x02};
  EXPECT_EQ(link.sent, expected);
  for (size_t i = 2; i <= 8; ++i) EXPECT_EQ(link.pauses[i], 2) << i;
  EXPECT_EQ(link.pauses[1], 0);
  EXPECT_EQ(back, link.clock);
  EXPECT_EQ(tool.StatusData().Text(TStatusData::kLastSync), "09 Декабрь 26(10:30)");
}

TEST_F(MemoryToolTest, ASilentToolIsReportedAfterFiveSeconds) {
  link.silent = true;
  EXPECT_THROW_MSG(tool.SynchronizeClock(), EMemoryToolError, "Нет ответа от прибора");
  EXPECT_EQ(link.ticks, 50);
  EXPECT_NE(
      std::find(host.texts.begin(), host.texts.end(), "Передача прервана, сброс через 2 секунд(ы)"),
      host.texts.end());
  EXPECT_FALSE(tool.CheckStatus());
}

TEST_F(MemoryToolTest, LaunchOnMainsAsksAndNoKeepsTheToolWaiting) {
  link.status = EncodeStatus({8192, 1, true, true, true, true, false});
  tool.Table().Tasks(0).Start = MakeTaskTime(2026, 12, 13, 10, 0);
  tool.Table().Tasks(0).End = MakeTaskTime(2026, 12, 13, 11, 0);
  tool.Table().Tasks(0).ComputeDuration();
  tool.Table().Tasks(0).Tracks[0].Period = 1;
  host.answer = false;
  EXPECT_FALSE(tool.Launch());
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_NE(host.questions[0].find("запитан от сети"), std::string::npos);
  EXPECT_EQ(std::count(link.sent.begin(), link.sent.end(), 0x0D), 0);
  host.answer = true;
  EXPECT_TRUE(tool.Launch());
  EXPECT_EQ(link.sent.back(), 0x0D);
}

TEST_F(MemoryToolTest, TheTableIsWrittenIntoPageOneAndReadBack) {
  tool.Table().Resize(2);
  for (int k = 0; k < 2; ++k) {
    TTask& t = tool.Table().Tasks(k);
    t.Start = MakeTaskTime(2026, 12, 13, 10 + 2 * k, 0);
    t.End = MakeTaskTime(2026, 12, 13, 11 + 2 * k, 0);
    t.ComputeDuration();
    t.Tracks[0].Period = 1;
    t.Tracks[2].Period = -8;
  }
  tool.WriteTaskTable();
  // The tool's side: the written bytes land in page 1.
  std::vector<uint8_t> page(528, 0xFF);
  for (size_t i = 0; i < link.sent.size();) {
    ASSERT_EQ(link.sent[i], 0x07);
    size_t offset = size_t{link.sent[i + 3]} << 8 | link.sent[i + 4];
    size_t length = size_t{link.sent[i + 5]} << 8 | link.sent[i + 6];
    ASSERT_LE(offset + length, page.size());
    std::copy_n(link.sent.begin() + static_cast<long>(i + 7), length,
                page.begin() + static_cast<long>(offset));
    i += 7 + length;
  }
  EXPECT_EQ(page[527], 2);
  for (size_t v = 0; v < 132; ++v) link.pages[1].push_back(ReplyValueOf(&page[4 * v]));

  tool.Table().Tasks(1).Tracks[0].Period = 99;  // forgotten by the read
  ASSERT_TRUE(tool.CheckStatus());
  link.sent.clear();
  ASSERT_TRUE(tool.ReadTaskTable());
  EXPECT_EQ(link.sent, (std::vector<uint8_t>{0x06, 0x00, 0x01, 0x00, 0x01}));
  EXPECT_EQ(tool.Table().Tasks(1).Tracks[0].Period, 1);
  EXPECT_EQ(tool.Table().Tasks(1).Tracks[2].Period, -8);
  EXPECT_EQ(tool.Table().Tasks(1).Duration, 60);
  EXPECT_EQ(tool.Table().Tasks(1).Tracks[0].FirstPage, 4 + 14 + 28);

  link.silent = true;  // a failed read leaves the table
  tool.Table().Tasks(1).Tracks[0].Period = 99;
  EXPECT_FALSE(tool.ReadTaskTable());
  EXPECT_EQ(tool.Table().Tasks(1).Tracks[0].Period, 99);
}

TEST_F(MemoryToolTest, ATableReadSaysWhatIsWrongWhenTheToolAnswered) {
  // The tool's table: task 1 sound, task 2's start hour not BCD.
  TTask good;
  good.Start = MakeTaskTime(2026, 12, 13, 10, 0);
  good.End = MakeTaskTime(2026, 12, 13, 11, 0);
  good.ComputeDuration();
  good.Tracks.resize(4);
  good.Tracks[0].Period = 1;
  std::vector<uint8_t> page(528, 0);
  auto record = EncodeTaskRecord(good);
  std::copy(record.begin(), record.end(), page.begin());
  std::copy(record.begin(), record.end(), page.begin() + 32);
  page[32 + 1] = 0x3A;
  for (size_t v = 0; v < 132; ++v) link.pages[1].push_back(ReplyValueOf(&page[4 * v]));
  tool.Table().Tasks(0).Tracks[0].Period = 99;

  link.status = EncodeStatus({8192, 0, true, true, true, true, true});
  ASSERT_TRUE(tool.CheckStatus());
  EXPECT_THROW_MSG(tool.ReadTaskTable(), EMemoryToolError, "В приборе нет заданий");
  link.status = EncodeStatus({8192, 2, true, true, true, true, true});
  ASSERT_TRUE(tool.CheckStatus());
  EXPECT_THROW_MSG(tool.ReadTaskTable(), EMemoryToolError,
                   "Задание 2 в таблице прибора не читается: неверная дата или время");
  EXPECT_EQ(tool.Table().Tasks(0).Tracks[0].Period, 99);  // unchanged
  link.status = EncodeStatus({8192, 1, true, true, true, true, true});
  ASSERT_TRUE(tool.CheckStatus());
  ASSERT_TRUE(tool.ReadTaskTable());
  ASSERT_EQ(tool.Table().Count(), 1);
  EXPECT_EQ(tool.Table().Tasks(0).Tracks[0].Period, 1);
}

// The table page as the tool sends it, damaged one field at a time in task 2 of 2:
// every row is refused with the task's number and the table keeps what it held.
TEST_F(MemoryToolTest, DamagedTablePagesAreRefusedAndTheTableKept) {
  TTask good;
  good.Start = MakeTaskTime(2028, 2, 28, 10, 0);
  good.End = MakeTaskTime(2028, 2, 28, 11, 0);
  good.ComputeDuration();
  good.Tracks.resize(4);
  good.Tracks[0].Period = 1;
  const auto record = EncodeTaskRecord(good);
  // Offsets in a record: start minute, hour, (weekday), day, month, year; end the same from 6.
  const struct {
    const char* what;
    std::vector<std::pair<size_t, uint8_t>> bytes;  // offset in the record, new byte
  } damages[] = {
      {"start minute 60", {{0, 0x60}}},
      {"start minute not BCD", {{0, 0x0A}}},
      {"start hour 24", {{1, 0x24}}},
      {"start hour not BCD", {{1, 0x3A}}},
      {"start day 0", {{3, 0x00}}},
      {"start day 32", {{3, 0x32}}},
      {"start month 0", {{4, 0x00}}},
      {"start month 13", {{4, 0x13}}},
      {"start year not BCD", {{5, 0xF0}}},
      {"end minute 60", {{6, 0x60}}},
      {"end day 31 of February", {{9, 0x31}}},
      {"end day 30 of February", {{9, 0x30}}},
      {"end 29 February of 2027", {{9, 0x29}, {11, 0x27}}},
  };
  link.status = EncodeStatus({8192, 2, true, true, true, true, true});
  ASSERT_TRUE(tool.CheckStatus());
  for (const auto& d : damages) {
    std::vector<uint8_t> page(528, 0);
    std::copy(record.begin(), record.end(), page.begin());
    std::copy(record.begin(), record.end(), page.begin() + 32);
    for (const auto& [at, byte] : d.bytes) page[32 + at] = byte;
    link.pages[1].clear();
    for (size_t v = 0; v < 132; ++v) link.pages[1].push_back(ReplyValueOf(&page[4 * v]));
    tool.Table().Resize(1);
    tool.Table().Tasks(0).Tracks[0].Period = 99;
    EXPECT_THROW_MSG(tool.ReadTaskTable(), EMemoryToolError,
                     "Задание 2 в таблице прибора не читается: неверная дата или время")
        << d.what;
    EXPECT_EQ(tool.Table().Count(), 1) << d.what;
    EXPECT_EQ(tool.Table().Tasks(0).Tracks[0].Period, 99) << d.what;
  }
}

TEST_F(MemoryToolTest, ARefusedTableSendsNothing) {
  tool.Table().Resize(2);  // two tasks at the same default time overlap
  EXPECT_THROW_MSG(tool.WriteTaskTable(), ETaskTableError, "Пересечение заданий 1 и 2");
  EXPECT_TRUE(link.sent.empty());
}

TEST_F(MemoryToolTest, ShortPagesAreReadAgainAndAPageThatNeverComesIsNamed) {
  for (int p = 10; p < 13; ++p)
    link.pages[p] = std::vector<uint32_t>(132, static_cast<uint32_t>(p));
  link.short_reads[11] = 2;
  auto values = tool.ReadPages(10, 3, nullptr);
  EXPECT_EQ(values.size(), 3u * 132);
  EXPECT_EQ(values[132], 11u);
  EXPECT_EQ(link.page_requests, (std::vector<int>{10, 11, 11, 11, 12}));
  EXPECT_NE(std::find(host.texts.begin(), host.texts.end(), "Повторное чтение страницы 11"),
            host.texts.end());

  link.short_reads[12] = 100;
  std::vector<uint32_t> partial;
  EXPECT_THROW_MSG(tool.ReadPages(10, 3, nullptr, &partial), EMemoryToolError,
                   "Нет ответа от прибора: страница 12 не прочитана");
  EXPECT_EQ(partial.size(), 2u * 132);
}

TEST_F(MemoryToolTest, APortThatGoesAwayStopsTheReadAtOnce) {
  link.lose_after_pages = 1;
  EXPECT_THROW_MSG(tool.ReadPages(4, 5, nullptr), EMemoryToolError,
                   "Связь с прибором потеряна: страница 5 не прочитана");
  EXPECT_EQ(link.page_requests.size(), 2u);
}

TEST_F(MemoryToolTest, PassThroughAndStandby) {
  tool.PassThrough(false);
  EXPECT_EQ(tool.StatusData().Mode(), TStatusData::kWithoutCoefficients);
  tool.PassThrough(true);
  EXPECT_EQ(tool.StatusData().Mode(), TStatusData::kWithCoefficients);
  tool.Standby();
  EXPECT_EQ(link.sent, (std::vector<uint8_t>{0x0B, 0x0C, 0x09}));
  EXPECT_EQ(link.protocol_mode, 1);
}

}  // namespace
}  // namespace kest
