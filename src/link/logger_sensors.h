#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "link/logger_sensor.h"
#include "link/named_items.h"

namespace kest {

class TLoggerSensorDriver;

// The logger's sensors, by name: sensors of one name stand together in the order
// they were added, and Number counts them from 0. While listed, a sensor is visible
// to scripts as "sn" + name (+ Number when above 0) and its IDs are entered at the
// sensor driver. Owns the sensors.
class TLoggerSensors : public TNamedItems<TLoggerDriverSensor, TSensorNode> {
 public:
  explicit TLoggerSensors(TLoggerSensorDriver& driver);
  ~TLoggerSensors();

  // As Find, but ELoggerSensorsError "Logger sensor \"%s #%d\" not found" when
  // missing; the name "modulenumber" gives none without an error.
  TLoggerDriverSensor* Get(std::string_view name, int n = 0) const;

  // "Dup sensor" (ELoggerError) when this very sensor is listed already.
  void Add(std::unique_ptr<TLoggerDriverSensor> sensor);
  void Delete(int index);
  void Clear();

  // Set by the logger: a sensor is about to be freed (channels bound to it let go).
  std::function<void(TLoggerSensor& sensor)> OnRemove;

 private:
  TLoggerSensorDriver& driver_;
};

}  // namespace kest
