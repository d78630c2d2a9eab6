// The "Правка" menu of both main windows: undo and redo of the changes made by
// hand, the data editor and the markers at the cursor.
#include <QAction>
#include <QMenuBar>
#include <algorithm>

#include "app/core/setup_values.h"
#include "app/dialogs/edit_tracks_form.h"
#include "app/main_window/main_window.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/rounding.h"
#include "viewer/core/marker_commands.h"
#include "viewer/core/track_column.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

namespace {

// How far from the cursor "Удалить метку" finds a marker, in pixel rows.
constexpr double kMarkerReachRows = 4;

// Argument units within kMarkerReachRows of the cursor, at least half a sample.
int32_t MarkerReach(const TLogViewer& viewer, const TLogTrack& track) {
  const double rows = kMarkerReachRows * viewer.Scale() / std::max(viewer.PixelsPerMm(), 1.0f);
  return std::max(track.Step() / 2, RoundHalfEven32(rows));
}

bool HoldsData(const TLogSheet& sheet) {
  for (int i = 0; i < sheet.Count(); ++i)
    if (sheet.Tracks(i)->Count() > 0) return true;
  return false;
}

}  // namespace

void TMainForm::BuildEditMenu() {
  auto* edit = new QMenu("Правка", this);
  // After the file menu, whatever the mode's menus are.
  const QList<QAction*> menus = menuBar()->actions();
  menuBar()->insertMenu(menus.size() > 1 ? menus[1] : nullptr, edit);
  connect(AddAction(edit, "aUndo", "Отменить", QKeySequence::Undo), &QAction::triggered, this,
          [this] {
            Try([this] { undo_.Undo(); });
            if (edit_tracks_) edit_tracks_->Reload();
          });
  connect(AddAction(edit, "aRedo", "Повторить", QKeySequence(Qt::CTRL | Qt::Key_Y)),
          &QAction::triggered, this, [this] {
            Try([this] { undo_.Redo(); });
            if (edit_tracks_) edit_tracks_->Reload();
          });
  edit->addSeparator();
  connect(AddAction(edit, "EditTracks", "Редактирование данных"), &QAction::triggered, this,
          [this] { ShowEditTracks(); });
  edit->addSeparator();
  connect(AddAction(edit, "AddMarker", "Поставить метку"), &QAction::triggered, this,
          [this] { MarkerAtCursor(true); });
  connect(AddAction(edit, "RemoveMarker", "Удалить метку"), &QAction::triggered, this,
          [this] { MarkerAtCursor(false); });
  Action("EditTracks")->setStatusTip("Исправить значения кривых вручную");
  Action("AddMarker")->setStatusTip("Поставить метку на кривой у курсора");
  Action("RemoveMarker")->setStatusTip("Удалить метку кривой у курсора");
  // Every change through the stack: the tablet redrawn, the sheet marked modified
  // when its data changed.
  undo_.OnChanged = [this](const UndoCommand& command) {
    viewer_->Refresh();
    // A sample changed in place moves no range, so the sheet's notice does not
    // repaint it: the visible rows are drawn anew, background first.
    viewer_->RedrawAll();
    if (command.ChangesSheet()) SheetEdited();
    UpdateEditActions();
  };
}

void TMainForm::UpdateEditActions() {
  const bool recording = SheetRecording();
  // A recording fills the sheet anew: what was done before cannot be taken back.
  if (recording && !was_recording_) ClearUndo();
  was_recording_ = recording;
  QAction* undo = Action("aUndo");
  if (!undo) return;  // not built yet
  undo->setEnabled(undo_.CanUndo());
  undo->setText(undo_.CanUndo() ? "Отменить: " + QString::fromStdString(undo_.UndoText())
                                : "Отменить");
  QAction* redo = Action("aRedo");
  redo->setEnabled(undo_.CanRedo());
  redo->setText(undo_.CanRedo() ? "Повторить: " + QString::fromStdString(undo_.RedoText())
                                : "Повторить");
  const bool editable = !recording && HoldsData(Sheet());
  Action("EditTracks")->setEnabled(editable);
  if (!editable && edit_tracks_ && edit_tracks_->isVisible()) edit_tracks_->hide();
  auto* column = dynamic_cast<TTrackColumn*>(viewer_->FocusedColumn());
  const bool marked_track = column && column->Track();
  Action("AddMarker")->setEnabled(marked_track);
  Action("RemoveMarker")
      ->setEnabled(marked_track && FindMarkerNear(*column, viewer_->CursorPos(),
                                                  MarkerReach(*viewer_, *column->Track())) >= 0);
}

void TMainForm::ClearUndo() {
  undo_.Clear();
  if (edit_tracks_ && edit_tracks_->isVisible() && !SheetRecording()) {
    SetupValues values;
    values.Load(settings_);
    edit_tracks_->Activate(values.NullValue);
  }
}

void TMainForm::ShowEditTracks() {
  if (SheetRecording() || !HoldsData(Sheet())) return;
  if (!edit_tracks_) {
    edit_tracks_ = std::make_unique<TEditTracksForm>(*viewer_, undo_, settings_, this);
    // Ctrl+Z and Ctrl+Y work in the editor's window too.
    edit_tracks_->addActions({Action("aUndo"), Action("aRedo")});
  }
  SetupValues values;
  values.Load(settings_);
  edit_tracks_->Activate(values.NullValue);
  edit_tracks_->show();
  edit_tracks_->raise();
  edit_tracks_->activateWindow();
}

void TMainForm::MarkerAtCursor(bool add) {
  auto* column = dynamic_cast<TTrackColumn*>(viewer_->FocusedColumn());
  if (!column || !column->Track()) return;
  const int32_t cursor = viewer_->CursorPos();
  std::unique_ptr<UndoCommand> command;
  if (add) {
    command = AddMarkerCommand(*column, cursor);
  } else {
    command = RemoveMarkerCommand(*column, cursor, MarkerReach(*viewer_, *column->Track()));
  }
  if (command) Try([&] { undo_.Push(std::move(command)); });
}

void TMainForm::CloseEditTracks() {
  if (!edit_tracks_) return;
  edit_tracks_->SaveSettings();
  edit_tracks_.reset();
}

}  // namespace kest
