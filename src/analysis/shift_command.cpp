#include "analysis/shift_command.h"

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/undo_stack.h"

namespace kest {

namespace {

class ShiftTracks : public UndoCommand {
 public:
  ShiftTracks(TLogSheet& sheet, std::vector<std::shared_ptr<TLogTrack>> tracks, int32_t delta)
      : sheet_(sheet), tracks_(std::move(tracks)), delta_(delta) {}

  void Do() override { Move(delta_); }
  void Undo() override { Move(-delta_); }
  std::string Text() const override { return "Смещение"; }

 private:
  void Move(int32_t delta) {
    SheetLock lock(sheet_);
    for (const auto& t : tracks_) t->SetOrigin(t->Origin() + delta);
    sheet_.UpdateRange();
    sheet_.MarkStructureChanged();
  }

  TLogSheet& sheet_;
  // Held, so a track taken off the sheet since still moves back on Undo.
  std::vector<std::shared_ptr<TLogTrack>> tracks_;
  int32_t delta_;
};

}  // namespace

std::unique_ptr<UndoCommand> ShiftTracksCommand(TLogSheet& sheet, std::vector<TLogTrack*> tracks,
                                                int32_t delta) {
  std::vector<std::shared_ptr<TLogTrack>> held;
  for (TLogTrack* t : tracks)
    if (t) held.push_back(t->shared_from_this());
  return std::make_unique<ShiftTracks>(sheet, std::move(held), delta);
}

std::unique_ptr<UndoCommand> ShiftSheetCommand(TLogSheet& sheet, int32_t delta) {
  std::vector<TLogTrack*> tracks;
  for (int i = 0; i < sheet.Count(); ++i) tracks.push_back(sheet.Tracks(i));
  return ShiftTracksCommand(sheet, std::move(tracks), delta);
}

}  // namespace kest
