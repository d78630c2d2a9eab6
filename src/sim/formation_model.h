#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kest::sim {

// What the tools would read at one true depth.
struct FormationReading {
  double gamma = 0;         // µR/h
  double neutron_near = 0;  // counts per sample
  double neutron_far = 0;
  double resistivity_deep = 0;  // ohm·m
  double resistivity_medium = 0;
  double sp = 0;           // mV
  double temperature = 0;  // °C
  double caliper = 0;      // mm
};

// A synthetic section of beds (shale, water sand, oil sand, limestone) laid down
// from a seed, with smooth boundaries and a geothermal gradient. Every reading is a
// function of true depth alone (its small "noise" too), so a log recorded down and
// the same interval recorded up agree, and tests can compare recorded values with
// At().
class FormationModel {
 public:
  enum class Lithology : uint8_t { Shale, WaterSand, OilSand, Limestone };

  explicit FormationModel(uint32_t seed = 1, double max_depth_m = 6000.0);

  FormationReading At(double depth_m) const;
  Lithology LithologyAt(double depth_m) const;
  // Depth of the boundary above the bed at `depth_m`.
  double BedTop(double depth_m) const;

  double surface_temperature = 12.0;  // °C
  double gradient = 0.03;             // °C per metre
  double noise = 0.01;                // relative size of the depth-bound noise

 private:
  struct Bed {
    double top;
    Lithology lithology;
    FormationReading base;  // readings in the middle of the bed
  };
  size_t BedIndex(double depth_m) const;
  std::vector<Bed> beds_;
};

}  // namespace kest::sim
