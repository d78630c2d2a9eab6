#pragma once

#include <functional>
#include <memory>

#include "app/main_window/main_window.h"
#include "witness/witness_format.h"

class QActionGroup;
class QLabel;

namespace kest {

class Clock;
class QtLoggerHost;
class Recorder;
class RecordingSession;
class TBDMainForm;
class TSCMain;
class TLoggerInfoWindow;
class TTopPanel;
class WindowSessionHost;

namespace sim {
class ToolSimulator;
}

// The recorder's main window: its menus and tool bars turn into calls on the
// Recorder, and the Recorder's State() into the actions' flags; the depth panel
// and the tool control window float over it.
class TRecorderForm : public TMainForm {
 public:
  // `clock` drives the logger and the session; `simulator`, the in-process tool
  // behind port "SIM", may be null.
  TRecorderForm(AppEnvironment& env, Settings& settings, Clock& clock, WindowQuestions& questions,
                std::shared_ptr<sim::ToolSimulator> simulator, QWidget* parent = nullptr);
  ~TRecorderForm() override;

  // Activates the logger on the port of the settings, shows the tool windows and
  // offers crash recovery.
  void DeferredStart(const std::string& file) override;
  TLogSheet& Sheet() override;
  Recorder& Core() { return *recorder_; }
  RecordingSession& Session();
  TLogger& Logger();
  TTopPanel* TopPanel() const { return top_panel_.get(); }
  TLoggerInfoWindow* InfoWindow() const { return info_window_.get(); }
  TBDMainForm* MemoryForm() const { return memory_form_.get(); }
  TSCMain* SurfaceForm() const { return surface_form_.get(); }
  void Idle() override;
  void WaitForSaves() override;
  // "Трансляция...": the live witness's settings, applied at once.
  void EditWitness();
  QLabel* WitnessStatusLabel() const { return witness_status_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void UpdateActions() override;
  bool LoadModeSettings() override;
  void SaveModeSettings() override;
  TLogger* PlugInLogger() override;
  void BeforePlugIn() override;
  void SetupApplied() override;
  bool SheetRecording() const override;

 private:
  void ShowWitnessStatus();
  std::function<std::vector<WitnessColumn>(const WitnessHeader&)> TabletLayout();
  void BuildMenus();
  void BuildRecordingMenu(QMenu* rec);
  // "Свойства..." (read-only while recording) and "Предыдущие записи..."
  // (editor_office_menu.cpp).
  void BuildOfficeActions(QMenu* menu);
  void FillPortMenu();
  void ChoosePort(const std::string& port);
  void SelectTool();
  void StartResearch();
  void Sampler(bool take);
  void ShowDepthPanel(bool show);
  void ShowInfoWindow(bool show);
  void ShowResearchProtocol();
  // A memory tool string gets its control window (protocol mode 1, no depth panel).
  void FollowMemoryTool();
  // A surface recorder string gets its window (protocol mode 1, no keep-alive).
  void FollowSurfaceRecorder();

  Clock& clock_;
  std::shared_ptr<sim::ToolSimulator> simulator_;
  std::unique_ptr<QtLoggerHost> logger_host_;
  std::unique_ptr<WindowSessionHost> ui_host_;
  std::unique_ptr<Recorder> recorder_;
  // The tool windows watch the logger: they go first.
  std::unique_ptr<TTopPanel> top_panel_;
  QLabel* witness_status_ = nullptr;  // the live witness in the status bar (the bar owns it)
  std::unique_ptr<TLoggerInfoWindow> info_window_;
  std::unique_ptr<TBDMainForm> memory_form_;
  std::unique_ptr<TSCMain> surface_form_;
  QMenu* port_menu_ = nullptr;
  QActionGroup* port_group_ = nullptr;
  int trier_current_ = 400;  // mA, the sampler's last current
};

}  // namespace kest
