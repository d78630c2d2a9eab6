#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

class LoggerCore;
class TLoggerChannel;
class TLoggerDataSource;
class TLoggerSensor;

// A follower of a data source. It is active while its data source is set and active,
// and hears of layout, sensor and channel changes only while active.
class TGenericLoggerLink {
 public:
  TGenericLoggerLink() = default;
  virtual ~TGenericLoggerLink();  // leaves the data source
  TGenericLoggerLink(const TGenericLoggerLink&) = delete;
  TGenericLoggerLink& operator=(const TGenericLoggerLink&) = delete;

  bool Active() const { return active_; }
  TLoggerDataSource* DataSource() const { return data_source_; }
  void SetDataSource(TLoggerDataSource* source);
  LoggerCore* Logger() const;

  // Active = data source set and active; ActiveChanged when that changed.
  virtual void UpdateActive();
  virtual void ActiveChanged() {}
  virtual void LayoutChanged() {}
  virtual void SensorChanged(TLoggerSensor* sensor) { (void)sensor; }
  virtual void ChannelChanged(TLoggerChannel* channel) { (void)channel; }

  // The data source is going away (it calls this instead of RemoveLink).
  void DataSourceGone();

 private:
  bool active_ = false;
  TLoggerDataSource* data_source_ = nullptr;
};

// Follows one sensor by name and number; it looks the sensor up again whenever it
// becomes active or the logger's layout changes.
class TLoggerSensorLink : public TGenericLoggerLink {
 public:
  const std::string& SensorName() const { return sensor_name_; }
  int32_t SensorNumber() const { return sensor_number_; }
  TLoggerSensor* Sensor() const { return sensor_; }
  // Also resets the number to 0. Both look the sensor up again, which raises
  // ELoggerSensorsError when the link is active and no such sensor is loaded.
  void SetSensorName(std::string_view name);
  void SetSensorNumber(int32_t number);

  void ActiveChanged() override { Resolve(); }
  void LayoutChanged() override { Resolve(); }
  void SensorChanged(TLoggerSensor* sensor) override;
  virtual void Changed() {}

 private:
  void Resolve();
  std::string sensor_name_;
  int32_t sensor_number_ = 0;
  TLoggerSensor* sensor_ = nullptr;
};

// Follows one channel by name and number (ELoggerError when it is not loaded).
class TLoggerChannelLink : public TGenericLoggerLink {
 public:
  const std::string& ChannelName() const { return channel_name_; }
  int32_t ChannelNumber() const { return channel_number_; }
  TLoggerChannel* Channel() const { return channel_; }
  void SetChannelName(std::string_view name);  // also resets the number to 0
  void SetChannelNumber(int32_t number);

  void ActiveChanged() override { Resolve(); }
  void LayoutChanged() override { Resolve(); }
  void ChannelChanged(TLoggerChannel* channel) override;
  virtual void Changed() {}

 private:
  void Resolve();
  std::string channel_name_;
  int32_t channel_number_ = 0;
  TLoggerChannel* channel_ = nullptr;
};

}  // namespace kest
