#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/logger_sensor.h"
#include "lisp/node.h"
#include "lisp/value_nodes.h"
#include "support/singles.h"

namespace kest {

class TLoggerModule;

using TChannelLocation = TSensorLocation;
// "SERVICE", "GROUND", "LOGGER" in any case; else ELoggerError
// "%s is not a valid Channel location".
TChannelLocation StrToChannelLocation(std::string_view text);

// A physical reading computed from sensors: a script formula, or the raw value of one
// bound sensor, recomputed on every timer step. Main thread only.
class TLoggerChannel {
 public:
  using ValueChangeFn = std::function<void(TLoggerChannel& channel)>;

  // `on_value_change` (the logger's channel handler) is required.
  explicit TLoggerChannel(ValueChangeFn on_value_change);
  ~TLoggerChannel();
  TLoggerChannel(const TLoggerChannel&) = delete;
  TLoggerChannel& operator=(const TLoggerChannel&) = delete;

  int32_t Number = 0;  // index among channels of the same name, from 0
  bool Registered = false;
  std::string SymbolName;
  double Value = 0;
  int32_t Offset = 0;  // the bound sensor's offset, else 0
  TChannelLocation Location = TChannelLocation::Service;
  bool Smoothable = true;
  bool Recordable = true;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name);  // stored upper-cased
  TLoggerModule* Module() const { return module_; }
  void SetModule(TLoggerModule* module);  // once (an assertion failure otherwise)
  TLoggerSensor* Sensor() const { return sensor_; }
  void SetSensor(TLoggerSensor* sensor);  // also takes its Offset

  TNode* Formula() const { return formula_.Get(); }
  void SetFormula(NodeRef formula);
  const TSingles& FilterQueue() const { return filter_; }
  // The moving-average length; the ring is rebuilt (emptied) only when it changes.
  void SetFilterLength(int length);

  // Recomputes Value: the formula (through the filter when it has a length), else the
  // bound sensor's value, else -1. Calls the change handler when Value changed.
  // A formula that fails or gives no number raises; Value is then left unchanged.
  void Evaluate();

 private:
  ValueChangeFn on_value_change_;
  std::string name_;
  TLoggerModule* module_ = nullptr;
  TLoggerSensor* sensor_ = nullptr;
  NodeRef formula_;
  TSingles filter_;
};

// A channel as a script value: a number that reads the channel's current Value as a
// 32-bit float (0 once the channel is gone).
class TChannelNode : public TNumericNode {
 public:
  static constexpr TNodeClass kClass{"TChannelNode", &TNumericNode::kClass};
  explicit TChannelNode(const TLoggerChannel* channel) : channel_(channel) {}
  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "CHANNEL"; }
  void Print(std::string& out, int depth = 0) const override;
  float AsFloat() const override { return channel_ ? static_cast<float>(channel_->Value) : 0.0f; }
  const TLoggerChannel* Channel() const { return channel_; }
  const TLoggerChannel* Target() const { return channel_; }
  void Forget() { channel_ = nullptr; }  // the channel is going away

 private:
  const TLoggerChannel* channel_;
};

}  // namespace kest
