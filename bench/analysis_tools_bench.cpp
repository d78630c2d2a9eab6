// The analyst's tools on large logs: depth matching of two 5 000 m logs at 10 cm over
// ±10 m, splicing two logs into 1,000,000 rows of 20 tracks, and resampling a log of
// 1,000,000 rows of 20 tracks to twice its step (linear and the LAS peak rule).
#include <chrono>
#include <cstdio>
#include <string>

#include "analysis/depth_match.h"
#include "analysis/generated_log.h"
#include "analysis/log_resample.h"
#include "analysis/log_splice.h"
#include "bench_line.h"
#include "log/log_sheet.h"
#include "log/log_track.h"

namespace {

template <typename F>
double Seconds(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Fill(kest::TLogSheet& sheet, int32_t origin, int32_t step, int rows, int tracks) {
  for (int k = 0; k < tracks; ++k) {
    kest::TLogTrack* t = sheet.NewTrack("T" + std::to_string(k));
    t->SetStep(step);
    t->SetOrigin(origin);
    t->LoadSamples(rows, [&](float* out) {
      for (int r = 0; r < rows; ++r) out[r] = static_cast<float>((r * (k + 3)) % 97 + 1);
    });
  }
  sheet.UpdateRange();
}

}  // namespace

int main() {
  namespace b = kest::bench;
  using kest::testing::AddCurve;
  {
    kest::testing::GeneratedFormation formation(1, 0, 5100);
    kest::TLogSheet ref, log;
    AddCurve(ref, "GK", 0, 100, 50001, [&](double z) { return formation(z); });
    AddCurve(log, "GK", 0, 100, 50001, [&](double z) { return formation(z - 3.3); });
    kest::DepthMatchOptions o;
    o.MaxShift = 10000;
    kest::DepthMatchResult r;
    const double s = Seconds([&] { r = kest::MatchDepth(ref, log, o); });
    std::printf("depth match: 5000 m at 10 cm, +-10 m: %.3f s, shift %.3f m, r %.3f\n", s,
                r.Windows[0].Shift / 1000, r.Windows[0].Correlation);
    b::Line("depth match: 5000 m at 10 cm over +-10 m", "50001 x 201 lags", b::Format("%.3f s", s));
  }
  constexpr int kRows = 1'000'000;
  constexpr int kTracks = 20;
  {
    kest::TLogSheet a, c, out;
    Fill(a, 0, 100, kRows / 2 + 100, kTracks);
    Fill(c, 50000000, 100, kRows / 2, kTracks);
    const double s = Seconds([&] { kest::SpliceLogs({&a, &c}, {50000000}, out); });
    std::printf("splice: %d rows x %d tracks: %.3f s\n", out.Tracks(0)->Count(), kTracks, s);
    b::Line("splice: two logs into one", "1M rows x 20 tracks",
            b::Format("%.2f M samples/s", kRows * kTracks / s / 1e6));
  }
  {
    kest::TLogSheet in;
    Fill(in, 0, 100, kRows, kTracks);
    for (auto [name, method] : {std::pair{"linear", kest::ResampleMethod::Linear},
                                std::pair{"peak", kest::ResampleMethod::Peak}}) {
      kest::TLogSheet out;
      const double s = Seconds([&] { kest::ResampleLog(in, out, 200, method); });
      std::printf("resample %s: %d rows x %d tracks to 20 cm: %.3f s\n", name, kRows, kTracks, s);
      b::Line(std::string("resample ") + name + ": 10 cm to 20 cm", "1M rows x 20 tracks",
              b::Format("%.2f M samples/s", kRows * kTracks / s / 1e6));
    }
  }
  return 0;
}
