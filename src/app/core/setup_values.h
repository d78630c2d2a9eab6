#pragma once

#include <string>

namespace kest {

class Settings;
struct InstallationFolders;
struct LogFileOptions;

// The values of the settings dialog "Настройки", kept in the group "Settings".
struct SetupValues {
  int SaveFiles = 0;  // 0 save after recording, 1 ask, 2 do not save
  int LASStep = 1;    // cm, 1..20
  std::string NullValue = "-9999.99";
  bool Tare = false;
  bool SaveDirectories = false;
  int AutoSaveFile = 1;  // minutes, 0..15 (0: off); on until the user turns it off
  std::string Organisation;

  // Reads what is stored; missing or out-of-range values keep the defaults.
  void Load(const Settings& settings);
  // "Применить": false (and nothing written) when the null value is not a number;
  // otherwise writes every value, "SaveDir" and "LoadDir" as `logs_folder` and
  // "Setted" = true.
  bool Apply(Settings& settings, const std::string& logs_folder) const;
  bool NullValueValid() const;
};

// How the program reads and writes log files with these settings: the LAS step,
// null value and organisation, the installation's header template; the reader's
// warnings go to the diagnostic log.
LogFileOptions FileOptions(const SetupValues& values, const InstallationFolders& folders);

}  // namespace kest
