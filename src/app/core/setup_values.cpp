#include "app/core/setup_values.h"

#include <algorithm>

#include "app/core/main_settings.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/settings.h"

namespace kest {

void SetupValues::Load(const Settings& s) {
  SaveFiles = std::clamp(s.GetInt(kSettingsGroup, "SaveFiles", SaveFiles), 0, 2);
  LASStep = std::clamp(s.GetInt(kSettingsGroup, "LASStep", LASStep), 1, 20);
  std::string null_value = s.GetString(kSettingsGroup, "NullValue", NullValue);
  if (ParseFloat(null_value)) NullValue = null_value;
  Tare = s.GetBool(kSettingsGroup, "Tare", Tare);
  SaveDirectories = s.GetBool(kSettingsGroup, "SaveDirectories", SaveDirectories);
  AutoSaveFile = std::clamp(s.GetInt(kSettingsGroup, "AutoSaveFile", AutoSaveFile), 0, 15);
  Organisation = s.GetString(kSettingsGroup, "LAS Header", Organisation);
}

bool SetupValues::NullValueValid() const { return ParseFloat(NullValue).has_value(); }

bool SetupValues::Apply(Settings& s, const std::string& logs_folder) const {
  if (!NullValueValid()) return false;
  s.SetInt(kSettingsGroup, "SaveFiles", SaveFiles);
  s.SetInt(kSettingsGroup, "LASStep", LASStep);
  s.SetString(kSettingsGroup, "NullValue", NullValue);
  s.SetBool(kSettingsGroup, "Tare", Tare);
  s.SetBool(kSettingsGroup, "SaveDirectories", SaveDirectories);
  s.SetInt(kSettingsGroup, "AutoSaveFile", AutoSaveFile);
  s.SetString(kSettingsGroup, "LAS Header", Organisation);
  s.SetString(kSettingsGroup, "SaveDir", logs_folder);
  s.SetString(kSettingsGroup, "LoadDir", logs_folder);
  s.SetBool(kSettingsGroup, "Setted", true);
  return true;
}

LogFileOptions FileOptions(const SetupValues& values, const InstallationFolders& folders) {
  LogFileOptions options;
  options.Las.StepCm = values.LASStep;
  options.Las.Organisation = values.Organisation;
  if (auto null_value = ParseFloat(values.NullValue))
    options.Las.NullValue = static_cast<float>(*null_value);
  options.Las.TemplateFile = folders.Data + "/LAS Headers/.msk";
  options.Las.OnWarning = [](const std::string& message) { Diag().Note(message); };
  return options;
}

}  // namespace kest
