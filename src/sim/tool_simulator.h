#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "sim/formation_model.h"
#include "sim/memory_tool_simulator.h"
#include "sim/surface_recorder_simulator.h"
#include "sim/winch_model.h"

namespace kest {
class Clock;
class TModuleClasses;
}  // namespace kest

namespace kest::sim {

// One module of the simulated string: a class of the classes folder and its number.
struct SimModule {
  std::string class_name;
  int32_t number = 0;
};

// Which of the two devices that share command codes listens on the line.
enum class MemoryLine { MemoryTool, SurfaceRecorder };

struct SimSettings {
  // Top to bottom, as the operator loads them. The surface panel (the main module's
  // parent class) is part of the main module.
  std::vector<SimModule> string = {{"Телеметрия", 0}, {"ГК-НК", 7}, {"ТМ", 5}, {"Каверномер", 2}};
  WinchModel::Settings winch;
  uint32_t seed = 1;
  int data_period_ms = 100;     // each tool packet ID this often while powered
  int tension_period_ms = 200;  // the panel's tension packet
  // A run recorded off depth: the depth the string reports (the winch's) is the true
  // depth of the formation it reads plus depth_error_m + depth_stretch * depth / 100
  // (metres; the stretch in metres per 100 m of depth).
  double depth_error_m = 0;
  double depth_stretch = 0;
  // Fault injection.
  double corrupt_rate = 0;  // probability that an output byte is changed
  double drop_rate = 0;     // probability that an output byte is lost
  bool never_acknowledge = false;
  // Counting channels (gamma, neutron) carry counting statistics, as a real tool's
  // do: each sample is a Poisson count around the formation's rate.
  bool count_noise = true;
  // The line's pacing off: output is ready as soon as it is made (benchmarks).
  bool unpaced = false;
  // The memory tool that shares the line with the string.
  MemoryToolSimSettings memory_tool;
  // The surface recorder at the winch; it hears the line only when `line` says so.
  SurfaceRecorderSimSettings surface_recorder;
  MemoryLine line = MemoryLine::MemoryTool;
};

// The surface panel and a downhole tool string speaking the real wire protocol. It
// reads which sensors exist, their packet IDs and kinds from the same class files
// the logger loads, and fills them from the winch and formation models:
//  - the panel sends the depth counter (one packet per count of the depth step the
//    logger sent), a magnetic label packet per label mark passed, and the tension;
//  - the tool answers every command byte with the one-byte acknowledgement 0x92,
//    follows init, power on/off, set power, keep-alive, depth step and depth, and
//    sends its data and module numbers only while powered.
// Output goes out no faster than a 57600-baud 8E1 line carries it. Time comes from
// the clock given, so tests run it as fast as they like. Thread-safe: commands come
// from one thread, reads from another.
class ToolSimulator {
 public:
  static constexpr double kLineBytesPerMs = 57600.0 / 11.0 / 1000.0;
  static constexpr uint8_t kAcknowledge = 0x92;

  ToolSimulator(const TModuleClasses& classes, SimSettings settings, Clock& clock);

  // Bytes written by the logger.
  void Receive(const uint8_t* bytes, size_t count);
  // Runs the models up to the clock's time and returns the bytes ready to be read.
  size_t Available();
  size_t Read(uint8_t* out, size_t count);

  // Control and inspection (for tests, the pty server and the tool window).
  void SetSpeed(double m_per_h);
  void SetTrueDepth(double depth_m);
  void SetSilent(const std::string& class_name, bool silent);
  void SetNeverAcknowledge(bool never);
  bool Powered() const;
  double DepthStep() const;    // as the logger sent it (signed)
  double DepthSet() const;     // the depth the logger sent
  int32_t PowerValue() const;  // the last set-power code, 0 when none
  double TrueDepth() const;
  double SensorDepth(const std::string& sensor_name) const;  // true depth of a measuring point
  // The depth of the formation read at a depth the string reports (the depth error off).
  double FormationDepth(double reported_m) const;
  const FormationModel& Formation() const { return formation_; }
  std::vector<std::string> SensorNames() const;
  // The memory tool on the same line: it takes its own command codes (and the bytes
  // of a command it is reading); everything else goes to the string.
  MemoryToolSimulator& MemoryTool() { return *memory_; }
  // The surface recorder: it logs all the time; it hears commands and answers only
  // while it is on the line. Its depth follows the memory tool's depth profile once
  // that tool is launched, else the winch.
  SurfaceRecorderSimulator& SurfaceRecorder() { return *surface_; }
  void SetLine(MemoryLine line);
  MemoryLine Line() const;
  // True depth at a time of the simulator's clock (the surface recorder's source).
  double DepthAt(int64_t clock_ms) const;

 private:
  struct Sensor {
    std::string name;  // upper case
    std::string kind;  // handler kind, upper case
    std::vector<uint8_t> ids;
    int32_t offset_mm = 0;
    size_t module = 0;
    bool surface = false;  // the panel's: sends whether the tool is powered or not
    int32_t band = 0;      // Multiband only
  };
  struct Module {
    std::string class_name;
    int32_t number = 0;
    bool silent = false;
  };

  void LoadString(const TModuleClasses& classes);
  void AdvanceTo(int64_t now_ms);
  void Step(int64_t now_ms, double seconds);
  void Command(uint8_t byte);
  void Emit(const uint8_t (&packet)[6]);
  void EmitByte(uint8_t byte);
  void SendDataPackets(bool surface_only, int64_t now_ms);
  int32_t RawValue(const Sensor& s, int64_t now_ms) const;
  int32_t Counted(const Sensor& s, int32_t rate);

  SimSettings settings_;
  Clock& clock_;
  FormationModel formation_;
  WinchModel winch_;
  std::vector<Module> modules_;
  std::vector<Sensor> sensors_;
  std::mt19937 rng_;        // line faults
  std::mt19937 noise_rng_;  // counting statistics, apart so faults keep their sequence

  mutable std::mutex mutex_;
  std::deque<uint8_t> out_;
  double line_budget_ = 0;  // bytes the line could have carried and has not yet
  int64_t last_ms_ = 0;
  int64_t next_data_ms_ = 0;
  int64_t next_tension_ms_ = 0;
  int64_t counts_sent_ = 0;
  int64_t labels_sent_ = 0;

  // Command state.
  bool powered_ = false;
  bool never_ack_ = false;
  std::vector<uint8_t> expect_;  // the command whose argument bytes are being read
  size_t expect_left_ = 0;
  double depth_step_ = 0.01;
  double depth_set_ = 0;
  double counted_reference_m_ = 0;
  int32_t power_value_ = 0;
  std::unique_ptr<MemoryToolSimulator> memory_;
  std::unique_ptr<SurfaceRecorderSimulator> surface_;
  MemoryLine line_ = MemoryLine::MemoryTool;
  int64_t start_ms_ = 0;  // the clock when the simulator was made
};

}  // namespace kest::sim
