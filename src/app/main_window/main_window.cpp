#include "app/main_window/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "analysis/shift_command.h"
#include "app/core/app_environment.h"
#include "app/core/setup_values.h"
#include "app/core/standard_layout.h"
#include "app/dialogs/edit_tracks_form.h"
#include "app/dialogs/window_questions.h"
#include "app/main_window/setup_dialog.h"
#include "app/main_window/window_session_host.h"
#include "log/log_sheet.h"
#include "log/log_sheet_filer.h"
#include "log/log_track.h"
#include "session/log_document.h"
#include "session/research.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/settings.h"
#include "support/stream.h"
#include "viewer/core/column_commands.h"
#include "viewer/core/track_column.h"
#include "viewer/core/viewer_commands.h"
#include "viewer/widgets/inspector_window.h"
#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/viewer_actions.h"

#ifndef KEST_VERSION_TEXT
#define KEST_VERSION_TEXT "0.0.0"
#endif

namespace kest {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kIdleMs = 40;

}  // namespace

TMainForm::TMainForm(AppEnvironment& env, AppMode mode, Settings& settings,
                     WindowQuestions& questions, QWidget* parent)
    : QMainWindow(parent), env_(env), mode_(mode), settings_(settings), questions_(questions) {
  viewer_ = std::make_unique<TLogViewer>(this);
  setCentralWidget(viewer_.get());
  viewer_->SetShowCursor(true);
  viewer_->SetCursorPen({psSolid, 2, clBlack});
  viewer_->SetAppendMode(amDiscreteScroll);
  viewer_->SetDelayedUpdates(true);
  // Both programs' tablets: columns can be built and values are written where a
  // curve enters the top and leaves the bottom of the view.
  viewer_->SetInteractive(true);
  viewer_->SetEdgeLabels(elTop | elBottom);
  BuildStatusBar();
}

TMainForm::~TMainForm() = default;

void TMainForm::FinishConstruction() {
  BuildEditMenu();
  BuildCommonMenus();
  SetHints();
  UpdateTitle();
  LoadSettings();
  ApplyNullValue();
  if (!main_.DefaultLayout.empty()) LoadLayoutFile(main_.DefaultLayout);
  FillLayoutsMenu();
  LoadPlugIns();
  idle_timer_ = new QTimer(this);
  connect(idle_timer_, &QTimer::timeout, this, [this] { Idle(); });
  idle_timer_->start(kIdleMs);
  // Whatever an action did, the others' flags and the title follow at once.
  for (QAction* a : findChildren<QAction*>())
    connect(a, &QAction::triggered, this, [this] {
      UpdateActions();
      UpdateEditActions();
      UpdateTitle();
    });
  UpdateActions();
}

// ---------------------------------------------------------------------------------
// Menus and actions

QAction* TMainForm::AddAction(QMenu* menu, const char* name, const QString& caption,
                              const QKeySequence& key) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  if (menu) menu->addAction(action);
  return action;
}

QAction* TMainForm::Action(const char* name) const { return findChild<QAction*>(name); }

void TMainForm::ColumnsChanged(std::string before, std::string text) {
  // Recorded for "Отменить": the tablet as it was is loaded back.
  Try([&] { undo_.Push(ColumnsChange(*viewer_, std::move(before), std::move(text))); });
}

void TMainForm::BuildViewerToolBar() {
  // The recorder's own bar fills a row: the tablet's tools start the next.
  if (mode_ == AppMode::amRecorder) addToolBarBreak();
  QToolBar* bar = addToolBar("Работа с планшетом");
  bar->setObjectName("tbViewer");
  bar->setIconSize(QSize(22, 22));
  viewer_tools_ = std::make_unique<TViewerToolBar>(bar, viewer_.get(), nullptr);
  viewer_tools_->SetOnColumnsChanged([this](std::string before, std::string text) {
    ColumnsChanged(std::move(before), std::move(text));
  });
  main_.Toolbars["tbViewer"] = {};
}

void TMainForm::BuildCommonMenus() {
  BuildViewerToolBar();
  if (QAction* setup = Action("aSetup"))
    connect(setup, &QAction::triggered, this, [this] { SetupDialog(); });
  layouts_menu_ = menuBar()->addMenu("Экран");
  QToolBar* layouts = addToolBar("Экран");
  layouts->setObjectName("tbLayouts");
  layouts_combo_ = new QComboBox(layouts);
  layouts_combo_->setObjectName("cbLayouts");
  layouts_combo_->setMinimumContentsLength(16);
  layouts_combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  layouts_combo_->setStatusTip("Планшет для показа кривых");
  layouts->addWidget(layouts_combo_);
  connect(layouts_combo_, &QComboBox::activated, this,
          [this](int index) { ChooseLayout(layouts_combo_->itemText(index).toStdString()); });
  main_.Toolbars["tbLayouts"] = {};
  QMenu* track = menuBar()->addMenu("Кривая");
  connect(AddAction(track, "aTrackOffset", "Смещение"), &QAction::triggered, this, [this] {
    auto* column = dynamic_cast<TTrackColumn*>(viewer_->FocusedColumn());
    TLogTrack* t = column ? column->Track() : nullptr;
    if (!t) return;
    std::string text = "0";
    if (!questions_.AskText(windowTitle().toStdString(), "Смещение, м", text)) return;
    auto metres = ParseFloat(text);
    if (!metres || !std::isfinite(*metres) || std::fabs(*metres) > 1e6) return;
    // The same undoable change as a depth match applied to the whole log.
    Try([&] { undo_.Push(ShiftTracksCommand(Sheet(), {t}, RoundHalfEven32(*metres * 1000))); });
    viewer_->RaiseEvent(veColumns);
  });
  connect(AddAction(track, "aInspector", "Инспектор"), &QAction::triggered, this, [this] {
    if (!inspector_) return;
    inspector_->ShowColumn(viewer_->FocusedColumn());
    inspector_->show();
    inspector_->raise();
  });
  tools_menu_ = menuBar()->addMenu("Инструменты");
}

void TMainForm::SetHints() {
  const std::pair<const char*, const char*> hints[] = {
      {"LoggerSelect", "Выбор модулей прибора и их номеров"},
      {"LoggerPower", "Подать или снять питание прибора"},
      {"RecordDepthDown", "Начать запись по глубине на спуске"},
      {"RecordDepthUp", "Начать запись по глубине на подъеме"},
      {"RecordTime", "Начать запись по времени"},
      {"RecordStop", "Остановить запись"},
      {"ResearchStart", "Открыть новое исследование скважины"},
      {"ResearchEnd", "Закрыть открытое исследование"},
      {"aNew", "Очистить данные всех кривых"},
      {"aOpen", "Открыть файл каротажа"},
      {"aFileSave", "Сохранить файл под текущим именем"},
      {"aSave", "Сохранить файл под новым именем или в другом формате"},
      {"aSetup", "Настройки программы"},
  };
  for (auto [name, hint] : hints)
    if (QAction* a = Action(name)) a->setStatusTip(hint);
}

void TMainForm::FollowSheetArgument() {
  // A time log shows times, a depth log metres: the viewer follows every sheet the
  // window opens, starts or records into.
  const TLogSheet* sheet = viewer_->Sheet();
  if (!sheet) return;
  const TLogArgument kind =
      sheet->Argument() == laNone ? viewer_->ArgumentKind() : sheet->Argument();
  if (sheet == followed_sheet_ && kind == viewer_->ArgumentKind()) return;
  followed_sheet_ = sheet;
  viewer_->SetArgumentKind(kind);
  viewer_->RaiseEvent(veSheet);
}

void TMainForm::BuildStatusBar() {
  cursor_label_ = new QLabel(this);
  cursor_label_->setObjectName("CursorPanel");
  cursor_label_->setMinimumWidth(160);
  statusBar()->addPermanentWidget(cursor_label_);
  for (int i = 0; i < spCount; ++i) {
    auto* label = new QLabel(this);
    label->setMinimumWidth(i == spMessage ? 200 : 90);
    statusBar()->addWidget(label, i == spMessage ? 1 : 0);
    label->setVisible(mode_ == AppMode::amRecorder ||
                      i == spMessage);  // the editor keeps the last one
    panels_.push_back(label);
  }
}

void TMainForm::SetPanel(int index, const QString& text) {
  if (index < 0 || index >= static_cast<int>(panels_.size())) return;
  QLabel* label = panels_[static_cast<size_t>(index)];
  label->setText(text);
  // Read whole ("Нет исследования" beside the witness's status): the message gives way.
  if (index != spMessage) label->setMinimumWidth(std::max(90, label->sizeHint().width()));
}

QString TMainForm::PanelText(int index) const {
  return index >= 0 && index < static_cast<int>(panels_.size())
             ? panels_[static_cast<size_t>(index)]->text()
             : QString();
}

bool TMainForm::event(QEvent* event) {
  // A control's hint stays in the status bar for three seconds.
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (!tip.isEmpty()) statusBar()->showMessage(tip, 3000);
    return true;
  }
  return QMainWindow::event(event);
}

void TMainForm::UpdateTitle() {
  std::string title = WindowTitle(mode_, KEST_VERSION_TEXT);
  const std::string file = TitleFile();
  if (!file.empty())
    title = std::string(ModeTitle(mode_)) + " - " + file + (TitleModified() ? " *" : "");
  if (windowTitle() != Q(title)) setWindowTitle(Q(title));
}

void TMainForm::ShowError(const std::exception& e) {
  Diag().Error(e.what());
  questions_.ShowError(e.what());
}

void TMainForm::Idle() {
  FollowSheetArgument();
  viewer_->Refresh();
  UpdateActions();
  UpdateEditActions();
  UpdatePrintActions();
  if (viewer_tools_) viewer_tools_->UpdateState();
  const QString cursor = QString::fromStdString(CursorDescription(*viewer_));
  if (cursor_label_->text() != cursor) cursor_label_->setText(cursor);
  UpdateTitle();
}

void TMainForm::DeferredStart(const std::string&) {
  if (inspector_) return;
  if (!env_.LoadFailures().empty()) {
    std::string text = "Не загружены файлы описаний (программа работает без них):";
    for (const std::string& f : env_.LoadFailures()) text += "\n" + f;
    questions_.ShowError(text);
  }
  // The tablet's column inspector: F11 on the tablet or "Инспектор" shows it.
  inspector_ = std::make_unique<TLogViewerInspector>(this, mode_ == AppMode::amEditor);
  inspector_->SetViewer(viewer_.get());
  viewer_tools_->Action(ViewerCommand::ShowInspector)->SetInspector(inspector_.get());
  // A column's look changed in the inspector is an edit of the log: undoable, and
  // closing asks to save it.
  inspector_->OnColumnsChanged = [this](std::string before, std::string text) {
    Try([&] { undo_.Push(ColumnsChange(*viewer_, std::move(before), std::move(text), true)); });
  };
}

// ---------------------------------------------------------------------------------
// Layouts

void TMainForm::FillLayoutsMenu() {
  layouts_menu_->clear();
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(env_.Folders().Layouts, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!name.empty() && name[0] != '~' && it->is_regular_file(ec)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  auto* group = new QActionGroup(layouts_menu_);
  layouts_combo_->clear();
  for (const std::string& name : names) {
    QAction* a = layouts_menu_->addAction(Q(name));
    a->setCheckable(true);
    a->setChecked(name == current_layout_);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, name] { ChooseLayout(name); });
    layouts_combo_->addItem(Q(name));
  }
  layouts_combo_->setCurrentIndex(layouts_combo_->findText(Q(current_layout_)));
  layouts_menu_->addSeparator();
  connect(layouts_menu_->addAction("Стандартный"), &QAction::triggered, this, [this] {
    current_layout_.clear();
    BuildStandardLayout(*viewer_, Sheet());
    SyncLayoutChoice();
  });
  connect(layouts_menu_->addAction("Сохранить"), &QAction::triggered, this, [this] {
    std::string name = current_layout_;
    if (name.empty()) {
      QString path = QFileDialog::getSaveFileName(this, "Сохранить", Q(env_.Folders().Layouts));
      if (path.isEmpty()) return;
      name = fs::path(path.toStdString()).filename().string();
    }
    Try([&] {
      fs::create_directories(env_.Folders().Layouts);
      FileStream out(env_.Folders().Layouts + "/" + name, FileStream::Mode::Create);
      viewer_->SaveLayout(out);
      current_layout_ = name;
      // A new file joins the menu once this action has returned.
      QMetaObject::invokeMethod(
          this, [this] { FillLayoutsMenu(); }, Qt::QueuedConnection);
    });
  });
  connect(layouts_menu_->addAction("Показывать при запуске"), &QAction::triggered, this, [this] {
    if (questions_.AskYesNo(windowTitle().toStdString(),
                            "Do you want to load this layout at program start?"))
      main_.DefaultLayout = current_layout_;
  });
  layouts_menu_->addSeparator();
  QMenu* bars = layouts_menu_->addMenu("Панели инструментов");
  for (QToolBar* bar : findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
    bars->addAction(bar->toggleViewAction());
}

void TMainForm::ChooseLayout(const std::string& name) {
  LoadLayoutFile(name);
  SyncLayoutChoice();
}

void TMainForm::SyncLayoutChoice() {
  // Ticks and selection only: the menu's actions may be the ones being triggered.
  for (QAction* a : layouts_menu_->actions())
    if (a->isCheckable()) a->setChecked(a->text() == Q(current_layout_));
  layouts_combo_->setCurrentIndex(layouts_combo_->findText(Q(current_layout_)));
}

void TMainForm::LoadLayoutFile(const std::string& name) {
  try {
    FileStream in(env_.Folders().Layouts + "/" + name, FileStream::Mode::Read);
    viewer_->LoadLayout(in);
    current_layout_ = name;
  } catch (const std::exception& e) {
    Diag().Note("Layout \"" + name + "\" skipped: " + e.what());  // skipped without a message
  }
}

void TMainForm::RelinkLayout() {
  if (current_layout_.empty())
    BuildStandardLayout(*viewer_, Sheet());
  else
    AddColumnsForUnshownTracks(*viewer_, Sheet());
  viewer_->RelinkTracks();
}

// ---------------------------------------------------------------------------------
// Plug-ins

void TMainForm::LoadPlugIns() {
  plugins_ =
      ScanPlugIns(env_.Folders().PlugIns, [](const std::string& path, const std::string& why) {
        Diag().Error("Plug-in " + path + ": " + why);
      });
  tools_menu_->clear();
  for (const PlugInEntry& entry : plugins_) {
    QAction* a = tools_menu_->addAction(Q(entry.Caption));
    a->setObjectName(Q(entry.Name));
    connect(a, &QAction::triggered, this, [this, entry] { RunPlugInEntry(entry); });
  }
  tools_menu_->menuAction()->setVisible(!plugins_.empty());
}

void TMainForm::RunPlugInEntry(const PlugInEntry& entry) {
  BeforePlugIn();
  Try([&] {
    RunPlugIn(entry.Path, PlugInLogger(), &Sheet());
    viewer_->RaiseEvent(veColumns);
  });
}

// ---------------------------------------------------------------------------------
// Settings

void TMainForm::LoadSettings() {
  main_.Port = "SIM";  // a fresh installation runs on the built-in simulator
  LoadMainSettings(settings_, mode_, main_, [this] { return LoadModeSettings(); });
  if (main_.Port.empty()) main_.Port = "SIM";
  if (main_.HasBounds && main_.Width > 100 && main_.Height > 100)
    setGeometry(main_.Left, main_.Top, main_.Width, main_.Height);
  else
    resize(1100, 760);
  for (QToolBar* bar : findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly)) {
    auto it = main_.Toolbars.find(bar->objectName().toStdString());
    if (it == main_.Toolbars.end()) continue;
    // The side of the window the bar was docked at, from its stored bounds.
    const ToolbarState& t = it->second;
    const int w = t.Right - t.Left, h = t.Bottom - t.Top;
    if (!t.Floating && (w > 0 || h > 0)) {
      const Qt::ToolBarArea area =
          h > w ? (t.Left < width() / 2 ? Qt::LeftToolBarArea : Qt::RightToolBarArea)
                : (t.Top > height() / 2 ? Qt::BottomToolBarArea : Qt::TopToolBarArea);
      if (toolBarArea(bar) != area) addToolBar(area, bar);
    }
    bar->setVisible(t.Visible);
  }
}

void TMainForm::CloseDown() {
  if (settings_saved_) return;
  settings_saved_ = true;
  if (idle_timer_) idle_timer_->stop();  // the core objects go next, and may pump events meanwhile
  CloseEditTracks();
  StoreSettings();
}

void TMainForm::StoreSettings() {
  main_.Maximized = isMaximized();
  QRect r = normalGeometry();
  main_.Left = r.left(), main_.Top = r.top(), main_.Width = r.width(), main_.Height = r.height();
  for (QToolBar* bar : findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly)) {
    ToolbarState& state = main_.Toolbars[bar->objectName().toStdString()];
    state.Visible = !bar->isHidden();
    state.Floating = bar->isFloating();
    QRect g = bar->geometry();
    state.Left = g.left(), state.Top = g.top(), state.Right = g.right(), state.Bottom = g.bottom();
  }
  SaveModeSettings();
  SaveMainSettings(settings_, mode_, main_);
}

LogFileOptions TMainForm::FileOptions() const {
  SetupValues values;
  values.Load(settings_);
  return kest::FileOptions(values, env_.Folders());
}

void TMainForm::SetupDialog() {
  TSetupDialog dialog(settings_, env_.Folders().Logs, this);
  if (questions_.Exec(dialog) != QDialog::Accepted) return;
  ApplyNullValue();
  SetupApplied();
}

void TMainForm::ApplyNullValue() {
  SetupValues values;
  values.Load(settings_);
  if (auto null_value = ParseFloat(values.NullValue))
    viewer_->SetNullValue(static_cast<float>(*null_value));
}

// ---------------------------------------------------------------------------------
// Files

std::string TMainForm::DialogFolder(const char* key) const {
  const std::string dir = settings_.GetString(kSettingsGroup, key, "");
  std::error_code ec;
  return !dir.empty() && fs::is_directory(dir, ec) ? dir : env_.Folders().ResearchBase;
}

std::string TMainForm::AskSaveName() {
  if (!current_layout_.empty()) Sheet().Comments().SetValue("Планшет", current_layout_);
  std::vector<std::string> formats;
  for (int i = 0; i < WriterFilers().Count(); ++i)
    formats.push_back(WriterFilers().Items(i).FormatName);
  // Beside the open file, else where the last save went.
  std::string dir = DialogFolder("SaveDir");
  if (const std::string open = TitleFile(); !open.empty()) {
    std::error_code ec;
    const fs::path folder = fs::path(open).parent_path();
    if (fs::is_directory(folder, ec)) dir = folder.string();
  }
  std::string proposal = Sheet().Comments().Value("Условия замера");
  while (!IsValidDescription(proposal)) {
    questions_.ShowWarning("Имя файла содержит недопустимые символы!");
    if (!questions_.AskText(windowTitle().toStdString(), "Описание файла", proposal)) return {};
  }
  std::string path, format;
  int32_t las_step = Sheet().LasStep();
  if (!questions_.AskSaveFile("Сохранить как", dir, proposal, formats, path, format, &las_step))
    return {};
  Sheet().SetLasStep(las_step);
  path = FileNameForFormat(path, format);
  settings_.SetString(kSettingsGroup, "SaveDir", fs::path(path).parent_path().string());
  return path;
}

}  // namespace kest
