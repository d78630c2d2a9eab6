#pragma once

namespace kest {

class TLogSheet;
class TLogViewerCore;

// The layout shown when no layout file is chosen: the argument scale, then one
// auto-scaled curve column per track of `sheet` (the argument tracks "DEPTH" and
// "TIME" excepted), in the sheet's order, each in a colour of its own.
void BuildStandardLayout(TLogViewerCore& viewer, const TLogSheet& sheet);

}  // namespace kest
