// kest-tool synth: records a synthetic logging run into a sheet the way the
// recorder does (one row per depth step under the sheet's lock) and auto-saves it
// into a crash file every `--every` rows. Gives test and demo files without a tool.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "command.h"
#include "log/log_sheet.h"
#include "support/number_text.h"

namespace kest::tool {
namespace {

// Smooth, deterministic curves that look like a gamma log, SP and resistivity.
float Curve(int which, int row) {
  double x = row * 0.05;
  switch (which) {
    case 0:
      return static_cast<float>(60 + 40 * std::sin(x) + 15 * std::sin(3.7 * x));
    case 1:
      return static_cast<float>(-20 + 30 * std::cos(0.3 * x));
    default:
      return static_cast<float>(std::exp(1.5 + std::sin(0.7 * x)));
  }
}

int Synth(const std::vector<std::string>& argv) {
  auto args = argv;
  bool time_log = TakeFlag(args, "--time");
  std::string rows_text = TakeOption(args, "--rows");
  std::string every_text = TakeOption(args, "--every");
  ExpectPositional(args, 1);
  auto rows = ParseInt(rows_text.empty() ? "2000" : rows_text);
  auto every = ParseInt(every_text.empty() ? "100" : every_text);
  if (!rows || *rows < 1 || !every || *every < 1)
    throw UsageError("--rows and --every take positive numbers");
  const std::string& out = args[0];
  std::filesystem::remove(out);

  TLogSheet sheet;
  sheet.SetArgument(time_log ? laTime : laDepth);
  for (const char* name : {"GK", "PS", "KS"}) sheet.NewTrack(name);
  int32_t step = time_log ? 250 : 100;  // 250 ms or 0.1 m
  sheet.SetSteps(step);
  sheet.SetOrigins(time_log ? 0 : 1200000);
  int32_t factor = time_log ? 10 : 5;
  int32_t next_saved = 0;  // index of the next row due in the crash file
  for (int row = 0; row < *rows; ++row) {
    {
      SheetLock lock(sheet);
      for (int i = 0; i < sheet.Count(); ++i) sheet.Tracks(i)->Append(Curve(i, row));
      sheet.Update();
    }
    if ((row + 1) % *every == 0 || row + 1 == *rows) {
      // Start each append on the decimation grid so the file's rows stay evenly spaced.
      int32_t from = sheet.Tracks(0)->ArgumentOf(next_saved);
      sheet.AppendCrashFile(out, from, factor, sheet.End());
      next_saved += (row - next_saved) / factor * factor + factor;
    }
  }
  std::printf("%s: %d rows of %d tracks recorded, auto-saved every %d rows\n", out.c_str(), *rows,
              sheet.Count(), *every);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("synth", "OUT.tmp [--rows N] [--every N] [--time]",
                  "record a synthetic run into a crash file, auto-saving as the recorder does",
                  Synth);

}  // namespace kest::tool
