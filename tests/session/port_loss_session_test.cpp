// A recording whose port device goes away (an unplugged adapter) and comes back:
// the rows taken before stay in the sheet and the crash file, the recording takes
// no rows from the missing tool, and it goes on in the same sheet once the device
// is back, or saves as usual when stopped meanwhile.
#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "scripted_port.h"
#include "session_fixture.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"

namespace kest {
namespace {

class SessionPortLoss : public ::testing::Test, public testing::SessionFixture {
 protected:
  SessionPortLoss() {
    Diag().Open(dir.File("kest.log"), "kest");
    line.Register("SCRIPT-SESSION-LOSS");
    logger->SetPortName("SCRIPT-SESSION-LOSS");
    logger->SetDepthStep(0.01, 100);
  }
  ~SessionPortLoss() override {
    session.reset();
    logger.reset();
    UnregisterPortName("SCRIPT-SESSION-LOSS");
    Diag().Close();
  }

  void Tick() {
    clock.Advance(25);
    host.WaitAndProcess(2);
    while (host.WaitAndProcess(0)) {
    }
    session->Idle();
  }
  // The winch lowers the tool by `steps` centimetres (counts up on ID 17).
  void Lower(int steps) {
    for (int i = 0; i < steps; ++i) line.Send({17, 0, 0, 0, 0, 0xEF});
  }
  int Rows() { return Track("DEPTH")->Count(); }
  void RunUntilRows(int rows) {
    for (int i = 0; i < 400 && Rows() < rows; ++i) Tick();
    ASSERT_EQ(Rows(), rows);
  }
  void RunUntilLost(bool lost) {
    for (int i = 0; i < 400 && logger->PortDriver().Lost() != lost; ++i) Tick();
    ASSERT_EQ(logger->PortDriver().Lost(), lost);
  }
  std::string LogText() {
    auto bytes = ReadWholeFile(dir.File("kest.log"));
    return std::string(bytes.begin(), bytes.end());
  }

  testing::ScriptedPort line;
};

TEST_F(SessionPortLoss, RowsAreKeptWhileTheDeviceIsGoneAndTheRecordingGoesOnWhenItIsBack) {
  session->SetAutoSaveInterval(500);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  Lower(5);
  RunUntilRows(5);
  for (int i = 0; i < 40; ++i) Tick();  // an auto-save
  ASSERT_TRUE(FileExists(session->CrashFile()));
  auto crash_before = ReadWholeFile(session->CrashFile());
  std::vector<float> depths_before;
  for (int i = 0; i < 5; ++i) depths_before.push_back(Track("DEPTH")->Sample(i));

  line.Vanish(EIO);
  RunUntilLost(true);
  for (int i = 0; i < 200; ++i) Tick();  // five seconds without the tool
  EXPECT_TRUE(session->Recording());
  EXPECT_EQ(Rows(), 5);
  EXPECT_EQ(ReadWholeFile(session->CrashFile()), crash_before);

  line.Return();
  RunUntilLost(false);
  Lower(5);
  RunUntilRows(10);
  TLogTrack* depth = Track("DEPTH");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(depth->Sample(i), depths_before[static_cast<size_t>(i)]);
  EXPECT_NEAR(depth->Sample(9), 100.10, 1e-4);  // the counts go on from where they were

  std::string log = LogText();
  size_t lost = log.find("Port SCRIPT-SESSION-LOSS lost: Input/output error");
  ASSERT_NE(lost, std::string::npos) << log;
  EXPECT_EQ(log.find("Port SCRIPT-SESSION-LOSS lost", lost + 1), std::string::npos) << log;
  EXPECT_NE(log.find("Port SCRIPT-SESSION-LOSS reopened"), std::string::npos) << log;
}

TEST_F(SessionPortLoss, StoppingWhileTheDeviceIsGoneSavesTheRows) {
  session->SetRecordMode(RecordingSession::rmDepthDown);
  Lower(7);
  RunUntilRows(7);
  line.Vanish(ENODEV);
  RunUntilLost(true);
  std::string path = session->Stop();
  ASSERT_FALSE(path.empty());
  session->WaitForSaves();
  EXPECT_EQ(ui.Saved, std::vector<std::string>{path});
  TLogSheet saved;
  saved.LoadFromFile(path, "LS");
  ASSERT_NE(saved.FindTrack("DEPTH"), nullptr);
  EXPECT_EQ(saved.FindTrack("DEPTH")->Count(), 7);
  EXPECT_NEAR(saved.FindTrack("DEPTH")->Sample(6), 100.07, 1e-4);
}

}  // namespace
}  // namespace kest
