#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"

namespace kest::testing {

// A formation curve of depth in metres: beds of seeded random values and lengths,
// smoothed over their boundaries, with a slow trend; what a gamma log looks like,
// without periodicity a correlation could lock onto at the wrong lag.
class GeneratedFormation {
 public:
  explicit GeneratedFormation(uint32_t seed, double from_m = 0, double to_m = 6000) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> length(0.4, 6.0), value(2.0, 20.0);
    for (double z = from_m - 20; z < to_m + 20; z += length(rng)) beds_.push_back({z, value(rng)});
  }
  double operator()(double z) const {
    // Beds found by binary search; a 0.3 m ramp between neighbours.
    size_t lo = 0, hi = beds_.size();
    while (hi - lo > 1) {
      size_t mid = (lo + hi) / 2;
      (beds_[mid].top <= z ? lo : hi) = mid;
    }
    double v = beds_[lo].value;
    if (lo + 1 < beds_.size() && beds_[lo + 1].top - z < 0.3) {
      double t = (0.3 - (beds_[lo + 1].top - z)) / 0.6;
      v += (beds_[lo + 1].value - v) * t;
    }
    return v + 0.001 * z;
  }

 private:
  struct Bed {
    double top, value;
  };
  std::vector<Bed> beds_;
};

// Adds a track of `rows` samples from `origin` by `step` (mm), sample i being
// value(depth in metres); every sample whose index `is_null` picks is null.
inline TLogTrack* AddCurve(TLogSheet& sheet, const std::string& name, int32_t origin, int32_t step,
                           int32_t rows, const std::function<double(double)>& value,
                           const std::function<bool(int32_t)>& is_null = {}) {
  auto track = std::make_shared<TLogTrack>();
  track->SetParameter(name);
  track->SetStep(step);
  track->SetOrigin(origin);
  std::vector<float> samples(static_cast<size_t>(rows));
  for (int32_t i = 0; i < rows; ++i)
    samples[static_cast<size_t>(i)] =
        is_null && is_null(i) ? kDefaultNullValue
                              : static_cast<float>(value((origin + int64_t{i} * step) / 1000.0));
  track->LoadSamples(samples.data(), rows);
  sheet.AddTrack(track);
  sheet.UpdateRange();
  return track.get();
}

}  // namespace kest::testing
