#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "memtool/surface_records.h"
#include "memtool/tool_codec.h"
#include "sim/memory_tool_simulator.h"

namespace kest {
class Clock;
}  // namespace kest

namespace kest::sim {

struct SurfaceRecorderSimSettings {
  int page_size = 264;  // 264 or 528
  int pages = 4096;
  // The recorder's clock before anyone sets it.
  ToolTime initial_time{2026, 1, 1, 0, 0, 0, 0};
  // The recorder's clock runs this many seconds ahead of what it was set to (a
  // clock set by hand, or a different time zone): what time-to-depth must find.
  double clock_error_s = 0;
  // Logging from the start (as it is switched on at the winch).
  bool recording = true;
  double label_interval_m = 10;
  double tool_weight_kgf = 250;
  double cable_weight_kgf_per_m = 0.35;
  double friction_kgf = 40;
  // Logging began this long before the simulator started (records already in memory).
  double history_h = 0;
  // Where the cable is, hours after the simulator's start minus `history_h`, while no
  // memory tool has been launched (empty: the winch).
  std::vector<DepthPoint> profile;
  bool clock_ok = true, memory_ok = true, depth_chip_ok = true, speed_chip_ok = true,
       tension_chip_ok = true;
};

// The surface recorder at the winch on the simulator's line: a flash of 264- or
// 528-byte pages (page 0 the zero page, records from page 1), a clock, and in its
// main mode one six-byte record a second (counted depth in tenths of a metre with
// the magnetic mark of each label passed, tension) from the next whole minute on.
// The depth comes from `depth_at` (true depth in metres at a time of the simulator's
// clock); the set-depth command makes the counter read the depth given from then on.
// Replies leave on the reply sensors the memory tool uses (IDs 128-131); in
// pass-through it sends "zulDepth-sensor" (ID 136) every 100 ms. Thread-safe.
class SurfaceRecorderSimulator {
 public:
  static constexpr uint8_t kStatusId = 128, kTaskId = 129, kDateTimeId = 130, kZulDepthId = 136;
  using DepthFn = std::function<double(int64_t clock_ms)>;

  SurfaceRecorderSimulator(SurfaceRecorderSimSettings settings, Clock& clock, DepthFn depth_at);
  // Depth along a profile, linear between its points, constant outside them.
  static double ProfileDepth(const std::vector<DepthPoint>& profile, double hours);

  bool Takes(uint8_t byte) const;
  void Receive(uint8_t byte);
  // Runs the recorder up to the clock's time and moves up to `max_bytes` of its
  // output (whole packets) into `out`.
  void Drain(std::deque<uint8_t>& out, size_t max_bytes);

  // What the next self-test reports of the clock, the memory and the three chips.
  void SetSelfTest(bool clock, bool memory, bool depth_chip, bool speed_chip, bool tension_chip);

  // Inspection for tests.
  ToolTime Now() const;
  bool Recording() const;
  bool PassThrough() const;
  int64_t RecordCount() const;
  SurfaceZeroPage ZeroPage() const;
  std::vector<uint8_t> Page(int page) const;
  // Milliseconds of the simulator's clock at the first record (-1 before one).
  int64_t FirstRecordClockMs() const;

 private:
  void Command(const std::vector<uint8_t>& cmd);
  void Run(int64_t clock_ms);
  void StartRecording(int64_t clock_ms);
  void WriteZeroPage();
  void Reply(uint8_t id, uint32_t value);
  void Emit(std::array<uint8_t, 6> p);
  int64_t RecorderMs(int64_t clock_ms) const;
  int32_t CountedTenths(int64_t clock_ms) const;
  double Tension(double depth_m, double speed) const;
  static size_t CommandLength(uint8_t code);

  SurfaceRecorderSimSettings settings_;
  Clock& clock_;
  DepthFn depth_at_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> flash_;
  std::vector<uint8_t> pending_;
  std::deque<std::array<uint8_t, 6>> out_;
  int64_t recorder_base_ms_ = 0;  // recorder clock (ms since 2000) at clock_base_ms_
  int64_t clock_base_ms_ = 0;
  double depth_offset_m_ = 0;  // counted minus true
  SurfaceZeroPage zero_{};
  bool recording_ = false;
  int64_t next_record_ms_ = 0;  // simulator clock of the next record
  int64_t first_record_ms_ = -1;
  int64_t records_ = 0;
  double last_record_depth_ = 0;
  bool pass_through_ = false;
  int64_t next_live_ms_ = 0;
  double last_live_depth_ = 0;
};

}  // namespace kest::sim
