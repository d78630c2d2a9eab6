#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/core/command_line.h"

namespace kest {

class Settings;

// A tool bar's remembered state, under "<mode key>/Main form/Toolbars/<tag>".
struct ToolbarState {
  bool Visible = true;
  bool Floating = false;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// What the main window keeps in the settings, apart from the recording session's
// own values. Paths: "<mode key>", "<mode key>/Main form", ".../Toolbars/<tag>" and
// "Settings".
struct MainSettings {
  int LasSaveStep = 1;
  bool Maximized = false;
  bool HasBounds = false;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  std::string DefaultLayout;
  // Filled by the window with its tool bars' tags before loading.
  std::map<std::string, ToolbarState> Toolbars;
  std::string SaveDir, LoadDir, Port, HeadLine;
  int SaveFiles = 0;
  // "Setted" or "SaveFiles" was missing: the settings dialog is due.
  bool SetupDue = false;
  // How far the last load came: the pass ends at the first missing number.
  enum class Reached {
    rMode,
    rMainForm,
    rModePart,
    rToolbars,
    rSettings,
    rComplete
  } LoadedUpTo = Reached::rMode;
};

// Reads the settings in one pass, in the documented order; the first missing (or
// unreadable) number or boolean ends the pass silently, keeping the defaults of
// everything later. `mode_part` reads the mode's own values (the editor's recent
// files, the recorder's label and research values) and returns false to end the
// pass there.
void LoadMainSettings(const Settings& settings, AppMode mode, MainSettings& values,
                      const std::function<bool()>& mode_part);
// Writes them at exit (tool bars: their group is deleted and rewritten).
void SaveMainSettings(Settings& settings, AppMode mode, const MainSettings& values);

// True when every number of the recorder's own part is present
// ("MLArea" ... "RecordStep" under "LogRecorder/Main form").
bool RecorderSettingsComplete(const Settings& settings);

std::string MainFormPath(AppMode mode);  // "<mode key>/Main form"
constexpr const char* kSettingsGroup = "Settings";

}  // namespace kest
