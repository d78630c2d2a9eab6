#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kest {

// One six-byte packet: ID, then data bytes D0..D4.
using TPacket = std::array<uint8_t, 6>;

// The ring of finished packets between the receive thread (Put) and the main
// thread (Get). Holds Size - 1 packets; a Put into a full ring drops the new packet
// and logs "Packet was lost coz of buffer overflow". Every stored packet signals
// DataReady, an auto-reset event the notify thread waits on.
class TPacketBuffer {
 public:
  explicit TPacketBuffer(int size = 512);  // a power of two

  bool Put(const TPacket& packet);
  bool Get(TPacket& packet);
  // Waits until DataReady is signalled or the time-out passes; resets the event.
  bool WaitDataReady(int timeout_ms);
  // Signals DataReady without a packet (used to wake the waiter when stopping).
  void Signal();

  int Size() const { return static_cast<int>(slots_.size()); }
  int Pending() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  bool data_ready_ = false;
  std::vector<TPacket> slots_;
  uint32_t mask_;
  uint32_t read_index_ = 0;
  uint32_t write_index_ = 0;
};

}  // namespace kest
