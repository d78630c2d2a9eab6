#include "viewer/core/log_viewer_column.h"

#include <algorithm>
#include <vector>

#include "log/component_writer.h"
#include "support/assert.h"
#include "support/errors.h"
#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/viewer_layout.h"

namespace kest {

namespace {
[[noreturn]] void Internal(const char* message) { throw EAssertionFailed(message); }
}  // namespace

TLogViewerColumn::TLogViewerColumn() = default;
TLogViewerColumn::~TLogViewerColumn() = default;

TLogViewerColumn* TLogViewerColumn::LastChild() const {
  TLogViewerColumn* c = lson_;
  while (c && c->rlink_) c = c->rlink_;
  return c;
}

TLogViewerColumn* TLogViewerColumn::LLink() const {
  if (!father_) Internal("Searching llink when father column is absent");
  TLogViewerColumn* c = father_->lson_;
  if (c == this) return nullptr;
  while (c && c->rlink_ != this) c = c->rlink_;
  return c;
}

bool TLogViewerColumn::IsRoot() const { return viewer_ && viewer_->RootColumn() == this; }

bool TLogViewerColumn::TopLevel() const { return father_ && father_->IsRoot(); }

int TLogViewerColumn::Depth() const {
  int deepest = 0;
  for (TLogViewerColumn* c = lson_; c; c = c->rlink_) deepest = std::max(deepest, c->Depth());
  return deepest + (IsRoot() ? 0 : 1);
}

void TLogViewerColumn::SetRelativeWidth(int value) {
  if (value >= 0) relative_width_ = value;
}

void TLogViewerColumn::SetMarked(bool value) {
  if (marked_ == value) return;
  marked_ = value;
  if (viewer_) viewer_->RaiseEvent(veMarks);
}

void TLogViewerColumn::InsertBefore(TLogViewerColumn* sibling) {
  if (father_) Internal("Father must be nil");
  TLogViewerColumn* father = sibling->father_;
  KEST_ASSERT(father != nullptr && sibling != this);
  if (father->lson_ == sibling) {
    father->lson_ = this;
  } else {
    sibling->LLink()->rlink_ = this;
  }
  rlink_ = sibling;
  father_ = father;
}

void TLogViewerColumn::InsertAfter(TLogViewerColumn* sibling) {
  if (father_) Internal("Father must be nil");
  KEST_ASSERT(sibling->father_ != nullptr && sibling != this);
  father_ = sibling->father_;
  rlink_ = sibling->rlink_;
  sibling->rlink_ = this;
}

void TLogViewerColumn::AddChild(TLogViewerColumn* father) {
  if (father_) Internal("Father must be nil");
  if (father->lson_) Internal("LSon already exists");
  KEST_ASSERT(father != this);
  father->lson_ = this;
  father_ = father;
}

void TLogViewerColumn::Unlink() {
  if (!father_) return;
  if (father_->lson_ == this) {
    father_->lson_ = rlink_;
  } else if (TLogViewerColumn* left = LLink()) {
    left->rlink_ = rlink_;
  }
  rlink_ = nullptr;
  father_ = nullptr;
}

void TLogViewerColumn::FreeWithSubtree() {
  Unlink();
  std::vector<TLogViewerColumn*> children;
  for (TLogViewerColumn* c = lson_; c; c = c->rlink_) children.push_back(c);
  for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->FreeWithSubtree();
  if (viewer_) viewer_->DestroyColumn(this);
}

void TLogViewerColumn::Changed() {
  if (viewer_ && !destroying_ && !viewer_->destroying_) viewer_->RaiseEvent(veColumnChanged, this);
}

void TLogViewerColumn::MoveFocusTo(TLogViewerColumn* column) const {
  if (viewer_ && column) viewer_->SetFocusedColumn(column);
}

void TLogViewerColumn::PaintHeader(TCanvas&, const TRect&) {}

void TLogViewerColumn::PaintBackground(TCanvas& canvas, int first_row, int last_row) {
  if (!viewer_) return;
  const TLogViewerCore& v = *viewer_;
  if (TopLevel() || !Overlay()) canvas.FillRect({0, first_row, width_, last_row + 1}, clWhite);
  const int64_t step = static_cast<int64_t>(v.Scale()) * 20;
  if (step > 0) {
    canvas.SetPen({psSolid, v.GridPenWidth(), v.Printing() && v.Monochrome() ? clBlack : clGray});
    for (int64_t pos = (v.ViewTop() / step) * step - v.ViewTop(); pos < v.ViewSpan(); pos += step) {
      int row = RoundHalfEven32(static_cast<double>(pos) / v.Scale() * v.PixelsPerMm());
      if (row < first_row - 1) continue;
      if (row > last_row + 1) break;
      canvas.Line(0, row, width_, row);
    }
  }
  canvas.FillRect({0, first_row, 2, last_row + 1}, clBlack);
}

bool TLogViewerColumn::HeaderKeyDown(TViewerKey key, TShiftState shift) {
  if (!viewer_) return false;
  switch (key) {
    case TViewerKey::kTab:
      viewer_->FocusSheetPanel();
      return true;
    case TViewerKey::kSpace:
      if (shift.None()) SetMarked(!marked_);
      return false;
    case TViewerKey::kLeft:
      if (!shift.None()) return false;
      MoveFocusTo(PreviousColumnAtLevel(this));
      return true;
    case TViewerKey::kRight:
      if (shift.None()) MoveFocusTo(NextColumnAtLevel(this));
      return false;
    case TViewerKey::kUp:
      if (shift.None() && father_ && !father_->IsRoot()) MoveFocusTo(father_);
      return false;
    case TViewerKey::kDown:
      if (shift.None() && lson_) MoveFocusTo(lson_);
      return false;
    case TViewerKey::kPadPlus:
      if (!shift.ShiftOnly()) return false;
      if (rlink_ && rlink_->relative_width_ > 50) {
        ++relative_width_;
        --rlink_->relative_width_;
        viewer_->RaiseEvent(veColumns);
      }
      return true;
    case TViewerKey::kPadMinus:
      if (!shift.ShiftOnly()) return false;
      if (rlink_ && relative_width_ > 50) {
        --relative_width_;
        ++rlink_->relative_width_;
        viewer_->RaiseEvent(veColumns);
      }
      return true;
    default:
      return false;
  }
}

void TLogViewerColumn::WriteProperties(ComponentWriter& out) const {
  auto reference = [&](const char* name, const TLogViewerColumn* c) {
    if (!c) return;
    out.WriteShortString(name);
    out.WriteIdent(c->IsRoot() ? "RootColumn" : c->name_);
  };
  reference("Father", father_);
  reference("LSon", lson_);
  reference("RLink", rlink_);
  if (relative_width_ != 1000) {
    out.WriteShortString("RelativeWidth");
    out.WriteInteger(relative_width_);
  }
  if (fixed_width_) {
    out.WriteShortString("FixedWidth");
    out.WriteBoolean(true);
  }
}

bool TLogViewerColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (name == "Father") return in.Reference(this, TLayoutReader::kFather), true;
  if (name == "LSon") return in.Reference(this, TLayoutReader::kLSon), true;
  if (name == "RLink") return in.Reference(this, TLayoutReader::kRLink), true;
  if (name == "RelativeWidth") {
    int32_t v;
    if (in.Integer(v)) SetRelativeWidth(v);
    return true;
  }
  if (name == "FixedWidth") {
    bool v;
    if (in.Boolean(v)) fixed_width_ = v;
    return true;
  }
  // Published for the designer, never stored by us: accepted and dropped.
  static const char* const kIgnored[] = {"Tag", "Hint", "Left", "Top", "Width", "Height", "Cursor"};
  for (const char* ignored : kIgnored) {
    if (name == ignored) {
      in.Skip();
      return true;
    }
  }
  return false;
}

TLogViewerColumn* NextColumnAtLevel(TLogViewerColumn* column) {
  if (!column) return nullptr;
  int levels = 0;
  TLogViewerColumn* c = column;
  while (!c->RLink()) {
    c = c->Father();
    if (!c || c->IsRoot() || !c->Father()) return nullptr;
    ++levels;
  }
  c = c->RLink();
  for (; levels > 0 && c->LSon(); --levels) c = c->LSon();
  return c;
}

TLogViewerColumn* PreviousColumnAtLevel(TLogViewerColumn* column) {
  if (!column || !column->Father()) return nullptr;
  int levels = 0;
  TLogViewerColumn* c = column;
  while (!c->LLink()) {
    c = c->Father();
    if (!c || c->IsRoot() || !c->Father()) return nullptr;
    ++levels;
  }
  c = c->LLink();
  for (; levels > 0 && c->LSon(); --levels) c = c->LastChild();
  return c;
}

void Rebalance(TLogViewerColumn* father) {
  if (!father) return;
  int n = 0, f = 0, fixed_sum = 0, total = 0;
  for (TLogViewerColumn* c = father->LSon(); c; c = c->RLink()) {
    total += c->RelativeWidth();
    if (c->FixedWidth()) {
      ++f;
      fixed_sum += c->RelativeWidth();
    } else {
      ++n;
    }
  }
  if (n - f <= 1 || total == 1000) return;
  const int a = (1000 - fixed_sum) / n;
  bool first = true;
  for (TLogViewerColumn* c = father->LSon(); c; c = c->RLink()) {
    if (c->FixedWidth()) continue;
    c->SetRelativeWidth(first ? (1000 - fixed_sum) - (n - 1) * a : a);
    first = false;
  }
}

}  // namespace kest
