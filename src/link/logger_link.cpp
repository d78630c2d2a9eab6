#include "link/logger_link.h"

#include "link/logger_channels.h"
#include "link/logger_core.h"
#include "link/logger_data_source.h"
#include "link/logger_sensors.h"

namespace kest {

TGenericLoggerLink::~TGenericLoggerLink() {
  if (data_source_) data_source_->RemoveLink(this);
}

void TGenericLoggerLink::SetDataSource(TLoggerDataSource* source) {
  if (source == data_source_) return;
  if (data_source_) data_source_->RemoveLink(this);
  data_source_ = source;
  if (data_source_) data_source_->AddLink(this);
  UpdateActive();
}

void TGenericLoggerLink::DataSourceGone() {
  data_source_ = nullptr;
  UpdateActive();
}

LoggerCore* TGenericLoggerLink::Logger() const {
  return data_source_ ? data_source_->Logger() : nullptr;
}

void TGenericLoggerLink::UpdateActive() {
  bool active = data_source_ && data_source_->Active();
  if (active == active_) return;
  active_ = active;
  ActiveChanged();
}

void TLoggerSensorLink::SetSensorName(std::string_view name) {
  sensor_name_ = name;
  sensor_number_ = 0;
  Resolve();
}

void TLoggerSensorLink::SetSensorNumber(int32_t number) {
  sensor_number_ = number;
  Resolve();
}

void TLoggerSensorLink::Resolve() {
  sensor_ = nullptr;
  if (Active() && !sensor_name_.empty())
    sensor_ = Logger()->Sensors().Get(sensor_name_, sensor_number_);
}

void TLoggerSensorLink::SensorChanged(TLoggerSensor* sensor) {
  if (Active() && sensor && sensor == sensor_) Changed();
}

void TLoggerChannelLink::SetChannelName(std::string_view name) {
  channel_name_ = name;
  channel_number_ = 0;
  Resolve();
}

void TLoggerChannelLink::SetChannelNumber(int32_t number) {
  channel_number_ = number;
  Resolve();
}

void TLoggerChannelLink::Resolve() {
  channel_ = nullptr;
  if (Active() && !channel_name_.empty())
    channel_ = Logger()->Channels().Get(channel_name_, channel_number_);
}

void TLoggerChannelLink::ChannelChanged(TLoggerChannel* channel) {
  if (Active() && channel && channel == channel_) Changed();
}

}  // namespace kest
