#pragma once

#include <string>
#include <vector>

namespace kest {

// The ports the menu "Порт" offers: the serial devices present (USB adapters
// ttyUSB*, ttyACM*, and the on-board ttyS* that have a UART behind them), sorted,
// then the built-in simulator "SIM".
std::vector<std::string> ListPorts(const std::string& dev_dir = "/dev",
                                   const std::string& sys_tty_dir = "/sys/class/tty");

// Tries to open the port by name and closes it again.
bool CanOpenPort(const std::string& name);

constexpr const char* kSimPortName = "SIM";

}  // namespace kest
