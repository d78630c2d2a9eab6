#include "log/log_track.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "support/assert.h"

namespace kest {

namespace {

int32_t Saturate32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// CRC tables for sixteen bytes at a time: kCrcTables[0] is the byte table, and
// kCrcTables[k][n] is the CRC of byte n followed by k zero bytes.
using CrcTables = std::array<std::array<uint32_t, 256>, 16>;

CrcTables MakeCrcTables() {
  CrcTables t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (size_t k = 1; k < 16; ++k)
    for (uint32_t n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
  return t;
}

const CrcTables kCrcTables = MakeCrcTables();

}  // namespace

TLogTrack::TLogTrack() = default;
TLogTrack::~TLogTrack() = default;

int32_t TLogTrack::ArgumentOf(int64_t i) const {
  return Saturate32(int64_t{origin_} + i * int64_t{step_});
}

void TLogTrack::RecomputeEnd() { end_ = count_ > 0 ? ArgumentOf(count_ - 1) : origin_; }

void TLogTrack::ReportChanged(int64_t first, int64_t last) {
  if (sheets_.empty()) return;
  int32_t from = ArgumentOf(first);
  int32_t to = ArgumentOf(last);
  for (TLogSheet* sheet : sheets_) sheet->WidenChanged(from, to);
}

void TLogTrack::ReportWhole() { ReportChanged(0, std::max(count_ - 1, 0)); }

void TLogTrack::SetOrigin(int32_t origin) {
  origin_ = origin;
  RecomputeEnd();
  ReportWhole();
}

void TLogTrack::SetStep(int32_t step) {
  if (step <= 0) throw ELogTrackError("Шаг кривой < 1mm (ms)");
  step_ = step;
  RecomputeEnd();
  if (derived_) RecomputeDerived();
  ReportWhole();
}

void TLogTrack::SetSample(int32_t i, float value) {
  Measured()[head_ + i] = value;
  if (derived_) UpdateDerived(i);
  ReportChanged(i, i);
}

void TLogTrack::Append(float value) {
  int32_t index;
  if (ascending_) {
    if (head_ + count_ >= capacity_) SetCapacity(capacity_ + kGrowth);
    index = count_++;
  } else {
    if (head_ == 0) SetCapacity(capacity_ + kGrowth);
    origin_ = Saturate32(int64_t{origin_} - step_);
    --head_;
    ++count_;
    index = 0;
  }
  Measured()[head_ + index] = value;
  if (derived_) UpdateDerived(index);
  RecomputeEnd();
  int32_t argument = ascending_ ? end_ : origin_;
  for (TLogSheet* sheet : sheets_) sheet->WidenChanged(argument, argument);
}

void TLogTrack::DropLast() {
  if (ascending_) {
    if (count_ > 0)
      --count_;
    else
      origin_ = Saturate32(int64_t{origin_} - step_);
  } else {
    origin_ = Saturate32(int64_t{origin_} + step_);
    if (count_ > 0) {
      ++head_;
      --count_;
      if (derived_ && count_ > 0) derived_[front_ + head_] = 0.0f;
    }
  }
  RecomputeEnd();
}

void TLogTrack::Rebuild(int64_t physical, int64_t front, int32_t new_head, int32_t keep) {
  auto fresh = [&](const std::unique_ptr<float[]>& old) -> std::unique_ptr<float[]> {
    std::unique_ptr<float[]> block(new (std::nothrow) float[static_cast<size_t>(physical)]);
    if (!block) throw EOutOfMemory("Out of memory");
    if (old && keep > 0)
      std::memcpy(block.get() + front + new_head, old.get() + front_ + head_,
                  sizeof(float) * static_cast<size_t>(keep));
    return block;
  };
  // Allocate both blocks before replacing either, so a failure changes nothing.
  auto measured = fresh(measured_);
  std::unique_ptr<float[]> derived = derived_ || differential_ ? fresh(derived_) : nullptr;
  measured_ = std::move(measured);
  derived_ = std::move(derived);
  physical_ = physical;
  front_ = front;
}

void TLogTrack::SetCapacity(int32_t n) {
  KEST_ASSERT(n >= 0);
  if (n == capacity_) return;
  if (n == 0) {
    measured_.reset();
    derived_.reset();
    physical_ = front_ = 0;
    head_ = 0;
  } else {
    int64_t rounded = (int64_t{n} + kGrowth - 1) / kGrowth * kGrowth;
    if (rounded > std::numeric_limits<int32_t>::max()) throw EOutOfMemory("Out of memory");
    n = static_cast<int32_t>(rounded);
    if (n == capacity_) return;
    // Spare room given when a growing buffer must move: a quarter of its size again,
    // so a sample is copied a few times at most and memory stays within 1.25 times.
    int64_t spare = std::max<int64_t>(kGrowth, n / 4);
    if (capacity_ == 0) {
      Rebuild(n, 0, 0, 0);
      head_ = ascending_ ? 0 : n;  // a descending track wants all room in front
    } else if (ascending_) {
      int32_t keep = std::min(count_, n);
      int32_t new_head = head_ + keep <= n ? head_ : n - keep;
      if (n < capacity_)
        Rebuild(n, 0, new_head, keep);
      else if (front_ + n > physical_)
        Rebuild(n + spare, 0, new_head, keep);
      head_ = new_head;
    } else if (n > capacity_) {
      // The extra room goes in front; samples keep their place in memory when the
      // block has spare room before the buffer.
      int32_t extra = n - capacity_;
      if (front_ >= extra)
        front_ -= extra;
      else
        Rebuild(spare + n, spare, head_ + extra, count_);
      head_ += extra;
    } else {
      int32_t keep = std::min(count_, n);
      Rebuild(n, 0, n - keep, keep);
      head_ = n - keep;
    }
  }
  capacity_ = n;
  data_ = capacity_ == 0 ? nullptr
                         : (differential_ && derived_ ? derived_.get() : measured_.get()) + front_;
  if (count_ > capacity_) {
    count_ = capacity_;
    RecomputeEnd();
    ReportWhole();
  }
}

void TLogTrack::ClearSamples() {
  ReportWhole();
  count_ = 0;
  SetCapacity(0);
  RecomputeEnd();
}

void TLogTrack::LoadSamples(const float* values, int32_t count) {
  LoadSamples(count, [&](float* samples) {
    std::memcpy(samples, values, sizeof(float) * static_cast<size_t>(count));
  });
}

void TLogTrack::LoadSamples(int32_t count, const std::function<void(float*)>& fill) {
  KEST_ASSERT(count >= 0);
  count_ = 0;
  SetCapacity(0);
  SetCapacity(count);
  if (count > 0) {
    if (!ascending_) head_ = capacity_ - count;
    fill(Measured() + head_);
  }
  count_ = count;
  RecomputeEnd();
  ReportWhole();
}

uint32_t TLogTrack::ChecksumOf(const float* values, size_t count) {
  const auto& t = kCrcTables;
  uint32_t c = 0xFFFFFFFFu;
  size_t i = 0;
  // Four samples (sixteen little-endian bytes) per step, so that loading a file is
  // not held up by its checksum.
  for (; i + 4 <= count; i += 4) {
    uint32_t w[4];
    std::memcpy(w, &values[i], sizeof w);
    w[0] ^= c;
    c = t[15][w[0] & 0xFF] ^ t[14][(w[0] >> 8) & 0xFF] ^ t[13][(w[0] >> 16) & 0xFF] ^
        t[12][w[0] >> 24] ^ t[11][w[1] & 0xFF] ^ t[10][(w[1] >> 8) & 0xFF] ^
        t[9][(w[1] >> 16) & 0xFF] ^ t[8][w[1] >> 24] ^ t[7][w[2] & 0xFF] ^
        t[6][(w[2] >> 8) & 0xFF] ^ t[5][(w[2] >> 16) & 0xFF] ^ t[4][w[2] >> 24] ^
        t[3][w[3] & 0xFF] ^ t[2][(w[3] >> 8) & 0xFF] ^ t[1][(w[3] >> 16) & 0xFF] ^ t[0][w[3] >> 24];
  }
  for (; i < count; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &values[i], sizeof bits);
    for (int b = 0; b < 4; ++b) c = t[0][(c ^ (bits >> (8 * b))) & 0xFF] ^ (c >> 8);
  }
  return c;
}

uint32_t TLogTrack::ComputeChecksum() const {
  return ChecksumOf(measured_ ? Measured() + head_ : nullptr, static_cast<size_t>(count_));
}

void TLogTrack::UpdateDerived(int32_t i) {
  auto derive = [&](int32_t k) {
    if (k < 0 || k >= count_) return;
    const float* m = Measured() + head_;
    derived_[front_ + head_ + k] =
        k == 0 ? 0.0f : static_cast<float>(std::fabs(double{m[k]} - double{m[k - 1]}) * step_);
  };
  derive(i);
  derive(i + 1);
}

void TLogTrack::RecomputeDerived() {
  for (int32_t i = 0; i < count_; ++i) UpdateDerived(i);
}

void TLogTrack::SetDifferential(bool on) {
  if (on == differential_) return;
  if (on && capacity_ > 0 && !derived_) {
    derived_ = std::unique_ptr<float[]>(new (std::nothrow) float[static_cast<size_t>(physical_)]);
    if (!derived_) throw EOutOfMemory("Out of memory");
    RecomputeDerived();
  }
  differential_ = on;
  data_ = (differential_ && derived_ ? derived_.get() : measured_.get()) + front_;
}

void TLogTrack::Assign(const TLogTrack& other) {
  count_ = 0;
  SetCapacity(0);
  ascending_ = true;  // place the copy from index 0, as Head := 0 asks
  SetCapacity(other.capacity_);
  head_ = 0;
  if (other.count_ > 0)
    std::memcpy(Measured(), other.Measured() + other.head_,
                sizeof(float) * static_cast<size_t>(other.count_));
  count_ = other.count_;
  parameter_ = other.parameter_;
  instance_ = other.instance_;
  argument_ = other.argument_;
  origin_ = other.origin_;
  step_ = other.step_;
  ascending_ = other.ascending_;
  tag_ = other.tag_;
  RecomputeEnd();
  ReportWhole();
}

}  // namespace kest
