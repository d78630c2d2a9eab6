#include "app/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QStatusTipEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QDialog>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <filesystem>

#include "app/app_environment.h"
#include "app/port_list.h"
#include "app/logger_info_window.h"
#include "app/qt_logger_host.h"
#include "app/recorder_dialogs.h"
#include "app/recorder_tools.h"
#include "app/research_params_dialog.h"
#include "app/setup_dialog.h"
#include "app/setup_values.h"
#include "app/standard_layout.h"
#include "app/tool_selection_dialog.h"
#include "app/tool_string.h"
#include "app/window_session_host.h"
#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_port_driver.h"
#include "link/module_classes.h"
#include "log/las_filer.h"
#include "log/log_sheet.h"
#include "log/log_sheet_filer.h"
#include "log/log_track.h"
#include "session/background_save.h"
#include "session/journal.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "sim/tool_simulator.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/settings.h"
#include "support/stream.h"
#include "viewer/inspector_window.h"
#include "viewer/log_viewer.h"
#include "viewer/track_column.h"
#include "support/rounding.h"

#ifndef KEST_VERSION_TEXT
#define KEST_VERSION_TEXT "0.0.0"
#endif

namespace kest {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Extension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
  return ext;
}

constexpr int kIdleMs = 40;

}  // namespace

TMainForm::TMainForm(AppEnvironment& env, AppMode mode, Settings& settings,
                     std::shared_ptr<sim::ToolSimulator> simulator, QWidget* parent)
    : QMainWindow(parent), env_(env), mode_(mode), settings_(settings), simulator_(std::move(simulator)) {
  viewer_ = new TLogViewer(this);
  setCentralWidget(viewer_);
  viewer_->SetShowCursor(true);
  viewer_->SetCursorPen({psSolid, 2, clBlack});
  viewer_->SetAppendMode(amDiscreteScroll);
  viewer_->SetDelayedUpdates(true);
  BuildStatusBar();
  ui_host_ = std::make_unique<WindowSessionHost>(this);
  ui_host_->SetPanel = [this](int panel, const QString& text) { SetPanel(panel, text); };
  ui_host_->LabelShown = [this](bool green) {
    if (top_panel_) top_panel_->ShowLabel(green);
  };

  if (mode_ == AppMode::amRecorder) {
    logger_host_ = std::make_unique<QtLoggerHost>();
    logger_ = std::make_unique<TLogger>(*logger_host_, SystemClock(), env_.Classes());
    research_ = std::make_unique<Research>(env_.Folders().ResearchBase);
    ui_host_->ModeChanged = [this](int) {
      viewer_->SetInteractive(!session_->Recording());
      UpdateActions();
    };
    session_ = std::make_unique<RecordingSession>(*logger_, *research_, *ui_host_, SystemClock(),
                                                  env_.Folders().CrashFile);
    session_->RecordStep = 10;
    viewer_->SetSheet(&session_->Sheet());
    BuildRecorderMenus();
  } else {
    editor_sheet_ = std::make_unique<TLogSheet>();
    // Reading a large log takes a while: the status bar shows how far it got. Only
    // the bar is repainted, so nothing else runs while the sheet is being filled.
    editor_sheet_->OnProgress = [this](TLogSheet&, int percent) {
      progress_->setValue(percent);
      progress_->setVisible(percent < 100);
      if (progress_->isVisible()) progress_->repaint();
    };
    editor_saves_ = std::make_unique<BackgroundSave>();
    viewer_->SetSheet(editor_sheet_.get());
    viewer_->SetInteractive(true);
    BuildEditorMenus();
  }
  BuildCommonMenus();
  SetHints();
  UpdateTitle();
  LoadSettings();
  if (!main_.DefaultLayout.empty()) LoadLayoutFile(main_.DefaultLayout);
  FillLayoutsMenu();
  LoadPlugIns();

  idle_timer_ = new QTimer(this);
  connect(idle_timer_, &QTimer::timeout, this, [this] { Idle(); });
  idle_timer_->start(kIdleMs);
  UpdateActions();
}

TMainForm::~TMainForm() {
  idle_timer_->stop();
  delete top_panel_;  // both leave the logger before it goes
  top_panel_ = nullptr;
  delete info_window_;  // writes its settings
  info_window_ = nullptr;
  delete inspector_;  // lets go of the viewer before it goes
  inspector_ = nullptr;
  WaitForSaves();
  SaveSettings();
  viewer_->SetSheet(nullptr);
  delete viewer_;
  viewer_ = nullptr;
  if (session_) {
    session_.reset();
    research_->Exit();
  }
  if (logger_) logger_->SetActive(false);
}

TLogSheet& TMainForm::Sheet() { return session_ ? session_->Sheet() : *editor_sheet_; }

// ---------------------------------------------------------------------------------
// Menus and actions

QAction* TMainForm::AddAction(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  if (menu) menu->addAction(action);
  return action;
}

QAction* TMainForm::Action(const char* name) const { return findChild<QAction*>(name); }

void TMainForm::BuildRecorderMenus() {
  QMenu* file = menuBar()->addMenu("Файл");
  connect(AddAction(file, "aSave", "Сохранить как..."), &QAction::triggered, this, [this] { FileSave(true); });
  connect(AddAction(file, "aSetup", "Настройка..."), &QAction::triggered, this, [this] { SetupDialog(); });
  file->addSeparator();
  connect(AddAction(file, "aExit", "Выход"), &QAction::triggered, this, &QWidget::close);

  QMenu* well = menuBar()->addMenu("Скважина");
  connect(AddAction(well, "ResearchStart", "Новое исследование"), &QAction::triggered, this,
          [this] { StartResearch(); });
  connect(AddAction(well, "ResearchEnd", "Завершить исследование"), &QAction::triggered, this,
          [this] { EndResearch(); });

  QMenu* tool = menuBar()->addMenu("Прибор");
  connect(AddAction(tool, "LoggerSelect", "Выбрать прибор", Qt::Key_F3), &QAction::triggered, this,
          [this] { SelectTool(); });
  connect(AddAction(tool, "LoggerPower", "Включить прибор", Qt::Key_F2), &QAction::triggered, this, [this] {
    try {
      session_->SetPower(!logger_->Initialized());
    } catch (const std::exception& e) {
      ShowError(e);
    }
    UpdateActions();
  });
  connect(AddAction(tool, "aPower", "Установка тока"), &QAction::triggered, this, [this] {
    bool ok = false;
    int value = QInputDialog::getInt(this, windowTitle(), "Ток", logger_->Power, 0, 100000, 1, &ok);
    if (!ok) return;
    try {
      logger_->ChangePower(value);
      logger_->SetPower(value);
    } catch (const std::exception& e) {
      ShowError(e);
    }
  });
  connect(AddAction(tool, "aTension", "Датчик натяжения..."), &QAction::triggered, this, [this] { TensionDialog(); });
  for (auto [name, caption, cls] : {std::tuple{"tbAnalog", "Аналоговый сигнал", "Аналог"},
                                    std::tuple{"tbImpuls", "Импульсный сигнал", "Импульс"}}) {
    QAction* a = AddAction(tool, name, caption);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, name, cls](bool on) { TestSignal(name, cls, on); });
  }
  tool->addSeparator();
  QAction* depth_panel = AddAction(tool, "ShowDepth", "Панель глубины");
  depth_panel->setCheckable(true);
  connect(depth_panel, &QAction::triggered, this, [this](bool on) { ShowDepthPanel(on); });
  QAction* info = AddAction(tool, "ShowInfo", "Информация", Qt::Key_F12);
  info->setCheckable(true);
  connect(info, &QAction::triggered, this, [this](bool on) { ShowInfoWindow(on); });
  tool->addSeparator();
  BuildPortMenu();
  tool->addMenu(port_menu_);
  if (simulator_) {
    QMenu* winch = tool->addMenu("Лебёдка имитатора");
    for (auto [name, caption, speed] : {std::tuple{"aWinchDown", "Спуск 1000 м/ч", 1000.0},
                                        std::tuple{"aWinchUp", "Подъем 1000 м/ч", -1000.0},
                                        std::tuple{"aWinchStop", "Стоп", 0.0}}) {
      connect(AddAction(winch, name, caption), &QAction::triggered, this,
              [this, speed] { simulator_->SetSpeed(speed); });
    }
  }

  QMenu* rec = menuBar()->addMenu("Регистрация");
  auto start = [&](const char* name, const char* caption, Qt::Key key, uint8_t mode) {
    QAction* a = AddAction(rec, name, caption, key);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, mode] { StartRecording(mode); });
  };
  start("RecordTime", "По времени", Qt::Key_F6, RecordingSession::rmTime);
  start("RecordDepthUp", "По глубине на подъеме", Qt::Key_F7, RecordingSession::rmDepthUp);
  start("RecordDepthDown", "По глубине на спуске", Qt::Key_F8, RecordingSession::rmDepthDown);
  connect(AddAction(rec, "RecordStop", "Остановить", Qt::Key_F5), &QAction::triggered, this,
          [this] { StopRecording(); });
  rec->addSeparator();
  QMenu* step = rec->addMenu("Шаг");
  auto* steps = new QActionGroup(this);
  for (auto [name, caption, mm] : {std::tuple{"aStep1", "1 см", 10}, std::tuple{"aStep10", "10 см", 100},
                                   std::tuple{"aStep20", "20 см", 200}}) {
    QAction* a = AddAction(step, name, caption);
    a->setCheckable(true);
    steps->addAction(a);
    connect(a, &QAction::triggered, this, [this, mm] { session_->RecordStep = mm; });
  }
  connect(AddAction(rec, "aTimeDelay", "Время между замерами"), &QAction::triggered, this, [this] {
    bool ok = false;
    int seconds = QInputDialog::getInt(this, "Регистрация по времени", "Время между замерами, с",
                                       session_->TimeDelay(), -1000, 1000, 1, &ok);
    if (!ok) return;
    try {
      session_->SetTimeDelay(seconds);
    } catch (const std::exception& e) {
      ShowError(e);
    }
  });
  connect(AddAction(rec, "RecordPerforation", "Отметка перфорации"), &QAction::triggered, this,
          [this] { session_->Perforation(); });
  connect(AddAction(rec, "RecordSetDepth", "Глубина"), &QAction::triggered, this, [this] { SetDepthDialog(); });
  connect(AddAction(rec, "LoggerCable", "Кабель"), &QAction::triggered, this, [this] { CableDialog(); });
  QAction* trier = AddAction(rec, "RecordTrier", "Взять пробу");
  trier->setCheckable(true);
  connect(trier, &QAction::triggered, this, [this](bool on) { Sampler(on); });
  QAction* correction = AddAction(rec, "LoggerDepthCorrection", "Коррекция глубины");
  correction->setCheckable(true);
  connect(correction, &QAction::triggered, this, [this] { session_->ToggleDepthCorrection(); });
  QAction* roller = AddAction(rec, "aRCor", "Коррекция по ролику");
  roller->setCheckable(true);
  connect(roller, &QAction::toggled, this, [this](bool on) { session_->StepCorrection = on; });
  connect(AddAction(rec, "DepthOffset", "Сдвиг глубины"), &QAction::triggered, this, [this] {
    bool ok = false;
    double metres = QInputDialog::getDouble(this, windowTitle(), "Сдвиг по глубине, м", 0, -10000, 10000, 2, &ok);
    if (ok) session_->DepthOffset(metres);
  });
  connect(AddAction(rec, "ScrollMode", "Режим показа регистрации"), &QAction::triggered, this, [this] {
    auto next = static_cast<TLogViewerAppendMode>((viewer_->AppendMode() + 1) % 3);
    viewer_->SetAppendMode(next);
    viewer_->SetInteractive(next == amIgnore);
  });

  QToolBar* bar = addToolBar("Регистрация");
  bar->setObjectName("tbRecord");
  for (const char* name : {"LoggerSelect", "LoggerPower", "RecordDepthDown", "RecordDepthUp", "RecordTime",
                           "RecordStop"})
    bar->addAction(Action(name));
  main_.Toolbars["tbRecord"] = {};
  // The test signals are for the workshop: their bar starts hidden ("Панели
  // инструментов" shows it) so the recording bar keeps its room.
  QToolBar* signals_bar = addToolBar("Тестовые сигналы");
  signals_bar->setObjectName("tbSignals");
  signals_bar->addAction(Action("tbAnalog"));
  signals_bar->addAction(Action("tbImpuls"));
  signals_bar->hide();
  main_.Toolbars["tbSignals"] = {};
  main_.Toolbars["tbSignals"].Visible = false;
}

void TMainForm::BuildEditorMenus() {
  QMenu* file = menuBar()->addMenu("Файл");
  connect(AddAction(file, "aNew", "Новый"), &QAction::triggered, this, [this] { FileNew(); });
  connect(AddAction(file, "aOpen", "Открыть...", QKeySequence::Open), &QAction::triggered, this,
          [this] { FileOpen(); });
  recent_menu_ = file->addMenu("Открыть повторно");
  // Filled as it opens: never while one of its entries is being picked.
  connect(recent_menu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  connect(AddAction(file, "aFileSave", "Сохранить", QKeySequence::Save), &QAction::triggered, this,
          [this] { FileSave(false); });
  connect(AddAction(file, "aSave", "Сохранить как..."), &QAction::triggered, this, [this] { FileSave(true); });
  file->addSeparator();
  connect(AddAction(file, "aSetup", "Настройка..."), &QAction::triggered, this, [this] { SetupDialog(); });
  file->addSeparator();
  connect(AddAction(file, "aExit", "Выход"), &QAction::triggered, this, &QWidget::close);
  QToolBar* bar = addToolBar("Стандартная");
  bar->setObjectName("tbStandard");
  for (const char* name : {"aNew", "aOpen", "aFileSave"}) bar->addAction(Action(name));
  main_.Toolbars["tbStandard"] = {};
}

void TMainForm::BuildCommonMenus() {
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
    if (!ui_host_->AskText(windowTitle().toStdString(), "Смещение, м", text)) return;
    auto metres = ParseFloat(text);
    if (!metres) return;
    Sheet().Lock();
    t->SetOrigin(t->Origin() + RoundHalfEven32(*metres * 1000));
    Sheet().Unlock();
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

void TMainForm::BuildStatusBar() {
  statusBar()->installEventFilter(this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbReading");
  progress_->setRange(0, 100);
  progress_->setMaximumWidth(160);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
  for (int i = 0; i < spCount; ++i) {
    auto* label = new QLabel(this);
    label->setMinimumWidth(i == spMessage ? 200 : 90);
    statusBar()->addWidget(label, i == spMessage ? 1 : 0);
    label->setVisible(mode_ == AppMode::amRecorder || i == spMessage);  // the editor keeps the last one
    panels_.push_back(label);
  }
}

void TMainForm::SetPanel(int index, const QString& text) {
  if (index >= 0 && index < static_cast<int>(panels_.size())) panels_[static_cast<size_t>(index)]->setText(text);
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

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar() && event->type() == QEvent::MouseButtonDblClick && research_ && research_->IsOpen())
    ShowResearchProtocol();
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ShowResearchProtocol() {
  QDialog dialog(this);
  dialog.setWindowTitle("Протокол исследования");
  dialog.resize(640, 420);
  auto* text = new QPlainTextEdit(&dialog);
  text->setReadOnly(true);
  try {
    std::vector<uint8_t> bytes = ReadWholeFile(research_->ResearchDir() + Journal::kSessionFile);
    text->setPlainText(QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  } catch (const std::exception& e) {
    text->setPlainText(QString::fromUtf8(e.what()));
  }
  (new QVBoxLayout(&dialog))->addWidget(text);
  dialog.exec();
}

QString TMainForm::PanelText(int index) const {
  return index >= 0 && index < static_cast<int>(panels_.size()) ? panels_[static_cast<size_t>(index)]->text()
                                                                : QString();
}

void TMainForm::UpdateTitle() {
  std::string title = WindowTitle(mode_, KEST_VERSION_TEXT);
  if (!current_file_.empty()) title = std::string(ModeTitle(mode_)) + " - " + current_file_;
  setWindowTitle(Q(title));
}

void TMainForm::UpdateActions() {
  if (!session_) {
    bool has_data = editor_sheet_->Count() > 0;
    Action("aFileSave")->setEnabled(has_data);
    Action("aSave")->setEnabled(has_data);
    return;
  }
  bool recording = session_->Recording();
  uint8_t mode = session_->RecordMode();
  bool powered = logger_->Initialized();
  Action("RecordTime")->setEnabled(!recording);
  Action("RecordDepthUp")->setEnabled(!recording);
  Action("RecordDepthDown")->setEnabled(!recording);
  Action("RecordTime")->setChecked(mode == RecordingSession::rmTime);
  Action("RecordDepthUp")->setChecked(mode == RecordingSession::rmDepthUp);
  Action("RecordDepthDown")->setChecked(mode == RecordingSession::rmDepthDown);
  Action("RecordStop")->setEnabled(recording);
  Action("RecordPerforation")->setEnabled(recording);
  Action("aTimeDelay")->setEnabled(!recording);
  Action("aSave")->setEnabled(!recording && Sheet().Count() > 0);
  const bool analog = Action("tbAnalog")->isChecked();
  const bool impuls = Action("tbImpuls")->isChecked();
  Action("LoggerSelect")->setEnabled(logger_->Active() && !recording && !powered && !analog && !impuls);
  Action("LoggerPower")->setEnabled((logger_->CanInitialize() || powered) && !analog && !impuls);
  Action("tbAnalog")->setEnabled(analog || (!recording && !powered && !impuls));
  Action("tbImpuls")->setEnabled(impuls || (!recording && !powered && !analog));
  Action("LoggerCable")->setEnabled(!recording);
  // Enabled while recording, and while a sample is being taken so the tool can be
  // powered up again.
  Action("RecordTrier")->setEnabled(recording || Action("RecordTrier")->isChecked());
  Action("ShowDepth")->setChecked(top_panel_ && top_panel_->isVisible());
  Action("ShowInfo")->setChecked(info_window_ && info_window_->isVisible());
  Action("LoggerPower")->setText(powered ? "Выключить прибор" : "Включить прибор");
  Action("ResearchStart")->setEnabled(!research_->IsOpen());
  Action("ResearchEnd")->setEnabled(research_->IsOpen());
  Action("LoggerDepthCorrection")->setChecked(session_->DepthCorrection);
  port_menu_->setEnabled(!recording);
  for (QAction* a : findChildren<QAction*>())
    if (a->objectName().startsWith("aStep"))
      a->setChecked(a->objectName() == QString("aStep%1").arg(session_->RecordStep / 10));
  if (PanelText(spMode).isEmpty()) SetPanel(spMode, "Остановлено");
  SetPanel(spResearch, research_->IsOpen() ? Q(research_->ResearchName()) : QString("Нет исследования"));
  // A port whose device went away is reopened by the logger; the operator sees it.
  SetPanel(spPort, Q(logger_->PortName()) + (!logger_->Active()                 ? " (закрыт)"
                                             : logger_->PortDriver().Lost() ? " (нет связи)"
                                                                            : ""));
}

// ---------------------------------------------------------------------------------
// Ports

void TMainForm::BuildPortMenu() {
  port_menu_ = new QMenu("Порт", this);
  port_group_ = new QActionGroup(this);
  connect(port_menu_, &QMenu::aboutToShow, this, [this] { FillPortMenu(); });
}

void TMainForm::FillPortMenu() {
  port_menu_->clear();
  for (QAction* a : port_group_->actions()) port_group_->removeAction(a);
  for (const std::string& port : ListPorts()) {
    QAction* a = port_menu_->addAction(Q(port));
    a->setCheckable(true);
    port_group_->addAction(a);
    bool current = port == logger_->PortName();
    a->setChecked(current);
    if (!current) a->setEnabled(CanOpenPort(port));
    connect(a, &QAction::triggered, this, [this, port] { ChoosePort(port); });
  }
  port_menu_->addSeparator();
  QAction* other = port_menu_->addAction("Другой...");
  other->setObjectName("aOtherPort");
  connect(other, &QAction::triggered, this, [this] {
    std::string path = "/dev/";
    if (ui_host_->AskText("Порт", "Устройство", path) && !path.empty()) ChoosePort(path);
  });
}

void TMainForm::ChoosePort(const std::string& port) {
  std::string previous = logger_->PortName();
  try {
    logger_->SetPortName(port);
    if (!logger_->Active()) logger_->SetActive(true);
    main_.Port = port;
  } catch (const std::exception& e) {
    Diag().Error(e.what());
    try {
      logger_->SetPortName(previous);
    } catch (const std::exception&) {
    }
    ui_host_->ShowWarning("В системе отсутствует порт " + port + " !");
  }
  UpdateActions();
}

// ---------------------------------------------------------------------------------
// Layouts

void TMainForm::FillLayoutsMenu() {
  layouts_menu_->clear();
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(env_.Folders().Layouts, ec), end; !ec && it != end; it.increment(ec)) {
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
    try {
      fs::create_directories(env_.Folders().Layouts);
      FileStream out(env_.Folders().Layouts + "/" + name, FileStream::Mode::Create);
      viewer_->SaveLayout(out);
      current_layout_ = name;
      // A new file joins the menu once this action has returned.
      QMetaObject::invokeMethod(this, [this] { FillLayoutsMenu(); }, Qt::QueuedConnection);
    } catch (const std::exception& e) {
      ShowError(e);
    }
  });
  connect(layouts_menu_->addAction("Показывать при запуске"), &QAction::triggered, this, [this] {
    if (ui_host_->AskYesNo(windowTitle().toStdString(), "Do you want to load this layout at program start?"))
      main_.DefaultLayout = current_layout_;
  });
  layouts_menu_->addSeparator();
  QMenu* bars = layouts_menu_->addMenu("Панели инструментов");
  for (QToolBar* bar : findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly)) bars->addAction(bar->toggleViewAction());
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

// ---------------------------------------------------------------------------------
// Plug-ins

void TMainForm::LoadPlugIns() {
  plugins_ = ScanPlugIns(env_.Folders().PlugIns, [](const std::string& path, const std::string& why) {
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
  if (mode_ == AppMode::amRecorder) {  // the plug-in's window takes the screen
    ShowDepthPanel(false);
    ShowInfoWindow(false);
  }
  try {
    RunPlugIn(entry.Path, logger_.get(), &Sheet());
    viewer_->RaiseEvent(veColumns);
  } catch (const std::exception& e) {
    ShowError(e);
  }
}

// ---------------------------------------------------------------------------------
// Settings

void TMainForm::LoadSettings() {
  main_.Port = kSimPortName;  // a fresh installation runs on the built-in simulator
  bool recorder_read = false;
  LoadMainSettings(settings_, mode_, main_, [&] {
    if (mode_ == AppMode::amEditor) {
      recent_.Load(settings_, MainFormPath(mode_) + "/MRU files");
      return true;
    }
    if (!RecorderSettingsComplete(settings_)) return false;
    session_->LoadSettings(settings_);
    recorder_read = true;
    return true;
  });
  if (session_ && !recorder_read) session_->LoadSettings(MemorySettings());  // defaults, the research base
  if (main_.Port.empty()) main_.Port = kSimPortName;
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
      const Qt::ToolBarArea area = h > w ? (t.Left < width() / 2 ? Qt::LeftToolBarArea : Qt::RightToolBarArea)
                                         : (t.Top > height() / 2 ? Qt::BottomToolBarArea : Qt::TopToolBarArea);
      if (toolBarArea(bar) != area) addToolBar(area, bar);
    }
    bar->setVisible(t.Visible);
  }
  if (mode_ == AppMode::amEditor) FillRecentMenu();
  ApplyFileOptions();
}

void TMainForm::ApplyFileOptions() {
  SetupValues values;
  values.Load(settings_);
  TLasOptions& las = LasOptions();
  las.StepCm = values.LASStep;
  las.Organisation = values.Organisation;
  if (auto null_value = ParseFloat(values.NullValue)) las.NullValue = static_cast<float>(*null_value);
}

void TMainForm::SaveSettings() {
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
  if (logger_) main_.Port = logger_->PortName();
  SaveMainSettings(settings_, mode_, main_);
  if (mode_ == AppMode::amEditor) recent_.Save(settings_, MainFormPath(mode_) + "/MRU files");
  if (session_) {
    session_->SaveSettings(settings_);
    settings_.SetBool(MainFormPath(mode_), "ShowTopPanel", true);
  }
}

void TMainForm::SetupDialog() {
  TSetupDialog dialog(settings_, env_.Folders().Logs, this);
  if (dialog.exec() != QDialog::Accepted) return;
  ApplyFileOptions();
  if (session_) {
    session_->NullValue = dialog.Values().NullValue;
    session_->SetAutoSaveInterval(int64_t{dialog.Values().AutoSaveFile} * 60000);
    session_->SaveFiles = dialog.Values().SaveFiles;
  }
}

// ---------------------------------------------------------------------------------
// Start-up

void TMainForm::DeferredStart(const std::string& file) {
  if (!inspector_) {
    // The tablet's column inspector: F11 on the tablet or "Инспектор" shows it.
    inspector_ = new TLogViewerInspector(this, mode_ == AppMode::amEditor);
    inspector_->SetViewer(viewer_);
  }
  if (mode_ == AppMode::amEditor) {
    std::error_code ec;
    if (!file.empty() && fs::is_regular_file(file, ec)) {
      try {
        OpenFile(fs::absolute(file).string());
      } catch (const std::exception& e) {
        ShowError(e);
      }
    }
    return;
  }
  try {
    logger_->SetPortName(main_.Port);
    logger_->SetActive(true);
  } catch (const std::exception& e) {
    Diag().Error(e.what());
    ui_host_->ShowWarning("В системе отсутствует порт " + main_.Port + " !");
  }
  RebuildTracks();
  info_window_ = new TLoggerInfoWindow(*logger_, settings_, ModeKey(mode_), this);
  if (!info_window_->PlacedFromSettings()) {
    // Over the main window's left part, under the tool bars, unless it remembers its place.
    const QRect g = geometry();
    info_window_->move(g.left() + 130, g.top() + 110);
  }
  ShowInfoWindow(true);
  top_panel_ = new TTopPanel(*logger_, this);
  ShowDepthPanel(true);
  if (main_.SetupDue) SetupDialog();
  try {
    if (session_->OfferCrashRecovery()) viewer_->RaiseEvent(veColumns);
  } catch (const std::exception& e) {
    ShowError(e);
  }
  UpdateActions();
}

void TMainForm::RebuildTracks() {
  session_->BuildRecordingTracks();
  if (current_layout_.empty()) BuildStandardLayout(*viewer_, Sheet());
  viewer_->RelinkTracks();
}

bool TMainForm::SelectTool() {
  TLoggerSelectionDlg dialog(*logger_, env_.Classes(), env_.Defs(), settings_, ModeKey(mode_), this);
  bool loaded = false;
  if (ui_host_->Scripted) {
    // Scripted runs take the remembered string as the dialog offers it.
    std::string error;
    loaded = dialog.Load(&error);
    if (!loaded) ui_host_->Scripted->ShowWarning(error);
  } else {
    loaded = dialog.exec() == QDialog::Accepted;
  }
  if (loaded) {
    std::string layout = ToolStringLayoutName(*logger_);
    std::error_code ec;
    if (!layout.empty() && fs::is_regular_file(env_.Folders().Layouts + "/" + layout, ec)) {
      LoadLayoutFile(layout);
      FillLayoutsMenu();  // the file may be newer than the menu
    }
  }
  RebuildTracks();
  UpdateActions();
  return loaded;
}

// ---------------------------------------------------------------------------------
// Recording

void TMainForm::StartRecording(uint8_t mode) {
  try {
    // A ticked start action stops (mode 0), as the documents describe; normally
    // the start actions are disabled while recording.
    session_->SetRecordMode(session_->RecordMode() == mode ? 0 : mode);
  } catch (const std::exception& e) {
    ShowError(e);
  }
  UpdateActions();
}

void TMainForm::ShowDepthPanel(bool show) {
  if (!top_panel_) return;
  if (show && !top_panel_->isVisible()) {
    top_panel_->adjustSize();
    const QRect g = geometry();
    top_panel_->move(g.right() - top_panel_->width() - 24, g.top() + 90);
  }
  top_panel_->setVisible(show);
  Action("ShowDepth")->setChecked(show);
}

void TMainForm::ShowInfoWindow(bool show) {
  if (!info_window_) return;
  info_window_->setVisible(show);
  Action("ShowInfo")->setChecked(show);
}

void TMainForm::SetDepthDialog() {
  auto* dialog = new TDepthSetDlg(*logger_, *session_, settings_, ModeKey(mode_), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // Modeless: with "по первой магнитной метке" it waits for the label while the
  // cable moves and the recording goes on.
  connect(dialog, &QDialog::accepted, this, [this] { UpdateActions(); });
  dialog->show();
}

void TMainForm::CableDialog() {
  TCableDlg dialog(*session_, this);
  dialog.exec();
}

void TMainForm::TensionDialog() {
  TTensionDlg dialog(*logger_, env_.Folders().Classes + "/Панель", this);
  if (dialog.exec() != QDialog::Accepted) return;
  try {
    dialog.Apply();
  } catch (const std::exception& e) {
    ShowError(e);
  }
}

void TMainForm::Sampler(bool take) {
  QAction* trier = Action("RecordTrier");
  try {
    if (take) {
      TTrierDlg dialog(trier_current_, this);
      if (ui_host_->Scripted ? !ui_host_->AskYesNo("Пробоотборник", "Взять пробу?")
                             : dialog.exec() != QDialog::Accepted) {
        trier->setChecked(false);  // nothing was taken
        return;
      }
      trier_current_ = dialog.seTrier->value();
      AppendSamplerRow(Sheet());
      logger_->Initialize(false);
      logger_->TrialPower(trier_current_);
    } else {
      logger_->Initialize(true);
    }
  } catch (const std::exception& e) {
    ShowError(e);
  }
  UpdateActions();
}

void TMainForm::TestSignal(const char* action, const char* class_name, bool on) {
  try {
    if (on) {
      StartTestSignal(*logger_, env_.Classes(), class_name, SystemClock());
    } else {
      StopTestSignal(*logger_);
    }
  } catch (const std::exception& e) {
    Action(action)->setChecked(false);
    ShowError(e);
  }
  RebuildTracks();
  UpdateActions();
}

void TMainForm::StopRecording() {
  try {
    session_->Stop();
  } catch (const std::exception& e) {
    ShowError(e);
  }
  UpdateActions();
}

void TMainForm::StartResearch() {
  research_->ResearchParams.Clear();
  std::string name;
  if (ui_host_->Scripted) {
    // Scripted runs name the research directly.
    if (!ui_host_->AskText("Параметры", "Исследование", name)) return;
  } else {
    TResearchParamsDialog dialog(env_.ResearchParameters(), env_.Folders().Data, env_.Folders().ResearchBase,
                                 research_->ResearchParams, this);
    if (dialog.exec() != QDialog::Accepted) return;
    name = dialog.ResearchName();
    research_->ResearchParams = dialog.Params();
  }
  try {
    research_->Start(name);
  } catch (const std::exception& e) {
    ShowError(e);
  }
  UpdateActions();
}

void TMainForm::EndResearch() {
  if (!ui_host_->AskYesNo(windowTitle().toStdString(), "Вы действительно хотите завершить исследование?")) return;
  try {
    research_->End();
  } catch (const std::exception& e) {
    ShowError(e);
  }
  UpdateActions();
}

void TMainForm::Idle() {
  viewer_->Refresh();
  if (session_) session_->Idle();
  // The depth is shown from the start, before the cable moves.
  if (logger_ && logger_->DepthChannel() && logger_->Active())
    SetPanel(spDepth, Q(FormatFixed(logger_->DepthChannel()->Value, 2) + " м"));
  if (top_panel_ && top_panel_->isVisible()) top_panel_->Refresh();
  if (editor_saves_) {
    for (const BackgroundSave::Result& r : editor_saves_->Reap())
      SetPanel(spMessage, r.ok ? QString() : Q("Ошибка сохранения " + r.path));
  }
  UpdateActions();
}

void TMainForm::WaitForSaves() {
  if (session_) session_->WaitForSaves();
  if (editor_saves_) editor_saves_->WaitAll();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (session_ && session_->Recording()) {
    // Never leave a recording behind unsaved: stop it (saving as the settings say)
    // or stay open.
    if (!ui_host_->AskYesNo(windowTitle().toStdString(),
                            "Идет регистрация. Остановить регистрацию и закрыть программу?")) {
      event->ignore();
      return;
    }
    StopRecording();
  }
  WaitForSaves();
  event->accept();
}

void TMainForm::SetScriptedAnswers(SessionHost* answers) {
  if (ui_host_) ui_host_->Scripted = answers;
}

// ---------------------------------------------------------------------------------
// Editor files

void TMainForm::OpenFile(const std::string& path) {
  Diag().Note("Loading file \"" + path + "\"");
  WaitForSaves();
  try {
    editor_sheet_->LoadFromFile(path, Extension(path));
  } catch (...) {
    progress_->hide();
    throw;
  }
  current_file_ = path;
  recent_.Add(path);
  std::string layout = editor_sheet_->Comments().Value("Планшет");
  current_layout_.clear();
  if (!layout.empty()) LoadLayoutFile(layout);
  if (current_layout_.empty()) BuildStandardLayout(*viewer_, *editor_sheet_);
  viewer_->RelinkTracks();
  viewer_->Refresh();  // takes the loaded rows as they are, so no append scrolling follows
  viewer_->SyncRange();
  viewer_->SetViewTop(viewer_->SheetFirst());
  UpdateTitle();
  UpdateActions();
}

void TMainForm::SaveFile(const std::string& path) {
  std::string ext = Extension(path);
  WriterFilers().Find(ext);  // an unknown format fails here, before the worker starts
  if (ext == "LAS") {
    // LAS holds one depth grid: each track's origin goes down to a whole step.
    for (int i = 0; i < editor_sheet_->Count(); ++i) {
      TLogTrack* t = editor_sheet_->Tracks(i);
      if (t->Step() != 0) t->SetOrigin(t->Origin() / t->Step() * t->Step());
    }
  }
  SetPanel(spMessage, Q("Saving file \"" + fs::path(path).filename().string() + "\""));
  editor_saves_->Save(*editor_sheet_, path, ext);
  current_file_ = path;
  UpdateTitle();
}

void TMainForm::FileOpen() {
  std::string dir = settings_.GetString(kSettingsGroup, "LoadDir", env_.Folders().Logs);
  std::string mask = ReaderFilers().FilterMask();
  std::replace(mask.begin(), mask.end(), ';', ' ');
  QString path = QFileDialog::getOpenFileName(this, "Открыть", Q(dir),
                                              Q("Known file types (" + mask + ");;All files (*)"));
  if (path.isEmpty()) return;
  settings_.SetString(kSettingsGroup, "LoadDir", fs::path(path.toStdString()).parent_path().string());
  try {
    OpenFile(path.toStdString());
  } catch (const std::exception& e) {
    ShowError(e);
  }
}

void TMainForm::FileSave(bool ask_name) {
  std::string path = ask_name ? std::string() : current_file_;
  if (ask_name && !current_layout_.empty()) Sheet().Comments().SetValue("Планшет", current_layout_);
  if (path.empty()) {
    QStringList filters;
    const TLogSheetFilers& filers = WriterFilers();
    for (int i = 0; i < filers.Count(); ++i) {
      const std::string& name = filers.Items(i).FormatName;
      filters << Q(name + " (*." + name + " *." + QString::fromStdString(name).toLower().toStdString() + ")");
    }
    std::string dir = settings_.GetString(kSettingsGroup, "SaveDir", env_.Folders().Logs);
    std::string proposal = Sheet().Comments().Value("Условия замера");
    while (!IsValidDescription(proposal)) {
      ui_host_->ShowWarning("Имя файла содержит недопустимые символы!");
      if (!ui_host_->AskText(windowTitle().toStdString(), "Описание файла", proposal)) return;
    }
    QString chosen;
    QString selected = filters.isEmpty() ? QString() : filters.front();
    if (ui_host_->Scripted) {
      // Scripted runs answer with the whole path; its extension picks the format.
      std::string answer = dir + "/" + proposal + ".ls";
      if (!ui_host_->AskText("Сохранить как", "Имя файла", answer)) return;
      chosen = Q(answer);
      selected = Q(Extension(answer));
    } else {
      chosen = QFileDialog::getSaveFileName(this, "Сохранить как", Q(dir + "/" + proposal), filters.join(";;"),
                                            &selected);
    }
    if (chosen.isEmpty()) return;
    // The chosen format's extension replaces the file's, in lower case unless the
    // name already carries it in some case.
    std::string ext = selected.section(' ', 0, 0).toStdString();
    fs::path p(chosen.toStdString());
    if (Extension(p.string()) != ext) p.replace_extension("." + QString::fromStdString(ext).toLower().toStdString());
    path = p.string();
    settings_.SetString(kSettingsGroup, "SaveDir", p.parent_path().string());
  }
  try {
    if (session_) {
      session_->Sheet().SaveToFile(path, Extension(path));
    } else {
      SaveFile(path);
    }
  } catch (const std::exception& e) {
    ShowError(e);
  }
}

void TMainForm::FileNew() {
  editor_sheet_->Lock();
  editor_sheet_->ClearData();
  editor_sheet_->Unlock();
  viewer_->RaiseEvent(veColumns);
}

void TMainForm::FillRecentMenu() {
  if (!recent_menu_) return;
  recent_menu_->clear();
  if (recent_.Items().empty()) {
    recent_menu_->addAction("(нет)")->setEnabled(false);
    return;
  }
  for (size_t i = 0; i < recent_.Items().size(); ++i) {
    const std::string& path = recent_.Items()[i];
    QAction* a = recent_menu_->addAction(Q(RecentFiles::Caption(static_cast<int>(i), path, env_.Folders().Root)));
    a->setCheckable(true);
    a->setChecked(path == current_file_);
    connect(a, &QAction::triggered, this, [this, caption = a->text().toStdString()] {
      try {
        OpenFile(RecentFiles::FromCaption(caption, env_.Folders().Root));
      } catch (const std::exception& e) {
        ShowError(e);
      }
    });
  }
}

void TMainForm::ShowError(const std::exception& e) {
  Diag().Error(e.what());
  QApplication::beep();
  if (ui_host_ && ui_host_->Scripted) {
    ui_host_->Scripted->ShowWarning(e.what());
    return;
  }
  QMessageBox::critical(this, "Ошибка", QString::fromUtf8(e.what()));
}

}  // namespace kest
