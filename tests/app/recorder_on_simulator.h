#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "app/core/app_environment.h"
#include "app/core/tool_selection.h"
#include "app/recorder/recorder_form.h"
#include "scripted_questions.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/settings.h"
#include "temp_dir.h"

namespace kest::testing {

// The recorder window of a fresh installation on the simulator behind "SIM" and a
// fake clock, the user's questions scripted. `main` is the tool string chosen last,
// the one "Выбрать прибор" proposes.
class RecorderOnSimulator : public ::testing::Test {
 protected:
  RecorderOnSimulator(const char* main, const sim::SimSettings& s = {}) {
    SeedRoot(std::string(KEST_SOURCE) + "/data", root.Path().string());
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
