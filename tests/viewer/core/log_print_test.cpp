#include "viewer/core/log_print.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "log/log_sheet.h"
#include "log/param_list.h"
#include "support/errors.h"
#include "test_viewer.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"

namespace kest {
namespace {

// A viewer on screen (96 dpi, 1000 x 1000, both edge labels) over one curve GR.
struct Printable {
  TLogSheet sheet;
  TestViewer viewer{1000, 1000};
  TLogTrack* track = nullptr;
  TGraphicsColumn* curve = nullptr;

  Printable(int32_t origin, int32_t step, int count) {
    track = sheet.NewTrack("GR");
    track->SetOrigin(origin);
    track->SetStep(step);
    std::vector<float> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) values[static_cast<size_t>(i)] = static_cast<float>(1 + i % 7);
    track->LoadSamples(values.data(), count);
    sheet.Update();
    viewer.SetEdgeLabels(elTop | elBottom);
    viewer.SetAppendMode(amIgnore);
    auto* arg = viewer.NewColumn<TArgColumn>();
    arg->AddChild(viewer.RootColumn());
    arg->SetRelativeWidth(200);
    curve = viewer.NewColumn<TGraphicsColumn>();
    curve->InsertAfter(arg);
    curve->SetScale(10);
    viewer.SetSheet(&sheet);
    curve->SetParameter("GR");
    viewer.RaiseEvent(veColumns);
  }
};

PrintDevice A4At(int dpi, bool paged = true) {
  return {dpi, static_cast<int>(210 * dpi / 25.4), paged ? static_cast<int>(297 * dpi / 25.4) : 0};
}

TEST(PrintSettings, ReadFromAndStoredIntoTheViewersList) {
  TParamList params;
  EXPECT_FALSE(PrintSettings::From(params).Top);
  params.Ensure("HeadLine").SetString("/x/OLD.RTF");
  PrintSettings s;
  s.Top = 1234000;
  s.Bottom = 1250000;
  s.LeftMarginMm = 15;
  s.Store(params);
  // A print that chooses no head line keeps the one stored before.
  EXPECT_EQ(params.Get("HeadLine").AsString(), "/x/OLD.RTF");
  params.Ensure("Print.FileName").SetString("/tmp/image");
  const PrintSettings back = PrintSettings::From(params);
  EXPECT_EQ(back.Top, 1234000);
  EXPECT_EQ(back.Bottom, 1250000);
  EXPECT_EQ(back.LeftMarginMm, 15);
  EXPECT_EQ(back.RightMarginMm, 0);
  EXPECT_EQ(back.PreviewFile, "/tmp/image");
  EXPECT_EQ(back.HeadLine, "/x/OLD.RTF");
}

// The print lays the viewer out for the printer and gives everything back: a
// black-and-white print leaves the screen in colour at its own resolution.
TEST(LogPrint, WidensTheRangeAndRestoresTheViewer) {
  Printable p(1234500, 100, 157);  // 1 234 500 ... 1 250 100
  p.viewer.SetViewTop(1240000);
  const int32_t top = p.viewer.ViewTop();
  {
    TLogPrint print(p.viewer, {}, true, A4At(300), 0);
    EXPECT_EQ(print.Range().Top, 1232000);
    EXPECT_EQ(print.Range().Bottom, 1252000);
    EXPECT_TRUE(p.viewer.Printing());
    EXPECT_TRUE(p.viewer.Monochrome());
    EXPECT_EQ(p.viewer.Dpi(), 300);
    EXPECT_EQ(p.viewer.SheetPanelWidth(), print.ContentWidth());
    // 20 000 argument units at 1:200 are 100 mm of paper.
    EXPECT_EQ(print.SheetRows(), 1181);
    // The screen is not drawn meanwhile.
    p.viewer.draw = true;
    p.viewer.RedrawAll();
    EXPECT_TRUE(p.viewer.canvas.fills.empty());
  }
  EXPECT_FALSE(p.viewer.Printing());
  EXPECT_FALSE(p.viewer.Monochrome());
  EXPECT_EQ(p.viewer.Dpi(), 96);
  EXPECT_EQ(p.viewer.SheetPanelWidth(), 1000);
  EXPECT_EQ(p.viewer.SheetPanelHeight(), 1000);
  EXPECT_EQ(p.viewer.ViewTop(), top);
  EXPECT_EQ(p.viewer.EdgeLabels(), elTop | elBottom);
  // ... and the screen is drawn again, in the screen's layout.
  EXPECT_FALSE(p.viewer.canvas.fills.empty());
  EXPECT_EQ(p.curve->Left() + p.curve->Width(), 1000);
}

TEST(LogPrint, RefusesWhatCannotBePrintedAndLeavesTheViewerAlone) {
  auto refused = [](TLogViewerCore& viewer, const PrintSettings& settings, PrintDevice device) {
    try {
      TLogPrint print(viewer, settings, true, device, 0);
    } catch (const ELogViewerError& e) {
      EXPECT_FALSE(viewer.Printing());
      EXPECT_EQ(viewer.Dpi(), 96);
      return std::string(e.what());
    }
    return std::string("printed");
  };
  TestViewer bare;
  EXPECT_EQ(refused(bare, {}, A4At(300)), "Лист не содержит данных.");
  TLogSheet empty;
  empty.NewTrack("GR");
  bare.SetSheet(&empty);
  EXPECT_EQ(refused(bare, {}, A4At(300)), "Лист не содержит данных.");
  bare.SetSheet(nullptr);

  Printable p(1000000, 100, 100);
  PrintSettings outside;
  outside.Top = 2000000;
  outside.Bottom = 2100000;
  EXPECT_EQ(refused(p.viewer, outside, A4At(300)), "Диапазон печати вне данных листа.");
  PrintSettings upside_down;
  upside_down.Top = 1008000;
  upside_down.Bottom = 1002000;
  EXPECT_EQ(refused(p.viewer, upside_down, A4At(300)), "Диапазон печати вне данных листа.");
  PrintSettings wide;
  wide.LeftMarginMm = 150;
  wide.RightMarginMm = 55;
  EXPECT_EQ(refused(p.viewer, wide, A4At(300)), "Поля шире страницы.");
  EXPECT_EQ(refused(p.viewer, {}, {0, 100, 100}), "Неверный размер страницы.");
}

// Every slice of every page is framed at both edges of the content; the sheet's end
// gets the closing line once, below the last row.
TEST(LogPrint, PagesAreFramedAndTheSheetClosed) {
  Printable p(1000000, 100, 1500);  // 150 m: 1:200 makes 0.75 m of paper
  PrintSettings settings;
  settings.LeftMarginMm = 20;
  settings.RightMarginMm = 10;
  const PrintDevice device = A4At(300);
  TLogPrint print(p.viewer, settings, true, device, 200);
  ASSERT_EQ(print.Pages(), 3);
  const int x1 = print.LeftMargin() + 1;
  const int x2 = print.LeftMargin() + print.ContentWidth() - 2;
  EXPECT_EQ(print.LeftMargin(), 236);
  int closing = 0;
  for (int page = 0; page < print.Pages(); ++page) {
    RecordingCanvas canvas;
    print.DrawPage(canvas, page, 0, device.PageHeight);
    std::map<int, int> covered;  // x -> rows covered by frame lines
    for (const auto& s : canvas.segments) {
      if (s.Width != TLogPrint::kPenWidth) continue;
      if (s.From.X == s.To.X) covered[s.From.X] += s.To.Y - s.From.Y;
      if (s.From.Y == s.To.Y && s.From.X == x1 && s.To.X == x2) {
        ++closing;
        EXPECT_EQ(page, 2);
        EXPECT_EQ(s.From.Y, print.UsedRows() - TLogPrint::kPenWidth);
      }
    }
    const int64_t first = page == 0 ? 200 : 0;  // below the head line
    const int64_t last = page == 2 ? print.UsedRows() - TLogPrint::kPenWidth : device.PageHeight;
    EXPECT_EQ(covered[x1], last - first - (page == 0 ? 1 : 0))
        << "page " << page;  // one blank row under the header
    EXPECT_EQ(covered[x2], covered[x1]);
  }
  EXPECT_EQ(closing, 1);
}

// A log far longer than one chunk, drawn as one continuous page in bands: the curve
// runs on without a gap or a jump where chunks or bands meet, and its value is
// written at the top and the bottom of the printed range only.
TEST(LogPrint, LongLogsAreChunkedWithoutSeamsAndLabelledAtTheEdgesOnly) {
  Printable p(0, 1000, 2001);  // 2 000 m at one sample per metre
  p.curve->SetScale(100);      // the curve stays inside its column: no wrap labels
  TLogPrint print(p.viewer, {}, false, A4At(300, false), 0);
  ASSERT_EQ(print.Pages(), 1);
  ASSERT_GT(print.Plan().Chunks.size(), 3u);
  RecordingCanvas canvas;
  const int64_t band = 4000;
  for (int64_t top = 0; top < print.UsedRows(); top += band) print.DrawPage(canvas, 0, top, band);
  std::map<int, int> x_at_row;  // distinct points of the curve by row
  for (const auto& line : canvas.polylines)
    for (const TPoint& pt : line)
      if (pt.X > p.curve->Left()) x_at_row[pt.Y] = pt.X;
  ASSERT_FALSE(x_at_row.empty());
  const double rows_per_sample = 1000 * (300 / 25.4) / 200;  // 59 rows
  int previous = x_at_row.begin()->first;
  for (const auto& [row, x] : x_at_row) {
    EXPECT_LE(row - previous, std::ceil(rows_per_sample) + 1) << "gap at row " << row;
    previous = row;
  }
  const int64_t sheet_top = print.HeaderRows() + 1;
  EXPECT_NEAR(x_at_row.begin()->first, sheet_top, 1);
  EXPECT_NEAR(x_at_row.rbegin()->first, sheet_top + print.SheetRows(), rows_per_sample);
  std::vector<int> label_rows;
  for (const auto& t : canvas.texts)
    if (t.X > p.curve->Left() && t.Y >= sheet_top &&
        t.Value.find_first_not_of("0123456789.") == std::string::npos)
      label_rows.push_back(t.Y);
  ASSERT_EQ(label_rows.size(), 2u);
  EXPECT_LT(std::abs(label_rows[0] - sheet_top), 20);
  EXPECT_GT(label_rows[1], sheet_top + print.SheetRows() - 60);
}

}  // namespace
}  // namespace kest
