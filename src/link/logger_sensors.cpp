#include "link/logger_sensors.h"

#include <algorithm>

#include "link/link_errors.h"
#include "link/logger_sensor_driver.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"
#include "support/code_page.h"

namespace kest {

TLoggerSensors::TLoggerSensors(TLoggerSensorDriver& driver) : driver_(driver) {}

TLoggerSensors::~TLoggerSensors() {
  OnLayoutChange = nullptr;
  BeginUpdate = EndUpdate = nullptr;
  OnRemove = nullptr;
  Clear();
}

TLoggerDriverSensor* TLoggerSensors::Find(std::string_view name, int n) const {
  std::string wanted = UpperCase(name);
  for (const auto& s : items_)
    if (s->Name() == wanted && n-- == 0) return s.get();
  return nullptr;
}

TLoggerDriverSensor* TLoggerSensors::Get(std::string_view name, int n) const {
  if (TLoggerDriverSensor* s = Find(name, n)) return s;
  if (name == "modulenumber") return nullptr;
  throw ELoggerSensorsError("Logger sensor \"" + std::string(name) + " #" + std::to_string(n) +
                            "\" not found");
}

int TLoggerSensors::IndexOf(const TLoggerSensor* sensor) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == sensor) return static_cast<int>(i);
  return -1;
}

std::string TLoggerSensors::SymbolFor(const TLoggerSensor& sensor) {
  std::string symbol = "SN" + sensor.Name();
  if (sensor.Number > 0) symbol += std::to_string(sensor.Number);
  return symbol;
}

void TLoggerSensors::Define(TLoggerSensor& sensor) {
  sensor.SymbolName = SymbolFor(sensor);
  Lisp().SetVariable(sensor.SymbolName, MakeNode<TSensorNode>(&sensor));
  sensor.Registered = true;
}

void TLoggerSensors::Undefine(TLoggerSensor& sensor) {
  if (!sensor.Registered) return;
  sensor.Registered = false;
  if (!LispExists()) return;
  // A formula may still hold the node: make it read 0 rather than a freed sensor.
  NodeRef value = Lisp().GetVariable(sensor.SymbolName);
  if (auto* node = NodeCast<TSensorNode>(value.Get()); node && node->Sensor() == &sensor) node->Forget();
  if (Lisp().SymTable().Find(sensor.SymbolName)) Lisp().SymTable().Remove(sensor.SymbolName);
}

void TLoggerSensors::Add(std::unique_ptr<TLoggerDriverSensor> sensor) {
  if (IndexOf(sensor.get()) >= 0) {
    sensor.release();  // the list owns it already
    throw ELoggerError("Dup sensor");
  }
  auto last_same = std::find_if(items_.rbegin(), items_.rend(),
                                [&](const auto& s) { return s->Name() == sensor->Name(); });
  auto at = last_same == items_.rend() ? items_.end() : last_same.base();
  sensor->Number = static_cast<int32_t>(
      std::count_if(items_.begin(), at, [&](const auto& s) { return s->Name() == sensor->Name(); }));
  driver_.AddSensor(sensor.get());
  TLoggerDriverSensor* added = sensor.get();
  items_.insert(at, std::move(sensor));
  try {
    Define(*added);
  } catch (...) {
    Delete(IndexOf(added));
    throw;
  }
  if (OnLayoutChange) OnLayoutChange();
}

void TLoggerSensors::Delete(int index) {
  auto it = items_.begin() + index;
  if (OnRemove) OnRemove(**it);
  driver_.RemoveSensor(it->get());
  Undefine(**it);
  items_.erase(it);
  if (OnLayoutChange) OnLayoutChange();
}

void TLoggerSensors::Clear() {
  if (BeginUpdate) BeginUpdate();
  try {
    while (!items_.empty()) Delete(Count() - 1);
  } catch (...) {
    if (EndUpdate) EndUpdate();
    throw;
  }
  if (EndUpdate) EndUpdate();
}

}  // namespace kest
