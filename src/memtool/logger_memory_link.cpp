#include "memtool/logger_memory_link.h"

#include "link/command_driver.h"
#include "link/logger.h"
#include "link/logger_data_source.h"
#include "link/logger_host.h"
#include "link/logger_link.h"
#include "link/logger_module.h"
#include "link/reply_sensor.h"
#include "support/clock.h"
#include "support/code_page.h"

namespace kest {

// Hears the logger's sensor changes through a data source of its own.
class LoggerMemoryLink::Follower : public TGenericLoggerLink {
 public:
  explicit Follower(LoggerMemoryLink& owner) : owner_(owner) {}
  void SensorChanged(TLoggerSensor* sensor) override {
    if (!sensor) return;
    if (auto* reply = dynamic_cast<TLoggerReplySensor*>(sensor)) {
      if (owner_.OnReply) owner_.OnReply(reply->Name(), reply->Data);
    } else if (sensor == owner_.logger_.TimerSensor()) {
      owner_.TimerStep();
    } else if (owner_.OnSensor) {
      owner_.OnSensor(sensor->Name(), sensor->Value);
    }
  }
  TLoggerDataSource source;

 private:
  LoggerMemoryLink& owner_;
};

std::string ToolStringText(const TLogger& logger) {
  std::string text;
  for (int i = 1; i < logger.ModuleCount(); ++i) {
    const TLoggerModule* m = logger.Modules(i);
    if (!text.empty()) text += " + ";
    text += m->Name + " №" + std::to_string(m->Number);
  }
  return text;
}

LoggerMemoryLink::LoggerMemoryLink(TLogger& logger, LoggerHost& host, Clock& clock)
    : logger_(logger),
      host_(host),
      clock_(clock),
      follower_(std::make_unique<Follower>(*this)),
      last_tick_ms_(clock.NowMs()) {
  follower_->source.SetLogger(&logger_);
  follower_->SetDataSource(&follower_->source);
  logger_.MarkInitialized();
}

LoggerMemoryLink::~LoggerMemoryLink() {
  follower_->SetDataSource(nullptr);
  follower_->source.SetLogger(nullptr);
  logger_.MarkUninitialized();
}

void LoggerMemoryLink::TimerStep() {
  // Counted on the logger's own ticks rather than read off the clock: when the main
  // thread runs ahead of the receive thread, the replies it has not framed yet still
  // come before the silence is counted. But never faster than the clock: ticks the
  // receive thread serves late, many at once after a stall, are one tick (a quarter
  // of a tick is left for the thread's jitter). Counted
  // one by one they would end a reply being read in no time, and the rest of it
  // would be taken as the start of the next reply.
  if (++timer_changes_ < kTimerTicksPerTick) return;
  const int64_t now = clock_.NowMs();
  if (now - last_tick_ms_ < kTickMs * 3 / 4) return;
  timer_changes_ = 0;
  last_tick_ms_ = now;
  if (OnTick) OnTick();
}

void LoggerMemoryLink::Send(std::span<const uint8_t> bytes, int pause_ms) {
  CommandLock lock(logger_.CommandDriver());
  for (uint8_t b : bytes) {
    if (pause_ms > 0) clock_.SleepMs(pause_ms);
    logger_.SendByte(b);
  }
}

void LoggerMemoryLink::Pump() {
  if (!logger_.Active() || !logger_.TimerSensor()) {
    // No receive thread, no ticks: the silence is counted on the clock.
    clock_.SleepMs(int64_t{kTimerTicksPerTick} * TLogger::kTickMs);
    host_.ProcessMessages();
    if (OnTick) OnTick();
    return;
  }
  // Until the logger's next tick has been served (or a few ticks' time).
  const int32_t tick = logger_.TimerSensor()->Value;
  const int64_t start = clock_.NowMs();
  do {
    clock_.SleepMs(1);
    host_.ProcessMessages();
  } while (logger_.TimerSensor()->Value == tick &&
           clock_.NowMs() - start < int64_t{8} * TLogger::kTickMs);
}

bool MemoryToolLoaded(const TLogger& logger) {
  return logger.ModuleCount() >= 2 &&
         UpperCase(logger.Modules(1)->Name) == UpperCase(kMemoryToolClass);
}

namespace {

TContainedLoggerModule* FirstModule(TLogger& logger) {
  return logger.ModuleCount() > 0 ? dynamic_cast<TContainedLoggerModule*>(logger.Modules(0))
                                  : nullptr;
}

}  // namespace

KeepAliveSuspension::KeepAliveSuspension(TLogger& logger) : logger_(logger) {
  if (TContainedLoggerModule* system = FirstModule(logger_)) {
    saved_ = std::move(system->LivenessCheck);
    system->LivenessCheck = nullptr;
  }
}

KeepAliveSuspension::~KeepAliveSuspension() {
  if (TContainedLoggerModule* system = FirstModule(logger_))
    system->LivenessCheck = std::move(saved_);
}

bool SurfaceRecorderLoaded(const TLogger& logger) {
  return logger.ModuleCount() >= 2 &&
         UpperCase(logger.Modules(1)->Name) == UpperCase(kSurfaceRecorderClass);
}

void LoggerMemoryLink::SetProtocolMode(uint8_t mode) { logger_.SetProtocolMode(mode); }

bool LoggerMemoryLink::PortLost() const { return logger_.PortDriver().Lost(); }

}  // namespace kest
