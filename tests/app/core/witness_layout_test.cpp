// The tablet's curves in the live witness's header.
#include "app/core/witness_layout.h"

#include <gtest/gtest.h>

#include "app/core/standard_layout.h"
#include "log/log_sheet.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {
namespace {

// Each curve column points at its own track (the second of two same-named ones too),
// with the column's scale and pen colour; the argument column is left out.
TEST(WitnessLayout, EachCurvePointsAtItsTrackWithItsScaleAndColour) {
  TLogSheet sheet;
  sheet.SetArgument(laDepth);
  WitnessHeader header;
  for (const char* name : {"DEPTH", "GK", "NK", "GK"}) sheet.NewTrack(name);
  for (int i = 0; i < sheet.Count(); ++i) {  // DEPTH, GK, GK, NK: names stand together
    const std::string& name = sheet.Tracks(i)->Parameter();
    header.tracks.push_back({name, name, "", name, 0, 0});
  }
  TLogViewerCore viewer;
  viewer.SetSheet(&sheet);
  BuildStandardLayout(viewer, sheet);
  std::vector<TGraphicsColumn*> curves;
  for (int i = 0; i < viewer.ColumnCount(); ++i)
    if (auto* c = dynamic_cast<TGraphicsColumn*>(viewer.Column(i))) curves.push_back(c);
  ASSERT_EQ(curves.size(), 3u);
  curves[1]->SetScale(250);
  curves[1]->SetNegScale(-5);
  curves[2]->SetPen({psSolid, 1, 0x00336699});

  const auto columns = WitnessLayout(viewer, header);
  ASSERT_EQ(columns.size(), 3u);
  const int32_t want_tracks[] = {1, 2, 3};  // GK#0, GK#1, NK
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(columns[i].curves.size(), 1u);
    EXPECT_EQ(columns[i].curves[0].track, want_tracks[i]);
  }
  EXPECT_EQ(columns[1].curves[0].min, -5);
  EXPECT_EQ(columns[1].curves[0].max, 250);
  EXPECT_EQ(columns[2].curves[0].color, "#996633");
  viewer.SetSheet(nullptr);
}

}  // namespace
}  // namespace kest
