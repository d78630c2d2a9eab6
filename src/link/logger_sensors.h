#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "link/logger_sensor.h"

namespace kest {

class TLoggerSensorDriver;

// The logger's sensors, by name: sensors of one name stand together in the order
// they were added, and Number counts them from 0. While listed, a sensor is visible
// to scripts as "sn" + name (+ Number when above 0). Owns the sensors.
class TLoggerSensors {
 public:
  explicit TLoggerSensors(TLoggerSensorDriver& driver);
  ~TLoggerSensors();
  TLoggerSensors(const TLoggerSensors&) = delete;
  TLoggerSensors& operator=(const TLoggerSensors&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TLoggerDriverSensor* Items(int i) const { return items_[static_cast<size_t>(i)].get(); }
  TLoggerDriverSensor* Find(std::string_view name, int n = 0) const;
  // As Find, but ELoggerSensorsError "Logger sensor \"%s #%d\" not found" when
  // missing; the name "modulenumber" gives none without an error.
  TLoggerDriverSensor* Get(std::string_view name, int n = 0) const;

  // "Dup sensor" (ELoggerError) when this very sensor is listed already.
  void Add(std::unique_ptr<TLoggerDriverSensor> sensor);
  void Delete(int index);
  void Clear();
  int IndexOf(const TLoggerSensor* sensor) const;

  // "sn" + name, + Number when above 0.
  static std::string SymbolFor(const TLoggerSensor& sensor);

  // Set by the logger: announce a layout change; bracket a batch of changes.
  std::function<void()> OnLayoutChange;
  std::function<void()> BeginUpdate;
  std::function<void()> EndUpdate;
  // Set by the logger: a sensor is about to be freed (channels bound to it let go).
  std::function<void(TLoggerSensor& sensor)> OnRemove;

 private:
  void Define(TLoggerSensor& sensor);
  void Undefine(TLoggerSensor& sensor);

  TLoggerSensorDriver& driver_;
  std::vector<std::unique_ptr<TLoggerDriverSensor>> items_;
};

}  // namespace kest
