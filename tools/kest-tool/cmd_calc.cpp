// kest-tool calc: recomputes tracks of a log with calculator formulas and writes the
// result in the format of OUT's extension, as the editor's curve calculator does
// followed by "Save as".
#include <cstdio>

#include "command.h"
#include "log/log_parameters.h"
#include "session/curve_calculator.h"
#include "session/log_document.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

int Calc(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  // -e and -f may repeat; their lines run in the order given.
  std::vector<std::string> lines;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-e" || a == "-f") {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      const std::string& value = args[++i];
      if (a == "-e") {
        lines.push_back(value);
      } else {
        for (auto& line : LoadFormulaFile(value)) lines.push_back(std::move(line));
      }
    } else {
      positional.push_back(a);
    }
  }
  ExpectPositional(positional, 2);
  if (lines.empty()) throw UsageError("no formula (-e FORMULA or -f FILE)");
  std::string text;
  for (const auto& line : lines) text += line + "\n";

  LogFileOptions options = env.FileOptions();
  const std::string& out = positional[1];
  WriterFor(out, options);  // an unwritable format fails before any work
  LogDocument document;
  document.Open(positional[0], options);
  CalcNameList names;
  CalcResult result =
      CalculateTracks(document.Sheet(), text, LogParameters(), names, {}, options.Las.NullValue);
  document.SaveAs(out, options);
  auto joined = [](const std::vector<std::string>& items) {
    std::string text;
    for (const auto& m : items) text += (text.empty() ? "" : " ") + m;
    return text;
  };
  std::printf("rows: %lld, tracks: %s\n", static_cast<long long>(result.Rows),
              joined(result.Inputs).c_str());
  if (!result.Created.empty()) std::printf("created: %s\n", joined(result.Created).c_str());
  for (const auto& notice : result.Notices) std::printf("%s\n", notice.c_str());
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("calc", "IN OUT [-e FORMULA]... [-f FILE]... [--root DIR]",
                  "compute tracks of IN with calculator formulas and write OUT", Calc);

}  // namespace kest::tool
