#include "memtool/task_table.h"

#include <gtest/gtest.h>

#include "memtool/memtool_errors.h"
#include "memtool/task_grid.h"
#include "memtool/tool_codec.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

TTask Task(TTaskTime start, TTaskTime end, std::vector<int32_t> periods) {
  TTask t;
  t.Start = start;
  t.End = end;
  t.ComputeDuration();
  for (int32_t p : periods) t.Tracks.push_back({0, p});
  return t;
}

TEST(TaskTable, SampleAndPageCountsRoundHalfAPageUpToEven) {
  EXPECT_EQ(TaskSampleCount(528, 1), 31680);
  EXPECT_EQ(TaskPageCount(528, 1, 264), 120);  // exactly 120 pages stays 120
  EXPECT_EQ(TaskSampleCount(66, 1), 3960);
  EXPECT_EQ(TaskPageCount(66, 1, 264), 16);  // exactly 15 becomes 16
  EXPECT_EQ(TaskSampleCount(10, -8), 1200);  // every half second
  EXPECT_EQ(TaskSampleCount(1, kBurstPeriod), 72000);
  EXPECT_EQ(TaskPageCount(10, 0, 264), 0);
  EXPECT_DOUBLE_EQ(SampleIntervalMs(-8), 500);
  EXPECT_DOUBLE_EQ(SampleIntervalMs(kBurstPeriod), 100);
  EXPECT_DOUBLE_EQ(SampleIntervalMs(4), 4000);
}

TEST(TaskTable, PagesAreGivenOutInTaskAndChannelOrder) {
  TTaskDefTable table;
  table.SetChannelCount(4);
  table.Resize(2);
  table.Tasks(0) = Task(MakeTaskTime(2026, 1, 1, 10, 0), MakeTaskTime(2026, 1, 1, 18, 48),
                        {1, 0, 4, 0});  // 528 min
  table.Tasks(1) = Task(MakeTaskTime(2026, 1, 2, 10, 0), MakeTaskTime(2026, 1, 2, 11, 6),
                        {0, 1, 0, 0});  // 66 min
  EXPECT_EQ(table.AllocatePages(), 4 + 120 + 30 + 16);
  EXPECT_EQ(table.Tasks(0).Tracks[0].FirstPage, 4);
  EXPECT_EQ(table.Tasks(0).Tracks[1].FirstPage, 124);  // off: the next page, nothing used
  EXPECT_EQ(table.Tasks(0).Tracks[2].FirstPage, 124);
  EXPECT_EQ(table.Tasks(0).Tracks[3].FirstPage, 154);
  EXPECT_EQ(table.Tasks(1).Tracks[1].FirstPage, 154);
}

TEST(TaskTable, RecordsRoundTripThroughTheToolsLayout) {
  TTask t =
      Task(MakeTaskTime(2026, 12, 9, 23, 45), MakeTaskTime(2026, 12, 10, 1, 5), {1, -8, 0, 30});
  t.Tracks[0].FirstPage = 0x1234;
  t.Tracks[3].FirstPage = 4000;
  auto r = EncodeTaskRecord(t);
  EXPECT_EQ(r[0], 0x45);  // minute, BCD
  EXPECT_EQ(r[1], 0x23);
  EXPECT_EQ(r[2], 4);  // Wednesday, binary
  EXPECT_EQ(r[5], 0x26);
  EXPECT_EQ(r[14], 0x80);  // -8: magnitude with bit 15
  EXPECT_EQ(r[15], 0x08);
  EXPECT_EQ(r[20], 0x12);
  EXPECT_EQ(r[21], 0x34);
  EXPECT_EQ(r[28], 1);
  EXPECT_EQ(r[29], 0xCC);
  r[29] = 0xAA;  // the tool ran it
  auto back = DecodeTaskRecord(r, 4);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Start, t.Start);
  EXPECT_EQ(back->End, t.End);
  EXPECT_EQ(back->Duration, 80);
  EXPECT_EQ(back->Status, TTask::kExecuted);
  for (size_t c = 0; c < 4; ++c) {
    EXPECT_EQ(back->Tracks[c].Period, t.Tracks[c].Period);
    EXPECT_EQ(back->Tracks[c].FirstPage, t.Tracks[c].FirstPage);
  }
  r[28] = 2;  // burst: channel 0 at 1200 per second
  EXPECT_EQ(DecodeTaskRecord(r, 4)->Tracks[0].Period, kBurstPeriod);
  r[3] = 0x3A;  // not BCD
  EXPECT_FALSE(DecodeTaskRecord(r, 4));
}

TEST(TaskTable, TheCheckRefusesOverlapsEmptyTasksAndTablesTheToolCannotHold) {
  TTaskDefTable table;
  table.SetChannelCount(4);
  table.Resize(2);
  auto at = [](int h, int m) { return MakeTaskTime(2026, 3, 1, h, m); };
  table.Tasks(0) = Task(at(10, 0), at(12, 0), {1, 0, 0, 0});
  table.Tasks(1) = Task(at(12, 0), at(13, 0), {1, 0, 0, 0});
  EXPECT_EQ(CheckTaskTable(table), "Пересечение заданий 1 и 2");  // touching ends conflict
  table.Tasks(1) = Task(at(12, 1), at(13, 0), {1, 0, 0, 0});
  EXPECT_EQ(CheckTaskTable(table), "");
  table.Tasks(1) = Task(at(15, 0), at(15, 0), {1, 0, 0, 0});  // conflicts with any other
  EXPECT_EQ(CheckTaskTable(table), "Пересечение заданий 1 и 2");

  table.Resize(1);  // alone, a task that ends before it starts is still refused
  table.Tasks(0) = Task(at(12, 0), at(10, 0), {1, 0, 0, 0});
  EXPECT_NE(CheckTaskTable(table), "");

  table.Tasks(0) =
      Task(MakeTaskTime(2026, 3, 1, 0, 0), MakeTaskTime(2026, 3, 15, 0, 0), {1, 1, 1, 1});
  EXPECT_NE(CheckTaskTable(table).find("не помещаются"), std::string::npos);  // runs past memory

  table.Resize(9);
  for (int i = 0; i < 9; ++i) table.Tasks(i) = Task(at(i, 0), at(i, 30), {1, 0, 0, 0});
  EXPECT_NE(CheckTaskTable(table).find("не более 8"), std::string::npos);
}

TEST(TaskGrid, CellsAreCheckedByPositionAndNamed) {
  TTaskGrid grid;
  EXPECT_EQ(grid.Cell(TTaskGrid::kStart, 0), "01.01.01-12:00");
  for (const char* bad : {"32.01.01-12:00", "01.13.01-12:00", "01.01.01-24:00", "01.01.01-12:60",
                          "ab.01.01-12:00", "01.01.0", " 1.01.01-12:00"}) {
    grid.SetCell(TTaskGrid::kEnd, 0, bad);
    EXPECT_EQ(grid.CheckCell(TTaskGrid::kEnd, 0),
              "Недопустимое значение даты-времени в ячейке: 'Завершение' задания '1'")
        << bad;
  }
  grid.SetCell(TTaskGrid::kEnd, 0, "01.01.01-13:00");
  EXPECT_EQ(grid.CheckTable(), "");
}

TEST(TaskGrid, RowsAddDeleteAndBuildTheTable) {
  TTaskGrid grid;
  grid.SetCell(TTaskGrid::kEnd, 0, "01.01.01-13:00");
  ASSERT_TRUE(grid.AddTask({2026, 5, 4, 8, 7, 0, 0}));
  EXPECT_EQ(grid.Cell(TTaskGrid::kStart, 1), "04.05.26-08:07");
  EXPECT_EQ(grid.Cell(TTaskGrid::kPressure, 1), "0");
  grid.SetCell(TTaskGrid::kEnd, 1, "04.05.26-08:17");
  grid.ToggleMode(1);
  TTaskDefTable table;
  grid.BuildTable(table);
  ASSERT_EQ(table.Count(), 2);
  EXPECT_EQ(table.ChannelCount(), 4);
  EXPECT_EQ(table.Tasks(0).Duration, 60);
  EXPECT_EQ(table.Tasks(0).Tracks[3].Period, 4);
  EXPECT_EQ(table.Tasks(1).Mode, TTask::kBurst);  // a burst task records only channel 0
  EXPECT_EQ(table.Tasks(1).Tracks[0].Period, kBurstPeriod);

  grid.SetCell(TTaskGrid::kStart, 1, "01.01.01-12:30");  // inside task 1
  EXPECT_THROW_MSG(grid.BuildTable(table), ETaskTableError, "Пересечение заданий 1 и 2");
  EXPECT_EQ(table.Count(), 2);  // a failed build leaves the table alone

  for (int i = 0; i < 20; ++i) grid.AddTask({2026, 5, 4, 8, 7, 0, 0});
  EXPECT_EQ(grid.TaskCount(), TTaskGrid::kMaxRows);
  while (grid.DeleteTask()) {
  }
  EXPECT_EQ(grid.TaskCount(), 1);
}

TEST(TaskGrid, MemoryManagerRowsForTheSelectedCell) {
  TTaskDefTable table;
  table.SetChannelCount(4);
  table.Tasks(0) =
      Task(MakeTaskTime(2026, 1, 5, 10, 0), MakeTaskTime(2026, 1, 5, 11, 6), {1, 0, 0, 0});
  table.AllocatePages();
  auto rows = TTaskGrid::MemoryRows(table, 0, TTaskGrid::kPressure);
  EXPECT_EQ(rows[0].second, "05.01.26 (Пн)-10:00");
  EXPECT_EQ(rows[1].second, "5.01.26 (Пн)-11:06");
  EXPECT_EQ(rows[2].second, "4");
  EXPECT_EQ(rows[3].second, "19");
  EXPECT_EQ(rows[4].second, "3960");
  EXPECT_EQ(rows[5].second, "не выполнено");
  rows = TTaskGrid::MemoryRows(table, 0, TTaskGrid::kTemperature);  // a channel that is off
  EXPECT_EQ(rows[2].second, "нет");
  EXPECT_EQ(TTaskGrid::MemoryRows(table, 3, 4)[0].second, "не определено");
}

}  // namespace
}  // namespace kest
