// kest-tool convert: reads a log file with the reader its extension names and writes
// it with the writer of the output's extension.
#include "command.h"
#include "log/log_sheet.h"
#include "log/las_filer.h"
#include "log/log_sheet_filer.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

int Convert(const std::vector<std::string>& argv) {
  auto args = argv;
  std::string las_step = TakeOption(args, "--las-step");
  std::string null_value = TakeOption(args, "--null");
  ToolEnvironment env(args);
  ExpectPositional(args, 2);
  if (!las_step.empty()) {
    auto cm = ParseInt(las_step);
    if (!cm || *cm < 1 || *cm > 20) throw UsageError("--las-step takes 1 to 20 (centimetres)");
    LasOptions().StepCm = *cm;
  }
  if (!null_value.empty()) {
    auto v = ParseFloat(null_value);
    if (!v) throw UsageError("--null takes a number");
    LasOptions().NullValue = static_cast<float>(*v);
  }
  const std::string& in = args[0];
  const std::string& out = args[1];
  WriterFilers().Find(FileFormatName(out));  // an unwritable format fails before reading
  TLogSheet sheet;
  sheet.LoadFromFile(in, FileFormatName(in));
  sheet.SaveToFile(out, FileFormatName(out));
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("convert", "IN OUT [--las-step CM] [--null VALUE] [--root DIR]",
                  "read a log file and write it in the format of OUT's extension", Convert);

}  // namespace kest::tool
