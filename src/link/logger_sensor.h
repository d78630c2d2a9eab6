#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/packet_buffer.h"
#include "lisp/value_nodes.h"

namespace kest {

class TLoggerModule;

// Where a sensor's quantity is measured.
enum class TSensorLocation : uint8_t { Service = 0, Ground = 1, Logger = 2 };
// "SERVICE", "GROUND", "LOGGER" in any case; else ELoggerError
// "%s is not a valid sensor location".
TSensorLocation StrToSensorLocation(std::string_view text);
const char* SensorLocationName(TSensorLocation location);

// One raw quantity the tool reports. Its kind decides how the data bytes of a packet
// change its integer Value. Main thread only.
class TLoggerSensor {
 public:
  virtual ~TLoggerSensor() = default;

  int32_t Value = 0;
  int32_t Number = 0;  // index among sensors of the same name, from 0
  bool Registered = false;
  TSensorLocation Location = TSensorLocation::Service;
  int32_t Offset = 0;
  bool Smoothable = true;
  std::string SymbolName;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name);  // stored upper-cased
  TLoggerModule* Module() const { return module_; }
  void SetModule(TLoggerModule* module);  // once (an assertion failure otherwise)

  // The handler arguments of the module's declaration, a script list.
  virtual void Configure(TNode* args) = 0;
  virtual void Decode(const TPacket& packet) = 0;

 private:
  std::string name_;
  TLoggerModule* module_ = nullptr;
};

// A sensor fed by packets of up to 16 IDs.
class TLoggerDriverSensor : public TLoggerSensor {
 public:
  static constexpr int kMaxIDs = 16;

  int IDCount() const { return id_count_; }
  uint8_t IDs(int i) const;  // "Index out of bounds" outside 0..IDCount-1
  void AddID(uint8_t id);    // "TLoggerDriverSensor: Out of IDs" beyond 16

  // Every element must be an integer; its low byte becomes an ID.
  void Configure(TNode* args) override;

 protected:
  // The integers of a handler list (ELispEvalError for anything else).
  static std::vector<int32_t> Integers(TNode* args);

 private:
  std::array<uint8_t, kMaxIDs> ids_{};
  int id_count_ = 0;
};

// The kinds of sensor a module may declare, by handler name (upper-cased, sorted,
// no duplicates).
using SensorFactory = std::function<std::unique_ptr<TLoggerDriverSensor>()>;
void RegisterSensorKind(std::string_view handler,
                        SensorFactory factory);  // duplicate: ELoggerError
std::vector<std::string> SensorKindNames();
// An assertion failure "Cant find sensor with \"<name>\" handler" for an unknown name.
std::unique_ptr<TLoggerDriverSensor> CreateSensor(std::string_view handler);

// A sensor as a script value: a number that reads the sensor's current Value.
class TSensorNode : public TNumericNode {
 public:
  static constexpr TNodeClass kClass{"TSensorNode", &TNumericNode::kClass};
  explicit TSensorNode(const TLoggerSensor* sensor) : sensor_(sensor) {}
  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "SENSOR"; }
  void Print(std::string& out, int depth = 0) const override;
  int32_t AsInteger() const override { return sensor_ ? sensor_->Value : 0; }
  const TLoggerSensor* Sensor() const { return sensor_; }
  const TLoggerSensor* Target() const { return sensor_; }
  void Forget() { sensor_ = nullptr; }  // the sensor is going away

 private:
  const TLoggerSensor* sensor_;
};

}  // namespace kest
