// The layout a sheet gets when no layout file is loaded: the argument as the scale
// and a curve for every track but time and, in a depth log, depth.
#include "app/core/standard_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/text_column.h"

namespace kest {
namespace {

std::vector<std::string> Curves(TLogArgument argument) {
  TLogSheet sheet;
  sheet.SetArgument(argument);
  for (const char* name : {"TIME", "DEPTH", "TENSION"}) sheet.NewTrack(name);
  TLogViewerCore viewer;
  viewer.SetSheet(&sheet);
  BuildStandardLayout(viewer, sheet);
  std::vector<std::string> curves;
  for (int i = 0; i < viewer.ColumnCount(); ++i)
    if (auto* curve = dynamic_cast<TGraphicsColumn*>(viewer.Column(i)))
      curves.push_back(curve->Parameter());
  viewer.SetSheet(nullptr);
  return curves;
}

TEST(StandardLayout, TheDepthOfATimeLogIsACurve) {
  // A surface recorder's read-out is a time log whose depth is data.
  EXPECT_EQ(Curves(laTime), (std::vector<std::string>{"DEPTH", "TENSION"}));
  EXPECT_EQ(Curves(laDepth), (std::vector<std::string>{"TENSION"}));
}

// A file of many curves opens readably: every curve once, in at most eight columns
// a curve can be read in, several curves to a column one over the other, and a
// scale column wide enough for whole depths; a few curves keep a column each.
TEST(StandardLayout, ManyCurvesShareColumnsOfAUsefulWidth) {
  for (int count : {3, 8, 9, 36, 61}) {
    SCOPED_TRACE(std::to_string(count) + " curves");
    TLogSheet sheet;
    sheet.NewTrack("DEPTH");
    for (int i = 0; i < count; ++i) sheet.NewTrack("C" + std::to_string(i));
    TLogViewerCore viewer;
    viewer.SetSheetPanelSize(1000, 600);
    viewer.SetSheet(&sheet);
    BuildStandardLayout(viewer, sheet);
    std::vector<std::string> shown;
    int top_level = 0;
    int depth_column = 0;
    for (int i = 0; i < viewer.ColumnCount(); ++i) {
      TLogViewerColumn* c = viewer.Column(i);
      if (dynamic_cast<TArgColumn*>(c)) depth_column = c->Width();
      auto* curve = dynamic_cast<TGraphicsColumn*>(c);
      if (!curve) continue;
      shown.push_back(curve->Parameter());
      top_level += curve->TopLevel();
      EXPECT_GE(curve->Width(), 90) << curve->Parameter();
      if (!curve->TopLevel()) {  // over the whole of its column, in another colour
        EXPECT_EQ(curve->Width(), curve->Father()->Width());
        EXPECT_NE(curve->Color(), dynamic_cast<TGraphicsColumn&>(*curve->Father()).Color());
      }
    }
    ASSERT_EQ(shown.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
      EXPECT_EQ(shown[static_cast<size_t>(i)], "C" + std::to_string(i));
    EXPECT_LE(top_level, 8);
    if (count <= 8) {
      EXPECT_EQ(top_level, count);
    }
    EXPECT_LE(viewer.TreeDepth(), (count + 7) / 8);
    EXPECT_GE(depth_column, 60);  // " 1768.25 " at 4 mm on screen
    viewer.SetSheet(nullptr);
  }
}

// A layout loaded from a file names its tracks; tracks the sheet gains later (a curve
// the calculator made, one added from another file) get a column each, once.
TEST(StandardLayout, TracksALayoutFileLacksGetAColumnOnce) {
  TLogSheet sheet;
  sheet.SetArgument(laDepth);
  for (const char* name : {"DEPTH", "GK", "NK"}) sheet.NewTrack(name);
  TLogViewerCore viewer;
  viewer.SetSheet(&sheet);
  BuildStandardLayout(viewer, sheet);  // stands in for a layout file showing GK and NK
  EXPECT_EQ(AddColumnsForUnshownTracks(viewer, sheet), 0);
  sheet.NewTrack("GK");  // a second GK: shown by instance
  sheet.NewTrack("GR2");
  EXPECT_EQ(AddColumnsForUnshownTracks(viewer, sheet), 2);
  EXPECT_EQ(AddColumnsForUnshownTracks(viewer, sheet), 0);
  std::vector<std::string> shown;
  for (int i = 0; i < viewer.ColumnCount(); ++i)
    if (auto* curve = dynamic_cast<TGraphicsColumn*>(viewer.Column(i)))
      shown.push_back(curve->Parameter() + "#" + std::to_string(curve->Number()));
  EXPECT_EQ(shown, (std::vector<std::string>{"GK#0", "NK#0", "GK#1", "GR2#0"}));
  viewer.SetSheet(nullptr);
}

}  // namespace
}  // namespace kest
