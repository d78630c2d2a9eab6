// The recording session on the simulated tool publishing through a real broker: a
// run that goes down, back up over two history chunks and down again reaches the
// viewers as the sheet the session keeps, offsets and all.
#include <gtest/gtest.h>

#include "broker.h"
#include "log/log_sheet.h"
#include "session/session_fixture.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "witness/witness_publisher.h"
#include "witness/witness_receiver.h"
#include "witness/witness_recording.h"

namespace kest {
namespace {

class WitnessSession : public ::testing::Test, public testing::SessionFixture {
 protected:
  ~WitnessSession() override {
    session.reset();
    logger.reset();
    UnregisterPortName("SIM");
  }
  std::shared_ptr<sim::ToolSimulator> simulator;
};

void ExpectSameSheet(const TLogSheet& want, const TLogSheet& got) {
  ASSERT_EQ(got.Count(), want.Count());
  for (int t = 0; t < want.Count(); ++t) {
    const TLogTrack& a = *want.Tracks(t);
    const TLogTrack& b = *got.Tracks(t);
    ASSERT_EQ(b.Parameter(), a.Parameter());
    ASSERT_EQ(b.Origin(), a.Origin()) << a.Parameter();
    ASSERT_EQ(b.Step(), a.Step()) << a.Parameter();
    ASSERT_EQ(b.Count(), a.Count()) << a.Parameter();
    for (int i = 0; i < a.Count(); ++i)
      ASSERT_EQ(b.Sample(i), a.Sample(i)) << a.Parameter() << " row " << i;
  }
}

TEST_F(WitnessSession, RowsWithdrawnGoingBackLeaveTheViewersToo) {
  if (!testing::Broker::Available()) GTEST_SKIP() << "mosquitto is not installed";
  testing::Broker broker;
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  WitnessPublisherOptions options;
  options.rows_interval_ms = 50;
  options.open_chunk_interval_ms = 200;
  WitnessPublisher publisher(ParseWitnessUrl(broker.UnitUrl()), options);
  WitnessRecording listener(publisher);
  session->SetListener(&listener);

  sim::SimSettings s;
  s.winch.start_depth_m = 999.99;
  simulator = std::make_shared<sim::ToolSimulator>(classes, s, clock);
  sim::RegisterSimPort(simulator);
  logger->SetPortName("SIM");
  logger->SetDepthStep(0.01, 999.99);
  logger->Initialize(true);
  session->BuildRecordingTracks();
  session->RecordStep = 10;
  for (int t = 0; t < 4; ++t) Tick();

  WitnessReceiver first(ParseWitnessUrl(broker.ViewerUrl()), "latest");
  first.Connect(5000);
  auto run_to = [&](double speed, auto done) {
    simulator->SetSpeed(speed);
    for (int t = 0; t < 8000 && !done(); ++t) {
      Tick();
      first.Poll(0);
    }
    ASSERT_TRUE(done());
  };
  session->SetRecordMode(RecordingSession::rmDepthDown);
  run_to(3600, [&] { return session->LastDepth() >= 1025000; });
  run_to(-3600, [&] { return session->LastDepth() <= 1008000; });
  ASSERT_LT(Track("DEPTH")->Count(), 1000);  // two chunks withdrawn, one of them whole
  ASSERT_TRUE(publisher.Flush(10000));
  WitnessReceiver late(ParseWitnessUrl(broker.ViewerUrl()), "latest");
  late.Connect(5000);
  run_to(3600, [&] { return session->LastDepth() >= 1032000; });
  session->SetRecordMode(RecordingSession::rmStop);
  ASSERT_TRUE(publisher.Flush(10000));
  session->SetListener(nullptr);

  for (WitnessReceiver* viewer : {&first, &late}) {
    ASSERT_TRUE(viewer->WaitComplete(WitnessReceiver::SteadyNowMs() + 10000))
        << viewer->Run().Rows().size() << " rows";
    TLogSheet seen;
    viewer->Run().BuildSheet(seen);
    ExpectSameSheet(session->Sheet(), seen);
  }
  EXPECT_GT(Track("DEPTH")->Count(), 3000);
}

}  // namespace
}  // namespace kest
