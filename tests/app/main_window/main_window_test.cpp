// The recorder and the editor driven as an operator would, offscreen, on the
// built-in simulator: select the tool, power it up, log down, stop and save, end
// the research; open the saved file in the editor and save it as LAS.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QThread>
#include <QToolBar>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "app/core/app_environment.h"
#include "app/core/tool_string.h"
#include "app/dialogs/recorder_dialogs.h"
#include "app/editor/editor_form.h"
#include "app/kest_application.h"
#include "app/office/sheet_properties_dialog.h"
#include "app/recorder/logger_info_window.h"
#include "app/recorder/recorder_form.h"
#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_sensor.h"
#include "link/module_classes.h"
#include "link/port_device.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "recorder_on_simulator.h"
#include "scripted_port.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "session/session_host.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/clock.h"
#include "support/errors.h"
#include "support/settings.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_column.h"
#include "viewer/core/recording_canvas.h"
#include "viewer/core/track_column.h"
#include "viewer/widgets/inspector_window.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

void Shot(QWidget& w, const char* name) {
  w.grab().save(QString::fromStdString(std::string(KEST_APP_OUT_DIR) + "/" + name));
}

class Installation {
 public:
  Installation() {
    SeedRoot(test::DataRoot(), root.Path().string());
    fs::create_directories(root.Path() / "PlugIns");
    fs::copy_file(std::string(KEST_PLUGIN_DIR) + "/sheet_summary.so",
                  root.File("PlugIns/sheet_summary.so"));
    env = std::make_unique<AppEnvironment>(root.Path().string());
  }
  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env;
};

// The recorder window on the simulator, both on a fake clock: time passes only
// when the test says so.
class RecorderFixture : public Installation {
 public:
  // `before_start` runs on the installation before the window exists.
  explicit RecorderFixture(double start_depth = 1000,
                           const std::function<void(RecorderFixture&)>& before_start = {}) {
    if (before_start) before_start(*this);
    sim::SimSettings s;
    s.winch.start_depth_m = start_depth;
    simulator = std::make_shared<sim::ToolSimulator>(env->Classes(), s, clock);
    sim::RegisterSimPort(simulator);
    window = std::make_unique<TRecorderForm>(*env, settings, clock, answers, simulator);
    window->resize(1100, 760);
    window->show();
    window->DeferredStart("");
  }
  ~RecorderFixture() {
    window.reset();
    UnregisterPortName("SIM");
  }
  // Lets `ms` of fake time pass, each tick served, then the idle work.
  void Run(int ms) { testing::RunRecorder(*window, clock, ms); }
  // Runs until `done`, at most `ms` of fake time.
  template <typename Pred>
  bool RunUntil(Pred done, int ms) {
    for (int t = 0; t < ms && !done(); t += 100) Run(100);
    return done();
  }
  // Selects the tool string, powers it up and waits for its first values.
  void PowerUp() {
    ASSERT_TRUE(window->Action("LoggerSelect")->isEnabled());
    window->Action("LoggerSelect")->trigger();
    ASSERT_GT(window->Sheet().Count(), 3);
    window->Logger().SetDepthStep(0.05, 1000);
    window->Idle();
    ASSERT_TRUE(window->Action("LoggerPower")->isEnabled());
    window->Action("LoggerPower")->trigger();
    ASSERT_TRUE(window->Logger().Initialized());
    EXPECT_EQ(window->Action("LoggerPower")->text(), "Выключить прибор");
    EXPECT_FALSE(window->Action("LoggerSelect")->isEnabled());
  }

  testing::SteppedClock clock{100000};
  MemorySettings settings;
  testing::ScriptedQuestions answers{*env, settings};
  std::shared_ptr<sim::ToolSimulator> simulator;
  std::unique_ptr<TRecorderForm> window;
};

// The editor window with scripted answers.
class EditorFixture : public Installation {
 public:
  EditorFixture() { window = std::make_unique<TEditorForm>(*env, settings, answers); }
  MemorySettings settings;
  testing::ScriptedQuestions answers{*env, settings};
  std::unique_ptr<TEditorForm> window;
};

// Description files that do not load are listed in one box once the window is up,
// and the program runs on without them.
TEST(EditorWindow, DescriptionFilesThatFailToLoadAreListedAtStart) {
  testing::TempDir root;
  SeedRoot(test::DataRoot(), root.Path().string());
  std::ofstream(root.File("Data/Classes/broken")) << "((kind . BASE)";
  std::ofstream(root.File("Data/Модули/odd")) << "42";
  AppEnvironment env(root.Path().string());
  ASSERT_EQ(env.LoadFailures().size(), 2u);
  MemorySettings settings;
  testing::ScriptedQuestions answers{env, settings};
  TEditorForm window(env, settings, answers);
  window.DeferredStart("");
  ASSERT_EQ(answers.Errors.size(), 1u);
  const std::string& box = answers.Errors[0];
  EXPECT_EQ(box.rfind("Не загружены файлы описаний", 0), 0u) << box;
  EXPECT_NE(box.find(root.File("Data/Classes/broken") + ": "), std::string::npos) << box;
  EXPECT_NE(box.find("odd: "), std::string::npos) << box;
  EXPECT_NE(env.Classes().Find("System"), nullptr);  // the rest is there
}

// What a LAS reader noticed in a file it read comes in one box after the file is open.
TEST(EditorWindow, ReaderNoticesOfAnOpenedFileComeInOneBox) {
  EditorFixture e;
  const std::string las = e.root.File("Logs/notes.las");
  std::ofstream(las)
      << "~Version\r\nVERS.  2.0 :\r\nWRAP.  NO :\r\n~Well\r\nSTRT.M 10.0 :\r\n"
         "STOP.M 10.2 :\r\nSTEP.M 0.1 :\r\nNULL. -999.25 :\r\n~Xtra\r\nA.B C : D\r\n"
         "~Zeta\r\n~Curve\r\nDEPT.M :\r\nGR.GAPI :\r\n~A\r\n10.0 1\r\n10.1 2\r\n10.2 3\r\n";
  ASSERT_TRUE(e.window->OpenFile(las));
  ASSERT_EQ(e.answers.Warnings.size(), 1u);
  const std::string& box = e.answers.Warnings[0];
  EXPECT_EQ(box.rfind("Файл \"notes.las\" прочитан с замечаниями:", 0), 0u) << box;
  EXPECT_NE(box.find("Unknown section tag \"X\""), std::string::npos) << box;
  EXPECT_NE(box.find("Unknown section tag \"Z\""), std::string::npos) << box;
}

TEST(RecorderWindow, AFreshInstallationRunsOnTheSimulatorWithTheRecordingKeys) {
  RecorderFixture r;
  EXPECT_EQ(r.window->Logger().PortName(), "SIM");
  EXPECT_TRUE(r.window->Logger().Active());
  EXPECT_EQ(r.window->windowTitle(), "Регистратор v1.4.0");
  struct Key {
    const char* action;
    const char* caption;
    const char* key;
  };
  for (Key k :
       {Key{"LoggerPower", "Включить прибор", "F2"}, Key{"LoggerSelect", "Выбрать прибор", "F3"},
        Key{"RecordStop", "Остановить", "F5"}, Key{"RecordTime", "По времени", "F6"},
        Key{"RecordDepthUp", "По глубине на подъеме", "F7"},
        Key{"RecordDepthDown", "По глубине на спуске", "F8"}}) {
    QAction* a = r.window->Action(k.action);
    ASSERT_NE(a, nullptr) << k.action;
    EXPECT_EQ(a->text(), QString::fromUtf8(k.caption));
    EXPECT_EQ(a->shortcut().toString(), k.key);
  }
  EXPECT_FALSE(r.window->Action("RecordStop")->isEnabled());
  EXPECT_FALSE(r.window->Action("LoggerPower")->isEnabled());  // no tool loaded yet
  // The example plug-in is offered under "Инструменты" and works on the live sheet.
  QAction* plugin = r.window->findChild<QAction*>("sheet_summary");
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->text(), "Сводка планшета");
  // An example changes nobody's data.
  const int comments = r.window->Sheet().Comments().Count();
  plugin->trigger();
  EXPECT_EQ(r.window->Sheet().Comments().Count(), comments);
  EXPECT_EQ(r.window->Sheet().Comments().Value("Сводка"), "");
}

// Live, the tablet draws each curve at its sensor's depth, as stop will place it:
// every curve's picture is the same before and after the recording stops, and the
// stored tracks get the origins the live tablet used.
TEST(RecorderWindow, TheLiveTabletDrawsEachCurveWhereStopPutsIt) {
  RecorderFixture r(1000);
  r.PowerUp();
  r.window->findChild<QAction*>("aStep10")->trigger();
  r.window->Action("RecordDepthDown")->trigger();
  const int32_t start = r.window->Session().LastDepth();
  r.simulator->SetSpeed(36000);
  ASSERT_TRUE(r.RunUntil([&] { return r.window->Session().LastDepth() >= start + 20000; }, 20000));
  r.simulator->SetSpeed(0);
  r.Run(200);

  TLogViewer& viewer = *r.window->Viewer();
  const int32_t top = start + 2000;
  // What each curve column draws over the same stretch of the tablet.
  auto pictures = [&] {
    std::map<std::string, std::vector<std::vector<TPoint>>> out;
    viewer.SetViewTop(top);
    for (int i = 0; i < viewer.ColumnCount(); ++i) {
      auto* column = dynamic_cast<TGraphicsColumn*>(viewer.Column(i));
      if (!column || !column->Track()) continue;
      RecordingCanvas canvas;
      column->PaintData(canvas, top, top + static_cast<int32_t>(viewer.ViewSpan()));
      out[column->Parameter() + "#" + std::to_string(column->Number())] = canvas.polylines;
    }
    return out;
  };
  const auto live = pictures();
  std::map<const TLogTrack*, int32_t> live_origin;
  for (int i = 0; i < r.window->Sheet().Count(); ++i) {
    const TLogTrack* t = r.window->Sheet().Tracks(i);
    live_origin[t] = viewer.PlacedOrigin(*t);
  }

  r.answers.Texts = {"Спуск"};
  r.window->Action("RecordStop")->trigger();
  r.window->WaitForSaves();
  r.window->Idle();
  const auto stopped = pictures();

  ASSERT_GE(live.size(), 3u);
  std::set<int32_t> origins;
  for (const auto& [track, origin] : live_origin) {
    EXPECT_EQ(track->Origin(), origin) << track->Parameter();
    origins.insert(origin);
  }
  EXPECT_GE(origins.size(), 2u);  // the tool's sensors lie at different depths
  for (const auto& [name, lines] : stopped) {
    ASSERT_TRUE(live.count(name)) << name;
    EXPECT_FALSE(lines.empty()) << name;
    EXPECT_EQ(live.at(name), lines) << name << " moved when the recording stopped";
  }
}

TEST(RecorderWindow, LogsDownFiftyMetresSavesAndTheEditorReopensTheFileAndSavesItAsLas) {
  testing::TempDir kept;  // the research outlives the recorder's installation
  std::string saved;
  {
    RecorderFixture r(1000);
    r.PowerUp();
    r.answers.Texts = {"Скважина 1"};
    r.window->findChild<QAction*>("ResearchStart")->trigger();
    ASSERT_TRUE(r.window->Session().CurrentResearch().IsOpen());

    r.window->findChild<QAction*>("aStep10")->trigger();
    r.window->Action("RecordDepthDown")->trigger();
    ASSERT_EQ(r.window->Session().RecordMode(), RecordingSession::rmDepthDown);
    EXPECT_TRUE(r.window->Action("RecordDepthDown")->isChecked());
    EXPECT_FALSE(r.window->Action("RecordTime")->isEnabled());
    EXPECT_FALSE(r.window->Viewer()->Interactive());
    EXPECT_FALSE(r.window->Action("EditTracks")->isEnabled());  // no hand edits while recording
    int32_t start = r.window->Session().LastDepth();
    r.simulator->SetSpeed(36000);
    ASSERT_TRUE(
        r.RunUntil([&] { return r.window->Session().LastDepth() >= start + 25000; }, 20000));
    Shot(*r.window, "recorder_recording.png");
    EXPECT_TRUE(r.window->PanelText(0).endsWith(" м"));

    // Closing while recording asks first; "No" keeps it recording.
    r.answers.Yes = false;
    EXPECT_FALSE(r.window->close());
    EXPECT_TRUE(r.window->Session().Recording());
    r.answers.Yes = true;

    ASSERT_TRUE(
        r.RunUntil([&] { return r.window->Session().LastDepth() >= start + 50000; }, 20000));
    r.simulator->SetSpeed(0);
    r.answers.Texts = {"Спуск тест"};
    r.window->Action("RecordStop")->trigger();
    EXPECT_FALSE(r.window->Session().Recording());
    r.window->WaitForSaves();
    r.window->Idle();
    EXPECT_TRUE(r.window->Action("EditTracks")->isEnabled());
    ASSERT_EQ(r.answers.Saved.size(), 1u);
    fs::path research = fs::path(r.answers.Saved[0]).parent_path();
    EXPECT_EQ(fs::path(r.answers.Saved[0]).filename(), "001.ls");
    EXPECT_EQ(research.filename(), "Скважина 1");

    r.window->findChild<QAction*>("ResearchEnd")->trigger();
    EXPECT_FALSE(r.window->Session().CurrentResearch().IsOpen());
    EXPECT_TRUE(fs::exists(research / "journal"));
    fs::copy(research, kept.Path());
    saved = kept.File("001.ls");
  }
  std::ifstream files(kept.Path() / "files");
  std::string index((std::istreambuf_iterator<char>(files)), {});
  EXPECT_EQ(index, "001.ls=Спуск тест");

  Installation inst;
  MemorySettings settings;
  settings.SetInt("Settings", "LASStep", 10);
  testing::ScriptedQuestions answers(*inst.env, settings);
  TEditorForm editor(*inst.env, settings, answers);
  editor.resize(1100, 760);
  editor.show();
  std::vector<int> progress;
  QObject::connect(editor.Progress(), &QProgressBar::valueChanged,
                   [&](int p) { progress.push_back(p); });
  editor.DeferredStart(saved);
  ASSERT_FALSE(progress.empty());  // reading reports its progress, and the bar goes when done
  EXPECT_EQ(progress.back(), 100);
  EXPECT_FALSE(editor.Progress()->isVisible());
  ASSERT_GT(editor.Sheet().Count(), 3);
  int rows = editor.Sheet().Tracks(0)->Count();
  EXPECT_GE(rows, 490);  // 50 m at 10 cm
  EXPECT_EQ(editor.windowTitle().toStdString(), "Редактор кривых - " + saved);
  EXPECT_EQ(editor.Recent().Items().front(), saved);
  editor.Viewer()->Refresh();
  QApplication::processEvents();
  EXPECT_EQ(editor.Viewer()->ViewTop(),
            editor.Viewer()->SheetFirst());  // opens at the top of the log
  Shot(editor, "editor.png");

  std::string las = inst.root.File("Logs/001.las");
  editor.SaveFile(las);
  editor.WaitForSaves();
  TLogSheet back;
  back.LoadFromFile(las, "LAS");
  EXPECT_EQ(back.Count(), editor.Sheet().Count());
  // One row per 10 cm over the whole sheet (the tracks' offsets widen it a little).
  EXPECT_GE(back.Tracks(0)->Count(), rows);
  EXPECT_LT(back.Tracks(0)->Count(), rows + 100);
}

TEST(RecorderWindow, ClosingWhileRecordingStopsAndSavesBeforeTheWindowGoes) {
  RecorderFixture r(500);
  r.PowerUp();
  r.window->Action("RecordTime")->trigger();
  ASSERT_TRUE(r.RunUntil(
      [&] { return r.window->Sheet().Count() && r.window->Sheet().Tracks(0)->Count() > 5; },
      10000));
  r.answers.Texts = {"Точка"};
  EXPECT_TRUE(r.window->close());
  EXPECT_FALSE(r.window->Session().Recording());
  ASSERT_EQ(r.answers.Saved.size(), 1u);
  TLogSheet back;
  back.LoadFromFile(r.answers.Saved[0], "LS");
  EXPECT_GT(back.Tracks(0)->Count(), 5);
  EXPECT_FALSE(fs::exists(r.env->Folders().CrashFile));
}

TEST(RecorderWindow, SettingsAreKeptAcrossRunsAndTheWindowSavesThemAtExit) {
  MemorySettings settings;
  {
    RecorderFixture r;
    r.window->findChild<QAction*>("aStep20")->trigger();
    r.window.reset();
    settings = r.settings;
  }
  EXPECT_EQ(settings.GetInt("LogRecorder/Main form", "RecordStep"), 200);
  EXPECT_EQ(settings.GetString("Settings", "Port"), "SIM");
  EXPECT_TRUE(settings.Contains("LogRecorder", "LasSaveStep"));
}

// A recorder that dies while a research is open (a power cut: nothing saved on the
// way out) opens that research again at the next start, where the crash file goes.
TEST(RecorderWindow, AResearchStartedIsOpenAgainAfterTheRecorderDied) {
  RecorderFixture r;
  // The settings were applied once, as the first run asks.
  r.settings.SetBool("Settings", "Setted", true);
  r.settings.SetInt("Settings", "SaveFiles", 0);
  r.answers.Texts = {"Скважина 5"};
  r.window->findChild<QAction*>("ResearchStart")->trigger();
  ASSERT_TRUE(r.window->Session().CurrentResearch().IsOpen());
  const MemorySettings at_death = r.settings;  // what a killed recorder leaves
  r.window.reset();
  r.settings = at_death;
  r.answers.Dialogs.clear();
  r.window = std::make_unique<TRecorderForm>(*r.env, r.settings, r.clock, r.answers, r.simulator);
  r.window->DeferredStart("");
  EXPECT_EQ(r.window->Session().CurrentResearch().ResearchName(), "Скважина 5");
  EXPECT_TRUE(r.answers.Dialogs.empty());  // no first-start settings again
}

// The layout named after the tool string is shown when the string is chosen; the
// menu "Экран" and the combo box on the layouts tool bar show the same choice.
TEST(RecorderWindow, TheToolStringsLayoutIsShownAndTheLayoutsComboFollows) {
  RecorderFixture r;
  r.window->Action("LoggerSelect")->trigger();
  const std::string name = ToolStringLayoutName(r.window->Logger());
  ASSERT_FALSE(name.empty());
  const std::string layouts = r.env->Folders().Layouts;
  fs::create_directories(layouts);
  for (const std::string& file : {name, std::string("Другой"), std::string("~скрытый")}) {
    FileStream out(layouts + "/" + file, FileStream::Mode::Create);
    r.window->Viewer()->SaveLayout(out);
  }
  r.window->Action("LoggerSelect")->trigger();
  auto* combo = r.window->findChild<QComboBox*>("cbLayouts");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 2);  // names starting with "~" are not offered
  EXPECT_EQ(combo->currentText().toStdString(), name);

  emit combo->activated(combo->findText("Другой"));
  EXPECT_EQ(combo->currentText(), "Другой");
  QMenu* screen = nullptr;
  for (QMenu* m : r.window->findChildren<QMenu*>())
    if (m->title() == "Экран") screen = m;
  ASSERT_NE(screen, nullptr);
  int ticked = 0;
  for (QAction* a : screen->actions()) {
    if (!a->isChecked()) continue;
    ++ticked;
    EXPECT_EQ(a->text(), "Другой");
  }
  EXPECT_EQ(ticked, 1);
  // Picks from the menu itself: the standard layout unticks every file.
  for (QAction* a : screen->actions())
    if (a->text() == "Стандартный") a->trigger();
  EXPECT_EQ(combo->currentIndex(), -1);
  for (QAction* a : screen->actions()) EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
  for (QAction* a : screen->actions())
    if (a->text() == "Другой") a->trigger();
  EXPECT_EQ(combo->currentText(), "Другой");

  // A control's hint is shown in the status bar.
  QStatusTipEvent tip("Подсказка");
  QApplication::sendEvent(r.window.get(), &tip);
  EXPECT_EQ(r.window->statusBar()->currentMessage(), "Подсказка");
}

TEST(RecorderWindow, APortThatCannotBeOpenedIsReportedAndTheOldOneKept) {
  RecorderFixture r;
  QMenu* ports = nullptr;
  for (QMenu* m : r.window->findChildren<QMenu*>())
    if (m->title() == "Порт") ports = m;
  ASSERT_NE(ports, nullptr);
  emit ports->aboutToShow();
  QAction* other = nullptr;
  for (QAction* a : ports->actions())
    if (a->objectName() == "aOtherPort") other = a;
  ASSERT_NE(other, nullptr);
  const std::string missing = r.root.File("no-such-port");  // a device path that cannot be there
  r.answers.Texts = {missing};
  other->trigger();
  ASSERT_EQ(r.answers.Warnings.size(), 1u);
  EXPECT_EQ(r.answers.Warnings[0], "В системе отсутствует порт " + missing + " !");
  EXPECT_EQ(r.window->Logger().PortName(), "SIM");
  EXPECT_TRUE(r.window->Logger().Active());
}

TEST(RecorderWindow, APortWhoseDeviceGoesAwayIsShownUntilItIsBack) {
  RecorderFixture r;
  testing::ScriptedPort line;
  line.Register("SCRIPT-WINDOW");
  QMenu* ports = nullptr;
  for (QMenu* m : r.window->findChildren<QMenu*>())
    if (m->title() == "Порт") ports = m;
  ASSERT_NE(ports, nullptr);
  emit ports->aboutToShow();
  r.answers.Texts = {"SCRIPT-WINDOW"};
  for (QAction* a : ports->actions())
    if (a->objectName() == "aOtherPort") a->trigger();
  ASSERT_EQ(r.window->Logger().PortName(), "SCRIPT-WINDOW");
  r.window->Idle();
  EXPECT_EQ(r.window->PanelText(3), "SCRIPT-WINDOW");
  line.Vanish();
  EXPECT_TRUE(
      r.RunUntil([&] { return r.window->PanelText(3) == "SCRIPT-WINDOW (нет связи)"; }, 5000));
  line.Return();
  EXPECT_TRUE(r.RunUntil([&] { return r.window->PanelText(3) == "SCRIPT-WINDOW"; }, 5000));
  r.window->Logger().SetActive(false);
  UnregisterPortName("SCRIPT-WINDOW");
}

TEST(RecorderWindow, ARecordingLeftByACrashIsOfferedAtStartAndShown) {
  const auto crash = [](RecorderFixture& r) {
    TLogSheet lost;
    TLogTrack* gk = lost.NewTrack("GK");
    lost.SetSteps(100);
    lost.SetOrigins(1000000);
    for (int i = 0; i < 40; ++i) gk->Append(static_cast<float>(i));
    lost.AppendCrashFile(r.env->Folders().CrashFile, 1000000, 1,
                         1000000 + 39 * 100);  // arguments, mm
    r.answers.Yes = true;
  };
  RecorderFixture r(1000, crash);
  ASSERT_EQ(r.window->Sheet().Count(), 1);
  EXPECT_EQ(r.window->Sheet().Tracks(0)->Parameter(), "GK");
  EXPECT_EQ(r.window->Sheet().Tracks(0)->Count(), 40);
  ASSERT_FALSE(r.answers.Asked.empty());
  EXPECT_EQ(r.answers.Asked[0].rfind("Внимание !: ", 0), 0u);
}

TEST(EditorWindow, AFileDescriptionWithRefusedCharactersIsAskedAgainBeforeSaving) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  ASSERT_TRUE(editor.OpenFile(test::TestDataDir() + "/las/sample_2.0.las"));
  ASSERT_EQ(e.answers.Warnings.size(), 1u);  // the reader's notice: units kept, mnemonics new
  e.answers.Warnings.clear();
  ASSERT_TRUE(editor.Action("aSave")->isEnabled());
  editor.Sheet().Comments().SetValue("Условия замера", "спуск 1/2");
  const std::string target = e.root.File("Logs/спуск 1.las");
  e.answers.Texts = {"спуск *1", "спуск 1", target};
  editor.Action("aSave")->trigger();
  EXPECT_EQ(e.answers.Warnings,
            (std::vector<std::string>{"Имя файла содержит недопустимые символы!",
                                      "Имя файла содержит недопустимые символы!"}));
  EXPECT_EQ(e.answers.Proposals, std::vector<std::string>{"спуск 1"});
  editor.WaitForSaves();
  TLogSheet back;
  back.LoadFromFile(target, "LAS");
  EXPECT_EQ(back.Count(), editor.Sheet().Count());

  // Cancelling the description leaves everything as it was.
  editor.Sheet().Comments().SetValue("Условия замера", "a?b");
  e.answers.Texts.clear();
  editor.Action("aSave")->trigger();
  editor.Idle();
  EXPECT_EQ(editor.windowTitle().toStdString(), "Редактор кривых - " + target);
}

// A run's description holds dots ("1501.92 - 1528.96"): the proposed name keeps it
// whole and gets the chosen format's extension; the dialogs start in the folders
// used last, else in the research root, never at "/".
TEST(EditorWindow, TheSaveNameKeepsTheWholeDescriptionAndDialogsStartInTheFolderUsedLast) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  e.answers.Texts = {test::TestDataDir() + "/las/sample_2.0.las"};
  editor.Action("aOpen")->trigger();
  ASSERT_EQ(e.answers.Folders.size(), 1u);
  EXPECT_EQ(e.answers.Folders[0], e.env->Folders().ResearchBase);
  ASSERT_GT(editor.Sheet().Count(), 0);
  editor.Sheet().Comments().SetValue("Условия замера", "Спуск 1501.92 - 1528.96");
  const std::string typed = e.root.File("Logs/Спуск 1501.92 - 1528.96");
  e.answers.Texts = {typed};
  e.answers.SaveFormat = "LS";
  editor.Action("aSave")->trigger();
  editor.WaitForSaves();
  EXPECT_EQ(e.answers.Proposals.back(), "Спуск 1501.92 - 1528.96");
  EXPECT_EQ(editor.Document().FileName(), typed + ".ls");
  EXPECT_TRUE(fs::exists(typed + ".ls"));
  // A name typed with another known format's extension gets the chosen one instead.
  e.answers.Texts = {e.root.File("Logs/well.las")};
  editor.Action("aSave")->trigger();
  editor.WaitForSaves();
  EXPECT_EQ(editor.Document().FileName(), e.root.File("Logs/well.ls"));
  // The next dialogs start where the last ones ended.
  e.answers.Texts = {};
  editor.Action("aSave")->trigger();
  EXPECT_EQ(e.answers.Folders.back(), e.root.File("Logs"));
  editor.Action("aOpen")->trigger();
  EXPECT_EQ(e.answers.Folders.back(), test::TestDataDir() + "/las");
}

// A mistaken open (a text file named .las, a damaged .ls) shows the error and
// leaves the open log, its name and its unsaved changes as they were.
TEST(EditorWindow, AFailedOpenKeepsTheOpenLogAndItsChanges) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  const std::string good = test::TestDataDir() + "/las/sample_2.0.las";
  ASSERT_TRUE(editor.OpenFile(good));
  const int tracks = editor.Sheet().Count();
  const int rows = editor.Sheet().Tracks(0)->Count();
  editor.Document().SetModified(true);
  const std::string text = e.root.File("notes.las");
  std::ofstream(text) << "these are notes, not a log\n";
  const std::string damaged = e.root.File("cut.ls");
  std::ofstream(damaged, std::ios::binary) << "LS\x01\x02";
  e.answers.Choice = WindowQuestions::Answer::No;  // drop the changes when asked
  for (const std::string& bad : {text, damaged}) {
    EXPECT_FALSE(editor.OpenFile(bad)) << bad;
    EXPECT_EQ(editor.Sheet().Count(), tracks);
    EXPECT_EQ(editor.Sheet().Tracks(0)->Count(), rows);
    EXPECT_EQ(editor.Document().FileName(), good);
    EXPECT_TRUE(editor.Document().Modified());
    EXPECT_TRUE(editor.Action("aFileSave")->isEnabled());
  }
  EXPECT_EQ(e.answers.Errors.size(), 2u);
  editor.Idle();
  EXPECT_EQ(editor.windowTitle().toStdString(), "Редактор кривых - " + good + " *");
}

// A file named on the command line that cannot be read is reported by name; "Сохранить
// как..." starts beside the open file; "Свойства" changes the log only when a change
// is applied; the office dialogs are asked through the host.
TEST(EditorWindow, OpeningSavingAndPropertiesAsTheUserExpects) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  editor.DeferredStart("/missing/file.ls");
  ASSERT_EQ(e.answers.Errors.size(), 1u);
  EXPECT_NE(e.answers.Errors[0].find("/missing/file.ls"), std::string::npos) << e.answers.Errors[0];
  EXPECT_TRUE(editor.Document().FileName().empty());

  e.settings.SetString("Settings", "SaveDir", e.root.File("Logs"));
  const std::string las_dir = test::TestDataDir() + "/las";
  ASSERT_TRUE(editor.OpenFile(las_dir + "/sample_2.0.las"));
  editor.Action("aSave")->trigger();  // cancelled
  EXPECT_EQ(e.answers.Folders.back(), las_dir);

  // Closed with "Отмена", then applied unchanged: not modified.
  int shown = 0;
  e.answers.OnExec = [&](QDialog& d) {
    ++shown;
    auto* dialog = dynamic_cast<TSheetPropertiesDialog*>(&d);
    if (dialog != nullptr && shown == 2) dialog->Apply();
    return QDialog::Rejected;
  };
  for (int i = 0; i < 2; ++i) {
    editor.Action("aProperties")->trigger();
    EXPECT_FALSE(editor.Document().Modified()) << i;
  }
  // A well typed and applied, then "Отмена": modified.
  e.answers.OnExec = [&](QDialog& d) {
    auto& dialog = dynamic_cast<TSheetPropertiesDialog&>(d);
    auto* well = qobject_cast<QLineEdit*>(dialog.Field("well"));
    well->setText("12-бис");
    emit well->textEdited(well->text());
    dialog.Apply();
    return QDialog::Rejected;
  };
  editor.Action("aProperties")->trigger();
  EXPECT_TRUE(editor.Document().Modified());
  EXPECT_EQ(editor.Sheet().Params().Value("well"), "12-бис");

  e.answers.OnExec = nullptr;
  editor.Action("aResearch")->trigger();
  editor.Action("aAddCurve")->trigger();
  EXPECT_EQ(e.answers.Dialogs,
            (std::vector<std::string>{"Свойства", "Свойства", "Свойства", "Предыдущие записи",
                                      "Добавление кривой"}));
}

// Every "menu → item" the guide names for the editor's menus is an item of that menu.
TEST(EditorWindow, TheGuideNamesMenuItemsAsTheProgramDoes) {
  EditorFixture e;
  std::ifstream in(test::SourceDir() + "/docs/guide/README.md");
  const std::string guide((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(guide.empty());
  std::map<std::string, std::vector<std::string>> menus;
  for (QAction* top : e.window->menuBar()->actions())
    if (top->menu())
      for (QAction* item : top->menu()->actions())
        menus[top->text().toStdString()].push_back(item->text().toStdString());
  ASSERT_TRUE(menus.count("Правка"));
  const std::regex pair("«(.+?)» → «(.+?)»");  // bytes: "»" is no single character
  int checked = 0;
  for (std::sregex_iterator it(guide.begin(), guide.end(), pair), end; it != end; ++it) {
    auto menu = menus.find((*it)[1].str());
    if (menu == menus.end()) continue;  // a menu of the recorder
    const std::string item = (*it)[2].str();
    EXPECT_NE(std::find(menu->second.begin(), menu->second.end(), item), menu->second.end())
        << (*it)[0].str();
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

// Edits show in the title; closing or opening another file asks first, and
// "Cancel" keeps everything.
TEST(EditorWindow, AnEditedLogAsksBeforeItIsClosedOrReplaced) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  const std::string data = test::TestDataDir() + "/las/";
  ASSERT_TRUE(editor.OpenFile(data + "sample_2.0.las"));
  editor.Action("aNew")->trigger();  // clears every track's data: an edit
  editor.Idle();
  EXPECT_TRUE(editor.windowTitle().endsWith(" *"));
  e.answers.Choice = WindowQuestions::Answer::Cancel;
  EXPECT_FALSE(editor.close());
  EXPECT_FALSE(editor.OpenFile(data + "sample_2.0_minimal.las"));
  EXPECT_EQ(editor.Document().FileName(), data + "sample_2.0.las");
  ASSERT_EQ(e.answers.Asked.size(), 2u);
  EXPECT_NE(e.answers.Asked[0].find("Сохранить изменения?"), std::string::npos);
  // "Yes" saves under the file's name first.
  const std::string copy = e.root.File("copy.ls");
  editor.SaveFile(copy);
  editor.WaitForSaves();
  editor.Action("aNew")->trigger();
  e.answers.Choice = WindowQuestions::Answer::Yes;
  EXPECT_TRUE(editor.close());
  TLogSheet back;
  back.LoadFromFile(copy, "LS");
  EXPECT_EQ(back.Tracks(0)->Count(), 0);
}

TEST(EditorWindow, TheReopenMenuListsTheRecentFilesAndReopensThem) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  QMenu* reopen = nullptr;
  for (QMenu* m : editor.findChildren<QMenu*>())
    if (m->title() == "Открыть повторно") reopen = m;
  ASSERT_NE(reopen, nullptr);
  emit reopen->aboutToShow();
  ASSERT_EQ(reopen->actions().size(), 1);
  EXPECT_EQ(reopen->actions()[0]->text(), "(нет)");
  EXPECT_FALSE(reopen->actions()[0]->isEnabled());

  const std::string data = test::TestDataDir() + "/las/";
  editor.OpenFile(data + "sample_2.0.las");
  editor.OpenFile(data + "sample_2.0_minimal.las");
  emit reopen->aboutToShow();
  ASSERT_EQ(reopen->actions().size(), 2);
  EXPECT_EQ(reopen->actions()[0]->text().toStdString(), "&1 " + data + "sample_2.0_minimal.las");
  EXPECT_TRUE(reopen->actions()[0]->isChecked());
  reopen->actions()[1]->trigger();  // the older one comes back to the top
  EXPECT_EQ(editor.windowTitle().toStdString(), "Редактор кривых - " + data + "sample_2.0.las");
  EXPECT_EQ(editor.Recent().Items().front(), data + "sample_2.0.las");
}

TEST(EditorWindow, ToolBarsComeBackWhereTheyWereDocked) {
  Installation inst;
  MemorySettings settings;
  testing::ScriptedQuestions answers(*inst.env, settings);
  {
    TEditorForm editor(*inst.env, settings, answers);
    editor.resize(1000, 700);
    editor.show();
    QApplication::processEvents();
    QToolBar* bar = editor.findChild<QToolBar*>("tbStandard");
    editor.addToolBar(Qt::LeftToolBarArea, bar);
    editor.findChild<QToolBar*>("tbLayouts")->hide();
    QApplication::processEvents();
  }
  EXPECT_FALSE(settings.GetBool("LogEditor/Main form/Toolbars/tbLayouts", "Visible", true));
  TEditorForm again(*inst.env, settings, answers);
  EXPECT_EQ(again.toolBarArea(again.findChild<QToolBar*>("tbStandard")), Qt::LeftToolBarArea);
  EXPECT_EQ(again.toolBarArea(again.findChild<QToolBar*>("tbLayouts")), Qt::TopToolBarArea);
  EXPECT_TRUE(again.findChild<QToolBar*>("tbLayouts")->isHidden());
}

// The tablet's inspector: F11 shows it with the focused column, "Дифференциал"
// only in the editor; it is no tool bar of the main window.
TEST(EditorWindow, TheInspectorShowsTheFocusedColumn) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  editor.DeferredStart(test::TestDataDir() + "/las/sample_2.0.las");
  ASSERT_NE(editor.Inspector(), nullptr);
  EXPECT_FALSE(editor.Inspector()->isVisible());
  TLogViewerColumn* curve = nullptr;
  for (int i = 0; i < editor.Viewer()->ColumnCount() && !curve; ++i)
    if (std::string(editor.Viewer()->Column(i)->ClassName()) == "TGraphicsColumn")
      curve = editor.Viewer()->Column(i);
  ASSERT_NE(curve, nullptr);
  editor.Viewer()->SetFocusedColumn(curve);
  editor.Viewer()->KeyDown(TViewerKey::kF11, {});
  EXPECT_TRUE(editor.Inspector()->isVisible());
  const std::vector<std::string> rows = editor.Inspector()->Model().Captions();
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Дифференциал"), rows.end());
  for (QToolBar* bar : editor.findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
    EXPECT_NE(bar, editor.Inspector()->ToolBar());

  // A colour picked in the inspector is an edit of the log: marked modified and
  // taken back by "Отменить".
  EXPECT_FALSE(editor.Document().Modified());
  const std::string name = curve->Name();
  auto colour = [&] {
    return dynamic_cast<TGraphicsColumn&>(*editor.Viewer()->FindColumn(name)).Color();
  };
  const TColor before = colour();
  const int row = static_cast<int>(std::find(rows.begin(), rows.end(), "Цвет") - rows.begin());
  editor.Inspector()->Grid()->setCurrentCell(row, 1);
  QComboBox* pick = editor.Inspector()->ShownEditor();
  ASSERT_NE(pick, nullptr);
  const int other = pick->currentIndex() == 3 ? 4 : 3;
  emit pick->activated(other);
  EXPECT_NE(colour(), before);
  EXPECT_TRUE(editor.Document().Modified());
  ASSERT_TRUE(editor.Action("aUndo")->isEnabled());
  editor.Action("aUndo")->trigger();
  EXPECT_EQ(colour(), before);
  editor.Action("aRedo")->trigger();
  EXPECT_NE(colour(), before);
  editor.Document().SetModified(false);  // closing would ask
  editor.close();
}

TEST(Application, AnErrorThatReachesTheEventLoopIsShownAndTheProgramGoesOn) {
  auto* app = dynamic_cast<KestApplication*>(QApplication::instance());
  ASSERT_NE(app, nullptr);
  QString shown;
  app->ShowError = [&](const QString& message) { shown = message; };
  struct Thrower : QObject {
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User) throw EKestError("Сбой обработки");
      return QObject::event(e);
    }
  } thrower;
  QApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QApplication::processEvents();
  app->ShowError = nullptr;
  EXPECT_EQ(shown, "Сбой обработки");
}

// The depth panel shows the live depth over the tablet from the start; a plug-in
// takes the screen from it.
TEST(RecorderTools, TheDepthPanelFollowsTheDepthAndMakesWayForAPlugIn) {
  RecorderFixture r;
  TTopPanel* panel = r.window->TopPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_TRUE(r.window->Action("ShowDepth")->isChecked());
  r.window->Logger().SetDepthStep(0.05, 1234);
  ASSERT_TRUE(r.RunUntil([&] { return panel->DepthText() == "1234.00"; }, 5000))
      << panel->DepthText().toStdString();
  panel->ShowLabel(true);
  EXPECT_TRUE(panel->LabelLit());
  // The label sound of the installation's root goes with the light.
  EXPECT_EQ(r.answers.Sounds, (std::vector<std::string>{r.env->Folders().Root + "/Label.wav"}));
  r.Run(400);
  EXPECT_TRUE(panel->LabelLit());
  ASSERT_TRUE(r.RunUntil([&] { return !panel->LabelLit(); }, 3000));  // back to the face colour
  Shot(*panel, "depth_panel.png");
  // The tool control window is shown from the start as well, on F12.
  ASSERT_NE(r.window->InfoWindow(), nullptr);
  EXPECT_TRUE(r.window->InfoWindow()->isVisible());
  EXPECT_EQ(r.window->Action("ShowInfo")->shortcut().toString(), "F12");
  r.window->findChild<QAction*>("sheet_summary")->trigger();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(r.window->Action("ShowDepth")->isChecked());
  EXPECT_FALSE(r.window->InfoWindow()->isVisible());
  EXPECT_FALSE(r.window->Action("ShowInfo")->isChecked());
  r.window->Action("ShowInfo")->trigger();
  EXPECT_TRUE(r.window->InfoWindow()->isVisible());
}

// "по первой магнитной метке": nothing changes until the next label passes; then
// the depth is set and the next label is expected one label step further.
TEST(RecorderTools, ADepthSetAtTheNextMagneticLabelWaitsForIt) {
  RecorderFixture r(1003);  // labels every 10 m: the next one 7 m further down
  r.PowerUp();
  r.window->Action("RecordSetDepth")->trigger();
  auto* dialog = r.window->findChild<TDepthSetDlg*>();
  ASSERT_NE(dialog, nullptr);
  dialog->feDepth->setValue(1500);
  dialog->feDepthStep->setText("0.05");
  dialog->cbByMagLabel->setChecked(true);
  Shot(*dialog, "depth_dialog.png");
  dialog->btnOk->click();
  EXPECT_TRUE(dialog->Waiting());
  EXPECT_FALSE(dialog->btnOk->isEnabled());
  EXPECT_LT(r.window->Logger().DepthChannel()->Value, 1100);
  r.simulator->SetSpeed(36000);
  ASSERT_TRUE(r.RunUntil(
      [&] {
        return r.window->findChild<TDepthSetDlg*>() == nullptr ||
               !r.window->findChild<TDepthSetDlg*>()->isVisible();
      },
      10000));
  r.simulator->SetSpeed(0);
  EXPECT_NEAR(r.window->Logger().DepthChannel()->Value, 1500, 2);
  EXPECT_FLOAT_EQ(r.window->Session().NextLabelDepth, 1500 + r.window->Session().MLStep);
  EXPECT_TRUE(r.settings.GetBool("LogRecorder/Depth settings", "By magnetic mark"));
  EXPECT_EQ(r.settings.GetString("LogRecorder/Depth settings", "RollerStep"), "0.05");
}

TEST(RecorderTools, CableSamplerAndTestSignalsDriveTheSessionAndTheTool) {
  RecorderFixture r;
  // The cable dialog shows the label settings and stores them back.
  {
    TCableDlg cable(r.window->Session(), r.window.get());
    Shot(cable, "cable_dialog.png");
    TTrierDlg trier(400, r.window.get());
    Shot(trier, "trier_dialog.png");
    EXPECT_EQ(cable.sePos2->value(), r.window->Session().MLPos2 + 1);
    cable.feStep->setValue(12.5);
    cable.sePos2->setValue(2);
    cable.Store();
    EXPECT_FLOAT_EQ(r.window->Session().MLStep, 12.5f);
    EXPECT_EQ(r.window->Session().MLPos2, 1);
  }
  // A test signal replaces the tool string and locks the tool actions meanwhile.
  r.window->Action("tbAnalog")->trigger();
  ASSERT_EQ(r.window->Logger().ModuleCount(), 2);
  EXPECT_FALSE(r.window->Action("LoggerSelect")->isEnabled());
  EXPECT_FALSE(r.window->Action("tbImpuls")->isEnabled());
  r.window->Action("tbAnalog")->trigger();
  EXPECT_EQ(r.window->Logger().ModuleCount(), 1);
  EXPECT_TRUE(r.window->Action("LoggerSelect")->isEnabled());

  // The sampler: a marker row, the tool powered down for the sample and up again.
  r.PowerUp();
  r.window->Action("RecordTime")->trigger();
  ASSERT_TRUE(r.RunUntil([&] { return r.window->Sheet().Tracks(0)->Count() > 3; }, 10000));
  QAction* trier = r.window->Action("RecordTrier");
  ASSERT_TRUE(trier->isEnabled());
  r.answers.Yes = true;
  trier->trigger();
  EXPECT_TRUE(trier->isChecked());
  EXPECT_FALSE(r.window->Logger().Initialized());
  trier->trigger();
  EXPECT_FALSE(trier->isChecked());
  EXPECT_TRUE(r.window->Logger().Initialized());
  r.answers.Yes = false;  // cancelled: nothing taken, not ticked
  trier->trigger();
  EXPECT_FALSE(trier->isChecked());
  EXPECT_TRUE(r.window->Logger().Initialized());
  r.answers.Texts = {"Точка"};
  r.window->Action("RecordStop")->trigger();
}

TEST(RecorderTools, TheTensionDialogRewritesThePanelsHandler) {
  RecorderFixture r;
  const std::string file = r.env->Folders().Classes + "/Панель";
  TTensionDlg dialog(r.window->Logger(), file, r.window.get());
  EXPECT_EQ(dialog.eK->text(), "1.0");
  Shot(dialog, "tension_dialog.png");
  dialog.eK->setText("2");
  dialog.eB->setText(".5");
  dialog.Apply();
  EXPECT_EQ(ReadTensionCoefficients(file).K, "2.0");
  EXPECT_EQ(ReadTensionCoefficients(file).B, "0.5");
  dialog.eK->setText("два");
  EXPECT_THROW_MSG(dialog.Apply(), EConvertError, "\"два\" is not a valid floating point value");
  EXPECT_EQ(ReadTensionCoefficients(file).K, "2.0");
}

}  // namespace
}  // namespace kest

namespace kest {
namespace {

// The editor's "Сохранить как..." and kest-tool convert are one way of writing a
// file: an LS sheet whose tracks start off the common step grid gives the same LAS.
TEST(EditorWindow, SaveAsLasWritesTheFileKestToolConvertWrites) {
  EditorFixture e;
  const std::string ls = e.root.File("Logs/offgrid.ls");
  {
    LogDocument source;
    TLogSheet& sheet = source.Sheet();
    TLogTrack* depth = sheet.NewTrack("DEPTH");
    TLogTrack* gk = sheet.NewTrack("GK");
    for (TLogTrack* t : {depth, gk}) t->SetStep(100);
    depth->SetOrigin(1000000);
    gk->SetOrigin(1000040);  // 4 cm off the grid
    for (int i = 0; i < 200; ++i) {
      depth->Append(1000.0f + i * 0.1f);
      gk->Append(static_cast<float>(i % 17));
    }
    sheet.UpdateRange();
    source.SaveAs(ls, LogFileOptions{});
  }
  ASSERT_TRUE(e.window->OpenFile(ls));
  const std::string from_editor = e.root.File("Logs/editor.las");
  e.answers.Texts = {from_editor};
  e.answers.SaveFormat = "LAS";
  e.answers.LasStep = 250;  // kept with the sheet; the export's step comes from the settings
  e.window->Action("aSave")->trigger();
  e.window->WaitForSaves();
  EXPECT_EQ(e.window->Sheet().LasStep(), 250);
  const std::string from_tool = e.root.File("Logs/tool.las");
  const std::string command = std::string(KEST_TOOL_PATH) + " convert '" + ls + "' '" + from_tool +
                              "' --root '" + e.root.Path().string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  auto bytes = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  };
  ASSERT_FALSE(bytes(from_editor).empty());
  EXPECT_EQ(bytes(from_editor), bytes(from_tool));
  EXPECT_EQ(e.window->Sheet().FindTrack("GK")->Origin(), 1000040);  // the tablet keeps its origins
}

}  // namespace
}  // namespace kest

namespace kest {
namespace {

// A window torn down while it records (no close event, as at a forced exit): the
// recorder stops under it and nothing of the window is called any more.
TEST(RecorderWindow, AWindowDestroyedWhileRecordingShutsDownCleanly) {
  RecorderFixture r(800);
  r.PowerUp();
  r.window->Action("RecordTime")->trigger();
  ASSERT_TRUE(r.RunUntil([&] { return r.window->Sheet().Tracks(0)->Count() > 3; }, 5000));
  r.window.reset();
  SUCCEED();
}

// "Смещение" of a track is one undoable change of the log: undone, the track is back
// where it was and the log as it was read.
TEST(EditorWindow, ATrackOffsetIsUndoable) {
  EditorFixture e;
  TEditorForm& editor = *e.window;
  ASSERT_TRUE(editor.OpenFile(test::SourceDir() + "/tests/data/las/sample_2.0.las"));
  TTrackColumn* column = nullptr;
  for (int i = 0; i < editor.Viewer()->ColumnCount() && !column; ++i)
    column = dynamic_cast<TTrackColumn*>(editor.Viewer()->Column(i));
  ASSERT_NE(column, nullptr);
  ASSERT_NE(column->Track(), nullptr);
  editor.Viewer()->SetFocusedColumn(column);
  const int32_t origin = column->Track()->Origin();
  e.answers.Texts = {"1.5"};
  editor.Action("aTrackOffset")->trigger();
  EXPECT_EQ(column->Track()->Origin(), origin + 1500);
  EXPECT_EQ(editor.Action("aUndo")->text().toStdString(), "Отменить: Смещение");
  editor.Action("aUndo")->trigger();
  EXPECT_EQ(column->Track()->Origin(), origin);
  EXPECT_FALSE(editor.Action("aUndo")->isEnabled());
}

}  // namespace
}  // namespace kest
