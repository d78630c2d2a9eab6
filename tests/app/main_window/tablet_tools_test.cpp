// The tablet's tools in the main window, as a user meets them: the tool bar
// "Работа с планшетом", the scale box, the wheel, the cursor in the status bar and
// a time log shown in times.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include "app/core/app_environment.h"
#include "app/editor/editor_form.h"
#include "log/log_sheet.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "viewer/widgets/inspector_window.h"
#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/log_viewer_sheet_panel.h"
#include "viewer/widgets/print_output.h"
#include "viewer/widgets/viewer_actions.h"

namespace kest {
namespace {

class TabletTools : public ::testing::Test {
 protected:
  TabletTools() {
    editor = std::make_unique<TEditorForm>(*env, settings, answers);
    editor->resize(1000, 700);
    editor->show();
    editor->DeferredStart("");
  }
  // A log of `rows` rows of GK from `origin`, 10 cm or 1 s apart.
  std::string WriteLog(TLogArgument kind, int32_t origin, int rows) {
    TLogSheet sheet;
    sheet.SetArgument(kind);
    TLogTrack* gk = sheet.NewTrack("GK");
    gk->SetOrigin(origin);
    gk->SetStep(kind == laTime ? 1000 : 100);
    for (int i = 0; i < rows; ++i) gk->Append(static_cast<float>(i % 13));
    sheet.Update();
    const std::string path = root.File(kind == laTime ? "time.ls" : "depth.ls");
    sheet.SaveToFile(path, "LS");
    return path;
  }
  QAction* Tool(const char* name) {
    return editor->findChild<QToolBar*>("tbViewer")->findChild<QAction*>(name);
  }

  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env = testing::SeededEnvironment(root.Path().string());
  MemorySettings settings;
  testing::ScriptedQuestions answers{*env, settings};
  std::unique_ptr<TEditorForm> editor;
};

TEST_F(TabletTools, TheToolBarBuildsATabletFromNothing) {
  auto* bar = editor->findChild<QToolBar*>("tbViewer");
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->windowTitle(), "Работа с планшетом");
  QStringList order;
  for (QAction* a : bar->actions()) order << (a->text().isEmpty() ? "[box]" : a->text());
  EXPECT_EQ(order, (QStringList{"Дальше", "Ближе", "[box]", "Создать колонку под текущей",
                                "Создать колонку слева", "Создать колонку справа",
                                "Удалить колонку", "Удалить все", "Прокрутка рукой", "Инспектор"}));
  ASSERT_TRUE(editor->OpenFile(WriteLog(laDepth, 1000000, 500)));
  Tool("TLogViewerClear")->trigger();
  editor->Idle();
  TLogViewer& v = *editor->Viewer();
  EXPECT_EQ(v.ColumnCount(), 0);
  EXPECT_FALSE(Tool("TLogViewerIncVScale")->isEnabled());
  EXPECT_FALSE(editor->findChild<TLogViewerScaleCombo*>()->isEnabled());
  ASSERT_TRUE(Tool("TLogViewerCreateColumnBelow")->isEnabled());
  Tool("TLogViewerCreateColumnBelow")->trigger();
  v.SetFocusedColumn(v.Column(0));
  editor->Idle();
  Tool("TLogViewerCreateColumnAfter")->trigger();
  EXPECT_EQ(v.ColumnCount(), 2);
  EXPECT_EQ(v.Column(0)->RelativeWidth(), 500);
  // Every change of the columns can be taken back and done again.
  ASSERT_TRUE(editor->Undo().CanUndo());
  EXPECT_EQ(editor->Undo().UndoText(), "Создать колонку справа");
  editor->Undo().Undo();
  EXPECT_EQ(v.ColumnCount(), 1);
  EXPECT_EQ(v.Column(0)->RelativeWidth(), 1000);
  editor->Undo().Redo();
  EXPECT_EQ(v.ColumnCount(), 2);
  editor->Undo().Undo();
  editor->Undo().Undo();
  EXPECT_EQ(v.ColumnCount(), 0);
  editor->Undo().Redo();
  editor->Undo().Redo();
  ASSERT_EQ(v.ColumnCount(), 2);
  v.SetFocusedColumn(v.Column(0));
  EXPECT_FALSE(editor->windowTitle().endsWith("*"));  // the log itself is unchanged
  Tool("TLogViewerHandDrag")->trigger();
  editor->Idle();
  EXPECT_TRUE(v.HandDrag());
  EXPECT_TRUE(Tool("TLogViewerHandDrag")->isChecked());
  EXPECT_TRUE(Tool("TLogViewerShowInspector")->isEnabled());
  Tool("TLogViewerShowInspector")->trigger();
  EXPECT_TRUE(editor->Inspector()->isVisible());
  editor->Idle();
  EXPECT_TRUE(Tool("TLogViewerShowInspector")->isChecked());
  Tool("TLogViewerShowInspector")->trigger();
  EXPECT_FALSE(editor->Inspector()->isVisible());
}

TEST_F(TabletTools, TheScaleBoxTheKeysAndTheWheelAgree) {
  ASSERT_TRUE(editor->OpenFile(WriteLog(laDepth, 1000000, 5000)));
  editor->Idle();
  TLogViewer& v = *editor->Viewer();
  auto* combo = editor->findChild<TLogViewerScaleCombo*>();
  ASSERT_TRUE(combo->isEnabled());
  EXPECT_EQ(combo->currentText(), "1:200");
  combo->setCurrentIndex(4);
  emit combo->activated(4);
  EXPECT_EQ(v.Scale(), 500);
  v.KeyDown(TViewerKey::kPadPlus, {});
  EXPECT_EQ(combo->currentText(), "1:200");

  // The wheel scrolls down and back; with Ctrl it zooms, the depth under the
  // pointer staying where it was.
  const int32_t top = v.ViewTop();
  const QPoint at = v.SheetPanel()->geometry().center();
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
    QWheelEvent e(at, v.mapToGlobal(at), {}, {0, delta}, Qt::NoButton, mods, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(&v, &e);
  };
  wheel(-120, Qt::NoModifier);
  EXPECT_GT(v.ViewTop(), top);
  wheel(120, Qt::NoModifier);
  EXPECT_EQ(v.ViewTop(), top);
  v.SetViewTop(1100000);
  const int row = v.SheetPanel()->mapFrom(&v, at).y();
  const int32_t under = v.ArgumentAt(row);
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(v.Scale(), 500);
  EXPECT_EQ(combo->currentText(), "1:500");
  EXPECT_NEAR(v.ArgumentAt(row), under, 500 / v.PixelsPerMm() + 1);
}

TEST_F(TabletTools, ATimeLogShowsTimesOnScreenAndTheCursorInTheStatusBar) {
  ASSERT_TRUE(editor->OpenFile(WriteLog(laTime, 45000000, 600)));  // from 12:30:00
  editor->Idle();
  TLogViewer& v = *editor->Viewer();
  EXPECT_EQ(v.ArgumentKind(), laTime);
  v.SetCursorPos(45010000);
  v.SetFocusedColumn(v.FindColumn(v.Column(1)->Name()));
  editor->Idle();
  const QString status = editor->findChild<QLabel*>("CursorPanel")->text();
  EXPECT_TRUE(status.startsWith("12:30:10")) << status.toStdString();
  QApplication::processEvents();
  editor->grab().save(QString(KEST_APP_OUT_DIR) + "/time_log.png");
  // Back to a depth log: metres again.
  ASSERT_TRUE(editor->OpenFile(WriteLog(laDepth, 1000000, 100)));
  v.SetCursorPos(1002000);
  editor->Idle();
  EXPECT_EQ(v.ArgumentKind(), laDepth);
  EXPECT_TRUE(editor->findChild<QLabel*>("CursorPanel")->text().startsWith("1002.00 м"));
}

}  // namespace
}  // namespace kest
