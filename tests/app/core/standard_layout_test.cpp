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

}  // namespace
}  // namespace kest
