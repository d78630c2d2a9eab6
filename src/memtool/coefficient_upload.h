#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "memtool/calibration_record.h"

namespace kest {

class TMemoryTool;

// Page 0 of the tool's memory, the calibration block, as 132 reply values (tool floats
// f0 ... f129, then bytes 520-527):
//
//   | tool floats | bytes    | content                                           |
//   |-------------|----------|---------------------------------------------------|
//   | f0-f48      | 0-195    | full table, f(7r + c) = coefficient of T^c x^r    |
//   | f49-f55     | 196-223  | temperature coefficients                          |
//   | f56-f63     | 224-255  | thermal compensation, row by row (4 each)         |
//   | f64-f77     | 256-311  | reduced table, row by row (7 each)                |
//   | f127-f129   | 508-519  | dividers of "AIN1", "AIN2", "AIN3"                |
//   |             | 520-522  | 0                                                 |
//   |             | 523-527  | converter gains                                   |
inline constexpr int kCoefToolFloats = 78;
inline constexpr int kCoefBlockBytes = 4 * kCoefToolFloats;  // 312
inline constexpr int kDividerBlockOffset = 508;
inline constexpr int kDividerBlockBytes = 20;

// The 78 values of the first write, in the tool's order.
std::array<double, kCoefToolFloats> CoefficientToolValues(const TCoefRecord& record);
// The first write: 0x07, page 0, offset 0, length 312, the 78 tool floats (a value of
// magnitude below 1e-35 sent as 0).
std::vector<uint8_t> CoefficientWriteCommand(const TCoefRecord& record);
// The second write: 0x07, page 0, offset 508, length 20, the three shown dividers as
// tool floats, three zero bytes and the five gain bytes.
std::vector<uint8_t> DividerWriteCommand(const TCoefRecord& record);

// The record the calibration block of page 0 describes (`values`: the page's 132
// reply values); the places the tool does not hold (reference pressures, measurement
// tables, the last two dividers) come from `base`.
TCoefRecord RecordFromCalibrationBlock(std::span<const uint32_t> values, const TCoefRecord& base);

// "Загрузить в прибор": both writes, each awaited for its acknowledgement, with
// "Передача коэффициентов" in the status bar. Raises EMemoryToolError when the tool
// does not acknowledge a write.
void UploadCoefficients(TMemoryTool& tool, const TCoefRecord& record);
// Reads page 0 and returns the record it holds (see RecordFromCalibrationBlock);
// raises EMemoryToolError when the tool does not answer.
TCoefRecord ReadToolCoefficients(TMemoryTool& tool, const TCoefRecord& base);

}  // namespace kest
