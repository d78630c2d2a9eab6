#pragma once

#include <functional>

namespace kest {

class Stream;
class TLogSheet;
class TLogParameters;
struct TLasOptions;

// LAS import: reads the text of `stream` into `sheet` (emptied by the caller),
// rebuilding tracks from the curve section through `dictionary`. Reads LAS 1.2 and
// 2.0, one line per row or wrapped, fields separated by blanks or tabs; refuses
// LAS 3.0. Notices the user should see go to options.OnWarning. `progress` gets
// every tenth percent of the stream read.
void ReadLas(Stream& stream, TLogSheet& sheet, const TLasOptions& options,
             TLogParameters& dictionary, const std::function<void(int percent)>& progress);

}  // namespace kest
