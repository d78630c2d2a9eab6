// kest-tool time-to-depth: a memory tool's time log placed on depth by the surface
// recorder's log of the same run (the editor's "Привязка к глубине").
#include <cmath>
#include <cstdio>

#include "command.h"
#include "session/log_document.h"
#include "session/time_to_depth.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {

namespace {

int TimeToDepth(const std::vector<std::string>& in) {
  std::vector<std::string> args = in;
  TimeToDepthOptions options;
  std::string step = TakeOption(args, "--step");
  std::string offset = TakeOption(args, "--offset");
  std::string run = TakeOption(args, "--run");
  options.keep_stationary = TakeFlag(args, "--keep-stationary");
  ToolEnvironment env(args);
  options.null_value = env.FileOptions().Las.NullValue;
  ExpectPositional(args, 3);
  if (!step.empty()) {
    auto cm = ParseFloat(step);
    if (!cm || *cm < 0.1 || *cm > 10000)
      throw UsageError("--step takes centimetres (0.1 to 10000)");
    options.step_mm = static_cast<int32_t>(std::lround(*cm * 10));
  }
  if (!offset.empty()) {
    auto s = ParseFloat(offset);
    if (!s) throw UsageError("--offset takes seconds");
    options.offset_s = *s;
  }
  if (run == "up")
    options.run = CableRun::Up;
  else if (!run.empty() && run != "down")
    throw UsageError("--run takes up or down");

  LogDocument tool, surface, out;
  tool.Open(args[0], env.FileOptions());
  surface.Open(args[1], env.FileOptions());
  TimeToDepthResult r = BuildDepthLog(tool.Sheet(), surface.Sheet(), out.Sheet(), options);
  out.SaveAs(args[2], env.FileOptions());
  std::printf("смещение часов\t%.1f с%s\n", r.OffsetS, r.OffsetFound ? " (найдено)" : "");
  if (r.OffsetFound) std::printf("корреляция\t%.4f\n", r.Correlation);
  std::printf("глубина\t%.2f - %.2f м\nстрок\t%d\n", r.TopM, r.BottomM, r.Rows);
  std::printf("замеров\t%lld (стоянки %lld, другой рейс %lld, вне журнала %lld)\n",
              static_cast<long long>(r.Used), static_cast<long long>(r.Stationary),
              static_cast<long long>(r.OtherRun), static_cast<long long>(r.Outside));
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("time-to-depth",
                  "TOOL.ls SURFACE.ls OUT.ls [--step CM] [--offset S] [--run up|down] "
                  "[--keep-stationary]",
                  "a memory tool's time log on depth from the surface recorder's log", TimeToDepth);

}  // namespace kest::tool
