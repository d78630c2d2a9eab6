#pragma once

#include <memory>

#include "link/port_device.h"
#include "sim/tool_simulator.h"

namespace kest::sim {

// The port device that connects a logger to an in-process simulator.
std::unique_ptr<PortDevice> MakeSimPort(std::shared_ptr<ToolSimulator> simulator);

// Makes the port name "SIM" open `simulator` (the same one on every open, so the
// tool keeps its state when the logger changes ports and comes back).
void RegisterSimPort(std::shared_ptr<ToolSimulator> simulator);

}  // namespace kest::sim
