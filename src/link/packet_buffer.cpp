#include "link/packet_buffer.h"

#include <chrono>

#include "support/assert.h"
#include "support/diagnostic_log.h"

namespace kest {

TPacketBuffer::TPacketBuffer(int size) : slots_(static_cast<size_t>(size)) {
  KEST_ASSERT(size >= 2 && (size & (size - 1)) == 0);
  mask_ = static_cast<uint32_t>(size - 1);
}

bool TPacketBuffer::Put(const TPacket& packet) {
  {
    std::lock_guard lock(mutex_);
    if (((read_index_ + slots_.size() - write_index_) & mask_) == 1) {
      Diag().Error("Packet was lost coz of buffer overflow");
      return false;
    }
    slots_[write_index_] = packet;
    write_index_ = (write_index_ + 1) & mask_;
    data_ready_ = true;
  }
  ready_.notify_one();
  return true;
}

bool TPacketBuffer::Get(TPacket& packet) {
  std::lock_guard lock(mutex_);
  if (read_index_ == write_index_) return false;
  packet = slots_[read_index_];
  read_index_ = (read_index_ + 1) & mask_;
  return true;
}

bool TPacketBuffer::WaitDataReady(int timeout_ms) {
  std::unique_lock lock(mutex_);
  bool signalled =
      ready_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return data_ready_; });
  data_ready_ = false;
  return signalled;
}

void TPacketBuffer::Signal() {
  {
    std::lock_guard lock(mutex_);
    data_ready_ = true;
  }
  ready_.notify_one();
}

int TPacketBuffer::Pending() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>((write_index_ - read_index_) & mask_);
}

}  // namespace kest
