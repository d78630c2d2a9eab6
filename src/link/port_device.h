#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kest {

// An open byte device behind the logger's port: a serial line, the null device, the
// in-process simulator or a test's scripted port. Failures are written to the
// diagnostic log by the device and never raised after opening; a device that went
// away (an unplugged USB adapter, a removed device node, a pseudo-terminal whose
// other side closed) is reported by LostError instead, once, by its owner.
// Read and Queued come from one thread, Write from another.
class PortDevice {
 public:
  virtual ~PortDevice() = default;
  // Bytes waiting in the input queue (0 on failure).
  virtual size_t Queued() = 0;
  // Reads up to `count` bytes that are already queued; never blocks.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes the bytes; returns how many the system took.
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // The system error that ended the device (EIO, ENXIO, ENODEV ...), 0 while it
  // works. A lost device stays lost: only opening the port again brings it back.
  virtual int LostError() const { return 0; }
  // Faults met so far (failed calls, a hang-up), the one that lost the device
  // included.
  virtual uint32_t Faults() const { return 0; }
};

// Opens a device by port name; raises ELoggerError "Error opening <name> <system
// message>" when it cannot.
using PortOpener = std::function<std::unique_ptr<PortDevice>(const std::string& name)>;

// Names served by something other than the operating system ("SIM" is registered by
// the simulator at start-up; tests register their own). Matched without case.
void RegisterPortName(std::string name, PortOpener opener);
void UnregisterPortName(std::string_view name);

// The device for a port name: registered names first, then "Nul" (the null device:
// opens, never reads a byte, swallows writes), then a device path or "COMn"
// (mapped to /dev/ttyS<n-1>) opened exclusively for reading and writing.
std::unique_ptr<PortDevice> OpenPortDevice(const std::string& name);

// The path the operating system opens for a port name ("COM3" -> "/dev/ttyS2").
std::string PortDevicePath(const std::string& name);

}  // namespace kest
