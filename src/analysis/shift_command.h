#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kest {

class TLogSheet;
class TLogTrack;
class UndoCommand;

// Moves tracks of a sheet along the argument by `delta` (mm or ms) as one undoable
// change of the sheet ("Смещение"): Do adds delta to each track's origin under the
// sheet's lock, Undo takes it off again. The inspector's "Смещение" moves one track;
// the depth match moves every track of the log by minus the shift found.
std::unique_ptr<UndoCommand> ShiftTracksCommand(TLogSheet& sheet, std::vector<TLogTrack*> tracks,
                                                int32_t delta);
// Every track of the sheet.
std::unique_ptr<UndoCommand> ShiftSheetCommand(TLogSheet& sheet, int32_t delta);

}  // namespace kest
