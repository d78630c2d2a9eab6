#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/logger_channel.h"

namespace kest {

// The logger's channels, by name: channels of one name stand together in the order
// they were added, and Number counts them from 0. While listed, a channel is visible
// to scripts as "ch" + name (+ Number when above 0). Owns the channels.
class TLoggerChannels {
 public:
  TLoggerChannels() = default;
  ~TLoggerChannels();
  TLoggerChannels(const TLoggerChannels&) = delete;
  TLoggerChannels& operator=(const TLoggerChannels&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TLoggerChannel* Items(int i) const { return items_[static_cast<size_t>(i)].get(); }
  TLoggerChannel* Find(std::string_view name, int n = 0) const;
  // As Find, but ELoggerError "Logger channel \"%s #%d\" not found" when missing.
  TLoggerChannel* Get(std::string_view name, int n = 0) const;
  int IndexOf(const TLoggerChannel* channel) const;

  // "Duplicate channel" (ELoggerError) when this very channel is listed already.
  void Add(std::unique_ptr<TLoggerChannel> channel);
  void Delete(int index);
  void Clear();
  // Evaluates in list order; the first failing channel is logged as an error and the
  // rest keep their values until the next pass. False when a channel failed.
  bool EvaluateAll();
  // Unbinds the channels that read `sensor` directly (it is about to be freed).
  void SensorRemoved(const TLoggerSensor* sensor);

  // "ch" + name, + Number when above 0.
  static std::string SymbolFor(const TLoggerChannel& channel);

  // Set by the logger: announce a layout change; bracket a batch of changes.
  std::function<void()> OnLayoutChange;
  std::function<void()> BeginUpdate;
  std::function<void()> EndUpdate;

 private:
  void Define(TLoggerChannel& channel);
  void Undefine(TLoggerChannel& channel);

  std::vector<std::unique_ptr<TLoggerChannel>> items_;
};

}  // namespace kest
