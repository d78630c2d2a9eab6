#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "memtool/tool_codec.h"
#include "sim/formation_model.h"

namespace kest {
class Clock;
}  // namespace kest

namespace kest::sim {

// Where the memory tool is, hours after it was launched: depth in metres, linear
// between the points and constant after the last.
struct DepthPoint {
  double hours = 0;
  double depth_m = 0;
};

struct MemoryToolSimSettings {
  // Down to 1000 m in an hour, a station, down to 2000 m, a station, and out.
  std::vector<DepthPoint> profile = {{0, 0}, {1, 1000}, {2, 1000}, {3, 2000}, {4, 2000}, {5, 0}};
  uint32_t seed = 1;
  // The tool's clock before anyone sets it.
  ToolTime initial_time{2026, 1, 1, 0, 0, 0, 0};
  // Status word.
  bool on_battery = true;
  bool adc_ok = true;
  bool chip1_ok = true;
  bool chip2_ok = true;
  bool clock_ok = true;
  // Faults: replies stop after this many values (for `stalls` replies); pages whose
  // reply has one byte spoilt (for `corrupt_times` reads of each).
  int stall_after_values = -1;
  int stalls = 0;
  std::set<int> corrupt_pages;
  int corrupt_times = 1;
};

// An autonomous memory tool on the simulator's line: 8192 flash pages of 528 bytes
// (page 0 tool information and the calibration block that coefficient uploads
// write, page 1 the task table, data from page 4), a clock that runs with the simulator's clock
// (plus any fast-forward), and the execution of the task table once launched: when a task's end has
// passed, its channels' samples are written to their pages as 16-bit words, high byte first,
// sampled from the formation model along the depth profile. Replies leave as
// six-byte packets on the reply sensors of the "Автономный" class (IDs 128-131);
// pass-through streams the live sensors (IDs 132-134) every 100 ms.
// Thread-safe.
class MemoryToolSimulator {
 public:
  static constexpr int kPages = 8192;
  static constexpr int kPageSize = 528;
  static constexpr uint8_t kStatusId = 128, kTaskId = 129, kDateTimeId = 130, kMessageLinkId = 131;
  static constexpr uint8_t kPressureTemperatureId = 132, kDebitLocatorId = 133, kThermoId = 134;
  // Where page 0 keeps the tool's name, clear of the calibration block.
  static constexpr int kNameOffset = 400;

  MemoryToolSimulator(MemoryToolSimSettings settings, Clock& clock);

  // True when `byte` belongs to the memory tool: a byte of a command it is reading,
  // or one of its command codes.
  bool Takes(uint8_t byte) const;
  void Receive(uint8_t byte);
  // Runs the tool up to the clock's time and moves up to `max_bytes` of its output
  // (whole packets) into `out`.
  void Drain(std::deque<uint8_t>& out, size_t max_bytes);

  // Moves the tool's clock (and its task execution) on by this much.
  void FastForward(double hours);
  ToolTime Now() const;
  bool Launched() const;
  // The physical quantities the tool measures at `hours` after launch.
  struct Reading {
    double depth_m, pressure_mpa, temperature_c, debit, locator;
  };
  Reading ReadingAt(double hours_after_launch) const;
  // The raw 16-bit sample a channel stores for a reading (task channels 0-3).
  static uint16_t RawSample(int channel, const Reading& r);
  // Milliseconds of the tool clock since 2000-01-01 at the launch (-1 before it).
  int64_t LaunchMs() const;
  // Milliseconds of the tool clock since 2000-01-01.
  int64_t NowMs() const;
  std::vector<uint8_t> Page(int page) const;
  void SetOnBattery(bool on_battery);
  void SetSelfTest(bool adc, bool chip1, bool chip2, bool clock);
  void SetStall(int after_values, int times);
  void SetCorruptPages(std::set<int> pages, int times);

  // The tool's memory and clock kept in a file between runs of a program (kest-tool
  // runs one command per process): the written pages, the clock as an offset from
  // the local wall clock, the launch. Loading refuses a damaged file (false) and
  // leaves the tool as it was.
  void SaveState(const std::string& path) const;
  bool LoadState(const std::string& path);

 private:
  void Command(const std::vector<uint8_t>& cmd);
  // A memory write into flash; false when it does not fit its page.
  bool StoreWrite(const std::vector<uint8_t>& cmd);
  // The burst task's temperature as the tool computes it from its coefficients.
  double ToolTemperature(double celsius) const;
  void Run(int64_t now_ms);
  void Execute(int task, const uint8_t* record);
  void Reply(uint8_t id, const uint8_t* four_bytes, bool spoil = false);
  void ReplyValue(uint8_t id, uint32_t value);
  void Emit(std::array<uint8_t, 6> packet);
  void PassThroughPacket();
  int64_t ToolMs(int64_t clock_ms) const;
  // The local wall clock as the tool counts time (milliseconds since 2000).
  static int64_t WallMs();
  static size_t CommandLength(const std::vector<uint8_t>& pending);

  MemoryToolSimSettings settings_;
  Clock& clock_;
  FormationModel formation_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> flash_;
  std::vector<uint8_t> pending_;  // the command being read
  std::deque<std::array<uint8_t, 6>> out_;
  int64_t tool_base_ms_ = 0;  // tool clock (ms since 2000) at clock_base_ms_
  int64_t clock_base_ms_ = 0;
  int64_t launch_ms_ = -1;    // tool clock at launch
  uint8_t pass_through_ = 0;  // 0, 0x0B or 0x0C
  int64_t next_pass_ms_ = 0;
  int reply_values_ = 0;  // values of the reply being sent (for stalls)
  bool stalled_ = false;
  std::vector<int> corrupt_left_;
};

}  // namespace kest::sim
