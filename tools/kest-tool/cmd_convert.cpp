// kest-tool convert: opens a log file and saves it as the editor's "Save as" does, in
// the format of the output's extension.
#include "command.h"
#include "session/log_document.h"
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
  LogFileOptions options = env.FileOptions();
  if (!las_step.empty()) {
    auto cm = ParseInt(las_step);
    if (!cm || *cm < 1 || *cm > 20) throw UsageError("--las-step takes 1 to 20 (centimetres)");
    options.Las.StepCm = *cm;
  }
  if (!null_value.empty()) {
    auto v = ParseFloat(null_value);
    if (!v) throw UsageError("--null takes a number");
    options.Las.NullValue = static_cast<float>(*v);
  }
  const std::string& in = args[0];
  const std::string& out = args[1];
  WriterFor(out, options);  // an unwritable format fails before reading
  LogDocument document;
  document.Open(in, options);
  document.SaveAs(out, options);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("convert", "IN OUT [--las-step CM] [--null VALUE] [--root DIR]",
                  "read a log file and write it in the format of OUT's extension", Convert);

}  // namespace kest::tool
