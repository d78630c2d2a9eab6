#include "log/log_sheet.h"

#include <gtest/gtest.h>

#include <thread>

#include "log/log_errors.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

class RecordingLink : public TLSLink {
 public:
  void StructureChanged() override { events += "S"; }
  void DataChanged() override { events += "D"; }
  std::string events;
};

TLogTrack* AddNamed(TLogSheet& sheet, const std::string& name) {
  auto t = std::make_shared<TLogTrack>();
  t->SetParameter(name);
  sheet.AddTrack(t);
  return t.get();
}

TEST(LogSheetTracks, SameParameterTracksStandTogetherInInstanceOrder) {
  TLogSheet sheet;
  TLogTrack* gk = AddNamed(sheet, "GK");
  AddNamed(sheet, "SP");
  TLogTrack* gk1 = AddNamed(sheet, "GK");
  ASSERT_EQ(sheet.Count(), 3);
  EXPECT_EQ(sheet.Tracks(1), gk1);
  EXPECT_EQ(gk1->Instance(), 1);
  EXPECT_EQ(sheet.FindTrack("gk", 1), gk1);
  EXPECT_EQ(sheet.TrackCountOf("Gk"), 2);
  EXPECT_EQ(sheet.FindTrack("GK", 2), nullptr);

  sheet.RemoveTrack(gk);
  EXPECT_EQ(gk1->Instance(), 0);
  EXPECT_EQ(sheet.FindTrack("GK"), gk1);
}

TEST(LogSheetTracks, CyrillicNamesAreFoundWhateverTheCase) {
  TLogSheet sheet;
  AddNamed(sheet, "ГЛУБИНА");
  EXPECT_NE(sheet.FindTrack("Глубина"), nullptr);
}

TEST(LogSheetTracks, TrackLivesAsLongAsOneSheetHoldsIt) {
  std::weak_ptr<TLogTrack> watch;
  TLogSheet second;
  {
    TLogSheet first;
    TLogTrack* t = first.NewTrack();
    watch = t->shared_from_this();
    second.AddTrack(t);
    EXPECT_EQ(t->Sheets().size(), 2u);
    first.RemoveTrack(t);
    EXPECT_FALSE(watch.expired());
    first.AddTrack(t);
  }  // destroying a sheet removes its tracks
  ASSERT_FALSE(watch.expired());
  EXPECT_EQ(watch.lock()->Sheets().size(), 1u);
  second.RemoveTrack(second.Tracks(0));
  EXPECT_TRUE(watch.expired());
}

TEST(LogSheetTracks, SharedTrackReportsChangesToEverySheet) {
  TLogSheet a, b;
  TLogTrack* t = a.NewTrack();
  b.AddTrack(t);
  a.Update();
  b.Update();
  t->SetStep(10);
  t->Append(1.f);
  t->Append(2.f);
  EXPECT_EQ(a.ChangedTo(), 10);
  EXPECT_EQ(b.ChangedTo(), 10);
}

TEST(LogSheetArgument, EmptySheetTakesAnyKindButARangedOneRefuses) {
  TLogSheet sheet;
  EXPECT_FALSE(sheet.HasRange());
  auto time_track = std::make_shared<TLogTrack>();
  time_track->SetArgument(laTime);
  sheet.AddTrack(time_track);
  EXPECT_EQ(sheet.Argument(), laTime);
  time_track->SetStep(25);
  time_track->Append(1.f);
  time_track->Append(1.f);
  sheet.Update();
  auto depth_track = std::make_shared<TLogTrack>();
  EXPECT_THROW_MSG(sheet.AddTrack(depth_track), ELogSheetError, "Arguments differ");
  EXPECT_EQ(sheet.Count(), 1);
}

TEST(LogSheetArgument, NamesConvertBothWays) {
  EXPECT_EQ(StrToArgument("depth"), laDepth);
  EXPECT_EQ(StrToArgument("Time"), laTime);
  EXPECT_THROW_MSG(StrToArgument("NONE"), ELogError, "\"NONE\" is not a valid argument");
  EXPECT_STREQ(ArgumentName(laNone), "NONE");
}

TEST(LogSheetRange, ForeignTracksCountOnlyWhenAllAreForeign) {
  TLogSheet sheet;
  TLogTrack* own = sheet.NewTrack();
  TLogTrack* foreign = sheet.NewTrack();
  own->SetOrigin(100);
  own->SetStep(10);
  own->Append(1);
  own->Append(1);  // 100..110
  foreign->SetForeign(true);
  foreign->SetOrigin(0);
  foreign->SetStep(10);
  for (int i = 0; i < 50; ++i) foreign->Append(1);  // 0..490
  sheet.Update();
  EXPECT_EQ(sheet.Start(), 100);
  EXPECT_EQ(sheet.End(), 110);
  own->SetForeign(true);
  sheet.Update();
  EXPECT_EQ(sheet.Start(), 0);
  EXPECT_EQ(sheet.End(), 490);
  sheet.Clear();
  sheet.Update();
  EXPECT_EQ(sheet.Start(), 0);
  EXPECT_EQ(sheet.End(), 0);
}

TEST(LogSheetUpdate, LinksHearStructureAndDataInOrderOnlyWhenEnabled) {
  TLogSheet sheet;
  RecordingLink first, second;
  first.SetSheet(&sheet);
  second.SetSheet(&sheet);
  TLogTrack* t = sheet.NewTrack();
  t->SetStep(10);
  t->Append(1.f);
  t->Append(2.f);
  sheet.Update();
  EXPECT_EQ(first.events, "SD");
  EXPECT_EQ(second.events, "SD");
  sheet.Update();
  EXPECT_EQ(first.events, "SD");  // nothing new

  sheet.SetEnabled(false);
  t->Append(3.f);
  sheet.Update();
  EXPECT_EQ(first.events, "SD");
  EXPECT_EQ(sheet.End(), 20);       // range still recomputed
  EXPECT_EQ(sheet.ChangedTo(), 0);  // change state still reset
  second.SetSheet(nullptr);
  EXPECT_EQ(sheet.Links().size(), 1u);
}

TEST(LogSheetUpdate, ChangeOnlyAtArgumentZeroRaisesNoDataChanged) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* t = sheet.NewTrack();
  t->SetStep(25);
  RecordingLink link;
  link.SetSheet(&sheet);
  sheet.Update();
  link.events.clear();
  t->Append(5.f);  // time 0
  sheet.Update();
  EXPECT_EQ(link.events, "");
  t->Append(6.f);  // time 25
  sheet.Update();
  EXPECT_EQ(link.events, "D");
}

TEST(LogSheetUpdate, DestroyedSheetDetachesLinks) {
  RecordingLink link;
  {
    TLogSheet sheet;
    link.SetSheet(&sheet);
  }
  EXPECT_EQ(link.Sheet(), nullptr);
}

TEST(LogSheetGrid, StepQueriesAndTheirErrors) {
  TLogSheet sheet;
  EXPECT_THROW_MSG(sheet.IsStepUniform(), ELogSheetError, "Sheet is empty");
  EXPECT_THROW_MSG(sheet.SheetStep(), ELogSheetError, "Sheet is empty");
  TLogTrack* a = sheet.NewTrack();
  TLogTrack* b = sheet.NewTrack();
  sheet.SetSteps(100);
  sheet.SetOrigins(300);
  EXPECT_EQ(sheet.SheetStep(), 100);
  EXPECT_TRUE(sheet.IsAligned());
  b->SetOrigin(350);
  EXPECT_FALSE(sheet.IsAligned());
  a->SetStep(50);
  EXPECT_FALSE(sheet.IsStepUniform());
  EXPECT_THROW_MSG(sheet.SheetStep(), ELogSheetError, "Sheet argument step is not uniform");
}

TEST(LogSheetRows, RecordingDownThenBackUp) {
  TLogSheet sheet;
  for (int i = 0; i < 3; ++i) sheet.NewTrack();
  sheet.SetSteps(100);
  sheet.SetOrigins(5000);
  sheet.SetAscending(false);  // logging upwards
  for (int row = 0; row < 4; ++row)
    for (int i = 0; i < 3; ++i) sheet.Tracks(i)->Append(static_cast<float>(row));
  sheet.DropLastRow();
  sheet.Update();
  EXPECT_EQ(sheet.Start(), 4700);
  EXPECT_EQ(sheet.End(), 4900);
  EXPECT_EQ(sheet.Tracks(2)->Sample(0), 2.f);

  sheet.ClearData();
  EXPECT_EQ(sheet.Tracks(0)->Count(), 0);
  EXPECT_EQ(sheet.Tracks(0)->Capacity(), TLogTrack::kGrowth);
}

TEST(LogSheetRows, SetStartAndEndMoveEveryTrackSilently) {
  TLogSheet sheet;
  TLogTrack* t = sheet.NewTrack();
  t->SetStep(10);
  for (int i = 0; i < 10; ++i) t->Append(1);
  sheet.Update();
  sheet.SetStart(20);
  sheet.SetEnd(60);
  EXPECT_EQ(t->Origin(), 20);
  EXPECT_EQ(t->End(), 60);
  EXPECT_EQ(sheet.ChangedTo(), 0);
}

TEST(LogSheetAssign, CopiesTracksIntoFreshOnes) {
  TLogSheet source;
  source.SetArgument(laTime);
  TLogTrack* t = source.NewTrack();
  t->SetParameter("T");
  t->SetStep(25);
  t->Append(1.5f);
  TLogSheet copy;
  copy.NewTrack();
  copy.Assign(source);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_NE(copy.Tracks(0), t);
  EXPECT_EQ(copy.Argument(), laTime);
  EXPECT_EQ(copy.Tracks(0)->Sample(0), 1.5f);
}

TEST(LogSheetLock, TryLockRefusesWhileHeldElsewhere) {
  TLogSheet sheet;
  sheet.Lock();
  EXPECT_EQ(sheet.LockDepth(), 1);
  EXPECT_FALSE(sheet.TryLock());  // depth is not 0, even on the holding thread
  bool other = true;
  std::thread([&] { other = sheet.TryLock(); }).join();
  EXPECT_FALSE(other);
  sheet.Lock();  // re-entrant
  sheet.Unlock();
  sheet.Unlock();
  EXPECT_EQ(sheet.LockDepth(), 0);
  std::thread([&] {
    other = sheet.TryLock();
    if (other) sheet.Unlock();
  }).join();
  EXPECT_TRUE(other);
}

}  // namespace
}  // namespace kest
