#include "app/core/port_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "link/port_device.h"

namespace kest {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// An on-board port without a UART reports type 0 (PORT_UNKNOWN).
bool HasUart(const std::string& sys_tty_dir, const std::string& name) {
  std::ifstream in(sys_tty_dir + "/" + name + "/type");
  int type = 0;
  return in >> type && type != 0;
}

}  // namespace

std::vector<std::string> ListPorts(const std::string& dev_dir, const std::string& sys_tty_dir) {
  namespace fs = std::filesystem;
  std::vector<std::string> ports;
  std::error_code ec;
  for (fs::directory_iterator it(dev_dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    bool usb = StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM");
    bool board = StartsWith(name, "ttyS") && HasUart(sys_tty_dir, name);
    if (usb || board) ports.push_back(it->path().string());
  }
  std::sort(ports.begin(), ports.end());
  ports.push_back(kSimPortName);
  return ports;
}

bool CanOpenPort(const std::string& name) {
  try {
    return OpenPortDevice(name) != nullptr;
  } catch (...) {
    return false;
  }
}

}  // namespace kest
