#pragma once

#include <string>

#include "log/null_sample.h"

namespace kest {
class TLogSheet;
class TLogTrack;
}  // namespace kest

namespace kest {
class LogDocument;
}

namespace kest::tool {

class ToolEnvironment;

// Opens a log file as the editor does (the reader its extension names).
// A LAS file's gaps become `null_value`.
void LoadSheetFile(const std::string& path, const ToolEnvironment& env, LogDocument& document,
                   float null_value = kDefaultNullValue);
// Finds "NAME" or "NAME#N" (N counts same-named tracks from 0); raises
// ELogSheetError when there is no such track.
const TLogTrack& TrackBySpec(const TLogSheet& sheet, const std::string& spec);

// The sheet as one JSON object; samples of every track (or of `only`) when asked,
// a missing sample (equal to `null_value`, or NaN) as null.
std::string SheetJson(const TLogSheet& sheet, bool with_samples, const TLogTrack* only = nullptr,
                      float null_value = kDefaultNullValue);
// Human-readable summary / samples.
std::string SheetInfoText(const std::string& path, const TLogSheet& sheet);
// A missing sample reads "null".
std::string TrackDumpText(const TLogTrack& track, float null_value = kDefaultNullValue);

}  // namespace kest::tool
