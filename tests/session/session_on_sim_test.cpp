#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "link/logger_channel.h"
#include "link/logger_sensor.h"
#include "session_fixture.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "support/stream.h"

namespace kest {
namespace {

// The session recording from the simulated tool string under a stepped clock: the
// winch moves, the tool answers, and the test lets fake time pass 25 ms at a time.
class SessionOnSim : public ::testing::Test, public testing::SessionFixture {
 protected:
  void Connect(double depth_m, double speed_m_per_h) {
    sim::SimSettings s;
    s.winch.start_depth_m = depth_m;
    s.winch.wheel_error = 0;
    s.count_noise = false;  // rows are checked against the formation itself
    simulator = std::make_shared<sim::ToolSimulator>(classes, s, clock);
    sim::RegisterSimPort(simulator);
    logger->SetPortName("SIM");
    logger->SetDepthStep(0.01, depth_m);
    logger->Initialize(true);
    simulator->SetSpeed(speed_m_per_h);
  }
  ~SessionOnSim() override {
    session.reset();
    logger.reset();
    UnregisterPortName("SIM");
  }
  void Run(int ms) {
    for (int t = 0; t < ms; t += 25) Tick();
  }
  // Runs until `done` holds (at most `limit_ms` of fake time).
  template <typename Pred>
  void RunUntil(Pred done, int limit_ms) {
    for (int t = 0; t < limit_ms && !done(); t += 25) Tick();
    ASSERT_TRUE(done()) << "the recording did not get there in time";
  }

  // Rows whose value lies off the formation model by more than `tolerance` at
  // every depth within 0.2 m of the row (the tool reports every 100 ms).
  template <typename Model>
  int Misfits(TLogTrack* track, Model model, double relative, double absolute) {
    int misfits = 0;
    for (int i = 0; i < track->Count(); ++i) {
      double z = track->ArgumentOf(i) / 1000.0;
      bool fits = false;
      for (double dz = -0.2; dz <= 0.2 + 1e-9 && !fits; dz += 0.05) {
        double m = model(simulator->Formation().At(z + dz));
        fits = std::fabs(track->Sample(i) - m) <= relative * std::fabs(m) + absolute;
      }
      misfits += !fits;
    }
    return misfits;
  }
  void ExpectMatchesTheFormation() {
    TLogTrack* depth = Track("DEPTH");
    for (int i = 0; i < depth->Count(); ++i)
      ASSERT_NEAR(depth->Sample(i), depth->ArgumentOf(i) / 1000.0, 0.06) << "row " << i;
    EXPECT_LE(Misfits(
                  Track("GK"), [](const sim::FormationReading& r) { return r.gamma; }, 0.15, 0.3),
              10);
    EXPECT_LE(
        Misfits(
            Track("TEMP"), [](const sim::FormationReading& r) { return r.temperature; }, 0, 0.05),
        10);
  }

  std::shared_ptr<sim::ToolSimulator> simulator;
};

TEST_F(SessionOnSim, ADepthLogDownAndUpOverOneHundredMetres) {
  session->RecordStep = 100;
  Connect(999.9, 0);
  Run(100);
  auto started = std::chrono::steady_clock::now();
  session->SetRecordMode(RecordingSession::rmDepthDown);
  simulator->SetSpeed(3600);
  RunUntil([&] { return session->LastDepth() >= 1100000; }, 200000);
  session->Stop();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  RecordProperty("real_seconds_per_100m", std::to_string(seconds));

  TLogTrack* depth = Track("DEPTH");
  ASSERT_EQ(depth->Count(), 1001);
  EXPECT_EQ(depth->Origin(), 1000000);
  EXPECT_EQ(depth->End(), 1100000);
  ExpectMatchesTheFormation();
  for (int i = 0; i < session->Sheet().Count(); ++i)
    EXPECT_EQ(session->Sheet().Tracks(i)->Count(), 1001);

  // The same interval upwards.
  simulator->SetSpeed(0);
  Run(200);
  simulator->SetTrueDepth(1100.1);
  Run(200);
  logger->SetDepth(simulator->TrueDepth());
  Run(200);
  simulator->SetSpeed(-3600);
  session->SetRecordMode(RecordingSession::rmDepthUp);
  EXPECT_EQ(session->LastDepth(), 1100100);
  RunUntil([&] { return session->LastDepth() <= 1000000; }, 200000);
  session->Stop();
  ASSERT_EQ(depth->Count(), 1001) << depth->Origin() << " " << depth->End();
  EXPECT_EQ(depth->Origin(), 1000000);
  EXPECT_EQ(depth->End(), 1100000);
  ExpectMatchesTheFormation();
  session->WaitForSaves();
  EXPECT_EQ(ui.Saved.size(), 2u);
}

TEST_F(SessionOnSim, ReversingTheWinchRecordsTheStretchAgain) {
  session->RecordStep = 100;
  Connect(999.9, 0);
  Run(100);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  simulator->SetSpeed(3600);
  RunUntil([&] { return session->LastDepth() >= 1030000; }, 60000);
  EXPECT_EQ(Track("DEPTH")->Count(), 301);
  simulator->SetSpeed(-3600);
  RunUntil([&] { return session->LastDepth() <= 1020000; }, 60000);
  EXPECT_EQ(Track("DEPTH")->Count(), 201);
  simulator->SetSpeed(3600);
  RunUntil([&] { return session->LastDepth() >= 1040000; }, 60000);
  session->SetRecordMode(RecordingSession::rmStop);

  TLogTrack* depth = Track("DEPTH");
  TLogTrack* time = Track("TIME");
  ASSERT_EQ(depth->Count(), 401);
  EXPECT_EQ(depth->ArgumentOf(0), 1000000);
  // Rows below the turning point come from the second pass: time only grows
  // along the log, and each row was taken at its own depth.
  for (int i = 1; i < time->Count(); ++i)
    ASSERT_GT(time->Sample(i), time->Sample(i - 1)) << "row " << i;
  EXPECT_GT(time->Sample(201) - time->Sample(199), 15.0);  // the way up and down again
  ExpectMatchesTheFormation();
}

TEST_F(SessionOnSim, ATimeLogRecordsAtItsPeriod) {
  Connect(1500, 0);
  session->SetTimeDelay(1);
  Run(1000);
  session->SetRecordMode(RecordingSession::rmTime);
  Run(10000);
  session->Stop();
  TLogTrack* time = Track("TIME");
  EXPECT_EQ(session->Sheet().Argument(), laTime);
  EXPECT_EQ(time->Step(), 1000);
  EXPECT_NEAR(time->Count(), 10, 1);
  for (int i = 1; i < time->Count(); ++i)
    EXPECT_NEAR(time->Sample(i) - time->Sample(i - 1), 1.0, 0.03);
  EXPECT_EQ(ui.Asked.back(), "Регистратор: Описание файла");
  session->WaitForSaves();
  TLogSheet saved;
  saved.LoadFromFile(research->ResearchDir() + "001.ls", "LS");
  EXPECT_EQ(saved.Comments().Value("Условия замера"),
            "Регистрация на точке (" + std::to_string(time->Count() - 1) + ")");
}

TEST_F(SessionOnSim, AutoSaveKeepsEveryRowForRecovery) {
  for (double speed : {3600.0, -3600.0}) {
    SCOPED_TRACE(speed > 0 ? "down" : "up");
    session->RecordStep = 100;
    Connect(1000, speed);
    Run(100);
    session->SetAutoSaveInterval(5000);
    session->SetRecordMode(speed > 0 ? RecordingSession::rmDepthDown : RecordingSession::rmDepthUp);
    Run(31000);
    // What a crash leaves: the rows up to the last auto-save.
    TLogSheet& live = session->Sheet();
    TLogTrack* gk = Track("GK");
    int rows = gk->Count();
    EXPECT_GE(rows, 300);

    HeadlessSessionHost ui2;
    Research research2(dir.File("Research"), testing::FixedNow);
    RecordingSession next(*logger, research2, ui2, clock, dir.File("crash.tmp"), testing::FixedNow);
    ASSERT_TRUE(next.OfferCrashRecovery());
    EXPECT_EQ(ui2.Asked.back(),
              "Внимание !: Возможно предыдущая регистрация завершилась некорректно.\r\n"
              "Попытаться восстановить данные ?");
    TLogTrack* back = next.Sheet().FindTrack("GK");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Step(), 100);
    // Auto-saves at 5, 10 ... 30 s: the last one held all rows of the first 30 s.
    EXPECT_GE(back->Count(), rows - 20);
    EXPECT_LE(back->Count(), rows);
    int offset = (back->Origin() - live.Start()) / 100;
    ASSERT_GE(offset, 0);
    for (int k = 0; k < back->Count(); ++k) {
      int i = offset + k;
      ASSERT_LT(i, rows);
      ASSERT_EQ(back->Sample(k), gk->Sample(i)) << "row " << k;
      ASSERT_EQ(back->ArgumentOf(k), gk->ArgumentOf(i));
    }
    session->SetRecordMode(RecordingSession::rmStop);
    ui2.Yes = false;
    EXPECT_FALSE(next.OfferCrashRecovery());  // No deletes the file
    EXPECT_FALSE(FileExists(dir.File("crash.tmp")));
    logger->SetActive(false);
    UnregisterPortName("SIM");
  }
}

}  // namespace
}  // namespace kest
