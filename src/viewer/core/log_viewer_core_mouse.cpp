// The sheet panel's mouse: hand dragging, the cursor and scrolling at the edges.
#include <algorithm>

#include "support/rounding.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

void TLogViewerCore::SheetMouseDown(int row, TMouseButton button) {
  FocusSheetPanel();
  if (!interactive_ || button != TMouseButton::kLeft) return;
  if (hand_drag_) {
    mouse_mode_ = mmDrag;
    drag_start_row_ = row;
    drag_start_top_ = view_top_;
  } else {
    mouse_mode_ = mmCursor;
    SetCursorPos(ArgumentAt(row));
  }
}

void TLogViewerCore::SheetMouseMove(int row) {
  if (mouse_mode_ == mmDrag) {
    SetViewTop(
        RoundHalfEven32(static_cast<double>(scale_) * (drag_start_row_ - row) / pixels_per_mm_) +
        drag_start_top_);
  } else if (mouse_mode_ == mmCursor) {
    if (row >= 0 && row <= panel_height_) {
      SetCursorPos(ArgumentAt(row));
      if (auto_scrolling_) {
        auto_scrolling_ = false;
        SetAutoScrollTimer(false);
      }
    } else {
      auto_scroll_speed_ = row < 0 ? row : row - panel_height_;
      if (!auto_scrolling_) {
        auto_scrolling_ = true;
        SetAutoScrollTimer(true);
      }
    }
  }
}

void TLogViewerCore::SheetMouseUp() {
  mouse_mode_ = mmNone;
  if (auto_scrolling_) {
    auto_scrolling_ = false;
    SetAutoScrollTimer(false);
  }
}

void TLogViewerCore::AutoScrollTick() {
  SetCursorPos(cursor_pos_ + RoundHalfEven32(auto_scroll_speed_ / 2.0 * scale_ / pixels_per_mm_));
}

void TLogViewerCore::SheetPanelFocused() { SetFocusedColumn(nullptr); }

}  // namespace kest
