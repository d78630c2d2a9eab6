#include "app/core/recorder.h"

#include "app/core/main_settings.h"
#include "app/core/recorder_tools.h"
#include "app/core/tool_string.h"
#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_port_driver.h"
#include "log/log_sheet.h"
#include "session/log_document.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "session/session_host.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/settings.h"
#include "witness/witness_errors.h"
#include "witness/witness_recording.h"

namespace kest {

Recorder::Recorder(LoggerHost& host, Clock& clock, Settings& settings,
                   const InstallationFolders& folders, TModuleClasses& classes, SessionHost& ui)
    : settings_(settings), folders_(folders), classes_(classes), clock_(clock), ui_(ui) {
  logger_ = std::make_unique<TLogger>(host, clock, classes);
  research_ = std::make_unique<Research>(folders_.ResearchBase);
  session_ =
      std::make_unique<RecordingSession>(*logger_, *research_, ui, clock, folders_.CrashFile);
  session_->RecordStep = 10;
  PlaceOnMainWindow(session_->Sheet());
  document_ = std::make_unique<LogDocument>(session_->Sheet());
}

Recorder::~Recorder() {
  session_->SetListener(nullptr);
  witness_recording_.reset();
  witness_.reset();   // gives the broker a moment for what is queued
  document_.reset();  // waits for its saves
  session_->WaitForSaves();
  session_.reset();
  research_->Exit();
  logger_->SetActive(false);
}

TLogSheet& Recorder::Sheet() { return session_->Sheet(); }

bool Recorder::LoadSettings() {
  if (!RecorderSettingsComplete(settings_)) {
    session_->LoadSettings(MemorySettings());  // the defaults, the research base
    return false;
  }
  session_->LoadSettings(settings_);
  return true;
}

void Recorder::SaveSettings() { session_->SaveSettings(settings_); }

void Recorder::Start(const std::string& port) {
  try {
    logger_->SetPortName(port);
    logger_->SetActive(true);
  } catch (const std::exception& e) {
    Diag().Error(e.what());
    ui_.ShowWarning("В системе отсутствует порт " + port + " !");
  }
  session_->BuildRecordingTracks();
}

bool Recorder::ChoosePort(const std::string& port) {
  const std::string previous = logger_->PortName();
  try {
    logger_->SetPortName(port);
    if (!logger_->Active()) logger_->SetActive(true);
    return true;
  } catch (const std::exception& e) {
    Diag().Error(e.what());
    try {
      logger_->SetPortName(previous);
      if (!logger_->Active()) logger_->SetActive(true);
    } catch (const std::exception& again) {
      Diag().Error(again.what());
    }
    ui_.ShowWarning("В системе отсутствует порт " + port + " !");
    return false;
  }
}

std::string Recorder::ToolStringChanged() {
  session_->BuildRecordingTracks();
  return ToolStringLayoutName(*logger_);
}

void Recorder::SetPower(bool on) { session_->SetPower(on); }

void Recorder::ChangePower(int value) {
  logger_->ChangePower(value);
  logger_->SetPower(value);
}

void Recorder::SetTestSignal(TestSignal signal, bool on) {
  bool& flag = signal == TestSignal::Analog ? analog_ : impuls_;
  try {
    if (on) {
      StartTestSignal(*logger_, classes_, signal == TestSignal::Analog ? "Аналог" : "Импульс",
                      clock_);
    } else {
      StopTestSignal(*logger_);
    }
  } catch (...) {
    session_->BuildRecordingTracks();  // whatever string is left gets its tracks
    throw;
  }
  flag = on;
  session_->BuildRecordingTracks();
}

void Recorder::StartSample(int milliamps) {
  AppendSamplerRow(Sheet());
  if (witness_recording_) witness_recording_->Sync(*session_);
  logger_->Initialize(false);
  logger_->TrialPower(milliamps);
  sampling_ = true;
}

void Recorder::EndSample() {
  logger_->Initialize(true);
  sampling_ = false;
}

void Recorder::StartRecording(uint8_t mode) {
  session_->SetRecordMode(session_->RecordMode() == mode ? uint8_t{RecordingSession::rmStop}
                                                         : mode);
}

std::string Recorder::Stop() { return session_->Stop(); }

void Recorder::StartResearch(const std::string& name, const StringList& params) {
  {
    // A new research starts the sheet's parameters afresh; its own are added at Stop.
    SheetLock lock(session_->Sheet());
    session_->Sheet().Params().Clear();
  }
  research_->ResearchParams = params;
  research_->Start(name);
  // Remembered at once, not only at a clean exit: a recorder that dies (a power cut)
  // opens the research again at the next start, where its crash file is recovered.
  SaveSettings();
}

void Recorder::EndResearch() {
  research_->End();
  SaveSettings();
}

bool Recorder::OfferCrashRecovery() { return session_->OfferCrashRecovery(); }

void Recorder::SaveAs(const std::string& path, const LogFileOptions& options) {
  document_->SaveInBackground(path, options);
  ui_.SaveStarted(path);
}

void Recorder::Idle() {
  session_->Idle();
  for (const BackgroundSave::Result& r : document_->Reap()) ui_.SaveFinished(r.path, r.ok);
}

void Recorder::WaitForSaves() {
  session_->WaitForSaves();
  for (const BackgroundSave::Result& r : document_->WaitForSaves()) ui_.SaveFinished(r.path, r.ok);
}

void Recorder::SetWitness(const WitnessSettings& settings, WitnessPublisherOptions options,
                          std::function<std::vector<WitnessColumn>(const WitnessHeader&)> layout) {
  session_->SetListener(nullptr);
  witness_recording_.reset();
  witness_.reset();
  if (!settings.enabled) return;
  if (std::string problem = SettingsProblem(settings); !problem.empty())
    throw EWitnessError(problem);
  if (options.spill_dir.empty())
    options.spill_dir = research_->IsOpen() ? research_->ResearchDir() : research_->Base();
  witness_ = std::make_unique<WitnessPublisher>(settings, std::move(options));
  witness_recording_ = std::make_unique<WitnessRecording>(*witness_, std::move(layout));
  session_->SetListener(witness_recording_.get());
  // Turned on during a run: the run so far goes out as it is.
  if (session_->Recording()) witness_recording_->RecordingStarted(*session_);
}

std::optional<WitnessPublisher::Status> Recorder::WitnessStatus() const {
  if (!witness_) return std::nullopt;
  return witness_->GetStatus();
}

bool Recorder::FlushWitness(int64_t timeout_ms) { return !witness_ || witness_->Flush(timeout_ms); }

RecorderState Recorder::State() const {
  RecorderState s;
  s.Recording = session_->Recording();
  s.Mode = session_->RecordMode();
  s.Powered = logger_->Initialized();
  const bool testing = analog_ || impuls_;
  s.CanStartRecording = !s.Recording;
  s.CanStop = s.Recording;
  s.CanMarkPerforation = s.Recording;
  s.CanSetTimeDelay = !s.Recording;
  s.CanSave = !s.Recording && session_->Sheet().Count() > 0;
  s.CanSelectTool = logger_->Active() && !s.Recording && !s.Powered && !testing;
  s.CanPower = (logger_->CanInitialize() || s.Powered) && !testing;
  s.AnalogOn = analog_;
  s.ImpulsOn = impuls_;
  s.CanAnalog = analog_ || (!s.Recording && !s.Powered && !impuls_);
  s.CanImpuls = impuls_ || (!s.Recording && !s.Powered && !analog_);
  s.CanCable = !s.Recording;
  s.CanChoosePort = !s.Recording;
  // While a sample is taken the action stays enabled, so the tool can be powered up again.
  s.Sampling = sampling_;
  s.CanSample = s.Recording || sampling_;
  s.CanStartResearch = !research_->IsOpen();
  s.CanEndResearch = research_->IsOpen();
  s.DepthCorrection = session_->DepthCorrection;
  s.RecordStep = session_->RecordStep;
  s.PowerCaption = s.Powered ? "Выключить прибор" : "Включить прибор";
  s.ResearchText = research_->IsOpen() ? research_->ResearchName() : "Нет исследования";
  // A port whose device went away is reopened by the logger; the operator sees it.
  s.PortText = logger_->PortName() + (!logger_->Active()             ? " (закрыт)"
                                      : logger_->PortDriver().Lost() ? " (нет связи)"
                                                                     : "");
  if (logger_->DepthChannel() && logger_->Active())
    s.DepthText = FormatFixed(logger_->DepthChannel()->Value, 2) + " м";
  return s;
}

}  // namespace kest
