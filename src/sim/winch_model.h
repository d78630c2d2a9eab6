#pragma once

#include <cstdint>

namespace kest::sim {

// The winch and the cable: the tool hangs at a true depth; the measuring wheel at
// the surface counts cable with a small error (wear and stretch), so the counted
// depth drifts from the truth; magnetic labels on the cable every `label_interval`
// metres of true cable length let the recorder correct it. Time advances only
// through Advance, so tests run as fast as they like.
class WinchModel {
 public:
  struct Settings {
    double start_depth_m = 0;
    double speed_m_per_h = 0;    // positive: down
    double wheel_error = 0.002;  // the wheel counts 0.2 % too much
    double label_interval_m = 10;
    double bottom_m = 5000;
    double tool_weight_kgf = 250;
    double cable_weight_kgf_per_m = 0.35;
    double friction_kgf = 40;  // adds pulling up, subtracts going down
  };

  WinchModel() : WinchModel(Settings{}) {}
  explicit WinchModel(const Settings& settings);

  void SetSpeed(double m_per_h) { speed_m_per_h_ = m_per_h; }
  double Speed() const { return speed_m_per_h_; }
  // Moves the tool; it stops at the surface and at the bottom.
  void Advance(double seconds);
  void SetTrueDepth(double depth_m);

  double TrueDepth() const { return depth_m_; }
  // What the wheel has counted, in metres.
  double CountedDepth() const { return depth_m_ * (1 + settings_.wheel_error); }
  // Counter units of `step_m` counted since the start (signed).
  int64_t Counts(double step_m) const;
  // Labels passed so far (each crossing of a multiple of the interval, either way).
  int64_t LabelCrossings() const { return label_crossings_; }
  double Tension() const;
  const Settings& GetSettings() const { return settings_; }

 private:
  Settings settings_;
  double speed_m_per_h_;
  double depth_m_;
  double start_counted_m_;
  int64_t label_crossings_ = 0;
};

}  // namespace kest::sim
