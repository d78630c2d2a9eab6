#include "app/core/command_line.h"

#include <algorithm>

namespace kest {

namespace {

std::string UpperAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  });
  return text;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine result;
  if (args.empty()) return result;
  if (args[0] == "--help" || args[0] == "--version") {
    (args[0] == "--help" ? result.Help : result.Version) = true;
    return result;
  }
  std::string first = UpperAscii(args[0]);
  if (first == "REC") return result;
  if (first == "EDIT") {
    result.Mode = AppMode::amEditor;
    if (args.size() > 1) result.FileName = args[1];
    return result;
  }
  result.Error = "Invalid parameter \"" + args[0] + "\"";
  return result;
}

std::string HelpText() {
  return R"(usage: kest [REC | EDIT [FILE] | --help | --version]

KEST, the well-logging workstation. The recorder drives a logging tool over a
serial port, or the built-in tool simulator on the port SIM, and records logs
against depth or time; the curve editor opens, edits, prints and exports them.

modes:
  REC
      the recorder ("Регистратор"), also with no argument; one recorder runs at a time
  EDIT [FILE]
      the curve editor ("Редактор кривых"), opening FILE (LS, LAS or TMP) when given

options:
  --help
      print this help and exit
  --version
      print the version and exit

Any other first argument shows "Invalid parameter" and ends with exit status 1.

environment:
  KEST_ROOT
      the installation root (data, module classes, logs, research); unset: RootDir in /etc/xdg/Velmora/KEST-1.4.conf, else $XDG_DATA_HOME/kest
  XDG_DATA_HOME
      the user's installation root is $XDG_DATA_HOME/kest (~/.local/share/kest), filled from the installed template at the first start; existing files are kept
  XDG_STATE_HOME
      an installed program writes its diagnostic log to $XDG_STATE_HOME/kest/kest.log (~/.local/state/kest/kest.log)

files:
  ~/.config/Velmora/KEST-1.4.ini
      the user's settings
  /usr/share/kest
      the installation template (under the program's own prefix)
  /usr/lib/kest/PlugIns
      the plug-ins shipped with the program, copied into the root's PlugIns folder

see also:
  kest-tool(1)
      the command-line companion: file conversion, headless recording, the simulator
)";
}

std::string VersionText(const std::string& version) { return "kest " + version + "\n"; }

const char* ModeTitle(AppMode mode) {
  return mode == AppMode::amRecorder ? "Регистратор" : "Редактор кривых";
}

const char* ModeKey(AppMode mode) {
  return mode == AppMode::amRecorder ? "LogRecorder" : "LogEditor";
}

const char* ModeLogTag(AppMode mode) { return mode == AppMode::amRecorder ? "REC " : "EDIT"; }

std::string WindowTitle(AppMode mode, const std::string& version) {
  return std::string(ModeTitle(mode)) + " v" + version;
}

}  // namespace kest
