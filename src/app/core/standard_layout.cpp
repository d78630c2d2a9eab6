#include "app/core/standard_layout.h"

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/text_column.h"

namespace kest {

namespace {

constexpr TColor kCurveColors[] = {RGBColor(200, 0, 0),   RGBColor(0, 0, 200),
                                   RGBColor(0, 130, 0),   RGBColor(160, 0, 160),
                                   RGBColor(200, 110, 0), RGBColor(0, 130, 150)};

// A scale column, then a graphics column per track but the argument's own.
void AddStandardColumns(TLogViewerCore& viewer, const TLogSheet& sheet) {
  viewer.ClearColumns();
  auto* arg = viewer.NewColumn<TArgColumn>();
  arg->AddChild(viewer.RootColumn());
  arg->SetRelativeWidth(110);
  TLogViewerColumn* last = arg;
  // No curve of time; the depth is a curve only in a time log, where it is data (a
  // memory run's or the surface recorder's read-out) and not the scale.
  const bool depth_is_data = sheet.Argument() == laTime;
  int shown = 0;
  for (int i = 0; i < sheet.Count(); ++i) {
    const TLogTrack* track = sheet.Tracks(i);
    const std::string& name = track->Parameter();
    if (name == "TIME" || (name == "DEPTH" && !depth_is_data)) continue;
    auto* curve = viewer.NewColumn<TGraphicsColumn>();
    curve->InsertAfter(last);
    curve->SetRelativeWidth(200);
    curve->SetParameter(name);
    curve->SetNumber(track->Instance());
    curve->SetColor(kCurveColors[shown % std::size(kCurveColors)]);
    curve->SetAutoScale(true);
    last = curve;
    ++shown;
  }
}

}  // namespace

void BuildStandardLayout(TLogViewerCore& viewer, const TLogSheet& sheet) {
  {
    TLogViewerCore::UpdateGuard update(viewer);
    AddStandardColumns(viewer, sheet);
  }
  viewer.RaiseEvent(veColumns);
}

}  // namespace kest
