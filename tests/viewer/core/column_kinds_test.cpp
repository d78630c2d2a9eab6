#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "log/log_sheet.h"
#include "support/errors.h"
#include "test_viewer.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/caption_fit.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/hue_column.h"
#include "viewer/core/marker_column.h"
#include "viewer/core/scale_list.h"
#include "viewer/core/text_column.h"
#include "viewer/core/value_format.h"

namespace kest {
namespace {

// A viewer at 10 pixels per millimetre, 1:200, with one top-level column of kind T
// over a track of `values` spaced `step` apart.
template <typename T>
struct OneColumn {
  TLogSheet sheet;
  TestViewer viewer{100, 500};
  T* column;
  TLogTrack* track;
  OneColumn(std::vector<float> values, int32_t step = 200) {
    track = sheet.NewTrack("GR");
    track->SetStep(step);
    for (float v : values) track->Append(v);
    sheet.Update();
    viewer.SetDpi(254);
    viewer.SetAppendMode(amIgnore);
    viewer.SetSheet(&sheet);
    column = viewer.NewColumn<T>();
    column->AddChild(viewer.RootColumn());
    column->SetParameter("GR");
    viewer.RaiseEvent(veColumns);
  }
  RecordingCanvas Draw() {
    viewer.ForgetLabels();
    RecordingCanvas canvas;
    column->DrawSamples(canvas, *track, 0, track->Count(), 0);
    return canvas;
  }
};

// Where a text lies on a recording canvas (6 pixels a character, 10 high).
TRect BoxOf(const RecordingCanvas::Text& t) {
  return {t.X, t.Y, t.X + 6 * static_cast<int>(t.Value.size()), t.Y + 10};
}
bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TEST(GraphicsColumn, CurveWrapsAroundTheEdgesAndWritesTheValueAtEachCrossing) {
  OneColumn<TGraphicsColumn> f({5, 15, 25});
  RecordingCanvas canvas = f.Draw();
  ASSERT_EQ(canvas.polylines.size(), 3u);
  EXPECT_EQ(canvas.polylines[0], (std::vector<TPoint>{{50, 0}, {100, 5}}));
  EXPECT_EQ(canvas.polylines[1], (std::vector<TPoint>{{0, 5}, {50, 10}, {100, 15}}));
  EXPECT_EQ(canvas.polylines[2], (std::vector<TPoint>{{0, 15}, {50, 20}}));
  ASSERT_EQ(canvas.texts.size(), 2u);
  EXPECT_EQ(canvas.texts[0].Value, "15");
  EXPECT_EQ(canvas.texts[0].X, 4);
  EXPECT_EQ(canvas.texts[1].Value, "25");
}

TEST(GraphicsColumn, CurveGoingLeftWrapsToTheRightEdge) {
  OneColumn<TGraphicsColumn> f({15, 5});
  RecordingCanvas canvas = f.Draw();
  ASSERT_EQ(canvas.polylines.size(), 2u);
  EXPECT_EQ(canvas.polylines[0], (std::vector<TPoint>{{50, 0}, {0, 5}}));
  EXPECT_EQ(canvas.polylines[1], (std::vector<TPoint>{{100, 5}, {50, 10}}));
  ASSERT_EQ(canvas.texts.size(), 1u);
  EXPECT_EQ(canvas.texts[0].X, 100 - 6 - 4);  // no room right of the edge
}

TEST(GraphicsColumn, AutoScaleTakesTheNextRoundValue) {
  OneColumn<TGraphicsColumn> f({1, 37, 2});
  f.column->SetAutoScale(true);
  f.Draw();
  EXPECT_EQ(f.column->Scale(), 50);
  EXPECT_EQ(FirstValueStepAtLeast(5000001), -1);
  EXPECT_THROW(ValueStep(-1), EAssertionFailed);
}

// While recording, the newest band alone must not narrow the scale the rest of the
// view needs; a whole-view redraw may. A change made while painting is announced by
// the next refresh, so the header and the rows already drawn follow the new scale.
TEST(GraphicsColumn, AutoScaleFollowsTheLiveViewWithoutShrinkingOnAppendedBands) {
  OneColumn<TGraphicsColumn> f({1, 37, 2});
  f.column->SetAutoScale(true);
  struct Changes : TLVColumnLink {
    int count = 0;
    void ColumnChanged(TLogViewerColumn*) override { ++count; }
  } changes;
  changes.SetViewer(&f.viewer);
  f.viewer.draw = true;
  f.viewer.RedrawAll();
  EXPECT_EQ(f.column->Scale(), 50);
  EXPECT_EQ(changes.count, 0);  // not from inside the paint
  f.viewer.Refresh();
  EXPECT_EQ(changes.count, 1);
  f.viewer.Refresh();
  EXPECT_EQ(changes.count, 1);  // once per change

  f.track->Append(3);  // a small band appended and painted by the refresh
  f.viewer.Refresh();
  EXPECT_EQ(f.column->Scale(), 50);
  f.track->Append(180);  // a larger one widens the scale
  f.viewer.Refresh();
  EXPECT_EQ(f.column->Scale(), 200);

  for (int i = 0; i < 100; ++i) f.track->Append(4);
  f.viewer.Refresh();
  f.viewer.SetViewTop(5000);  // only small values in view: a whole redraw narrows
  f.viewer.RedrawAll();
  EXPECT_EQ(f.column->Scale(), 5);
}

// Text metrics that follow the font: a character is 0.55 of the height wide. Every
// text written is kept with its box.
class ScaledCanvas : public RecordingCanvas {
 public:
  struct Box {
    TRect Rect;
    std::string Value;
  };
  std::vector<Box> boxes;
  void SetFont(const TFont& f) override { height_ = f.Height; }
  int TextWidth(std::string_view t) override {
    return static_cast<int>(std::lround(0.55 * height_ * static_cast<double>(t.size())));
  }
  int TextHeight(std::string_view) override { return height_; }
  void TextOut(int x, int y, std::string_view t) override {
    boxes.push_back({{x, y, x + TextWidth(t), y + height_}, std::string(t)});
  }

 private:
  int height_ = 10;
};

// A header keeps its bounds ("0 … 50") at every width they fit in, narrow ones
// included (a printed page's columns are narrower than the screen's), on screen and
// at a printer's resolution: whole, inside the cell, and clear of the caption and
// the scale values.
TEST(GraphicsColumn, HeaderBoundsStayAtEveryWidthTheyFit) {
  OneColumn<TGraphicsColumn> f({1});
  for (int dpi : {96, 300}) {
    f.viewer.SetDpi(dpi);
    const int height = static_cast<int>(std::lround(8 * f.viewer.PixelsPerMm()));
    for (int width = height / 2; width <= height * 5; width += 3) {
      const bool wide = width % 2 == 0;
      f.column->SetScale(wide ? 5000 : 50);
      const std::string high_text = wide ? "5000" : "50";
      ScaledCanvas canvas;
      const TRect cell{100, 0, 100 + width, height};
      f.column->PaintHeader(canvas, cell);
      const ScaledCanvas::Box* low = nullptr;
      const ScaledCanvas::Box* high = nullptr;
      for (const auto& b : canvas.boxes) {
        EXPECT_GE(b.Rect.Left, cell.Left) << b.Value << " at " << width;
        EXPECT_LE(b.Rect.Right, cell.Right) << b.Value << " at " << width;
        if (b.Value == "0" && !low) low = &b;
        if (b.Value == high_text) high = &b;
      }
      for (const ScaledCanvas::Box* bound : {low, high}) {
        if (!bound) continue;
        for (const auto& other : canvas.boxes)
          EXPECT_TRUE(&other == bound || !Overlap(bound->Rect, other.Rect))
              << bound->Value << " under " << other.Value << " at " << width << ", " << dpi;
      }
      // Room for the two bounds in the small font, with a gap, inside the margins.
      const double small = 3 * f.viewer.PixelsPerMm();
      const int margin = static_cast<int>(std::lround(f.viewer.PixelsPerMm() + 0.5));
      if (width - 2 * margin < 0.55 * (small + 1) * (1 + high_text.size()) + 8) continue;
      ASSERT_TRUE(low && high) << width << " at " << dpi << " dpi";
      EXPECT_LT(low->Rect.Right, high->Rect.Left);
    }
  }
}

// The scale values under the header line: four when each fits its fifth of the
// cell, else the middle one, wherever the cell lies on the header panel.
TEST(GraphicsColumn, HeaderScaleValuesAreWrittenOnlyWhenTheyFit) {
  OneColumn<TGraphicsColumn> f({1});
  f.column->SetScale(1000);  // values "200.00" ... "800.00": 36 units wide here
  auto values = [&](int left, int width) {
    RecordingCanvas canvas;
    f.column->PaintHeader(canvas, {left, 0, left + width, 80});
    std::vector<std::string> out;
    for (const auto& t : canvas.texts)
      if (t.Y == 80 - 10) out.push_back(t.Value);
    return out;
  };
  EXPECT_EQ(values(0, 300), (std::vector<std::string>{"200.00", "400.00", "600.00", "800.00"}));
  EXPECT_EQ(values(900, 300), (std::vector<std::string>{"200.00", "400.00", "600.00", "800.00"}));
  EXPECT_EQ(values(900, 200), (std::vector<std::string>{"500.00"}));  // 40 per fifth: too tight
}

TEST(GraphicsColumn, FilterRestartsAtTheNullValue) {
  OneColumn<TGraphicsColumn> f({8, 8, -99.99f, 2});
  f.column->SetNegScale(-10);
  f.column->SetFilterLen(3);
  RecordingCanvas canvas = f.Draw();
  ASSERT_EQ(canvas.polylines.size(), 1u);
  // 8 at x 90; the null value drops to the position of 0 (x 50); 2 restarts there.
  EXPECT_EQ(canvas.polylines[0], (std::vector<TPoint>{{90, 0}, {90, 10}, {50, 20}, {60, 30}}));
  EXPECT_THROW(f.column->SetFilterLen(-1), EAssertionFailed);
}

// Samples equal to the program's null value are missing: each run of present
// samples is a line of its own, from its first sample's row to its last, and nothing
// is drawn or written for a null (no line to the edge, no "-9 999.99"), whether
// the samples are sparse, many to a pixel row, or filtered; a configured null
// value is honoured the same way.
TEST(GraphicsColumn, NullSamplesLeaveGapsInEveryDrawingPath) {
  struct Case {
    int32_t step;
    int32_t filter;
    float null_value;
  };
  for (Case c : {Case{200, 0, kDefaultNullValue}, Case{1, 0, kDefaultNullValue},
                 Case{200, 3, kDefaultNullValue}, Case{200, 0, -999.25f}}) {
    const int n = c.step == 1 ? 10000 : 50;
    std::vector<bool> null(static_cast<size_t>(n), false);
    const std::vector<int> gaps = c.step == 1 ? std::vector<int>{0, 1, 2500, 2501, 6000, n - 1}
                                              : std::vector<int>{0, 7, 8, 20, 33, 49};
    for (int g : gaps) null[static_cast<size_t>(g)] = true;
    std::vector<float> values;
    for (int i = 0; i < n; ++i)
      values.push_back(null[static_cast<size_t>(i)] ? c.null_value : 1 + (i * 37 % 80) / 10.0f);
    OneColumn<TGraphicsColumn> f(values, c.step);
    f.viewer.SetNullValue(c.null_value);
    f.viewer.SetEdgeLabels(elTop | elBottom);
    f.column->SetFilterLen(c.filter);
    const double ky = f.viewer.PixelsPerMm() / f.viewer.Scale();
    auto row = [&](int i) { return static_cast<int>(std::lround(ky * i * c.step)); };
    // The runs of present samples: [first, last].
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < n; ++i) {
      if (null[static_cast<size_t>(i)]) continue;
      if (runs.empty() || runs.back().second != i - 1) runs.push_back({i, i});
      runs.back().second = i;
    }
    RecordingCanvas canvas;
    f.column->DrawSamples(canvas, *f.track, 0, n, 0);
    SCOPED_TRACE("step " + std::to_string(c.step) + " filter " + std::to_string(c.filter));
    ASSERT_EQ(canvas.polylines.size(), runs.size());
    for (size_t k = 0; k < runs.size(); ++k) {
      EXPECT_EQ(canvas.polylines[k].front().Y, row(runs[k].first));
      EXPECT_EQ(canvas.polylines[k].back().Y, row(runs[k].second));
      for (TPoint p : canvas.polylines[k]) EXPECT_TRUE(p.X > 0 && p.X < 100) << p.X;
    }
    EXPECT_TRUE(canvas.texts.empty());  // the edge samples are null: no labels
    // The column's range is that of the present samples.
    float lowest = 100;
    for (int i = 0; i < n; ++i)
      if (!null[static_cast<size_t>(i)]) lowest = std::min(lowest, values[static_cast<size_t>(i)]);
    if (c.null_value == kDefaultNullValue) {
      EXPECT_EQ(f.column->TrackMin(), lowest);
    }
  }
}

// Value labels are written whole inside their column, or not at all: at curve
// crossings of either edge, at the top and bottom of the view, wide and narrow.
TEST(GraphicsColumn, ValueLabelsAreNeverCutByTheColumnEdges) {
  std::vector<float> values;
  for (int i = 0; i < 60; ++i)
    values.push_back(i % 3 == 0 ? 1037.3f : (i % 3 == 1 ? 221.798f : 3.5f + i % 7));
  for (int width : {20, 40, 47, 60, 100}) {
    OneColumn<TGraphicsColumn> f(values);
    f.viewer.SetSheetPanelSize(width, 500);
    f.viewer.LayoutColumns();
    f.viewer.SetEdgeLabels(elTop | elBottom);
    RecordingCanvas canvas = f.Draw();
    ASSERT_FALSE(canvas.polylines.empty());
    int written = 0;
    for (const auto& t : canvas.texts) {
      EXPECT_TRUE(t.X >= 0 && BoxOf(t).Right <= width) << t.Value << " in " << width;
      ++written;
    }
    if (width >= 60) {  // room enough: labels are kept
      EXPECT_GT(written, 10) << width;
    }
  }
}

// On paper a curve keeps its screen look scaled to the printer and the grid stays
// thinner than it, its lines at least a millimetre apart even in a narrow column;
// on screen both are the pens' own widths.
TEST(GraphicsColumn, PrintedGridIsThinnerThanTheCurvesAndNeverAWash) {
  for (int dpi : {96, 150, 300, 600}) {
    for (int width : {60, 150, 400}) {
      SCOPED_TRACE(std::to_string(dpi) + " dpi, " + std::to_string(width) + " pixels");
      OneColumn<TGraphicsColumn> f({1, 5, 9, 5});
      f.viewer.SetDpi(dpi);
      f.viewer.SetPrinting(dpi != 96);
      f.viewer.SetSheetPanelSize(width, 500);
      f.viewer.LayoutColumns();
      RecordingCanvas grid;
      f.column->PaintBackground(grid, 0, 499);
      std::vector<int> xs;
      for (const auto& seg : grid.segments) {
        if (seg.From.X == seg.To.X && seg.From.X < width) xs.push_back(seg.From.X);
        if (dpi != 96) {
          EXPECT_EQ(seg.Width, f.viewer.GridPenWidth());
        }
      }
      ASSERT_GE(xs.size(), 10u);  // at least the major lines
      for (size_t i = 1; i < xs.size(); ++i)
        EXPECT_GE(xs[i] - xs[i - 1], std::min<int>(std::floor(f.viewer.PixelsPerMm()), width / 10))
            << xs[i];
      RecordingCanvas curve = f.Draw();
      if (dpi == 96) {
        EXPECT_EQ(curve.pen.Width, f.column->Pen().Width);
      } else {
        EXPECT_GT(curve.pen.Width, f.viewer.GridPenWidth());
        EXPECT_EQ(curve.pen.Width, std::lround(f.column->Pen().Width * dpi / 96.0));
      }
    }
  }
}

// Curves drawn over one another in a column never write their values over each
// other: a label that would cover another curve's is left out.
TEST(GraphicsColumn, OverlaidCurvesDoNotWriteLabelsOverEachOther) {
  TLogSheet sheet;
  for (const char* name : {"GR", "NK", "SP"}) {
    TLogTrack* t = sheet.NewTrack(name);
    t->SetStep(200);
    for (int i = 0; i < 40; ++i) t->Append(name[0] == 'S' ? 1.0f : 5.0f + i % 2);
  }
  sheet.Update();
  TestViewer viewer(100, 500);
  viewer.SetDpi(254);
  viewer.SetAppendMode(amIgnore);
  viewer.SetEdgeLabels(elTop | elBottom);
  viewer.SetSheet(&sheet);
  TLogViewerColumn* father = viewer.RootColumn();
  for (const char* name : {"GR", "NK", "SP"}) {
    auto* curve = viewer.NewColumn<TGraphicsColumn>();
    curve->AddChild(father);
    curve->SetParameter(name);
    father = curve;
  }
  viewer.RaiseEvent(veColumns);
  viewer.draw = true;
  for (int pass = 0; pass < 2; ++pass) {  // a second whole redraw writes them again
    viewer.canvas.texts.clear();
    viewer.RedrawAll();
    // GR and NK start at the same value and place: one label; SP's stands apart.
    std::vector<std::string> top;
    for (const auto& t : viewer.canvas.texts)
      if (t.Y == 0) top.push_back(t.Value);
    EXPECT_EQ(top, (std::vector<std::string>{"5", "1"}));
    // Each curve crosses no edge here: every label left is an edge label.
    const auto& texts = viewer.canvas.texts;
    for (size_t i = 0; i < texts.size(); ++i)
      for (size_t j = i + 1; j < texts.size(); ++j)
        EXPECT_FALSE(Overlap(BoxOf(texts[i]), BoxOf(texts[j]))) << texts[i].Value << texts[j].Value;
  }
  viewer.SetSheet(nullptr);
}

TEST(GraphicsColumn, ManySamplesPerRowKeepEverySpike) {
  std::vector<float> values(20000, 1.0f);
  values[7777] = 9.0f;  // one spike among thousands of samples per pixel row
  OneColumn<TGraphicsColumn> f(values, 1);
  RecordingCanvas canvas = f.Draw();
  int right_most = 0;
  size_t points = 0;
  for (auto& line : canvas.polylines) {
    points += line.size();
    for (auto p : line) right_most = std::max(right_most, p.X);
  }
  EXPECT_EQ(right_most, 90);
  EXPECT_LT(points, 2000u);
}

TEST(GraphicsColumn, BoundSettersKeepTheBoundsOrderedAndStepThroughRoundValues) {
  TGraphicsColumn g;
  g.SetNegScale(12);
  EXPECT_EQ(g.NegScale(), 0);
  g.SetOffsetGraph(10);
  EXPECT_EQ(g.OffsetGraph(), 0);
  g.ScaleUp();
  EXPECT_EQ(g.Scale(), 20);
  g.ScaleDown();
  g.ScaleDown();
  EXPECT_EQ(g.Scale(), 5);
}

TEST(TextColumn, DropsValuesThatWouldOverlap) {
  std::vector<float> values(30, 1.5f);
  OneColumn<TTextColumn> f(values, 80);  // rows 4 pixels apart, text 10 high
  RecordingCanvas canvas = f.Draw();
  ASSERT_EQ(canvas.texts.size(), 10u);  // every third value
  EXPECT_EQ(canvas.texts[0].Value, " 1.50 ");
  EXPECT_EQ(canvas.texts[0].X, 10);
}

TEST(MarkerColumn, TicksOnlyPositiveSamples) {
  OneColumn<TMarkerColumn> f({0, -1, 2, 0.5f});
  EXPECT_EQ(f.Draw().lines, 2);
}

TEST(HueColumn, ValuesMapLinearlyOntoTheRamp) {
  OneColumn<THueColumn> f({0, 50, 80});
  EXPECT_EQ(f.column->TrackMin(), 0);
  EXPECT_EQ(f.column->RampIndex(50), 127);
  EXPECT_EQ(f.column->RampIndex(1000), 255);
  EXPECT_EQ(f.column->RampIndex(-5), 0);
  const auto& ramp = SpectrumTable(spWhiteBlue);
  EXPECT_EQ(ramp[0], RGBColor(255, 255, 255));
  EXPECT_EQ(ramp[255], RGBColor(0, 0, 255));
}

// Depth labels and text-column values: whole inside the column or left out.
TEST(ArgColumn, DepthAndTextLabelsAreNeverCut) {
  for (int width : {20, 36, 50, 200}) {
    TLogSheet sheet;
    TLogTrack* track = sheet.NewTrack("GR");
    track->SetOrigin(1760000);
    track->SetStep(200);
    for (int i = 0; i < 100; ++i) track->Append(i % 2 ? 1768.25f : kDefaultNullValue);
    sheet.Update();
    TestViewer viewer(2 * width, 500);
    viewer.SetAppendMode(amIgnore);
    viewer.SetSheet(&sheet);
    auto* arg = viewer.NewColumn<TArgColumn>();
    arg->AddChild(viewer.RootColumn());
    auto* text = viewer.NewColumn<TTextColumn>();
    text->InsertAfter(arg);
    text->SetParameter("GR");
    viewer.RaiseEvent(veColumns);
    viewer.SetViewTop(1760000);
    viewer.draw = true;
    viewer.RedrawAll();
    int depths = 0, values = 0;
    for (const auto& t : viewer.canvas.texts) {
      const bool depth = t.X < width;
      const int left = depth ? 0 : width;
      EXPECT_TRUE(t.X >= left && BoxOf(t).Right <= left + width) << t.Value << " in " << width;
      EXPECT_EQ(t.Value.find("999.99"), std::string::npos);
      (depth ? depths : values) += 1;
    }
    if (width >= 50) {
      EXPECT_GT(depths, 0) << width;
    }
    if (width >= 200) {
      EXPECT_GT(values, 0) << width;
    }
    viewer.SetSheet(nullptr);
  }
}

// Where a label goes: beside its point, moved in from an edge, set smaller when it
// is wider than the column, or left out; never crossing an edge.
TEST(LabelPlacement, MovedInSetSmallerOrLeftOut) {
  // A character is half the font's height wide.
  const LabelMeasure measure = [](std::string_view t, int h) {
    return static_cast<int>(t.size()) * h / 2;
  };
  auto place = [&](int x, bool centred, int width) {
    return PlaceLabel("1037.3", x, centred, 4, width, 10, measure);  // 30 wide at 10
  };
  EXPECT_EQ(place(10, false, 100)->X, 14);        // right of the point
  EXPECT_EQ(place(80, false, 100)->X, 46);        // too near the right edge: left of it
  EXPECT_EQ(place(2, true, 100)->X, 0);           // moved in, whole size
  EXPECT_EQ(place(0, false, 24)->FontHeight, 8);  // set smaller: 24 wide
  EXPECT_FALSE(place(0, false, 17));              // would need less than three fifths
  for (int width = 1; width < 60; ++width) {
    for (int x = -5; x < width + 5; ++x) {
      if (auto p = place(x, x % 2 == 0, width)) {
        EXPECT_GE(p->X, 0);
        EXPECT_LE(p->X + measure("1037.3", p->FontHeight), width);
      }
    }
  }
}

TEST(ArgColumn, WritesMetresAndTimesOfDay) {
  EXPECT_EQ(TArgColumn::ArgumentText(3723000, true), "01:02:03");
  // A clock goes on past midnight with the day in front, never to "25:35:00".
  EXPECT_EQ(TArgColumn::ArgumentText(86399000, true), "23:59:59");
  EXPECT_EQ(TArgColumn::ArgumentText((25 * 3600 + 35 * 60) * 1000, true), "+1д 01:35:00");
  EXPECT_EQ(TArgColumn::ArgumentText(-2000, true), "-00:00:02");
  EXPECT_EQ(TArgColumn::ArgumentText(-1500, false), " (1.5) ");
  EXPECT_EQ(TArgColumn::ArgumentText(1250000, false), " 1250 ");
  EXPECT_EQ(FormatValue(1234567.891, 2, 2, true), "1 234 567.89");
  EXPECT_EQ(FormatValue(-0.001, 0, 2), "0");
}

TEST(Points, VerticalRunsKeepTheirFirstAndLatestPoint) {
  TPoints points(10);
  points.Add(5, 0);
  points.Add(5, 1);
  points.Add(5, 2);
  points.Add(5, 3);
  points.Add(5, 3);
  points.Add(6, 4);
  ASSERT_EQ(points.Count(), 3);
  EXPECT_EQ(points[1], (TPoint{5, 3}));
}

}  // namespace
}  // namespace kest
