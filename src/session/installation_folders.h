#pragma once

#include <string>

namespace kest {

// The folders of one installation, all derived from its root (paths without a
// trailing slash).
struct InstallationFolders {
  std::string Root;
  std::string Data;          // Root/Data
  std::string Modules;       // Data/Модули: module definitions
  std::string Classes;       // Data/Classes: module class files
  std::string Layouts;       // Data/Layouts
  std::string Headers;       // Data/HeadLine
  std::string Calc;          // Data/Calc
  std::string Logs;          // Root/Logs
  std::string ResearchBase;  // Root/Research: the research folders
  std::string PlugIns;       // Root/PlugIns
  std::string CrashFile;     // Root/crash.tmp: rows of the recording in progress

  static InstallationFolders FromRoot(const std::string& root);
};

// Where the installation lives: $KEST_ROOT when set, else "RootDir" of the system
// settings file (`system_settings_file`, an INI file; its [General] group or no
// group), else the per-user root $XDG_DATA_HOME/kest (~/.local/share/kest), which is
// seeded from `template_dir` on first use. Never empty.
std::string ResolveInstallationRoot(const std::string& template_dir,
                                    const std::string& system_settings_file = "/etc/xdg/Velmora/KEST-1.4.conf");

// The per-user root: $XDG_DATA_HOME/kest, or ~/.local/share/kest.
std::string UserRoot();

// Copies every file of `template_dir` into `root` that `root` does not have yet;
// existing files are never overwritten. Missing folders are created. Raises
// EInOutError when the root cannot be created.
void SeedRoot(const std::string& template_dir, const std::string& root);

}  // namespace kest
