#include "witness/mqtt_client.h"

#include <mosquitto.h>

#include <mutex>

#include "witness/witness_errors.h"

namespace kest {

namespace {

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

MqttClient::Callbacks& CallbacksOf(void* obj) { return *static_cast<MqttClient::Callbacks*>(obj); }

}  // namespace

MqttClient::MqttClient(const WitnessSettings& settings, Callbacks callbacks)
    : settings_(settings), callbacks_(std::move(callbacks)) {
  InitLibrary();
  mosq_ = mosquitto_new(nullptr, true, &callbacks_);
  if (!mosq_) throw EWitnessError("Не удалось создать клиента MQTT");
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  if (!settings_.user.empty())
    mosquitto_username_pw_set(mosq_, settings_.user.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  if (settings_.tls) {
    int rc = mosquitto_tls_set(
        mosq_, settings_.ca_file.empty() ? nullptr : settings_.ca_file.c_str(),
        settings_.ca_file.empty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      mosquitto_destroy(mosq_);
      throw EWitnessError("TLS: " + ErrorText(rc));
    }
  }
  mosquitto_connect_callback_set(mosq_, [](mosquitto*, void* obj, int rc) {
    if (auto& f = CallbacksOf(obj).connected) f(rc);
  });
  mosquitto_disconnect_callback_set(mosq_, [](mosquitto*, void* obj, int) {
    if (auto& f = CallbacksOf(obj).disconnected) f();
  });
  mosquitto_message_callback_set(mosq_, [](mosquitto*, void* obj, const mosquitto_message* m) {
    if (auto& f = CallbacksOf(obj).message)
      f(m->topic ? m->topic : "",
        std::string_view(static_cast<const char*>(m->payload), static_cast<size_t>(m->payloadlen)),
        m->retain);
  });
  mosquitto_publish_callback_set(mosq_, [](mosquitto*, void* obj, int mid) {
    if (auto& f = CallbacksOf(obj).published) f(mid);
  });
}

MqttClient::~MqttClient() { mosquitto_destroy(mosq_); }

std::string MqttClient::Connect() {
  int rc = mosquitto_connect(mosq_, settings_.host.c_str(), settings_.port, 20);
  return rc == MOSQ_ERR_SUCCESS ? std::string() : ErrorText(rc);
}

std::string MqttClient::Reconnect() {
  int rc = mosquitto_reconnect(mosq_);
  return rc == MOSQ_ERR_SUCCESS ? std::string() : ErrorText(rc);
}

bool MqttClient::Loop(int timeout_ms) {
  return mosquitto_loop(mosq_, timeout_ms, 1) == MOSQ_ERR_SUCCESS;
}

int MqttClient::Publish(const std::string& topic, std::string_view payload, int qos, bool retain,
                        int* mid) {
  return mosquitto_publish(mosq_, mid, topic.c_str(), static_cast<int>(payload.size()),
                           payload.data(), qos, retain);
}

int MqttClient::Subscribe(const std::string& pattern, int qos) {
  return mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), qos);
}

int MqttClient::Unsubscribe(const std::string& pattern) {
  return mosquitto_unsubscribe(mosq_, nullptr, pattern.c_str());
}

void MqttClient::Disconnect() { mosquitto_disconnect(mosq_); }

std::string MqttClient::ConnackText(int rc) {
  switch (rc) {
    case 4:
    case 5:
      return "брокер не принял имя пользователя или пароль";
    default:
      return mosquitto_connack_string(rc);
  }
}

std::string MqttClient::ErrorText(int rc) {
  if (rc == MOSQ_ERR_ERRNO) return std::string(mosquitto_strerror(rc)) + " (errno)";
  return mosquitto_strerror(rc);
}

}  // namespace kest
