#include "viewer/core/inspector_model.h"

#include <gtest/gtest.h>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "support/undo_stack.h"
#include "test_support/expect_throw_msg.h"
#include "test_viewer.h"
#include "viewer/core/column_class_list.h"
#include "viewer/core/column_commands.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/hue_column.h"
#include "viewer/core/marker_column.h"
#include "viewer/core/text_column.h"

namespace kest {
namespace {

using Strings = std::vector<std::string>;

// Counts veColumnChanged per column.
struct ColumnSpy : TLVColumnLink {
  explicit ColumnSpy(TLogViewerCore& v) { SetViewer(&v); }
  std::vector<TLogViewerColumn*> changed;
  void ColumnChanged(TLogViewerColumn* c) override { changed.push_back(c); }
};

// A viewer over a sheet with two GR tracks and one SP track, a focused graphics
// column with a child, and an inspector following the viewer.
struct Inspected {
  TLogSheet sheet;
  TestViewer viewer;
  TGraphicsColumn* column;
  TLogViewerColumn* child;
  TInspectorModel model;
  int refreshes = 0;
  int rebuilds = 0;

  explicit Inspected(bool editor_mode = false) : model(editor_mode) {
    for (const char* m : {"GR", "SP", "GR"}) sheet.NewTrack(m)->Append(1);
    sheet.Update();
    viewer.SetSheet(&sheet);
    column = viewer.NewColumn<TGraphicsColumn>();
    column->AddChild(viewer.RootColumn());
    child = viewer.NewColumn<TTextColumn>();
    child->AddChild(column);
    column->SetParameter("GR");
    viewer.RaiseEvent(veColumns);
    model.OnValuesChanged = [this] { ++refreshes; };
    model.OnRowsChanged = [this] { ++rebuilds; };
    model.SetViewer(&viewer);
    viewer.SetFocusedColumn(column);
  }
  TPropertyViewer& Row(const std::string& caption) {
    for (int i = 0; i < model.RowCount(); ++i)
      if (model.Row(i).Caption() == caption) return model.Row(i);
    throw std::runtime_error("no row " + caption);
  }
  int RowIndex(const std::string& caption) {
    for (int i = 0; i < model.RowCount(); ++i)
      if (model.Row(i).Caption() == caption) return i;
    return -1;
  }
  void Choose(const std::string& caption, const std::string& item) {
    Strings choices = Row(caption).Choices();
    auto it = std::find(choices.begin(), choices.end(), item);
    ASSERT_NE(it, choices.end()) << item;
    model.Choose(RowIndex(caption), static_cast<int>(it - choices.begin()));
  }
};

const Strings kGraphicsRows = {
    "Фикс. ширина",    "Цвет",           "Параметр", "Номер",         "Тип линии",
    "Верхняя граница", "Нижняя граница", "Смещение", "Длина Фильтра", "Сетка"};

TEST(InspectorRows, FollowTheFocusInPublishedOrder) {
  Inspected t;
  EXPECT_EQ(t.model.Column(), t.column);
  EXPECT_EQ(t.model.Captions(), kGraphicsRows);  // recorder: no "Дифференциал"

  auto* marker = t.viewer.NewColumn<TMarkerColumn>();
  marker->InsertAfter(t.column);
  t.viewer.SetFocusedColumn(marker);
  EXPECT_EQ(t.model.Captions(),
            (Strings{"Фикс. ширина", "Цвет", "Параметр", "Номер", "Тип линии", "Положение метки"}));
  EXPECT_EQ(t.model.CheckedKind(), 3);

  auto* hue = t.viewer.NewColumn<THueColumn>();
  hue->InsertAfter(marker);
  t.viewer.SetFocusedColumn(hue);
  EXPECT_EQ(t.model.Captions(), (Strings{"Фикс. ширина", "Цвет", "Параметр", "Номер", "Спектр",
                                         "Длина Фильтра", "Верхняя граница"}));

  t.viewer.SetFocusedColumn(nullptr);
  EXPECT_EQ(t.model.RowCount(), 0);
  EXPECT_FALSE(t.model.KindsEnabled());
  EXPECT_EQ(t.model.CheckedKind(), -1);
}

TEST(InspectorRows, CurveEditorAlsoEditsDifferential) {
  Inspected t(true);
  Strings expected = kGraphicsRows;
  expected.insert(expected.begin() + 6, "Дифференциал");
  EXPECT_EQ(t.model.Captions(), expected);
  t.Choose("Дифференциал", "Да");
  EXPECT_TRUE(t.column->Differential());
}

TEST(InspectorRows, ShowingTheShownColumnAgainKeepsTheRows) {
  Inspected t;
  TPropertyViewer* first = &t.model.Row(0);
  const int rebuilds = t.rebuilds;
  t.model.ShowColumn(t.column);
  EXPECT_EQ(&t.model.Row(0), first);
  EXPECT_EQ(t.rebuilds, rebuilds);
}

TEST(InspectorEditing, FilterLengthIsSetThroughTheColumn) {
  Inspected t;
  ColumnSpy spy(t.viewer);
  t.Choose("Длина Фильтра", "200");
  EXPECT_EQ(t.column->FilterLen(), 200);
  EXPECT_EQ(spy.changed, std::vector<TLogViewerColumn*>{t.column});  // redrawn
  EXPECT_EQ(t.Row("Длина Фильтра").ValueText(), "200");
  EXPECT_EQ(t.Row("Длина Фильтра").SelectedIndex(), 7);
}

TEST(InspectorEditing, RefusedLowerBoundShowsTheOldValueAgain) {
  Inspected t;  // Scale 10, NegScale 0
  const int before = t.refreshes;
  t.Choose("Нижняя граница", "10");
  EXPECT_EQ(t.column->NegScale(), 0);
  EXPECT_GT(t.refreshes, before);  // the editor is reloaded although nothing changed
  EXPECT_EQ(t.Row("Нижняя граница").ValueText(), "0");
  EXPECT_EQ(t.Row("Нижняя граница").SelectedIndex(), 16);

  t.Choose("Нижняя граница", "-5");
  EXPECT_EQ(t.column->NegScale(), -5);
  t.Choose("Верхняя граница", "-10");
  EXPECT_EQ(t.column->Scale(), 10);
}

// An auto-scaled curve (every curve of the standard layout) takes the bound the
// user picks and keeps it: the next redraw no longer puts its own back.
TEST(InspectorEditing, AHandPickedBoundEndsAutoScaling) {
  Inspected t;
  t.sheet.Tracks(0)->Append(17);
  t.sheet.Update();
  t.column->SetAutoScale(true);
  t.viewer.draw = true;
  t.viewer.RedrawAll();
  ASSERT_EQ(t.column->Scale(), 20);
  t.Choose("Верхняя граница", "50");
  t.viewer.RedrawAll();
  t.viewer.Refresh();
  EXPECT_EQ(t.column->Scale(), 50);
  EXPECT_FALSE(t.column->AutoScale());
  t.column->SetAutoScale(true);
  t.Choose("Верхняя граница", "-10");  // refused: the curve goes on scaling itself
  EXPECT_TRUE(t.column->AutoScale());
}

TEST(InspectorEditing, ScaleBetweenStepsSelectsTheNextStepUp) {
  Inspected t;
  t.column->SetScale(7);
  EXPECT_EQ(t.Row("Верхняя граница").ValueText(), "7");
  EXPECT_EQ(t.Row("Верхняя граница")
                .Choices()[static_cast<size_t>(t.Row("Верхняя граница").SelectedIndex())],
            "10");
  t.column->SetScale(1e7);
  EXPECT_EQ(t.Row("Верхняя граница").SelectedIndex(), -1);
}

TEST(InspectorEditing, ParameterListsNoneThenEachMnemonicOnceByCaption) {
  TLogParameterTables tables;
  tables.Parameters().Add("GR", "Гамма", 0, "0.00", "GR", "мкР/ч", "ГК");
  Inspected t;
  EXPECT_EQ(t.Row("Параметр").Choices(), (Strings{"(нет)", "Гамма", "SP"}));
  EXPECT_EQ(t.Row("Параметр").SelectedIndex(), 1);
  EXPECT_EQ(t.Row("Параметр").ValueText(), "Гамма");

  t.Choose("Параметр", "SP");
  EXPECT_EQ(t.column->Parameter(), "SP");
  t.Choose("Параметр", "(нет)");
  EXPECT_EQ(t.column->Parameter(), "NONE");
  EXPECT_EQ(t.Row("Параметр").ValueText(), "(нет)");
}

TEST(InspectorEditing, NumberListsOneToTheCountOfTheMnemonic) {
  Inspected t;
  EXPECT_EQ(t.Row("Номер").Choices(), (Strings{"1", "2"}));
  t.Choose("Номер", "2");
  EXPECT_EQ(t.column->Number(), 1);
  EXPECT_EQ(t.Row("Номер").ValueText(), "2");
  t.column->SetNumber(5);  // beyond the sheet: shown, not selected
  EXPECT_EQ(t.Row("Номер").SelectedIndex(), -1);
  EXPECT_EQ(t.Row("Номер").ValueText(), "6");
}

TEST(InspectorEditing, ColumnChangesElsewhereRefreshTheRows) {
  Inspected t;
  const int before = t.refreshes;
  t.column->SetShowGrid(false);
  EXPECT_EQ(t.refreshes, before + 1);
  EXPECT_EQ(t.Row("Сетка").ValueText(), "Нет");
  t.column->SetPen({psDot, 1});
  EXPECT_EQ(t.Row("Тип линии").SelectedIndex(), 4);
}

TEST(InspectorEditing, TextColumnIndentIsAnnounced) {
  Inspected t;
  t.viewer.SetFocusedColumn(t.child);
  ColumnSpy spy(t.viewer);
  t.Choose("Отступ", "15");
  EXPECT_EQ(static_cast<TTextColumn*>(t.child)->LeftPos(), 15);
  EXPECT_EQ(spy.changed, std::vector<TLogViewerColumn*>{t.child});
}

// Every change the inspector makes (a bound, a colour, the kind) reaches the undo
// stack as an edit of the log; taking them back in turn restores each step, doing
// them again returns to the end; refused and unchanged picks record nothing.
TEST(InspectorEditing, EachChangeIsAnUndoableEditOfTheLog) {
  Inspected t;
  UndoStack undo;
  std::vector<std::string> edits;
  undo.OnChanged = [&](const UndoCommand& c) {
    if (c.ChangesSheet()) edits.push_back(c.Text());
  };
  t.model.OnColumnsChanged = [&](std::string before, std::string text) {
    undo.Push(ColumnsChange(t.viewer, std::move(before), std::move(text), true));
  };
  const std::string name = t.column->Name();
  std::vector<std::string> layouts{LayoutSnapshot(t.viewer)};
  t.Choose("Верхняя граница", "50");
  layouts.push_back(LayoutSnapshot(t.viewer));
  t.Choose("Нижняя граница", "50");   // refused: above the upper bound is not allowed
  t.Choose("Верхняя граница", "50");  // no change
  t.model.Choose(t.RowIndex("Цвет"), 3);
  layouts.push_back(LayoutSnapshot(t.viewer));
  t.model.ChangeKind("TTextColumn");
  layouts.push_back(LayoutSnapshot(t.viewer));
  EXPECT_EQ(edits, (Strings{"Верхняя граница", "Цвет", "Вид колонки"}));
  ASSERT_EQ(undo.Count(), 3u);
  for (size_t i = layouts.size() - 1; i > 0; --i) {
    undo.Undo();
    EXPECT_EQ(LayoutSnapshot(t.viewer), layouts[i - 1]) << i;
  }
  auto* restored = dynamic_cast<TGraphicsColumn*>(t.viewer.FindColumn(name));
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->Scale(), 10);
  while (undo.CanRedo()) undo.Redo();
  ASSERT_EQ(t.viewer.ColumnCount(), 2);
  EXPECT_STREQ(t.viewer.RootColumn()->LSon()->ClassName(), "TTextColumn");
  EXPECT_EQ(edits.size(), 9u);  // three done, undone and redone: each an edit
}

TEST(InspectorKinds, TextButtonReplacesTheGraphicsColumnInPlace) {
  Inspected t;
  auto* right = t.viewer.NewColumn<TGraphicsColumn>();
  right->InsertAfter(t.column);
  t.column->SetRelativeWidth(300);
  t.viewer.LayoutColumns();
  const int left = t.column->Left(), width = t.column->Width();
  EventLog log(t.viewer);

  t.model.ChangeKind("TTextColumn");
  TLogViewerColumn* now = t.model.Column();
  ASSERT_NE(now, nullptr);
  EXPECT_STREQ(now->ClassName(), "TTextColumn");
  EXPECT_EQ(t.viewer.FocusedColumn(), now);
  EXPECT_EQ(now->Father(), t.viewer.RootColumn());
  EXPECT_EQ(now->RLink(), right);
  EXPECT_EQ(now->LSon(), t.child);
  EXPECT_EQ(t.child->Father(), now);
  EXPECT_EQ(now->RelativeWidth(), 300);
  EXPECT_EQ(now->Left(), left);
  EXPECT_EQ(now->Width(), width);
  EXPECT_TRUE(log.Saw(veColumns));
  EXPECT_EQ(t.model.CheckedKind(), 1);
  EXPECT_EQ(t.model.Captions().back(), "Отступ");

  const int count = t.viewer.ColumnCount();
  t.model.ChangeKind("TTextColumn");  // already that kind
  EXPECT_EQ(t.viewer.ColumnCount(), count);
  EXPECT_EQ(t.model.Column(), now);
}

TEST(InspectorKinds, DeletedColumnIsDropped) {
  Inspected t;
  auto* other = t.viewer.NewColumn<TGraphicsColumn>();
  other->InsertAfter(t.column);
  t.model.ShowColumn(other);  // shown without the focus
  other->FreeWithSubtree();
  t.viewer.RaiseEvent(veColumns);
  EXPECT_EQ(t.model.Column(), t.column);
}

TEST(InspectorKinds, ViewerDestroyedFirstLeavesNothingShown) {
  TInspectorModel model(false);
  {
    TestViewer viewer;
    auto* c = viewer.NewColumn<TGraphicsColumn>();
    c->AddChild(viewer.RootColumn());
    model.SetViewer(&viewer);
    viewer.SetFocusedColumn(c);
    EXPECT_GT(model.RowCount(), 0);
  }
  EXPECT_EQ(model.Viewer(), nullptr);
  model.SetViewer(nullptr);
  EXPECT_EQ(model.RowCount(), 0);
}

TEST(InspectorLists, MissingValuesRaiseTheListErrors) {
  EXPECT_EQ(PenIndex({psDash, 1, 0x123456}), 3);
  EXPECT_EQ(ColorIndex(0xFFFF00), 14);
  EXPECT_EQ(InspectorColors().size(), 15u);
  EXPECT_EQ(SpectrumIndex(spYellowRed), 7);
  EXPECT_THROW_MSG(PenIndex({psSolid, 4}), EPenComboBoxError, "Selecting missing pen");
  EXPECT_THROW_MSG(ColorIndex(clWhite), EColorComboBoxError, "Selecting missing color");
  EXPECT_THROW_MSG(SpectrumIndex(8), EColorComboBoxError, "Selecting missing spectrum");

  Inspected t;
  t.column->SetColor(0x123456);
  EXPECT_THROW_MSG(t.Row("Цвет").SelectedIndex(), EColorComboBoxError, "Selecting missing color");
  EXPECT_EQ(t.Row("Цвет").ValueText(), "");
  t.Choose("Цвет", "clRed");
  EXPECT_EQ(t.column->StoredColor(), 0x0000FFu);
}

TEST(InspectorWindowSnap, EdgesWithinTenPixelsSnap) {
  const TRect screen{0, 0, 1000, 800};
  EXPECT_EQ(SnapToScreen({9, 9, 259, 378}, screen), (TPoint{0, 0}));
  EXPECT_EQ(SnapToScreen({10, 10, 260, 379}, screen), (TPoint{10, 10}));
  EXPECT_EQ(SnapToScreen({745, 425, 995, 794}, screen), (TPoint{750, 431}));
  EXPECT_EQ(SnapToScreen({-40, 100, 210, 469}, screen), (TPoint{0, 100}));
}

}  // namespace
}  // namespace kest
