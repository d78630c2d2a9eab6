// kest-tool info / dump: what a log file holds, in any format the readers know.
#include <cstdio>

#include "command.h"
#include "log/log_sheet.h"
#include "session/log_document.h"
#include "sheet_output.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

int Info(const std::vector<std::string>& argv) {
  auto args = argv;
  bool json = TakeFlag(args, "--json");
  ToolEnvironment env(args);
  ExpectPositional(args, 1);
  LogDocument document;
  LoadSheetFile(args[0], env, document);
  const TLogSheet& sheet = document.Sheet();
  std::string out = json ? SheetJson(sheet, false) : SheetInfoText(args[0], sheet);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int Dump(const std::vector<std::string>& argv) {
  auto args = argv;
  bool json = TakeFlag(args, "--json");
  std::string track_spec = TakeOption(args, "--track");
  std::string null_text = TakeOption(args, "--null");
  ToolEnvironment env(args);
  ExpectPositional(args, 1);
  float null_value = env.FileOptions().Las.NullValue;
  if (!null_text.empty()) {
    auto v = ParseFloat(null_text);
    if (!v) throw UsageError("--null takes a number");
    null_value = static_cast<float>(*v);
  }
  LogDocument document;
  LoadSheetFile(args[0], env, document, null_value);
  const TLogSheet& sheet = document.Sheet();
  const TLogTrack* only = track_spec.empty() ? nullptr : &TrackBySpec(sheet, track_spec);
  std::string out;
  if (json) {
    out = SheetJson(sheet, true, only, null_value);
  } else {
    for (int i = 0; i < sheet.Count(); ++i)
      if (!only || sheet.Tracks(i) == only) out += TrackDumpText(*sheet.Tracks(i), null_value);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("info", "FILE [--json] [--root DIR]",
                  "argument, range, parameters, comments and tracks of a log file", Info);
KEST_TOOL_COMMAND("dump", "FILE [--track NAME[#N]] [--json] [--null VALUE] [--root DIR]",
                  "samples of every track, or of one (N counts same-named tracks from 0); "
                  "a missing sample (the null value) reads null",
                  Dump);

}  // namespace kest::tool
