#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

// Per-user settings as seen by the core layers: values addressed by a key path (a
// group such as "LogRecorder/Main form") and a key. The desktop program backs it with
// QSettings; tests and tools use MemorySettings. Values are stored as text; numbers
// use "." whatever the locale.
class Settings {
 public:
  virtual ~Settings() = default;

  virtual std::optional<std::string> Value(std::string_view path, std::string_view key) const = 0;
  virtual void SetValue(std::string_view path, std::string_view key, std::string_view value) = 0;
  virtual void Remove(std::string_view path, std::string_view key) = 0;
  // Keys directly in the group, sorted.
  virtual std::vector<std::string> Keys(std::string_view path) const = 0;

  bool Contains(std::string_view path, std::string_view key) const {
    return Value(path, key).has_value();
  }

  // A value that is present and readable goes into `out` (true); else `out` is
  // left alone (false). The program's settings passes stop at the first false.
  bool ReadInt(std::string_view path, std::string_view key, int& out) const;
  bool ReadBool(std::string_view path, std::string_view key, bool& out) const;

  // Typed access: a missing or unreadable value gives the default.
  std::string GetString(std::string_view path, std::string_view key,
                        std::string_view def = {}) const;
  int GetInt(std::string_view path, std::string_view key, int def = 0) const;
  double GetFloat(std::string_view path, std::string_view key, double def = 0.0) const;
  bool GetBool(std::string_view path, std::string_view key, bool def = false) const;

  void SetString(std::string_view path, std::string_view key, std::string_view value) {
    SetValue(path, key, value);
  }
  void SetInt(std::string_view path, std::string_view key, int value);
  void SetFloat(std::string_view path, std::string_view key, double value);
  void SetBool(std::string_view path, std::string_view key, bool value);
};

// Settings held in memory.
class MemorySettings : public Settings {
 public:
  std::optional<std::string> Value(std::string_view path, std::string_view key) const override;
  void SetValue(std::string_view path, std::string_view key, std::string_view value) override;
  void Remove(std::string_view path, std::string_view key) override;
  std::vector<std::string> Keys(std::string_view path) const override;

 private:
  std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> groups_;
};

}  // namespace kest
