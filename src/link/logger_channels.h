#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/logger_channel.h"
#include "link/named_items.h"

namespace kest {

// The logger's channels, by name: channels of one name stand together in the order
// they were added, and Number counts them from 0. While listed, a channel is visible
// to scripts as "ch" + name (+ Number when above 0). Owns the channels.
class TLoggerChannels : public TNamedItems<TLoggerChannel, TChannelNode> {
 public:
  TLoggerChannels() : TNamedItems("CH") {}
  ~TLoggerChannels();

  // As Find, but ELoggerError "Logger channel \"%s #%d\" not found" when missing.
  TLoggerChannel* Get(std::string_view name, int n = 0) const;

  // "Duplicate channel" (ELoggerError) when this very channel is listed already.
  void Add(std::unique_ptr<TLoggerChannel> channel);
  void Delete(int index) { Erase(index); }
  void Clear();
  // Evaluates in list order; the first failing channel is logged as an error and the
  // rest keep their values until the next pass. False when a channel failed.
  bool EvaluateAll();
  // Unbinds the channels that read `sensor` directly (it is about to be freed).
  void SensorRemoved(const TLoggerSensor* sensor);
};

}  // namespace kest
