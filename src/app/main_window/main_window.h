#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/core/command_line.h"
#include "app/core/main_settings.h"
#include "app/core/plugin_loader.h"
#include "support/undo_stack.h"
#include "viewer/widgets/print_output.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTimer;

namespace kest {

class AppEnvironment;
class Settings;
class TLogger;
class TLogSheet;
class TLogViewer;
class TEditTracksForm;
class TLogViewerInspector;
class TViewerToolBar;
class WindowQuestions;
struct LogFileOptions;

// What both programs' main windows share: the tablet over the whole client area,
// the status bar, the layouts ("Экран" and its combo box), the track menu, the
// plug-ins, the tool bars and the window's settings. The recorder and the editor
// derive from it; both only turn actions into calls on their core objects.
class TMainForm : public QMainWindow {
 public:
  ~TMainForm() override;

  // Runs once the window is on screen.
  virtual void DeferredStart(const std::string& file);

  AppMode Mode() const { return mode_; }
  TLogViewer* Viewer() const { return viewer_.get(); }
  virtual TLogSheet& Sheet() = 0;
  // The window's actions by object name ("RecordDepthDown", "aOpen", ...).
  QAction* Action(const char* name) const;
  // Status bar panel texts, from the left.
  QString PanelText(int index) const;
  // The column inspector of the tablet (null until the deferred start).
  TLogViewerInspector* Inspector() const { return inspector_.get(); }
  // Work of the idle handler: viewer update, the actions' state.
  virtual void Idle();
  // Waits for the background saves.
  virtual void WaitForSaves() = 0;
  // The changes of the sheet and its tablet that "Отменить" takes back
  // (main_window_edit.cpp).
  UndoStack& Undo() { return undo_; }
  // "Редактирование данных" (null until first shown).
  TEditTracksForm* EditTracksForm() const { return edit_tracks_.get(); }

 protected:
  TMainForm(AppEnvironment& env, AppMode mode, Settings& settings, WindowQuestions& questions,
            QWidget* parent);

  // The derived window's constructor calls this once its own menus exist: common
  // menus, hints, settings, the start-up layout, plug-ins and the idle timer.
  void FinishConstruction();
  // The derived window's destructor calls this first: stops the idle work and saves
  // the settings while every part of the window is still there.
  void CloseDown();
  // Writes every setting the window saves at exit, now (what the next start reads
  // even when this run does not end cleanly).
  void StoreSettings();

  QAction* AddAction(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& key = {});
  void SetPanel(int index, const QString& text);
  // Logs the error, beeps and shows it.
  void ShowError(const std::exception& e);
  void UpdateTitle();
  void LoadLayoutFile(const std::string& name);
  void FillLayoutsMenu();
  // The standard layout when no layout file is shown, then the tracks relinked.
  void RelinkLayout();
  // Log file options from the settings dialog's values.
  LogFileOptions FileOptions() const;
  // "Сохранить как...": the layout name into the sheet, then the name asked (the
  // description checked for refused characters). "" when cancelled.
  std::string AskSaveName();
  // Runs `action`, showing what it raises.
  template <typename F>
  void Try(F&& action) {
    try {
      action();
    } catch (const std::exception& e) {
      ShowError(e);
    }
  }

  virtual void UpdateActions() = 0;
  // The mode's own settings in the one pass (false ends it there); written at exit.
  virtual bool LoadModeSettings() = 0;
  virtual void SaveModeSettings() = 0;
  // The file shown in the title, and whether it has unsaved changes.
  virtual std::string TitleFile() const { return {}; }
  virtual bool TitleModified() const { return false; }
  // A plug-in is about to run with these objects.
  virtual TLogger* PlugInLogger() { return nullptr; }
  virtual void BeforePlugIn() {}
  virtual void SetupApplied() {}
  // The tablet learns the program's null value ("NullValue") to draw gaps there.
  void ApplyNullValue();
  // The user changed the sheet's data (a track moved, samples edited).
  virtual void SheetEdited() {}
  // Something records into the sheet: it may not be edited by hand.
  virtual bool SheetRecording() const { return false; }
  // The sheet was replaced or emptied: nothing to undo, the data editor anew.
  void ClearUndo();
  // A file dialog's folder: the setting `key` when it names a folder, else the
  // research root.
  std::string DialogFolder(const char* key) const;

  // "Печать..." and "Предварительный просмотр" into the file menu.
  void AddPrintActions(QMenu* file);

  AppEnvironment& env_;
  AppMode mode_;
  Settings& settings_;
  WindowQuestions& questions_;
  MainSettings main_;
  std::string current_layout_;
  // The inspector goes before the viewer it shows.
  std::unique_ptr<TLogViewer> viewer_;
  std::unique_ptr<TLogViewerInspector> inspector_;
  // The tablet's tool bar goes before the viewer it follows.
  std::unique_ptr<TViewerToolBar> viewer_tools_;

 private:
  void BuildCommonMenus();
  void BuildStatusBar();
  void BuildViewerToolBar();
  void ColumnsChanged(std::string before, std::string text);
  void FollowSheetArgument();
  void SetHints();
  void ChooseLayout(const std::string& name);
  void SyncLayoutChoice();
  void LoadPlugIns();
  void RunPlugInEntry(const PlugInEntry& entry);
  void LoadSettings();
  void SetupDialog();
  void PrintSheet();
  void PreviewSheet();
  void UpdatePrintActions();
  // The "Правка" menu (main_window_edit.cpp).
  void BuildEditMenu();
  void UpdateEditActions();
  void ShowEditTracks();
  void MarkerAtCursor(bool add);
  void CloseEditTracks();
  RenderWarning PrintWarning();

  bool event(QEvent* event) override;

  std::vector<PlugInEntry> plugins_;
  QTimer* idle_timer_ = nullptr;
  std::vector<QLabel*> panels_;
  QLabel* cursor_label_ = nullptr;
  const TLogSheet* followed_sheet_ = nullptr;  // the sheet the viewer's argument kind is from
  QMenu* layouts_menu_ = nullptr;
  QComboBox* layouts_combo_ = nullptr;
  QMenu* tools_menu_ = nullptr;
  bool settings_saved_ = false;
  UndoStack undo_;
  // A child window that works on the viewer and the undo stack: owned here, so it goes
  // before them (in CloseDown, else as the first member), never after with Qt's children.
  std::unique_ptr<TEditTracksForm> edit_tracks_;
  bool was_recording_ = false;
};

}  // namespace kest
