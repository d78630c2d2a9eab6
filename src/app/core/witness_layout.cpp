#include "app/core/witness_layout.h"

#include <cstdio>

#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

namespace {

// TColor holds 0x00BBGGRR.
std::string ColorText(TColor color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", color & 0xff, (color >> 8) & 0xff,
                (color >> 16) & 0xff);
  return text;
}

}  // namespace

std::vector<WitnessColumn> WitnessLayout(const TLogViewerCore& viewer,
                                         const WitnessHeader& header) {
  std::vector<WitnessColumn> columns;
  for (int i = 0; i < viewer.ColumnCount(); ++i) {
    const auto* curve = dynamic_cast<const TGraphicsColumn*>(viewer.Column(i));
    if (!curve) continue;
    // The Number-th track of that name.
    int32_t track = -1;
    for (int32_t t = 0, seen = 0; t < static_cast<int32_t>(header.tracks.size()); ++t) {
      if (header.tracks[static_cast<size_t>(t)].name != curve->Parameter()) continue;
      if (seen++ == curve->Number()) {
        track = t;
        break;
      }
    }
    if (track < 0) continue;
    WitnessColumn column;
    if (curve->Width() > 0) column.width = curve->Width();
    column.curves.push_back(
        {track, curve->NegScale(), curve->Scale(), ColorText(curve->Pen().Color), false});
    columns.push_back(std::move(column));
  }
  return columns;
}

}  // namespace kest
