#include "app/editor/editor_form.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

#include "app/core/app_environment.h"
#include "app/dialogs/window_questions.h"
#include "app/main_window/window_session_host.h"
#include "log/log_sheet.h"
#include "log/log_sheet_filer.h"
#include "session/log_document.h"
#include "support/diagnostic_log.h"
#include "support/settings.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TEditorForm::TEditorForm(AppEnvironment& env, Settings& settings, WindowQuestions& questions,
                         QWidget* parent)
    : TMainForm(env, AppMode::amEditor, settings, questions, parent),
      document_(std::make_unique<LogDocument>()) {
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbReading");
  progress_->setRange(0, 100);
  progress_->setMaximumWidth(160);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
  PlaceOnMainWindow(document_->Sheet());
  viewer_->SetSheet(&document_->Sheet());
  viewer_->SetInteractive(true);
  BuildMenus();
  FinishConstruction();
  FillRecentMenu();
}

TEditorForm::~TEditorForm() {
  CloseDown();
  viewer_->SetSheet(nullptr);  // the sheet goes with the document, before the viewer
}

TLogSheet& TEditorForm::Sheet() { return document_->Sheet(); }

void TEditorForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu("Файл");
  connect(AddAction(file, "aNew", "Новый"), &QAction::triggered, this, [this] {
    {
      SheetLock lock(Sheet());
      Sheet().ClearData();
    }
    viewer_->RaiseEvent(veColumns);
    ClearUndo();
    SheetEdited();
  });
  connect(AddAction(file, "aOpen", "Открыть...", QKeySequence::Open), &QAction::triggered, this,
          [this] { FileOpen(); });
  recent_menu_ = file->addMenu("Открыть повторно");
  // Filled as it opens: never while one of its entries is being picked.
  connect(recent_menu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  connect(AddAction(file, "aFileSave", "Сохранить", QKeySequence::Save), &QAction::triggered, this,
          [this] {
            const std::string path =
                document_->FileName().empty() ? AskSaveName() : document_->FileName();
            if (!path.empty()) SaveFile(path);
          });
  connect(AddAction(file, "aSave", "Сохранить как..."), &QAction::triggered, this, [this] {
    const std::string path = AskSaveName();
    if (!path.empty()) SaveFile(path);
  });
  file->addSeparator();
  file->addSeparator();
  AddPrintActions(file);
  file->addSeparator();
  AddAction(file, "aSetup", "Настройка...");
  file->addSeparator();
  connect(AddAction(file, "aExit", "Выход"), &QAction::triggered, this, &QWidget::close);
  QToolBar* bar = addToolBar("Стандартная");
  bar->setObjectName("tbStandard");
  for (const char* name : {"aNew", "aOpen", "aFileSave"}) bar->addAction(Action(name));
  main_.Toolbars["tbStandard"] = {};
  BuildOfficeMenu();
}

void TEditorForm::UpdateActions() {
  const bool has_data = Sheet().Count() > 0;
  Action("aFileSave")->setEnabled(has_data);
  Action("aSave")->setEnabled(has_data);
}

std::string TEditorForm::TitleFile() const { return document_->FileName(); }
bool TEditorForm::TitleModified() const { return document_->Modified(); }

void TEditorForm::SheetEdited() {
  document_->SetModified(true);
  UpdateTitle();
}

bool TEditorForm::LoadModeSettings() {
  recent_.Load(settings_, MainFormPath(mode_) + "/MRU files");
  return true;
}

void TEditorForm::SaveModeSettings() {
  recent_.Save(settings_, MainFormPath(mode_) + "/MRU files");
}

void TEditorForm::DeferredStart(const std::string& file) {
  TMainForm::DeferredStart(file);
  // A file that cannot be read (missing, a folder, damaged) is reported by name.
  std::error_code ec;
  if (!file.empty()) OpenFile(fs::absolute(file, ec).string());
}

bool TEditorForm::MayDropChanges() {
  if (!document_->Modified()) return true;
  const std::string name = document_->FileName().empty() ? "Без имени" : document_->FileName();
  switch (questions_.AskYesNoCancel(ModeTitle(mode_),
                                    "Файл " + name + " изменён. Сохранить изменения?")) {
    case WindowQuestions::Answer::No:
      return true;
    case WindowQuestions::Answer::Cancel:
      return false;
    case WindowQuestions::Answer::Yes:
      break;
  }
  const std::string path = document_->FileName().empty() ? AskSaveName() : document_->FileName();
  if (path.empty()) return false;
  SaveFile(path);
  for (const BackgroundSave::Result& r : document_->WaitForSaves())
    SetPanel(spMessage, r.ok ? QString() : Q("Ошибка сохранения " + r.path));
  return !document_->Modified();
}

bool TEditorForm::OpenFile(const std::string& path) {
  if (!MayDropChanges()) return false;
  WaitForSaves();  // a save of the open log ends, and is reported, first
  Diag().Note("Loading file \"" + path + "\"");
  // Reading a large log takes a while: the status bar shows how far it got. Only
  // the bar is repainted, so nothing else runs while the sheet is being filled.
  auto progress = [this](int percent) {
    progress_->setValue(percent);
    progress_->setVisible(percent < 100);
    if (progress_->isVisible()) progress_->repaint();
  };
  std::vector<std::string> notices;
  try {
    notices = document_->Open(path, FileOptions(), progress);
  } catch (const std::exception& e) {
    progress_->hide();
    ShowError(e);
    return false;
  }
  progress_->hide();
  ShowNotices(path, notices);
  recent_.Add(path);
  const std::string layout = Sheet().Comments().Value("Планшет");
  current_layout_.clear();
  if (!layout.empty()) LoadLayoutFile(layout);
  RelinkLayout();
  viewer_->Refresh();  // takes the loaded rows as they are, so no append scrolling follows
  viewer_->SyncRange();
  viewer_->SetViewTop(viewer_->SheetFirst());
  ClearUndo();
  UpdateTitle();
  UpdateActions();
  return true;
}

// What the reader noticed in a file it still read (sections it skipped, mnemonics it
// did not know, units it kept), in one box rather than one box per line.
void TEditorForm::ShowNotices(const std::string& path, const std::vector<std::string>& notices) {
  std::vector<std::string> lines;
  for (const std::string& n : notices)
    if (std::find(lines.begin(), lines.end(), n) == lines.end()) lines.push_back(n);
  if (lines.empty()) return;
  std::string text = "Файл \"" + fs::path(path).filename().string() + "\" прочитан с замечаниями:";
  for (const std::string& line : lines) text += "\n" + line;
  questions_.ShowWarning(text);
}

void TEditorForm::SaveFile(const std::string& path) {
  try {
    document_->SaveInBackground(path, FileOptions());
  } catch (const std::exception& e) {
    ShowError(e);
    return;
  }
  SetPanel(spMessage, Q("Saving file \"" + fs::path(path).filename().string() + "\""));
  UpdateTitle();
}

void TEditorForm::FileOpen() {
  std::string mask = ReaderFilers().FilterMask();
  std::replace(mask.begin(), mask.end(), ';', ' ');
  const std::string path = questions_.AskOpenFile("Открыть", DialogFolder("LoadDir"), mask);
  if (path.empty()) return;
  settings_.SetString(kSettingsGroup, "LoadDir", fs::path(path).parent_path().string());
  OpenFile(path);
}

void TEditorForm::FillRecentMenu() {
  if (!recent_menu_) return;
  recent_menu_->clear();
  if (recent_.Items().empty()) {
    recent_menu_->addAction("(нет)")->setEnabled(false);
    return;
  }
  for (size_t i = 0; i < recent_.Items().size(); ++i) {
    const std::string& path = recent_.Items()[i];
    QAction* a = recent_menu_->addAction(
        Q(RecentFiles::Caption(static_cast<int>(i), path, env_.Folders().Root)));
    a->setCheckable(true);
    a->setChecked(path == document_->FileName());
    connect(a, &QAction::triggered, this, [this, caption = a->text().toStdString()] {
      OpenFile(RecentFiles::FromCaption(caption, env_.Folders().Root));
    });
  }
}

void TEditorForm::Idle() {
  for (const BackgroundSave::Result& r : document_->Reap())
    SetPanel(spMessage, r.ok ? QString() : Q("Ошибка сохранения " + r.path));
  TMainForm::Idle();
}

void TEditorForm::WaitForSaves() {
  for (const BackgroundSave::Result& r : document_->WaitForSaves())
    SetPanel(spMessage, r.ok ? QString() : Q("Ошибка сохранения " + r.path));
}

void TEditorForm::closeEvent(QCloseEvent* event) {
  if (!MayDropChanges()) {
    event->ignore();
    return;
  }
  WaitForSaves();
  event->accept();
}

}  // namespace kest
