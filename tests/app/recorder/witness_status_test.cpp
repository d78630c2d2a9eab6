// The recorder window publishing its run: the status bar tells whether the broker
// is there and how many rows wait for it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <chrono>
#include <thread>

#include "app/core/recorder.h"
#include "recorder_on_simulator.h"
#include "session/recording_session.h"
#include "witness/broker.h"
#include "witness/witness_settings.h"

namespace kest {
namespace {

class RecorderWitness : public testing::RecorderOnSimulator {
 protected:
  RecorderWitness() : RecorderOnSimulator("Телеметрия") {}
  // Runs fake time until the indicator reads `text` (at most 10 s of real time).
  bool WaitForStatus(const std::string& text) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      Run(100);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const QLabel* label = window->WitnessStatusLabel();
      if (label && !label->isHidden() && label->text().toStdString().rfind(text, 0) == 0)
        return true;
    }
    return false;
  }
};

TEST_F(RecorderWitness, TheStatusBarShowsTheBrokerAndTheRowsWaiting) {
  if (!testing::Broker::Available()) GTEST_SKIP() << "mosquitto is not installed";
  testing::Broker broker;
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  ASSERT_TRUE(window->WitnessStatusLabel()->isHidden());  // off until it is set
  window->Core().SetWitness(ParseWitnessUrl(broker.UnitUrl()));
  ASSERT_TRUE(WaitForStatus("Трансляция: на связи"))
      << window->WitnessStatusLabel()->text().toStdString();
  broker.Kill();
  window->Core().StartRecording(RecordingSession::rmTime);
  ASSERT_TRUE(WaitForStatus("Трансляция: нет связи, в очереди "))
      << window->WitnessStatusLabel()->text().toStdString();
  Shot(*window, "recorder_witness.png");
  window->Core().StartRecording(RecordingSession::rmTime);  // stops without saving
  window->Core().SetWitness({});
  Run(100);
  EXPECT_TRUE(window->WitnessStatusLabel()->isHidden());
}

}  // namespace
}  // namespace kest
