#pragma once

#include <cstdint>
#include <vector>

#include "support/stream.h"

namespace kest {

// Reads a stream through a block buffer, for readers that scan byte by byte.
class BufferedReader {
 public:
  explicit BufferedReader(Stream& stream, size_t block = size_t{64} * 1024);

  // The next byte, or -1 at the end.
  int ReadByte() {
    if (pos_ == len_ && !Fill()) return -1;
    return buffer_[pos_++];
  }
  // Reads up to `count` bytes; returns how many were read.
  size_t Read(void* out, size_t count);
  void Skip(int64_t count) { Seek(Position() + count); }
  void Seek(int64_t position);
  int64_t Position() const { return base_ + static_cast<int64_t>(pos_); }
  int64_t Size() const { return size_; }

 private:
  bool Fill();
  Stream& stream_;
  std::vector<uint8_t> buffer_;
  int64_t base_ = 0;  // stream position of buffer_[0]
  size_t pos_ = 0;
  size_t len_ = 0;
  int64_t size_ = 0;
};

}  // namespace kest
