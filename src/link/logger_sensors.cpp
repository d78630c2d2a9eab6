#include "link/logger_sensors.h"

#include "link/link_errors.h"
#include "link/logger_sensor_driver.h"

namespace kest {

TLoggerSensors::TLoggerSensors(TLoggerSensorDriver& driver) : TNamedItems("SN"), driver_(driver) {}

TLoggerSensors::~TLoggerSensors() {
  DropHooks();
  OnRemove = nullptr;
  Clear();
}

TLoggerDriverSensor* TLoggerSensors::Get(std::string_view name, int n) const {
  if (TLoggerDriverSensor* s = Find(name, n)) return s;
  if (name == "modulenumber") return nullptr;
  throw ELoggerSensorsError("Logger sensor \"" + std::string(name) + " #" + std::to_string(n) +
                            "\" not found");
}

void TLoggerSensors::Add(std::unique_ptr<TLoggerDriverSensor> sensor) {
  TLoggerDriverSensor* raw = sensor.get();
  bool entered = false;
  try {
    Insert(std::move(sensor), "Dup sensor", [&](TLoggerDriverSensor& s) {
      driver_.AddSensor(&s);
      entered = true;
    });
  } catch (...) {
    if (entered && IndexOf(raw) < 0) driver_.RemoveSensor(raw);  // defining it failed
    throw;
  }
}

void TLoggerSensors::Delete(int index) {
  TLoggerDriverSensor* sensor = Items(index);
  if (OnRemove) OnRemove(*sensor);
  driver_.RemoveSensor(sensor);
  Erase(index);
}

void TLoggerSensors::Clear() {
  ClearWith([this](int index) { Delete(index); });
}

}  // namespace kest
