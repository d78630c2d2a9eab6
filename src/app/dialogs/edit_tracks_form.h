#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <string_view>

#include "app/core/edit_tracks.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kest {

class Settings;
class TLogViewer;
class UndoStack;

// "Редактирование данных": single samples of the viewer's sheet corrected by hand.
// A tool window over the main window; the rules are EditTracks', the viewer's
// cursor follows the argument and the viewer is redrawn after every write.
class TEditTracksForm : public QDialog {
 public:
  TEditTracksForm(TLogViewer& viewer, UndoStack& undo, Settings& settings, QWidget* parent);
  ~TEditTracksForm() override;

  // Ready for the viewer's sheet: the tracks anew, the chosen one kept while the
  // sheet holds it (else the one chosen last time), the argument at the viewer's
  // cursor and the null box showing the sample there. Runs again each time the
  // window becomes active.
  void Activate(std::string_view null_text);
  // The sheet's tracks changed elsewhere (one removed, one made): shown anew.
  void TracksChanged();
  // The fields anew from the sheet (after an undo or a redo).
  void Reload();
  // "LastParams" written.
  void SaveSettings();

  EditTracks* Core() const { return core_.get(); }
  QComboBox* Params() const { return params_; }
  QSpinBox* Args() const { return args_; }
  QLabel* ArgText() const { return arg_text_; }
  QLineEdit* Value() const { return value_; }
  QCheckBox* Null() const { return null_; }
  QLabel* Message() const { return message_; }
  QPushButton* CloseButton() const { return close_; }
  // The value field shows a text that is not a number (and was not written).
  bool ValueMarked() const { return marked_; }

 protected:
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ChooseTrack(int index);
  void ChooseArgument(int argument);
  void ShowSample();
  void ValueEdited(const QString& text);
  void NullClicked(bool on);
  void MarkValue(bool marked);
  void Written();

  TLogViewer& viewer_;
  UndoStack& undo_;
  Settings& settings_;
  std::unique_ptr<EditTracks> core_;
  QComboBox* params_ = nullptr;
  QSpinBox* args_ = nullptr;
  QLabel* arg_text_ = nullptr;
  QLineEdit* value_ = nullptr;
  QCheckBox* null_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* close_ = nullptr;
  std::string null_text_;
  bool marked_ = false;
  bool loading_ = false;
};

}  // namespace kest
