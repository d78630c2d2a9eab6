#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "witness/witness_settings.h"

struct mosquitto;

namespace kest {

// One connection to an MQTT broker through libmosquitto: the settings applied
// (user, password, TLS), callbacks as std::function, run inside Loop on the thread
// of the owner, which alone uses the client.
class MqttClient {
 public:
  struct Callbacks {
    std::function<void(int rc)> connected;  // rc 0: accepted, else the broker's refusal
    std::function<void()> disconnected;
    // `retained`: sent from the broker's store because of a new subscription.
    std::function<void(const std::string& topic, std::string_view payload, bool retained)> message;
    std::function<void(int mid)> published;  // a QoS 1 message acknowledged
  };

  MqttClient(const WitnessSettings& settings, Callbacks callbacks);
  ~MqttClient();
  MqttClient(const MqttClient&) = delete;
  MqttClient& operator=(const MqttClient&) = delete;

  // Connects, waiting for the TCP connection (not for the broker's answer, which a
  // later Loop delivers). Empty, or why not.
  std::string Connect();
  std::string Reconnect();
  // One round of network work, waiting up to `timeout_ms`; false when the
  // connection is lost.
  bool Loop(int timeout_ms);
  // libmosquitto's result code (0: queued); `mid` gets the message id.
  int Publish(const std::string& topic, std::string_view payload, int qos, bool retain,
              int* mid = nullptr);
  int Subscribe(const std::string& pattern, int qos);
  int Unsubscribe(const std::string& pattern);
  void Disconnect();

  // The broker's refusal or a library result code as text.
  static std::string ConnackText(int rc);
  static std::string ErrorText(int rc);

 private:
  WitnessSettings settings_;
  Callbacks callbacks_;
  mosquitto* mosq_ = nullptr;
};

}  // namespace kest
