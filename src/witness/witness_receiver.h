#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "witness/witness_run.h"
#include "witness/witness_settings.h"

namespace kest {

class MqttClient;

// Watches one run of a unit on the broker: subscribes to the unit's run list, picks
// the run (by name, or the newest listed for "latest"), and rebuilds it in a
// WitnessRun from its retained header and history and its live rows. Drives the
// network on the caller's thread (Poll); a lost broker is tried again with back-off.
class WitnessReceiver {
 public:
  using NoticeFn = std::function<void(const std::string&)>;

  WitnessReceiver(const WitnessSettings& settings, std::string run, NoticeFn notice = {});
  ~WitnessReceiver();
  WitnessReceiver(const WitnessReceiver&) = delete;
  WitnessReceiver& operator=(const WitnessReceiver&) = delete;

  // Connects and waits for the broker's answer; raises EWitnessError when it
  // refuses (a wrong password) or cannot be reached within `timeout_ms`.
  void Connect(int64_t timeout_ms);
  // Network work for up to `timeout_ms`.
  void Poll(int timeout_ms);
  // Polls until the run is complete or `deadline_ms` (steady clock) passes.
  bool WaitComplete(int64_t deadline_ms);

  const std::string& RunName() const { return run_; }
  const WitnessRun& Run() const { return *witness_; }
  bool Connected() const { return connected_; }

  static int64_t SteadyNowMs();

 private:
  void OnConnected(int rc);
  void OnMessage(const std::string& topic, std::string_view payload, bool retained);
  void Choose(const std::string& run);
  void Notice(const std::string& text);

  WitnessSettings settings_;
  std::string run_;  // empty until chosen
  bool latest_ = false;
  NoticeFn notice_;
  std::unique_ptr<WitnessRun> witness_;
  std::unique_ptr<MqttClient> client_;
  bool socket_ = false;     // TCP connected (the broker may not have answered yet)
  bool connected_ = false;  // the broker took us
  int refused_ = -1;        // the broker's answer to the last connect, -1 none yet
  int64_t next_retry_ = 0;
  int retry_delay_ms_ = 500;
};

}  // namespace kest
