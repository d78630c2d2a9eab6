#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "witness/witness_format.h"

namespace kest {

// The rows of one run as the publisher knows them: the newest in memory, the oldest
// moved to a spill file once memory holds more than its limit. Rows are records of
// fixed width (argument as double, values as float) so a range is one read. A spill
// file that cannot be written leaves the rows in memory (with a diagnostic): the
// recording never fails for it.
class RowStore {
 public:
  RowStore(std::string spill_path, size_t memory_limit);
  ~RowStore();
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;

  // Empties the store for rows of `width` values.
  void Reset(size_t width);
  void Append(const WitnessRow& row);
  // Keeps the first `count` rows.
  void Truncate(int64_t count);
  int64_t Count() const { return spilled_ + static_cast<int64_t>(args_.size()); }
  int64_t Spilled() const { return spilled_; }
  size_t MemoryBytes() const { return args_.size() * RecordSize(); }
  // Rows [from, to).
  std::vector<WitnessRow> Read(int64_t from, int64_t to) const;
  const std::string& SpillPath() const { return path_; }

 private:
  size_t RecordSize() const { return sizeof(double) + width_ * sizeof(float); }
  void Spill();
  void CloseFile();

  std::string path_;
  size_t limit_;
  size_t width_ = 0;
  int fd_ = -1;
  bool spill_failed_ = false;
  int64_t spilled_ = 0;  // rows [0, spilled_) are in the file
  std::vector<double> args_;
  std::vector<float> values_;
};

}  // namespace kest
