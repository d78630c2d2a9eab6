#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/log_argument.h"

namespace kest {

class TLogSheet;

// One curve: the samples of one measured parameter on a regular grid of the
// argument. Sample i lies at argument Origin + i * Step. Samples are 32-bit floats
// in one contiguous buffer grown in blocks of kGrowth, with free room in front for
// tracks that grow towards smaller arguments (Ascending false), so appending a row
// costs one store and a reallocation only every kGrowth samples.
//
// A track may be held by several sheets at once; it lives as long as one of them
// holds it. Every change of samples or grid widens the changed interval of each
// holding sheet; no notification is sent per sample.
class TLogTrack : public std::enable_shared_from_this<TLogTrack> {
 public:
  static constexpr int32_t kGrowth = 8192;

  TLogTrack();
  ~TLogTrack();
  TLogTrack(const TLogTrack&) = delete;
  TLogTrack& operator=(const TLogTrack&) = delete;

  // The measured parameter's mnemonic, stored upper-case by every writer.
  const std::string& Parameter() const { return parameter_; }
  void SetParameter(std::string parameter) { parameter_ = std::move(parameter); }
  // 0 for the first track of a Parameter in a sheet, 1 for the second, ...
  int32_t Instance() const { return instance_; }
  TLogArgument Argument() const { return argument_; }
  void SetArgument(TLogArgument argument) { argument_ = argument; }
  // Copied in from another file for comparison: never recorded into, never saved.
  bool Foreign() const { return foreign_; }
  void SetForeign(bool foreign) { foreign_ = foreign; }
  // Run-time reference of the track's user (the recording session's channel).
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }

  int32_t Origin() const { return origin_; }
  int32_t Step() const { return step_; }
  // Origin + (Count - 1) * Step, or Origin when empty (saturated to 32 bits).
  int32_t End() const { return end_; }
  // Argument of sample i (saturated to 32 bits).
  int32_t ArgumentOf(int64_t i) const;
  void SetOrigin(int32_t origin);
  // Raises ELogTrackError "Шаг кривой < 1mm (ms)" for step <= 0, leaving Step as it was.
  void SetStep(int32_t step);
  bool Ascending() const { return ascending_; }
  void SetAscending(bool ascending) { ascending_ = ascending; }

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Head() const { return head_; }

  // Sample i, 0 <= i < Count(); not range-checked.
  float Sample(int32_t i) const { return data_[head_ + i]; }
  float LastSample() const { return Sample(count_ - 1); }
  // The Count() samples as seen (derived ones in the differential view).
  const float* Samples() const { return data_ ? data_ + head_ : nullptr; }
  // The Count() measured samples, whatever the view (what files store).
  const float* MeasuredSamples() const { return measured_ ? Measured() + head_ : nullptr; }
  void SetSample(int32_t i, float value);
  // Adds a sample at the growing end: after the last one (ascending) or in front of
  // sample 0, moving Origin down by one Step.
  void Append(float value);
  // Takes back the sample at the growing end; reports no change.
  void DropLast();
  // Resizes the buffer to n rounded up to kGrowth (n >= 0, else an assertion failure).
  // Raises EOutOfMemory when memory cannot be had, keeping the samples as they were.
  void SetCapacity(int32_t n);
  void ClearSamples();
  // Replaces the samples with `count` values (readers); reports the whole range.
  void LoadSamples(const float* values, int32_t count);
  // The same, with `fill` writing the `count` samples straight into the buffer
  // (readers of large files); if it raises, the track is left without samples.
  void LoadSamples(int32_t count, const std::function<void(float*)>& fill);

  uint32_t Checksum() const { return checksum_; }
  void SetChecksum(uint32_t checksum) { checksum_ = checksum; }
  void UpdateChecksum() { checksum_ = ComputeChecksum(); }
  // CRC-32 (reflected 0xEDB88320) of the measured samples' little-endian bytes,
  // started at 0xFFFFFFFF and not inverted at the end.
  uint32_t ComputeChecksum() const;
  static uint32_t ChecksumOf(const float* values, size_t count);

  // Differential view: samples read as |x(i) - x(i-1)| * Step (sample 0 reads 0).
  // Writes always go to the measured samples and keep the derived ones current.
  void SetDifferential(bool on);
  bool Differential() const { return differential_; }

  // Copies everything but Foreign and the sheet list from another track.
  void Assign(const TLogTrack& other);

  const std::vector<TLogSheet*>& Sheets() const { return sheets_; }

 private:
  friend class TLogSheet;

  void RecomputeEnd();
  void ReportChanged(int64_t first, int64_t last);
  void ReportWhole();
  void Rebuild(int64_t physical, int64_t front, int32_t new_head, int32_t keep);
  float* Measured() const { return measured_.get() + front_; }
  void UpdateDerived(int32_t i);
  void RecomputeDerived();

  std::string parameter_;
  int32_t instance_ = 0;
  std::vector<TLogSheet*> sheets_;
  TLogArgument argument_ = laDepth;
  int32_t origin_ = 0;
  int32_t step_ = 1;
  int32_t end_ = 0;
  // The logical buffer of Capacity floats lies at offset front_ of a physical block
  // of physical_ floats. Spare room around it lets the buffer grow by kGrowth at
  // either end without copying, so a long recording copies each sample O(1) times.
  std::unique_ptr<float[]> measured_;
  std::unique_ptr<float[]> derived_;
  int64_t physical_ = 0;
  int64_t front_ = 0;
  float* data_ = nullptr;  // logical buffer of measured_ or derived_, as reads see it
  int32_t head_ = 0;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
  bool ascending_ = true;
  bool differential_ = false;
  uint32_t checksum_ = 0;
  bool foreign_ = false;
  std::intptr_t tag_ = 0;
};

}  // namespace kest
