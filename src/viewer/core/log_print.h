#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "viewer/core/print_plan.h"

namespace kest {

class TCanvas;
class TLogViewerCore;
class TParamList;

// The print settings a viewer keeps in its parameter list between prints.
struct PrintSettings {
  std::optional<int32_t> Top;     // "Print.Range.Top": argument; absent = the sheet's first
  std::optional<int32_t> Bottom;  // "Print.Range.Bottom"
  int LeftMarginMm = 0;           // "Print.LeftMargin"
  int RightMarginMm = 0;          // "Print.RightMargin"
  std::string PreviewFile;        // "Print.FileName": not empty = preview instead of printing
  std::string HeadLine;           // "HeadLine": the template's full path; empty = none

  static PrintSettings From(const TParamList& params);
  // Writes the range and margins; the head line only when set (an item stored by an
  // earlier print stays otherwise).
  void Store(TParamList& params) const;
};

// What a print is drawn on: pixels per inch and the page in device pixels. A page
// height of 0 makes one continuous page as tall as the output (preview, PNG).
struct PrintDevice {
  int Dpi = 300;
  int PageWidth = 0;
  int PageHeight = 0;
};

// Where the content lies across a page: the margins in device pixels.
struct ContentBounds {
  int Left = 0;
  int Width = 0;
};
ContentBounds ContentFor(const PrintSettings& settings, const PrintDevice& device);

// One print of a viewer. While it lives the viewer is laid out for the device (its
// resolution, the content width, the printing and monochrome flags; the screen is
// not redrawn); the destructor puts everything back and redraws.
//
// Nothing is rendered into an intermediate bitmap: each page (or band of a
// continuous page) is drawn straight onto the caller's canvas through the columns'
// own painting, clipped to the rows it shows. The sheet is still taken in chunks of
// at most PagePlan::kChunkRows rows, the view's top moving from chunk to chunk, so
// that no coordinate grows with the log's length; curve values are written at the
// top of the first chunk and the bottom of the last.
class TLogPrint {
 public:
  // `head_line_rows`: the rows the caller's head line takes at the top of the first
  // page (the caller draws it).
  TLogPrint(TLogViewerCore& viewer, const PrintSettings& settings, bool monochrome,
            const PrintDevice& device, int head_line_rows);
  ~TLogPrint();
  TLogPrint(const TLogPrint&) = delete;
  TLogPrint& operator=(const TLogPrint&) = delete;

  const PrintRange& Range() const { return range_; }
  const PagePlan& Plan() const { return plan_; }
  int Pages() const { return plan_.Pages; }
  int LeftMargin() const { return left_; }
  int ContentWidth() const { return width_; }
  int HeaderRows() const { return header_rows_; }
  int64_t SheetRows() const { return sheet_rows_; }
  // Rows the output uses on its last page (all of it on a continuous page).
  int64_t UsedRows() const { return used_rows_; }

  // Draws rows [first_row, first_row + rows) of page `page` onto `canvas`, whose
  // origin is the page's top-left corner: the header and sheet slices there, their
  // frame lines and the closing line. The sheet is locked while it is read.
  void DrawPage(TCanvas& canvas, int page, int64_t first_row, int64_t rows);

  static constexpr int kPenWidth = 3;

 private:
  void DrawHeaderSlice(TCanvas& canvas, const PageSlice& slice, int64_t from, int64_t to);
  void DrawSheetSlice(TCanvas& canvas, const PageSlice& slice, int64_t from, int64_t to);
  void DrawFrame(TCanvas& canvas, const PageSlice& slice, int64_t from, int64_t to);
  void PlaceChunk(size_t index);

  TLogViewerCore& viewer_;
  PrintRange range_;
  PagePlan plan_;
  int left_ = 0;
  int width_ = 0;
  int header_rows_ = 0;
  int64_t sheet_rows_ = 0;
  int64_t used_rows_ = 0;
  size_t placed_chunk_ = SIZE_MAX;

  // The viewer as it was.
  int saved_dpi_;
  int saved_width_;
  int saved_height_;
  int32_t saved_top_;
  uint8_t saved_edges_;
  bool saved_monochrome_;
};

}  // namespace kest
