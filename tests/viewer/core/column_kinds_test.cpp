#include <gtest/gtest.h>

#include "log/log_sheet.h"
#include "support/errors.h"
#include "test_viewer.h"
#include "viewer/core/arg_column.h"
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
    RecordingCanvas canvas;
    column->DrawSamples(canvas, *track, 0, track->Count(), 0);
    return canvas;
  }
};

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

TEST(ArgColumn, WritesMetresAndTimesOfDay) {
  EXPECT_EQ(TArgColumn::ArgumentText(3723000, true), "01:02:03");
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
