#pragma once

#include <string>
#include <vector>

namespace kest {

// The two applications of the one program.
enum class AppMode { amRecorder = 1, amEditor = 2 };

// What the command line asks for. `Error` is the message box text when the first
// argument names no mode ("Invalid parameter \"%s\""); the program then ends.
// `Help` and `Version` ask for a text on standard output and no window.
struct CommandLine {
  AppMode Mode = AppMode::amRecorder;
  std::string FileName;  // editor: the file to open (second argument), may be empty
  std::string Error;
  bool Help = false;
  bool Version = false;
  bool Valid() const { return Error.empty(); }
};

// `args` without the program name: none or "REC" (any case) starts the recorder,
// "EDIT" the curve editor with an optional file; "--help" and "--version" (exactly,
// as the first argument) ask for those texts. No mode starts with "-", so neither
// option can be taken for one.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What "kest --help" prints. The manual page kest(1) is made from this text at
// build time: "usage:" gives the synopsis, a line ending in ":" a section, a line
// indented by two an entry, by six the entry's text, any other line a paragraph.
std::string HelpText();

// What "kest --version" prints: "kest VERSION".
std::string VersionText(const std::string& version);

// Per-mode names: window title, settings key and diagnostic-log tag.
const char* ModeTitle(AppMode mode);   // "Регистратор" / "Редактор кривых"
const char* ModeKey(AppMode mode);     // "LogRecorder" / "LogEditor"
const char* ModeLogTag(AppMode mode);  // "REC " / "EDIT"

// The title " v%d.%d.%d" with the program version.
std::string WindowTitle(AppMode mode, const std::string& version);

}  // namespace kest
