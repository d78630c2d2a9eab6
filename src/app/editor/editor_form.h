#pragma once

#include <memory>

#include "app/core/recent_files.h"
#include "app/main_window/main_window.h"

class QProgressBar;

namespace kest {

class LogDocument;
class TCalcTracksWindow;

// The curve editor's main window: one log document on the tablet, its files and
// the recent-files list.
class TEditorForm : public TMainForm {
 public:
  TEditorForm(AppEnvironment& env, Settings& settings, WindowQuestions& questions,
              QWidget* parent = nullptr);
  ~TEditorForm() override;

  // Opens `file` when it names an existing file.
  void DeferredStart(const std::string& file) override;
  TLogSheet& Sheet() override;
  LogDocument& Document() { return *document_; }
  const RecentFiles& Recent() const { return recent_; }
  // The status bar's progress of reading a log (hidden when none is read).
  QProgressBar* Progress() const { return progress_; }

  // Opens a log as "Открыть..." does once the name is chosen: asks first when the
  // open one has unsaved changes; an error is shown and leaves the open one as it
  // was. False when nothing was opened.
  bool OpenFile(const std::string& path);
  // Saves under `path` in the background, in the format of its extension.
  void ShowNotices(const std::string& path, const std::vector<std::string>& notices);
  void SaveFile(const std::string& path);
  void Idle() override;
  void WaitForSaves() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void UpdateActions() override;
  bool LoadModeSettings() override;
  void SaveModeSettings() override;
  std::string TitleFile() const override;
  bool TitleModified() const override;
  void SheetEdited() override;

 private:
  void BuildMenus();
  // "Сервис": calculator, adding curves, properties, past recordings
  // (editor_office_menu.cpp).
  void BuildOfficeMenu();
  void FileOpen();
  void FillRecentMenu();
  // Unsaved changes: saved, dropped or kept (false: stay as is).
  bool MayDropChanges();

  std::unique_ptr<LogDocument> document_;
  RecentFiles recent_;
  QProgressBar* progress_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  TCalcTracksWindow* calc_window_ = nullptr;
};

}  // namespace kest
