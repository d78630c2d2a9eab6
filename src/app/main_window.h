#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_settings.h"
#include "app/plugin_loader.h"
#include "app/recent_files.h"

class QAction;
class QActionGroup;
class QComboBox;
class QProgressBar;
class QLabel;
class QMenu;
class QTimer;

namespace kest {

class AppEnvironment;
class QtLoggerHost;
class RecordingSession;
class Research;
class SessionHost;
class Settings;
class TLogger;
class TLogSheet;
class TLogViewer;
class TTopPanel;
class TLogViewerInspector;
class TLoggerInfoWindow;
class BackgroundSave;
class WindowSessionHost;

namespace sim {
class ToolSimulator;
}

// The main window of both applications: the tablet over the whole client area, the
// recorder's actions driving the recording session, or the editor's files.
// Presentation only: the rules live in RecordingSession and kest_app_core.
class TMainForm : public QMainWindow {
 public:
  // `simulator`: the in-process tool behind port "SIM" (recorder), may be null.
  TMainForm(AppEnvironment& env, AppMode mode, Settings& settings, std::shared_ptr<sim::ToolSimulator> simulator,
            QWidget* parent = nullptr);
  ~TMainForm() override;

  // Runs once the window is on screen: opens `file` (editor), activates the logger
  // on the port of the settings and offers crash recovery (recorder).
  void DeferredStart(const std::string& file);

  AppMode Mode() const { return mode_; }
  TLogViewer* Viewer() const { return viewer_; }
  TLogSheet& Sheet();
  RecordingSession* Session() const { return session_.get(); }
  TLogger* Logger() const { return logger_.get(); }
  // The window's actions by object name ("RecordDepthDown", "LoggerPower", ...).
  QAction* Action(const char* name) const;
  // Questions go to `answers` instead of dialogs (tests), or back to dialogs (null).
  void SetScriptedAnswers(SessionHost* answers);
  // Status bar panel texts, from the left.
  QString PanelText(int index) const;
  const RecentFiles& Recent() const { return recent_; }
  // The status bar's progress of reading a log (hidden when none is read).
  QProgressBar* Progress() const { return progress_; }

  // Editor: loads a log by its extension; saves in the format of the extension in
  // the background (both raise the log layer's errors).
  void OpenFile(const std::string& path);
  void SaveFile(const std::string& path);
  // Recorder: the tool selection dialog (with scripted answers: the string it
  // offers, the one chosen last or the shipped one), then the recording tracks.
  bool SelectTool();
  // The depth panel (recorder; null until the deferred start).
  TTopPanel* TopPanel() const { return top_panel_; }
  // The tool control window (recorder; null until the deferred start).
  TLoggerInfoWindow* InfoWindow() const { return info_window_; }
  // The column inspector of the tablet (null until the deferred start).
  TLogViewerInspector* Inspector() const { return inspector_; }
  // Work of the idle handler: viewer update, auto-save, ended saves, actions state.
  void Idle();
  // Waits for the background saves of the editor and the recorder.
  void WaitForSaves();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {});
  void BuildRecorderMenus();
  void BuildEditorMenus();
  void BuildCommonMenus();
  void BuildStatusBar();
  void SetHints();
  void BuildPortMenu();
  void FillPortMenu();
  void ChoosePort(const std::string& port);
  void FillLayoutsMenu();
  void LoadLayoutFile(const std::string& name);
  // A layout picked in the menu or the combo box: loaded, and both show it.
  void ChooseLayout(const std::string& name);
  void SyncLayoutChoice();
  void FillRecentMenu();
  void LoadPlugIns();
  void RunPlugInEntry(const PlugInEntry& entry);
  void LoadSettings();
  void SaveSettings();
  // The LAS export step and null value from the settings.
  void ApplyFileOptions();
  void UpdateActions();
  void RebuildTracks();
  void StartRecording(uint8_t mode);
  void SetDepthDialog();
  void CableDialog();
  void TensionDialog();
  void Sampler(bool take);
  void TestSignal(const char* action, const char* class_name, bool on);
  void ShowDepthPanel(bool show);
  void ShowInfoWindow(bool show);
  void StopRecording();
  void StartResearch();
  void EndResearch();
  void FileOpen();
  void FileSave(bool ask_name);
  void FileNew();
  void SetupDialog();
  void ShowError(const std::exception& e);
  void UpdateTitle();
  // "Протокол исследования": the open research's "session" file.
  void ShowResearchProtocol();
  void SetPanel(int index, const QString& text);

  AppEnvironment& env_;
  AppMode mode_;
  Settings& settings_;
  std::shared_ptr<sim::ToolSimulator> simulator_;
  MainSettings main_;
  RecentFiles recent_;
  std::vector<PlugInEntry> plugins_;
  std::string current_file_;
  std::string current_layout_;

  std::unique_ptr<QtLoggerHost> logger_host_;
  std::unique_ptr<TLogger> logger_;
  std::unique_ptr<Research> research_;
  std::unique_ptr<WindowSessionHost> ui_host_;
  std::unique_ptr<RecordingSession> session_;
  std::unique_ptr<TLogSheet> editor_sheet_;
  std::unique_ptr<BackgroundSave> editor_saves_;

  TLogViewer* viewer_ = nullptr;
  QTimer* idle_timer_ = nullptr;
  std::vector<QLabel*> panels_;
  QProgressBar* progress_ = nullptr;  // reading a log
  QMenu* port_menu_ = nullptr;
  QActionGroup* port_group_ = nullptr;
  QMenu* layouts_menu_ = nullptr;
  QComboBox* layouts_combo_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  QMenu* tools_menu_ = nullptr;
  bool closing_ = false;
  TTopPanel* top_panel_ = nullptr;
  TLoggerInfoWindow* info_window_ = nullptr;
  TLogViewerInspector* inspector_ = nullptr;
  int trier_current_ = 400;  // mA, the sampler's last current
};

}  // namespace kest
