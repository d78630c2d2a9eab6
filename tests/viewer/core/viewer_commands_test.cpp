#include "viewer/core/viewer_commands.h"

#include <gtest/gtest.h>

#include "support/errors.h"
#include "test_support/expect_throw_msg.h"
#include "test_viewer.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/scale_list.h"

namespace kest {
namespace {

using C = ViewerCommand;

TEST(ViewerCommands, AnEmptyTabletCanOnlyGetItsFirstColumn) {
  TestViewer v;
  for (C c : {C::IncVScale, C::DecVScale, C::Clear, C::HandDrag, C::DeleteColumn,
              C::CreateColumnBefore, C::CreateColumnAfter})
    EXPECT_FALSE(CommandEnabled(&v, c)) << InfoOf(c).Hint;
  EXPECT_FALSE(CommandEnabled(&v, C::CreateColumnBelow));  // not interactive
  EXPECT_FALSE(CommandEnabled(nullptr, C::CreateColumnBelow));
  v.SetInteractive(true);
  ASSERT_TRUE(CommandEnabled(&v, C::CreateColumnBelow));
  TLogViewerColumn* first = RunCommand(v, C::CreateColumnBelow);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Father(), v.RootColumn());
  EXPECT_EQ(first->RelativeWidth(), 1000);
  EXPECT_STREQ(first->ClassName(), "TGraphicsColumn");
  EXPECT_EQ(first->Width(), 1000);
}

TEST(ViewerCommands, ColumnsBesideAndBelowTheFocusedOneShareTheWidth) {
  TestViewer v;
  v.SetInteractive(true);
  TLogViewerColumn* a = RunCommand(v, C::CreateColumnBelow);
  v.SetFocusedColumn(a);
  TLogViewerColumn* b = RunCommand(v, C::CreateColumnAfter);
  ASSERT_TRUE(b);
  EXPECT_EQ(a->RLink(), b);
  EXPECT_EQ(a->RelativeWidth(), 500);
  EXPECT_EQ(b->RelativeWidth(), 500);
  TLogViewerColumn* c = RunCommand(v, C::CreateColumnBefore);
  EXPECT_EQ(c->RLink(), a);
  EXPECT_EQ(c->RelativeWidth() + a->RelativeWidth() + b->RelativeWidth(), 1000);
  // Below the focused column; then, with children, nothing more below it.
  TLogViewerColumn* child = RunCommand(v, C::CreateColumnBelow);
  EXPECT_EQ(child->Father(), a);
  EXPECT_FALSE(CommandEnabled(&v, C::CreateColumnBelow));
  EXPECT_EQ(RunCommand(v, C::CreateColumnBelow), nullptr);

  // Deleting takes the subtree and re-shares the rest.
  RunCommand(v, C::DeleteColumn);
  EXPECT_EQ(v.FocusedColumn(), nullptr);
  EXPECT_EQ(v.ColumnCount(), 2);
  EXPECT_EQ(c->RelativeWidth(), 500);
  EXPECT_EQ(b->RelativeWidth(), 500);
  EXPECT_TRUE(CommandEnabled(&v, C::Clear));
  RunCommand(v, C::Clear);
  EXPECT_EQ(v.ColumnCount(), 0);
}

TEST(ViewerCommands, ZoomStopsAtEitherEndAndTheScaleBoxFollows) {
  TestViewer v;
  v.SetInteractive(true);
  RunCommand(v, C::CreateColumnBelow);
  const std::vector<std::string> items = ScaleComboItems();
  ASSERT_EQ(items.size(), 15u);
  EXPECT_EQ(items.front(), "1:20");
  EXPECT_EQ(items.back(), "1:120000");
  ChooseScaleComboItem(&v, 4);  // 1:500
  EXPECT_EQ(v.Scale(), 500);
  EXPECT_EQ(ScaleComboIndex(v), 4);
  RunCommand(v, C::IncVScale);
  EXPECT_EQ(v.Scale(), 200);
  EXPECT_EQ(ScaleComboIndex(v), 3);
  ChooseScaleComboItem(&v, 0);
  EXPECT_FALSE(CommandEnabled(&v, C::IncVScale));
  EXPECT_TRUE(CommandEnabled(&v, C::DecVScale));
  ChooseScaleComboItem(&v, 14);
  EXPECT_EQ(v.Scale(), 120000);
  EXPECT_FALSE(CommandEnabled(&v, C::DecVScale));
  RunCommand(v, C::DecVScale);
  EXPECT_EQ(v.Scale(), 120000);
  EXPECT_THROW_MSG(ChooseScaleComboItem(nullptr, 1), ELogViewerError, "LogViewer is absent");

  EXPECT_FALSE(CommandChecked(&v, C::HandDrag));
  RunCommand(v, C::HandDrag);
  EXPECT_TRUE(CommandChecked(&v, C::HandDrag));
  ViewerCommand byName;
  ASSERT_TRUE(CommandOfClass("TLogViewerHandDrag", byName));
  EXPECT_EQ(byName, C::HandDrag);
  EXPECT_FALSE(CommandOfClass("TLogViewerOther", byName));
}

// More shares than the width holds: every column stays on the tablet.
TEST(ViewerLayout, ColumnsWhoseSharesExceedTheWidthAreFittedIn) {
  TestViewer v(1200, 500);
  TLogViewerColumn* previous = nullptr;
  std::vector<TLogViewerColumn*> columns;
  for (int i = 0; i < 6; ++i) {
    auto* c = v.NewColumn<TGraphicsColumn>();
    if (previous) {
      c->InsertAfter(previous);
    } else {
      c->AddChild(v.RootColumn());
    }
    c->SetRelativeWidth(400);
    columns.push_back(previous = c);
  }
  v.LayoutColumns();
  for (TLogViewerColumn* c : columns) EXPECT_NEAR(c->Width(), 200, 1);
  EXPECT_EQ(columns.back()->Left() + columns.back()->Width(), 1200);
}

}  // namespace
}  // namespace kest
