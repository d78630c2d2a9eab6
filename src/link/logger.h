#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/command_driver.h"
#include "link/logger_channels.h"
#include "link/logger_core.h"
#include "link/logger_module.h"
#include "link/logger_packet_driver.h"
#include "link/logger_port_driver.h"
#include "link/logger_sensor_driver.h"
#include "link/logger_sensors.h"

namespace kest {

class Clock;
class LoggerHost;
class TModuleClasses;
struct TModuleClass;
struct TModuleDef;

// The downhole tool on one port: owns the link stack (port, packet, sensor and
// command drivers), the receive and notify threads, the loaded modules with their
// sensors and channels, and tells its data sources what changed. Everything but the
// two threads runs on the main thread; the packet ring is all they share.
//
// Threads: the receive thread ticks the packet driver every 25 ms (late ticks are
// caught up); the notify thread waits for packets (at most 500 ms) and has the host
// run the sensor dispatch on the main thread while it waits.
//
// A port whose device goes away stays active: the port driver logs the loss once and
// reopens the same port name when the device is back (PortDriver().Lost() tells
// meanwhile). Nothing arrives in between: the tool's modules turn not alive and a
// depth recording gets no rows; a time recording keeps its clock (the ticks are the
// program's own) and repeats the last values, as with a silent tool.
// Final: it calls its own Notify while it is made and taken down.
class TLogger final : public LoggerCore {
 public:
  static constexpr int kTickMs = 25;
  static constexpr int kNotifyWaitMs = 500;
  static constexpr int kAliveMs = 2001;
  static constexpr int kPingMs = 1001;

  // Loads the class "System" as the first module and finds TIMER, DEPTH-SENSOR and
  // DEPTH (ELoggerSensorsError / ELoggerError when missing).
  TLogger(LoggerHost& host, Clock& clock, const TModuleClasses& classes);
  ~TLogger() override;
  TLogger(const TLogger&) = delete;
  TLogger& operator=(const TLogger&) = delete;

  // LoggerCore.
  TLoggerSensors& Sensors() override { return sensors_; }
  TLoggerChannels& Channels() override { return channels_; }
  int ModuleCount() const override { return static_cast<int>(modules_.size()); }
  TLoggerModule* Modules(int index) const override {
    return modules_[static_cast<size_t>(index)].get();
  }
  void Notify(TLoggerNotifyKind kind, TLoggerPayload payload = {}) override;
  void BeginUpdate() override { ++update_count_; }
  // An EndUpdate without BeginUpdate fails with "Extra EndUpdate".
  void EndUpdate() override;

  // The link.
  bool Active() const { return active_; }
  // Opens the port and starts the threads / powers the tool down, stops the threads
  // and closes the port. Deactivation always finishes, even when the port stalls.
  void SetActive(bool active);
  const std::string& PortName() const { return port_name_; }
  // Deactivates, changes the port and activates again.
  void SetPortName(const std::string& name);
  uint8_t ProtocolMode() const { return protocol_mode_; }
  void SetProtocolMode(uint8_t mode);

  // Modules: only while the tool is not initialised.
  void AddModule(const TModuleClass& module_class);
  void AddModuleWithSettings(const TModuleDef& definition);
  void RemoveModule(TLoggerModule* module);
  // Every module but "System"; Power and InitCommand become 0.
  void RemoveToolModules();
  void SetPower(int32_t value);

  // Tool power and parameters.
  bool Initialized() const { return initialized_; }
  bool CanInitialize() const { return active_ && (InitCommand & 0xFF) != 0; }
  // Powers up (ELoggerError "Logger initialization error" when a write fails, after
  // sending the power-off byte) or down.
  void Initialize(bool on);
  void ChangePower(double value);  // ELoggerError "Logger change power error"
  void TrialPower(int32_t value);
  void SendParameters(int32_t first, int32_t second);
  // Depth step in metres per count of the depth sensor (|step| < 10) and the depth
  // now (>= 0): sets the depth formula and sends both to the tool.
  void SetDepthStep(double step, double depth);
  void SetDepth(double depth) { SetDepthStep(depth_step_, depth); }
  double DepthStep() const { return depth_step_; }
  void MarkInitialized();
  void MarkUninitialized();

  // Raw command access for other windows.
  void Lock() { commands_.Lock(); }
  void Unlock() { commands_.Unlock(); }
  bool SendByte(uint8_t byte) { return commands_.SendByte(byte); }
  bool SendCommand(uint8_t byte) { return commands_.SendCommand(byte); }

  TLoggerSensor* TimerSensor() const { return timer_sensor_; }
  TLoggerSensor* DepthSensor() const { return depth_sensor_; }
  TLoggerChannel* DepthChannel() const { return depth_channel_; }
  int64_t LastPing() const { return last_ping_; }

  TLoggerPortDriver& PortDriver() { return port_; }
  TLoggerPacketDriver& PacketDriver() { return packets_; }
  TLoggerSensorDriver& SensorDriver() { return sensor_driver_; }
  TCommandDriver& CommandDriver() { return commands_; }

  // The command codes of the protocol mode.
  uint8_t PowerOnCode() const { return protocol_mode_ == 0 ? 0xF2 : 0x08; }
  uint8_t PowerOffCode() const { return 0xF3; }
  uint8_t KeepAliveCode() const { return protocol_mode_ == 0 ? 0xFA : 0x01; }
  uint8_t SetPowerCode() const { return protocol_mode_ == 0 ? 0xFB : 0x08; }

  // A supply current in milliamperes as the two bytes after the set-power code.
  static std::array<uint8_t, 2> EncodePower(double value, bool positive);
  // Binary-coded decimal, one digit per four bits, least significant lowest.
  // "Cant convert negative to BCD" / "Number is too big" (over seven digits).
  static uint32_t ToBCD(int64_t value);

 private:
  void OnSensorChange(TLoggerSensor& sensor);
  void TimerStep();
  void KeepAlive(TContainedLoggerModule& module, bool& alive);
  void SetInitialized(bool initialized);
  void Activate();
  void Deactivate();
  void StopThread(std::jthread& thread, std::atomic<bool>& done);
  void RemoveModuleAt(size_t index);

  LoggerHost& host_;
  Clock& clock_;
  const TModuleClasses& classes_;

  TLoggerPortDriver port_;
  TLoggerPacketDriver packets_;
  TLoggerSensorDriver sensor_driver_;
  TCommandDriver commands_;
  TLoggerSensors sensors_;
  TLoggerChannels channels_;
  std::vector<std::unique_ptr<TContainedLoggerModule>> modules_;

  bool active_ = false;
  std::string port_name_ = "Nul";
  uint8_t protocol_mode_ = 0;
  bool initialized_ = false;
  double depth_step_ = 0.01;
  int64_t last_ping_ = 0;
  int update_count_ = 0;
  uint8_t pending_ = 0;
  TLoggerSensor* timer_sensor_ = nullptr;
  TLoggerSensor* depth_sensor_ = nullptr;
  TLoggerChannel* depth_channel_ = nullptr;

  std::jthread receive_thread_;
  std::jthread notify_thread_;
  std::atomic<bool> receive_done_{true};
  std::atomic<bool> notify_done_{true};
};

}  // namespace kest
