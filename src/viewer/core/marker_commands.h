#pragma once

#include <cstdint>
#include <memory>

namespace kest {

class TTrackColumn;
class UndoCommand;

// Markers put on and taken off a track column as undoable commands. A command
// keeps the column's markers before and after; it changes nothing once the column
// has left its viewer's tree.

// "Поставить метку": a tick on the sample of the column's track nearest
// `argument`. Null when the column has no track (nothing to mark).
std::unique_ptr<UndoCommand> AddMarkerCommand(TTrackColumn& column, int32_t argument);

// The marker of the column nearest `argument` within `reach` argument units, or -1.
int FindMarkerNear(const TTrackColumn& column, int32_t argument, int32_t reach);

// "Удалить метку": that marker taken off; null when there is none.
std::unique_ptr<UndoCommand> RemoveMarkerCommand(TTrackColumn& column, int32_t argument,
                                                 int32_t reach);

}  // namespace kest
