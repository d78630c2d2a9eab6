#include "session/recording_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "link/logger.h"
#include "session/research.h"
#include "session/session_host.h"
#include "support/assert.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/settings.h"
#include "support/stream.h"

#ifndef KEST_VERSION_TEXT
#define KEST_VERSION_TEXT "0.0.0"
#endif

namespace kest {

namespace {

constexpr const char* kLoggingStarted = "Logging started";
constexpr const char* kLoggingComplete = "Logging complete";
constexpr const char* kPowerOn = "Включить прибор";
constexpr const char* kPowerOff = "Выключить прибор";
constexpr const char* kAskSaveTitle = "Внимание!";
constexpr const char* kAskSave = "Сохранить этот файл ?";
constexpr const char* kDescriptionPrompt = "Описание файла";
constexpr const char* kBadCharacters = "Имя файла содержит недопустимые символы!";

constexpr const char* kMainForm = "LogRecorder/Main form";
constexpr const char* kSettingsGroup = "Settings";

}  // namespace

RecordingSession::RecordingSession(TLogger& logger, Research& research, SessionHost& host,
                                   Clock& clock, std::string crash_file, LocalTimeFn now)
    : logger_(logger),
      research_(research),
      host_(host),
      clock_(clock),
      crash_file_(std::move(crash_file)),
      now_(std::move(now)) {
  mag_label_sensor_ = logger_.Sensors().Find("MAG-LABEL-SENSOR");
  data_source_.SetLogger(&logger_);
  struct ItemSetup {
    TLoggerChannelItem& item;
    const char* channel;
  };
  for (ItemSetup s : {ItemSetup{lciTime, "TIME"}, ItemSetup{lciDepth, "DEPTH"},
                      ItemSetup{lciDirection, "DIRECTION"}, ItemSetup{lciSpeed, "SPEED"}}) {
    s.item.SetChannelName(s.channel);
    s.item.SetDataSource(&data_source_);
  }
  lciSpeed.SetPeriod(1);
  lciSpeed.SetQueueSize(2);
  lsiMagLabel.SetSensorName("MAG-LABEL-SENSOR");
  lsiMagLabel.SetDataSource(&data_source_);

  lciTime.OnChange = [this](TLoggerItem&) { OnTime(); };
  lciDepth.OnChange = [this](TLoggerItem&) { OnDepth(); };
  lsiMagLabel.OnChange = [this](TLoggerItem&) { OnMagLabel(); };
  data_source_.OnLayoutChange = [this](TLoggerDataSource&) {
    mag_label_sensor_ = logger_.Sensors().Find("MAG-LABEL-SENSOR");
    if (Recording()) BindTracks();
  };
}

RecordingSession::~RecordingSession() {
  data_source_.SetLogger(nullptr);
  saves_.WaitAll();
}

// ---------------------------------------------------------------------------------
// Settings

bool RecordingSession::LoadSettings(const Settings& s) {
  // One pass in the documented order; the first missing number ends it.
  auto number = [&](const char* path, const char* key, auto& field) {
    auto text = s.Value(path, key);
    auto v = text ? ParseFloat(*text) : std::nullopt;
    if (!v) return false;
    field = static_cast<std::remove_reference_t<decltype(field)>>(*v);
    return true;
  };
  std::string research;
  bool complete =
      number(kMainForm, "MLArea", MLArea) && number(kMainForm, "MLStep", MLStep) &&
      number(kMainForm, "MLStep2", MLStep2) && number(kMainForm, "MLSubStep", MLSubStep) &&
      number(kMainForm, "MLOffset2", MLOffset2) && number(kMainForm, "MLPos2", MLPos2) &&
      number(kMainForm, "RecordStep", RecordStep);
  if (complete) {
    research = s.GetString(kMainForm, "ResearchDir");
    if (!research.empty() && !std::filesystem::is_directory(research_.Base() + "/" + research))
      research.clear();
  }
  if (RecordStep != 10 && RecordStep != 100 && RecordStep != 200) RecordStep = 10;
  try {
    research_.Open(research);
  } catch (const EKestError& e) {
    Diag().Error(e.what());
    research_.Open("");
  }

  bool set_up =
      s.Contains(kSettingsGroup, "Setted") && number(kSettingsGroup, "SaveFiles", SaveFiles);
  if (auto null_value = s.Value(kSettingsGroup, "NullValue"); null_value && ParseFloat(*null_value))
    NullValue = *null_value;
  int32_t delay = 0;
  if (number(kSettingsGroup, "TimeDelay", delay)) {
    try {
      lciTime.SetPeriod(delay);
    } catch (const EKestError& e) {
      Diag().Error(e.what());
    }
    int32_t minutes = 0;
    if (number(kSettingsGroup, "AutoSave", minutes))
      SetAutoSaveInterval(int64_t{std::max(minutes, 0)} * 60000);
  }
  return set_up;
}

void RecordingSession::SaveSettings(Settings& s) const {
  s.SetInt(kMainForm, "RecordStep", RecordStep);
  s.SetString(kMainForm, "ResearchDir", research_.ResearchName());
  s.SetFloat(kMainForm, "MLArea", MLArea);
  s.SetFloat(kMainForm, "MLStep", std::fabs(MLStep));
  s.SetFloat(kMainForm, "MLStep2", MLStep2);
  s.SetFloat(kMainForm, "MLSubStep", MLSubStep);
  s.SetFloat(kMainForm, "MLOffset2", MLOffset2);
  s.SetInt(kMainForm, "MLPos2", MLPos2);
  s.SetBool(kMainForm, "DepthCorrection", DepthCorrection);
  s.SetInt(kSettingsGroup, "TimeDelay", lciTime.Period());
  s.SetInt(kSettingsGroup, "AutoSave", AutoSaveMinutes());
  s.SetString(kSettingsGroup, "Port", logger_.PortName());
}

// ---------------------------------------------------------------------------------
// Tracks

void RecordingSession::BuildRecordingTracks() {
  SheetLock lock(lsSave);
  recorded_.clear();
  lsSave.Clear();
  TLoggerChannels& channels = logger_.Channels();
  for (int i = 0; i < channels.Count(); ++i) {
    TLoggerChannel* channel = channels.Items(i);
    if (!channel->Recordable) continue;
    TLogTrack* track = lsSave.NewTrack(channel->Name());
    track->SetOrigin(channel->Offset);
    track->SetTag(reinterpret_cast<std::intptr_t>(channel));
  }
}

// Tracks follow their channel by name and number, so a sheet loaded from a file
// (a recovered crash file) records again into the tracks of the same names.
void RecordingSession::BindTracks() {
  recorded_.clear();
  for (int i = 0; i < lsSave.Count(); ++i) {
    TLogTrack* track = lsSave.Tracks(i);
    if (track->Foreign()) continue;
    TLoggerChannel* channel = logger_.Channels().Find(track->Parameter(), track->Instance());
    track->SetTag(reinterpret_cast<std::intptr_t>(channel));
    if (channel) recorded_.push_back({track, channel});
  }
}

// ---------------------------------------------------------------------------------
// Record mode

void RecordingSession::SetRecordMode(uint8_t mode) { ChangeMode(mode, false); }

void RecordingSession::ChangeMode(uint8_t mode, bool keep_crash_file) {
  KEST_ASSERT(mode <= rmDepthUp);
  if (!keep_crash_file) DeleteCrashFile();
  NextLabelDepth = 0;
  if (mode == rmDepthUp) MLStep = -std::fabs(MLStep);
  if (mode == rmDepthDown) MLStep = std::fabs(MLStep);
  if (mode == record_mode_) return;
  uint8_t old_mode = record_mode_;
  if (mode != rmStop) {
    // There is no change between two running modes: stop first.
    if (old_mode != rmStop) StopRecording(old_mode);
    if (old_mode != rmStop && listener_) listener_->RecordingEnded(*this, {});
    StartRecording(mode);
  } else {
    StopRecording(old_mode);
  }
  record_mode_ = mode;
  if (listener_ && mode != rmStop) listener_->RecordingStarted(*this);
  // A stop that saves tells the listener with the file's name (Stop).
  if (listener_ && mode == rmStop && !keep_crash_file) listener_->RecordingEnded(*this, {});
  host_.RecordModeChanged(mode);
}

std::string RecordingSession::ToolText() const {
  std::string text;
  for (int i = 1; i < logger_.ModuleCount(); ++i) {
    const TLoggerModule* m = logger_.Modules(i);
    text += m->Name + " №" + std::to_string(m->Number) + " + ";
  }
  if (!text.empty()) text.resize(text.size() - 3);
  return text;
}

void RecordingSession::StartRecording(uint8_t mode) {
  next_auto_save_ = clock_.NowMs() + auto_save_ms_;
  std::string tool = ToolText();
  DateTime today = now_();
  SheetLock lock(lsSave);
  BindTracks();
  lsSave.Params().SetValue("StartTime", SheetDate(today));
  lsSave.Params().SetValue("Прибор", tool);
  lsSave.Comments().SetValue("Версия программы", KEST_VERSION_TEXT);
  lsSave.Comments().SetValue("Прибор", tool);
  lsSave.ClearData();
  if (mode == rmTime) {
    int32_t step = lciTime.Period() == 0 ? TLogger::kTickMs : lciTime.Period() * 1000;
    lsSave.SetArgument(laTime);
    for (int i = 0; i < lsSave.Count(); ++i) lsSave.Tracks(i)->SetArgument(laTime);
    lsSave.SetSteps(step);
    lsSave.SetAscending(true);
    lsSave.SetStart(0);
  } else {
    double depth_mm = logger_.DepthChannel()->Value * 1000.0;
    int32_t start = static_cast<int32_t>(RoundHalfEven(depth_mm / RecordStep) * RecordStep);
    lsSave.SetArgument(laDepth);
    for (int i = 0; i < lsSave.Count(); ++i) lsSave.Tracks(i)->SetArgument(laDepth);
    lsSave.SetSteps(RecordStep);
    lsSave.SetAscending(mode == rmDepthDown);
    lsSave.SetOrigins(0);
    // The row of a step lies at the depth where it was taken: going down the first
    // row comes when the tool crosses start + step, going up when it crosses
    // start - step (a descending track puts each new row one step below its origin).
    lsSave.SetStart(mode == rmDepthDown ? start + RecordStep : start);
    last_depth_ = start;
  }
  lsSave.UpdateRange();
  SavedPosition = lsSave.Start();
  next_saved_row_ = 0;
  research_.CurrentJournal().Write(kLoggingStarted);
}

void RecordingSession::StopRecording(uint8_t old_mode) {
  research_.CurrentJournal().Write(kLoggingComplete);
  if (old_mode != rmDepthDown && old_mode != rmDepthUp) return;
  // Each curve moves to the depth of its sensor's measuring point.
  SheetLock lock(lsSave);
  if (lsSave.Count() == 0) return;
  const int32_t base = lsSave.Tracks(0)->Origin();
  for (const Recorded& r : recorded_) r.track->SetOrigin(OffsetOrigin(r, base));
  lsSave.UpdateRange();
}

int32_t RecordingSession::ShiftedOrigin(int32_t offset, int32_t step, int32_t base) {
  return step == 0 ? base : offset / step * step + base;
}

int32_t RecordingSession::OffsetOrigin(const Recorded& r, int32_t base) {
  return ShiftedOrigin(r.channel->Offset, r.track->Step(), base);
}

std::vector<RecordingSession::RecordedTrack> RecordingSession::RecordedTracks() const {
  std::vector<RecordedTrack> tracks;
  for (const Recorded& r : recorded_) tracks.push_back({r.track, r.channel->Offset});
  return tracks;
}

int32_t RecordingSession::SensorOrigin(const TLogTrack& track) const {
  if ((record_mode_ == rmDepthDown || record_mode_ == rmDepthUp) && lsSave.Count() > 0) {
    for (const Recorded& r : recorded_)
      if (r.track == &track) return OffsetOrigin(r, lsSave.Tracks(0)->Origin());
  }
  return track.Origin();
}

// ---------------------------------------------------------------------------------
// Rows

void RecordingSession::TakeSample() {
  logger_.Channels().EvaluateAll();
  {
    SheetLock lock(lsSave);
    for (const Recorded& r : recorded_) r.track->Append(static_cast<float>(r.channel->Value));
    lsSave.UpdateRange();
  }
  if (listener_) listener_->RowAdded(*this);
  if (mag_label_sensor_ && mag_label_sensor_->Value > 0) {
    mag_label_sensor_->Value = 0;
    if (TLoggerChannel* label = logger_.Channels().Find("MAG-LABEL")) label->Value = 0;
  }
}

void RecordingSession::DropRow() {
  {
    SheetLock lock(lsSave);
    for (const Recorded& r : recorded_) r.track->DropLast();
    lsSave.UpdateRange();
  }
  if (listener_) listener_->RowDropped(*this);
}

void RecordingSession::OnTime() {
  if (record_mode_ == rmTime) TakeSample();
}

void RecordingSession::OnDepth() {
  if (in_depth_) return;
  in_depth_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{in_depth_};
  TLoggerChannel* depth = logger_.DepthChannel();
  depth->Evaluate();
  host_.ShowDepth(FormatFixed(depth->Value, 2));
  if (record_mode_ != rmDepthDown && record_mode_ != rmDepthUp) return;
  int64_t d = RoundHalfEven(depth->Value * 1000.0);
  while (d >= int64_t{last_depth_} + RecordStep) {
    if (record_mode_ == rmDepthDown)
      TakeSample();
    else
      DropRow();
    last_depth_ += RecordStep;
  }
  while (int64_t{last_depth_} - RecordStep >= d) {
    if (record_mode_ == rmDepthDown)
      DropRow();
    else
      TakeSample();
    last_depth_ -= RecordStep;
  }
}

void RecordingSession::OnMagLabel() {
  host_.Beep();
  if (!DepthCorrection || MLStep == 0) return;
  double d = lciDepth.Value;
  double expected = NextLabelDepth;
  if (expected == 0) {
    NextLabelDepth = static_cast<float>(d + MLStep);
    return;
  }
  if (std::fabs(expected - d) < MLArea) {
    // The label came where expected.
    host_.ShowLabel(true);
    if (expected >= 0) {
      if (StepCorrection && d > 0) {
        double step = logger_.DepthStep() * expected / d;
        logger_.SetDepthStep(step, expected);
        host_.ShowDepthStep(FormatFixed(step, 5));
      } else {
        logger_.SetDepth(expected);
        host_.ShowDepthStep("");
      }
    }
    NextLabelDepth = static_cast<float>(expected + MLStep);
    return;
  }
  host_.ShowLabel(false);
  double n = std::fabs(d - expected) / std::fabs(MLStep);
  if (n <= 1) return;  // a stray label
  // Labels were missed: the depth goes to the label position nearest the reading,
  // on whichever side of the expected label it lies.
  double placed = expected + static_cast<double>(RoundHalfEven((d - expected) / MLStep)) * MLStep;
  if (placed < 0) return;
  logger_.SetDepth(placed);
  host_.ShowLabel(true);
  NextLabelDepth = static_cast<float>(placed + MLStep);
}

void RecordingSession::Perforation() {
  if (!Recording()) return;
  {
    SheetLock lock(lsSave);
    for (const Recorded& r : recorded_) {
      const std::string& name = r.track->Parameter();
      bool repeat =
          (name == "MAG-LABEL" || name == "TIME" || name == "DEPTH") && r.track->Count() > 0;
      r.track->Append(repeat ? r.track->Sample(r.track->Ascending() ? r.track->Count() - 1 : 0)
                             : kPerforationValue);
    }
    lsSave.UpdateRange();
  }
  if (listener_) listener_->RowAdded(*this);
  // In a depth log the mark takes the next step, so the rows after it stay at the
  // depths where they are taken.
  if (record_mode_ == rmDepthDown) last_depth_ += RecordStep;
  if (record_mode_ == rmDepthUp) last_depth_ -= RecordStep;
}

void RecordingSession::SetTimeDelay(int32_t seconds) {
  if (Recording()) return;
  lciTime.SetPeriod(seconds);
}

void RecordingSession::DepthOffset(double metres) {
  int32_t shift = RoundHalfEven32(metres * 1000.0);
  SheetLock lock(lsSave);
  for (int i = 0; i < lsSave.Count(); ++i) {
    TLogTrack* track = lsSave.Tracks(i);
    if (track->Parameter() != "TIME") track->SetOrigin(track->Origin() + shift);
  }
  lsSave.UpdateRange();
}

void RecordingSession::SetDepth(double metres) {
  logger_.SetDepth(metres);
  NextLabelDepth = static_cast<float>(metres + MLStep);
}

void RecordingSession::ToggleDepthCorrection() {
  DepthCorrection = !DepthCorrection;
  NextLabelDepth = 0;
}

void RecordingSession::SetPower(bool on) {
  logger_.Initialize(on);
  research_.CurrentJournal().Write(on ? kPowerOn : kPowerOff);
}

// ---------------------------------------------------------------------------------
// Stop and save

std::string RecordingSession::Stop() {
  uint8_t old_mode = record_mode_;
  // The crash file goes when the file that replaces it has been written (Idle).
  ChangeMode(rmStop, true);
  std::string path;
  if (old_mode == rmStop) return path;
  std::string params_file = research_.ResearchDir() + Research::kParamsFile;
  try {
    if (FileExists(params_file)) {
      StringList params = ReadListFile(params_file);
      SheetLock lock(lsSave);
      // A name already in the sheet takes the research's value: recordings made one
      // after another in a research would otherwise pile up copies of every line.
      for (const std::string& line : params) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
          lsSave.Params().Add(line);
        else
          lsSave.Params().SetValue(std::string_view(line).substr(0, eq),
                                   std::string_view(line).substr(eq + 1));
      }
    }
  } catch (const EKestError&) {
    // A research without readable parameters still saves its recordings.
  }
  bool save = SaveFiles == 0 || (SaveFiles == 1 && host_.AskYesNo(kAskSaveTitle, kAskSave));
  if (save) {
    path = research_.ResearchDir() + research_.FileName();
    SaveRecording(old_mode);
  } else {
    DeleteCrashFile();
  }
  if (listener_) listener_->RecordingEnded(*this, path);
  return path;
}

std::string RecordingSession::ProposeDescription(uint8_t old_mode) {
  SheetLock lock(lsSave);
  lsSave.UpdateRange();
  double low = lsSave.Start() / 1000.0;
  double high = lsSave.End() / 1000.0;
  switch (old_mode) {
    case rmTime: {
      int64_t seconds = RoundHalfEven((int64_t{lsSave.End()} - lsSave.Start()) / 1000.0);
      return "Регистрация на точке (" + std::to_string(seconds) + ")";
    }
    case rmDepthDown:
      return "Спуск " + FormatFixed(low, 2) + " - " + FormatFixed(high, 2);
    case rmDepthUp:
      return "Подъем " + FormatFixed(high, 2) + " - " + FormatFixed(low, 2);
    default:
      return {};
  }
}

void RecordingSession::SaveRecording(uint8_t old_mode) {
  std::string proposal = ProposeDescription(old_mode);
  std::string description = proposal;
  while (true) {
    if (!host_.AskText(kTitle, kDescriptionPrompt, description)) {
      // A cancelled box keeps the proposal: the recording is saved all the same.
      description = proposal;
      break;
    }
    if (IsValidDescription(description)) break;
    host_.ShowWarning(kBadCharacters);
  }
  SaveToResearch(description);
}

std::string RecordingSession::SaveToResearch(const std::string& description) {
  std::string file = research_.FileName();
  std::string path = research_.ResearchDir() + file;
  {
    SheetLock lock(lsSave);
    lsSave.Comments().SetValue("Условия замера", description);
    lsSave.Params().SetValue("StopTime", SheetDate(now_()));
  }
  host_.SaveStarted(path);
  saves_.Save(lsSave, path, "LS");
  pending_save_ = path;
  research_.AddToIndex(file, description);
  ++research_.FileCounter;
  return path;
}

void RecordingSession::Idle() {
  if (Recording() && auto_save_ms_ > 0 && clock_.NowMs() >= next_auto_save_) {
    next_auto_save_ = clock_.NowMs() + auto_save_ms_;
    AutoSave();
  }
  ReportSaves(saves_.Reap());
}

void RecordingSession::ReportSaves(const std::list<BackgroundSave::Result>& ended) {
  for (const BackgroundSave::Result& r : ended) {
    // The crash file stays until the file that replaces it is safely written.
    if (r.ok && r.path == pending_save_ && !Recording()) DeleteCrashFile();
    if (r.path == pending_save_) pending_save_.clear();
    host_.SaveFinished(r.path, r.ok);
  }
}

void RecordingSession::WaitForSaves() { ReportSaves(saves_.WaitAll()); }

}  // namespace kest
