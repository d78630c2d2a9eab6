#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/logger_link.h"
#include "support/errors.h"
#include "support/singles.h"

namespace kest {

KEST_DECLARE_ERROR(ELoggerChannelItemError, EKestError);

// One value of the logger that a window shows or records, with an OnChange event.
class TLoggerItem {
 public:
  virtual ~TLoggerItem() = default;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  virtual void UpdateActive() = 0;
  virtual float GetValue() const = 0;

  std::function<void(TLoggerItem& sender)> OnChange;

 protected:
  void FireChange() {
    if (OnChange) OnChange(*this);
  }

 private:
  bool enabled_ = true;
};

// The raw value of one sensor, reported on every change.
class TLoggerSensorItem : public TLoggerItem {
 public:
  TLoggerSensorItem() : link_(*this) {}

  TLoggerDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TLoggerDataSource* source);
  const std::string& SensorName() const { return link_.SensorName(); }
  void SetSensorName(std::string_view name);
  int32_t SensorNumber() const { return link_.SensorNumber(); }
  void SetSensorNumber(int32_t number);
  TLoggerSensor* Sensor() const { return link_.Sensor(); }

  bool Active() const { return active_; }
  int32_t Value = 0;

  void UpdateActive() override { active_ = Enabled() && link_.Active(); }
  float GetValue() const override { return static_cast<float>(Value); }

 private:
  class TLoggerSensorItemLink : public TLoggerSensorLink {
   public:
    explicit TLoggerSensorItemLink(TLoggerSensorItem& item) : item_(item) {}
    void ActiveChanged() override;
    void Changed() override;

   private:
    TLoggerSensorItem& item_;
  };

  TLoggerSensorItemLink link_;
  bool active_ = false;
};

// The value of one channel: every change (Period 0), or every Period-th second,
// then as the mean of the last QueueSize x 10 timer samples when the channel is not
// smoothable and QueueSize is set.
class TLoggerChannelItem : public TLoggerItem {
 public:
  static constexpr int kMaxPeriod = 60;
  static constexpr int kMaxQueueSize = 60;
  static constexpr int kSamplesPerQueueUnit = 10;

  TLoggerChannelItem();

  TLoggerDataSource* DataSource() const { return channel_link_.DataSource(); }
  void SetDataSource(TLoggerDataSource* source);  // for all three links
  const std::string& ChannelName() const { return channel_link_.ChannelName(); }
  void SetChannelName(std::string_view name);
  int32_t ChannelNumber() const { return channel_link_.ChannelNumber(); }
  void SetChannelNumber(int32_t number);
  TLoggerChannel* Channel() const { return channel_link_.Channel(); }

  int32_t Period() const { return period_; }
  // 0..60, else ELoggerChannelItemError "Invalid period value" (nothing changes).
  void SetPeriod(int32_t period);
  int32_t QueueSize() const { return queue_size_; }
  // 0..60, else "Invalid queue size value"; the queue then holds n x 10 samples and
  // starts empty.
  void SetQueueSize(int32_t size);
  // After the stored properties were read: applies them again through the setters.
  void Loaded();

  bool Active() const { return active_; }
  bool Averaging() const { return averaging_; }
  int32_t SecondCounter() const { return second_counter_; }
  const TSingles& Queue() const { return queue_; }
  float Value = 0;

  void UpdateActive() override;
  float GetValue() const override { return Value; }

 private:
  // The channel link keeps the item's state in step whenever it looks the channel up
  // again, also after a layout change: a channel loaded later makes the item active,
  // a channel removed makes it inactive.
  template <void (TLoggerChannelItem::*OnChanged)()>
  class ItemChannelLink : public TLoggerChannelLink {
   public:
    explicit ItemChannelLink(TLoggerChannelItem& item) : item_(item) {}
    void ActiveChanged() override {
      Follow([this] { TLoggerChannelLink::ActiveChanged(); });
    }
    void LayoutChanged() override {
      Follow([this] { TLoggerChannelLink::LayoutChanged(); });
    }
    void Changed() override { (item_.*OnChanged)(); }

   private:
    template <typename Fn>
    void Follow(Fn resolve) {
      try {
        resolve();
      } catch (...) {
        item_.UpdateActive();
        throw;
      }
      item_.UpdateActive();
    }
    TLoggerChannelItem& item_;
  };
  template <void (TLoggerChannelItem::*OnChanged)()>
  class ItemSensorLink : public TLoggerSensorLink {
   public:
    explicit ItemSensorLink(TLoggerChannelItem& item) : item_(item) {}
    void Changed() override { (item_.*OnChanged)(); }

   private:
    TLoggerChannelItem& item_;
  };

  void ChannelChanged();
  void TimerTick();
  void SecondTick();

  using TLCIChannelLink = ItemChannelLink<&TLoggerChannelItem::ChannelChanged>;
  using TLCITimerLink = ItemSensorLink<&TLoggerChannelItem::TimerTick>;
  using TLCISecTimerLink = ItemSensorLink<&TLoggerChannelItem::SecondTick>;

  TLCIChannelLink channel_link_;
  TLCITimerLink timer_link_;
  TLCISecTimerLink second_link_;
  int32_t period_ = 0;
  int32_t queue_size_ = 0;
  bool active_ = false;
  bool averaging_ = false;
  int32_t second_counter_ = 0;
  TSingles queue_;
};

}  // namespace kest
