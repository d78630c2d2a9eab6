#include "app/core/logger_info_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/core/app_environment.h"
#include "app/core/tool_string.h"
#include "fake_clock.h"
#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_host.h"
#include "link/logger_module.h"
#include "link/module_classes.h"
#include "support/settings.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using Change = LoggerInfoModel::Change;

// The shipped tool string in a logger that is fed packets by hand, and the model
// over it on a fake clock.
class LoggerInfo : public ::testing::Test {
 protected:
  LoggerInfo() {
    logger = std::make_unique<TLogger>(host, clock, env.Classes());
    LoadToolString(*logger, env.Classes(), env.Defs(), ToolString::Shipped());
    model = std::make_unique<LoggerInfoModel>(*logger, clock);
    model->OnChange = [this](Change c) { changes.push_back(c); };
  }
  // A packet from the tool: a 16-bit value in the first two data bytes.
  void Deliver(uint8_t id, int value = 0) {
    logger->PacketDriver().Packets().Put(
        TPacket{id, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF), 0, 0, 0});
    logger->SensorDriver().Dispatch();
  }
  void RunTo(int64_t ms) {
    clock.Set(ms);
    model->Tick();
  }
  const LoggerInfoModel::ValueRow& SensorRow(const char* name) {
    TLoggerSensor* s = logger->Sensors().Find(name);
    const auto& rows = model->SensorRows();
    auto it = std::find_if(rows.begin(), rows.end(), [s](const auto& r) { return r.Sensor == s; });
    EXPECT_NE(it, rows.end()) << name;
    return *it;
  }
  const LoggerInfoModel::ValueRow& ChannelRow(const char* name) {
    TLoggerChannel* c = logger->Channels().Find(name);
    const auto& rows = model->ChannelRows();
    auto it = std::find_if(rows.begin(), rows.end(), [c](const auto& r) { return r.Channel == c; });
    EXPECT_NE(it, rows.end()) << name;
    return *it;
  }
  const LoggerInfoModel::ModuleRow& ModuleRow(const char* name) {
    const auto& rows = model->ModuleRows();
    auto it =
        std::find_if(rows.begin(), rows.end(), [name](const auto& r) { return r.Name == name; });
    EXPECT_NE(it, rows.end()) << name;
    return *it;
  }
  int Count(Change c) const {
    return static_cast<int>(std::count(changes.begin(), changes.end(), c));
  }

  AppEnvironment env{test::DataRoot()};
  HeadlessHost host;
  testing::FakeClock clock{0};
  std::unique_ptr<TLogger> logger;
  std::unique_ptr<LoggerInfoModel> model;
  std::vector<Change> changes;
};

constexpr uint8_t kSecondId = 2, kSkippedId = 3, kPacketsId = 4, kGkId = 48, kTimerId = 1;

TEST_F(LoggerInfo, AnIntervalOfFiveSecondsShowsTheMeanOfTheLastFiftySamplesEveryFiveSeconds) {
  model->SetSensorUpdateInterval(5);
  model->SetChannelUpdateInterval(2);
  TLoggerChannel* cali = logger->Channels().Find("CALI");  // smoothable
  TLoggerChannel* temp = logger->Channels().Find("TEMP");  // not smoothable: raw value
  const std::string before = SensorRow("GK-COUNTER").Value;
  for (int step = 1; step <= 100; ++step) {
    Deliver(kGkId, step);
    cali->Value = step;
    temp->Value = step + 0.004;
    RunTo(step * 100);
    if (step == 20) {
      EXPECT_EQ(ChannelRow("CALI").Value, "10.5");  // 1..20
      EXPECT_EQ(ChannelRow("TEMP").Value, "20");
    }
    if (step == 49) {
      EXPECT_EQ(SensorRow("GK-COUNTER").Value, before);
    } else if (step == 50 || step == 99) {
      EXPECT_EQ(SensorRow("GK-COUNTER").Value, "25.5");  // 1..50
    }
  }
  EXPECT_EQ(SensorRow("GK-COUNTER").Value, "75.5");  // 51..100: the ring holds fifty
  EXPECT_EQ(ChannelRow("CALI").Value, "90.5");       // 81..100
  EXPECT_EQ(Count(Change::SensorValues), 2);
  EXPECT_EQ(Count(Change::ChannelValues), 5);

  // "Сброс таймера" starts the five seconds again.
  RunTo(13000);
  model->ResetSensorTimer();
  RunTo(17900);
  EXPECT_EQ(Count(Change::SensorValues), 2);
  RunTo(18000);
  EXPECT_EQ(Count(Change::SensorValues), 3);
}

TEST_F(LoggerInfo, ImmediatelyShowsTheRawValueOnceASecond) {
  TLoggerChannel* cali = logger->Channels().Find("CALI");
  Deliver(kGkId, 7);
  cali->Value = 12.3456;
  RunTo(900);
  EXPECT_NE(SensorRow("GK-COUNTER").Value, "7");
  RunTo(1000);
  EXPECT_EQ(SensorRow("GK-COUNTER").Value, "7");
  EXPECT_EQ(ChannelRow("CALI").Value, "12.35");
  Deliver(kGkId, 300);
  cali->Value = -0.001;
  RunTo(1500);
  EXPECT_EQ(SensorRow("GK-COUNTER").Value, "7");
  RunTo(2000);
  EXPECT_EQ(SensorRow("GK-COUNTER").Value, "300");
  EXPECT_EQ(ChannelRow("CALI").Value, "0");
  // A tick that comes late runs each step once instead of catching up.
  RunTo(7500);
  EXPECT_EQ(Count(Change::SensorValues), 3);
  EXPECT_EQ(model->TickDueInMs(), 100);
}

TEST_F(LoggerInfo, StateRowsFollowTheLinkCountersAndTheSupplyCurrent) {
  const auto& state = model->StateRows();
  ASSERT_EQ(state.size(), 3u);
  EXPECT_EQ(state[0].Caption, "Пакетов в секунду");
  EXPECT_EQ(state[1].Caption, "Пропущено, байт");
  EXPECT_EQ(state[2].Caption, "Ток питания, мА");
  EXPECT_EQ(state[2].Value, std::to_string(logger->Power));
  EXPECT_NE(logger->Power, 0);
  Deliver(kPacketsId, 40);
  Deliver(kSkippedId, 12);
  EXPECT_EQ(state[0].Value, "40");
  EXPECT_EQ(state[1].Value, "12");
  logger->SetPower(0);
  EXPECT_EQ(state[2].Value, "0");
}

TEST_F(LoggerInfo, ASilentModuleDropsToNoPacketsAndTurnsNotAliveAfterTwoSeconds) {
  const auto& rows = model->ModuleRows();
  ASSERT_EQ(rows.size(), 4u);  // the system module is not listed
  EXPECT_EQ(rows[0].Name, "ТЕЛЕМЕТРИЯ");
  const auto& gk = ModuleRow("ГК-НК");
  EXPECT_EQ(gk.Number, 7);
  EXPECT_EQ(gk.Current, gk.Module->Current);
  for (int i = 0; i < 5; ++i) Deliver(kGkId, i + 1);
  Deliver(kSecondId);
  EXPECT_EQ(gk.Packets, 5);
  EXPECT_EQ(static_cast<TContainedLoggerModule*>(gk.Module)->PacketCount, 0);  // read and reset
  EXPECT_EQ(ModuleRow("ТМ").Packets, 0);

  clock.Set(1000);
  Deliver(kSecondId);
  EXPECT_EQ(gk.Packets, 0);
  Deliver(kTimerId);
  EXPECT_TRUE(gk.Alive);
  clock.Set(2000);
  Deliver(kTimerId);
  EXPECT_TRUE(gk.Alive);
  clock.Set(2001);
  Deliver(kTimerId);
  EXPECT_FALSE(gk.Alive);
  Deliver(kGkId, 9);
  Deliver(kTimerId);
  EXPECT_TRUE(gk.Alive);
}

TEST_F(LoggerInfo, FiltersChooseRowsByLocationAndNoBitLeavesTheListEmpty) {
  // The default shows the tool's own sensors and channels only.
  auto names = [](const std::vector<LoggerInfoModel::ValueRow>& rows, bool sensors) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(sensors ? r.Sensor->Name() : r.Channel->Name());
    return out;
  };
  auto has = [](const std::vector<std::string>& list, const char* name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  auto sensors = names(model->SensorRows(), true);
  EXPECT_TRUE(has(sensors, "GK-COUNTER"));
  EXPECT_FALSE(has(sensors, "TIMER"));
  EXPECT_FALSE(has(sensors, "DEPTH-SENSOR"));
  model->SetSensorFilter(LoggerInfoModel::kServiceBit | LoggerInfoModel::kGroundBit);
  sensors = names(model->SensorRows(), true);
  EXPECT_TRUE(has(sensors, "TIMER"));
  EXPECT_TRUE(has(sensors, "DEPTH-SENSOR"));
  EXPECT_FALSE(has(sensors, "GK-COUNTER"));
  EXPECT_EQ(Count(Change::SensorRows), 1);
  model->SetSensorFilter(0);
  model->SetChannelFilter(0);
  EXPECT_TRUE(model->SensorRows().empty());
  EXPECT_TRUE(model->ChannelRows().empty());
  RunTo(1000);  // nothing to show, nothing breaks
  model->SetChannelFilter(LoggerInfoModel::kGroundBit);
  auto channels = names(model->ChannelRows(), false);
  EXPECT_TRUE(has(channels, "DEPTH"));
  EXPECT_FALSE(has(channels, "TIME"));
}

TEST_F(LoggerInfo, ChangingTheToolStringRebuildsEveryList) {
  model->SetSensorUpdateInterval(2);
  logger->RemoveToolModules();
  EXPECT_TRUE(model->ModuleRows().empty());
  EXPECT_TRUE(model->SensorRows().empty());
  EXPECT_EQ(model->StateRows()[2].Value, "0");
  RunTo(2000);
  LoadToolString(*logger, env.Classes(), env.Defs(), {"ТЕЛЕМЕТРИЯ", "ИК #3", "", ""});
  EXPECT_EQ(model->ModuleRows().size(), 2u);
  // The new rows average over the interval chosen before: twenty samples.
  Deliver(64, 10);
  RunTo(2100);
  Deliver(64, 20);
  for (int t = 2200; t <= 4000; t += 100) RunTo(t);
  EXPECT_EQ(SensorRow("ILD-SIGNAL").Value, "19.5");  // one sample of 10, nineteen of 20
}

TEST_F(LoggerInfo, ALoggerThatGoesFirstLeavesEmptyListsAndStopsTheTimers) {
  logger.reset();
  EXPECT_EQ(model->Logger(), nullptr);
  EXPECT_TRUE(model->ModuleRows().empty());
  EXPECT_TRUE(model->SensorRows().empty());
  EXPECT_EQ(model->TickDueInMs(), -1);
  RunTo(5000);
  EXPECT_EQ(Count(Change::SensorValues), 0);
}

TEST_F(LoggerInfo, CaptionsComeFromTheParameterTablesWithInstanceAndOffset) {
  auto sensor = CreateSensor("WORD0");
  sensor->SetName("gk-counter");
  EXPECT_EQ(LoggerInfoModel::SensorCaption(*sensor), "Счет гамма-канала");
  sensor->Number = 1;
  EXPECT_EQ(LoggerInfoModel::SensorCaption(*sensor), "Счет гамма-канала (2)");
  sensor->SetName("NO-SUCH-SENSOR");
  EXPECT_EQ(LoggerInfoModel::SensorCaption(*sensor), "NO-SUCH-SENSOR (2)");

  TLoggerChannel channel([](TLoggerChannel&) {});
  channel.SetName("GK");
  channel.Offset = 300;
  EXPECT_EQ(LoggerInfoModel::ChannelCaption(channel), "Гамма-каротаж  -   300 mm");
  channel.Number = 1;
  channel.Offset = -12;
  EXPECT_EQ(LoggerInfoModel::ChannelCaption(channel), "Гамма-каротаж (1)  -   -12 mm");
  channel.SetName("PACKETS");  // described only in the sensor table
  channel.Number = 0;
  channel.Offset = 123456;
  EXPECT_EQ(LoggerInfoModel::ChannelCaption(channel), "Пакетов в секунду  - 123456 mm");
}

TEST(LoggerInfoSettingsTest, RoundTripAndTheFirstMissingValueEndsTheReading) {
  MemorySettings s;
  LoggerInfoSettings fresh = LoggerInfoSettings::Load(s, "LogRecorder");
  EXPECT_FALSE(fresh.HasPosition);
  EXPECT_EQ(fresh.SensorUpdateInterval, 0);

  LoggerInfoSettings v;
  v.Left = 10, v.Top = 20, v.Width = 300, v.Height = 400;
  v.SensorUpdateInterval = 5, v.ChannelUpdateInterval = 50;
  v.ShowGrid = true, v.FontSize = 10, v.FontBold = true;
  v.Save(s, "LogRecorder");
  EXPECT_EQ(s.GetInt("LogRecorder/Logger info window", "Width"), 300);
  LoggerInfoSettings back = LoggerInfoSettings::Load(s, "LogRecorder");
  EXPECT_TRUE(back.HasPosition && back.HasSize);
  EXPECT_EQ(back.Left, 10);
  EXPECT_EQ(back.Height, 400);
  EXPECT_EQ(back.SensorUpdateInterval, 5);
  EXPECT_EQ(back.ChannelUpdateInterval, 50);
  EXPECT_TRUE(back.ShowGrid);
  EXPECT_EQ(back.FontSize, 10);
  EXPECT_TRUE(back.FontBold);

  // Without ChannelUpdateInterval nothing after it is read, though it is there.
  s.Remove("LogRecorder/Logger info window", "ChannelUpdateInterval");
  back = LoggerInfoSettings::Load(s, "LogRecorder");
  EXPECT_EQ(back.SensorUpdateInterval, 5);
  EXPECT_FALSE(back.ShowGrid);
  EXPECT_EQ(back.FontSize, 0);
  // An unreadable Top stops before anything is taken.
  s.SetString("LogRecorder/Logger info window", "Top", "x");
  back = LoggerInfoSettings::Load(s, "LogRecorder");
  EXPECT_FALSE(back.HasPosition);
  EXPECT_EQ(back.Left, 0);
  EXPECT_EQ(back.SensorUpdateInterval, 0);
}

TEST(LoggerInfoSettingsTest, ValuesTheWindowCannotUseFallBackToSafeOnes) {
  MemorySettings s;
  LoggerInfoSettings v;
  v.SensorUpdateInterval = -3;
  v.ChannelUpdateInterval = 100000000;  // rings of a billion samples
  v.FontSize = 30;
  v.Save(s, "LogRecorder");
  LoggerInfoSettings back = LoggerInfoSettings::Load(s, "LogRecorder");
  EXPECT_EQ(back.SensorUpdateInterval, 0);
  EXPECT_EQ(back.ChannelUpdateInterval, 0);
  EXPECT_EQ(back.FontSize, 12);
  s.SetInt("LogRecorder/Logger info window", "FontSize", -11);
  EXPECT_EQ(LoggerInfoSettings::Load(s, "LogRecorder").FontSize, 0);
}

TEST(LoggerInfoSnap, EdgesWithinTwelvePixelsSnapToTheWorkArea) {
  const ScreenRect area{0, 30, 1000, 700};  // a panel above
  auto at = [&](int left, int top) {
    ScreenRect r = SnapToEdges({left, top, 300, 200}, area, 12);
    return std::pair(r.Left, r.Top);
  };
  EXPECT_EQ(at(12, 42), std::pair(0, 30));
  EXPECT_EQ(at(13, 43), std::pair(13, 43));
  EXPECT_EQ(at(-8, 300), std::pair(0, 300));
  EXPECT_EQ(at(690, 525), std::pair(700, 530));  // right and bottom edges
  EXPECT_EQ(at(400, 300), std::pair(400, 300));
}

}  // namespace
}  // namespace kest
