// The recorder's core without a window: what its actions may do, ports with
// rollback, test signals and the research, all read from State() as the window
// reads it.
#include "app/core/recorder.h"

#include <gtest/gtest.h>

#include "app/core/app_environment.h"
#include "fake_clock.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/port_device.h"
#include "log/log_sheet.h"
#include "scripted_port.h"
#include "session/installation_folders.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "session/session_host.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

class RecorderCore : public ::testing::Test {
 protected:
  RecorderCore() {
    SeedRoot(test::DataRoot(), root.Path().string());
    env = std::make_unique<AppEnvironment>(root.Path().string());
    port.Register("SCRIPT-RECORDER");
    recorder =
        std::make_unique<Recorder>(host, clock, settings, env->Folders(), env->Classes(), ui);
    recorder->LoadSettings();
  }
  ~RecorderCore() override {
    recorder.reset();
    UnregisterPortName("SCRIPT-RECORDER");
  }

  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env;
  HeadlessHost host;
  testing::FakeClock clock{1000};
  MemorySettings settings;
  HeadlessSessionHost ui;
  testing::ScriptedPort port;
  std::unique_ptr<Recorder> recorder;
};

TEST_F(RecorderCore, BeforeThePortOpensOnlyWhatNeedsNoToolIsEnabled) {
  RecorderState s = recorder->State();
  EXPECT_EQ(s.PortText, "Nul (закрыт)");  // the logger starts on the null device, inactive
  EXPECT_FALSE(s.CanSelectTool);
  EXPECT_FALSE(s.CanPower);
  EXPECT_TRUE(s.CanStartRecording);
  EXPECT_FALSE(s.CanStop);
  EXPECT_FALSE(s.CanSave);  // nothing recorded
  EXPECT_EQ(s.PowerCaption, "Включить прибор");
  EXPECT_EQ(s.ResearchText, "Нет исследования");
  EXPECT_TRUE(s.CanStartResearch);
  EXPECT_FALSE(s.CanEndResearch);
  EXPECT_TRUE(s.DepthText.empty());

  recorder->Start("SCRIPT-RECORDER");
  s = recorder->State();
  EXPECT_EQ(s.PortText, "SCRIPT-RECORDER");
  EXPECT_TRUE(s.CanSelectTool);
  EXPECT_EQ(s.DepthText, "0.00 м");
  EXPECT_TRUE(ui.Warnings.empty());
}

TEST_F(RecorderCore, APortThatCannotBeOpenedFallsBackToTheOldOneWithAWarning) {
  recorder->Start("SCRIPT-RECORDER");
  const std::string missing = root.File("no-such-port");  // a device path that cannot be there
  EXPECT_FALSE(recorder->ChoosePort(missing));
  ASSERT_EQ(ui.Warnings.size(), 1u);
  EXPECT_EQ(ui.Warnings[0], "В системе отсутствует порт " + missing + " !");
  EXPECT_EQ(recorder->Logger().PortName(), "SCRIPT-RECORDER");
  EXPECT_TRUE(recorder->Logger().Active());

  // Started on a port that is not there: the warning, and the port shown closed.
  Recorder other(host, clock, settings, env->Folders(), env->Classes(), ui);
  other.Start(missing);
  EXPECT_EQ(ui.Warnings.size(), 2u);
  EXPECT_EQ(other.State().PortText, missing + " (закрыт)");
  EXPECT_FALSE(other.State().CanSelectTool);
}

TEST_F(RecorderCore, ATestSignalLocksTheToolActionsUntilItIsOff) {
  recorder->Start("SCRIPT-RECORDER");
  recorder->SetTestSignal(Recorder::TestSignal::Analog, true);
  RecorderState s = recorder->State();
  EXPECT_TRUE(s.AnalogOn);
  EXPECT_TRUE(s.CanAnalog);  // it can be switched off
  EXPECT_FALSE(s.CanImpuls);
  EXPECT_FALSE(s.CanSelectTool);
  EXPECT_FALSE(s.CanPower);
  EXPECT_EQ(recorder->Logger().ModuleCount(), 2);

  recorder->SetTestSignal(Recorder::TestSignal::Analog, false);
  s = recorder->State();
  EXPECT_FALSE(s.AnalogOn);
  EXPECT_TRUE(s.CanImpuls);
  EXPECT_TRUE(s.CanSelectTool);
  EXPECT_EQ(recorder->Logger().ModuleCount(), 1);
}

TEST_F(RecorderCore, RecordingLocksWhatWouldChangeTheRunAndStopUnlocksIt) {
  recorder->Start("SCRIPT-RECORDER");
  recorder->StartRecording(RecordingSession::rmTime);
  RecorderState s = recorder->State();
  EXPECT_TRUE(s.Recording);
  EXPECT_EQ(s.Mode, RecordingSession::rmTime);
  EXPECT_FALSE(s.CanStartRecording);
  EXPECT_TRUE(s.CanStop);
  EXPECT_TRUE(s.CanMarkPerforation);
  EXPECT_TRUE(s.CanSample);
  EXPECT_FALSE(s.CanSelectTool);
  EXPECT_FALSE(s.CanChoosePort);
  EXPECT_FALSE(s.CanSave);
  EXPECT_FALSE(s.CanCable);
  // The start action of the running mode stops without saving.
  recorder->StartRecording(RecordingSession::rmTime);
  s = recorder->State();
  EXPECT_FALSE(s.Recording);
  EXPECT_TRUE(s.CanChoosePort);
  EXPECT_TRUE(ui.Saved.empty());
}

// A recorder killed while a research is open (no clean exit, no settings saved on
// the way out) opens that research again at the next start.
TEST_F(RecorderCore, AResearchStartedIsOpenAgainAfterTheRecorderDied) {
  recorder->StartResearch("Скважина 9", {});
  recorder.reset();  // what the next start sees of the settings is all that was written
  recorder = std::make_unique<Recorder>(host, clock, settings, env->Folders(), env->Classes(), ui);
  ASSERT_TRUE(recorder->LoadSettings());
  EXPECT_EQ(recorder->State().ResearchText, "Скважина 9");
  recorder->EndResearch();
  recorder = std::make_unique<Recorder>(host, clock, settings, env->Folders(), env->Classes(), ui);
  recorder->LoadSettings();
  EXPECT_EQ(recorder->State().ResearchText, "Нет исследования");
}

TEST_F(RecorderCore, AResearchIsOpenedAndEndedThroughTheRecorder) {
  recorder->Sheet().Params().Add("Месторождение=Прежнее");
  recorder->StartResearch("Скважина 7", StringList{"Месторождение=Северное"});
  RecorderState s = recorder->State();
  EXPECT_EQ(s.ResearchText, "Скважина 7");
  EXPECT_FALSE(s.CanStartResearch);
  EXPECT_TRUE(s.CanEndResearch);
  EXPECT_EQ(recorder->Sheet().Params().Count(), 0);  // the last research's lines go
  EXPECT_TRUE(std::filesystem::is_directory(env->Folders().ResearchBase + "/Скважина 7"));
  recorder->EndResearch();
  EXPECT_EQ(recorder->State().ResearchText, "Нет исследования");
}

}  // namespace
}  // namespace kest
