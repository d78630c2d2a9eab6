// Appending rows to a recording sheet: one store per track per row, under the
// sheet's lock, as the recorder does. Prints rows and samples per second.
#include <chrono>
#include <cstdio>

#include "bench_line.h"
#include "log/log_sheet.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void Run(int tracks, int rows, bool ascending, bool lock_per_row) {
  kest::TLogSheet sheet;
  for (int i = 0; i < tracks; ++i) sheet.NewTrack();
  sheet.SetSteps(100);
  sheet.SetAscending(ascending);
  auto start = std::chrono::steady_clock::now();
  if (!lock_per_row) sheet.Lock();
  for (int r = 0; r < rows; ++r) {
    if (lock_per_row) sheet.Lock();
    float v = static_cast<float>(r);
    for (int i = 0; i < tracks; ++i) sheet.Tracks(i)->Append(v);
    if (lock_per_row) sheet.Unlock();
  }
  if (!lock_per_row) sheet.Unlock();
  double s = Seconds(std::chrono::steady_clock::now() - start);
  double samples = double(tracks) * rows;
  std::printf(
      "%3d tracks x %9d rows %-10s %-14s %7.3f s  %6.2f M rows/s  %7.1f M samples/s  %6.0f MB/s\n",
      tracks, rows, ascending ? "ascending" : "descending",
      lock_per_row ? "lock per row" : "one lock", s, rows / s / 1e6, samples / s / 1e6,
      samples * 4 / s / 1e6);
  kest::bench::Line(
      kest::bench::Format("log: append %s, %s", ascending ? "ascending" : "descending",
                          lock_per_row ? "lock per row" : "one lock"),
      kest::bench::Format("%d tracks x %d rows", tracks, rows),
      kest::bench::Format("%.1f M samples/s", samples / s / 1e6));
}

}  // namespace

int main() {
  // Tens of millions of samples per sheet, as a long recording reaches.
  Run(20, 2'000'000, true, true);
  Run(20, 2'000'000, false, true);
  Run(20, 2'000'000, true, false);
  Run(64, 500'000, true, true);
  // Memory speed for comparison: plain stores into a preallocated block.
  const int n = 40'000'000;
  auto* block = new float[n];
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) block[i] = static_cast<float>(i);
  double s = Seconds(std::chrono::steady_clock::now() - start);
  std::printf("plain stores into one preallocated block: %7.1f M samples/s (checksum %g)\n",
              n / s / 1e6, double(block[n / 2]));
  delete[] block;
  return 0;
}
