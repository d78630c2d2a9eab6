#pragma once

#include <string>

#include "session/session_errors.h"

namespace kest {

// An installation root that the program cannot run on; the message names the root
// and the reason.
KEST_DECLARE_ERROR(EInstallationError, ESessionError);

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
std::string ResolveInstallationRoot(
    const std::string& template_dir,
    const std::string& system_settings_file = "/etc/xdg/Velmora/KEST-1.4.conf");

// The per-user root: $XDG_DATA_HOME/kest, or ~/.local/share/kest.
std::string UserRoot();

// Copies every file of `template_dir` into `root` that `root` does not have yet;
// existing files are never overwritten. Missing folders are created. Raises
// EInOutError when the root cannot be created.
void SeedRoot(const std::string& template_dir, const std::string& root);

// The root the program runs on: `root` when given, else ResolveInstallationRoot's
// choice. Whatever the root lacks is copied from `template_dir` (existing files are
// kept), then the root is checked: a folder the program can write, Data and its
// class and module folders readable, the "System" class present, Research, Logs and
// PlugIns writable. Raises EInstallationError "Папка установки "ROOT" недоступна:
// REASON" when it cannot be used.
std::string OpenInstallationRoot(
    const std::string& template_dir, const std::string& root = {},
    const std::string& system_settings_file = "/etc/xdg/Velmora/KEST-1.4.conf");

// What was installed with a program, found from the program file's own place so
// that an installation works under any prefix and can be moved as a whole:
//
//   PREFIX/bin/kest, kest-tool   the programs
//   PREFIX/share/kest            the installation template (Data, Logs, ...)
//   PREFIX/lib/kest/PlugIns      the plug-ins built with the program
//
// A program run from its build tree has no template beside it: it uses
// `build_template` and the PlugIns folder next to the program file.
struct ProgramFiles {
  std::string TemplateDir;
  std::string ShippedPlugIns;
  bool Installed = false;  // the template was found under the program's prefix
};
ProgramFiles LocateProgramFiles(const std::string& program_path, const std::string& build_template);

// The running program's file: /proc/self/exe names it whatever the command line said
// (a bare "kest" found on PATH is not in the current folder); else `argv0` made
// absolute.
std::string RunningProgramPath(const char* argv0 = nullptr);

}  // namespace kest
