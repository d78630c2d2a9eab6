#pragma once

#include <string>
#include <vector>

#include "sim/tool_simulator.h"

namespace kest::tool {

// Simulator options shared by `sim` and `live`: --speed M/H, --depth M,
// --string CLASS#N,CLASS#N..., --corrupt P, --drop P, --never-ack, --seed N,
// --line memory|surface (which memory device answers on the line), and the depth
// error below.
sim::SimSettings TakeSimSettings(std::vector<std::string>& args);
// --depth-error M and --depth-stretch M (per 100 m): a run recorded off depth against
// the same formation (`record` takes these alone).
void TakeDepthError(std::vector<std::string>& args, sim::SimSettings& settings);

}  // namespace kest::tool
