#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>

#include "log/log_sheet.h"
#include "support/errors.h"
#include "test_support/expect_throw_msg.h"
#include "test_viewer.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/scale_list.h"

namespace kest {
namespace {

TEST(ViewerScale, NonStandardScaleIsRefusedAndLeavesTheScale) {
  TestViewer v;
  EXPECT_THROW_MSG(v.SetScale(300), ELogViewerError, "Нестандартный масштаб (300)");
  EXPECT_EQ(v.Scale(), 200);
  v.SetScale(6000);
  EXPECT_EQ(v.ScaleIndex(), 13);
  EXPECT_THROW(v.SetScale(0), EAssertionFailed);
  EXPECT_THROW(v.SetScaleIndex(20), EAssertionFailed);
  EXPECT_THROW(v.SetDpi(0), EAssertionFailed);
}

TEST(ViewerScale, ZoomStopsAtTheUserRange) {
  TestViewer v;
  v.SetScale(20);
  v.ZoomIn();
  EXPECT_EQ(v.Scale(), 20);
  v.SetScale(120000);
  v.ZoomOut();
  EXPECT_EQ(v.Scale(), 120000);
  v.ZoomIn();
  EXPECT_EQ(v.Scale(), 60000);
}

TEST(ViewerScale, RowsAndArgumentsRoundHalfToEven) {
  TestViewer v;
  v.SetDpi(254);              // 10 pixels per millimetre: row = argument / 20 at 1:200
  EXPECT_EQ(v.RowOf(30), 2);  // 1.5
  EXPECT_EQ(v.RowOf(50), 2);  // 2.5
  EXPECT_EQ(v.RowOf(70), 4);  // 3.5
  EXPECT_EQ(v.ArgumentAt(3), 60);
  EXPECT_FLOAT_EQ(v.ViewSpan(), 1000 / 10.0f * 200);
}

TEST(ViewerTree, DeletingAColumnFreesItsSubtreeAndRebalancesTheRest) {
  TestViewer v;
  auto* a = v.NewColumn<TGraphicsColumn>();
  auto* b = v.NewColumn<TGraphicsColumn>();
  auto* c = v.NewColumn<TGraphicsColumn>();
  a->AddChild(v.RootColumn());
  b->InsertAfter(a);
  c->InsertAfter(b);
  a->SetRelativeWidth(333);
  b->SetRelativeWidth(333);
  c->SetRelativeWidth(334);
  for (int i = 0; i < 3; ++i) {
    auto* child = v.NewColumn<TGraphicsColumn>();
    if (i == 0)
      child->AddChild(b);
    else
      child->InsertAfter(b->LastChild());
  }
  EXPECT_EQ(v.ColumnCount(), 6);
  EXPECT_EQ(v.TreeDepth(), 2);
  b->FreeWithSubtree();
  Rebalance(v.RootColumn());
  EXPECT_EQ(v.ColumnCount(), 2);
  EXPECT_EQ(a->RLink(), c);
  EXPECT_EQ(a->RelativeWidth() + c->RelativeWidth(), 1000);
  // The freed names are given out again, smallest first.
  EXPECT_EQ(v.NewColumn<TGraphicsColumn>()->Name(), "Column_1");
}

TEST(ViewerTree, EditingOperationsGuardTheInvariants) {
  TestViewer v;
  auto* a = v.NewColumn<TGraphicsColumn>();
  auto* b = v.NewColumn<TGraphicsColumn>();
  a->AddChild(v.RootColumn());
  b->AddChild(a);
  EXPECT_THROW_MSG(b->InsertAfter(a), EAssertionFailed, "Father must be nil");
  auto* c = v.NewColumn<TGraphicsColumn>();
  EXPECT_THROW_MSG(c->AddChild(a), EAssertionFailed, "LSon already exists");
  EXPECT_THROW(v.DestroyColumn(a), EAssertionFailed);  // still has LSon
  EXPECT_THROW(v.RootColumn()->LLink(), EAssertionFailed);
  c->InsertBefore(a);
  EXPECT_EQ(v.RootColumn()->LSon(), c);
  EXPECT_EQ(a->LLink(), c);
}

TEST(ViewerTree, NextAndPreviousStayOnOneLevel) {
  // root: [A: a1 a2] [B: b1]
  TestViewer v;
  auto* A = v.NewColumn<TGraphicsColumn>();
  auto* B = v.NewColumn<TGraphicsColumn>();
  auto* a1 = v.NewColumn<TGraphicsColumn>();
  auto* a2 = v.NewColumn<TGraphicsColumn>();
  auto* b1 = v.NewColumn<TGraphicsColumn>();
  A->AddChild(v.RootColumn());
  B->InsertAfter(A);
  a1->AddChild(A);
  a2->InsertAfter(a1);
  b1->AddChild(B);
  EXPECT_EQ(NextColumnAtLevel(a1), a2);
  EXPECT_EQ(NextColumnAtLevel(a2), b1);
  EXPECT_EQ(NextColumnAtLevel(b1), nullptr);
  EXPECT_EQ(PreviousColumnAtLevel(b1), a2);
  EXPECT_EQ(PreviousColumnAtLevel(A), nullptr);

  v.SetFocusedColumn(a2);
  v.HeaderPanelKeyDown(TViewerKey::kRight, {});
  EXPECT_EQ(v.FocusedColumn(), b1);
  v.HeaderPanelKeyDown(TViewerKey::kUp, {});
  EXPECT_EQ(v.FocusedColumn(), B);
  v.HeaderPanelKeyDown(TViewerKey::kUp, {});  // the root is never focused
  EXPECT_EQ(v.FocusedColumn(), B);
  v.HeaderPanelKeyDown(TViewerKey::kTab, {});
  EXPECT_EQ(v.FocusedColumn(), nullptr);
}

TEST(ViewerTree, WidthKeysMoveOneThousandthAndStopAtFifty) {
  TestViewer v;
  auto* a = v.NewColumn<TGraphicsColumn>();
  auto* b = v.NewColumn<TGraphicsColumn>();
  a->AddChild(v.RootColumn());
  b->InsertAfter(a);
  a->SetRelativeWidth(950);
  b->SetRelativeWidth(50);
  v.SetFocusedColumn(a);
  EventLog log(v);
  TShiftState shift{true, false, false};
  v.HeaderPanelKeyDown(TViewerKey::kPadPlus, shift);
  EXPECT_EQ(a->RelativeWidth(), 950);
  EXPECT_FALSE(log.Saw(veColumns));
  v.HeaderPanelKeyDown(TViewerKey::kPadMinus, shift);
  EXPECT_EQ(a->RelativeWidth(), 949);
  EXPECT_EQ(b->RelativeWidth(), 51);
  EXPECT_TRUE(log.Saw(veColumns));
}

TEST(ViewerGeometry, SharesFillThePanelAndHeadersStackByLevel) {
  TestViewer v(1000, 500);
  auto* a = v.NewColumn<TGraphicsColumn>();
  auto* b = v.NewColumn<TGraphicsColumn>();
  auto* c = v.NewColumn<TGraphicsColumn>();
  auto* child = v.NewColumn<TGraphicsColumn>();
  a->AddChild(v.RootColumn());
  b->InsertAfter(a);
  c->InsertAfter(b);
  child->AddChild(a);
  a->SetRelativeWidth(333);
  b->SetRelativeWidth(333);
  c->SetRelativeWidth(334);
  v.RaiseEvent(veColumns);
  EXPECT_EQ(a->Width(), 333);
  EXPECT_EQ(b->Width(), 333);
  EXPECT_EQ(c->Left() + c->Width(), 1000);
  EXPECT_EQ(c->Width(), 334);
  EXPECT_EQ(v.HeaderPanelHeight(), 60);     // depth 2 at 96 dpi
  EXPECT_EQ(a->HeaderBounds().Bottom, 31);  // Round(8 mm + 0.5)
  EXPECT_EQ(child->HeaderBounds().Top, 31);
  EXPECT_EQ(child->HeaderBounds().Bottom, 60);
  EXPECT_EQ(b->HeaderBounds().Bottom, 60);
}

TEST(ViewerGeometry, HeaderDragMovesTheEdgeUntilAShareIsFifty) {
  TestViewer v(1000, 500);
  auto* a = v.NewColumn<TGraphicsColumn>();
  auto* b = v.NewColumn<TGraphicsColumn>();
  a->AddChild(v.RootColumn());
  b->InsertAfter(a);
  a->SetRelativeWidth(100);
  b->SetRelativeWidth(900);
  v.RaiseEvent(veColumns);
  EventLog log(v);
  ASSERT_TRUE(v.HeaderMouseDown(98, 5, TMouseButton::kLeft, {}));
  v.HeaderMouseMove(60, 5);  // 40 to the left
  EXPECT_EQ(a->RelativeWidth(), 60);
  v.HeaderMouseMove(45, 5);
  EXPECT_EQ(a->RelativeWidth(), 45);
  v.HeaderMouseMove(10, 5);  // the share is below 50: no further
  EXPECT_EQ(a->RelativeWidth(), 45);
  EXPECT_TRUE(log.deliveries.empty());  // collected until the button is released
  v.HeaderMouseUp();
  ASSERT_EQ(log.deliveries.size(), 1u);
  EXPECT_TRUE(log.deliveries[0].Has(veLayout));
}

TEST(ViewerEvents, UpdatesCollectCodesIntoOneDelivery) {
  TestViewer v;
  EventLog log(v);
  v.BeginUpdate();
  v.SetScale(500);
  v.RaiseEvent(veSheet);
  v.BeginUpdate();
  v.RaiseEvent(veFocus);
  v.EndUpdate();
  EXPECT_TRUE(log.deliveries.empty());
  v.EndUpdate();
  const TLogViewerEvents batch{veScale, veSheet, veFocus};
  EXPECT_EQ(std::count(log.deliveries.begin(), log.deliveries.end(), batch), 1);
  EXPECT_TRUE(log.Saw(veSpan));  // the sheet panel's answer to the new scale
  EXPECT_THROW_MSG(v.EndUpdate(), EAssertionFailed, "Extra TLogViewer.EndUpdate");
}

TEST(ViewerEvents, ColumnLinksHearOnlyColumnChanges) {
  struct Watch : TLVColumnLink {
    TLogViewerColumn* last = nullptr;
    void ColumnChanged(TLogViewerColumn* c) override { last = c; }
  } watch;
  TestViewer v;
  watch.SetViewer(&v);
  auto* g = v.NewColumn<TGraphicsColumn>();
  g->AddChild(v.RootColumn());
  g->SetScale(20);
  EXPECT_EQ(watch.last, g);
  EXPECT_THROW_MSG(watch.Deliver(veFocus, g), ELogViewerError,
                   "TLVColumnLink received invalid event");
  g->SetNegScale(30);  // would invert the bounds: ignored, nothing raised
  EXPECT_EQ(g->NegScale(), 0);
}

// A sheet with one depth track of `count` samples, 10 mm apart from 0.
TLogTrack* AddDepthTrack(TLogSheet& sheet, const char* name, int count) {
  TLogTrack* t = sheet.NewTrack(name);
  t->SetStep(10);
  for (int i = 0; i < count; ++i) t->Append(static_cast<float>(i % 7));
  sheet.Update();
  return t;
}

TEST(ViewerSheet, DiscreteScrollJumpsOnlyWhenTheEndLeavesTheView) {
  TLogSheet sheet;
  TLogTrack* t = AddDepthTrack(sheet, "GR", 2);
  TestViewer v(1000, 378);  // about 100 mm of paper: a span of ~20000 at 1:200
  v.SetShowCursor(true);
  v.SetSheet(&sheet);
  const int32_t span = static_cast<int32_t>(v.ViewSpan());
  const int32_t top = v.ViewTop();
  while (t->End() + 10 < top + span) {
    t->Append(1.f);
    v.Refresh();
    ASSERT_EQ(v.ViewTop(), top);
    EXPECT_EQ(v.CursorPos(), t->End());
  }
  t->Append(1.f);
  t->Append(1.f);
  v.Refresh();
  EXPECT_EQ(v.ViewTop(), t->End() - span / 2);
  EXPECT_EQ(v.CursorPos(), t->End());
}

// A wheel notch moves a tenth of the visible height at every scale and panel size:
// ten notches down and ten up go one screen and back.
TEST(ViewerSheet, TenWheelNotchesMoveOneVisibleHeight) {
  TLogSheet sheet;
  AddDepthTrack(sheet, "GR", 2000000);  // 20 km at 1 cm
  for (int32_t scale : {20, 100, 200, 1000}) {
    for (int height : {378, 800}) {
      TestViewer v(1000, height);
      v.SetAppendMode(amIgnore);
      v.SetScale(scale);
      v.SetSheet(&sheet);
      v.SetViewTop(500000);
      const double span = v.ViewSpan();
      for (int i = 0; i < 10; ++i) v.ScrollDown();
      EXPECT_NEAR(v.ViewTop() - 500000, span, 10) << "1:" << scale << " at " << height;
      for (int i = 0; i < 10; ++i) v.ScrollUp();
      EXPECT_EQ(v.ViewTop(), 500000);
      v.SetSheet(nullptr);
    }
  }
}

TEST(ViewerSheet, IgnoreModeKeepsViewAndCursorAndAppendsRepaintOnlyTheNewBand) {
  TLogSheet sheet;
  TLogTrack* t = AddDepthTrack(sheet, "GR", 100);
  TestViewer v(1000, 400);
  v.SetAppendMode(amIgnore);
  v.SetSheet(&sheet);
  auto* g = v.NewColumn<TGraphicsColumn>();
  g->AddChild(v.RootColumn());
  g->SetParameter("GR");
  v.Refresh();
  const int32_t top = v.ViewTop(), cursor = v.CursorPos();
  v.window_invalidations.clear();
  t->Append(3.f);
  v.Refresh();
  EXPECT_EQ(v.ViewTop(), top);
  EXPECT_EQ(v.CursorPos(), cursor);
  ASSERT_EQ(v.window_invalidations.size(), 1u);
  const TRect band = v.window_invalidations[0];
  EXPECT_LE(band.Height(), 6);
  EXPECT_NEAR(band.Top, v.RowOf(990), 2);
}

// Rows appended one at a time to tracks placed away from their origin (a live
// recording's sensor offsets, above and below) are drawn where a whole redraw draws
// them, and the window is told about the rows they went to.
TEST(ViewerSheet, AppendedRowsOfPlacedTracksAreDrawnAtTheirPlace) {
  TLogSheet sheet;
  std::vector<TLogTrack*> tracks;
  for (const char* name : {"GR", "NK", "SP"}) {
    tracks.push_back(sheet.NewTrack(name));
    tracks.back()->SetStep(100);
  }
  sheet.Update();
  const std::map<std::string, int32_t> shift{{"GR", 0}, {"NK", 1700}, {"SP", -900}};
  TestViewer v(300, 400);  // 1:200 at 96 dpi: about 21 m in view
  v.SetAppendMode(amIgnore);
  v.TrackPlacement = [&](const TLogTrack& t) { return t.Origin() + shift.at(t.Parameter()); };
  v.SetSheet(&sheet);
  std::vector<TGraphicsColumn*> columns;
  for (TLogTrack* t : tracks) {
    auto* g = v.NewColumn<TGraphicsColumn>();
    if (columns.empty()) {
      g->AddChild(v.RootColumn());
    } else {
      g->InsertAfter(columns.back());
    }
    g->SetParameter(t->Parameter());
    columns.push_back(g);
  }
  v.RaiseEvent(veColumns);
  v.SetViewTop(-2000);
  v.draw = true;
  v.RedrawAll();
  v.canvas.polylines.clear();
  v.window_invalidations.clear();
  for (int i = 0; i < 120; ++i) {
    for (TLogTrack* t : tracks) t->Append(static_cast<float>((i * 7) % 10));
    sheet.Update();
    v.Refresh();
  }
  std::set<std::pair<int, int>> appended, invalidated_rows;
  for (const auto& line : v.canvas.polylines)
    for (TPoint p : line) appended.insert({p.X, p.Y});
  for (const TRect& r : v.window_invalidations)
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, 400); ++y)
      invalidated_rows.insert({0, y});
  v.canvas.polylines.clear();
  v.RedrawAll();
  int checked = 0;
  for (const auto& line : v.canvas.polylines) {
    for (TPoint p : line) {
      if (p.Y <= 1 || p.Y >= 398) continue;  // where the view cuts a line
      EXPECT_TRUE(appended.count({p.X, p.Y})) << p.X << "," << p.Y << " not drawn live";
      EXPECT_TRUE(invalidated_rows.count({0, p.Y})) << "row " << p.Y << " never shown";
      ++checked;
    }
  }
  EXPECT_GT(checked, 300);
  v.SetSheet(nullptr);
}

TEST(ViewerSheet, RefreshSkipsWhileTheSheetIsLockedAndNoSheetMeansAnEmptyRange) {
  TLogSheet sheet;
  TLogTrack* t = AddDepthTrack(sheet, "GR", 10);
  TestViewer v;
  v.SetSheet(&sheet);
  EXPECT_EQ(v.SheetLast(), 90);
  t->Append(1.f);
  sheet.Lock();
  v.Refresh();
  EXPECT_EQ(v.SheetLast(), 90);
  sheet.Unlock();
  v.Refresh();
  EXPECT_EQ(v.SheetLast(), 100);
  v.SetSheet(nullptr);
  EXPECT_EQ(v.SheetFirst(), 0);
  EXPECT_EQ(v.SheetLast(), 0);
  v.SetCursorPos(500);
  EXPECT_EQ(v.CursorPos(), 0);
}

TEST(ViewerSheet, DestroyedSheetLeavesNoTrackBehind) {
  TestViewer v;
  auto* g = v.NewColumn<TGraphicsColumn>();
  g->AddChild(v.RootColumn());
  {
    TLogSheet sheet;
    AddDepthTrack(sheet, "GR", 10);
    v.SetSheet(&sheet);
    g->SetParameter("GR");
    EXPECT_NE(g->Track(), nullptr);
  }
  EXPECT_EQ(g->Track(), nullptr);
  v.draw = true;
  v.RedrawAll();  // must not touch the freed samples
}

TEST(ViewerSheet, AFaultWhileTheSheetDeliversLeavesItUnlockedAndAForeignLockAlone) {
  TLogSheet sheet;
  TLogTrack* t = AddDepthTrack(sheet, "GR", 10);
  TestViewer v;
  v.SetSheet(&sheet);
  struct Faulty : TLSLink {
    void DataChanged() override { throw std::runtime_error("listener"); }
  } faulty;
  faulty.SetSheet(&sheet);
  t->Append(1.f);
  EXPECT_THROW(v.Refresh(), std::runtime_error);
  EXPECT_EQ(sheet.LockDepth(), 0);
  bool writer_got_it = false;
  std::thread([&] {
    writer_got_it = sheet.TryLock();
    if (writer_got_it) sheet.Unlock();
  }).join();
  EXPECT_TRUE(writer_got_it);
  // Refused, the viewer leaves the writer's lock as it was.
  faulty.SetSheet(nullptr);
  sheet.Lock();
  v.Refresh();
  EXPECT_EQ(sheet.LockDepth(), 1);
  sheet.Unlock();
  EXPECT_EQ(sheet.LockDepth(), 0);
}

// A column whose track linking can be made to fail, counting its data paints.
class FaultyColumn : public TLogViewerColumn {
 public:
  const char* ClassName() const override { return "TFaultyColumn"; }
  void LinkTrack() override {
    if (fail) throw std::runtime_error("link");
  }
  void PaintData(TCanvas&, int32_t, int32_t) override { ++painted; }
  bool fail = false;
  int painted = 0;
};

TEST(ViewerUpdateGuard, AColumnFaultInsideAnUpdateLeavesTheNextChangeDrawn) {
  TLogSheet sheet;
  AddDepthTrack(sheet, "GR", 100);
  TestViewer v(200, 400);
  v.draw = true;
  auto* c = v.NewColumn<FaultyColumn>();
  c->AddChild(v.RootColumn());
  v.RaiseEvent(veColumns);
  c->fail = true;
  EXPECT_THROW(v.SetSheet(&sheet), std::runtime_error);  // inside RelinkTracks' update
  EXPECT_FALSE(v.Updating());
  c->fail = false;
  c->painted = 0;
  v.SetScale(500);
  EXPECT_GT(c->painted, 0);
}

TEST(ViewerUpdateGuard, LeftByAnExceptionItDeliversTheBatchOnceAndKeepsThatException) {
  TestViewer v;
  EventLog log(v);
  struct Faulty : TLVLink {
    void ViewerChanged(TLogViewerEvents) override { throw ELogViewerError("listener"); }
  } faulty;
  faulty.SetViewer(&v);
  try {
    TLogViewerCore::UpdateGuard outer(v);
    v.RaiseEvent(veSheet);
    TLogViewerCore::UpdateGuard inner(v);
    v.RaiseEvent(veFocus);
    throw std::runtime_error("inside");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "inside");  // not the listener's fault
  }
  EXPECT_FALSE(v.Updating());
  ASSERT_EQ(log.deliveries.size(), 1u);
  EXPECT_EQ(log.deliveries[0], (TLogViewerEvents{veSheet, veFocus}));
  // Left normally, a listener's fault comes out as it does from EndUpdate.
  EXPECT_THROW_MSG(
      {
        TLogViewerCore::UpdateGuard update(v);
        v.RaiseEvent(veFocus);
      },
      ELogViewerError, "listener");
  EXPECT_FALSE(v.Updating());
}

TEST(ViewerLinks, AListenerMayGoBeforeOrAfterItsViewer) {
  auto v = std::make_unique<TestViewer>();
  const int links = v->LinkCount();
  auto first = std::make_unique<EventLog>(*v);
  EventLog second(*v);
  EXPECT_EQ(v->LinkCount(), links + 2);
  first.reset();
  EXPECT_EQ(v->LinkCount(), links + 1);
  v->RaiseEvent(veFocus);  // reaches only the listener still there
  EXPECT_EQ(second.deliveries.size(), 1u);
  v.reset();
  EXPECT_EQ(second.Viewer(), nullptr);  // its own end then touches no viewer
}

TEST(ViewerMouse, PressOnANonInteractiveSheetOnlyTakesFocus) {
  TLogSheet sheet;
  AddDepthTrack(sheet, "GR", 10000);
  TestViewer v(1000, 400);
  v.SetShowCursor(true);
  v.SetSheet(&sheet);
  auto* g = v.NewColumn<TGraphicsColumn>();
  g->AddChild(v.RootColumn());
  v.SetFocusedColumn(g);
  const int32_t cursor = v.CursorPos();
  v.SheetMouseDown(100, TMouseButton::kLeft);
  EXPECT_EQ(v.FocusedColumn(), nullptr);
  EXPECT_EQ(v.CursorPos(), cursor);
  EXPECT_EQ(v.SheetMouseMode(), TLogViewerCore::mmNone);
}

TEST(ViewerMouse, HoldingBelowThePanelAutoScrollsByHalfTheDistance) {
  TLogSheet sheet;
  AddDepthTrack(sheet, "GR", 100000);
  TestViewer v(1000, 400);
  v.SetAppendMode(amIgnore);
  v.SetShowCursor(true);
  v.SetInteractive(true);
  v.SetSheet(&sheet);
  v.SheetMouseDown(10, TMouseButton::kLeft);
  const int32_t start = v.CursorPos();
  EXPECT_EQ(start, v.ArgumentAt(10));
  v.SheetMouseMove(440);
  EXPECT_TRUE(v.AutoScrolling());
  v.AutoScrollTick();
  EXPECT_EQ(v.CursorPos(), start + 1058);  // Round(20 x 200 / 3.7795)
  v.SheetMouseUp();
  EXPECT_FALSE(v.AutoScrolling());
}

TEST(ViewerKeys, LinePageHomeEndMoveTheCursor) {
  TLogSheet sheet;
  AddDepthTrack(sheet, "GR", 100000);
  TestViewer v(1000, 400);
  v.SetAppendMode(amIgnore);
  v.SetShowCursor(true);
  v.SetSheet(&sheet);
  v.KeyDown(TViewerKey::kHome, {});
  EXPECT_EQ(v.CursorPos(), 0);
  v.KeyDown(TViewerKey::kDown, {});
  EXPECT_EQ(v.CursorPos(), v.LineStep());
  EXPECT_FALSE(v.KeyDown(TViewerKey::kDown, {false, true, false}));  // Ctrl alone
  v.KeyDown(TViewerKey::kPageDown, {});
  EXPECT_EQ(v.ViewTop(), static_cast<int32_t>(v.ViewSpan()));
  v.KeyDown(TViewerKey::kEnd, {});
  EXPECT_EQ(v.CursorPos(), v.SheetLast());
  EXPECT_GT(v.ViewTop() + v.ViewSpan(), v.SheetLast());
  v.KeyDown(TViewerKey::kPadMinus, {});
  EXPECT_EQ(v.Scale(), 500);
}

}  // namespace
}  // namespace kest
