#include "app/core/standard_layout.h"

#include <algorithm>
#include <vector>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/text_column.h"
#include "viewer/core/track_column.h"

namespace kest {

namespace {

constexpr TColor kCurveColors[] = {RGBColor(200, 0, 0),   RGBColor(0, 0, 200),
                                   RGBColor(0, 130, 0),   RGBColor(160, 0, 160),
                                   RGBColor(200, 110, 0), RGBColor(0, 130, 150)};
constexpr int kCurveShare = 200;

// Past this many curve columns the curves share columns.
constexpr int kMostCurveColumns = 8;

std::vector<const TLogTrack*> Curves(const TLogSheet& sheet);

// A scale column, then a graphics column per track but the argument's own. A file
// of many curves (a LAS of dozens) gets at most kMostCurveColumns columns, each
// holding its share of the curves one over the other (one header row each), so
// that every column stays wide enough to read a curve in; the scale column keeps
// room for whole depths.
void AddStandardColumns(TLogViewerCore& viewer, const TLogSheet& sheet) {
  viewer.ClearColumns();
  const std::vector<const TLogTrack*> curves = Curves(sheet);
  const int count = static_cast<int>(curves.size());
  const int per_column = std::max(1, (count + kMostCurveColumns - 1) / kMostCurveColumns);
  const int columns = (count + per_column - 1) / per_column;

  auto* arg = viewer.NewColumn<TArgColumn>();
  arg->AddChild(viewer.RootColumn());
  arg->SetRelativeWidth(std::max(110, columns * kCurveShare / 10));
  TLogViewerColumn* last_column = arg;
  TLogViewerColumn* previous = arg;
  for (int i = 0; i < count; ++i) {
    auto* curve = viewer.NewColumn<TGraphicsColumn>();
    if (i % per_column == 0) {
      curve->InsertAfter(last_column);
      curve->SetRelativeWidth(kCurveShare);
      last_column = curve;
    } else {
      curve->AddChild(previous);  // over the curve before it, the whole width
      curve->SetRelativeWidth(1000);
    }
    curve->SetParameter(curves[static_cast<size_t>(i)]->Parameter());
    curve->SetNumber(curves[static_cast<size_t>(i)]->Instance());
    curve->SetColor(kCurveColors[static_cast<size_t>(i) % std::size(kCurveColors)]);
    curve->SetAutoScale(true);
    previous = curve;
  }
}

// The curves of the sheet, in its order: every track but the argument's own.
std::vector<const TLogTrack*> Curves(const TLogSheet& sheet) {
  // No curve of time; the depth is a curve only in a time log, where it is data (a
  // memory run's or the surface recorder's read-out) and not the scale.
  const bool depth_is_data = sheet.Argument() == laTime;
  std::vector<const TLogTrack*> curves;
  for (int i = 0; i < sheet.Count(); ++i) {
    const std::string& name = sheet.Tracks(i)->Parameter();
    if (name == "TIME" || (name == "DEPTH" && !depth_is_data)) continue;
    curves.push_back(sheet.Tracks(i));
  }
  return curves;
}

}  // namespace

int AddColumnsForUnshownTracks(TLogViewerCore& viewer, const TLogSheet& sheet) {
  std::vector<const TLogTrack*> missing;
  for (const TLogTrack* track : Curves(sheet)) {
    bool shown = false;
    for (int i = 0; i < viewer.ColumnCount() && !shown; ++i) {
      const auto* column = dynamic_cast<const TTrackColumn*>(viewer.Column(i));
      shown = column && column->Parameter() == track->Parameter() &&
              column->Number() == track->Instance();
    }
    if (!shown) missing.push_back(track);
  }
  if (missing.empty()) return 0;
  {
    TLogViewerCore::UpdateGuard update(viewer);
    TLogViewerColumn* last = viewer.RootColumn()->LastChild();
    size_t color = static_cast<size_t>(viewer.ColumnCount());
    for (const TLogTrack* track : missing) {
      auto* curve = viewer.NewColumn<TGraphicsColumn>();
      if (last)
        curve->InsertAfter(last);
      else
        curve->AddChild(viewer.RootColumn());
      curve->SetRelativeWidth(kCurveShare);
      curve->SetParameter(track->Parameter());
      curve->SetNumber(track->Instance());
      curve->SetColor(kCurveColors[color++ % std::size(kCurveColors)]);
      curve->SetAutoScale(true);
      last = curve;
    }
  }
  viewer.RaiseEvent(veColumns);
  return static_cast<int>(missing.size());
}

void BuildStandardLayout(TLogViewerCore& viewer, const TLogSheet& sheet) {
  {
    TLogViewerCore::UpdateGuard update(viewer);
    AddStandardColumns(viewer, sheet);
  }
  viewer.RaiseEvent(veColumns);
}

}  // namespace kest
