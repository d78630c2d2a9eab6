// The viewer's columns: made by class name, found by name, replaced by a column of
// another class, destroyed, focused and marked. The viewer owns every column.
#include <algorithm>
#include <string>

#include "log/log_track.h"
#include "support/errors.h"
#include "viewer/core/column_class_list.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/track_column.h"

namespace kest {

// --- Columns -----------------------------------------------------------------------

TLogViewerColumn* TLogViewerCore::FindColumn(std::string_view name) const {
  if (name == root_->name_) return root_.get();
  for (auto& c : columns_) {
    if (c->name_ == name) return c.get();
  }
  return nullptr;
}

std::string TLogViewerCore::UniqueColumnName() const {
  for (int n = 0;; ++n) {
    std::string name = "Column_" + std::to_string(n);
    if (!FindColumn(name)) return name;
  }
}

void TLogViewerCore::Attach(std::unique_ptr<TLogViewerColumn> column) {
  column->viewer_ = this;
  column->name_ = UniqueColumnName();
  TLogViewerColumn* raw = column.get();
  columns_.push_back(std::move(column));
  if (loading_ && !root_->lson_) {
    root_->lson_ = raw;
    raw->father_ = root_.get();
  }
}

TLogViewerColumn* TLogViewerCore::NewColumn(std::string_view class_name) {
  const TColumnClass* c = TColumnClassList::Instance().Find(class_name);
  if (!c) return nullptr;
  auto column = c->Create();
  TLogViewerColumn* raw = column.get();
  Attach(std::move(column));
  return raw;
}

TLogViewerColumn* TLogViewerCore::ReplaceColumnClass(TLogViewerColumn* old,
                                                     std::string_view class_name) {
  TLogViewerColumn* column = NewColumn(class_name);
  if (!column) return nullptr;
  UpdateGuard update(*this);
  TLogViewerColumn* father = old->father_;
  if (father) {
    if (father->lson_ == old) {
      father->lson_ = column;
    } else {
      old->LLink()->rlink_ = column;
    }
  }
  column->father_ = father;
  column->rlink_ = old->rlink_;
  column->lson_ = old->lson_;
  for (TLogViewerColumn* c = column->lson_; c; c = c->rlink_) c->father_ = column;
  column->relative_width_ = old->relative_width_;
  column->fixed_width_ = old->fixed_width_;
  column->marked_ = old->marked_;
  column->left_ = old->left_;
  column->width_ = old->width_;
  column->header_ = old->header_;
  const bool had_focus = focused_ == old;
  old->father_ = old->lson_ = old->rlink_ = nullptr;
  if (had_focus) focused_ = column;
  DestroyColumn(old);
  column->LinkTrack();
  RaiseEvent(veColumns);
  return column;
}

void TLogViewerCore::DestroyColumn(TLogViewerColumn* column) {
  if (column->lson_ || column->rlink_) throw EAssertionFailed("Destroying bound column");
  if (column == root_.get()) return;
  if (focused_ == column) SetFocusedColumn(nullptr);
  if (drag_column_ == column) HeaderMouseUp();
  column->destroying_ = true;
  auto it = std::find_if(columns_.begin(), columns_.end(),
                         [&](const auto& c) { return c.get() == column; });
  if (it != columns_.end()) columns_.erase(it);
}

void TLogViewerCore::ClearColumns() {
  UpdateGuard update(*this);
  SetFocusedColumn(nullptr);
  while (root_->lson_) root_->lson_->FreeWithSubtree();
  // Columns made but never put into the tree go too.
  for (auto& c : columns_) c->destroying_ = true;
  columns_.clear();
  RaiseEvent(veColumns);
}

void TLogViewerCore::SetFocusedColumn(TLogViewerColumn* column) {
  if (column == focused_) return;
  focused_ = column;
  if (destroying_) return;
  if (column) {
    FocusHeaderPanel();
  } else {
    ClearMarks();
    FocusSheetPanel();
  }
  RaiseEvent(veFocus);
}

void TLogViewerCore::ClearMarks() {
  UpdateGuard update(*this);
  for (auto& c : columns_) c->SetMarked(false);
}

TLogTrack* TLogViewerCore::FocusedTrack() const {
  auto* track_column = dynamic_cast<TTrackColumn*>(focused_);
  return track_column ? track_column->Track() : nullptr;
}

}  // namespace kest
