#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/logger_data_source.h"
#include "link/logger_sensor.h"
#include "support/singles.h"

namespace kest {

class Clock;
class LoggerCore;
class Settings;
class TLoggerChannel;
class TLoggerModule;
class TLoggerSensorItem;

// What the tool control window "Управление прибором" remembers, under
// "<mode key>/Logger info window". Reading follows the settings' early-stop rule:
// the values are read in the order below and the first missing or unreadable one
// ends the reading, keeping the defaults of the rest.
struct LoggerInfoSettings {
  bool HasPosition = false;  // Left and Top were read
  bool HasSize = false;      // Width and Height were read
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int SensorUpdateInterval = 0;  // seconds; 0 shows raw values once a second
  int ChannelUpdateInterval = 0;
  bool ShowGrid = false;
  int FontSize = 0;  // points; 0 keeps the window's own font
  bool FontBold = false;

  static constexpr const char* kGroup = "Logger info window";
  static constexpr int kMaxFontSize = 12;
  static constexpr int kMaxInterval = 50;

  static LoggerInfoSettings Load(const Settings& settings, const std::string& mode_key);
  void Save(Settings& settings, const std::string& mode_key) const;
};

// The tool control window without the widgets: it observes a logger through its own
// data source and keeps the rows of the window's lists up to date.
//
// - State rows: packets per second and skipped bytes (from the "packets" and
//   "skipped-bytes" sensors as they change) and the logger's supply current.
// - Module rows: every loaded module but the system one; its packets per second
//   are taken from the module's packet counter, which is read and reset on each
//   change of the "SECOND-TIMER" sensor.
// - Sensor and channel rows: those whose location is in the filter. With an
//   update interval above 0 each row averages the samples taken every 100 ms over
//   the interval and shows the mean once per interval; with 0 it shows the raw
//   value once a second.
//
// Time comes from the clock; the owner calls Tick() often enough (TickDueInMs tells
// when the next step is due). Nothing runs while no logger is attached. Main thread
// only.
class LoggerInfoModel {
 public:
  // Location filter bits.
  static constexpr uint8_t kServiceBit = 1;
  static constexpr uint8_t kGroundBit = 2;
  static constexpr uint8_t kLoggerBit = 4;
  static constexpr int kAverageStepMs = 100;
  static constexpr int kSamplesPerSecond = 1000 / kAverageStepMs;

  enum class Change {
    Layout,         // every list was rebuilt
    SensorRows,     // the sensor list was rebuilt
    ChannelRows,    // the channel list was rebuilt
    State,          // a state row changed
    Modules,        // a module row changed
    SensorValues,   // the sensor rows show new values
    ChannelValues,  // the channel rows show new values
  };

  struct StateRow {
    std::string Caption;
    std::string Value;
  };
  struct ModuleRow {
    TLoggerModule* Module = nullptr;
    std::string Name;
    std::string DisplayName;
    int32_t Number = 0;
    int32_t Current = 0;
    int32_t Packets = 0;  // packets heard in the last second
    bool Alive = false;
  };
  struct ValueRow {
    TLoggerSensor* Sensor = nullptr;    // a sensor row
    TLoggerChannel* Channel = nullptr;  // a channel row
    std::string Caption;
    std::string Value;
    bool Smoothable = true;
    TSingles Ring;
  };

  static constexpr int kPacketsRow = 0;
  static constexpr int kSkippedRow = 1;
  static constexpr int kPowerRow = 2;

  LoggerInfoModel(LoggerCore& logger, Clock& clock);
  ~LoggerInfoModel();
  LoggerInfoModel(const LoggerInfoModel&) = delete;
  LoggerInfoModel& operator=(const LoggerInfoModel&) = delete;

  // The observed logger; none once it went away.
  LoggerCore* Logger() const { return source_.Logger(); }

  const std::vector<StateRow>& StateRows() const { return state_; }
  const std::vector<ModuleRow>& ModuleRows() const { return modules_; }
  const std::vector<ValueRow>& SensorRows() const { return sensors_; }
  const std::vector<ValueRow>& ChannelRows() const { return channels_; }

  uint8_t SensorFilter() const { return sensor_filter_; }
  uint8_t ChannelFilter() const { return channel_filter_; }
  void SetSensorFilter(uint8_t bits);
  void SetChannelFilter(uint8_t bits);
  static uint8_t LocationBit(TSensorLocation location) {
    return static_cast<uint8_t>(1u << static_cast<int>(location));
  }

  int SensorUpdateInterval() const { return sensor_interval_; }
  int ChannelUpdateInterval() const { return channel_interval_; }
  // Seconds, 0..50 (others are refused with EAssertionFailed); the rows' rings get
  // interval x 10 places, start empty, and the display timer starts again.
  void SetSensorUpdateInterval(int seconds);
  void SetChannelUpdateInterval(int seconds);
  // "Сброс таймера": the display timer starts again from now.
  void ResetSensorTimer();
  void ResetChannelTimer();

  // Runs the steps that are due: the 100 ms averaging step first, then the display
  // steps. A step that was missed by more than its period is not repeated.
  void Tick();
  // Milliseconds until the next step is due (0 when one is due now); -1 while no
  // logger is attached.
  int64_t TickDueInMs() const;

  // Fills every list again from the logger (done on each layout change).
  void Rebuild();

  // Row captions: the caption that the parameter tables give for the name (the name
  // itself when they have none), "%s (%d)" for a later instance — a sensor counted
  // from 1, a channel from 0 — and for channels the offset: "  - %5s mm".
  static std::string SensorCaption(const TLoggerSensor& sensor);
  static std::string ChannelCaption(const TLoggerChannel& channel);
  // The value text of the lists: at most two decimals, no trailing zeros ("0.##").
  static std::string FormatNumber(double value);

  std::function<void(Change change)> OnChange;

 private:
  void Changed(Change change);
  void RebuildSensors();
  void RebuildChannels();
  void RebuildModules();
  void ModuleChanged(TLoggerModule* module);
  void PacketsChanged();
  void SkippedChanged();
  void SecondPassed();
  void SetState(int row, std::string value);
  void Average();
  void ShowSensors();
  void ShowChannels();
  TLoggerSensor* SensorOf(const ValueRow& row) const;
  TLoggerChannel* ChannelOf(const ValueRow& row) const;
  bool Listed(const TLoggerModule* module) const;
  void StateChanged();
  int64_t SensorPeriodMs() const { return (sensor_interval_ > 0 ? sensor_interval_ : 1) * 1000LL; }
  int64_t ChannelPeriodMs() const {
    return (channel_interval_ > 0 ? channel_interval_ : 1) * 1000LL;
  }

  Clock& clock_;
  TLoggerDataSource source_;
  std::unique_ptr<TLoggerSensorItem> packets_item_;
  std::unique_ptr<TLoggerSensorItem> skipped_item_;
  std::unique_ptr<TLoggerSensorItem> second_item_;

  std::vector<StateRow> state_;
  std::vector<ModuleRow> modules_;
  std::vector<ValueRow> sensors_;
  std::vector<ValueRow> channels_;
  uint8_t sensor_filter_ = kLoggerBit;
  uint8_t channel_filter_ = kLoggerBit;
  int sensor_interval_ = 0;
  int channel_interval_ = 0;
  int64_t next_average_ = 0;
  int64_t next_sensors_ = 0;
  int64_t next_channels_ = 0;
};

// Snaps a window to the edges of its screen's work area: an edge of the window that
// comes within `distance` of the matching edge of the area is moved onto it. Left
// and right win over each other by nearness, likewise top and bottom.
struct ScreenRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};
ScreenRect SnapToEdges(ScreenRect window, const ScreenRect& area, int distance);

}  // namespace kest
