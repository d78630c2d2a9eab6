#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/curve_sampling.h"

namespace kest {

class TLogSheet;

enum class ResampleMethod { Nearest, Linear, Peak };

// "nearest", "linear", "peak"; nullopt-free: raises EAnalysisError for another word.
ResampleMethod ResampleMethodByName(const std::string& name);

// The log on a grid of `step` (mm or ms) at whole multiples of the step, from the
// first multiple at or after the log's start to the last at or before its end.
// Nearest takes the nearest sample, Linear the line between the two around the row,
// Peak the LAS export's value (the peak over the step ending at the row in the
// logging direction). Nulls stay nulls. Parameters and comments are kept.
// Raises EAnalysisError for a step <= 0 or a log without data.
void ResampleLog(const TLogSheet& in, TLogSheet& out, int32_t step, ResampleMethod method,
                 float null_value = kDefaultNullValue, const AnalysisProgress& progress = {});

enum class FilterKind { Mean, Median };

// The moving mean or median over `length` (mm or ms) centred on each sample: the
// round(length / step / 2) samples each side of it and the sample itself. Null
// samples are skipped, and stay null; the window is cut at the track's ends.
std::vector<float> FilterSamples(const TLogTrack& track, int32_t length, FilterKind kind,
                                 float null_value = kDefaultNullValue);
// Adds the filtered curve to the sheet as a new track named "<MNEM>_MEAN" or
// "<MNEM>_MEDIAN" (replacing one of that name) on the curve's grid; returns its name.
// Raises EAnalysisError for a length shorter than the step or longer than the curve,
// or a curve missing.
std::string AddFilteredTrack(TLogSheet& sheet, const std::string& curve, int32_t length,
                             FilterKind kind, float null_value = kDefaultNullValue);

}  // namespace kest
