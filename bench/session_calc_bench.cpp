// The curve calculator over a large sheet: three formulas over a sheet of 20 tracks
// of 1,000,000 rows each, read, evaluated and written back as the window does it.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_line.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "session/curve_calculator.h"

int main() {
  constexpr int kRows = 1'000'000;
  constexpr int kTracks = 20;
  kest::TLogParameterTables tables;
  kest::TLogSheet sheet;
  for (int k = 0; k < kTracks; ++k) {
    std::string name = "T" + std::to_string(k);
    tables.Parameters().Add(name, "Кривая " + name, 0, "0.00", name, "у.е.", name);
    kest::TLogTrack* t = sheet.NewTrack(name);
    t->SetStep(100);
    t->SetOrigin(0);
    t->LoadSamples(kRows, [&](float* out) {
      for (int r = 0; r < kRows; ++r) out[r] = static_cast<float>((r * (k + 3)) % 97 + 1);
    });
  }
  sheet.UpdateRange();
  // The formulas mention every track.
  std::string text =
      "T0 := T1 * 2 + T2 / 3 - T3 + T4 * T5\n"
      "T6 := if(T7 > 50, (T7 - 50) * 0.5 + sqrt(abs(T8)), T9 - 1) + min(T10, T11)\n"
      "T12 := ln(T13 * T13 + 1) + max(T14, T15) + T16 * T17 - T18 / T19\n";
  kest::CalcNameList names;
  auto start = std::chrono::steady_clock::now();
  kest::CalcResult r = kest::CalculateTracks(sheet, text, tables.Parameters(), names);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("calc: %lld rows x %zu tracks, 3 formulas: %.3f s, %.2f M rows/s\n",
              static_cast<long long>(r.Rows), r.Inputs.size(), s, r.Rows / s / 1e6);
  namespace b = kest::bench;
  b::Line("calc: 3 formulas over 20 tracks", b::Format("%d rows", kRows),
          b::Format("%.2f M rows/s", r.Rows / s / 1e6));
  return 0;
}
