#include "viewer/core/viewer_commands.h"

#include <cmath>
#include <cstdio>

#include "log/log_track.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/scale_list.h"
#include "viewer/core/track_column.h"
#include "viewer/core/value_format.h"

namespace kest {

namespace {

constexpr ViewerCommandInfo kInfo[kViewerCommandCount] = {
    {"TLogViewerIncVScale", "Ближе", 0},
    {"TLogViewerDecVScale", "Дальше", 1},
    {"TLogViewerCreateColumnBelow", "Создать колонку под текущей", 2},
    {"TLogViewerCreateColumnBefore", "Создать колонку слева", 3},
    {"TLogViewerCreateColumnAfter", "Создать колонку справа", 4},
    {"TLogViewerDeleteColumn", "Удалить колонку", 5},
    {"TLogViewerClear", "Удалить все", 6},
    {"TLogViewerHandDrag", "Прокрутка рукой", 7},
    {"TLogViewerShowInspector", "Инспектор", 8},
};

bool HasColumns(const TLogViewerCore& v) { return v.RootColumn()->LSon() != nullptr; }

}  // namespace

const ViewerCommandInfo& InfoOf(ViewerCommand command) { return kInfo[static_cast<int>(command)]; }

bool CommandOfClass(const std::string& class_name, ViewerCommand& command) {
  for (int i = 0; i < kViewerCommandCount; ++i) {
    if (class_name == kInfo[i].ClassName) {
      command = static_cast<ViewerCommand>(i);
      return true;
    }
  }
  return false;
}

bool ChangesColumns(ViewerCommand command) {
  switch (command) {
    case ViewerCommand::CreateColumnBelow:
    case ViewerCommand::CreateColumnBefore:
    case ViewerCommand::CreateColumnAfter:
    case ViewerCommand::DeleteColumn:
    case ViewerCommand::Clear:
      return true;
    default:
      return false;
  }
}

bool CommandEnabled(const TLogViewerCore* viewer, ViewerCommand command) {
  if (!viewer) return false;
  const TLogViewerCore& v = *viewer;
  const TLogViewerColumn* focused = v.FocusedColumn();
  switch (command) {
    case ViewerCommand::IncVScale:
      return v.ScaleIndex() >= kFirstUserScaleIndex + 1 && HasColumns(v);
    case ViewerCommand::DecVScale:
      return v.ScaleIndex() <= kScaleCount - 2 && HasColumns(v);
    case ViewerCommand::CreateColumnBelow:
      return v.Interactive() && (!HasColumns(v) || (focused && !focused->LSon()));
    case ViewerCommand::CreateColumnBefore:
    case ViewerCommand::CreateColumnAfter:
    case ViewerCommand::DeleteColumn:
      return v.Interactive() && focused;
    case ViewerCommand::Clear:
    case ViewerCommand::HandDrag:
      return v.Interactive() && HasColumns(v);
    case ViewerCommand::ShowInspector:
      return true;
  }
  return false;
}

bool CommandChecked(const TLogViewerCore* viewer, ViewerCommand command) {
  return viewer && command == ViewerCommand::HandDrag && viewer->HandDrag();
}

TLogViewerColumn* RunCommand(TLogViewerCore& v, ViewerCommand command) {
  if (!CommandEnabled(&v, command)) return nullptr;
  TLogViewerColumn* focused = v.FocusedColumn();
  switch (command) {
    case ViewerCommand::IncVScale:
      v.ZoomIn();
      return nullptr;
    case ViewerCommand::DecVScale:
      v.ZoomOut();
      return nullptr;
    case ViewerCommand::CreateColumnBelow: {
      TLogViewerCore::UpdateGuard update(v);
      auto* column = v.NewColumn<TGraphicsColumn>();
      column->AddChild(HasColumns(v) ? focused : v.RootColumn());
      v.RaiseEvent(veColumns);
      return column;
    }
    case ViewerCommand::CreateColumnBefore:
    case ViewerCommand::CreateColumnAfter: {
      TLogViewerCore::UpdateGuard update(v);
      auto* column = v.NewColumn<TGraphicsColumn>();
      if (command == ViewerCommand::CreateColumnBefore) {
        column->InsertBefore(focused);
      } else {
        column->InsertAfter(focused);
      }
      Rebalance(column->Father());
      v.RaiseEvent(veColumns);
      return column;
    }
    case ViewerCommand::DeleteColumn: {
      TLogViewerCore::UpdateGuard update(v);
      TLogViewerColumn* father = focused->Father();
      v.SetFocusedColumn(nullptr);
      focused->FreeWithSubtree();
      Rebalance(father);
      v.RaiseEvent(veColumns);
      return nullptr;
    }
    case ViewerCommand::Clear:
      v.ClearColumns();
      return nullptr;
    case ViewerCommand::HandDrag:
      v.SetHandDrag(!v.HandDrag());
      return nullptr;
    case ViewerCommand::ShowInspector:
      v.ShowInspector();
      return nullptr;
  }
  return nullptr;
}

std::vector<std::string> ScaleComboItems() {
  std::vector<std::string> items;
  for (int i = kFirstUserScaleIndex; i < kScaleCount; ++i)
    items.push_back("1:" + std::to_string(kScales[i]));
  return items;
}

int ScaleComboIndex(const TLogViewerCore& viewer) {
  const int index = viewer.ScaleIndex() - kFirstUserScaleIndex;
  return index >= 0 && index < kScaleCount - kFirstUserScaleIndex ? index : -1;
}

void ChooseScaleComboItem(TLogViewerCore* viewer, int index) {
  if (!viewer) throw ELogViewerError("LogViewer is absent");
  if (index < 0 || index >= kScaleCount - kFirstUserScaleIndex) return;
  viewer->SetScaleIndex(index + kFirstUserScaleIndex);
}

std::string CursorDescription(const TLogViewerCore& viewer) {
  if (!viewer.ShowCursor() || !viewer.Sheet()) return {};
  const int32_t arg = viewer.CursorPos();
  std::string text;
  if (viewer.ArgumentKind() == laTime) {
    text = TArgColumn::ArgumentText(arg, true);
  } else {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f м", arg / 1000.0);
    text = buffer;
  }
  const auto* column = dynamic_cast<const TTrackColumn*>(viewer.FocusedColumn());
  const TLogTrack* track = column ? column->Track() : nullptr;
  if (track && track->Step() > 0) {
    const double index =
        std::trunc((static_cast<double>(arg) - viewer.PlacedOrigin(*track)) / track->Step());
    if (index >= 0 && index < track->Count() &&
        !viewer.IsNull(track->Sample(static_cast<int32_t>(index))))
      text += "  " + column->Parameter() + " = " +
              FormatValue(track->Sample(static_cast<int32_t>(index)), 0, 3);
  }
  return text;
}

}  // namespace kest
