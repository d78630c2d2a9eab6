#include "viewer/core/marker_commands.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "log/log_track.h"
#include "support/undo_stack.h"
#include "viewer/core/log_viewer_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/track_column.h"

namespace kest {

namespace {

class MarkersChange : public UndoCommand {
 public:
  MarkersChange(TTrackColumn& column, std::vector<TVisualGadget> before,
                std::vector<TVisualGadget> after, std::string text)
      : viewer_(column.Viewer()),
        column_(column.Name()),
        before_(std::move(before)),
        after_(std::move(after)),
        text_(std::move(text)) {}

  void Do() override { Set(after_); }
  void Undo() override { Set(before_); }
  std::string Text() const override { return text_; }
  bool ChangesSheet() const override { return false; }  // markers are not saved in logs

 private:
  // The column is found by its name each time: a tablet whose columns were
  // rebuilt since (a layout loaded, a column change undone) holds other objects.
  void Set(const std::vector<TVisualGadget>& markers) {
    if (!viewer_) return;
    if (auto* column = dynamic_cast<TTrackColumn*>(viewer_->FindColumn(column_)))
      column->SetMarkers(markers);
  }

  TLogViewerCore* viewer_;
  std::string column_;
  std::vector<TVisualGadget> before_, after_;
  std::string text_;
};

}  // namespace

std::unique_ptr<UndoCommand> AddMarkerCommand(TTrackColumn& column, int32_t argument) {
  if (!column.Track()) return nullptr;
  std::vector<TVisualGadget> before = column.Markers();
  column.AddMarker(argument);  // the column's own rule places and sorts it
  std::vector<TVisualGadget> after = column.Markers();
  column.SetMarkers(before);  // Push does it again
  return std::make_unique<MarkersChange>(column, std::move(before), std::move(after),
                                         "Поставить метку");
}

int FindMarkerNear(const TTrackColumn& column, int32_t argument, int32_t reach) {
  const TLogTrack* track = column.Track();
  if (!track) return -1;
  int best = -1;
  int64_t best_distance = int64_t{reach} + 1;
  const std::vector<TVisualGadget>& markers = column.Markers();
  for (size_t i = 0; i < markers.size(); ++i) {
    const int64_t origin =
        column.Viewer() ? column.Viewer()->PlacedOrigin(*track) : track->Origin();
    const int64_t at = origin + int64_t{markers[i].Index} * track->Step();
    const int64_t distance = std::llabs(at - argument);
    if (distance < best_distance) {
      best = static_cast<int>(i);
      best_distance = distance;
    }
  }
  return best;
}

std::unique_ptr<UndoCommand> RemoveMarkerCommand(TTrackColumn& column, int32_t argument,
                                                 int32_t reach) {
  const int i = FindMarkerNear(column, argument, reach);
  if (i < 0) return nullptr;
  std::vector<TVisualGadget> after = column.Markers();
  after.erase(after.begin() + i);
  return std::make_unique<MarkersChange>(column, column.Markers(), std::move(after),
                                         "Удалить метку");
}

}  // namespace kest
