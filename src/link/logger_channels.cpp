#include "link/logger_channels.h"

#include "link/link_errors.h"
#include "support/diagnostic_log.h"

namespace kest {

TLoggerChannels::~TLoggerChannels() {
  DropHooks();
  Clear();
}

TLoggerChannel* TLoggerChannels::Get(std::string_view name, int n) const {
  if (TLoggerChannel* c = Find(name, n)) return c;
  throw ELoggerError("Logger channel \"" + std::string(name) + " #" + std::to_string(n) +
                     "\" not found");
}

void TLoggerChannels::Add(std::unique_ptr<TLoggerChannel> channel) {
  Insert(std::move(channel), "Duplicate channel", nullptr);
}

void TLoggerChannels::Clear() {
  ClearWith([this](int index) { Delete(index); });
}

bool TLoggerChannels::EvaluateAll() {
  for (const auto& c : items_) {
    try {
      c->Evaluate();
    } catch (const std::exception& e) {
      Diag().LogException("logger_channels", c->SymbolName, e.what());
      return false;
    }
  }
  return true;
}

void TLoggerChannels::SensorRemoved(const TLoggerSensor* sensor) {
  for (const auto& c : items_)
    if (c->Sensor() == sensor) c->SetSensor(nullptr);
}

}  // namespace kest
