#include "witness/row_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "support/diagnostic_log.h"

namespace kest {

RowStore::RowStore(std::string spill_path, size_t memory_limit)
    : path_(std::move(spill_path)), limit_(memory_limit) {}

RowStore::~RowStore() { CloseFile(); }

void RowStore::CloseFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(path_.c_str());
    fd_ = -1;
  }
}

void RowStore::Reset(size_t width) {
  CloseFile();
  width_ = width;
  spilled_ = 0;
  spill_failed_ = false;
  args_.clear();
  values_.clear();
}

void RowStore::Append(const WitnessRow& row) {
  args_.push_back(row.arg);
  for (size_t i = 0; i < width_; ++i)
    values_.push_back(i < row.values.size() ? row.values[i] : NAN);
  if (!spill_failed_ && !path_.empty() && MemoryBytes() > limit_) Spill();
}

// The older half of the memory rows goes to the end of the file.
void RowStore::Spill() {
  if (fd_ < 0) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      spill_failed_ = true;
      Diag().Error("witness: cannot spill rows to " + path_ + ": " + std::strerror(errno));
      return;
    }
  }
  const size_t move = args_.size() / 2;
  std::vector<char> buffer(move * RecordSize());
  char* p = buffer.data();
  for (size_t i = 0; i < move; ++i) {
    std::memcpy(p, &args_[i], sizeof(double));
    std::memcpy(p + sizeof(double), &values_[i * width_], width_ * sizeof(float));
    p += RecordSize();
  }
  const off_t at = static_cast<off_t>(spilled_) * static_cast<off_t>(RecordSize());
  size_t done = 0;
  while (done < buffer.size()) {
    ssize_t n = ::pwrite(fd_, buffer.data() + done, buffer.size() - done, at + off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      spill_failed_ = true;
      Diag().Error("witness: cannot spill rows to " + path_ + ": " + std::strerror(errno));
      return;
    }
    done += static_cast<size_t>(n);
  }
  args_.erase(args_.begin(), args_.begin() + static_cast<long>(move));
  values_.erase(values_.begin(), values_.begin() + static_cast<long>(move * width_));
  spilled_ += static_cast<int64_t>(move);
}

void RowStore::Truncate(int64_t count) {
  if (count >= Count()) return;
  if (count >= spilled_) {
    const size_t keep = static_cast<size_t>(count - spilled_);
    args_.resize(keep);
    values_.resize(keep * width_);
    return;
  }
  // Into the spilled rows: the rows in memory go, the file is cut.
  args_.clear();
  values_.clear();
  spilled_ = count < 0 ? 0 : count;
  if (fd_ >= 0 &&
      ::ftruncate(fd_, static_cast<off_t>(spilled_) * static_cast<off_t>(RecordSize())) != 0)
    Diag().Error("witness: cannot cut " + path_ + ": " + std::strerror(errno));
}

std::vector<WitnessRow> RowStore::Read(int64_t from, int64_t to) const {
  std::vector<WitnessRow> rows;
  from = std::max<int64_t>(from, 0);
  to = std::min(to, Count());
  if (from >= to) return rows;
  rows.reserve(static_cast<size_t>(to - from));
  if (from < spilled_) {
    const int64_t end = std::min(to, spilled_);
    std::vector<char> buffer(static_cast<size_t>(end - from) * RecordSize());
    const off_t at = static_cast<off_t>(from) * static_cast<off_t>(RecordSize());
    size_t done = 0;
    while (done < buffer.size()) {
      ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done, at + off_t(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (done < buffer.size()) {
      Diag().Error("witness: cannot read rows back from " + path_);
      std::memset(buffer.data() + done, 0, buffer.size() - done);
    }
    const char* p = buffer.data();
    for (int64_t i = from; i < end; ++i) {
      WitnessRow row;
      std::memcpy(&row.arg, p, sizeof(double));
      row.values.resize(width_);
      std::memcpy(row.values.data(), p + sizeof(double), width_ * sizeof(float));
      rows.push_back(std::move(row));
      p += RecordSize();
    }
    from = end;
  }
  for (int64_t i = from; i < to; ++i) {
    const size_t k = static_cast<size_t>(i - spilled_);
    WitnessRow row;
    row.arg = args_[k];
    row.values.assign(values_.begin() + static_cast<long>(k * width_),
                      values_.begin() + static_cast<long>((k + 1) * width_));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace kest
