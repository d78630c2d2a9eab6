// The data editor and the "Правка" menu of the curve editor, used as an operator
// would: open a log, correct samples, undo and redo, put markers, save and reopen.
#include "app/edit_tracks_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "app/app_environment.h"
#include "app/editor_form.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "viewer/log_viewer.h"
#include "viewer/track_column.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
  }
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(w, &press);
}

TTrackColumn* FindColumn(TLogViewerColumn* c, const std::string& parameter) {
  for (; c; c = c->RLink()) {
    if (auto* t = dynamic_cast<TTrackColumn*>(c); t && t->Parameter() == parameter) return t;
    if (TTrackColumn* t = FindColumn(c->LSon(), parameter)) return t;
  }
  return nullptr;
}

// The editor over a depth log with GR and SP, 40 samples from 1000 mm every 100 mm
// (GR sample i = i, SP = 100 + i).
class EditTracksWindow : public ::testing::Test {
 protected:
  EditTracksWindow() {
    editor = std::make_unique<TEditorForm>(*env, settings, answers);
    LogDocument doc;
    for (const char* name : {"GR", "SP"}) {
      TLogTrack* t = doc.Sheet().NewTrack(name);
      t->SetOrigin(1000);
      t->SetStep(100);
      for (int i = 0; i < 40; ++i) t->Append(static_cast<float>(i + (name[0] == 'S' ? 100 : 0)));
    }
    doc.Sheet().Update();
    log = root.File("log.ls");
    doc.SaveAs(log, {});
  }
  TLogTrack& Gr() { return *editor->Sheet().FindTrack("GR"); }
  TEditTracksForm& Open() {
    editor->Action("EditTracks")->trigger();
    TEditTracksForm* form = editor->EditTracksForm();
    EXPECT_TRUE(form && form->isVisible());
    return *form;
  }
  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env = testing::SeededEnvironment(root.Path().string());
  MemorySettings settings;
  testing::ScriptedQuestions answers{*env, settings};
  std::unique_ptr<TEditorForm> editor;
  std::string log;
};

TEST_F(EditTracksWindow, SamplesCorrectedByTypingAreUndoneSavedAndReadBack) {
  QAction* action = editor->Action("EditTracks");
  ASSERT_TRUE(action);
  EXPECT_EQ(action->text(), "Редактирование данных");
  editor->Idle();
  EXPECT_FALSE(action->isEnabled());  // no data yet
  ASSERT_TRUE(editor->OpenFile(log));
  editor->Idle();
  EXPECT_TRUE(action->isEnabled());
  EXPECT_FALSE(editor->windowTitle().endsWith(" *"));
  editor->resize(1000, 700);
  editor->show();
  editor->Viewer()->SetCursorPos(2250);

  TEditTracksForm& form = Open();
  EXPECT_EQ(form.windowTitle(), "Редактирование данных");
  EXPECT_EQ(form.Params()->count(), 2);
  EXPECT_EQ(form.Params()->currentIndex(), 0);
  EXPECT_EQ(form.Args()->value(), 2250);
  EXPECT_EQ(form.Args()->singleStep(), 100);
  EXPECT_EQ(form.ArgText()->text(), "2.25 m");
  EXPECT_EQ(form.Value()->text(), "12.00");  // sample 12 holds 2200..2299
  EXPECT_FALSE(form.Null()->isChecked());
  EXPECT_EQ(form.Null()->text(), "Отсутствие значения");
  EXPECT_EQ(form.CloseButton()->text(), "Закрыть");

  // The first correction, typed key by key; "-" alone is not written.
  const QImage before = editor->Viewer()->grab().toImage();
  form.Value()->clear();
  Type(form.Value(), "-");
  EXPECT_TRUE(form.ValueMarked());
  EXPECT_FLOAT_EQ(Gr().Sample(12), 12);
  Type(form.Value(), "3.5");
  EXPECT_FALSE(form.ValueMarked());
  EXPECT_FLOAT_EQ(Gr().Sample(12), -3.5f);
  EXPECT_NE(editor->Viewer()->grab().toImage(), before);  // the curve is drawn anew
  EXPECT_TRUE(answers.Errors.empty());
  EXPECT_TRUE(editor->windowTitle().endsWith(" *")) << editor->windowTitle().toStdString();

  // Down a step, the cursor follows: the second; Ctrl+Down 10 m: the third.
  Key(form.Value(), Qt::Key_Down);
  EXPECT_EQ(form.Args()->value(), 2350);
  EXPECT_EQ(editor->Viewer()->CursorPos(), 2350);
  form.Value()->selectAll();
  Type(form.Value(), "77");
  Key(form.Value(), Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(form.Args()->value(), 4900);  // past the end: to the last argument
  form.Value()->selectAll();
  Type(form.Value(), "55");
  EXPECT_FLOAT_EQ(Gr().Sample(13), 77);
  EXPECT_FLOAT_EQ(Gr().Sample(39), 55);
  editor->Idle();
  EXPECT_EQ(editor->Undo().Count(), 3u);
  EXPECT_TRUE(editor->Action("aUndo")->isEnabled());

  // Ctrl+Z in the field undoes the last: the sample and the field are back.
  Key(form.Value(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FLOAT_EQ(Gr().Sample(39), 39);
  EXPECT_EQ(form.Value()->text(), "39.00");
  editor->Action("aRedo")->trigger();
  EXPECT_FLOAT_EQ(Gr().Sample(39), 55);
  editor->Action("aUndo")->trigger();
  form.grab().save(QString(KEST_APP_OUT_DIR) + "/edit_tracks.png");

  editor->SaveFile(log);
  editor->WaitForSaves();
  EXPECT_FALSE(editor->Document().Modified());
  ASSERT_TRUE(editor->OpenFile(log));
  EXPECT_FALSE(editor->Undo().CanUndo());  // a new sheet: nothing to take back
  EXPECT_FALSE(editor->Document().Modified());
  EXPECT_FLOAT_EQ(Gr().Sample(12), -3.5f);
  EXPECT_FLOAT_EQ(Gr().Sample(13), 77);
  EXPECT_FLOAT_EQ(Gr().Sample(39), 39);
}

TEST_F(EditTracksWindow, TheNullBoxWritesTheSettingAndTheChosenTrackIsRemembered) {
  settings.SetString("Settings", "NullValue", "-999.25");
  ASSERT_TRUE(editor->OpenFile(log));
  editor->Viewer()->SetCursorPos(1300);
  TEditTracksForm& form = Open();
  form.Params()->setCurrentIndex(1);  // SP
  EXPECT_EQ(form.Value()->text(), "103.00");
  form.Null()->click();
  TLogTrack& sp = *editor->Sheet().FindTrack("SP");
  EXPECT_FLOAT_EQ(sp.Sample(3), -999.25f);
  EXPECT_FALSE(form.Value()->isEnabled());
  EXPECT_EQ(form.Value()->text(), "-999.25");
  form.Args()->setValue(1200);
  EXPECT_FALSE(form.Null()->isChecked());
  EXPECT_TRUE(form.Value()->isEnabled());
  form.Args()->setValue(1300);
  EXPECT_TRUE(form.Null()->isChecked());  // a null sample ticks the box
  form.CloseButton()->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(settings.GetString("Settings/EditTracks", "LastParams"), "SP");

  editor->Viewer()->SetCursorPos(1500);
  TEditTracksForm& again = Open();
  EXPECT_EQ(again.Params()->currentText(), form.Params()->itemText(1));
  EXPECT_FALSE(again.Null()->isChecked());
  EXPECT_EQ(again.Args()->value(), 1500);
}

TEST_F(EditTracksWindow, MarkersAtTheCursorAreUndoneAndAnEditedLogAsksBeforeClosing) {
  ASSERT_TRUE(editor->OpenFile(log));
  TTrackColumn* gr = FindColumn(editor->Viewer()->RootColumn(), "GR");
  ASSERT_TRUE(gr);
  editor->Viewer()->SetFocusedColumn(gr);
  editor->Viewer()->SetCursorPos(2000);
  editor->Idle();
  EXPECT_FALSE(editor->Action("RemoveMarker")->isEnabled());
  editor->Action("AddMarker")->trigger();
  ASSERT_EQ(gr->Markers().size(), 1u);
  EXPECT_EQ(gr->Markers()[0].Index, 10);
  editor->Idle();
  EXPECT_TRUE(editor->Action("RemoveMarker")->isEnabled());
  EXPECT_EQ(editor->Action("aUndo")->text(), "Отменить: Поставить метку");
  editor->Action("RemoveMarker")->trigger();
  EXPECT_TRUE(gr->Markers().empty());
  editor->Action("aUndo")->trigger();
  EXPECT_EQ(gr->Markers().size(), 1u);
  editor->Action("aUndo")->trigger();
  EXPECT_TRUE(gr->Markers().empty());
  editor->Action("aRedo")->trigger();
  EXPECT_EQ(gr->Markers().size(), 1u);
  EXPECT_FALSE(editor->Document().Modified());  // markers are not saved in the log

  editor->Viewer()->SetCursorPos(1500);
  TEditTracksForm& form = Open();
  Type(form.Value(), "1");
  EXPECT_TRUE(editor->Document().Modified());
  answers.Choice = WindowQuestions::Answer::Cancel;
  editor->show();
  EXPECT_FALSE(editor->close());  // kept open
  ASSERT_EQ(answers.Asked.size(), 1u);
  EXPECT_NE(answers.Asked[0].find("изменён. Сохранить изменения?"), std::string::npos);
}

}  // namespace
}  // namespace kest
