#pragma once

#include <string>
#include <vector>

namespace kest {

// The two applications of the one program.
enum class AppMode { amRecorder = 1, amEditor = 2 };

// What the command line asks for. `Error` is the message box text when the first
// argument names no mode ("Invalid parameter \"%s\""); the program then ends.
struct CommandLine {
  AppMode Mode = AppMode::amRecorder;
  std::string FileName;  // editor: the file to open (second argument), may be empty
  std::string Error;
  bool Valid() const { return Error.empty(); }
};

// `args` without the program name: none or "REC" (any case) starts the recorder,
// "EDIT" the curve editor with an optional file.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Per-mode names: window title, settings key and diagnostic-log tag.
const char* ModeTitle(AppMode mode);    // "Регистратор" / "Редактор кривых"
const char* ModeKey(AppMode mode);      // "LogRecorder" / "LogEditor"
const char* ModeLogTag(AppMode mode);   // "REC " / "EDIT"

// The title " v%d.%d.%d" with the program version.
std::string WindowTitle(AppMode mode, const std::string& version);

}  // namespace kest
