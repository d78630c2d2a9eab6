#pragma once

#include <memory>

#include "support/settings.h"

class QSettings;

namespace kest {

// The per-user settings in QSettings: an INI file, by default
// ~/.config/Velmora/KEST-1.4.ini, with groups named after the key paths
// ("LogRecorder/Main form", "Settings", ...).
class QtSettings : public Settings {
 public:
  QtSettings();                                      // the user's file
  explicit QtSettings(const std::string& ini_file);  // a given file (tests)
  ~QtSettings() override;

  std::optional<std::string> Value(std::string_view path, std::string_view key) const override;
  void SetValue(std::string_view path, std::string_view key, std::string_view value) override;
  void Remove(std::string_view path, std::string_view key) override;
  std::vector<std::string> Keys(std::string_view path) const override;
  // Writes the file (readable and writable by the user alone, as from the start).
  void Sync();

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace kest
