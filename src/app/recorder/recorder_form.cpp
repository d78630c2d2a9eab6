#include "app/recorder/recorder_form.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/core/app_environment.h"
#include "app/core/port_list.h"
#include "app/core/recorder.h"
#include "app/core/setup_values.h"
#include "app/core/witness_layout.h"
#include "app/dialogs/recorder_dialogs.h"
#include "app/dialogs/window_questions.h"
#include "app/dialogs/witness_dialog.h"
#include "app/main_window/window_session_host.h"
#include "app/memtool/memory_tool_form.h"
#include "app/memtool/surface_recorder_form.h"
#include "app/recorder/logger_info_window.h"
#include "app/recorder/qt_logger_host.h"
#include "link/logger.h"
#include "memtool/logger_memory_link.h"
#include "session/journal.h"
#include "session/log_document.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "sim/tool_simulator.h"
#include "support/number_text.h"
#include "support/settings.h"
#include "support/stream.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A tool window's first place: beside the main window on the right where the screen
// has room, else inside it under the menu and the tool bars, at `down` pixels below
// their bottom; always whole on the screen.
void PlaceBeside(QWidget& window, QMainWindow& owner, int down = 0) {
  window.adjustSize();
  if (owner.layout()) owner.layout()->activate();  // the tool bars' height, at the first start too
  const QRect frame = owner.frameGeometry();
  const QScreen* screen = owner.screen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
  const QSize size = window.frameGeometry().size().expandedTo(window.size());
  QPoint at(frame.right() + 8, frame.top() + down);
  if (at.x() + size.width() > area.right()) {
    const QWidget* central = owner.centralWidget();
    const QPoint inside = central ? central->mapToGlobal(QPoint(0, 0)) : owner.geometry().topLeft();
    at = QPoint(frame.right() - size.width() - 24, inside.y() + 8 + down);
  }
  at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
  at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
  window.move(at);
}

}  // namespace

TRecorderForm::TRecorderForm(AppEnvironment& env, Settings& settings, Clock& clock,
                             WindowQuestions& questions,
                             std::shared_ptr<sim::ToolSimulator> simulator, QWidget* parent)
    : TMainForm(env, AppMode::amRecorder, settings, questions, parent),
      clock_(clock),
      simulator_(std::move(simulator)) {
  logger_host_ = std::make_unique<QtLoggerHost>();
  ui_host_ = std::make_unique<WindowSessionHost>(questions);
  ui_host_->SetPanel = [this](int panel, const QString& text) { SetPanel(panel, text); };
  ui_host_->LabelShown = [this](bool green) {
    if (top_panel_) top_panel_->ShowLabel(green);
  };
  ui_host_->ModeChanged = [this](int) {
    viewer_->SetInteractive(!recorder_->Session().Recording());
    UpdateActions();
  };
  recorder_ = std::make_unique<Recorder>(*logger_host_, clock, settings, env.Folders(),
                                         env.Classes(), *ui_host_);
  viewer_->SetSheet(&recorder_->Sheet());
  viewer_->TrackPlacement = [this](const TLogTrack& t) { return Session().SensorOrigin(t); };
  BuildMenus();
  statusBar()->installEventFilter(this);
  FinishConstruction();
}

TRecorderForm::~TRecorderForm() {
  CloseDown();
  // Everything goes here, in order, while the whole window still stands: stopping the
  // logger pumps events, and what they reach of this window (a tool window's "closed"
  // call posted as the program quit) must find it whole, with the tool windows and
  // the recorder already gone.
  if (memory_form_) memory_form_->OnClosed = nullptr;
  if (surface_form_) surface_form_->OnClosed = nullptr;
  surface_form_.reset();
  memory_form_.reset();
  info_window_.reset();
  top_panel_.reset();
  viewer_->SetSheet(nullptr);  // the sheet goes with the recorder, before the viewer
  viewer_->TrackPlacement = nullptr;
  // The recorder may still report while it shuts down: nothing of the window answers.
  ui_host_->SetPanel = nullptr;
  ui_host_->LabelShown = nullptr;
  ui_host_->ModeChanged = nullptr;
  recorder_.reset();
}

TLogSheet& TRecorderForm::Sheet() { return recorder_->Sheet(); }
RecordingSession& TRecorderForm::Session() { return recorder_->Session(); }
TLogger& TRecorderForm::Logger() { return recorder_->Logger(); }
TLogger* TRecorderForm::PlugInLogger() { return &recorder_->Logger(); }

// ---------------------------------------------------------------------------------
// Menus

void TRecorderForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu("Файл");
  connect(AddAction(file, "aSave", "Сохранить как..."), &QAction::triggered, this, [this] {
    const std::string path = AskSaveName();
    if (!path.empty()) Try([&] { recorder_->SaveAs(path, FileOptions()); });
  });
  file->addSeparator();
  AddPrintActions(file);
  file->addSeparator();
  AddAction(file, "aSetup", "Настройка...");
  connect(AddAction(file, "aWitness", "Трансляция..."), &QAction::triggered, this,
          [this] { EditWitness(); });
  file->addSeparator();
  connect(AddAction(file, "aExit", "Выход"), &QAction::triggered, this, &QWidget::close);

  QMenu* well = menuBar()->addMenu("Скважина");
  connect(AddAction(well, "ResearchStart", "Новое исследование"), &QAction::triggered, this,
          [this] { StartResearch(); });
  connect(AddAction(well, "ResearchEnd", "Завершить исследование"), &QAction::triggered, this,
          [this] {
            if (questions_.AskYesNo(windowTitle().toStdString(),
                                    "Вы действительно хотите завершить исследование?")) {
              Try([&] { recorder_->EndResearch(); });
              StoreSettings();
            }
          });
  BuildOfficeActions(well);

  QMenu* tool = menuBar()->addMenu("Прибор");
  connect(AddAction(tool, "LoggerSelect", "Выбрать прибор", Qt::Key_F3), &QAction::triggered, this,
          [this] { SelectTool(); });
  connect(AddAction(tool, "LoggerPower", "Включить прибор", Qt::Key_F2), &QAction::triggered, this,
          [this] { Try([&] { recorder_->SetPower(!recorder_->State().Powered); }); });
  connect(AddAction(tool, "aPower", "Установка тока"), &QAction::triggered, this, [this] {
    std::string text = std::to_string(recorder_->Logger().Power);
    if (!questions_.AskText(windowTitle().toStdString(), "Ток", text)) return;
    if (auto value = ParseInt(text)) Try([&] { recorder_->ChangePower(*value); });
  });
  connect(AddAction(tool, "aTension", "Датчик натяжения..."), &QAction::triggered, this, [this] {
    TTensionDlg dialog(recorder_->Logger(), env_.Folders().Classes + "/Панель", this);
    if (dialog.exec() == QDialog::Accepted) Try([&] { dialog.Apply(); });
  });
  for (auto [name, caption, signal] :
       {std::tuple{"tbAnalog", "Аналоговый сигнал", Recorder::TestSignal::Analog},
        std::tuple{"tbImpuls", "Импульсный сигнал", Recorder::TestSignal::Impuls}}) {
    QAction* a = AddAction(tool, name, caption);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, signal = signal](bool on) {
      Try([&] { recorder_->SetTestSignal(signal, on); });
      RelinkLayout();
    });
  }
  tool->addSeparator();
  QAction* depth_panel = AddAction(tool, "ShowDepth", "Панель глубины");
  depth_panel->setCheckable(true);
  connect(depth_panel, &QAction::triggered, this, [this](bool on) { ShowDepthPanel(on); });
  QAction* info = AddAction(tool, "ShowInfo", "Информация", Qt::Key_F12);
  info->setCheckable(true);
  connect(info, &QAction::triggered, this, [this](bool on) { ShowInfoWindow(on); });
  tool->addSeparator();
  port_menu_ = tool->addMenu("Порт");
  port_group_ = new QActionGroup(this);
  connect(port_menu_, &QMenu::aboutToShow, this, [this] { FillPortMenu(); });
  if (simulator_) {
    QMenu* winch = tool->addMenu("Лебёдка имитатора");
    for (auto [name, caption, speed] : {std::tuple{"aWinchDown", "Спуск 1000 м/ч", 1000.0},
                                        std::tuple{"aWinchUp", "Подъем 1000 м/ч", -1000.0},
                                        std::tuple{"aWinchStop", "Стоп", 0.0}}) {
      connect(AddAction(winch, name, caption), &QAction::triggered, this,
              [this, speed = speed] { simulator_->SetSpeed(speed); });
    }
    // The simulated memory tool's clock runs on: hours of a task pass at once.
    QMenu* memory = tool->addMenu("Часы автономного прибора");
    for (auto [name, caption, hours] : {std::tuple{"aMemoryForward1", "Вперед на 1 ч", 1.0},
                                        std::tuple{"aMemoryForward6", "Вперед на 6 ч", 6.0},
                                        std::tuple{"aMemoryForward24", "Вперед на 24 ч", 24.0}}) {
      connect(AddAction(memory, name, caption), &QAction::triggered, this,
              [this, hours = hours] { simulator_->MemoryTool().FastForward(hours); });
    }
  }
  BuildRecordingMenu(menuBar()->addMenu("Регистрация"));

  QToolBar* bar = addToolBar("Регистрация");
  bar->setObjectName("tbRecord");
  for (const char* name : {"LoggerSelect", "LoggerPower", "RecordDepthDown", "RecordDepthUp",
                           "RecordTime", "RecordStop"})
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

void TRecorderForm::BuildRecordingMenu(QMenu* rec) {
  auto start = [&](const char* name, const char* caption, Qt::Key key, uint8_t mode) {
    QAction* a = AddAction(rec, name, caption, key);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this,
            [this, mode] { Try([&] { recorder_->StartRecording(mode); }); });
  };
  start("RecordTime", "По времени", Qt::Key_F6, RecordingSession::rmTime);
  start("RecordDepthUp", "По глубине на подъеме", Qt::Key_F7, RecordingSession::rmDepthUp);
  start("RecordDepthDown", "По глубине на спуске", Qt::Key_F8, RecordingSession::rmDepthDown);
  connect(AddAction(rec, "RecordStop", "Остановить", Qt::Key_F5), &QAction::triggered, this,
          [this] { Try([&] { recorder_->Stop(); }); });
  rec->addSeparator();
  QMenu* step = rec->addMenu("Шаг");
  auto* steps = new QActionGroup(this);
  for (auto [name, caption, mm] :
       {std::tuple{"aStep1", "1 см", 10}, std::tuple{"aStep10", "10 см", 100},
        std::tuple{"aStep20", "20 см", 200}}) {
    QAction* a = AddAction(step, name, caption);
    a->setCheckable(true);
    steps->addAction(a);
    connect(a, &QAction::triggered, this, [this, mm = mm] { Session().RecordStep = mm; });
  }
  connect(AddAction(rec, "aTimeDelay", "Время между замерами"), &QAction::triggered, this, [this] {
    std::string text = std::to_string(Session().TimeDelay());
    if (questions_.AskText("Регистрация по времени", "Время между замерами, с", text))
      if (auto seconds = ParseInt(text)) Try([&] { Session().SetTimeDelay(*seconds); });
  });
  connect(AddAction(rec, "RecordPerforation", "Отметка перфорации"), &QAction::triggered, this,
          [this] { Session().Perforation(); });
  connect(AddAction(rec, "RecordSetDepth", "Глубина"), &QAction::triggered, this, [this] {
    auto* dialog = new TDepthSetDlg(Logger(), Session(), settings_, ModeKey(mode_), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Modeless: with "по первой магнитной метке" it waits for the label while the
    // cable moves and the recording goes on.
    connect(dialog, &QDialog::accepted, this, [this] { UpdateActions(); });
    dialog->show();
  });
  connect(AddAction(rec, "LoggerCable", "Кабель"), &QAction::triggered, this, [this] {
    TCableDlg dialog(Session(), this);
    dialog.exec();
  });
  QAction* trier = AddAction(rec, "RecordTrier", "Взять пробу");
  trier->setCheckable(true);
  connect(trier, &QAction::triggered, this, [this](bool on) { Sampler(on); });
  QAction* correction = AddAction(rec, "LoggerDepthCorrection", "Коррекция глубины");
  correction->setCheckable(true);
  connect(correction, &QAction::triggered, this, [this] { Session().ToggleDepthCorrection(); });
  QAction* roller = AddAction(rec, "aRCor", "Коррекция по ролику");
  roller->setCheckable(true);
  connect(roller, &QAction::toggled, this, [this](bool on) { Session().StepCorrection = on; });
  connect(AddAction(rec, "DepthOffset", "Сдвиг глубины"), &QAction::triggered, this, [this] {
    std::string text = "0";
    if (!questions_.AskText(windowTitle().toStdString(), "Сдвиг по глубине, м", text)) return;
    if (auto metres = ParseFloat(text)) Session().DepthOffset(*metres);
  });
  connect(AddAction(rec, "ScrollMode", "Режим показа регистрации"), &QAction::triggered, this,
          [this] {
            auto next = static_cast<TLogViewerAppendMode>((viewer_->AppendMode() + 1) % 3);
            viewer_->SetAppendMode(next);
            viewer_->SetInteractive(next == amIgnore);
          });
}

bool TRecorderForm::SheetRecording() const { return recorder_ && recorder_->State().Recording; }

void TRecorderForm::UpdateActions() {
  if (!recorder_) return;  // closing down
  const RecorderState s = recorder_->State();
  for (const char* name : {"RecordTime", "RecordDepthUp", "RecordDepthDown"})
    Action(name)->setEnabled(s.CanStartRecording);
  Action("RecordTime")->setChecked(s.Mode == RecordingSession::rmTime);
  Action("RecordDepthUp")->setChecked(s.Mode == RecordingSession::rmDepthUp);
  Action("RecordDepthDown")->setChecked(s.Mode == RecordingSession::rmDepthDown);
  Action("RecordStop")->setEnabled(s.CanStop);
  Action("RecordPerforation")->setEnabled(s.CanMarkPerforation);
  Action("aTimeDelay")->setEnabled(s.CanSetTimeDelay);
  Action("aSave")->setEnabled(s.CanSave);
  Action("LoggerSelect")->setEnabled(s.CanSelectTool);
  Action("LoggerPower")->setEnabled(s.CanPower);
  Action("LoggerPower")->setText(Q(s.PowerCaption));
  Action("tbAnalog")->setEnabled(s.CanAnalog);
  Action("tbAnalog")->setChecked(s.AnalogOn);
  Action("tbImpuls")->setEnabled(s.CanImpuls);
  Action("tbImpuls")->setChecked(s.ImpulsOn);
  Action("LoggerCable")->setEnabled(s.CanCable);
  Action("RecordTrier")->setEnabled(s.CanSample);
  Action("RecordTrier")->setChecked(s.Sampling);
  Action("ShowDepth")->setChecked(top_panel_ && top_panel_->isVisible());
  Action("ShowInfo")->setChecked(info_window_ && info_window_->isVisible());
  Action("ResearchStart")->setEnabled(s.CanStartResearch);
  Action("ResearchEnd")->setEnabled(s.CanEndResearch);
  Action("LoggerDepthCorrection")->setChecked(s.DepthCorrection);
  port_menu_->setEnabled(s.CanChoosePort);
  for (const char* name : {"aStep1", "aStep10", "aStep20"})
    Action(name)->setChecked(QString(name) == QString("aStep%1").arg(s.RecordStep / 10));
  if (PanelText(spMode).isEmpty()) SetPanel(spMode, "Остановлено");
  SetPanel(spResearch, Q(s.ResearchText));
  SetPanel(spPort, Q(s.PortText));
  if (!s.DepthText.empty())
    SetPanel(spDepth, Q(s.DepthText));  // shown from the start, before the cable moves
}

// ---------------------------------------------------------------------------------
// Ports and tools

void TRecorderForm::FillPortMenu() {
  port_menu_->clear();
  for (QAction* a : port_group_->actions()) port_group_->removeAction(a);
  for (const std::string& port : ListPorts()) {
    QAction* a = port_menu_->addAction(Q(port));
    a->setCheckable(true);
    port_group_->addAction(a);
    const bool current = port == Logger().PortName();
    a->setChecked(current);
    if (!current) a->setEnabled(CanOpenPort(port));
    connect(a, &QAction::triggered, this, [this, port] { ChoosePort(port); });
  }
  port_menu_->addSeparator();
  QAction* other = port_menu_->addAction("Другой...");
  other->setObjectName("aOtherPort");
  connect(other, &QAction::triggered, this, [this] {
    std::string path = "/dev/";
    if (questions_.AskText("Порт", "Устройство", path) && !path.empty()) ChoosePort(path);
  });
}

void TRecorderForm::ChoosePort(const std::string& port) {
  if (recorder_->ChoosePort(port)) main_.Port = port;
  UpdateActions();
}

void TRecorderForm::SelectTool() {
  const bool loaded = questions_.SelectToolString(Logger());
  // A cancelled dialog may have changed the string too (detection): the tracks follow.
  const std::string layout = recorder_->ToolStringChanged();
  std::error_code ec;
  if (loaded && !layout.empty() &&
      std::filesystem::is_regular_file(env_.Folders().Layouts + "/" + layout, ec)) {
    LoadLayoutFile(layout);
    FillLayoutsMenu();  // the file may be newer than the menu
  }
  RelinkLayout();
  FollowMemoryTool();
  UpdateActions();
}

void TRecorderForm::FollowSurfaceRecorder() {
  if (!SurfaceRecorderLoaded(Logger())) {
    surface_form_.reset();
    return;
  }
  Logger().SetProtocolMode(1);
  Action("ShowDepth")->setEnabled(false);
  ShowDepthPanel(false);
  // The simulator behind "SIM" puts its surface recorder on the line.
  if (simulator_) simulator_->SetLine(sim::MemoryLine::SurfaceRecorder);
  if (!surface_form_) {
    surface_form_ = std::make_unique<TSCMain>(
        Logger(), *logger_host_, clock_, questions_, Sheet(), LocalToolTime,
        [this] {
          viewer_->SetArgumentKind(Sheet().Argument());
          RelinkLayout();
          UpdateActions();
        },
        this);
    surface_form_->OnClosed = [this] {
      QTimer::singleShot(0, this, [this] {
        surface_form_.reset();
        if (recorder_) UpdateActions();
      });
    };
    PlaceBeside(*surface_form_, *this);
  }
  surface_form_->show();
}

void TRecorderForm::FollowMemoryTool() {
  if (simulator_ && !SurfaceRecorderLoaded(Logger()))
    simulator_->SetLine(sim::MemoryLine::MemoryTool);
  if (SurfaceRecorderLoaded(Logger())) {
    memory_form_.reset();
    FollowSurfaceRecorder();
    return;
  }
  surface_form_.reset();
  const bool memory = MemoryToolLoaded(Logger());
  Action("ShowDepth")->setEnabled(!memory);
  if (!memory) {
    memory_form_.reset();
    Logger().SetProtocolMode(0);
    return;
  }
  Logger().SetProtocolMode(1);
  ShowDepthPanel(false);
  if (!memory_form_) {
    memory_form_ = std::make_unique<TBDMainForm>(
        Logger(), *logger_host_, clock_, questions_, Sheet(), env_.Folders().Logs, LocalToolTime,
        [this] {
          // The read-out is a time log.
          viewer_->SetArgumentKind(Sheet().Argument());
          RelinkLayout();
          UpdateActions();
        },
        this);
    // Closed, it lets the logger go (another tool string can be chosen); choosing
    // the memory tool again opens it again.
    memory_form_->OnClosed = [this] {
      QTimer::singleShot(0, this, [this] {
        memory_form_.reset();
        if (recorder_) UpdateActions();
      });
    };
    PlaceBeside(*memory_form_, *this);
  }
  memory_form_->show();
}

void TRecorderForm::Sampler(bool take) {
  Try([&] {
    if (!take) {
      recorder_->EndSample();
    } else if (questions_.AskSamplerCurrent(trier_current_)) {
      recorder_->StartSample(trier_current_);
    }
  });
  UpdateActions();
}

void TRecorderForm::StartResearch() {
  std::string name;
  StringList params;
  if (!questions_.AskResearch(name, params)) return;
  Try([&] { recorder_->StartResearch(name, params); });
  // The research is opened again at the next start even if this run dies (a power
  // cut): its crash file is recovered into it.
  StoreSettings();
  UpdateActions();
}

void TRecorderForm::ShowDepthPanel(bool show) {
  if (!top_panel_) return;
  if (show && !top_panel_->isVisible()) PlaceBeside(*top_panel_, *this);
  top_panel_->setVisible(show);
  Action("ShowDepth")->setChecked(show);
}

void TRecorderForm::ShowInfoWindow(bool show) {
  if (!info_window_) return;
  info_window_->setVisible(show);
  Action("ShowInfo")->setChecked(show);
}

void TRecorderForm::BeforePlugIn() {
  // The plug-in's window takes the screen.
  ShowDepthPanel(false);
  ShowInfoWindow(false);
}

// ---------------------------------------------------------------------------------
// Start-up, settings, idle work, closing

bool TRecorderForm::LoadModeSettings() { return recorder_->LoadSettings(); }

void TRecorderForm::SaveModeSettings() {
  main_.Port = Logger().PortName();
  recorder_->SaveSettings();
  settings_.SetBool(MainFormPath(mode_), "ShowTopPanel", true);
}

void TRecorderForm::SetupApplied() {
  SetupValues values;
  values.Load(settings_);
  Session().NullValue = values.NullValue;
  Session().SetAutoSaveInterval(int64_t{values.AutoSaveFile} * 60000);
  Session().SaveFiles = values.SaveFiles;
}

void TRecorderForm::DeferredStart(const std::string& file) {
  TMainForm::DeferredStart(file);
  if (info_window_) return;
  recorder_->Start(main_.Port);
  Try([&] { recorder_->SetWitness(LoadWitnessSettings(settings_), {}, TabletLayout()); });
  ShowWitnessStatus();
  RelinkLayout();
  info_window_ =
      std::make_unique<TLoggerInfoWindow>(Logger(), clock_, settings_, ModeKey(mode_), this);
  // Beside the main window (under the depth panel), unless it remembers its place.
  if (!info_window_->PlacedFromSettings()) PlaceBeside(*info_window_, *this, 150);
  ShowInfoWindow(true);
  top_panel_ = std::make_unique<TTopPanel>(Logger(), clock_, this);
  top_panel_->OnLabelSound = [this] { questions_.PlaySound(env_.Folders().Root + "/Label.wav"); };
  ShowDepthPanel(true);
  FollowMemoryTool();
  if (main_.SetupDue && Action("aSetup")) Action("aSetup")->trigger();
  Try([&] {
    if (recorder_->OfferCrashRecovery()) viewer_->RaiseEvent(veColumns);
  });
  UpdateActions();
}

// The header of a published run carries the tablet's curves as they are then.
std::function<std::vector<WitnessColumn>(const WitnessHeader&)> TRecorderForm::TabletLayout() {
  return [this](const WitnessHeader& header) { return WitnessLayout(*viewer_, header); };
}

void TRecorderForm::EditWitness() {
  TWitnessDialog dialog(LoadWitnessSettings(settings_), this);
  if (dialog.exec() != QDialog::Accepted) return;
  const WitnessSettings witness = dialog.Result();
  SaveWitnessSettings(settings_, witness);
  Try([&] { recorder_->SetWitness(witness, {}, TabletLayout()); });
  ShowWitnessStatus();
}

// "Трансляция: на связи" and the rows still to go, or why there is no connection;
// nothing while publishing is off.
void TRecorderForm::ShowWitnessStatus() {
  if (!witness_status_) {
    witness_status_ = new QLabel(this);
    statusBar()->addPermanentWidget(witness_status_);
  }
  const auto status = recorder_->WitnessStatus();
  witness_status_->setVisible(status.has_value());
  if (!status) return;
  std::string text = status->connected ? "Трансляция: на связи" : "Трансляция: нет связи";
  if (status->waiting > 0) text += ", в очереди " + std::to_string(status->waiting);
  witness_status_->setText(QString::fromStdString(text));
  // Read whole: the other fields give way.
  witness_status_->setMinimumWidth(witness_status_->sizeHint().width());
  witness_status_->setToolTip(QString::fromStdString(status->error));
}

void TRecorderForm::Idle() {
  recorder_->Idle();
  if (witness_status_) ShowWitnessStatus();
  if (top_panel_ && top_panel_->isVisible()) top_panel_->Refresh();
  TMainForm::Idle();
}

void TRecorderForm::WaitForSaves() { recorder_->WaitForSaves(); }

void TRecorderForm::closeEvent(QCloseEvent* event) {
  if (Session().Recording()) {
    // Never leave a recording behind unsaved: stop it (saving as the settings say)
    // or stay open.
    if (!questions_.AskYesNo(windowTitle().toStdString(),
                             "Идет регистрация. Остановить регистрацию и закрыть программу?")) {
      event->ignore();
      return;
    }
    Try([&] { recorder_->Stop(); });
  }
  WaitForSaves();
  event->accept();
}

bool TRecorderForm::eventFilter(QObject* watched, QEvent* event) {
  if (recorder_ && watched == statusBar() && event->type() == QEvent::MouseButtonDblClick &&
      recorder_->CurrentResearch().IsOpen())
    ShowResearchProtocol();
  return TMainForm::eventFilter(watched, event);
}

void TRecorderForm::ShowResearchProtocol() {
  QDialog dialog(this);
  dialog.setWindowTitle("Протокол исследования");
  dialog.resize(640, 420);
  auto* text = new QPlainTextEdit(&dialog);
  text->setReadOnly(true);
  try {
    std::vector<uint8_t> bytes =
        ReadWholeFile(recorder_->CurrentResearch().ResearchDir() + Journal::kSessionFile);
    text->setPlainText(QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()),
                                         static_cast<qsizetype>(bytes.size())));
  } catch (const std::exception& e) {
    text->setPlainText(QString::fromUtf8(e.what()));
  }
  (new QVBoxLayout(&dialog))->addWidget(text);
  dialog.exec();
}

}  // namespace kest
