#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "log/null_sample.h"

namespace kest {

class TLogSheet;

// Which way the cable ran while the samples were taken.
enum class CableRun { Down, Up };

struct TimeToDepthOptions {
  int32_t step_mm = 100;  // depth step of the log built
  CableRun run = CableRun::Down;
  // Surface recorder's clock minus the tool's, in seconds; nothing: found from the
  // tool's pressure (see FindClockOffset).
  std::optional<double> offset_s;
  // Samples taken while the cable stood still (slower than `still_m_per_h`) are
  // dropped unless kept.
  bool keep_stationary = false;
  double still_m_per_h = 60;
  // How far either way the offset is looked for.
  double search_s = 3600;
  // The program's null value ("NullValue"): such samples are missing, never averaged
  // or interpolated; a step that only missing samples fell in stays missing.
  float null_value = kDefaultNullValue;
  // Percent done; false cancels (ESessionError "Прервано").
  std::function<bool(int percent)> progress;
};

struct TimeToDepthResult {
  double OffsetS = 0;
  bool OffsetFound = false;
  double Correlation = 0;  // of the found offset
  int64_t Used = 0;        // tool samples in the log
  int64_t Stationary = 0;  // dropped as stationary
  int64_t OtherRun = 0;    // taken on the other run
  int64_t Outside = 0;     // without surface depth at their time
  double TopM = 0, BottomM = 0;
  int32_t Rows = 0;
};

// A memory tool's time log and the surface recorder's depth-time log of the same
// run make a depth log: the tool's time of each sample, moved by the clock offset,
// finds the cable depth between the recorder's one-second records (linear); the
// samples of the chosen run are averaged into depth steps (ascending), steps no
// sample fell in are interpolated from their neighbours. Both logs place their rows
// by the "StartTime" date and the time of day (rows from midnight); a log without
// the date counts from its own midnight. Raises ESessionError when a log is not a
// time log, the surface log has no "DEPTH", or no sample lands on the chosen run.
TimeToDepthResult BuildDepthLog(const TLogSheet& tool, const TLogSheet& surface, TLogSheet& out,
                                const TimeToDepthOptions& options);

// The common event of the two logs is the run itself: the tool's pressure (its
// "PRESSURE" track, else its first) rises and falls with the cable depth. The offset
// is the one that correlates them best (Pearson, over at most 2000 samples), looked
// for in 10 s, then 1 s, then 0.1 s steps. `correlation` gets the best value. Raises
// ESessionError when the logs do not meet in time, or when even the best offset
// correlates less than 0.7 (the logs are not of one run): the offset must be given.
double FindClockOffset(const TLogSheet& tool, const TLogSheet& surface, double search_s,
                       double* correlation = nullptr, float null_value = kDefaultNullValue);

}  // namespace kest
