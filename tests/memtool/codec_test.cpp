#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "memtool/reply_collector.h"
#include "memtool/status_data.h"
#include "memtool/tool_codec.h"

namespace kest {
namespace {

TEST(ToolFloat, DecodesTheWireBytes) {
  struct Case {
    std::array<uint8_t, 4> bytes;
    double value;
  } cases[] = {
      {{0x7F, 0x00, 0x00, 0x00}, 1.0},   {{0x80, 0x80, 0x00, 0x00}, -2.0},
      {{0x00, 0xFF, 0x12, 0x34}, 0.0},   {{0x7E, 0x40, 0x00, 0x00}, 0.75},
      {{0x85, 0x48, 0x00, 0x00}, 100.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(DecodeToolFloat(c.bytes), c.value);
}

TEST(ToolFloat, EncodingRoundTripsAndSurvivesEdges) {
  for (double x : {1.0, -2.0, 0.75, 100.0, 36.6, -0.001, 1e-30, 123456.789, 0.99999999999})
    EXPECT_NEAR(DecodeToolFloat(EncodeToolFloat(x)), x, std::fabs(x) * 1.2e-7) << x;
  EXPECT_EQ(EncodeToolFloat(0), (std::array<uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(EncodeToolFloat(std::nan("")), (std::array<uint8_t, 4>{0, 0, 0, 0}));
  // Too large for the exponent: the largest value, not a wrapped exponent.
  EXPECT_GT(DecodeToolFloat(EncodeToolFloat(1e300)), 1e38);
}

TEST(ToolClock, SetClockBytesAreBcdAndDropTheFraction) {
  // A Saturday (7) just before midnight.
  auto b = EncodeClock({2026, 12, 12, 23, 59, 59, 900});
  EXPECT_EQ(b, (std::array<uint8_t, 7>{0x59, 0x59, 0x23, 0x07, 0x12, 0x12, 0x26}));
  EXPECT_EQ(EncodeClock({2027, 1, 3, 0, 0, 0, 0})[3], 0x01);  // a Sunday
}

TEST(ToolClock, ReadBackUnpacksTwoValuesAndRefusesNonsense) {
  // year 26 month 12 day 09 | dow 04 hour 10 minute 30 second 05
  uint32_t a = 0x12090026, b = 0x30050410;
  auto t = DecodeClock(a, b);
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (ToolTime{2026, 12, 9, 10, 30, 5, 0}));
  EXPECT_FALSE(DecodeClock(0x1209002A, b));  // a digit above 9
  EXPECT_FALSE(DecodeClock(0x13090026, b));  // month 13
  EXPECT_FALSE(DecodeClock(a, 0x30050424));  // hour 24
}

TEST(ToolStatusWord, FieldsAndTheMemoryRow) {
  ToolStatus s =
      DecodeStatus(0x00070320);  // pages 0x2000, 3 tasks, ADC, chip 1, chip 2 ok, clock bad, mains
  EXPECT_EQ(s.PageCount, 8192);
  EXPECT_EQ(s.TaskCount, 3);
  EXPECT_TRUE(s.AdcOk && s.Chip1Ok && s.Chip2Ok);
  EXPECT_FALSE(s.ClockOk);
  EXPECT_FALSE(s.OnBattery);
  ToolStatus again = DecodeStatus(EncodeStatus(s));
  EXPECT_EQ(again.PageCount, 8192);
  EXPECT_EQ(again.TaskCount, 3);

  TStatusData data;
  int changes = 0;
  data.OnChange = [&] { ++changes; };
  data.ShowStatus(s);
  EXPECT_EQ(data.Text(TStatusData::kMemory), "4224");
  EXPECT_EQ(data.Text(TStatusData::kClockTest), "Ошибка!");
  EXPECT_EQ(data.Text(TStatusData::kAdcTest), "Исправно");
  EXPECT_EQ(data.Text(TStatusData::kPower), "Сеть");
  EXPECT_GT(changes, 0);
  // Another page count leaves the memory row as it was.
  s.PageCount = 4096;
  s.OnBattery = true;
  data.ShowStatus(s);
  EXPECT_EQ(data.Text(TStatusData::kMemory), "4224");
  EXPECT_EQ(data.Text(TStatusData::kPower), "Батареи");
}

TEST(ReplyCollector, FinishesOnTheExpectedCountOfItsOwnSensor) {
  TReciveDataObject c;
  int completions = 0;
  c.OnComplete = [&](TReciveDataObject&) { ++completions; };
  c.ReplyName = "DateTime";
  c.ExpectedCount = 2;
  c.Start();
  c.DataArrived("STATUS", 1);  // another reply
  c.DataArrived("DATETIME", 7);
  EXPECT_TRUE(c.Collecting());
  c.DataArrived("DATETIME", 7);  // an equal value counts too
  EXPECT_EQ(c.State(), TReciveDataObject::kComplete);
  c.DataArrived("DATETIME", 9);  // late values are ignored
  EXPECT_EQ(c.Values(), (std::vector<uint32_t>{7, 7}));
  EXPECT_EQ(completions, 1);
}

TEST(ReplyCollector, AStallCountsDownInWholeSecondsAndFails) {
  TReciveDataObject c;
  std::vector<std::string> texts;
  c.OnProgress = [&](bool) {
    if (c.Collecting()) texts.push_back(c.ProgressText());
  };
  c.ReplyName = "Task";
  c.ExpectedCount = 4;
  c.Start();
  c.DataArrived("TASK", 1);
  c.Tick();  // values flowed
  EXPECT_EQ(c.ProgressText(), "Получение данных: 25% завершено");
  int ticks = 0;
  while (c.Collecting() && ticks < 100) {
    c.Tick();
    ++ticks;
  }
  EXPECT_EQ(ticks, 50);  // 5 s of silence
  EXPECT_EQ(c.State(), TReciveDataObject::kFailed);
  // After a second of silence the text counts down: 4 at 4.9 s left ... 0 at the end.
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Передача прервана, сброс через 4 секунд(ы)"),
            texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Передача прервана, сброс через 0 секунд(ы)"),
            texts.end());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "Передача прервана, сброс через 5 секунд(ы)"),
            texts.end());
}

TEST(ReplyCollector, ATimeOutIsSuccessOnlyWithFlagsExactlyFour) {
  for (uint8_t flags : {4, 5, 6}) {
    TReciveDataObject c;
    c.ModeFlags = flags;
    c.ExpectedCount = 100;
    c.ReplyName = "Task";
    c.Start();
    c.DataArrived("TASK", 3);
    for (int i = 0; i < 60 && c.Collecting(); ++i) c.Tick();
    EXPECT_EQ(c.State(), flags == 4 ? TReciveDataObject::kComplete : TReciveDataObject::kFailed)
        << int(flags);
  }
}

}  // namespace
}  // namespace kest
