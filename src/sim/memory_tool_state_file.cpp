// The memory tool simulator's state file: the tool's memory and clock kept between
// runs of a program.
#include <algorithm>

#include "sim/memory_tool_simulator.h"
#include "support/atomic_file.h"
#include "support/clock.h"
#include "support/stream.h"

namespace kest::sim {

namespace {

// State file:
//   | "KESTMTS1" | tool - wall clock ms (i64) | launch ms (i64, -1) | page count n (u16) |
//   then n times | page (u16) | 528 bytes |              all little-endian
constexpr char kStateMagic[8] = {'K', 'E', 'S', 'T', 'M', 'T', 'S', '1'};

template <typename T>
void PutLE(std::string& out, T v) {
  for (size_t i = 0; i < sizeof(T); ++i)
    out.push_back(static_cast<char>(static_cast<uint64_t>(v) >> (8 * i)));
}
template <typename T>
bool GetLE(const std::string& in, size_t& at, T& v) {
  if (in.size() - at < sizeof(T)) return false;
  uint64_t x = 0;
  for (size_t i = 0; i < sizeof(T); ++i) x |= uint64_t{static_cast<uint8_t>(in[at + i])} << (8 * i);
  v = static_cast<T>(x);
  at += sizeof(T);
  return true;
}

}  // namespace

void MemoryToolSimulator::SaveState(const std::string& path) const {
  std::string out(kStateMagic, 8);
  std::vector<int> written;
  {
    std::lock_guard lock(mutex_);
    PutLE<int64_t>(out, ToolMs(clock_.NowMs()) - WallMs());
    PutLE<int64_t>(out, launch_ms_);
    for (int p = 0; p < kPages; ++p) {
      auto page = flash_.begin() + static_cast<long>(p) * kPageSize;
      if (p < 2 || std::any_of(page, page + kPageSize, [](uint8_t b) { return b != 0xFF; }))
        written.push_back(p);
    }
    PutLE<uint16_t>(out, static_cast<uint16_t>(written.size()));
    for (int p : written) {
      PutLE<uint16_t>(out, static_cast<uint16_t>(p));
      out.append(reinterpret_cast<const char*>(flash_.data()) + static_cast<size_t>(p) * kPageSize,
                 kPageSize);
    }
  }
  AtomicFile file(path);
  file.Write(out.data(), out.size());
  file.Commit();
}

bool MemoryToolSimulator::LoadState(const std::string& path) {
  std::string in;
  try {
    FileStream stream(path, FileStream::Mode::Read);
    int64_t size = stream.Size();
    if (size < 0 || size > int64_t{kPages + 1} * (kPageSize + 2) + 64) return false;
    in.resize(static_cast<size_t>(size));
    if (stream.Read(in.data(), in.size()) != in.size()) return false;
  } catch (const std::exception&) {
    return false;
  }
  if (in.size() < 8 || in.compare(0, 8, kStateMagic, 8) != 0) return false;
  size_t at = 8;
  int64_t offset = 0, launch = 0;
  uint16_t count = 0;
  if (!GetLE(in, at, offset) || !GetLE(in, at, launch) || !GetLE(in, at, count)) return false;
  if (in.size() - at != size_t{count} * (2 + kPageSize)) return false;
  std::vector<uint8_t> flash(static_cast<size_t>(kPages) * kPageSize, 0xFF);
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t page = 0;
    GetLE(in, at, page);
    if (page >= kPages) return false;
    std::copy_n(in.begin() + static_cast<long>(at), kPageSize,
                flash.begin() + static_cast<long>(page) * kPageSize);
    at += kPageSize;
  }
  std::lock_guard lock(mutex_);
  flash_ = std::move(flash);
  clock_base_ms_ = clock_.NowMs();
  tool_base_ms_ = WallMs() + offset;
  launch_ms_ = launch;
  return true;
}

}  // namespace kest::sim
