#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "session/installation_folders.h"
#include "support/string_list.h"
#include "witness/witness_publisher.h"

namespace kest {

class Clock;
class LoggerHost;
class LogDocument;
class RecordingSession;
class Research;
class SessionHost;
class Settings;
class TLogger;
class TLogSheet;
class TModuleClasses;
class WitnessRecording;
struct LogFileOptions;

// What the recorder's actions may do now and what its indicators show, in one value
// the window turns into enabled, checked and caption flags.
struct RecorderState {
  bool Recording = false;
  uint8_t Mode = 0;  // RecordingSession::Mode
  bool Powered = false;
  bool CanStartRecording = false;
  bool CanStop = false;
  bool CanMarkPerforation = false;
  bool CanSetTimeDelay = false;
  bool CanSave = false;
  bool CanSelectTool = false;
  bool CanPower = false;
  bool CanCable = false;
  bool CanChoosePort = false;
  bool CanStartResearch = false;
  bool CanEndResearch = false;
  bool AnalogOn = false, ImpulsOn = false;
  bool CanAnalog = false, CanImpuls = false;
  bool Sampling = false;
  bool CanSample = false;
  bool DepthCorrection = false;
  int32_t RecordStep = 10;   // mm
  std::string PowerCaption;  // "Включить прибор" / "Выключить прибор"
  std::string ResearchText;  // the research's name or "Нет исследования"
  std::string PortText;      // the port, with " (закрыт)" or " (нет связи)"
  std::string DepthText;     // "1234.56 м" once the depth channel is live, else empty
};

// The recorder without its windows: the logger on its port, the research, the
// recording session and the working sheet as a document, built from what the
// program around it injects (the logger's host, the clock, the settings, the
// installation). The desktop program and kest-tool record drive the same object.
// Main thread.
class Recorder {
 public:
  enum class TestSignal { Analog, Impuls };

  Recorder(LoggerHost& host, Clock& clock, Settings& settings, const InstallationFolders& folders,
           TModuleClasses& classes, SessionHost& ui);
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  TLogger& Logger() { return *logger_; }
  RecordingSession& Session() { return *session_; }
  Research& CurrentResearch() { return *research_; }
  TLogSheet& Sheet();
  LogDocument& Document() { return *document_; }

  // The recorder's own settings when they are all there (the label values, step,
  // research), else the defaults with the research base open; true when read.
  bool LoadSettings();
  void SaveSettings();

  // Activates the logger on `port` (a warning when it cannot be opened) and builds
  // the recording tracks.
  void Start(const std::string& port);
  // Moves the logger to `port`; when that fails, back to the old port with the
  // warning "В системе отсутствует порт <port> !" and false.
  bool ChoosePort(const std::string& port);
  // The tool string changed: the recording tracks follow it. Returns the name of
  // the string's layout file ("" when none).
  std::string ToolStringChanged();
  // Powers the tool up or down.
  void SetPower(bool on);
  // "Установка тока": sends the value and keeps it as the tool's power.
  void ChangePower(int value);
  // A test signal replaces the tool string while it is on.
  void SetTestSignal(TestSignal signal, bool on);
  // The sampler: a marker row, the tool powered down and the trial current on;
  // ending it powers the tool up again.
  void StartSample(int milliamps);
  void EndSample();
  // A start action: starts `mode`, or stops without saving when it is the mode
  // already running.
  void StartRecording(uint8_t mode);
  // Stops and saves as the settings say; the saved file's path or "".
  std::string Stop();
  void StartResearch(const std::string& name, const StringList& params);
  void EndResearch();
  // Offers the crash file of a recorder that died; true when it was restored.
  bool OfferCrashRecovery();
  // "Сохранить как...": the working sheet in the background in the format of `path`.
  void SaveAs(const std::string& path, const LogFileOptions& options);
  // The idle work: auto-save, ended saves.
  void Idle();
  void WaitForSaves();

  RecorderState State() const;

  // The live witness: the runs are published as they are recorded to the broker of
  // `settings` (when enabled; otherwise publishing stops). Spilled rows go to the
  // research folder. Raises EWitnessError for settings that cannot be used.
  // `layout` gives the header the tablet's columns.
  void SetWitness(const WitnessSettings& settings, WitnessPublisherOptions options = {},
                  std::function<std::vector<WitnessColumn>(const WitnessHeader&)> layout = {});
  // The publisher's state for the status bar; nothing while publishing is off.
  std::optional<WitnessPublisher::Status> WitnessStatus() const;
  // Waits up to `timeout_ms` for what the witness still has to send (at exit).
  bool FlushWitness(int64_t timeout_ms);

 private:
  Settings& settings_;
  InstallationFolders folders_;
  TModuleClasses& classes_;
  Clock& clock_;
  std::unique_ptr<TLogger> logger_;
  std::unique_ptr<Research> research_;
  std::unique_ptr<RecordingSession> session_;
  std::unique_ptr<LogDocument> document_;
  SessionHost& ui_;
  bool analog_ = false;
  bool impuls_ = false;
  bool sampling_ = false;
  std::unique_ptr<WitnessPublisher> witness_;
  std::unique_ptr<WitnessRecording> witness_recording_;
};

}  // namespace kest
