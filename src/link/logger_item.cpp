#include "link/logger_item.h"

#include "link/logger_channel.h"
#include "link/logger_sensor.h"

namespace kest {

void TLoggerItem::SetEnabled(bool enabled) {
  enabled_ = enabled;
  UpdateActive();
}

void TLoggerSensorItem::SetDataSource(TLoggerDataSource* source) {
  link_.SetDataSource(source);
  UpdateActive();
}

void TLoggerSensorItem::SetSensorName(std::string_view name) {
  link_.SetSensorName(name);
  UpdateActive();
}

void TLoggerSensorItem::SetSensorNumber(int32_t number) {
  link_.SetSensorNumber(number);
  UpdateActive();
}

void TLoggerSensorItem::TLoggerSensorItemLink::ActiveChanged() {
  TLoggerSensorLink::ActiveChanged();
  item_.UpdateActive();
}

void TLoggerSensorItem::TLoggerSensorItemLink::Changed() {
  item_.Value = Sensor()->Value;
  if (item_.Active()) item_.FireChange();
}

TLoggerChannelItem::TLoggerChannelItem()
    : channel_link_(*this), timer_link_(*this), second_link_(*this) {
  timer_link_.SetSensorName("TIMER");
  second_link_.SetSensorName("SECOND-TIMER");
}

void TLoggerChannelItem::SetDataSource(TLoggerDataSource* source) {
  channel_link_.SetDataSource(source);
  timer_link_.SetDataSource(source);
  second_link_.SetDataSource(source);
  UpdateActive();
}

void TLoggerChannelItem::SetChannelName(std::string_view name) {
  channel_link_.SetChannelName(name);
  UpdateActive();
}

void TLoggerChannelItem::SetChannelNumber(int32_t number) {
  channel_link_.SetChannelNumber(number);
  UpdateActive();
}

void TLoggerChannelItem::SetPeriod(int32_t period) {
  if (period < 0 || period > kMaxPeriod) throw ELoggerChannelItemError("Invalid period value");
  period_ = period;
  UpdateActive();
}

void TLoggerChannelItem::SetQueueSize(int32_t size) {
  if (size < 0 || size > kMaxQueueSize) throw ELoggerChannelItemError("Invalid queue size value");
  queue_size_ = size;
  queue_.SetCapacity(size * kSamplesPerQueueUnit);
  UpdateActive();
}

void TLoggerChannelItem::Loaded() {
  SetPeriod(period_);
  SetQueueSize(queue_size_);
}

void TLoggerChannelItem::UpdateActive() {
  active_ = Enabled() && channel_link_.Active() && channel_link_.Channel() != nullptr;
  averaging_ = active_ && period_ >= 1 && queue_size_ >= 1 && !channel_link_.Channel()->Smoothable;
}

void TLoggerChannelItem::ChannelChanged() {
  if (period_ != 0 || !active_) return;
  Value = static_cast<float>(Channel()->Value);
  FireChange();
}

void TLoggerChannelItem::TimerTick() {
  if (period_ != 0 && averaging_ && Channel()) queue_.Push(static_cast<float>(Channel()->Value));
}

void TLoggerChannelItem::SecondTick() {
  if (period_ == 0 || !active_) return;
  second_counter_ = (second_counter_ + 1) % period_;
  if (second_counter_ != 0) return;
  Value = averaging_ ? queue_.Average() : static_cast<float>(Channel()->Value);
  FireChange();
}

}  // namespace kest
