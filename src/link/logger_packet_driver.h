#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "link/packet_buffer.h"

namespace kest {

class TLoggerPortDriver;

// Turns the tool's byte stream into six-byte packets and adds packets of its own:
// 0x01 on every 25 ms tick, and once a second 0x02, 0x04 (good count) and, when
// something was rejected, 0x03 (bad count). A packet is accepted when some sensor
// listens to its ID and its six bytes sum to 0 mod 256; 0x92 and 0x93 at a packet
// start are complete one-byte messages. Tick runs on the receive thread; the ring
// is the only state shared with the main thread. Nothing is allocated per byte.
class TLoggerPacketDriver {
 public:
  static constexpr int kReadBufferSize = 6144;
  static constexpr int kRingSize = 512;
  static constexpr int kTicksPerReport = 40;

  TLoggerPacketDriver();

  void SetPort(TLoggerPortDriver* port) { port_ = port; }
  // Counted per ID: at 255 AttachID fails with "Overflow in TL1_Driver.AttachID", at
  // 0 DetachID with "Underflow in TL1_Driver.DetachID" (assertion failures).
  void AttachID(uint8_t id);
  void DetachID(uint8_t id);
  bool Attached(uint8_t id) const { return attach_count_[id].load(std::memory_order_relaxed) != 0; }

  // One 25 ms step of the receive thread: tick packet, drain the port, statistics.
  void Tick();
  // The byte parser alone (no tick or statistics packets).
  void Feed(const uint8_t* bytes, size_t count);

  bool GetPacket(TPacket& packet) { return packets_.Get(packet); }
  TPacketBuffer& Packets() { return packets_; }

  int GoodCount() const { return good_count_; }
  int BadCount() const { return bad_count_; }
  int ParseState() const { return parse_state_; }
  int TickCount() const { return tick_count_; }

 private:
  void ParseByte(uint8_t b);
  void Put(uint8_t id, int value16 = 0);

  std::array<std::atomic<uint8_t>, 256> attach_count_{};
  std::vector<uint8_t> read_buffer_;
  TPacket current_{};
  TPacket resync_{};
  TPacketBuffer packets_;
  TLoggerPortDriver* port_ = nullptr;
  int good_count_ = 0;
  int bad_count_ = 0;
  int parse_state_ = 0;
  int tick_count_ = 0;
  uint32_t opening_ = 0;  // the port's Openings() when last read
};

}  // namespace kest
