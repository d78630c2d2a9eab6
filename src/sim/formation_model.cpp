#include "sim/formation_model.h"

#include <algorithm>
#include <cmath>

namespace kest::sim {

namespace {

// A small deterministic generator (no global state, same sequence everywhere).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  double Next() {  // [0, 1)
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }
  double Between(double a, double b) { return a + (b - a) * Next(); }

 private:
  uint64_t state_;
};

// Depth-bound noise in [-1, 1]: the same at the same depth whichever way the tool goes.
double DepthNoise(double depth_m, int channel) {
  auto cm = static_cast<int64_t>(std::floor(depth_m * 100.0));
  uint64_t h = static_cast<uint64_t>(cm) * 0x9E3779B97F4A7C15ull +
               static_cast<uint64_t>(channel) * 0xC2B2AE3D27D4EB4Full;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return static_cast<double>(h % 2000001) / 1000000.0 - 1.0;
}

// The ranges a bed's readings are drawn from, by lithology (in the order of the
// enumeration): gamma µR/h, deep resistivity ohm·m, near and far neutron counts,
// SP mV, caliper mm.
struct Range {
  double low, high;
};
struct LithologyRanges {
  Range gamma, resistivity, near, far, sp, caliper;
};
constexpr LithologyRanges kRanges[] = {
    {{9, 14}, {2, 5}, {700, 900}, {150, 220}, {-5, 5}, {230, 260}},           // shale
    {{3, 5}, {0.5, 2}, {900, 1100}, {300, 380}, {-70, -50}, {215, 222}},      // water sand
    {{3, 5}, {15, 60}, {950, 1150}, {330, 420}, {-60, -40}, {215, 222}},      // oil sand
    {{1.5, 3}, {80, 400}, {1200, 1400}, {500, 650}, {-20, -10}, {215, 218}},  // limestone
};

FormationReading Typical(FormationModel::Lithology lithology, Random& r) {
  const LithologyRanges& k = kRanges[static_cast<size_t>(lithology)];
  auto draw = [&r](Range range) { return r.Between(range.low, range.high); };
  FormationReading f;
  f.gamma = draw(k.gamma);
  f.resistivity_deep = draw(k.resistivity);
  f.neutron_near = draw(k.near);
  f.neutron_far = draw(k.far);
  f.sp = draw(k.sp);
  f.caliper = draw(k.caliper);
  f.resistivity_medium = f.resistivity_deep * r.Between(0.7, 1.1);  // invasion
  return f;
}

// 0 above the boundary, 1 below, smooth over half a metre.
double Blend(double depth_m, double boundary) {
  double x = std::clamp((depth_m - boundary) / 0.5 + 0.5, 0.0, 1.0);
  return x * x * (3 - 2 * x);
}

FormationReading Mix(const FormationReading& a, const FormationReading& b, double t) {
  auto m = [t](double x, double y) { return x + (y - x) * t; };
  FormationReading f;
  f.gamma = m(a.gamma, b.gamma);
  f.neutron_near = m(a.neutron_near, b.neutron_near);
  f.neutron_far = m(a.neutron_far, b.neutron_far);
  // Resistivity blends on a log scale, as it changes by decades.
  f.resistivity_deep = std::exp(m(std::log(a.resistivity_deep), std::log(b.resistivity_deep)));
  f.resistivity_medium =
      std::exp(m(std::log(a.resistivity_medium), std::log(b.resistivity_medium)));
  f.sp = m(a.sp, b.sp);
  f.caliper = m(a.caliper, b.caliper);
  return f;
}

}  // namespace

FormationModel::FormationModel(uint32_t seed, double max_depth_m) {
  Random r(seed);
  double top = 0;
  Lithology previous = Lithology::Limestone;
  while (top < max_depth_m + 50) {
    Lithology lithology;
    do {
      double p = r.Next();
      lithology = p < 0.45   ? Lithology::Shale
                  : p < 0.7  ? Lithology::WaterSand
                  : p < 0.85 ? Lithology::OilSand
                             : Lithology::Limestone;
    } while (lithology == previous);
    beds_.push_back({top, lithology, Typical(lithology, r)});
    previous = lithology;
    top += r.Between(1.5, 12.0);
  }
}

size_t FormationModel::BedIndex(double depth_m) const {
  auto it = std::upper_bound(beds_.begin(), beds_.end(), depth_m,
                             [](double d, const Bed& b) { return d < b.top; });
  return it == beds_.begin() ? 0 : static_cast<size_t>(it - beds_.begin() - 1);
}

FormationModel::Lithology FormationModel::LithologyAt(double depth_m) const {
  return beds_[BedIndex(depth_m)].lithology;
}

double FormationModel::BedTop(double depth_m) const { return beds_[BedIndex(depth_m)].top; }

FormationReading FormationModel::At(double depth_m) const {
  size_t i = BedIndex(depth_m);
  FormationReading f = beds_[i].base;
  if (i > 0 && depth_m - beds_[i].top < 0.25)
    f = Mix(beds_[i - 1].base, f, Blend(depth_m, beds_[i].top));
  if (i + 1 < beds_.size() && beds_[i + 1].top - depth_m < 0.25)
    f = Mix(f, beds_[i + 1].base, Blend(depth_m, beds_[i + 1].top));
  double n = noise;
  f.gamma *= 1 + n * DepthNoise(depth_m, 1);
  f.neutron_near *= 1 + n * DepthNoise(depth_m, 2);
  f.neutron_far *= 1 + n * DepthNoise(depth_m, 3);
  f.resistivity_deep *= 1 + n * DepthNoise(depth_m, 4);
  f.resistivity_medium *= 1 + n * DepthNoise(depth_m, 5);
  f.sp += 2 * n * 100 * DepthNoise(depth_m, 6) * 0.05;
  f.temperature = surface_temperature + gradient * std::max(depth_m, 0.0);
  return f;
}

}  // namespace kest::sim
