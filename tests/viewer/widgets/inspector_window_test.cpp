#include "viewer/widgets/inspector_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTableWidget>
#include <QToolBar>

#include "log/log_sheet.h"
#include "viewer/core/graphics_column.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {
namespace {

TEST(InspectorWindow, ShowsTheFocusedGraphicsColumnAndEditsIt) {
  TLogSheet sheet;
  TLogTrack* track = sheet.NewTrack("GR");
  for (int i = 0; i < 50; ++i) track->Append(static_cast<float>(i % 7));
  sheet.Update();
  TLogViewer viewer;
  viewer.resize(400, 300);
  viewer.SetSheet(&sheet);
  auto* column = viewer.NewColumn<TGraphicsColumn>();
  column->AddChild(viewer.RootColumn());
  column->SetParameter("GR");
  column->SetPen({psDash, 1});
  column->SetColor(0x0000FF);
  viewer.RaiseEvent(veColumns);

  TLogViewerInspector inspector(nullptr, false);
  inspector.SetViewer(&viewer);
  viewer.SetFocusedColumn(column);
  EXPECT_FALSE(inspector.isVisible());
  viewer.ShowInspector();  // the viewer had no inspector: this one is it
  ASSERT_TRUE(inspector.isVisible());
  QApplication::processEvents();

  EXPECT_EQ(inspector.width(), 250);
  EXPECT_EQ(inspector.height(), 369);
  EXPECT_EQ(inspector.Grid()->rowCount(), 10);
  const auto actions = inspector.ToolBar()->actions();
  ASSERT_EQ(actions.size(), 5);
  EXPECT_TRUE(actions[0]->isChecked());
  EXPECT_EQ(actions[1]->text(), QString::fromUtf8("Текст"));
  // The hint says that the button remakes the column.
  EXPECT_TRUE(actions[1]->toolTip().startsWith(QString::fromUtf8("Сделать колонку такой: Текст")));

  // "Нижняя граница" (row 6) at 10, not below "Верхняя граница": refused, and the
  // drop-down shows the old value again.
  inspector.Grid()->setCurrentCell(6, 1);
  QComboBox* editor = inspector.ShownEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  const int old_index = editor->currentIndex();
  const int ten = editor->findText("10");
  editor->setCurrentIndex(ten);
  emit editor->activated(ten);
  EXPECT_EQ(column->NegScale(), 0);
  EXPECT_EQ(editor->currentIndex(), old_index);

  inspector.Grid()->setCurrentCell(4, 1);  // "Тип линии", over its value cell
  QApplication::processEvents();
  EXPECT_EQ(inspector.ShownEditor()->currentIndex(), 3);
  EXPECT_FALSE(editor->isVisible());

  QImage image = inspector.grab().toImage();
  EXPECT_TRUE(image.save(QString(KEST_VIEWER_OUT_DIR) + "/inspector.png"));

  actions[1]->trigger();  // text column
  EXPECT_STREQ(inspector.Model().Column()->ClassName(), "TTextColumn");
  EXPECT_TRUE(actions[1]->isChecked());
  EXPECT_FALSE(actions[0]->isChecked());

  viewer.SetFocusedColumn(nullptr);
  EXPECT_EQ(inspector.Grid()->rowCount(), 0);
  EXPECT_FALSE(actions[0]->isEnabled());
  for (QAction* a : actions) EXPECT_FALSE(a->isChecked());
}

}  // namespace
}  // namespace kest
