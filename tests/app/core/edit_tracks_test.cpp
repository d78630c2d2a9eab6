#include "app/core/edit_tracks.h"

#include <gtest/gtest.h>

#include <limits>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/undo_stack.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// A depth sheet with GR: 30 samples from 1000 mm every 100 mm (sample i = i),
// sample 5 missing (-9999.99); the editor's limits are the sheet's.
struct Editing {
  TLogSheet sheet;
  UndoStack undo;
  TLogTrack* gr;
  std::unique_ptr<EditTracks> edit;
  explicit Editing(TLogArgument kind = laDepth) {
    sheet.SetArgument(kind);
    gr = sheet.NewTrack("GR");
    gr->SetOrigin(1000);
    gr->SetStep(100);
    for (int i = 0; i < 30; ++i) gr->Append(i == 5 ? -9999.99f : static_cast<float>(i));
    sheet.Update();
    edit = std::make_unique<EditTracks>(sheet, undo, "-9999.99");
    edit->SetLimits(sheet.Start(), sheet.End());
  }
};

TEST(EditTracks, SampleIndexIsTheSampleAtOrBeforeTheArgumentAndNoneOutsideTheTrack) {
  struct Case {
    int32_t argument, origin, step, count;
    std::optional<int32_t> index;
  } cases[] = {
      {2200, 1000, 100, 30, 12}, {2250, 1000, 100, 30, 12}, {2299, 1000, 100, 30, 12},
      {1000, 1000, 100, 30, 0},  {3900, 1000, 100, 30, 29}, {4000, 1000, 100, 30, {}},
      {950, 1000, 100, 30, {}},  // truncation towards zero would give sample 0
      {-150, -300, 100, 3, 1},   {1000, 1000, 100, 0, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EditTracks::SampleIndex(c.argument, c.origin, c.step, c.count), c.index)
        << c.argument << " from " << c.origin;
}

TEST(EditTracks, KeysMoveOneStepOrFarAndStopAtTheLimits) {
  Editing f;
  f.edit->SetArgument(2200);
  EXPECT_EQ(f.edit->ArgumentText(), "2.20 m");
  using M = EditTracks::Move;
  EXPECT_EQ(f.edit->Moved(M::Up), 2100);
  EXPECT_EQ(f.edit->Moved(M::Down), 2300);
  EXPECT_EQ(f.edit->Moved(M::FarUp), 1000);    // 10 m up passes the top: to the top
  EXPECT_EQ(f.edit->Moved(M::FarDown), 3900);  // and to the bottom
  f.edit->SetArgument(1000);
  EXPECT_EQ(f.edit->Moved(M::Up), 1000);
  f.edit->SetLimits(0, 100000);
  f.edit->SetArgument(50000);
  EXPECT_EQ(f.edit->Moved(M::FarUp), 40000);
  f.edit->SetArgument(200000);  // kept inside the limits
  EXPECT_EQ(f.edit->Argument(), 100000);

  Editing t(laTime);
  t.edit->SetLimits(0, 1000000);
  t.edit->SetArgument(200000);
  EXPECT_EQ(t.edit->ArgumentText(), "200.00 c");
  EXPECT_EQ(t.edit->Moved(M::FarDown), 260000);  // one minute
}

TEST(EditTracks, TheNullValueTicksTheBoxAndIsWrittenAsTheSetting) {
  Editing f;
  f.edit->SetArgument(1500);
  EXPECT_EQ(f.edit->ValueText(), "-9999.99");
  EXPECT_TRUE(f.edit->IsNull());
  f.edit->SetArgument(1600);
  EXPECT_EQ(f.edit->ValueText(), "6.00");
  EXPECT_FALSE(f.edit->IsNull());
  f.edit->WriteNull();
  EXPECT_FLOAT_EQ(f.gr->Sample(6), -9999.99f);
  EXPECT_TRUE(f.edit->IsNull());

  UndoStack undo;
  EditTracks other(f.sheet, undo, "not a number");  // the usual null value then
  EXPECT_EQ(other.NullText(), "-9999.99");

  // A gap kept as NaN is missing too, and shows as the null value; so is the
  // configured null value of another installation.
  f.gr->SetSample(7, std::numeric_limits<float>::quiet_NaN());
  f.gr->SetSample(8, -999.25f);
  EditTracks las(f.sheet, undo, "-999.25");
  las.SetLimits(f.sheet.Start(), f.sheet.End());
  las.SetTrack(0);
  for (int32_t argument : {1700, 1800}) {
    las.SetArgument(argument);
    EXPECT_TRUE(las.IsNull()) << argument;
    EXPECT_EQ(las.ValueText(), "-999.25") << argument;
  }
}

// The editor keeps the track it was given, not its place: once that track leaves
// the sheet, nothing is written, least of all into the track that took its place.
TEST(EditTracks, ATrackRemovedElsewhereIsNeverWrittenThroughAnother) {
  Editing f;
  TLogTrack* sp = f.sheet.NewTrack("SP");
  sp->SetOrigin(1000);
  sp->SetStep(100);
  for (int i = 0; i < 30; ++i) sp->Append(100);
  f.sheet.Update();
  f.edit->SetTrack(0);
  f.edit->SetArgument(1200);
  ASSERT_EQ(f.edit->EnterText("7"), EditTracks::Entry::Written);
  f.sheet.RemoveTrack(f.gr);
  ASSERT_EQ(f.sheet.Tracks(0), sp);
  EXPECT_TRUE(f.edit->TrackGone());
  EXPECT_EQ(f.edit->TrackIndex(), -1);
  EXPECT_EQ(f.edit->EnterText("5"), EditTracks::Entry::NoSample);
  EXPECT_THROW_MSG(f.edit->WriteNull(), EEditTracksError, "Нет отсчёта кривой в этой точке");
  for (int i = 0; i < 30; ++i) ASSERT_FLOAT_EQ(sp->Sample(i), 100) << i;
}

TEST(EditTracks, TypingWritesEachNumberLeavesHalfTypedTextAloneAndUndoesAsOne) {
  Editing f;
  f.edit->SetArgument(2250);
  using E = EditTracks::Entry;
  EXPECT_EQ(f.edit->EnterText(""), E::NotANumber);
  EXPECT_EQ(f.edit->EnterText("-"), E::NotANumber);
  EXPECT_FLOAT_EQ(f.gr->Sample(12), 12);  // nothing written yet
  EXPECT_FALSE(f.undo.CanUndo());
  EXPECT_EQ(f.edit->EnterText("-1"), E::Written);
  EXPECT_EQ(f.edit->EnterText("-1."), E::Unchanged);
  EXPECT_EQ(f.edit->EnterText("-1.5"), E::Written);
  EXPECT_EQ(f.edit->EnterText("-1.5e"), E::NotANumber);
  EXPECT_EQ(f.edit->EnterText("inf"), E::NotANumber);
  EXPECT_EQ(f.edit->EnterText("1e999"), E::NotANumber);
  EXPECT_FLOAT_EQ(f.gr->Sample(12), -1.5f);
  EXPECT_FLOAT_EQ(f.gr->Sample(11), 11);  // no neighbour touched
  EXPECT_EQ(f.undo.Count(), 1u);          // one change however many keystrokes

  f.edit->SetArgument(2300);  // another sample: another change
  f.edit->EnterText("7");
  EXPECT_EQ(f.undo.Count(), 2u);
  f.undo.Undo();
  EXPECT_FLOAT_EQ(f.gr->Sample(13), 13);
  f.undo.Undo();
  EXPECT_FLOAT_EQ(f.gr->Sample(12), 12);
  f.undo.Redo();
  EXPECT_FLOAT_EQ(f.gr->Sample(12), -1.5f);

  f.edit->SetArgument(2250);
  f.edit->EnterText("3");
  f.edit->EndTyping();  // after an undo, say: the next keystroke is a change of its own
  f.edit->EnterText("4");
  EXPECT_EQ(f.undo.Index(), 3u);
}

TEST(EditTracks, NothingIsWrittenWhereTheTrackHasNoSample) {
  Editing f;
  TLogTrack* late = f.sheet.NewTrack("SP");  // starts lower than GR, and shorter
  late->SetOrigin(2000);
  late->SetStep(100);
  for (int i = 0; i < 5; ++i) late->Append(1);
  f.sheet.Update();
  f.edit->SetLimits(f.sheet.Start(), f.sheet.End());
  f.edit->SetTrack(1);
  for (int32_t argument : {1500, 2500}) {
    f.edit->SetArgument(argument);
    EXPECT_FALSE(f.edit->HasSample()) << argument;
    EXPECT_EQ(f.edit->ValueText(), "");
    EXPECT_FALSE(f.edit->IsNull());
    EXPECT_EQ(f.edit->EnterText("5"), EditTracks::Entry::NoSample);
    EXPECT_THROW_MSG(f.edit->WriteNull(), EEditTracksError, EditTracks::kNoSampleMessage);
  }
  EXPECT_FALSE(f.undo.CanUndo());
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(late->Sample(i), 1);

  TLogSheet empty;
  UndoStack undo;
  EditTracks none(empty, undo, "-9999.99");
  EXPECT_EQ(none.Track(), nullptr);
  EXPECT_EQ(none.TrackIndexOf("GR"), -1);
  EXPECT_EQ(none.EnterText("1"), EditTracks::Entry::NoSample);
}

TEST(EditTracks, TracksAreOfferedByDisplayNameAndTheLastOneIsFoundByMnemonic) {
  TLogParameterTables tables;
  tables.Parameters().Add("GR", "Гамма-каротаж", 0, "0.00", "GR", "мкР/ч", "ГК");
  Editing f;
  f.sheet.NewTrack("SP");
  f.sheet.NewTrack("GR");
  EXPECT_EQ(f.edit->TrackNames(),
            (std::vector<std::string>{"Гамма-каротаж", "Гамма-каротаж[1]", "SP"}));
  EXPECT_EQ(f.edit->TrackIndexOf("SP"), 2);
  EXPECT_EQ(f.edit->TrackIndexOf("gone"), 0);
  EXPECT_EQ(f.edit->TrackIndexOf("", f.sheet.Tracks(2)), 2);  // the tablet's focused track
  EXPECT_EQ(f.edit->TrackIndexOf("GR", f.sheet.Tracks(2)), 0);
  f.edit->SetTrack(2);
  EXPECT_EQ(f.edit->Parameter(), "SP");
}

}  // namespace
}  // namespace kest
