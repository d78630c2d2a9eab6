#include "viewer/core/log_print.h"

#include <algorithm>
#include <vector>

#include "log/log_sheet.h"
#include "log/param_list.h"
#include "support/diagnostic_log.h"
#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

namespace {

constexpr const char* kTop = "Print.Range.Top";
constexpr const char* kBottom = "Print.Range.Bottom";
constexpr const char* kLeft = "Print.LeftMargin";
constexpr const char* kRight = "Print.RightMargin";
constexpr const char* kFile = "Print.FileName";
constexpr const char* kHeadLine = "HeadLine";

// A continuous page: taller than any output.
constexpr int64_t kEndlessPage = INT64_MAX / 4;

}  // namespace

PrintSettings PrintSettings::From(const TParamList& params) {
  PrintSettings s;
  if (const TParamItem* item = params.Find(kTop)) s.Top = item->AsInteger();
  if (const TParamItem* item = params.Find(kBottom)) s.Bottom = item->AsInteger();
  if (const TParamItem* item = params.Find(kLeft)) s.LeftMarginMm = item->AsInteger();
  if (const TParamItem* item = params.Find(kRight)) s.RightMarginMm = item->AsInteger();
  if (const TParamItem* item = params.Find(kFile)) s.PreviewFile = item->AsString();
  if (const TParamItem* item = params.Find(kHeadLine)) s.HeadLine = item->AsString();
  return s;
}

void PrintSettings::Store(TParamList& params) const {
  if (Top) params.Ensure(kTop).SetInteger(*Top);
  if (Bottom) params.Ensure(kBottom).SetInteger(*Bottom);
  params.Ensure(kLeft).SetInteger(LeftMarginMm);
  params.Ensure(kRight).SetInteger(RightMarginMm);
  if (!HeadLine.empty()) params.Ensure(kHeadLine).SetString(HeadLine);
}

ContentBounds ContentFor(const PrintSettings& settings, const PrintDevice& device) {
  const double ppmm = device.Dpi / 25.4;
  ContentBounds b;
  b.Left = RoundHalfEven32(std::max(settings.LeftMarginMm, 0) * ppmm);
  const int right = RoundHalfEven32(std::max(settings.RightMarginMm, 0) * ppmm);
  b.Width = device.PageWidth - b.Left - right;
  return b;
}

TLogPrint::TLogPrint(TLogViewerCore& viewer, const PrintSettings& settings, bool monochrome,
                     const PrintDevice& device, int head_line_rows)
    : viewer_(viewer),
      saved_dpi_(viewer.dpi_),
      saved_width_(viewer.panel_width_),
      saved_height_(viewer.panel_height_),
      saved_top_(viewer.view_top_),
      saved_edges_(viewer.edge_labels_),
      saved_monochrome_(viewer.monochrome_) {
  const TLogSheet* sheet = viewer.Sheet();
  if (!sheet || sheet->Count() == 0 || !sheet->HasRange())
    throw ELogViewerError("Лист не содержит данных.");
  if (device.Dpi <= 0 || device.PageWidth <= 0 || device.PageHeight < 0)
    throw ELogViewerError("Неверный размер страницы.");
  range_ = PrintRangeFor(viewer.SheetFirst(), viewer.SheetLast(), settings.Top, settings.Bottom,
                         viewer.Scale());
  if (range_.Bottom <= range_.Top || range_.Bottom <= viewer.SheetFirst() ||
      range_.Top >= viewer.SheetLast())
    throw ELogViewerError("Диапазон печати вне данных листа.");
  const ContentBounds content = ContentFor(settings, device);
  left_ = content.Left;
  width_ = content.Width;
  if (width_ < RoundHalfEven32(10 * device.Dpi / 25.4))
    throw ELogViewerError("Поля шире страницы.");

  // Held until the destructor: the screen hears of nothing the print changes, and
  // redraws once at its own resolution afterwards.
  viewer.BeginUpdate();
  viewer.SetDpi(device.Dpi);
  viewer.printing_ = true;
  viewer.monochrome_ = monochrome;
  viewer.panel_width_ = width_;
  viewer.LayoutColumns();
  header_rows_ = viewer.HeaderPanelHeight();
  sheet_rows_ = kest::SheetRows(range_, viewer.PixelsPerMm(), viewer.Scale());
  plan_ = PlanPages(device.PageHeight > 0 ? device.PageHeight : kEndlessPage, head_line_rows,
                    header_rows_, sheet_rows_, range_);
  for (const auto* slices : {&plan_.Header, &plan_.Sheet}) {
    for (const PageSlice& s : *slices) {
      if (s.Page == plan_.Pages - 1) used_rows_ = std::max(used_rows_, s.PageRow + s.Rows);
    }
  }
  used_rows_ = std::max<int64_t>(used_rows_, head_line_rows) + kPenWidth;
}

TLogPrint::~TLogPrint() {
  TLogViewerCore& v = viewer_;
  v.printing_ = false;
  v.monochrome_ = saved_monochrome_;
  v.edge_labels_ = saved_edges_;
  v.view_top_ = saved_top_;
  v.panel_width_ = saved_width_;
  v.panel_height_ = saved_height_;
  try {
    v.SetDpi(saved_dpi_);
    v.LayoutColumns();
    v.RaiseEvent(veLayout);
    v.EndUpdate();
  } catch (const std::exception& e) {
    Diag().Error(std::string("Restoring the viewer after printing: ") + e.what());
  }
}

void TLogPrint::PlaceChunk(size_t index) {
  if (index == placed_chunk_) return;
  placed_chunk_ = index;
  TLogViewerCore& v = viewer_;
  const int64_t first = static_cast<int64_t>(index) * PagePlan::kChunkRows;
  v.view_top_ = plan_.Chunks[index].Top;
  v.panel_height_ = static_cast<int>(std::min(PagePlan::kChunkRows, sheet_rows_ - first));
  v.ComputeViewSpan();
  uint8_t edges = 0;
  if (index == 0) edges |= elTop;
  if (index + 1 == plan_.Chunks.size()) edges |= elBottom;
  v.edge_labels_ = edges;
}

void TLogPrint::DrawPage(TCanvas& canvas, int page, int64_t first_row, int64_t rows) {
  const int64_t last_row = first_row + rows;
  std::unique_ptr<SheetLock> lock;
  if (TLogSheet* sheet = viewer_.Sheet()) lock = std::make_unique<SheetLock>(*sheet);
  auto draw = [&](const std::vector<PageSlice>& slices, bool header) {
    for (const PageSlice& s : slices) {
      if (s.Page != page) continue;
      const int64_t from = std::max(first_row, s.PageRow);
      const int64_t to = std::min(last_row, s.PageRow + s.Rows);
      if (from < to) {
        if (header) {
          DrawHeaderSlice(canvas, s, from, to);
        } else {
          DrawSheetSlice(canvas, s, from, to);
        }
      }
      // Frame lines reach a little past a slice: drawn for every band they touch.
      if (std::max(first_row, s.PageRow - kPenWidth) <
          std::min(last_row, s.PageRow + s.Rows + kPenWidth))
        DrawFrame(canvas, s, std::max(first_row, s.PageRow),
                  std::min(last_row, s.PageRow + s.Rows));
    }
  };
  draw(plan_.Header, true);
  draw(plan_.Sheet, false);
}

void TLogPrint::DrawHeaderSlice(TCanvas& canvas, const PageSlice& s, int64_t from, int64_t to) {
  canvas.Save();
  canvas.ClipRect({left_, static_cast<int>(from), left_ + width_, static_cast<int>(to)});
  canvas.Translate(left_, static_cast<int>(s.PageRow - s.SourceRow));
  viewer_.PaintHeaders(canvas, width_);
  canvas.Restore();
}

void TLogPrint::DrawSheetSlice(TCanvas& canvas, const PageSlice& s, int64_t from, int64_t to) {
  const size_t chunk = static_cast<size_t>(s.SourceRow / PagePlan::kChunkRows);
  PlaceChunk(chunk);
  TLogViewerCore& v = viewer_;
  // Rows of the chunk this band shows.
  const int64_t chunk_first = static_cast<int64_t>(chunk) * PagePlan::kChunkRows;
  const int r0 = static_cast<int>(s.SourceRow - chunk_first + (from - s.PageRow));
  const int r1 = r0 + static_cast<int>(to - from);
  std::vector<TLogViewerColumn*> order;
  v.ColumnsInTreeOrder(v.root_->LSon(), order);
  canvas.Save();
  canvas.ClipRect({left_, static_cast<int>(from), left_ + width_, static_cast<int>(to)});
  canvas.Translate(left_, static_cast<int>(from) - r0);
  for (TLogViewerColumn* c : order)
    v.PaintColumn(canvas, c, [&] { c->PaintBackground(canvas, r0, r1 - 1); });
  // One row more on each side: the segments that cross the band's edges.
  const int32_t first_arg = v.ArgumentAt(r0 - 1);
  const int32_t last_arg = v.ArgumentAt(r1 + 1);
  v.ForgetLabels();
  for (TLogViewerColumn* c : order)
    v.PaintColumn(canvas, c, [&] { c->PaintData(canvas, first_arg, last_arg); });
  canvas.Restore();
}

void TLogPrint::DrawFrame(TCanvas& canvas, const PageSlice& s, int64_t from, int64_t to) {
  // Inside the content, so that a line at the page's edge is not cut in half.
  const int x1 = left_ + kPenWidth / 2;
  const int x2 = left_ + width_ - 1 - kPenWidth / 2;
  canvas.SetPen({psSolid, kPenWidth, clBlack});
  if (from < to) {
    canvas.Line(x1, static_cast<int>(from), x1, static_cast<int>(to));
    canvas.Line(x2, static_cast<int>(from), x2, static_cast<int>(to));
  }
  if (s.ClosingLine) {
    const int y = static_cast<int>(s.PageRow + s.Rows);
    canvas.Line(x1, y, x2, y);
  }
}

}  // namespace kest
