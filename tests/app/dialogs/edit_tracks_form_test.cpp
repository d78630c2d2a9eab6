// The data editor and the "Правка" menu of the curve editor, used as an operator
// would: open a log, correct samples, undo and redo, put markers, save and reopen.
#include "app/dialogs/edit_tracks_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>
#include <limits>

#include "app/core/app_environment.h"
#include "app/editor/editor_form.h"
#include "app/office/curve_calculator_window.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "viewer/core/track_column.h"
#include "viewer/widgets/log_viewer.h"

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
  // The same with the dictionary's GK (exchanged as GR) for GR; GK 25 missing as NaN,
  // GK 27 as the null value.
  std::string GkLog() {
    LogDocument doc;
    for (const char* name : {"GK", "SP"}) {
      TLogTrack* t = doc.Sheet().NewTrack(name);
      t->SetOrigin(1000);
      t->SetStep(100);
      for (int i = 0; i < 40; ++i) t->Append(static_cast<float>(i + (name[0] == 'S' ? 100 : 0)));
    }
    TLogTrack* gk = doc.Sheet().FindTrack("GK");
    gk->SetSample(25, std::numeric_limits<float>::quiet_NaN());
    gk->SetSample(27, kDefaultNullValue);
    doc.Sheet().Update();
    doc.SaveAs(root.File("gk.ls"), {});
    return root.File("gk.ls");
  }
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

// Back in the window after the cursor moved on the tablet, the editor edits where the
// cursor is now, its null box telling whether that sample is missing; after the
// calculator removed the track being edited, the editor shows what remains.
TEST_F(EditTracksWindow, ActivationTakesTheCursorAndARemovedTrackIsShownAnew) {
  ASSERT_TRUE(editor->OpenFile(GkLog()));
  editor->resize(1000, 700);
  editor->show();
  editor->Viewer()->SetCursorPos(1300);
  TEditTracksForm& form = Open();
  ASSERT_EQ(form.Params()->currentIndex(), 0);
  form.Null()->setChecked(true);  // left ticked: coming back shows the sample as it is
  struct {
    int cursor;
    bool null;
    const char* text;
  } cases[] = {{3500, true, "-9999.99"},
               {3600, false, "26.00"},
               {3700, true, "-9999.99"},
               {2000, false, "10.00"}};
  for (const auto& c : cases) {
    editor->Viewer()->SetCursorPos(c.cursor);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&form, &activate);
    EXPECT_EQ(form.Args()->value(), c.cursor);
    EXPECT_EQ(form.Null()->isChecked(), c.null) << c.cursor;
    EXPECT_EQ(form.Value()->isEnabled(), !c.null) << c.cursor;
    EXPECT_EQ(form.Value()->text().toStdString(), c.text);
  }
  form.grab().save(QString(KEST_APP_OUT_DIR) + "/edit_tracks_cursor.png");
  // Typed after coming back: written where the cursor is now.
  form.Value()->selectAll();
  Type(form.Value(), "8");
  TLogTrack& sheet_gk = *editor->Sheet().FindTrack("GK");
  EXPECT_FLOAT_EQ(sheet_gk.Sample(10), 8);
  EXPECT_FLOAT_EQ(sheet_gk.Sample(3), 3);

  // The calculator's "Удалить" on GK.
  editor->Action("aCalc")->trigger();
  // The window has no meta-object of its own: found by its object name.
  auto* calc = static_cast<TCalcTracksWindow*>(editor->findChild<QDialog*>("TCalctracks"));
  ASSERT_NE(calc, nullptr);
  calc->Names()->setCurrentItem(calc->Names()->topLevelItem(0));
  ASSERT_EQ(calc->Names()->currentItem()->text(1).toStdString(), "GR");
  answers.Yes = true;
  calc->DeleteName();
  ASSERT_EQ(editor->Sheet().FindTrack("GK"), nullptr);
  ASSERT_EQ(form.Params()->count(), 1);
  form.Value()->selectAll();
  Type(form.Value(), "5");
  const TLogTrack& sp = *editor->Sheet().FindTrack("SP");
  EXPECT_FLOAT_EQ(sp.Sample(10), 5);
  EXPECT_FLOAT_EQ(sp.Sample(9), 109);
  calc->close();
}

// A curve made by the calculator shows on the tablet and makes the log modified; a
// calculation that changes nothing leaves it as it was; a name nothing reads is noted
// in one box; a double-click on a function inserts it at the cursor.
TEST_F(EditTracksWindow, ACurveTheCalculatorMakesShowsOnTheTablet) {
  ASSERT_TRUE(editor->OpenFile(GkLog()));
  editor->resize(1000, 700);
  editor->show();
  editor->Action("aCalc")->trigger();
  // The window has no meta-object of its own: found by its object name.
  auto* calc = static_cast<TCalcTracksWindow*>(editor->findChild<QDialog*>("TCalctracks"));
  ASSERT_NE(calc, nullptr);
  calc->Editor()->setPlainText("SP := SP");
  calc->Calculate();
  EXPECT_FALSE(editor->Document().Modified());
  calc->Editor()->setPlainText("tmp := 1\ntmp2 := tmp\nNPHI := GR * 2 + ");
  calc->Editor()->moveCursor(QTextCursor::End);
  emit calc->Functions()->itemDoubleClicked(calc->Functions()->item(16));
  ASSERT_TRUE(calc->Editor()->toPlainText().endsWith("NPHI := GR * 2 + pi"));
  calc->Calculate();
  EXPECT_TRUE(answers.Errors.empty());
  EXPECT_TRUE(editor->Document().Modified());
  EXPECT_EQ(answers.Warnings,
            std::vector<std::string>{"TMP2 — не кривая листа: значения не сохранены"});
  const std::string nphi = LogParameters().FindByMnemonic("NPHI")->Name;
  TTrackColumn* column = FindColumn(editor->Viewer()->RootColumn(), nphi);
  ASSERT_NE(column, nullptr);
  ASSERT_NE(column->Track(), nullptr);
  EXPECT_FLOAT_EQ(column->Track()->Sample(4), static_cast<float>(4 * 2 + M_PI));
  EXPECT_EQ(column->Track()->Sample(25), kDefaultNullValue);
  editor->grab().save(QString(KEST_APP_OUT_DIR) + "/editor_calc_new_curve.png");
  calc->grab().save(QString(KEST_APP_OUT_DIR) + "/calc_new_curve.png");
  calc->close();
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
