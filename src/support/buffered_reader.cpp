#include "support/buffered_reader.h"

#include <algorithm>
#include <cstring>

namespace kest {

BufferedReader::BufferedReader(Stream& stream, size_t block)
    : stream_(stream), buffer_(block), base_(stream.Position()), size_(stream.Size()) {}

bool BufferedReader::Fill() {
  base_ += static_cast<int64_t>(len_);
  pos_ = 0;
  stream_.Seek(base_);
  len_ = stream_.Read(buffer_.data(), buffer_.size());
  return len_ > 0;
}

size_t BufferedReader::Read(void* out, size_t count) {
  auto* dst = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < count) {
    if (pos_ == len_ && !Fill()) break;
    size_t n = std::min(count - done, len_ - pos_);
    std::memcpy(dst + done, buffer_.data() + pos_, n);
    pos_ += n;
    done += n;
  }
  return done;
}

void BufferedReader::Seek(int64_t position) {
  position = std::clamp<int64_t>(position, 0, size_);
  if (position >= base_ && position <= base_ + static_cast<int64_t>(len_)) {
    pos_ = static_cast<size_t>(position - base_);
    return;
  }
  base_ = position;
  pos_ = len_ = 0;
}

}  // namespace kest
