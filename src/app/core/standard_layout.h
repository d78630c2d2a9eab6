#pragma once

namespace kest {

class TLogSheet;
class TLogViewerCore;

// The layout shown when no layout file is chosen: the argument scale, then one
// auto-scaled curve column per track of `sheet` (the argument tracks "DEPTH" and
// "TIME" excepted), in the sheet's order, each in a colour of its own. More curves
// than eight share at most eight columns, several curves one over the other.
void BuildStandardLayout(TLogViewerCore& viewer, const TLogSheet& sheet);

// A layout from a file shows the tracks it names; a track the sheet gained since (made
// by the calculator, added from another file) gets a graphics column of its own at
// the right. Returns how many columns were added.
int AddColumnsForUnshownTracks(TLogViewerCore& viewer, const TLogSheet& sheet);

}  // namespace kest
