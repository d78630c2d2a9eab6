#include "witness/witness_settings.h"

#include "support/number_text.h"
#include "support/settings.h"
#include "witness/witness_errors.h"

namespace kest {

std::string UnitNameProblem(const std::string& unit) {
  if (unit.empty()) return "Не задано имя установки";
  if (unit.size() > 64) return "Имя установки длиннее 64 знаков";
  if (unit.find_first_of("/#+") != std::string::npos)
    return "Имя установки не может содержать \"/\", \"#\" или \"+\": " + unit;
  for (unsigned char c : unit)
    if (c < 0x20 || c == 0x7f) return "Имя установки содержит управляющие знаки";
  return {};
}

std::string SettingsProblem(const WitnessSettings& s) {
  if (s.host.empty()) return "Не задан адрес брокера";
  if (s.port < 1 || s.port > 65535) return "Порт брокера должен быть от 1 до 65535";
  return UnitNameProblem(s.unit);
}

namespace {

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
      };
      const int hi = i + 2 < text.size() ? hex(text[i + 1]) : -1;
      const int lo = i + 2 < text.size() ? hex(text[i + 2]) : -1;
      if (hi < 0 || lo < 0) throw EWitnessError("Неверная %-последовательность в адресе: " + text);
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

WitnessSettings ParseWitnessUrl(const std::string& url) {
  WitnessSettings s;
  s.enabled = true;
  std::string rest;
  if (url.rfind("mqtt://", 0) == 0) {
    rest = url.substr(7);
  } else if (url.rfind("mqtts://", 0) == 0) {
    rest = url.substr(8);
    s.tls = true;
    s.port = 8883;
  } else {
    throw EWitnessError("Адрес брокера начинается с mqtt:// или mqtts://: " + url);
  }
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) throw EWitnessError("В адресе нет имени установки: " + url);
  s.unit = rest.substr(slash + 1);
  std::string authority = rest.substr(0, slash);
  // The last "@" ends the credentials: a password may hold "@" unescaped.
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    const std::string credentials = authority.substr(0, at);
    authority = authority.substr(at + 1);
    const size_t colon = credentials.find(':');
    s.user = PercentDecode(credentials.substr(0, colon));
    if (colon != std::string::npos) s.password = PercentDecode(credentials.substr(colon + 1));
  }
  const size_t colon = authority.rfind(':');
  if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
    auto port = ParseInt(authority.substr(colon + 1));
    if (!port || *port < 1 || *port > 65535)
      throw EWitnessError("Неверный порт брокера в адресе: " + url);
    s.port = static_cast<int32_t>(*port);
    authority.resize(colon);
  }
  if (authority.size() > 2 && authority.front() == '[' && authority.back() == ']')
    authority = authority.substr(1, authority.size() - 2);
  s.host = authority;
  if (std::string problem = SettingsProblem(s); !problem.empty()) throw EWitnessError(problem);
  return s;
}

namespace {
constexpr const char* kGroup = "Witness";
}

WitnessSettings LoadWitnessSettings(const Settings& s) {
  WitnessSettings w;
  w.host = s.GetString(kGroup, "Host", w.host);
  w.port = s.GetInt(kGroup, "Port", w.port);
  w.tls = s.GetBool(kGroup, "Tls", w.tls);
  w.ca_file = s.GetString(kGroup, "CaFile");
  w.user = s.GetString(kGroup, "User");
  w.password = s.GetString(kGroup, "Password");
  w.unit = s.GetString(kGroup, "Unit");
  w.enabled = s.GetBool(kGroup, "Enabled", false);
  return w;
}

void SaveWitnessSettings(Settings& s, const WitnessSettings& w) {
  s.SetString(kGroup, "Host", w.host);
  s.SetInt(kGroup, "Port", w.port);
  s.SetBool(kGroup, "Tls", w.tls);
  s.SetString(kGroup, "CaFile", w.ca_file);
  s.SetString(kGroup, "User", w.user);
  s.SetString(kGroup, "Password", w.password);
  s.SetString(kGroup, "Unit", w.unit);
  s.SetBool(kGroup, "Enabled", w.enabled);
}

std::string UnitTopic(const std::string& unit) { return "kest/" + unit + "/"; }

std::string RunTopic(const std::string& unit, const std::string& run) {
  return UnitTopic(unit) + run + "/";
}

}  // namespace kest
