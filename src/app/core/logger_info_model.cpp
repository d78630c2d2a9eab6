#include "app/core/logger_info_model.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "link/logger_channel.h"
#include "link/logger_channels.h"
#include "link/logger_core.h"
#include "link/logger_item.h"
#include "link/logger_module.h"
#include "link/logger_sensors.h"
#include "log/log_parameters.h"
#include "support/assert.h"
#include "support/clock.h"
#include "support/number_text.h"
#include "support/settings.h"
#include "viewer/core/value_format.h"

namespace kest {

namespace {

// An interval from the settings: one the window cannot offer (negative, or so long
// that its rings would take unbounded memory) falls back to "immediately".
int SaneInterval(int seconds) {
  return seconds >= 0 && seconds <= LoggerInfoSettings::kMaxInterval ? seconds : 0;
}

// The next due time of a periodic step that just ran: one period on, or one period
// from now when the step fell behind by more than a period.
int64_t NextDue(int64_t due, int64_t period, int64_t now) {
  int64_t next = due + period;
  return next > now ? next : now + period;
}

std::string TableCaption(const std::string& name, bool sensor) {
  if (!LogParametersExist()) return name;
  const TLogParameter* p = sensor ? LogSensors().Find(name) : LogParameters().Find(name);
  if (!p && !sensor) p = LogSensors().Find(name);
  return p && !p->Caption.empty() ? p->Caption : name;
}

}  // namespace

LoggerInfoSettings LoggerInfoSettings::Load(const Settings& s, const std::string& mode_key) {
  LoggerInfoSettings v;
  const std::string path = mode_key + "/" + kGroup;
  LoggerInfoSettings read = v;
  if (!s.ReadInt(path, "Left", read.Left) || !s.ReadInt(path, "Top", read.Top)) return v;
  read.HasPosition = true;
  v = read;
  if (!s.ReadInt(path, "Width", read.Width) || !s.ReadInt(path, "Height", read.Height)) return v;
  read.HasSize = true;
  v = read;
  if (!s.ReadInt(path, "SensorUpdateInterval", v.SensorUpdateInterval)) return v;
  v.SensorUpdateInterval = SaneInterval(v.SensorUpdateInterval);
  if (!s.ReadInt(path, "ChannelUpdateInterval", v.ChannelUpdateInterval)) return v;
  v.ChannelUpdateInterval = SaneInterval(v.ChannelUpdateInterval);
  if (!s.ReadBool(path, "ShowGrid", v.ShowGrid)) return v;
  if (!s.ReadInt(path, "FontSize", v.FontSize)) return v;
  // At most 12 points; a size below 1 point cannot be shown and keeps the default.
  v.FontSize = v.FontSize < 1 ? 0 : std::min(v.FontSize, kMaxFontSize);
  s.ReadBool(path, "FontBold", v.FontBold);
  return v;
}

void LoggerInfoSettings::Save(Settings& s, const std::string& mode_key) const {
  const std::string path = mode_key + "/" + kGroup;
  s.SetInt(path, "Left", Left);
  s.SetInt(path, "Top", Top);
  s.SetInt(path, "Width", Width);
  s.SetInt(path, "Height", Height);
  s.SetInt(path, "SensorUpdateInterval", SensorUpdateInterval);
  s.SetInt(path, "ChannelUpdateInterval", ChannelUpdateInterval);
  s.SetBool(path, "ShowGrid", ShowGrid);
  s.SetInt(path, "FontSize", FontSize);
  s.SetBool(path, "FontBold", FontBold);
}

LoggerInfoModel::LoggerInfoModel(LoggerCore& logger, Clock& clock) : clock_(clock) {
  state_ = {{"Пакетов в секунду", "0"}, {"Пропущено, байт", "0"}, {"Ток питания, мА", "0"}};
  // The items join the source before it joins the logger, so a missing sensor is
  // only logged (by the source) instead of failing the window.
  auto item = [this](const char* name, void (LoggerInfoModel::*on_change)()) {
    auto made = std::make_unique<TLoggerSensorItem>();
    made->SetSensorName(name);
    made->SetDataSource(&source_);
    made->OnChange = [this, on_change](TLoggerItem&) { (this->*on_change)(); };
    return made;
  };
  packets_item_ = item("PACKETS", &LoggerInfoModel::PacketsChanged);
  skipped_item_ = item("SKIPPED-BYTES", &LoggerInfoModel::SkippedChanged);
  second_item_ = item("SECOND-TIMER", &LoggerInfoModel::SecondPassed);
  source_.OnLayoutChange = [this](TLoggerDataSource&) { Rebuild(); };
  source_.OnModuleChange = [this](TLoggerDataSource&, TLoggerModule* module) {
    ModuleChanged(module);
  };
  source_.OnStateChange = [this](TLoggerDataSource&) { StateChanged(); };
  int64_t now = clock_.NowMs();
  next_average_ = now + kAverageStepMs;
  next_sensors_ = now + SensorPeriodMs();
  next_channels_ = now + ChannelPeriodMs();
  source_.SetLogger(&logger);  // a layout change follows: the first Rebuild
}

LoggerInfoModel::~LoggerInfoModel() {
  OnChange = nullptr;
  source_.OnLayoutChange = nullptr;
  source_.OnModuleChange = nullptr;
  source_.OnStateChange = nullptr;
  for (auto* item : {packets_item_.get(), skipped_item_.get(), second_item_.get()})
    item->OnChange = nullptr;
}

void LoggerInfoModel::Changed(Change change) {
  if (OnChange) OnChange(change);
}

void LoggerInfoModel::StateChanged() {
  if (Logger()) return;  // joining: the layout change that follows rebuilds
  // The logger went away: nothing of it may be touched any more.
  modules_.clear();
  sensors_.clear();
  channels_.clear();
  Changed(Change::Layout);
}

void LoggerInfoModel::Rebuild() {
  LoggerCore* logger = Logger();
  if (!logger) return;
  auto value_of = [](const TLoggerSensorItem& item) {
    return item.Sensor() ? std::to_string(item.Sensor()->Value) : std::string("0");
  };
  state_[kPacketsRow].Value = value_of(*packets_item_);
  state_[kSkippedRow].Value = value_of(*skipped_item_);
  state_[kPowerRow].Value = std::to_string(logger->Power);
  RebuildModules();
  RebuildSensors();
  RebuildChannels();
  Changed(Change::Layout);
}

void LoggerInfoModel::RebuildModules() {
  std::vector<ModuleRow> rows;
  for (int i = 0; i < Logger()->ModuleCount(); ++i) {
    TLoggerModule* m = Logger()->Modules(i);
    if (m->Kind == 0) continue;
    ModuleRow row{m, m->Name, m->DisplayName, m->Number, m->Current, 0, m->Alive};
    // A module that stays keeps its last packet rate until the next second.
    for (const ModuleRow& old : modules_)
      if (old.Module == m) row.Packets = old.Packets;
    rows.push_back(std::move(row));
  }
  modules_ = std::move(rows);
}

void LoggerInfoModel::RebuildSensors() {
  sensors_.clear();
  if (LoggerCore* logger = Logger()) {
    TLoggerSensors& list = logger->Sensors();
    for (int i = 0; i < list.Count(); ++i) {
      TLoggerSensor* s = list.Items(i);
      if (!(sensor_filter_ & LocationBit(s->Location))) continue;
      ValueRow row;
      row.Sensor = s;
      row.Caption = SensorCaption(*s);
      row.Value = std::to_string(s->Value);
      row.Smoothable = s->Smoothable;
      row.Ring.SetCapacity(sensor_interval_ * kSamplesPerSecond);
      sensors_.push_back(std::move(row));
    }
  }
}

void LoggerInfoModel::RebuildChannels() {
  channels_.clear();
  if (LoggerCore* logger = Logger()) {
    TLoggerChannels& list = logger->Channels();
    for (int i = 0; i < list.Count(); ++i) {
      TLoggerChannel* c = list.Items(i);
      if (!(channel_filter_ & LocationBit(c->Location))) continue;
      ValueRow row;
      row.Channel = c;
      row.Caption = ChannelCaption(*c);
      row.Value = FormatNumber(c->Value);
      row.Smoothable = c->Smoothable;
      row.Ring.SetCapacity(channel_interval_ * kSamplesPerSecond);
      channels_.push_back(std::move(row));
    }
  }
}

void LoggerInfoModel::SetSensorFilter(uint8_t bits) {
  sensor_filter_ = bits & (kServiceBit | kGroundBit | kLoggerBit);
  RebuildSensors();
  Changed(Change::SensorRows);
}

void LoggerInfoModel::SetChannelFilter(uint8_t bits) {
  channel_filter_ = bits & (kServiceBit | kGroundBit | kLoggerBit);
  RebuildChannels();
  Changed(Change::ChannelRows);
}

void LoggerInfoModel::SetSensorUpdateInterval(int seconds) {
  KEST_ASSERT(seconds >= 0 && seconds <= LoggerInfoSettings::kMaxInterval);
  sensor_interval_ = seconds;
  for (ValueRow& row : sensors_) row.Ring.SetCapacity(seconds * kSamplesPerSecond);
  ResetSensorTimer();
}

void LoggerInfoModel::SetChannelUpdateInterval(int seconds) {
  KEST_ASSERT(seconds >= 0 && seconds <= LoggerInfoSettings::kMaxInterval);
  channel_interval_ = seconds;
  for (ValueRow& row : channels_) row.Ring.SetCapacity(seconds * kSamplesPerSecond);
  ResetChannelTimer();
}

void LoggerInfoModel::ResetSensorTimer() { next_sensors_ = clock_.NowMs() + SensorPeriodMs(); }
void LoggerInfoModel::ResetChannelTimer() { next_channels_ = clock_.NowMs() + ChannelPeriodMs(); }

void LoggerInfoModel::Tick() {
  if (!Logger()) return;
  const int64_t now = clock_.NowMs();
  if (now >= next_average_) {
    Average();
    next_average_ = NextDue(next_average_, kAverageStepMs, now);
  }
  if (now >= next_sensors_) {
    ShowSensors();
    next_sensors_ = NextDue(next_sensors_, SensorPeriodMs(), now);
  }
  if (now >= next_channels_) {
    ShowChannels();
    next_channels_ = NextDue(next_channels_, ChannelPeriodMs(), now);
  }
}

int64_t LoggerInfoModel::TickDueInMs() const {
  if (!Logger()) return -1;
  int64_t due = std::min({next_average_, next_sensors_, next_channels_});
  return std::max<int64_t>(0, due - clock_.NowMs());
}

TLoggerSensor* LoggerInfoModel::SensorOf(const ValueRow& row) const {
  LoggerCore* logger = Logger();
  return logger && row.Sensor && logger->Sensors().IndexOf(row.Sensor) >= 0 ? row.Sensor : nullptr;
}

TLoggerChannel* LoggerInfoModel::ChannelOf(const ValueRow& row) const {
  LoggerCore* logger = Logger();
  return logger && row.Channel && logger->Channels().IndexOf(row.Channel) >= 0 ? row.Channel
                                                                               : nullptr;
}

bool LoggerInfoModel::Listed(const TLoggerModule* module) const {
  LoggerCore* logger = Logger();
  if (!logger || !module) return false;
  for (int i = 0; i < logger->ModuleCount(); ++i)
    if (logger->Modules(i) == module) return true;
  return false;
}

void LoggerInfoModel::Average() {
  if (sensor_interval_ > 0)
    for (ValueRow& row : sensors_)
      if (TLoggerSensor* s = SensorOf(row)) row.Ring.Push(static_cast<float>(s->Value));
  if (channel_interval_ > 0)
    for (ValueRow& row : channels_)
      if (TLoggerChannel* c = ChannelOf(row)) row.Ring.Push(static_cast<float>(c->Value));
}

void LoggerInfoModel::ShowSensors() {
  for (ValueRow& row : sensors_) {
    TLoggerSensor* s = SensorOf(row);
    if (!s) continue;
    row.Value = row.Smoothable && sensor_interval_ > 0 ? FormatNumber(row.Ring.Average())
                                                       : std::to_string(s->Value);
  }
  Changed(Change::SensorValues);
}

void LoggerInfoModel::ShowChannels() {
  for (ValueRow& row : channels_) {
    TLoggerChannel* c = ChannelOf(row);
    if (!c) continue;
    row.Value =
        FormatNumber(row.Smoothable && channel_interval_ > 0 ? row.Ring.Average() : c->Value);
  }
  Changed(Change::ChannelValues);
}

void LoggerInfoModel::SetState(int row, std::string value) {
  if (state_[static_cast<size_t>(row)].Value == value) return;
  state_[static_cast<size_t>(row)].Value = std::move(value);
  Changed(Change::State);
}

void LoggerInfoModel::PacketsChanged() {
  SetState(kPacketsRow, std::to_string(packets_item_->Value));
}
void LoggerInfoModel::SkippedChanged() {
  SetState(kSkippedRow, std::to_string(skipped_item_->Value));
}

void LoggerInfoModel::SecondPassed() {
  for (ModuleRow& row : modules_) {
    if (!Listed(row.Module)) continue;
    auto* contained = dynamic_cast<TContainedLoggerModule*>(row.Module);
    if (!contained) continue;
    row.Packets = contained->PacketCount;
    contained->PacketCount = 0;
  }
  Changed(Change::Modules);
}

void LoggerInfoModel::ModuleChanged(TLoggerModule* module) {
  // Without a module (changes batched in an update bracket) every row is refreshed.
  for (ModuleRow& row : modules_) {
    if ((module && row.Module != module) || !Listed(row.Module)) continue;
    row.Alive = row.Module->Alive;
    row.Number = row.Module->Number;
  }
  Changed(Change::Modules);
}

std::string LoggerInfoModel::SensorCaption(const TLoggerSensor& sensor) {
  std::string caption = TableCaption(sensor.Name(), true);
  if (sensor.Number > 0) caption += " (" + std::to_string(sensor.Number + 1) + ")";
  return caption;
}

std::string LoggerInfoModel::ChannelCaption(const TLoggerChannel& channel) {
  std::string caption = TableCaption(channel.Name(), false);
  if (channel.Number > 0) caption += " (" + std::to_string(channel.Number) + ")";
  std::string offset = std::to_string(channel.Offset);
  if (offset.size() < 5) offset.insert(0, 5 - offset.size(), ' ');
  return caption + "  - " + offset + " mm";
}

std::string LoggerInfoModel::FormatNumber(double value) { return FormatValue(value, 0, 2); }

ScreenRect SnapToEdges(ScreenRect w, const ScreenRect& area, int distance) {
  auto snap = [distance](int& pos, int size, int area_pos, int area_size) {
    int to_start = std::abs(pos - area_pos);
    int to_end = std::abs(pos + size - (area_pos + area_size));
    if (to_start <= distance && to_start <= to_end)
      pos = area_pos;
    else if (to_end <= distance)
      pos = area_pos + area_size - size;
  };
  snap(w.Left, w.Width, area.Left, area.Width);
  snap(w.Top, w.Height, area.Top, area.Height);
  return w;
}

}  // namespace kest
