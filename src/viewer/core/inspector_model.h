#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/core/hue_column.h"
#include "viewer/core/viewer_links.h"
#include "viewer/core/viewer_types.h"

namespace kest {

class TLogViewerColumn;
class TLogViewerCore;

// Loading an owner-drawn list with a value it does not hold.
KEST_DECLARE_ERROR(EPenComboBoxError, EKestError);
KEST_DECLARE_ERROR(EColorComboBoxError, EKestError);

// The items of the inspector's owner-drawn lists, in list order.
const std::vector<TPen>& InspectorPens();      // six black pens
const std::vector<TColor>& InspectorColors();  // the 16-colour palette without white
// Index of a value in its list; "Selecting missing pen" / "... color" /
// "... spectrum" when absent. Pens match by style and width.
int PenIndex(const TPen& pen);
int ColorIndex(TColor color);
int SpectrumIndex(int spectrum);

enum class TInspectorEditor { kList, kPen, kColor, kSpectrum };

// One row of the inspector: how one property of the shown column is captioned,
// listed, shown and set. Every read goes to the column, so a row never holds a
// stale value; Choose goes through the column's setter, which validates.
class TPropertyViewer {
 public:
  TPropertyViewer(std::string caption, TLogViewerColumn& column)
      : caption_(std::move(caption)), column_(column) {}
  virtual ~TPropertyViewer() = default;
  TPropertyViewer(const TPropertyViewer&) = delete;
  TPropertyViewer& operator=(const TPropertyViewer&) = delete;

  const std::string& Caption() const { return caption_; }
  TLogViewerColumn& Column() const { return column_; }
  virtual TInspectorEditor Editor() const { return TInspectorEditor::kList; }
  // The drop-down's items as text (owner-drawn lists give their items' names).
  virtual std::vector<std::string> Choices() const = 0;
  // The item of the current value, -1 when a text list does not hold it; the
  // owner-drawn lists raise their "Selecting missing ..." errors instead.
  virtual int SelectedIndex() const = 0;
  virtual std::string ValueText() const = 0;
  // Sets the property from item `index`; an index outside the list does nothing.
  virtual void Choose(int index) = 0;

 private:
  std::string caption_;
  TLogViewerColumn& column_;
};

// Rows whose value cell is a picture, with the value to draw.
class TPenRow : public TPropertyViewer {
 public:
  using TPropertyViewer::TPropertyViewer;
  virtual TPen Value() const = 0;
};
class TColorRow : public TPropertyViewer {
 public:
  using TPropertyViewer::TPropertyViewer;
  virtual TColor Value() const = 0;
};
class TSpectrumRow : public TPropertyViewer {
 public:
  using TPropertyViewer::TPropertyViewer;
  virtual TSpectrum Value() const = 0;
};

// A property viewer by exact property name, or null.
struct TPropertyViewerClass {
  std::string Property;
  std::string Caption;
  std::function<std::unique_ptr<TPropertyViewer>(TLogViewerColumn&)> Create;
};
const TPropertyViewerClass* FindPropertyViewer(std::string_view property);
// Every registered property viewer, in registration order.
const std::vector<TPropertyViewerClass>& PropertyViewers();

// The window's top-left after a move: an edge within kSnapDistance of the
// screen's edge snaps to it.
inline constexpr int kSnapDistance = 10;
TPoint SnapToScreen(const TRect& window, const TRect& screen);

// The inspector without its window: which column is shown, its rows, the kind
// buttons, and the following of the viewer (veFocus shows the focused column,
// veColumnChanged refreshes the rows, veColumns drops a column that is gone).
class TInspectorModel {
 public:
  // `editor_mode`: the curve editor, which also edits "Differential".
  explicit TInspectorModel(bool editor_mode);
  ~TInspectorModel();
  TInspectorModel(const TInspectorModel&) = delete;
  TInspectorModel& operator=(const TInspectorModel&) = delete;

  TLogViewerCore* Viewer() const;
  // Follows `viewer` (null: none) and shows its focused column.
  void SetViewer(TLogViewerCore* viewer);
  TLogViewerColumn* Column() const { return column_; }
  bool Busy() const { return busy_; }

  // Rebuilds the rows for `column` (null: none); nothing when it is already shown.
  void ShowColumn(TLogViewerColumn* column);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  TPropertyViewer& Row(int i) const { return *rows_[static_cast<size_t>(i)]; }
  std::vector<std::string> Captions() const;

  // The kind buttons: enabled with a column; the index in TColumnClassList of the
  // shown column's exact class, -1 for none.
  bool KindsEnabled() const { return column_ != nullptr; }
  int CheckedKind() const;
  // Turns the shown column into `class_name` in place; ignored while busy or when
  // the column already is of that class.
  void ChangeKind(std::string_view class_name);
  // The user picked item `index` of row `row`; the rows are refreshed afterwards
  // so that a value the column refused shows its old value again.
  void Choose(int row, int index);

  std::function<void()> OnRowsChanged;    // rows rebuilt, kind buttons changed
  std::function<void()> OnValuesChanged;  // every row must reload from the column
  // Told after a kind button or a row changed the tablet, with its layout before
  // the change and what changed ("Вид колонки" or the row's caption), so that the
  // window records it for "Отменить". A refused or no-op change tells nothing.
  std::function<void(std::string before, std::string text)> OnColumnsChanged;

 private:
  class ViewerLink;
  class ColumnLink;
  void ViewerChanged(TLogViewerEvents events);
  void ColumnChanged(TLogViewerColumn* column);
  bool ColumnAlive() const;
  // Runs `change` and tells OnColumnsChanged when the layout differs afterwards.
  template <typename Change>
  void Recorded(std::string text, Change change);

  bool editor_mode_;
  TLogViewerColumn* column_ = nullptr;
  std::string column_name_;  // tells a freed column from a new one at its address
  bool busy_ = false;
  std::vector<std::unique_ptr<TPropertyViewer>> rows_;
  std::unique_ptr<ViewerLink> viewer_link_;
  std::unique_ptr<ColumnLink> column_link_;
};

}  // namespace kest
