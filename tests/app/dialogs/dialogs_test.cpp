// The dialogs of the main window, offscreen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "app/core/app_environment.h"
#include "app/core/tool_string.h"
#include "app/dialogs/dialog_questions.h"
#include "app/dialogs/logger_detection_window.h"
#include "app/dialogs/research_params_dialog.h"
#include "app/dialogs/tool_selection_dialog.h"
#include "app/main_window/setup_dialog.h"
#include "fake_clock.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_module.h"
#include "link/logger_sensor.h"
#include "link/port_device.h"
#include "session/installation_folders.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/clock.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

void Shot(QWidget& w, const char* name) {
  w.resize(w.sizeHint().expandedTo(QSize(480, 300)));
  w.grab().save(QString::fromStdString(std::string(KEST_APP_OUT_DIR) + "/" + name));
}

class Dialogs : public ::testing::Test {
 protected:
  Dialogs() {
    SeedRoot(test::DataRoot(), root.Path().string());
    env = std::make_unique<AppEnvironment>(root.Path().string());
  }
  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env;
  MemorySettings settings;
};

TEST_F(Dialogs, ToolSelectionOffersTheShippedStringAndLoadsIt) {
  HeadlessHost host;
  testing::FakeClock clock;
  TLogger logger(host, clock, env->Classes());
  int system = logger.ModuleCount();
  {
    TLoggerSelectionDlg dialog(logger, SystemClock(), env->Classes(), env->Defs(), settings,
                               "LogRecorder");
    EXPECT_EQ(dialog.windowTitle(), "Выбор прибора");
    EXPECT_EQ(dialog.Choice().Base, "ГК-НК #7");
    EXPECT_TRUE(dialog.CanAccept());
    Shot(dialog, "tool_selection.png");
    dialog.Select({"ТЕЛЕМЕТРИЯ", "ГК-НК #7", "(нет)", "(нет)"});
    std::string error;
    ASSERT_TRUE(dialog.Load(&error)) << error;
    EXPECT_EQ(logger.ModuleCount(), system + 2);
    // The other detection mode remembers a choice of its own.
    dialog.SetAutomatic(true);
    dialog.Select({"ТЕЛЕМЕТРИЯ", "ГК", "(нет)", "(нет)"});
    dialog.Load(&error);
  }
  TLoggerSelectionDlg again(logger, SystemClock(), env->Classes(), env->Defs(), settings,
                            "LogRecorder");
  EXPECT_TRUE(again.Automatic());
  EXPECT_EQ(again.Choice().Base, "ГК");
  again.SetAutomatic(false);
  EXPECT_EQ(again.Choice().Base, "ГК-НК #7");
  EXPECT_EQ(again.Choice().Terminal, "(нет)");
}

TEST_F(Dialogs, ResearchParametersEnableOkOnlyWithTheMandatoryValuesAndNameTheFolder) {
  StringList current;
  TResearchParamsDialog dialog(env->ResearchParameters(), env->Folders().Data,
                               env->Folders().ResearchBase, current);
  EXPECT_EQ(dialog.windowTitle(), "Параметры");
  EXPECT_FALSE(dialog.OkEnabled());
  dialog.SetValue("Месторождение", "Самотлор");
  EXPECT_FALSE(dialog.OkEnabled());
  dialog.SetValue("Скважина", "1502");
  EXPECT_TRUE(dialog.OkEnabled());
  Shot(dialog, "research_params.png");
  std::string error;
  ASSERT_TRUE(dialog.Accept(&error)) << error;
  EXPECT_EQ(dialog.ResearchName(), "Самотлор - 1502");
  EXPECT_EQ(dialog.Params().Value("well"), "1502");
  EXPECT_TRUE(fs::is_directory(env->Folders().ResearchBase + "/Самотлор - 1502"));
}

// The save dialog carries the LAS step under its filters, editable only with the LAS
// filter; the typed step comes back with the path and the format.
TEST_F(Dialogs, TheSaveDialogEditsTheLasStepForLasFilesOnly) {
  testing::FakeClock clock;
  DialogQuestions questions(*env, settings, clock, "Editor");
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* step = dialog->findChild<QSpinBox*>("seLasStep");
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->value(), 100);  // a sheet without a step of its own
    EXPECT_FALSE(step->isEnabled());
    dialog->selectNameFilter("LAS (*.LAS *.las)");
    emit dialog->filterSelected("LAS (*.LAS *.las)");
    EXPECT_TRUE(step->isEnabled());
    step->setValue(200);
    Shot(*dialog, "save_dialog.png");
    dialog->selectFile(QString::fromStdString(env->Folders().Logs + "/run.las"));
    seen = true;
    QMetaObject::invokeMethod(dialog, "accept");
  });
  std::string path, format;
  int32_t las_step = 0;
  ASSERT_TRUE(questions.AskSaveFile("Сохранить как", env->Folders().Logs, "run", {"LS", "LAS"},
                                    path, format, &las_step));
  EXPECT_TRUE(seen);
  EXPECT_EQ(format, "LAS");
  EXPECT_EQ(las_step, 200);
  EXPECT_EQ(fs::path(path).filename(), "run.las");
}

// A question asked while a tool window of the main one is active comes over that
// window, not behind it over the main window.
TEST_F(Dialogs, MessagesComeOverTheActiveWindow) {
  testing::FakeClock clock;
  DialogQuestions questions(*env, settings, clock, "Editor");
  QWidget main_window;
  questions.SetWindow(&main_window);
  QWidget tool_window(&main_window, Qt::Window);
  main_window.show();
  tool_window.show();
  QApplication::setActiveWindow(&tool_window);
  QWidget* parent = nullptr;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    parent = box->parentWidget();
    QMetaObject::invokeMethod(box, "reject");
  });
  questions.ShowError("Неверный формат файла");
  EXPECT_EQ(parent, &tool_window);
}

TEST_F(Dialogs, SettingsApplyIsEnabledByAChangeAndRefusesANullValueThatIsNoNumber) {
  TSetupDialog dialog(settings, env->Folders().Logs);
  EXPECT_EQ(dialog.windowTitle(), "Настройки");
  QPushButton* apply = nullptr;
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == "Применить") apply = b;
  ASSERT_NE(apply, nullptr);
  EXPECT_FALSE(apply->isEnabled());
  Shot(dialog, "settings.png");
  QLineEdit* null_value = dialog.findChild<QLineEdit*>("eNull");
  ASSERT_NE(null_value, nullptr);
  null_value->setText("нет");
  emit null_value->textEdited("нет");
  EXPECT_TRUE(apply->isEnabled());
  EXPECT_FALSE(dialog.Apply());
  EXPECT_FALSE(settings.Contains("Settings", "Setted"));
  null_value->setText("-999.25");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_EQ(settings.GetString("Settings", "NullValue"), "-999.25");
  EXPECT_EQ(settings.GetString("Settings", "SaveDir"), env->Folders().Logs);
}

// A powered tool string on the simulator whose modules report their numbers.
class Detecting : public Dialogs {
 protected:
  void PowerUp(std::vector<sim::SimModule> string, const ToolString& chosen) {
    sim::SimSettings s;
    s.string = std::move(string);
    simulator = std::make_shared<sim::ToolSimulator>(env->Classes(), s, clock);
    sim::RegisterSimPort(simulator);
    logger = std::make_unique<TLogger>(host, clock, env->Classes());
    logger->SetPortName("SIM");
    logger->SetActive(true);
    LoadToolString(*logger, env->Classes(), env->Defs(), chosen);
    logger->Initialize(true);
  }
  ~Detecting() override {
    window.reset();
    if (logger) logger->SetActive(false);
    UnregisterPortName("SIM");
  }
  void Open(bool wait) {
    window = std::make_unique<TLoggerDetectionWindow>(*logger, clock, env->Classes(), env->Defs(),
                                                      settings, "LogRecorder");
    window->ShowFailure = false;
    window->SetWaitForUser(wait);
    window->open();
  }
  // The window looks at the clock on its own 20 ms timer: gives that a turn.
  void LetTheWindowClose() {
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         window->isVisible() && std::chrono::steady_clock::now() < until;)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 25);
  }
  // Lets `ms` of fake time pass in 25 ms steps, each served by the logger and the
  // windows; stops early when the detection window closed.
  void Pump(int ms) {
    for (int t = 0; t < ms && (!window || window->isVisible()); t += 25) {
      clock.Advance(25);
      if (logger) {  // a test may let the logger go first
        const int32_t tick = logger->TimerSensor()->Value;
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        do {
          host.WaitAndProcess(2);
        } while (logger->TimerSensor()->Value == tick &&
                 std::chrono::steady_clock::now() < give_up);
      }
      QApplication::processEvents();
    }
  }
  testing::SteppedClock clock{100000};
  HeadlessHost host;
  std::shared_ptr<sim::ToolSimulator> simulator;
  std::unique_ptr<TLogger> logger;
  std::unique_ptr<TLoggerDetectionWindow> window;
};

TEST_F(Detecting, TwoDetectableModulesGetTheirNumbersAndTheWindowClosesHalfASecondLater) {
  PowerUp({{"Телеметрия", 0}, {"ГК", 12}, {"Каверномер", 2}},
          {"ТЕЛЕМЕТРИЯ", "ГК", "(нет)", "КАВЕРНОМЕР"});
  Open(false);
  ASSERT_EQ(window->Detection().Rows().size(), 2u);
  // The numbers may be in before the window opens (the tool reports them once powered).
  int64_t completed = window->Detection().Complete() ? clock.NowMs() : 0;
  window->Detection().OnChange = [&, previous = window->Detection().OnChange] {
    previous();
    if (window->Detection().Complete() && completed == 0) completed = clock.NowMs();
  };
  Pump(5000);
  LetTheWindowClose();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Accepted);
  ASSERT_GT(completed, 0);
  EXPECT_GE(clock.NowMs() - completed, TLoggerDetectionWindow::kCloseDelayMs);
  EXPECT_EQ(window->Detection().Rows()[0].Number, 12);
  EXPECT_EQ(window->Detection().Rows()[1].Number, 2);
  EXPECT_EQ(window->Detection().Rows()[0].Module->Number, 12);  // its definition applied
}

TEST_F(Detecting, WaitForUserKeepsTheWindowOpenOnceEveryNumberIsKnown) {
  PowerUp({{"Телеметрия", 0}, {"ГК", 12}}, {"ТЕЛЕМЕТРИЯ", "ГК", "(нет)", "(нет)"});
  Open(true);
  Pump(2000);
  EXPECT_TRUE(window->Detection().Complete());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(Detecting, ANumberWithoutADefinitionPowersTheToolDownAndEndsTheDetection) {
  PowerUp({{"Телеметрия", 0}, {"ГК", 99}}, {"ТЕЛЕМЕТРИЯ", "ГК", "(нет)", "(нет)"});
  Open(false);
  Pump(5000);
  LetTheWindowClose();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_EQ(window->Failure(), "Файл с тарировками для прибора ГК #99 не найден.");
  EXPECT_FALSE(logger->Initialized());
}

}  // namespace
}  // namespace kest

#include <QAction>
#include <QTableWidget>

#include "app/recorder/logger_info_window.h"

namespace kest {
namespace {

// The tool control window over the powered shipped string on the simulator.
TEST_F(Detecting, ToolControlWindowShowsTheLiveToolAndOutlivesOrPrecedesTheLogger) {
  PowerUp({{"Телеметрия", 0}, {"ГК-НК", 7}, {"ТМ", 5}, {"Каверномер", 2}}, ToolString::Shipped());
  auto pump = [&](int ms) { Pump(ms); };
  auto info = std::make_unique<TLoggerInfoWindow>(*logger, clock, settings, "LogRecorder");
  EXPECT_EQ(info->windowTitle(), "Управление прибором");
  info->resize(300, 420);
  info->show();
  pump(2300);
  auto* modules = info->findChild<QTableWidget*>("lvModules");
  auto* sensors = info->findChild<QTableWidget*>("lvSensors");
  ASSERT_TRUE(modules && sensors);
  ASSERT_EQ(modules->rowCount(), 4);
  EXPECT_EQ(modules->item(1, 0)->text(), "ГК-НК");
  EXPECT_EQ(modules->item(1, 1)->text(), "7");
  EXPECT_GT(modules->item(1, 3)->text().toInt(), 0);  // packets in the last second
  EXPECT_GT(std::stoi(info->Model().StateRows()[0].Value), 0);
  EXPECT_GT(sensors->rowCount(), 3);
  EXPECT_LE(info->width(), TLoggerInfoWindow::kMaxWidth);
  info->Action("ShowGrid")->trigger();
  info->Action("SensorInterval2")->trigger();
  info->Action("FontBold")->trigger();
  pump(2100);
  for (int page : {0, 1, 2}) {
    info->ShowPage(page);
    QString name = QString("/logger_info_%1.png").arg(page);
    info->grab().save(QString::fromStdString(KEST_APP_OUT_DIR) + name);
  }

  info->Action("SensorLogger")->trigger();
  EXPECT_EQ(sensors->rowCount(), 0);
  info->hide();
  pump(300);
  info->show();
  info.reset();  // before the logger
  const std::string path = "LogRecorder/Logger info window";
  EXPECT_EQ(settings.GetInt(path, "SensorUpdateInterval"), 2);
  EXPECT_TRUE(settings.GetBool(path, "ShowGrid"));
  EXPECT_TRUE(settings.GetBool(path, "FontBold"));

  // A window that outlives the logger empties its lists and stays usable.
  info = std::make_unique<TLoggerInfoWindow>(*logger, clock, settings, "LogRecorder");
  EXPECT_TRUE(info->ShowGrid());
  info->show();
  pump(300);
  logger.reset();
  pump(300);
  modules = info->findChild<QTableWidget*>("lvModules");
  ASSERT_NE(modules, nullptr);
  EXPECT_EQ(modules->rowCount(), 0);
  info->hide();
  info.reset();
}

}  // namespace
}  // namespace kest
