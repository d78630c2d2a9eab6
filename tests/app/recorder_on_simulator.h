#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QWidget>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "app/core/app_environment.h"
#include "app/core/tool_selection.h"
#include "app/recorder/recorder_form.h"
#include "link/logger.h"
#include "link/logger_sensor.h"
#include "scripted_questions.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest::testing {

// Lets `ms` of fake time pass in 25 ms steps; each step is done when the logger's tick
// for it has been dispatched on this thread (at most 10 s of real time), then the
// window's idle work runs.
inline void RunRecorder(TRecorderForm& window, SteppedClock& clock, int ms) {
  for (int t = 0; t < ms; t += 25) {
    TLoggerSensor* timer = window.Logger().TimerSensor();
    const int32_t tick = timer ? timer->Value : 0;
    clock.Advance(25);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (timer && window.Logger().Active() && timer->Value == tick &&
             std::chrono::steady_clock::now() < give_up);
    window.Idle();
  }
}

// The recorder window of a fresh installation on the simulator behind "SIM" and a
// fake clock, the user's questions scripted. `main` is the tool string chosen last,
// the one "Выбрать прибор" proposes.
class RecorderOnSimulator : public ::testing::Test {
 protected:
  RecorderOnSimulator(const char* main, const sim::SimSettings& s = {}) {
    SeedRoot(test::DataRoot(), root.Path().string());
    env = std::make_unique<AppEnvironment>(root.Path().string());
    ToolSelection::Memory chosen;
    chosen.Manual = {main, "", "", ""};
    ToolSelection::Save(settings, "LogRecorder", chosen);
    simulator = std::make_shared<sim::ToolSimulator>(env->Classes(), s, clock);
    sim::RegisterSimPort(simulator);
    answers = std::make_unique<ScriptedQuestions>(*env, settings);
    window = std::make_unique<TRecorderForm>(*env, settings, clock, *answers, simulator);
    window->resize(1100, 700);
    window->show();
    window->DeferredStart("");
  }
  ~RecorderOnSimulator() override {
    window.reset();
    UnregisterPortName("SIM");
  }
  // The logger's ticks of `ms` of fake time, each dispatched on this thread, then the
  // window's idle work.
  void Run(int ms) { RunRecorder(*window, clock, ms); }
  // "dd.mm.yy-hh:mm" of the local time `minutes` from now: the window sets the tool's
  // clock from the local time.
  static std::string LocalIn(int minutes) {
    std::time_t t = std::time(nullptr) + minutes * 60;
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%y-%H:%M", &tm);
    return buf;
  }
  static void Shot(QWidget& w, const char* name) {
    QApplication::processEvents();
    w.grab().save(QString::fromStdString(std::string(KEST_APP_OUT_DIR) + "/" + name));
  }

  TempDir root;
  std::unique_ptr<AppEnvironment> env;
  SteppedClock clock{100000};
  MemorySettings settings;
  std::unique_ptr<ScriptedQuestions> answers;
  std::shared_ptr<sim::ToolSimulator> simulator;
  std::unique_ptr<TRecorderForm> window;
};

}  // namespace kest::testing
