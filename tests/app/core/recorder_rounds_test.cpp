// The recorder's core (what the window and `kest-tool record` share) round after
// round on the simulator and a fake clock, without a window: each tool string in
// turn, powered, recorded by time, stopped and saved into the research. The logger's
// receive thread, the session's save thread and the main thread meet on every round.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/app_environment.h"
#include "app/core/recorder.h"
#include "app/core/tool_selection.h"
#include "app/core/tool_string.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_sensor.h"
#include "link/port_device.h"
#include "live_heap.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "session/installation_folders.h"
#include "session/recording_session.h"
#include "session/session_host.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

int Rounds() {
  const char* text = std::getenv("KEST_RELIABILITY_ROUNDS");
  const int n = text ? std::atoi(text) : 0;
  return n >= 3 ? n : 3;
}

class RecorderCoreRounds : public ::testing::Test {
 protected:
  RecorderCoreRounds() {
    SeedRoot(test::DataRoot(), root.Path().string());
    env = std::make_unique<AppEnvironment>(root.Path().string());
    simulator = std::make_shared<sim::ToolSimulator>(env->Classes(), sim::SimSettings{}, clock);
    sim::RegisterSimPort(simulator);
    recorder =
        std::make_unique<Recorder>(host, clock, settings, env->Folders(), env->Classes(), ui);
    recorder->LoadSettings();
    recorder->Start("SIM");
    ui.Yes = true;
  }
  ~RecorderCoreRounds() override {
    recorder.reset();
    UnregisterPortName("SIM");
  }

  // `ms` of fake time in the logger's 25 ms steps, each done when the logger's tick
  // for it has been handled here, as the window's event loop would.
  void Run(int ms) {
    for (int t = 0; t < ms; t += 25) {
      TLoggerSensor* timer = recorder->Logger().TimerSensor();
      const int32_t tick = timer ? timer->Value : 0;
      clock.Advance(25);
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      do {
        host.WaitAndProcess(1);
      } while (timer && recorder->Logger().Active() && timer->Value == tick &&
               std::chrono::steady_clock::now() < give_up);
      recorder->Idle();
    }
  }

  void Load(const char* main) {
    ToolSelection rules(env->Classes(), env->Defs());
    ToolString chosen = rules.Effective(ToolString::Shipped());
    if (*main) chosen = rules.Effective(ToolString{main, "", "", ""});
    LoadToolString(recorder->Logger(), env->Classes(), env->Defs(), chosen);
    recorder->ToolStringChanged();
  }

  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env;
  testing::SteppedClock clock{100000};
  HeadlessHost host;
  MemorySettings settings;
  HeadlessSessionHost ui;
  std::shared_ptr<sim::ToolSimulator> simulator;
  std::unique_ptr<Recorder> recorder;
};

// Every round records and saves as the first did, and the heap after the last round
// is where it was after the second (the first fills what lives as long as the
// program). The tolerance, 16 KiB, covers what rightly grows: the research lists
// each file saved (some hundred bytes a round). A sheet, a tool string or a save
// thread kept per round is larger.
TEST_F(RecorderCoreRounds, ToolStringsRecordAndSaveRoundAfterRound) {
  std::vector<size_t> heap;
  const int rounds = Rounds();
  for (int round = 1; round <= rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    for (const char* main : {"Автономный", "Наземный"}) {
      Load(main);
      EXPECT_TRUE(recorder->State().CanSelectTool) << main;
    }
    Load("");
    ASSERT_GT(recorder->Sheet().Count(), 3);
    recorder->SetPower(true);
    ASSERT_TRUE(recorder->Logger().Initialized());
    Run(500);
    recorder->StartRecording(RecordingSession::rmTime);
    ASSERT_TRUE(recorder->State().Recording);
    Run(3000);
    const int32_t rows = recorder->Sheet().Tracks(0)->Count();
    EXPECT_GT(rows, 2);
    const std::string path = recorder->Stop();
    recorder->WaitForSaves();
    EXPECT_FALSE(recorder->State().Recording);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::exists(path)) << path;
    recorder->SetPower(false);
    Run(100);
    EXPECT_TRUE(ui.Failed.empty());
    ui.Saved.clear();
    ui.Texts.clear();
    heap.push_back(testing::LiveHeapBytes());
  }
  const long long grown = static_cast<long long>(heap.back()) - static_cast<long long>(heap[1]);
  std::string figures;
  for (size_t b : heap) figures += " " + std::to_string(b);
  RecordProperty("live_heap_per_round", figures);
  EXPECT_LT(grown, 16 * 1024) << "from " << heap[1] << " to " << heap.back() << " bytes";
}

}  // namespace
}  // namespace kest
