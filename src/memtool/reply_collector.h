#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

// Gathers one reply of the memory tool: the 32-bit values arriving on the reply
// sensor named ReplyName, until ExpectedCount of them are in (mode bit 0) or the line
// has been silent for Timeout ticks of the tool link's 100 ms timer. Main thread; the
// link hands it values and ticks from the logger's notifications.
class TReciveDataObject {
 public:
  enum : uint8_t { kCollecting = 0, kComplete = 1, kFailed = 2 };
  static constexpr int kTimeout = 50;
  static constexpr uint8_t kFinishOnCount = 1;
  // The exact flag value with which a time-out counts as success.
  static constexpr uint8_t kTimeoutIsSuccess = 4;
  // A reply never grows beyond this many values, whatever the line sends.
  static constexpr size_t kMaxValues = size_t{1} << 22;

  std::string ReplyName = "DateTime";
  int ExpectedCount = 50;
  uint8_t ModeFlags = 7;
  // busy = values are flowing.
  std::function<void(bool busy)> OnProgress;
  // Once per collection, when it ends either way.
  std::function<void(TReciveDataObject&)> OnComplete;

  // Clears the values and starts listening.
  void Start();
  // A value of the sensor `sensor` (upper-case names compare equal to ReplyName in
  // any case); ignored unless collecting from that sensor.
  void DataArrived(std::string_view sensor, uint32_t value);
  // One 100 ms tick.
  void Tick();
  // Stops collecting as complete.
  void Finish();

  uint8_t State() const { return state_; }
  bool Collecting() const { return state_ == kCollecting; }
  int Count() const { return static_cast<int>(values_.size()); }
  void SetCount(int count);
  int Timeout() const { return timeout_; }
  int Countdown() const { return countdown_; }
  const std::vector<uint32_t>& Values() const { return values_; }
  std::vector<uint32_t>& MutableValues() { return values_; }

  // What the status bar shows while collecting: "Получение данных: P% завершено",
  // or, after a second of silence, "Передача прервана, сброс через N секунд(ы)".
  std::string ProgressText() const;

 private:
  void Complete(uint8_t state);

  uint8_t state_ = kComplete;
  int timeout_ = kTimeout;
  int countdown_ = 0;
  int last_count_ = 0;
  std::vector<uint32_t> values_;
  std::string reply_upper_;
};

}  // namespace kest
