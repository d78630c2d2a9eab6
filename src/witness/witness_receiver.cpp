#include "witness/witness_receiver.h"

#include <chrono>
#include <thread>

#include "support/number_text.h"
#include "witness/mqtt_client.h"
#include "witness/witness_errors.h"

namespace kest {

namespace {
constexpr int kMaxRetryDelayMs = 8000;
}

int64_t WitnessReceiver::SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

WitnessReceiver::WitnessReceiver(const WitnessSettings& settings, std::string run, NoticeFn notice)
    : settings_(settings), notice_(std::move(notice)) {
  if (std::string problem = SettingsProblem(settings_); !problem.empty())
    throw EWitnessError(problem);
  latest_ = run.empty() || run == "latest";
  if (!latest_) {
    if (std::string problem = UnitNameProblem(run); !problem.empty())
      throw EWitnessError("Имя записи: " + problem);
    run_ = run;
  }
  witness_ = std::make_unique<WitnessRun>([this](const std::string& text) { Notice(text); });
  MqttClient::Callbacks callbacks;
  callbacks.connected = [this](int rc) { OnConnected(rc); };
  callbacks.disconnected = [this] { connected_ = false; };
  callbacks.message = [this](const std::string& topic, std::string_view payload, bool retained) {
    OnMessage(topic, payload, retained);
  };
  client_ = std::make_unique<MqttClient>(settings_, std::move(callbacks));
}

WitnessReceiver::~WitnessReceiver() = default;

void WitnessReceiver::Notice(const std::string& text) {
  if (notice_) notice_(text);
}

void WitnessReceiver::Connect(int64_t timeout_ms) {
  const int64_t deadline = SteadyNowMs() + timeout_ms;
  refused_ = -1;
  std::string error;
  while ((error = client_->Connect()).size() && SteadyNowMs() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  socket_ = error.empty();
  if (!error.empty())
    throw EWitnessError("Брокер " + settings_.host + ":" + std::to_string(settings_.port) +
                        " недоступен: " + error);
  while (refused_ < 0 && SteadyNowMs() < deadline) {
    if (!client_->Loop(100)) {
      socket_ = false;
      break;
    }
  }
  if (refused_ > 0) throw EWitnessError(MqttClient::ConnackText(refused_));
  if (!connected_) throw EWitnessError("Брокер не ответил на подключение");
}

void WitnessReceiver::OnConnected(int rc) {
  refused_ = rc;
  if (rc != 0) return;
  connected_ = true;
  retry_delay_ms_ = 500;
  client_->Subscribe(UnitTopic(settings_.unit) + "runs", 1);
  if (!run_.empty()) client_->Subscribe(RunTopic(settings_.unit, run_) + "#", 1);
}

void WitnessReceiver::Choose(const std::string& run) {
  run_ = run;
  client_->Subscribe(RunTopic(settings_.unit, run_) + "#", 1);
}

void WitnessReceiver::OnMessage(const std::string& topic, std::string_view payload, bool retained) {
  if (payload.size() > kMaxWitnessMessage) {
    Notice(topic + ": ignored, larger than 1 MB");
    return;
  }
  const std::string unit = UnitTopic(settings_.unit);
  if (topic == unit + "runs") {
    if (payload.empty() || !run_.empty()) return;
    std::string why;
    auto runs = ParseRuns(payload, &why);
    if (!runs) {
      Notice(topic + ": ignored, " + why);
      return;
    }
    if (latest_ && !runs->runs.empty()) Choose(runs->runs.back().run);
    return;
  }
  if (run_.empty()) return;
  const std::string prefix = RunTopic(settings_.unit, run_);
  if (topic.compare(0, prefix.size(), prefix) != 0) return;
  const std::string rest = topic.substr(prefix.size());
  if (rest == "header") {
    witness_->OnHeader(payload);
  } else if (rest == "rows") {
    witness_->OnRows(payload);
  } else if (rest == "end") {
    witness_->OnEnd(payload);
  } else if (rest.compare(0, 8, "history/") == 0) {
    auto chunk = ParseInt64(rest.substr(8));
    if (!chunk || rest.size() > 8 + 12) {
      Notice(topic + ": ignored, not a history chunk");
      return;
    }
    witness_->OnHistory(*chunk, payload, retained);
  }
}

void WitnessReceiver::Poll(int timeout_ms) {
  const int64_t now = SteadyNowMs();
  if (!socket_) {
    if (now < next_retry_) {
      std::this_thread::sleep_for(
          std::chrono::milliseconds(std::min<int64_t>(timeout_ms, next_retry_ - now)));
      return;
    }
    socket_ = client_->Reconnect().empty();
    next_retry_ = now + retry_delay_ms_;
    retry_delay_ms_ = std::min(retry_delay_ms_ * 2, kMaxRetryDelayMs);
    if (!socket_) return;
  }
  if (!client_->Loop(timeout_ms)) socket_ = connected_ = false;
}

bool WitnessReceiver::WaitComplete(int64_t deadline_ms) {
  while (!witness_->Complete()) {
    const int64_t left = deadline_ms - SteadyNowMs();
    if (left <= 0) return false;
    Poll(static_cast<int>(std::min<int64_t>(left, 100)));
  }
  return true;
}

}  // namespace kest
