// The surface recorder's window on the recorder, on the simulator and a fake clock;
// the editor's time-to-depth window on two logs.
#include "app/memtool/surface_recorder_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <set>
#include <string>

#include "app/core/app_environment.h"
#include "app/core/main_settings.h"
#include "app/core/tool_selection.h"
#include "app/office/time_to_depth_window.h"
#include "app/recorder/recorder_form.h"
#include "link/logger.h"
#include "link/logger_module.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/surface_recorder.h"
#include "recorder_on_simulator.h"
#include "scripted_questions.h"
#include "session/log_document.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

// An hour of the winch down to 150 m and up again, already in the recorder.
sim::SimSettings RunInTheRecorder() {
  sim::SimSettings s;
  s.surface_recorder.initial_time = LocalToolTime();
  s.surface_recorder.history_h = 0.3;
  s.surface_recorder.profile = {{0, 0}, {0.1, 150}, {0.15, 150}, {0.3, 20}};
  return s;
}

class SurfaceRecorderWindow : public testing::RecorderOnSimulator {
 protected:
  SurfaceRecorderWindow() : RecorderOnSimulator("Наземный", RunInTheRecorder()) {}
  bool KeepAlive() {
    auto* system = dynamic_cast<TContainedLoggerModule*>(window->Logger().Modules(0));
    return system && static_cast<bool>(system->LivenessCheck);
  }
};

TEST_F(SurfaceRecorderWindow, ChoosingTheRecorderOpensItsWindowAndTheReadOutRuns) {
  ASSERT_EQ(window->SurfaceForm(), nullptr);
  ASSERT_TRUE(KeepAlive());
  window->Action("LoggerSelect")->trigger();
  TSCMain* form = window->SurfaceForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(window->MemoryForm(), nullptr);
  EXPECT_EQ(form->windowTitle(), "Наземный регистратор");
  EXPECT_FALSE(KeepAlive());  // no keep-alive bytes while it is open
  EXPECT_EQ(simulator->Line(), sim::MemoryLine::SurfaceRecorder);
  // Main mode: only "Режим ожидания".
  EXPECT_TRUE(form->Button("btStandby")->isEnabled());
  EXPECT_FALSE(form->Button("btData")->isEnabled());
  EXPECT_EQ(form->StatusRow(3), "Ошибка !");
  EXPECT_EQ(form->Button("btTest")->toolTip(), "Тестирование");

  form->Button("btStandby")->click();
  EXPECT_FALSE(form->Button("btStandby")->isEnabled());
  EXPECT_TRUE(form->Button("btData")->isEnabled());
  form->Test();
  EXPECT_EQ(form->StatusRow(0), "1056.00");
  EXPECT_EQ(form->StatusRow(3), "Работает");
  EXPECT_EQ(form->StatusText(), "Тестирование завершено");
  // A second test shows its own answer only: what failed now says so.
  simulator->SurfaceRecorder().SetSelfTest(false, true, false, true, true);
  form->Test();
  EXPECT_EQ(form->StatusRow(1), "Ошибка !");
  EXPECT_EQ(form->StatusRow(2), "Пройден");
  EXPECT_EQ(form->StatusRow(3), "Ошибка !");
  EXPECT_EQ(form->StatusRow(4), "Работает");
  simulator->SurfaceRecorder().SetSelfTest(true, true, true, true, true);

  form->SetFieldText("edDepth", "12,5");
  form->SetDepth();
  ASSERT_EQ(answers->Errors.size(), 1u);
  EXPECT_EQ(answers->Errors[0], "Неверное значение глубины !");
  form->SetFieldText("edDepth", "10000");
  form->SetDepth();
  EXPECT_EQ(answers->Errors.back(), "Введите число от 0 до 9999.9 !");
  form->SetFieldText("edDepth", "0");
  form->SetDepth();
  EXPECT_EQ(form->FieldText("edDepth"), "0.0");
  EXPECT_EQ(answers->Errors.size(), 2u);

  form->ReadZeroPage();
  EXPECT_EQ(form->StatusText(), "Нулевая страница прочитана");
  EXPECT_NE(form->FieldText("lbCount").toStdString().find("Количество замеров: "),
            std::string::npos);
  EXPECT_EQ(form->FieldText("edSpeedK"), "12.000");
  form->ReadData();
  EXPECT_EQ(form->StatusText(), "Данные считались.") << form->StatusText();
  TLogTrack* depth = window->Sheet().FindTrack("DEPTH");
  ASSERT_NE(depth, nullptr);
  EXPECT_GT(depth->Count(), 1000);
  EXPECT_EQ(window->Sheet().Argument(), laTime);
  ASSERT_NE(window->Sheet().FindTrack("TENSION"), nullptr);
  const int32_t rows = depth->Count();

  // The sheet holds the read-out now: a second one asks first, and No keeps it.
  answers->Yes = false;
  const size_t asked = answers->Asked.size();
  form->ReadData();
  ASSERT_EQ(answers->Asked.size(), asked + 1);
  EXPECT_NE(answers->Asked.back().find("Заменить их прочитанными?"), std::string::npos);
  EXPECT_EQ(window->Sheet().FindTrack("DEPTH")->Count(), rows);
  answers->Yes = true;

  // Pass-through: on and off again.
  form->PassThrough(true);
  EXPECT_TRUE(simulator->SurfaceRecorder().PassThrough());
  EXPECT_FALSE(form->Button("btData")->isEnabled());
  form->PassThrough(false);
  EXPECT_FALSE(simulator->SurfaceRecorder().PassThrough());

  QApplication::processEvents();
  Shot(*form, "surface_recorder_form.png");
  Shot(*window, "surface_recorder_readout.png");

  form->close();
  QApplication::processEvents();
  EXPECT_EQ(window->SurfaceForm(), nullptr);
  EXPECT_TRUE(KeepAlive());  // given back
}

TEST_F(SurfaceRecorderWindow, TheRecorderClosesWithTheRecorderWindowOpen) {
  window->Action("LoggerSelect")->trigger();
  ASSERT_NE(window->SurfaceForm(), nullptr);
  window->resize(1000, 640);
  // As the program quits: every window is asked to close, the tool windows too.
  QApplication::closeAllWindows();
  window.reset();
  QApplication::processEvents();
  EXPECT_EQ(settings.GetInt(MainFormPath(AppMode::amRecorder), "Width", 0), 1000);
}

// While a self-test runs (seconds of silence after the recorder's answer), the status
// says it is testing and the bar shows it is busy; the line's silence countdown of a
// data transfer ("Передача прервана...") would read like a failure.
TEST_F(SurfaceRecorderWindow, ASelfTestSaysItIsTestingUntilItEnds) {
  window->Action("LoggerSelect")->trigger();
  TSCMain* form = window->SurfaceForm();
  ASSERT_NE(form, nullptr);
  form->Standby();
  auto* bar = form->findChild<QProgressBar*>("pbData");
  ASSERT_NE(bar, nullptr);
  for (int run = 0; run < 2; ++run) {
    std::set<std::string> seen;
    bool busy = false;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      seen.insert(form->StatusText());
      busy = busy || bar->maximum() == 0;
    });
    probe.start();
    form->Test();
    probe.stop();
    EXPECT_TRUE(seen.count("Идёт тестирование...")) << run;
    for (const std::string& text : seen)
      EXPECT_EQ(text.find("Передача"), std::string::npos) << text;
    EXPECT_TRUE(busy) << run;
    EXPECT_EQ(form->StatusText(), "Тестирование завершено");
    EXPECT_EQ(form->StatusRow(3), "Работает");
    EXPECT_NE(bar->maximum(), 0);  // no longer busy
  }
}

TEST(TimeToDepthWindow, BuildsTheDepthLogOfTwoFiles) {
  testing::TempDir dir;
  // A surface log and a tool log of the same 4 minutes, written as LS files.
  LogDocument surface, tool;
  surface.Sheet().SetArgument(laTime);
  tool.Sheet().SetArgument(laTime);
  TLogTrack* d = surface.Sheet().NewTrack("DEPTH");
  d->SetStep(1000);
  TLogTrack* p = tool.Sheet().NewTrack("PRESSURE");
  p->SetStep(500);
  for (int i = 0; i <= 240; ++i) d->Append(static_cast<float>(i < 120 ? i : 240 - i));
  for (int i = 0; i < 480; ++i) {
    double t = i / 2.0;
    p->Append(static_cast<float>(0.1 + 0.01 * (t < 120 ? t : 240 - t)));
  }
  surface.Sheet().UpdateRange();
  tool.Sheet().UpdateRange();
  const std::string sp = dir.Path().string() + "/surface.ls", tp = dir.Path().string() + "/tool.ls";
  surface.SaveAs(sp, {});
  tool.SaveAs(tp, {});

  MemorySettings settings;
  testing::TempDir root;
  SeedRoot(test::DataRoot(), root.Path().string());
  AppEnvironment env(root.Path().string());
  testing::ScriptedQuestions answers(env, settings);
  TTimeToDepthWindow window(answers, {}, dir.Path().string());
  window.SetToolFile(tp);
  window.SetSurfaceFile(sp);
  window.SetStepCm(50);
  ASSERT_TRUE(window.Build()) << window.SummaryText();
  QProgressBar* progress = window.findChild<QProgressBar*>();
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->value(), 100);  // done, and it shows
  EXPECT_NE(window.SummaryText().find("Глубина: 0.00 – 119.50 м"), std::string::npos)
      << window.SummaryText();
  const TLogTrack* out = window.Result().FindTrack("PRESSURE");
  ASSERT_NE(out, nullptr);
  EXPECT_NEAR(out->Sample(120), 0.1 + 0.01 * 60, 0.002);
  window.show();
  QApplication::processEvents();
  window.grab().save(QString::fromStdString(std::string(KEST_APP_OUT_DIR) + "/time_to_depth.png"));

  answers.Texts.push_back(dir.Path().string() + "/depth.ls");
  EXPECT_EQ(window.Save(), dir.Path().string() + "/depth.ls");
  window.SetRun(CableRun::Up);
  window.SetSurfaceFile(tp);  // a tool log has no DEPTH: the message, nothing built
  EXPECT_FALSE(window.Build());
  EXPECT_EQ(progress->value(), 0);
  ASSERT_FALSE(answers.Errors.empty());
}

}  // namespace
}  // namespace kest
