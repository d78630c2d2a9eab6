#include <gtest/gtest.h>

#include <fstream>

#include "fake_logger.h"
#include "link/link_errors.h"
#include "link/logger_channels.h"
#include "link/logger_data_source.h"
#include "link/logger_item.h"
#include "link/logger_sensors.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// A logger with the two timers and one channel "CH" read from sensor "RAW".
class ItemTest : public ::testing::Test {
 protected:
  ItemTest() {
    timer_ = AddSensor("TIMER");
    second_ = AddSensor("SECOND-TIMER");
    raw_ = AddSensor("RAW");
    auto c = std::make_unique<TLoggerChannel>(
        [this](TLoggerChannel& ch) { logger_.ChannelChanged(ch); });
    c->SetName("CH");
    c->SetSensor(raw_);
    channel_ = c.get();
    logger_.Channels().Add(std::move(c));
    source_.SetLogger(&logger_);
  }

  TLoggerSensor* AddSensor(const char* name) {
    auto s = CreateSensor("Word0");
    s->SetName(name);
    TLoggerSensor* raw = s.get();
    logger_.Sensors().Add(std::move(s));
    return raw;
  }
  // One timer step: the raw value changes, channels are evaluated, the timer ticks.
  void Step(int raw) {
    raw_->Value = raw;
    logger_.Notify(TLoggerNotifyKind::lnSensorChange, raw_);
    logger_.Channels().EvaluateAll();
    ++timer_->Value;
    logger_.Notify(TLoggerNotifyKind::lnSensorChange, timer_);
  }
  void Second() {
    ++second_->Value;
    logger_.Notify(TLoggerNotifyKind::lnSensorChange, second_);
  }

  TWLisp lisp_;
  testing::FakeLogger logger_;
  TLoggerDataSource source_;
  TLoggerSensor* timer_;
  TLoggerSensor* second_;
  TLoggerSensor* raw_;
  TLoggerChannel* channel_;
};

TEST_F(ItemTest, DataSourceFollowsLoggerAndEnabled) {
  int states = 0, layouts = 0;
  TLoggerDataSource ds;
  ds.OnStateChange = [&](TLoggerDataSource&) { ++states; };
  ds.OnLayoutChange = [&](TLoggerDataSource&) { ++layouts; };
  EXPECT_FALSE(ds.Active());
  ds.SetLogger(&logger_);
  EXPECT_TRUE(ds.Active());
  EXPECT_EQ(states, 1);
  EXPECT_EQ(layouts, 1);  // joining sends a layout change
  EXPECT_EQ(logger_.DataSourceCount(), 2);
  ds.SetEnabled(false);
  EXPECT_FALSE(ds.Active());
  logger_.Notify(TLoggerNotifyKind::lnLayoutChange);
  EXPECT_EQ(layouts, 1);  // nothing while inactive
  ds.SetEnabled(true);
  ds.SetLogger(nullptr);
  EXPECT_EQ(states, 4);
  EXPECT_EQ(logger_.DataSourceCount(), 1);
  {
    TLoggerDataSource gone;
    gone.SetLogger(&logger_);
  }
  EXPECT_EQ(logger_.DataSourceCount(), 1);
}

TEST_F(ItemTest, SensorItemReportsChangesOfItsSensor) {
  TLoggerSensorItem item;
  int changes = 0;
  item.OnChange = [&](TLoggerItem&) { ++changes; };
  item.SetSensorName("raw");
  item.SetDataSource(&source_);
  EXPECT_TRUE(item.Active());
  EXPECT_EQ(item.Sensor(), raw_);
  raw_->Value = 42;
  logger_.Notify(TLoggerNotifyKind::lnSensorChange, raw_);
  logger_.Notify(TLoggerNotifyKind::lnSensorChange, timer_);
  EXPECT_EQ(item.Value, 42);
  EXPECT_EQ(item.GetValue(), 42.0f);
  EXPECT_EQ(changes, 1);
  // Inside a bracket the payload is dropped: no item can tell it was its sensor.
  logger_.BeginUpdate();
  logger_.Notify(TLoggerNotifyKind::lnSensorChange, raw_);
  logger_.EndUpdate();
  EXPECT_EQ(changes, 1);
  item.SetEnabled(false);
  logger_.Notify(TLoggerNotifyKind::lnSensorChange, raw_);
  EXPECT_EQ(changes, 1);
}

TEST_F(ItemTest, LinkToAMissingSensorFailsUntilAModuleDeclaresIt) {
  testing::TempDir dir;
  TLoggerSensorItem item;
  item.SetSensorName("LATER");
  EXPECT_THROW_MSG(item.SetDataSource(&source_), ELoggerSensorsError,
                   "Logger sensor \"LATER #0\" not found");
  EXPECT_EQ(item.Sensor(), nullptr);
  TModuleClasses classes(dir.Path().string());
  {
    std::ofstream(dir.File("LATER"))
        << "((kind . BASE) (sensors ((name . LATER) (handler Word0 9))))";
  }
  classes.Reload();
  logger_.AddModule(classes.Get("LATER"));
  EXPECT_NE(item.Sensor(), nullptr);
  EXPECT_EQ(item.Sensor(), logger_.Sensors().Get("LATER"));
}

TEST_F(ItemTest, ChannelItemReportsEveryChangeWithPeriodZero) {
  TLoggerChannelItem item;
  std::vector<float> seen;
  item.OnChange = [&](TLoggerItem& i) { seen.push_back(i.GetValue()); };
  item.SetChannelName("CH");
  item.SetDataSource(&source_);
  ASSERT_TRUE(item.Active());
  for (int v : {1, 1, 2, 3}) Step(v);
  EXPECT_EQ(seen, (std::vector<float>{1, 2, 3}));
}

TEST_F(ItemTest, ChannelItemAveragesOnlyChannelsThatAreNotSmoothable) {
  for (bool smoothable : {false, true}) {
    channel_->Smoothable = smoothable;
    TLoggerChannelItem item;
    std::vector<float> seen;
    item.OnChange = [&](TLoggerItem& i) { seen.push_back(i.GetValue()); };
    item.SetChannelName("CH");
    item.SetPeriod(5);
    item.SetQueueSize(2);
    item.SetDataSource(&source_);
    EXPECT_EQ(item.Averaging(), !smoothable);
    EXPECT_EQ(item.Queue().Capacity(), 20);
    int v = 0;
    for (int second = 1; second <= 10; ++second) {
      for (int tick = 0; tick < 40; ++tick) Step(++v);
      Second();
    }
    // Every fifth second: the mean of the last 20 samples, or the current value.
    if (smoothable)
      EXPECT_EQ(seen, (std::vector<float>{200, 400})) << smoothable;
    else
      EXPECT_EQ(seen, (std::vector<float>{190.5f, 390.5f})) << smoothable;
  }
}

TEST_F(ItemTest, ChannelItemRefusesPeriodsAndQueuesAboveSixty) {
  TLoggerChannelItem item;
  item.SetPeriod(60);
  item.SetQueueSize(3);
  EXPECT_THROW_MSG(item.SetPeriod(61), ELoggerChannelItemError, "Invalid period value");
  EXPECT_THROW_MSG(item.SetPeriod(-1), ELoggerChannelItemError, "Invalid period value");
  EXPECT_EQ(item.Period(), 60);
  EXPECT_THROW_MSG(item.SetQueueSize(61), ELoggerChannelItemError, "Invalid queue size value");
  EXPECT_EQ(item.QueueSize(), 3);
  EXPECT_EQ(item.Queue().Capacity(), 30);
}

TEST_F(ItemTest, ChannelItemFollowsItsChannelInAndOut) {
  TLoggerChannelItem item;
  item.SetPeriod(1);
  item.SetQueueSize(1);
  item.SetChannelName("CH");
  item.SetDataSource(&source_);
  channel_->Smoothable = false;
  item.UpdateActive();
  ASSERT_TRUE(item.Averaging());
  logger_.Channels().Delete(logger_.Channels().IndexOf(channel_));
  EXPECT_FALSE(item.Active());
  EXPECT_FALSE(item.Averaging());
  ++timer_->Value;
  logger_.Notify(TLoggerNotifyKind::lnSensorChange, timer_);  // no channel to read: nothing happens
  Second();

  auto c =
      std::make_unique<TLoggerChannel>([this](TLoggerChannel& ch) { logger_.ChannelChanged(ch); });
  c->SetName("CH");
  logger_.Channels().Add(std::move(c));
  EXPECT_TRUE(item.Active());
}

}  // namespace
}  // namespace kest
