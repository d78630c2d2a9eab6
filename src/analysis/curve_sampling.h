#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "log/null_sample.h"

namespace kest {

class TLogSheet;
class TLogTrack;

// Called every few thousand rows with the rows done and the total; returning false
// cancels the operation, which then raises EAnalysisCancelled.
using AnalysisProgress = std::function<bool(int64_t done, int64_t total)>;

// The value of a track at argument x: the sample itself when x lies on one, else
// the straight line between the two samples around x. Null (returned as
// `null_value`) outside the track and when a sample the value needs is null.
float LinearValueAt(const TLogTrack& track, int64_t x, float null_value = kDefaultNullValue);
// The sample nearest to x (the lower one at half a step); null outside the track's
// samples by more than half a step.
float NearestValueAt(const TLogTrack& track, int64_t x, float null_value = kDefaultNullValue);

// The samples of a track at from, from + step, ... (n values, linear), nulls as NaN:
// the form the statistics work on.
std::vector<double> GridValues(const TLogTrack& track, int64_t from, int64_t step, int64_t n,
                               float null_value = kDefaultNullValue);

// The track of `sheet` named `mnemonic` (upper-cased; "NAME#N" for the N-th of that
// name, from 0); raises EAnalysisError "Кривая \"NAME\" не найдена в логе <what>" (the
// log not named when `what` is empty).
const TLogTrack& AnalysedTrack(const TLogSheet& sheet, const std::string& mnemonic,
                               const std::string& what);
// Raises EAnalysisError when two logs are of different argument kinds or one has no
// data: "Логи разных аргументов: DEPTH и TIME", "Лог <what> не содержит данных".
void CheckComparable(const TLogSheet& a, const std::string& a_name, const TLogSheet& b,
                     const std::string& b_name);
// Metres (or seconds) of an argument in mm (ms) as the messages show them: "1234.50".
std::string ArgumentText(int64_t x);

// Calls `progress` and raises EAnalysisCancelled when it returns false.
void ReportProgress(const AnalysisProgress& progress, int64_t done, int64_t total);

}  // namespace kest
