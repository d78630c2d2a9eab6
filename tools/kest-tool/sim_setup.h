#pragma once

#include <string>
#include <vector>

#include "sim/tool_simulator.h"

namespace kest::tool {

// Simulator options shared by `sim` and `live`: --speed M/H, --depth M,
// --string CLASS#N,CLASS#N..., --corrupt P, --drop P, --never-ack, --seed N,
// --line memory|surface (which memory device answers on the line).
sim::SimSettings TakeSimSettings(std::vector<std::string>& args);

}  // namespace kest::tool
