#include "viewer/core/log_viewer_core.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "log/log_track.h"
#include "support/diagnostic_log.h"
#include "support/errors.h"
#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/column_class_list.h"
#include "viewer/core/scale_list.h"
#include "viewer/core/track_column.h"

namespace kest {

namespace {
[[noreturn]] void Internal(const char* message) { throw EAssertionFailed(message); }
}  // namespace

// The sheet panel's reactions to the viewer's changes.
class TLogViewerCore::SheetPanelLink : public TLVLink {
 public:
  explicit SheetPanelLink(TLogViewerCore& core) : core_(core) {}
  void ViewerChanged(TLogViewerEvents events) override {
    const bool outer = !reacting_;
    reacting_ = true;
    if (events.Has(veColumns)) core_.LayoutColumns();
    if (events.Has(veScale)) core_.ComputeViewSpan();
    if (events.HasAny({veColumns, veSheet, veLayout, vePosition, veScale, veColumnChanged}))
      redraw_ = true;
    if (outer) {
      reacting_ = false;
      if (redraw_) {
        redraw_ = false;
        core_.RedrawAll();
      }
    }
  }

 private:
  TLogViewerCore& core_;
  bool reacting_ = false;
  bool redraw_ = false;
};

class TLogViewerCore::SheetPanelColumnLink : public TLVColumnLink {
 public:
  explicit SheetPanelColumnLink(TLogViewerCore& core) : core_(core) {}
  void ColumnChanged(TLogViewerColumn*) override { core_.RedrawAll(); }

 private:
  TLogViewerCore& core_;
};

void TLSViewerLink::StructureChanged() { viewer_.RelinkTracks(); }

void TLSViewerLink::DataChanged() { viewer_.SheetDataChanged(); }

TLogViewerCore::TLogViewerCore() : sheet_link_(*this) {
  UpdateGuard update(*this);
  root_ = std::make_unique<TPersistentColumn>();
  root_->viewer_ = this;
  root_->name_ = "RootColumn";
  panel_link_ = std::make_unique<SheetPanelLink>(*this);
  panel_link_->SetViewer(this);
  panel_column_link_ = std::make_unique<SheetPanelColumnLink>(*this);
  panel_column_link_->SetViewer(this);
  pending_events_.Clear();
}

TLogViewerCore::~TLogViewerCore() {
  destroying_ = true;
  for (TLVLink* link : std::vector<TLVLink*>(viewer_links_)) link->viewer_ = nullptr;
  for (TLVColumnLink* link : std::vector<TLVColumnLink*>(column_links_)) link->viewer_ = nullptr;
  viewer_links_.clear();
  column_links_.clear();
  sheet_link_.SetSheet(nullptr);
  focused_ = nullptr;
  for (auto& c : columns_) {
    c->destroying_ = true;
    c->father_ = c->lson_ = c->rlink_ = nullptr;
  }
  columns_.clear();
}

// --- Sheet -------------------------------------------------------------------

void TLogViewerCore::SetSheet(TLogSheet* sheet) {
  sheet_link_.SetSheet(sheet);
  sheet_ = sheet;
  if (sheet) {
    RelinkTracks();
  } else {
    // Tracks of the old sheet must not stay reachable from the columns.
    UpdateGuard update(*this);
    for (auto& c : columns_) c->LinkTrack();
    sheet_first_ = sheet_last_ = 0;
    SetCursorPos(cursor_pos_);
    RaiseEvent(veColumns);
  }
}

void TLogViewerCore::Refresh() {
  // A print has the viewer laid out for its device until it ends.
  if (printing_) return;
  if (TLogSheet* sheet = sheet_link_.Sheet()) {
    SheetTryLock lock(*sheet);
    if (lock.Owns()) sheet->Update();
  }
  if (!changed_while_painting_.empty()) {
    const std::vector<std::string> names = std::move(changed_while_painting_);
    changed_while_painting_.clear();
    for (const std::string& name : names)
      if (TLogViewerColumn* column = FindColumn(name)) RaiseEvent(veColumnChanged, column);
  }
  FlushInvalidation();
}

void TLogViewerCore::ColumnChangedWhilePainting(const TLogViewerColumn& column) {
  if (std::find(changed_while_painting_.begin(), changed_while_painting_.end(), column.Name()) ==
      changed_while_painting_.end())
    changed_while_painting_.push_back(column.Name());
}

void TLogViewerCore::RelinkTracks() {
  UpdateGuard update(*this);
  for (auto& c : columns_) c->LinkTrack();
  RaiseEvent(veColumns);
  SyncRange();
}

void TLogViewerCore::SheetDataChanged() {
  TLogSheet* sheet = sheet_link_.Sheet();
  if (sheet && (sheet->Start() != sheet_first_ || sheet->End() != sheet_last_)) SyncRange();
}

void TLogViewerCore::SyncRange() {
  TLogSheet* sheet = sheet_link_.Sheet();
  const int32_t old_first = sheet_first_;
  const int32_t old_last = sheet_last_;
  sheet_first_ = sheet ? sheet->Start() : 0;
  sheet_last_ = sheet ? sheet->End() : 0;
  SetCursorPos(cursor_pos_);
  const int32_t span = Trunc32(view_span_);
  if (old_last < sheet_last_) {
    RepaintRange(old_last, sheet_last_);
    if (append_mode_ != amIgnore) {
      if (append_mode_ == amDiscreteScroll && view_top_ + span < sheet_last_)
        SetViewTop(sheet_last_ - Trunc32(view_span_ / 2));
      SetCursorPos(sheet_last_);
    }
  }
  if (sheet_first_ < old_first) {
    RepaintRange(sheet_first_, old_first);
    if (append_mode_ != amIgnore) {
      if (append_mode_ == amDiscreteScroll && sheet_first_ < view_top_)
        SetViewTop(sheet_first_ - Trunc32(view_span_ / 2));
      SetCursorPos(sheet_first_);
    }
  }
}

// --- Properties ----------------------------------------------------------------

void TLogViewerCore::SetScale(int32_t scale) {
  if (scale <= 0) Internal("Invalid scale");
  int index = IndexOfScale(scale);
  if (index < 0) {
    char message[64];
    std::snprintf(message, sizeof message, "Нестандартный масштаб (%d)", scale);
    throw ELogViewerError(message);
  }
  SetScaleIndex(index);
}

void TLogViewerCore::SetScaleIndex(int index) {
  if (index < 0 || index >= kScaleCount) Internal("Invalid scale index");
  scale_index_ = index;
  scale_ = kScales[index];
  RaiseEvent(veScale);
}

void TLogViewerCore::ZoomIn() {
  if (scale_index_ > kFirstUserScaleIndex) SetScaleIndex(scale_index_ - 1);
}

void TLogViewerCore::ZoomOut() {
  if (scale_index_ < kScaleCount - 1) SetScaleIndex(scale_index_ + 1);
}

void TLogViewerCore::SetDpi(int dpi) {
  if (dpi <= 0) Internal("Invalid dpi");
  dpi_ = dpi;
  pixels_per_mm_ = static_cast<float>(dpi / 25.4);
  ComputeViewSpan();
}

void TLogViewerCore::SetNullValue(float value) {
  if (value == null_value_) return;
  null_value_ = value;
  RedrawAll();
}

bool TLogViewerCore::IsNull(float sample) const { return IsNullSample(sample, null_value_); }

int32_t TLogViewerCore::PlacedOrigin(const TLogTrack& track) const {
  return TrackPlacement ? TrackPlacement(track) : track.Origin();
}

int TLogViewerCore::CurvePenWidth(int screen_width) const {
  if (!printing_) return screen_width;
  return std::max(1, RoundHalfEven32(std::max(screen_width, 1) * dpi_ / 96.0));
}

int TLogViewerCore::GridPenWidth() const {
  if (!printing_) return 1;
  return std::max(1, RoundHalfEven32(dpi_ / 96.0 / 3));
}

void TLogViewerCore::SetShowCursor(bool show) {
  if (show == show_cursor_) return;
  show_cursor_ = true;
  Invalidate(CursorBand(cursor_row_));
  show_cursor_ = show;
}

void TLogViewerCore::SetCursorPen(const TPen& pen) {
  Invalidate(CursorBand(cursor_row_));
  cursor_pen_ = pen;
  Invalidate(CursorBand(cursor_row_));
}

void TLogViewerCore::SetInteractive(bool interactive) {
  interactive_ = interactive;
  hand_drag_ = false;
}

void TLogViewerCore::ShowInspector() {
  if (OnShowInspector) OnShowInspector();
}

// --- Mapping ---------------------------------------------------------------------

int TLogViewerCore::RowOf(double argument) const {
  return RoundHalfEven32((argument - view_top_) * pixels_per_mm_ / scale_);
}

int32_t TLogViewerCore::ArgumentAt(int row) const {
  return RoundHalfEven32(static_cast<double>(row) * scale_ / pixels_per_mm_) + view_top_;
}

// --- View and cursor ---------------------------------------------------------------

void TLogViewerCore::SetViewTop(int32_t top) {
  if (top == view_top_) return;
  const bool accepted = top < view_top_
                            ? sheet_first_ < view_top_
                            : view_top_ + static_cast<double>(view_span_) <= sheet_last_;
  if (!accepted) return;
  view_top_ = top;
  cursor_row_ = RoundHalfEven32((cursor_pos_ - view_top_ + 1.0) / scale_ * pixels_per_mm_);
  RaiseEvent(vePosition);
}

void TLogViewerCore::SetCursorPos(int32_t position) {
  int32_t a = std::clamp(position, sheet_first_, std::max(sheet_first_, sheet_last_));
  if (!show_cursor_) {
    SetViewTop(a);
    a = view_top_;
  } else if (a < view_top_) {
    SetViewTop(a);
  } else if (a >= view_top_ + Trunc32(view_span_)) {
    SetViewTop(a - Trunc32(view_span_));
  }
  if (a == cursor_pos_) return;
  if (show_cursor_) Invalidate(CursorBand(cursor_row_));
  cursor_pos_ = a;
  cursor_row_ = RoundHalfEven32((cursor_pos_ - view_top_ + 1.0) / scale_ * pixels_per_mm_);
  if (show_cursor_) Invalidate(CursorBand(cursor_row_));
  RaiseEvent(veCursor);
}

int32_t TLogViewerCore::LineStep() const {
  if (panel_height_ <= 0) return 1;
  return std::max<int32_t>(1, RoundHalfEven32(view_span_ / panel_height_ * 2.0));
}

void TLogViewerCore::LineUp() {
  if (sheet_first_ < cursor_pos_) SetCursorPos(cursor_pos_ - LineStep());
}

void TLogViewerCore::LineDown() {
  if (cursor_pos_ < sheet_last_) SetCursorPos(cursor_pos_ + LineStep());
}

void TLogViewerCore::PageUp() {
  if (!(sheet_first_ < cursor_pos_)) return;
  UpdateGuard update(*this);
  SetViewTop(Trunc32(view_top_ - static_cast<double>(view_span_)));
  SetCursorPos(Trunc32(cursor_pos_ - static_cast<double>(view_span_)));
}

void TLogViewerCore::PageDown() {
  if (!(cursor_pos_ < sheet_last_)) return;
  UpdateGuard update(*this);
  SetViewTop(view_top_ + Trunc32(view_span_));
  SetCursorPos(Trunc32(cursor_pos_ + static_cast<double>(view_span_)));
}

int32_t TLogViewerCore::ScrollStep() const {
  return std::max<int32_t>(1, RoundHalfEven32(view_span_ / kScrollShare));
}

void TLogViewerCore::ScrollUp() {
  if (sheet_first_ < view_top_) SetViewTop(view_top_ - ScrollStep());
}

void TLogViewerCore::ScrollDown() {
  if (view_top_ < sheet_last_) SetViewTop(view_top_ + ScrollStep());
}

void TLogViewerCore::ZoomAt(int row, bool in) {
  const int32_t anchor = ArgumentAt(row);
  const int32_t before = scale_;
  UpdateGuard update(*this);
  if (in) {
    ZoomIn();
  } else {
    ZoomOut();
  }
  if (scale_ == before) return;
  // The argument under the pointer stays under it, as far as the sheet allows.
  const int32_t top = anchor - RoundHalfEven32(static_cast<double>(row) * scale_ / pixels_per_mm_);
  SetViewTop(
      std::clamp(top, std::min(sheet_first_, view_top_), std::max(sheet_first_, sheet_last_)));
}

// --- Notification --------------------------------------------------------------------

void TLogViewerCore::BeginUpdate() { ++update_count_; }

void TLogViewerCore::EndUpdate() {
  if (update_count_ <= 0) Internal("Extra TLogViewer.EndUpdate");
  if (--update_count_ > 0 || pending_events_.Empty()) return;
  TLogViewerEvents events = pending_events_;
  pending_events_.Clear();
  Deliver(events);
}

void TLogViewerCore::EndUpdateUnwinding() noexcept {
  try {
    EndUpdate();
  } catch (const std::exception& e) {
    Diag().Error(std::string("Viewer update ended by an error: ") + e.what());
  } catch (...) {
    Diag().Error("Viewer update ended by an error");
  }
}

TLogViewerCore::UpdateGuard::UpdateGuard(TLogViewerCore& viewer)
    : viewer_(viewer), exceptions_(std::uncaught_exceptions()) {
  viewer_.BeginUpdate();
}

// NOLINTNEXTLINE(bugprone-exception-escape): throws only when no exception is in flight
TLogViewerCore::UpdateGuard::~UpdateGuard() noexcept(false) {
  if (std::uncaught_exceptions() > exceptions_) {
    viewer_.EndUpdateUnwinding();
  } else {
    viewer_.EndUpdate();
  }
}

void TLogViewerCore::RaiseEvent(TLogViewerEvent event, TLogViewerColumn* column) {
  if (destroying_) return;
  if (update_count_ > 0) {
    pending_events_.Include(event);
    return;
  }
  if (event == veColumnChanged) {
    DeliverColumnEvent(column);
  } else {
    Deliver(TLogViewerEvents{event});
  }
}

void TLogViewerCore::Deliver(TLogViewerEvents events) {
  const std::vector<TLVLink*> links = viewer_links_;
  for (TLVLink* link : links) {
    if (std::find(viewer_links_.begin(), viewer_links_.end(), link) != viewer_links_.end())
      link->ViewerChanged(events);
  }
}

void TLogViewerCore::DeliverColumnEvent(TLogViewerColumn* column) {
  const std::vector<TLVColumnLink*> links = column_links_;
  for (TLVColumnLink* link : links) {
    if (std::find(column_links_.begin(), column_links_.end(), link) != column_links_.end())
      link->Deliver(veColumnChanged, column);
  }
}

void TLogViewerCore::AddViewerLink(TLVLink* link) { viewer_links_.push_back(link); }
void TLogViewerCore::AddColumnLink(TLVColumnLink* link) { column_links_.push_back(link); }

void TLogViewerCore::ForgetLink(TGenericLVLink* link) {
  std::erase(viewer_links_, link);
  std::erase(column_links_, link);
  link->viewer_ = nullptr;
}

// --- Sheet panel ---------------------------------------------------------------------------

void TLogViewerCore::SetSheetPanelSize(int width, int height) {
  if (width == panel_width_ && height == panel_height_) return;
  panel_width_ = std::max(0, width);
  panel_height_ = std::max(0, height);
  UpdateGuard update(*this);
  ComputeViewSpan();
  LayoutColumns();
  RaiseEvent(veLayout);
}

void TLogViewerCore::ComputeViewSpan() {
  const float span =
      static_cast<float>(panel_height_ / static_cast<double>(pixels_per_mm_) * scale_);
  if (span == view_span_) return;
  view_span_ = span;
  RaiseEvent(veSpan);
}

void TLogViewerCore::SetBoundsOf(TLogViewerColumn* c, int left, int width) {
  c->left_ = left;
  c->width_ = width;
  TRect h{left, 0, left + width, 0};
  if (c != root_.get() && c->father_) {
    const int client = RoundHalfEven32(8.0 * TreeDepth() * pixels_per_mm_);
    h.Top = c->father_->header_.Bottom;
    h.Bottom = c->lson_ ? h.Top + RoundHalfEven32(8 * pixels_per_mm_ + 0.5) : client;
  }
  c->header_ = h;
}

void TLogViewerCore::LayoutChildren(TLogViewerColumn* father) {
  int left = father->left_;
  // Shares are per mille of the father; children whose shares add up to more (a
  // layout of many curves) are fitted into the father instead of running off its
  // right edge, where nothing could reach them.
  int64_t total = 0;
  for (TLogViewerColumn* c = father->lson_; c; c = c->rlink_)
    total += std::max(c->relative_width_, 0);
  const int64_t whole = std::max<int64_t>(total, 1000);
  for (TLogViewerColumn* c = father->lson_; c; c = c->rlink_) {
    const int width =
        c->rlink_
            ? static_cast<int>(static_cast<int64_t>(c->relative_width_) * father->width_ / whole)
            : father->left_ + father->width_ - left;
    SetBoundsOf(c, left, width);
    left += width;
    LayoutChildren(c);
  }
}

void TLogViewerCore::LayoutColumns() {
  SetBoundsOf(root_.get(), 0, panel_width_);
  LayoutChildren(root_.get());
  RaiseEvent(veLayout);
}

void TLogViewerCore::ColumnsInTreeOrder(TLogViewerColumn* first,
                                        std::vector<TLogViewerColumn*>& out) const {
  for (TLogViewerColumn* c = first; c; c = c->rlink_) {
    out.push_back(c);
    ColumnsInTreeOrder(c->lson_, out);
  }
}

void TLogViewerCore::PaintColumn(TCanvas& canvas, TLogViewerColumn* column,
                                 const std::function<void()>& paint) {
  if (column->width_ <= 0) return;
  canvas.Save();
  canvas.Translate(column->left_, 0);
  canvas.ClipRect({0, 0, column->width_, panel_height_});
  paint();
  canvas.Restore();
}

void TLogViewerCore::RedrawAll() {
  if (printing_ || panel_width_ <= 0 || panel_height_ <= 0) return;
  std::vector<TLogViewerColumn*> order;
  ColumnsInTreeOrder(root_->lson_, order);
  if (TCanvas* canvas = BeginSheetPaint()) {
    if (order.empty()) {
      canvas->FillRect({0, 0, panel_width_, panel_height_}, clBtnFace);
      TFont font;
      font.Bold = true;
      font.Height = panel_height_ / 4;
      font.Color = clBtnHighlight;
      canvas->SetFont(font);
      const char* text = "VELMORA";
      const int w = canvas->TextWidth(text);
      if (w < panel_width_ && font.Height > 0) {
        const int x = (panel_width_ - w) / 2;
        const int y = panel_height_ * 3 / 8;
        canvas->TextOut(x - 1, y - 1, text);
        font.Color = clBtnShadow;
        canvas->SetFont(font);
        canvas->TextOut(x + 1, y + 1, text);
        font.Color = clBtnFace;
        canvas->SetFont(font);
        canvas->TextOut(x, y, text);
      }
    }
    for (TLogViewerColumn* c : order)
      PaintColumn(*canvas, c, [&] { c->PaintBackground(*canvas, 0, panel_height_); });
    ForgetLabels();
    const int32_t last = RoundHalfEven32(view_top_ + static_cast<double>(view_span_) + 0.5);
    struct WholeView {
      bool& flag;
      explicit WholeView(bool& f) : flag(f) { flag = true; }
      ~WholeView() { flag = false; }
    } whole_view(painting_whole_view_);
    for (TLogViewerColumn* c : order)
      PaintColumn(*canvas, c, [&] { c->PaintData(*canvas, view_top_, last); });
    EndSheetPaint();
  }
  InvalidateRows(0, panel_height_);
}

bool TLogViewerCore::ClaimLabel(const TLogViewerColumn& column, const TRect& rect) {
  // More labels than a panel can show readably: the rest are left out.
  constexpr size_t kMostLabels = 4096;
  if (labels_.size() >= kMostLabels) return false;
  for (const auto& [owner, r] : labels_) {
    if (owner != &column && rect.Left < r.Right && r.Left < rect.Right && rect.Top < r.Bottom &&
        r.Top < rect.Bottom)
      return false;
  }
  labels_.push_back({&column, rect});
  return true;
}

void TLogViewerCore::RepaintRange(int32_t first_arg, int32_t last_arg) {
  if (printing_ || panel_width_ <= 0 || panel_height_ <= 0) return;
  ForgetLabels();
  if (TCanvas* canvas = BeginSheetPaint()) {
    std::vector<TLogViewerColumn*> order;
    ColumnsInTreeOrder(root_->lson_, order);
    struct Appended {
      bool& flag;
      explicit Appended(bool& f) : flag(f) { flag = true; }
      ~Appended() { flag = false; }
    } appended(painting_appended_);
    for (TLogViewerColumn* c : order)
      PaintColumn(*canvas, c, [&] { c->PaintData(*canvas, first_arg, last_arg); });
    EndSheetPaint();
  }
  // Placed tracks drew the new rows away from the band: their rows are shown too.
  int64_t low = 0, high = 0;
  if (TrackPlacement && sheet_) {
    for (int i = 0; i < sheet_->Count(); ++i) {
      const TLogTrack& t = *sheet_->Tracks(i);
      const int64_t shift = int64_t{PlacedOrigin(t)} - t.Origin();
      low = std::min(low, shift);
      high = std::max(high, shift);
    }
  }
  auto row = [&](double argument) {
    return RoundHalfEven32((argument - view_top_) / scale_ * pixels_per_mm_);
  };
  InvalidateRows(row(static_cast<double>(first_arg) + low) - 1,
                 row(static_cast<double>(last_arg) + high) + 1);
}

void TLogViewerCore::InvalidateRows(int first_row, int last_row) {
  Invalidate({0, first_row, panel_width_, last_row + 1});
}

void TLogViewerCore::Invalidate(const TRect& rect) {
  if (printing_) return;
  TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, panel_width_),
          std::min(rect.Bottom, panel_height_)};
  if (r.Empty()) return;
  if (delayed_updates_) {
    pending_ = UnionRect(pending_, r);
  } else {
    InvalidateSheetWindow(r, false);
  }
}

void TLogViewerCore::FlushInvalidation() {
  if (pending_.Empty()) return;
  TRect r = pending_;
  r.Bottom += 1;
  pending_ = {};
  InvalidateSheetWindow(r, true);
}

TRect TLogViewerCore::CursorBand(int row) const {
  const int w = (cursor_pen_.Width + 1) / 2 * 2;
  return {0, row - w / 2, panel_width_, row + w / 2 + 1};
}

}  // namespace kest
