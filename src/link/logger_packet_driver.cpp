#include "link/logger_packet_driver.h"

#include "link/logger_port_driver.h"
#include "support/assert.h"

namespace kest {

TLoggerPacketDriver::TLoggerPacketDriver() : read_buffer_(kReadBufferSize), packets_(kRingSize) {}

void TLoggerPacketDriver::AttachID(uint8_t id) {
  uint8_t count = attach_count_[id].load(std::memory_order_relaxed);
  Require(count < 255, "Overflow in TL1_Driver.AttachID");
  attach_count_[id].store(count + 1, std::memory_order_relaxed);
}

void TLoggerPacketDriver::DetachID(uint8_t id) {
  uint8_t count = attach_count_[id].load(std::memory_order_relaxed);
  Require(count > 0, "Underflow in TL1_Driver.DetachID");
  attach_count_[id].store(count - 1, std::memory_order_relaxed);
}

void TLoggerPacketDriver::Put(uint8_t id, int value16) {
  packets_.Put({id, static_cast<uint8_t>((value16 >> 8) & 0xFF),
                static_cast<uint8_t>(value16 & 0xFF), 0, 0, 0});
}

void TLoggerPacketDriver::Tick() {
  Put(0x01);
  if (port_ && port_->Opened()) {
    // A packet cut off by a lost device is not completed by the bytes of the next.
    if (uint32_t opening = port_->Openings(); opening != opening_) {
      opening_ = opening;
      parse_state_ = 0;
    }
    for (;;) {
      uint32_t n = port_->Read(read_buffer_.data(), kReadBufferSize);
      if (n == 0) break;
      Feed(read_buffer_.data(), n);
    }
  }
  if (++tick_count_ >= kTicksPerReport) {
    tick_count_ %= kTicksPerReport;
    Put(0x02);
    Put(0x04, good_count_);  // reported modulo 65536
    good_count_ = 0;
    if (bad_count_ > 0) {
      Put(0x03, bad_count_);
      bad_count_ = 0;
    }
  }
}

void TLoggerPacketDriver::Feed(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) ParseByte(bytes[i]);
}

void TLoggerPacketDriver::ParseByte(uint8_t b) {
  if (parse_state_ == 0) {
    if (b == 0x92 || b == 0x93) {
      Put(b);
      ++good_count_;
    } else if (Attached(b)) {
      current_[0] = b;
      parse_state_ = 1;
    } else {
      ++bad_count_;
    }
    return;
  }
  current_[static_cast<size_t>(parse_state_)] = b;
  if (++parse_state_ < 6) return;
  parse_state_ = 0;
  uint8_t sum = 0;
  for (uint8_t v : current_) sum = static_cast<uint8_t>(sum + v);
  if (sum == 0) {
    ++good_count_;
    packets_.Put(current_);
    return;
  }
  ++bad_count_;
  // A packet may have started inside the rejected one: parse its last five bytes
  // again. Five bytes cannot complete a packet from state 0, so this never nests.
  resync_ = current_;
  for (size_t i = 1; i < 6; ++i) ParseByte(resync_[i]);
}

}  // namespace kest
