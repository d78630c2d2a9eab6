#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/null_sample.h"
#include "log/param_list.h"
#include "viewer/core/log_viewer_column.h"
#include "viewer/core/viewer_links.h"
#include "viewer/core/viewer_types.h"

namespace kest {

class Stream;
class TCanvas;
class TLogTrack;
class TLogViewerCore;

// The viewer's listener on its sheet.
class TLSViewerLink : public TLSLink {
 public:
  explicit TLSViewerLink(TLogViewerCore& viewer) : viewer_(viewer) {}
  void StructureChanged() override;
  void DataChanged() override;

 private:
  TLogViewerCore& viewer_;
};

// Everything of the tablet viewer that needs no pixels: the column tree, the
// scale and the argument <-> pixel-row mappings, scrolling and the cursor, the
// change notification, the sheet link, the sheet panel's layout, invalidation and
// mouse modes, the header panel's geometry and width dragging, keyboard handling
// and layout files. The widget (TLogViewer) derives from it and supplies the
// surfaces through the protected hooks; without them (tests, tools) drawing is
// skipped and everything else works the same.
//
// Units: positions are sheet arguments (millimetres of depth, milliseconds of
// time); one argument unit is 1/Scale millimetre of paper.
class TLogViewerCore {
 public:
  TLogViewerCore();
  virtual ~TLogViewerCore();
  TLogViewerCore(const TLogViewerCore&) = delete;
  TLogViewerCore& operator=(const TLogViewerCore&) = delete;

  // --- Sheet ---------------------------------------------------------------
  TLogSheet* Sheet() const { return sheet_; }
  void SetSheet(TLogSheet* sheet);
  int32_t SheetFirst() const { return sheet_first_; }
  int32_t SheetLast() const { return sheet_last_; }
  TLogArgument ArgumentKind() const { return argument_kind_; }
  void SetArgumentKind(TLogArgument kind) { argument_kind_ = kind; }
  // Idle-time update: tries the sheet's lock (never waits), lets the sheet deliver
  // its changes, then applies the collected invalidation.
  void Refresh();
  void RelinkTracks();
  void SyncRange();

  // --- Properties ----------------------------------------------------------
  int32_t Scale() const { return scale_; }
  void SetScale(int32_t scale);
  int ScaleIndex() const { return scale_index_; }
  void SetScaleIndex(int index);
  void ZoomIn();
  void ZoomOut();
  int Dpi() const { return dpi_; }
  float PixelsPerMm() const { return pixels_per_mm_; }
  void SetDpi(int dpi);
  bool ShowCursor() const { return show_cursor_; }
  void SetShowCursor(bool show);
  const TPen& CursorPen() const { return cursor_pen_; }
  void SetCursorPen(const TPen& pen);
  TLogViewerAppendMode AppendMode() const { return append_mode_; }
  void SetAppendMode(TLogViewerAppendMode mode) { append_mode_ = mode; }
  bool Interactive() const { return interactive_; }
  void SetInteractive(bool interactive);
  bool DelayedUpdates() const { return delayed_updates_; }
  void SetDelayedUpdates(bool delayed) { delayed_updates_ = delayed; }
  bool HandDrag() const { return hand_drag_; }
  void SetHandDrag(bool hand_drag) { hand_drag_ = interactive_ && hand_drag; }
  uint8_t EdgeLabels() const { return edge_labels_; }
  void SetEdgeLabels(uint8_t labels) { edge_labels_ = labels; }
  bool Printing() const { return printing_; }
  void SetPrinting(bool printing) { printing_ = printing; }
  bool Monochrome() const { return monochrome_; }
  // Line widths in device pixels. On screen a curve's pen is its own width; on paper
  // it is that width scaled from the screen's 96 dpi, so a curve looks as it does
  // on screen. Grid lines are one pixel on screen and a third of a curve's scale on
  // paper (at least one pixel): always thinner than the curves.
  int CurvePenWidth(int screen_width) const;
  int GridPenWidth() const;
  void SetMonochrome(bool monochrome) { monochrome_ = monochrome; }
  TParamList& Params() { return params_; }
  std::string Name() const { return "LogViewer"; }
  // The program's null value: a sample equal to it is missing and drawn as a gap.
  float NullValue() const { return null_value_; }
  void SetNullValue(float value);
  bool IsNull(float sample) const;

  // Where a track's sample 0 is drawn. Without a placement it is the track's own
  // origin; a running recording places each track at its sensor's depth while the
  // stored rows keep their recording origin.
  std::function<int32_t(const TLogTrack&)> TrackPlacement;
  int32_t PlacedOrigin(const TLogTrack& track) const;

  // --- Mapping between arguments and sheet panel rows -----------------------
  int RowOf(double argument) const;
  int32_t ArgumentAt(int row) const;

  // --- View and cursor -----------------------------------------------------
  int32_t ViewTop() const { return view_top_; }
  void SetViewTop(int32_t top);
  float ViewSpan() const { return view_span_; }
  int32_t CursorPos() const { return cursor_pos_; }
  void SetCursorPos(int32_t position);
  int CursorRow() const { return cursor_row_; }
  int32_t LineStep() const;
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();
  // One wheel notch: the same part of the visible height at every scale.
  static constexpr int kScrollShare = 10;
  int32_t ScrollStep() const;
  void ScrollUp();
  void ScrollDown();
  // Zooms in or out keeping the argument at sheet panel row `row` on that row.
  void ZoomAt(int row, bool in);

  // --- Columns -------------------------------------------------------------
  TPersistentColumn* RootColumn() const { return root_.get(); }
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TLogViewerColumn* Column(int i) const { return columns_[static_cast<size_t>(i)].get(); }
  TLogViewerColumn* FindColumn(std::string_view name) const;
  // A new column of a registered class (or of T), attached to the viewer but not
  // yet in the tree; null for an unknown class name.
  TLogViewerColumn* NewColumn(std::string_view class_name);
  template <typename T>
  T* NewColumn() {
    auto column = std::make_unique<T>();
    T* raw = column.get();
    Attach(std::move(column));
    return raw;
  }
  // Puts a column of another class into the place of `column`, with its children,
  // share, marks, bounds and focus; frees the old one. Null for an unknown class.
  TLogViewerColumn* ReplaceColumnClass(TLogViewerColumn* column, std::string_view class_name);
  void ClearColumns();
  // Frees a column already unlinked from the tree ("Destroying bound column" when
  // it still has LSon or RLink).
  void DestroyColumn(TLogViewerColumn* column);
  TLogViewerColumn* FocusedColumn() const { return focused_; }
  void SetFocusedColumn(TLogViewerColumn* column);
  void ClearMarks();
  TLogTrack* FocusedTrack() const;
  int TreeDepth() const { return root_->Depth(); }

  // --- Change notification -------------------------------------------------
  // Prefer UpdateGuard to a bare pair.
  void BeginUpdate();
  void EndUpdate();
  class UpdateGuard;
  bool Updating() const { return update_count_ > 0; }
  void RaiseEvent(TLogViewerEvent event, TLogViewerColumn* column = nullptr);
  void AddViewerLink(TLVLink* link);
  void AddColumnLink(TLVColumnLink* link);
  void ForgetLink(TGenericLVLink* link);
  // Listeners attached now (viewer and column links).
  int LinkCount() const { return static_cast<int>(viewer_links_.size() + column_links_.size()); }

  // --- Keyboard ------------------------------------------------------------
  // The viewer's keys; true when handled.
  bool KeyDown(TViewerKey key, TShiftState shift);
  // A key on the header panel: the focused column first, then the viewer.
  void HeaderPanelKeyDown(TViewerKey key, TShiftState shift);

  // --- Header panel ----------------------------------------------------------
  // Round(8 mm x tree depth), 2 pixels more while printing in monochrome.
  int HeaderPanelHeight() const;
  // Paints every header into `canvas` (the header buffer, `width` wide).
  void PaintHeaders(TCanvas& canvas, int width);
  TLogViewerColumn* HeaderAt(int x, int y) const;
  // True when (x, y) is within 4 pixels of the right edge of a header whose column
  // has a right sibling.
  TLogViewerColumn* SplitterAt(int x, int y) const;
  // Returns true when a width drag started (the panel then captures the mouse).
  bool HeaderMouseDown(int x, int y, TMouseButton button, TShiftState shift);
  void HeaderMouseMove(int x, int y);
  void HeaderMouseUp();
  bool HeaderDragging() const { return drag_column_ != nullptr; }
  void HeaderMouseDoubleClick(int x, int y);
  void HeaderPanelFocused();

  // --- Sheet panel -----------------------------------------------------------
  int SheetPanelWidth() const { return panel_width_; }
  int SheetPanelHeight() const { return panel_height_; }
  void SetSheetPanelSize(int width, int height);
  void LayoutColumns();
  void RedrawAll();
  // Redraws the data of the argument range (no backgrounds).
  void RepaintRange(int32_t first_arg, int32_t last_arg);
  void FlushInvalidation();
  const TRect& PendingInvalidation() const { return pending_; }
  // True while RedrawAll paints the data of the whole view (not an appended band).
  bool PaintingWholeView() const { return painting_whole_view_; }
  // True while RepaintRange paints rows just appended: its band is of the sheet's
  // rows, which a placed track draws elsewhere (PlacedOrigin).
  bool PaintingAppendedRows() const { return painting_appended_; }
  // A column changed a property while painting (auto-scale): it is announced and
  // redrawn by the next Refresh, not from inside the paint.
  void ColumnChangedWhilePainting(const TLogViewerColumn& column);
  // Value labels written by the current paint pass, in sheet panel coordinates:
  // true (and the place is taken) when `rect` covers none of another column's, so
  // curves drawn over one another never write their values over each other.
  bool ClaimLabel(const TLogViewerColumn& column, const TRect& rect);
  void ForgetLabels() { labels_.clear(); }
  // The cursor line's band: its row +- half the pen width rounded up to even.
  TRect CursorBand(int row) const;
  // Mouse on the sheet panel (rows relative to its top).
  enum MouseMode : uint8_t { mmNone = 0, mmDrag = 1, mmCursor = 2 };
  void SheetMouseDown(int row, TMouseButton button);
  void SheetMouseMove(int row);
  void SheetMouseUp();
  void AutoScrollTick();
  int AutoScrollSpeed() const { return auto_scroll_speed_; }
  bool AutoScrolling() const { return auto_scrolling_; }
  MouseMode SheetMouseMode() const { return mouse_mode_; }
  void SheetPanelFocused();

  // --- Layouts ---------------------------------------------------------------
  void SaveLayout(Stream& stream) const;
  // Faults are reported through OnLayoutError (and the diagnostic log) and
  // reading goes on where it can.
  void LoadLayout(Stream& stream);
  std::function<void(const std::string& message)> OnLayoutError;
  bool LoadingLayout() const { return loading_; }

  std::function<void()> OnShowInspector;
  void ShowInspector();

 protected:
  // Surfaces supplied by the widget. BeginSheetPaint returns the canvas of the
  // sheet buffer (null: nothing is drawn).
  virtual TCanvas* BeginSheetPaint() { return nullptr; }
  virtual void EndSheetPaint() {}
  // Invalidates part of the sheet panel's window; with `now` it is repainted at once.
  virtual void InvalidateSheetWindow(const TRect&, bool /*now*/) {}
  virtual void FocusHeaderPanel() {}
  virtual void FocusSheetPanel() { SheetPanelFocused(); }
  virtual void SetAutoScrollTimer(bool) {}
  virtual void HeadersChanged() {}  // the header panel must repaint now (drag)
  bool destroying_ = false;

 private:
  friend class TLogViewerColumn;
  friend class TLogPrint;
  friend class TLSViewerLink;
  class SheetPanelLink;
  class SheetPanelColumnLink;

  // EndUpdate for a scope that an exception is leaving: never throws.
  void EndUpdateUnwinding() noexcept;
  void Attach(std::unique_ptr<TLogViewerColumn> column);
  std::string UniqueColumnName() const;
  void Deliver(TLogViewerEvents events);
  void DeliverColumnEvent(TLogViewerColumn* column);
  void ComputeViewSpan();
  void LayoutChildren(TLogViewerColumn* father);
  void SetBoundsOf(TLogViewerColumn* column, int left, int width);
  void PaintColumn(TCanvas& canvas, TLogViewerColumn* column, const std::function<void()>& paint);
  void InvalidateRows(int first_row, int last_row);
  void Invalidate(const TRect& rect);
  void SheetDataChanged();
  void ColumnsInTreeOrder(TLogViewerColumn* first, std::vector<TLogViewerColumn*>& out) const;

  // Sheet.
  TLogSheet* sheet_ = nullptr;
  TLSViewerLink sheet_link_;
  int32_t sheet_first_ = 0;
  int32_t sheet_last_ = 0;
  TLogArgument argument_kind_ = laDepth;

  // Properties.
  int32_t scale_ = 200;
  int scale_index_ = 8;
  int dpi_ = 96;
  float pixels_per_mm_ = 96 / 25.4f;
  bool show_cursor_ = false;
  TPen cursor_pen_{psSolid, 2, clBlue};
  TLogViewerAppendMode append_mode_ = amDiscreteScroll;
  bool interactive_ = false;
  bool delayed_updates_ = true;
  bool hand_drag_ = false;
  uint8_t edge_labels_ = 0;
  bool printing_ = false;
  bool monochrome_ = false;
  TParamList params_;
  float null_value_ = kDefaultNullValue;

  // Columns.
  std::unique_ptr<TPersistentColumn> root_;
  std::vector<std::unique_ptr<TLogViewerColumn>> columns_;
  TLogViewerColumn* focused_ = nullptr;
  bool loading_ = false;

  // Notification.
  std::vector<TLVLink*> viewer_links_;
  std::vector<TLVColumnLink*> column_links_;
  TLogViewerEvents pending_events_;
  int update_count_ = 0;
  std::unique_ptr<SheetPanelLink> panel_link_;
  std::unique_ptr<SheetPanelColumnLink> panel_column_link_;

  // Sheet panel.
  int panel_width_ = 0;
  int panel_height_ = 0;
  int32_t view_top_ = 0;
  float view_span_ = 0;
  int32_t cursor_pos_ = 0;
  int cursor_row_ = 0;
  TRect pending_;
  bool painting_whole_view_ = false;
  bool painting_appended_ = false;
  std::vector<std::string> changed_while_painting_;  // column names
  std::vector<std::pair<const TLogViewerColumn*, TRect>> labels_;
  MouseMode mouse_mode_ = mmNone;
  int drag_start_row_ = 0;
  int32_t drag_start_top_ = 0;
  int auto_scroll_speed_ = 0;
  bool auto_scrolling_ = false;

  // Header panel.
  TLogViewerColumn* drag_column_ = nullptr;
};

// Holds a viewer's notification for one scope (BeginUpdate ... EndUpdate); the
// changes collected are delivered when it ends. Ended by an exception, it still
// ends the update and delivers, and a listener's fault then goes to the
// diagnostic log instead of replacing the exception in flight.
class TLogViewerCore::UpdateGuard {
 public:
  explicit UpdateGuard(TLogViewerCore& viewer);
  // Delivery may throw, as EndUpdate does, but never while unwinding (see above).
  ~UpdateGuard() noexcept(false);  // NOLINT(bugprone-exception-escape): meant, see above
  UpdateGuard(const UpdateGuard&) = delete;
  UpdateGuard& operator=(const UpdateGuard&) = delete;

 private:
  TLogViewerCore& viewer_;
  int exceptions_;  // in flight when the guard began
};

}  // namespace kest
