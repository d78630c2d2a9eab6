#include "link/logger.h"

#include <algorithm>
#include <cmath>

#include "link/link_errors.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "link/module_loader.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/rounding.h"

namespace kest {

namespace {

// A thread that takes longer than this to stop is reported in the diagnostic log.
constexpr int kStopTimeoutMs = 5000;

}  // namespace

TLogger::TLogger(LoggerHost& host, Clock& clock, const TModuleClasses& classes)
    : host_(host),
      clock_(clock),
      classes_(classes),
      port_(clock),
      sensor_driver_(packets_, clock),
      commands_(clock, host),
      sensors_(sensor_driver_) {
  packets_.SetPort(&port_);
  sensor_driver_.OnSensorChange = [this](TLoggerSensor& s) { OnSensorChange(s); };
  ConnectLists();

  AddModule(classes_.Get("System"));
  modules_.front()->LivenessCheck = [this](TContainedLoggerModule& m, bool& alive) {
    KeepAlive(m, alive);
  };
  timer_sensor_ = sensors_.Get("TIMER");
  depth_sensor_ = sensors_.Get("DEPTH-SENSOR");
  depth_channel_ = channels_.Get("DEPTH");
  commands_.SetPort(&port_);
  commands_.SetAckSensor(sensors_.Get("COMMANDACK"));
  protocol_mode_ = 0;
}

TLogger::~TLogger() {
  try {
    SetActive(false);
  } catch (...) {
    // Shutting down: the port is closed and the threads are stopped regardless.
  }
  while (!modules_.empty()) RemoveModuleAt(modules_.size() - 1);
  DetachDataSources();
  sensors_.OnLayoutChange = channels_.OnLayoutChange = nullptr;
}

// ---------------------------------------------------------------------------
// Notifications

void TLogger::Notify(TLoggerNotifyKind kind, TLoggerPayload payload) {
  if (update_count_ == 0) {
    DeliverToDataSources(kind, std::move(payload));
    return;
  }
  pending_ |= static_cast<uint8_t>(1u << static_cast<unsigned>(kind));
}

void TLogger::EndUpdate() {
  Require(update_count_ > 0, "Extra EndUpdate");
  if (--update_count_ > 0) return;
  uint8_t pending = std::exchange(pending_, 0);
  for (unsigned kind = 0; kind <= 4; ++kind)
    if (pending & (1u << kind)) DeliverToDataSources(static_cast<TLoggerNotifyKind>(kind));
}

void TLogger::OnSensorChange(TLoggerSensor& sensor) {
  Notify(TLoggerNotifyKind::lnSensorChange, &sensor);
  if (sensor.Name() == "TIMER") TimerStep();
}

void TLogger::TimerStep() {
  channels_.EvaluateAll();
  int64_t now = clock_.NowMs();
  // The callbacks may let the host's events run (the keep-alive waits after its byte),
  // and a tool string chosen there changes the module list: each module is looked up
  // again after them, and the step ends when the list has changed under it.
  auto still = [this](size_t i, const TContainedLoggerModule* module) {
    return i < modules_.size() && modules_[i].get() == module;
  };
  for (size_t i = 0; i < modules_.size(); ++i) {
    TContainedLoggerModule* module = modules_[i].get();
    bool alive = now - module->LastHeard < kAliveMs;
    if (module->LivenessCheck) {
      module->LivenessCheck(*module, alive);
      if (!still(i, module)) return;
    }
    if (alive != module->Alive) {
      module->Alive = alive;
      Notify(TLoggerNotifyKind::lnModuleChange, static_cast<TLoggerModule*>(module));
      if (!still(i, module)) return;
    }
  }
}

void TLogger::KeepAlive(TContainedLoggerModule& module, bool&) {
  if (protocol_mode_ != 0) {
    last_ping_ = 0;
    return;
  }
  int64_t now = clock_.NowMs();
  if (!active_ || now - module.LastHeard < kPingMs || now - last_ping_ < kPingMs) return;
  // Never inside a running command sequence, not even one of this thread that is
  // waiting for an acknowledgement: the byte would land between its bytes.
  if (commands_.Busy()) return;
  CommandTryLock lock(commands_, 0);
  if (!lock.Owns()) return;
  commands_.SendByte(KeepAliveCode());
  last_ping_ = now;
}

// ---------------------------------------------------------------------------
// Activation and the threads

void TLogger::SetActive(bool active) {
  if (active == active_) return;
  if (active)
    Activate();
  else
    Deactivate();
}

void TLogger::SetPortName(const std::string& name) {
  SetActive(false);
  port_.SetPortName(name);
  port_name_ = name;
  SetActive(true);
}

void TLogger::SetProtocolMode(uint8_t mode) {
  KEST_ASSERT(mode <= 1);
  protocol_mode_ = mode;
}

void TLogger::Activate() {
  port_.Open();  // an open error leaves the logger inactive
  notify_done_ = false;
  notify_thread_ = std::jthread([this](std::stop_token stop) {
    while (!stop.stop_requested()) {
      if (!packets_.Packets().WaitDataReady(kNotifyWaitMs) || stop.stop_requested()) continue;
      host_.RunOnMainThread([this] { sensor_driver_.Dispatch(); });
    }
    notify_done_ = true;
  });
  receive_done_ = false;
  receive_thread_ = std::jthread([this](std::stop_token stop) {
    int64_t next = clock_.NowMs() + kTickMs;
    while (!stop.stop_requested()) {
      while (clock_.NowMs() < next && !stop.stop_requested()) clock_.SleepMs(1);
      next += kTickMs;  // late ticks are caught up one after another
      if (!stop.stop_requested()) packets_.Tick();
    }
    receive_done_ = true;
  });
  active_ = true;
}

void TLogger::StopThread(std::jthread& thread, std::atomic<bool>& done) {
  if (!thread.joinable()) return;
  thread.request_stop();
  packets_.Packets().Signal();  // wakes the notify thread at once
  // The notify thread may be waiting for the main thread (this one) to run a
  // dispatch: keep the host's events flowing until it has finished. Both loops
  // look at the stop request at least every 500 ms, so this ends.
  SteadyClock real;
  int64_t warn_at = real.NowMs() + kStopTimeoutMs;
  while (!done) {
    host_.ProcessMessages();
    real.SleepMs(1);
    if (warn_at && real.NowMs() > warn_at) {
      Diag().Error("Logger thread is slow to stop");
      warn_at = 0;
    }
  }
  thread.join();
}

void TLogger::Deactivate() {
  active_ = false;
  Initialize(false);
  StopThread(receive_thread_, receive_done_);
  port_.Close();
  StopThread(notify_thread_, notify_done_);
}

// ---------------------------------------------------------------------------
// Modules

void TLogger::AddModule(const TModuleClass& module_class) {
  KEST_ASSERT(!initialized_);
  auto module = std::make_unique<TContainedLoggerModule>();
  module->Logger = this;
  module->LastHeard = clock_.NowMs();
  LoadClass(*module, module_class, *this);  // removes what it added when it fails
  TContainedLoggerModule* added = module.get();
  modules_.push_back(std::move(module));
  Notify(TLoggerNotifyKind::lnLayoutChange);
  Notify(TLoggerNotifyKind::lnModuleChange, static_cast<TLoggerModule*>(added));
}

void TLogger::AddModuleWithSettings(const TModuleDef& definition) {
  BeginUpdate();
  try {
    AddModule(*definition.ModuleClass);
    ApplyDefinition(*this, definition);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TLogger::RemoveModuleAt(size_t index) {
  TContainedLoggerModule* module = modules_[index].get();
  for (int i = channels_.Count() - 1; i >= 0; --i)
    if (channels_.Items(i)->Module() == module) channels_.Delete(i);
  for (int i = sensors_.Count() - 1; i >= 0; --i)
    if (sensors_.Items(i)->Module() == module) sensors_.Delete(i);
  Power -= module->Current;
  modules_.erase(modules_.begin() + static_cast<long>(index));
  Notify(TLoggerNotifyKind::lnLayoutChange);
}

void TLogger::RemoveModule(TLoggerModule* module) {
  for (size_t i = 0; i < modules_.size(); ++i)
    if (modules_[i].get() == module) return RemoveModuleAt(i);
}

void TLogger::RemoveToolModules() {
  BeginUpdate();
  for (size_t i = modules_.size(); i-- > 0;)
    if (modules_[i]->Kind >= mkGround && modules_[i]->Kind <= mkTerminal) RemoveModuleAt(i);
  Power = 0;
  InitCommand = 0;
  EndUpdate();
}

void TLogger::SetPower(int32_t value) {
  Power = value;
  Notify(TLoggerNotifyKind::lnLayoutChange);
}

// ---------------------------------------------------------------------------
// Power and commands

std::array<uint8_t, 2> TLogger::EncodePower(double value, bool positive) {
  // 131.04 counts per milliampere of a 16-bit code whose top 12 bits are sent.
  double a = std::min(std::fabs(value * 131.04), 65535.0);
  int64_t high = Trunc(a / 256);
  int64_t low = RoundHalfEven(a - 256.0 * high);
  if (low > 255) {  // rounding carried into the high byte
    low -= 256;
    high = std::min<int64_t>(high + 1, 255);
  }
  return {static_cast<uint8_t>(high), static_cast<uint8_t>((low & 0xF0) | (positive ? 1 : 0))};
}

uint32_t TLogger::ToBCD(int64_t value) {
  Require(value >= 0, "Cant convert negative to BCD");
  Require(value <= 9999999, "Number is too big");
  uint32_t bcd = 0;
  for (int shift = 0; value > 0; shift += 4, value /= 10)
    bcd |= static_cast<uint32_t>(value % 10) << shift;
  return bcd;
}

void TLogger::SetInitialized(bool initialized) {
  if (initialized_ == initialized) return;
  initialized_ = initialized;
  Notify(TLoggerNotifyKind::lnStateChange);
}

void TLogger::MarkInitialized() { SetInitialized(true); }
void TLogger::MarkUninitialized() { SetInitialized(false); }

void TLogger::Initialize(bool on) {
  if (on) {
    if (initialized_) return;
    KEST_ASSERT(CanInitialize());
    CommandLock lock(commands_);
    try {
      commands_.SendCommand(static_cast<uint8_t>(InitCommand & 0xFF));
      if (Power > 0) {
        auto bytes = EncodePower(Power, true);
        commands_.SendCommand(SetPowerCode());
        commands_.SendCommand(bytes[0]);
        commands_.SendCommand(bytes[1]);
      }
      commands_.SendCommand(PowerOnCode());
      initialized_ = true;
      Notify(TLoggerNotifyKind::lnStateChange);
    } catch (...) {
      commands_.SendByte(PowerOffCode());
      SetInitialized(false);
      throw ELoggerError("Logger initialization error");
    }
    return;
  }
  if (!initialized_) return;
  initialized_ = false;
  try {
    commands_.SendCommand(PowerOffCode());
  } catch (const EAbort&) {
    // The failed write is logged; powering down must still complete (it runs when
    // the logger is deactivated).
  }
  Notify(TLoggerNotifyKind::lnStateChange);
}

void TLogger::ChangePower(double value) {
  CommandLock lock(commands_);
  try {
    auto bytes = EncodePower(value, value >= 0);
    if (!commands_.SendCommand(SetPowerCode()) || !commands_.SendCommand(bytes[0]) ||
        !commands_.SendCommand(bytes[1]))
      throw ELoggerError("no acknowledgement");
    Notify(TLoggerNotifyKind::lnStateChange);
  } catch (...) {
    commands_.SendByte(PowerOffCode());
    SetInitialized(false);
    throw ELoggerError("Logger change power error");
  }
}

void TLogger::TrialPower(int32_t value) {
  if (initialized_) return;
  KEST_ASSERT(CanInitialize());
  CommandLock lock(commands_);
  if (Power <= 0) return;
  bool ok = false;
  try {
    auto bytes = EncodePower(value, false);
    ok = commands_.SendCommand(SetPowerCode()) && commands_.SendCommand(bytes[0]) &&
         commands_.SendCommand(bytes[1]);
  } catch (const EAbort&) {
  }
  if (!ok) {
    commands_.SendByte(PowerOffCode());
    SetInitialized(false);
  }
}

void TLogger::SendParameters(int32_t first, int32_t second) {
  CommandLock lock(commands_);
  auto send = [&](uint8_t code, int32_t value) {
    if (!commands_.SendCommand(code)) return false;
    auto u = static_cast<uint32_t>(value);
    for (int b = 0; b < 4; ++b)
      if (!commands_.SendByte(static_cast<uint8_t>(u >> (8 * b)))) return false;
    clock_.SleepMs(10);
    return true;
  };
  bool ok = false;
  try {
    ok = send(0xA4, first) && send(0xA5, second);
  } catch (const EAbort&) {
  }
  if (!ok) {
    commands_.SendByte(PowerOffCode());
    SetInitialized(false);
  }
}

void TLogger::SetDepthStep(double step, double depth) {
  Require(std::fabs(step) < 10, "Invalid depth step");
  Require(depth >= 0, "Invalid depth");
  depth_sensor_->Value = 0;
  std::string formula = "(+ " + FormatFixed(depth, 4) + " (* " + FormatFixed(std::fabs(step), 8) +
                        " snDepth-Sensor))";
  Diag().Note("Depth conversion formula: " + formula);
  depth_channel_->SetFormula(Lisp().Parse(formula));
  depth_channel_->Evaluate();

  CommandLock lock(commands_);
  Diag().Note("Set device depth step");
  depth_step_ = step;
  uint32_t step_bcd = ToBCD(RoundHalfEven(std::fabs(step) * 100000));
  uint32_t depth_bcd = ToBCD(RoundHalfEven(depth * 10));
  const uint8_t bytes[] = {static_cast<uint8_t>(step > 0 ? 0xA1 : 0xA0),
                           0xA2,
                           static_cast<uint8_t>(step_bcd >> 8),
                           static_cast<uint8_t>(step_bcd),
                           0xA3,
                           static_cast<uint8_t>(depth_bcd >> 16),
                           static_cast<uint8_t>(depth_bcd >> 8),
                           static_cast<uint8_t>(depth_bcd)};
  for (uint8_t b : bytes) commands_.SendByte(b);
}

}  // namespace kest
