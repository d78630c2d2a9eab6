#pragma once

#include <memory>
#include <string>

namespace kest {

class TLogViewerCore;
class UndoCommand;

// The tablet's columns as a stored layout (the viewer's own format).
std::string LayoutSnapshot(const TLogViewerCore& viewer);

// A change of the tablet's columns (created, deleted, cleared, a kind changed),
// made already, as an undoable command: undoing puts back the layout `before` it,
// redoing the layout after it (taken now). Columns keep their names in a layout,
// so commands that find a column by name (markers) still find it. With
// `marks_log` the change counts as an edit of the open log (it is marked modified,
// as for the inspector's changes of a column's look); otherwise the log is not
// changed.
std::unique_ptr<UndoCommand> ColumnsChange(TLogViewerCore& viewer, std::string before,
                                           std::string text, bool marks_log = false);

}  // namespace kest
