#include "support/settings.h"

#include "support/number_text.h"

namespace kest {

std::string Settings::GetString(std::string_view path, std::string_view key,
                                std::string_view def) const {
  auto v = Value(path, key);
  return v ? *v : std::string(def);
}

bool Settings::ReadInt(std::string_view path, std::string_view key, int& out) const {
  auto v = Value(path, key);
  auto parsed = v ? ParseInt(*v) : std::nullopt;
  if (!parsed) return false;
  out = static_cast<int>(*parsed);
  return true;
}

bool Settings::ReadBool(std::string_view path, std::string_view key, bool& out) const {
  auto v = Value(path, key);
  if (!v) return false;
  if (*v == "true" || *v == "1") {
    out = true;
  } else if (*v == "false" || *v == "0") {
    out = false;
  } else {
    return false;
  }
  return true;
}

int Settings::GetInt(std::string_view path, std::string_view key, int def) const {
  ReadInt(path, key, def);
  return def;
}

double Settings::GetFloat(std::string_view path, std::string_view key, double def) const {
  auto v = Value(path, key);
  if (!v) return def;
  auto parsed = ParseFloat(*v);
  return parsed ? *parsed : def;
}

bool Settings::GetBool(std::string_view path, std::string_view key, bool def) const {
  ReadBool(path, key, def);
  return def;
}

void Settings::SetInt(std::string_view path, std::string_view key, int value) {
  SetValue(path, key, std::to_string(value));
}

void Settings::SetFloat(std::string_view path, std::string_view key, double value) {
  SetValue(path, key, FormatFloat(value));
}

void Settings::SetBool(std::string_view path, std::string_view key, bool value) {
  SetValue(path, key, value ? "true" : "false");
}

std::optional<std::string> MemorySettings::Value(std::string_view path,
                                                 std::string_view key) const {
  auto group = groups_.find(path);
  if (group == groups_.end()) return std::nullopt;
  auto it = group->second.find(key);
  if (it == group->second.end()) return std::nullopt;
  return it->second;
}

void MemorySettings::SetValue(std::string_view path, std::string_view key, std::string_view value) {
  auto group = groups_.find(path);
  if (group == groups_.end())
    group = groups_.emplace(std::string(path), decltype(group->second){}).first;
  group->second.insert_or_assign(std::string(key), std::string(value));
}

void MemorySettings::Remove(std::string_view path, std::string_view key) {
  auto group = groups_.find(path);
  if (group == groups_.end()) return;
  auto it = group->second.find(key);
  if (it != group->second.end()) group->second.erase(it);
}

std::vector<std::string> MemorySettings::Keys(std::string_view path) const {
  std::vector<std::string> keys;
  auto group = groups_.find(path);
  if (group != groups_.end())
    for (const auto& [key, value] : group->second) keys.push_back(key);
  return keys;
}

}  // namespace kest
