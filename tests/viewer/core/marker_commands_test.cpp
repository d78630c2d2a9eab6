#include "viewer/core/marker_commands.h"

#include <gtest/gtest.h>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/undo_stack.h"
#include "test_viewer.h"
#include "viewer/core/graphics_column.h"

namespace kest {
namespace {

// A graphics column over GR: 20 samples from 1000 mm every 100 mm.
struct MarkedColumn {
  TLogSheet sheet;
  TestViewer viewer;
  TGraphicsColumn* column;
  UndoStack undo;
  MarkedColumn() {
    TLogTrack* t = sheet.NewTrack("GR");
    t->SetOrigin(1000);
    t->SetStep(100);
    for (int i = 0; i < 20; ++i) t->Append(static_cast<float>(i));
    sheet.Update();
    viewer.SetSheet(&sheet);
    column = viewer.NewColumn<TGraphicsColumn>();
    column->AddChild(viewer.RootColumn());
    column->SetParameter("GR");
  }
  std::vector<int32_t> Indices() const {
    std::vector<int32_t> out;
    for (const TVisualGadget& m : column->Markers()) out.push_back(m.Index);
    return out;
  }
};

TEST(MarkerCommands, MarkersStaySortedAndOnlyOneWithinReachIsTakenOff) {
  MarkedColumn f;
  f.undo.Push(AddMarkerCommand(*f.column, 1560));  // nearest sample 6
  f.undo.Push(AddMarkerCommand(*f.column, 1220));  // sample 2, sorted before it
  EXPECT_EQ(f.Indices(), (std::vector<int32_t>{2, 6}));
  EXPECT_EQ(RemoveMarkerCommand(*f.column, 1900, 100), nullptr);  // none within reach
  f.undo.Push(RemoveMarkerCommand(*f.column, 1640, 100));
  EXPECT_EQ(f.Indices(), (std::vector<int32_t>{2}));
  f.undo.Undo();
  EXPECT_EQ(f.Indices(), (std::vector<int32_t>{2, 6}));
}

TEST(MarkerCommands, NothingToMarkWithoutATrackAndNothingChangedOnceTheColumnIsGone) {
  MarkedColumn f;
  f.column->SetParameter("NONE");
  EXPECT_EQ(AddMarkerCommand(*f.column, 1500), nullptr);
  f.column->SetParameter("GR");
  f.undo.Push(AddMarkerCommand(*f.column, 1500));
  f.column->FreeWithSubtree();
  f.undo.Undo();  // the column is gone: the command touches nothing
  f.undo.Redo();
  EXPECT_FALSE(f.undo.CanRedo());
}

}  // namespace
}  // namespace kest
