#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "viewer/core/viewer_types.h"

namespace kest {

class ComponentWriter;
class TCanvas;
class TLayoutReader;
class TLogViewerCore;

// One column of the viewer's tree. Columns never draw themselves: the sheet panel
// paints each into its buffer inside the column's bounds (origin at the column's
// left edge), the header panel paints each header into the header's bounds.
//
// The tree: Father, its first child LSon, the next sibling RLink. Children divide
// their father's width by RelativeWidth (thousandths; the last child takes the
// rest) and lie over the father's area: a nested column that is an Overlay does
// not clear its area, so it draws over what its father drew.
//
// The viewer owns every column; columns are made with TLogViewerCore::NewColumn
// and freed with FreeWithSubtree or ClearColumns.
class TLogViewerColumn {
 public:
  TLogViewerColumn();
  virtual ~TLogViewerColumn();
  TLogViewerColumn(const TLogViewerColumn&) = delete;
  TLogViewerColumn& operator=(const TLogViewerColumn&) = delete;

  virtual const char* ClassName() const = 0;
  const std::string& Name() const { return name_; }
  TLogViewerCore* Viewer() const { return viewer_; }

  TLogViewerColumn* Father() const { return father_; }
  TLogViewerColumn* LSon() const { return lson_; }
  TLogViewerColumn* RLink() const { return rlink_; }
  TLogViewerColumn* LastChild() const;
  // The sibling before this one; "Searching llink when father column is absent"
  // without a father.
  TLogViewerColumn* LLink() const;
  bool IsRoot() const;
  bool TopLevel() const;  // a child of the root
  // The longest chain of descendants, this column counting as one level unless it
  // is the root.
  int Depth() const;

  bool Overlay() const { return overlay_; }
  int RelativeWidth() const { return relative_width_; }
  void SetRelativeWidth(int value);  // negative values are ignored
  bool FixedWidth() const { return fixed_width_; }
  void SetFixedWidth(bool value) { fixed_width_ = value; }
  bool Marked() const { return marked_; }
  void SetMarked(bool value);  // veMarks when it changes

  // Bounds on the sheet panel (top 0, the panel's height) and on the header panel.
  int Left() const { return left_; }
  int Width() const { return width_; }
  const TRect& HeaderBounds() const { return header_; }

  // Tree editing: the column must not be in the tree yet ("Father must be nil").
  void InsertBefore(TLogViewerColumn* sibling);
  void InsertAfter(TLogViewerColumn* sibling);
  void AddChild(TLogViewerColumn* father);  // "LSon already exists" if it has children
  // Unlinks the column and frees it with all its descendants.
  void FreeWithSubtree();

  // The kind's drawing. PaintBackground draws the common background: white unless
  // an overlaid nested column, the major depth lines, the left border.
  virtual void PaintHeader(TCanvas& canvas, const TRect& rect);
  virtual void LinkTrack() {}
  virtual void PaintBackground(TCanvas& canvas, int first_row, int last_row);
  virtual void PaintData(TCanvas&, int32_t /*first_arg*/, int32_t /*last_arg*/) {}
  // Keys of the focused header; true when consumed.
  virtual bool HeaderKeyDown(TViewerKey key, TShiftState shift);
  virtual std::string GetGlyph() const { return {}; }
  virtual std::string GetHint() const { return {}; }
  // The kind's published properties in declaration order, base classes first.
  virtual std::vector<std::string> PublishedProperties() const {
    return {"Father", "LSon", "RLink", "RelativeWidth", "FixedWidth"};
  }

  // Layout files: the stored properties (defaults left out), and one property read
  // back by name (false when the column has no such property).
  virtual void WriteProperties(ComponentWriter& out) const;
  virtual bool ReadProperty(const std::string& name, TLayoutReader& in);

 protected:
  // veColumnChanged about this column, unless it is being destroyed.
  void Changed();
  bool Destroying() const { return destroying_; }
  bool overlay_ = true;

 private:
  friend class TLogViewerCore;
  friend class TLayoutReader;
  void Unlink();
  void MoveFocusTo(TLogViewerColumn* column) const;

  std::string name_;
  TLogViewerCore* viewer_ = nullptr;
  TLogViewerColumn* father_ = nullptr;
  TLogViewerColumn* lson_ = nullptr;
  TLogViewerColumn* rlink_ = nullptr;
  int relative_width_ = 1000;
  bool fixed_width_ = false;
  bool marked_ = false;
  bool destroying_ = false;
  int left_ = 0;
  int width_ = 0;
  TRect header_;
};

// The base of every column kind, and the class of the viewer's invisible root.
class TPersistentColumn : public TLogViewerColumn {
 public:
  const char* ClassName() const override { return "TPersistentColumn"; }
};

// `base` followed by `more`: how a kind extends its base class's published list.
inline std::vector<std::string> WithProperties(std::vector<std::string> base,
                                               std::initializer_list<const char*> more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

// Next and previous column at the same tree level (header keys Left and Right).
TLogViewerColumn* NextColumnAtLevel(TLogViewerColumn* column);
TLogViewerColumn* PreviousColumnAtLevel(TLogViewerColumn* column);

// Re-shares the widths of a father's children after a child was added or removed.
void Rebalance(TLogViewerColumn* father);

}  // namespace kest
