#pragma once

#include <string>

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
void LoadSheetFile(const std::string& path, const ToolEnvironment& env, LogDocument& document);
// Finds "NAME" or "NAME#N" (N counts same-named tracks from 0); raises
// ELogSheetError when there is no such track.
const TLogTrack& TrackBySpec(const TLogSheet& sheet, const std::string& spec);

// The sheet as one JSON object; samples of every track (or of `only`) when asked.
std::string SheetJson(const TLogSheet& sheet, bool with_samples, const TLogTrack* only = nullptr);
// Human-readable summary / samples.
std::string SheetInfoText(const std::string& path, const TLogSheet& sheet);
std::string TrackDumpText(const TLogTrack& track);

}  // namespace kest::tool
