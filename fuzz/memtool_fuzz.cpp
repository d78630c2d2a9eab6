// What a memory tool sends back: task records of its table page, the status word,
// the clock and its 4-byte floats. Every decoder takes any bytes; a record that
// decodes goes through the table's checks and page allocation, and encodes back to
// a record that decodes to the same task.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>

#include "fuzz_common.h"
#include "memtool/task_table.h"
#include "memtool/tool_codec.h"

using namespace kest;

namespace {

uint32_t Word(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Stricter than SameTask: the first pages must survive too.
bool SameRecord(const TTask& a, const TTask& b) {
  if (a.Mode != b.Mode || a.Tracks.size() != b.Tracks.size()) return false;
  if (TaskMinutes(a.Start) != TaskMinutes(b.Start) || TaskMinutes(a.End) != TaskMinutes(b.End))
    return false;
  for (size_t i = 0; i < a.Tracks.size(); ++i)
    if (a.Tracks[i].Period != b.Tracks[i].Period || a.Tracks[i].FirstPage != b.Tracks[i].FirstPage)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TTaskDefTable table;
  table.Resize(1);
  int tasks = 0;
  for (size_t at = 0; at + 32 <= size && tasks < TTaskDefTable::kMaxStoredTasks; at += 32) {
    std::span<const uint8_t, 32> record(data + at, 32);
    auto task = DecodeTaskRecord(record, table.ChannelCount());
    if (!task) continue;
    auto again = DecodeTaskRecord(std::span<const uint8_t, 32>(EncodeTaskRecord(*task)),
                                  table.ChannelCount());
    fuzz::Require(again.has_value(), "an encoded task decodes");
    fuzz::Require(SameRecord(*task, *again), "a task survives encoding");
    table.Resize(++tasks);
    table.Tasks(tasks - 1) = *task;
  }
  if (tasks > 0) {
    fuzz::Guarded([&] { (void)CheckTaskTable(table); });
    fuzz::Guarded([&] { (void)table.AllocatePages(); });
    for (int t = 0; t < table.Count(); ++t)
      for (int c = 0; c < table.ChannelCount(); ++c)
        fuzz::Require(table.Pages(t, c) >= 0 && table.Samples(t, c) >= 0, "no negative counts");
  }
  for (size_t at = 0; at + 8 <= size; at += 8) {
    (void)DecodeStatus(Word(data + at));
    (void)DecodeClock(Word(data + at), Word(data + at + 4));
    std::array<uint8_t, 4> bytes;
    std::memcpy(bytes.data(), data + at, 4);
    const double value = DecodeToolFloat(bytes);
    if (std::isfinite(value) && value != 0) {
      const double back = DecodeToolFloat(EncodeToolFloat(value));
      fuzz::Require(std::abs(back - value) <= std::abs(value) * 1e-6,
                    "a tool float survives encoding");
    }
  }
  return 0;
}
