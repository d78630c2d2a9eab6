#include "app/command_line.h"

#include <algorithm>

namespace kest {

namespace {

std::string UpperAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
  return text;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine result;
  if (args.empty()) return result;
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

const char* ModeTitle(AppMode mode) {
  return mode == AppMode::amRecorder ? "Регистратор" : "Редактор кривых";
}

const char* ModeKey(AppMode mode) { return mode == AppMode::amRecorder ? "LogRecorder" : "LogEditor"; }

const char* ModeLogTag(AppMode mode) { return mode == AppMode::amRecorder ? "REC " : "EDIT"; }

std::string WindowTitle(AppMode mode, const std::string& version) {
  return std::string(ModeTitle(mode)) + " v" + version;
}

}  // namespace kest
