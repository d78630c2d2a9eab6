#include "sim/winch_model.h"

#include <algorithm>
#include <cmath>

namespace kest::sim {

WinchModel::WinchModel(const Settings& settings)
    : settings_(settings),
      speed_m_per_h_(settings.speed_m_per_h),
      depth_m_(settings.start_depth_m),
      start_counted_m_(settings.start_depth_m * (1 + settings.wheel_error)) {}

void WinchModel::SetTrueDepth(double depth_m) {
  depth_m_ = std::clamp(depth_m, 0.0, settings_.bottom_m);
  start_counted_m_ = CountedDepth();
}

void WinchModel::Advance(double seconds) {
  double before = depth_m_;
  depth_m_ = std::clamp(depth_m_ + speed_m_per_h_ * seconds / 3600.0, 0.0, settings_.bottom_m);
  auto label = [&](double d) {
    return static_cast<int64_t>(std::floor(d / settings_.label_interval_m));
  };
  label_crossings_ += std::llabs(label(depth_m_) - label(before));
}

int64_t WinchModel::Counts(double step_m) const {
  return static_cast<int64_t>(std::llround((CountedDepth() - start_counted_m_) / step_m));
}

double WinchModel::Tension() const {
  double t = settings_.tool_weight_kgf + settings_.cable_weight_kgf_per_m * depth_m_;
  if (speed_m_per_h_ < 0) t += settings_.friction_kgf;
  if (speed_m_per_h_ > 0) t -= settings_.friction_kgf;
  return std::max(t, 0.0);
}

}  // namespace kest::sim
