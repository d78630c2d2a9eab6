#pragma once

#include <string>
#include <vector>

namespace kest {

class TLogViewerColumn;
class TLogViewerCore;

// The tablet's ready-made commands: what each needs to be enabled and what it
// does. The window's actions (TLogViewerAction) and the tests use the same rules.
enum class ViewerCommand {
  IncVScale,           // "Ближе"
  DecVScale,           // "Дальше"
  CreateColumnBelow,   // "Создать колонку под текущей"
  CreateColumnBefore,  // "Создать колонку слева"
  CreateColumnAfter,   // "Создать колонку справа"
  DeleteColumn,        // "Удалить колонку"
  Clear,               // "Удалить все"
  HandDrag,            // "Прокрутка рукой"
  ShowInspector,       // "Инспектор" (the window's own: the inspector is a window)
};
inline constexpr int kViewerCommandCount = 9;

struct ViewerCommandInfo {
  const char* ClassName;  // the name a stored window layout creates it by
  const char* Hint;
  int Image;
};
const ViewerCommandInfo& InfoOf(ViewerCommand command);
// The command of a class name ("TLogViewerIncVScale"); false for another name.
bool CommandOfClass(const std::string& class_name, ViewerCommand& command);

// The commands that add or remove columns.
bool ChangesColumns(ViewerCommand command);

// Whether the command can run on `viewer` (null: never). ShowInspector depends on
// the window alone and is always true here.
bool CommandEnabled(const TLogViewerCore* viewer, ViewerCommand command);
// Hand dragging is on (the action's check mark).
bool CommandChecked(const TLogViewerCore* viewer, ViewerCommand command);
// Runs it when enabled; returns the column created (the create commands) or null.
TLogViewerColumn* RunCommand(TLogViewerCore& viewer, ViewerCommand command);

// The scale box: one item "1:N" per scale the user may choose, and the item of
// the viewer's scale (-1 when it is not one of them).
std::vector<std::string> ScaleComboItems();
int ScaleComboIndex(const TLogViewerCore& viewer);
// The user chose item `index`: raises ELogViewerError "LogViewer is absent" without
// a viewer.
void ChooseScaleComboItem(TLogViewerCore* viewer, int index);

// The cursor's argument and the focused curve's value there, for the status bar:
// "1234.50 м  GK = 12.35" (depth) or "00:12:30  GK = 12.35" (time); the value is
// left out where the curve has no sample. Empty while the cursor is hidden.
std::string CursorDescription(const TLogViewerCore& viewer);

}  // namespace kest
