// What an auto-save of the crash file costs for a two-hour depth log at 10 cm with
// every row kept: the append of one interval's rows (a log recorded downwards) and the
// whole file written again (a log recorded upwards, which grows at its front). Prints
// figures; never fails on time.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>

#include "bench_line.h"
#include "log/log_sheet.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTracks = 24;
constexpr double kSpeedMPerH = 3600;  // fast logging: the largest file two hours give
constexpr int kRows = static_cast<int>(2 * kSpeedMPerH * 10);  // 10 cm rows
constexpr int kRowsPerMinute = static_cast<int>(kSpeedMPerH * 10 / 60);

template <typename F>
double BestSeconds(int rounds, F&& run) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "kest-crash-bench";
  fs::create_directories(dir);
  const std::string path = (dir / "crash.tmp").string();

  kest::TLogSheet sheet;
  sheet.SetArgument(kest::laDepth);
  for (int t = 0; t < kTracks; ++t) {
    kest::TLogTrack* track = sheet.NewTrack();
    track->SetParameter("P" + std::to_string(t));
    track->SetStep(100);
    track->SetOrigin(100000);
    for (int i = 0; i < kRows; ++i) track->Append(std::sin(i * 0.001f * float(t + 1)) * 100.f);
  }
  sheet.UpdateRange();
  const int32_t last = sheet.End();
  const int32_t interval_start = last - (kRowsPerMinute - 1) * 100;

  // Downwards: the crash file holds everything up to the last minute; one auto-save
  // appends that minute's rows.
  fs::remove(path);
  sheet.AppendCrashFile(path, sheet.Start(), 1, interval_start - 100);
  const auto base_size = fs::file_size(path);
  const double append = BestSeconds(5, [&] {
    fs::resize_file(path, base_size);
    sheet.AppendCrashFile(path, interval_start, 1, last);
  });

  // Upwards: the whole file each time.
  const double rewrite = BestSeconds(3, [&] {
    fs::remove(path);
    sheet.AppendCrashFile(path, sheet.Start(), 1, last);
  });
  const double mb = static_cast<double>(fs::file_size(path)) / 1e6;
  fs::remove_all(dir);

  const std::string size = kest::bench::Format("%d rows x %d tracks, %.1f MB", kRows, kTracks, mb);
  kest::bench::Line("crash file: append one minute at 3600 m/h", size,
                    kest::bench::Format("%.2f ms", append * 1e3));
  kest::bench::Line("crash file: whole two-hour log written again", size,
                    kest::bench::Format("%.0f ms", rewrite * 1e3));
  return 0;
}
