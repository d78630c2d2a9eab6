#include "link/logger_channel.h"

#include "link/link_errors.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "support/code_page.h"

namespace kest {

TChannelLocation StrToChannelLocation(std::string_view text) {
  std::string upper = UpperCase(text);
  if (upper == "SERVICE") return TChannelLocation::Service;
  if (upper == "GROUND") return TChannelLocation::Ground;
  if (upper == "LOGGER") return TChannelLocation::Logger;
  throw ELoggerError(std::string(text) + " is not a valid Channel location");
}

TLoggerChannel::TLoggerChannel(ValueChangeFn on_value_change)
    : on_value_change_(std::move(on_value_change)) {
  KEST_ASSERT(on_value_change_ != nullptr);
}

TLoggerChannel::~TLoggerChannel() = default;

void TLoggerChannel::SetName(std::string_view name) { name_ = UpperCase(name); }

void TLoggerChannel::SetModule(TLoggerModule* module) {
  KEST_ASSERT(module_ == nullptr);
  module_ = module;
}

void TLoggerChannel::SetSensor(TLoggerSensor* sensor) {
  sensor_ = sensor;
  Offset = sensor ? sensor->Offset : 0;
}

void TLoggerChannel::SetFormula(NodeRef formula) { formula_ = std::move(formula); }

void TLoggerChannel::SetFilterLength(int length) {
  if (length != filter_.Capacity()) filter_.SetCapacity(length);
}

void TLoggerChannel::Evaluate() {
  const double before = Value;
  if (formula_) {
    NodeRef result = Lisp().Eval(formula_.Get());
    auto* number = NodeCast<TNumericNode>(result.Get());
    if (!number)
      throw ELoggerError("Канал \"" + name_ + "\" формула дала " + ToText(result.Get()) +
                         ", а не число");
    // Integers keep all their digits; everything else is read as the float it is.
    double value = NodeCast<TIntNode>(number) ? number->AsInteger() : number->AsFloat();
    if (filter_.Capacity() > 0) {
      filter_.Push(static_cast<float>(value));
      value = filter_.Average();
    }
    Value = value;
  } else if (sensor_) {
    Value = sensor_->Value;
  } else {
    Value = -1;
  }
  if (Value != before) on_value_change_(*this);
}

void TChannelNode::Print(std::string& out, int) const { out += "[CHANNEL]"; }

}  // namespace kest
