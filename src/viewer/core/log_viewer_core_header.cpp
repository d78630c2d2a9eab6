// The viewer core's keyboard and header panel: keys, the headers' hit tests, the
// width drag and the painting of the header rows.
#include <algorithm>

#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

// --- Keyboard ------------------------------------------------------------------------

bool TLogViewerCore::KeyDown(TViewerKey key, TShiftState shift) {
  if (shift.ShiftOnly() || shift.CtrlOnly()) return false;
  switch (key) {
    case TViewerKey::kPageUp:
      PageUp();
      return true;
    case TViewerKey::kPageDown:
      PageDown();
      return true;
    case TViewerKey::kHome:
      SetCursorPos(sheet_first_);
      return true;
    case TViewerKey::kEnd:
      SetCursorPos(sheet_last_);
      return true;
    case TViewerKey::kUp:
      LineUp();
      return true;
    case TViewerKey::kDown:
      LineDown();
      return true;
    case TViewerKey::kPadPlus:
      ZoomIn();
      return true;
    case TViewerKey::kPadMinus:
      ZoomOut();
      return true;
    case TViewerKey::kF11:
      ShowInspector();
      return true;
    default:
      return false;
  }
}

void TLogViewerCore::HeaderPanelKeyDown(TViewerKey key, TShiftState shift) {
  if (focused_ && focused_->HeaderKeyDown(key, shift)) return;
  KeyDown(key, shift);
}

// --- Header panel ----------------------------------------------------------------------

int TLogViewerCore::HeaderPanelHeight() const {
  int height = RoundHalfEven32(8.0 * TreeDepth() * pixels_per_mm_);
  if (printing_ && monochrome_ && height != 0) height += 2;
  return height;
}

TLogViewerColumn* TLogViewerCore::HeaderAt(int x, int y) const {
  for (auto& c : columns_) {
    if (c->father_ && c->header_.Contains(x, y)) return c.get();
  }
  return nullptr;
}

TLogViewerColumn* TLogViewerCore::SplitterAt(int x, int y) const {
  TLogViewerColumn* c = HeaderAt(x, y);
  if (c && c->rlink_ && x >= c->header_.Right - 4) return c;
  return nullptr;
}

bool TLogViewerCore::HeaderMouseDown(int x, int y, TMouseButton button, TShiftState shift) {
  TLogViewerColumn* c = HeaderAt(x, y);
  if (!c) return false;
  if (button == TMouseButton::kLeft && SplitterAt(x, y) == c) {
    // The drag holds an update until HeaderMouseUp: drag_column_ marks it open.
    drag_column_ = c;
    BeginUpdate();
    return true;
  }
  SetFocusedColumn(c);
  if (button == TMouseButton::kLeft && shift.Ctrl) {
    c->SetMarked(!c->marked_);
  } else {
    ClearMarks();
  }
  return false;
}

void TLogViewerCore::HeaderMouseMove(int x, int) {
  TLogViewerColumn* c = drag_column_;
  if (!c || !c->rlink_) return;
  const int edge = c->left_ + c->width_;
  if ((x < edge && c->relative_width_ > 50) || (x > edge && c->rlink_->relative_width_ > 50)) {
    // Shares never go negative, whatever the pointer does.
    const int delta = std::clamp(x - edge, -c->relative_width_, c->rlink_->relative_width_);
    c->relative_width_ += delta;
    c->rlink_->relative_width_ -= delta;
    LayoutColumns();
    HeadersChanged();
  }
}

void TLogViewerCore::HeaderMouseUp() {
  if (!drag_column_) return;
  drag_column_ = nullptr;
  EndUpdate();
}

void TLogViewerCore::HeaderMouseDoubleClick(int, int) { ShowInspector(); }

void TLogViewerCore::HeaderPanelFocused() {
  if (columns_.empty() || !root_->lson_) {
    SetFocusedColumn(nullptr);
  } else if (!focused_) {
    SetFocusedColumn(root_->lson_);
  }
}

void TLogViewerCore::PaintHeaders(TCanvas& canvas, int width) {
  const int height = HeaderPanelHeight();
  if (height == 0) return;
  canvas.FillRect({0, 0, width, height}, clWhite);
  const bool print_look = printing_ || monochrome_;
  for (auto& column : columns_) {
    TLogViewerColumn* c = column.get();
    TRect r = c->header_;
    if (!c->father_ || r.Empty()) continue;
    canvas.Save();
    canvas.Translate(r.Left, r.Top);
    canvas.ClipRect({0, 0, r.Width(), r.Height()});
    TRect area{0, 0, r.Width(), r.Height()};
    const bool focused = c == focused_;
    if (print_look) {
      canvas.SetPen({psSolid, 2, clBlack});
      canvas.Line(0, 1, area.Right, 1);
      canvas.Line(1, 0, 1, area.Bottom);
      area.Left += 2;
      area.Top += 2;
    } else {
      if (focused) {
        canvas.FillDither(area, clBtnFace, clWhite);
        canvas.SetPen({psSolid, 1, clBtnFace});
        canvas.FrameRect(area);
      } else {
        canvas.FillRect(area, clBtnFace);
        canvas.SetPen({psSolid, 1, clBtnHighlight});
        canvas.Line(0, 0, area.Right - 1, 0);
        canvas.Line(0, 0, 0, area.Bottom - 1);
        canvas.SetPen({psSolid, 1, clBtnShadow});
        canvas.Line(0, area.Bottom - 1, area.Right, area.Bottom - 1);
        canvas.Line(area.Right - 1, 0, area.Right - 1, area.Bottom);
      }
      area = {area.Left + 1, area.Top + 1, area.Right - 1, area.Bottom - 1};
      if (c->marked_) canvas.FillRect({0, 0, 3, r.Height()}, clHighlight);
    }
    TFont font;
    font.Height = RoundHalfEven32(4 * pixels_per_mm_ + 0.5);
    font.Bold = print_look && focused && !printing_;
    canvas.SetFont(font);
    c->PaintHeader(canvas, area);
    canvas.Restore();
  }
  if (printing_ && monochrome_) {
    canvas.FillRect({0, height - 2, width, height}, clBlack);
    int right = 0;
    for (TLogViewerColumn* c = root_->lson_; c; c = c->rlink_) right = c->left_ + c->width_;
    canvas.SetPen({psSolid, 2, clBlack});
    canvas.Line(right + 1, 0, right + 1, height);
    canvas.FillRect({right + 2, 0, width, height}, clBtnFace);
  }
}

}  // namespace kest
