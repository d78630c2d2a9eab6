#include "log/tmp_filer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using test::Slurp;

std::string Int32(int32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

std::string Float(float v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

// A depth sheet with GK and a foreign NK on a 100 mm grid from 1000 mm, rows 0..n-1
// holding GK = row and a second own track ПС = -row.
void FillDepthSheet(TLogSheet& sheet, int rows) {
  TLogTrack* gk = sheet.NewTrack("GK");
  TLogTrack* foreign = sheet.NewTrack("NK (OLD.LS)");
  foreign->SetForeign(true);
  TLogTrack* ps = sheet.NewTrack("ПС");
  sheet.SetSteps(100);
  sheet.SetOrigins(1000);
  for (int r = 0; r < rows; ++r) {
    gk->Append(static_cast<float>(r));
    foreign->Append(99.f);
    ps->Append(static_cast<float>(-r));
  }
  sheet.Update();
}

TEST(CrashFile, HeaderAndRowsHaveTheDocumentedLayout) {
  testing::TempDir dir;
  TLogSheet sheet;
  FillDepthSheet(sheet, 11);
  std::string path = dir.File("crash.tmp");
  sheet.AppendCrashFile(path, sheet.Start(), 5, 2000);
  std::string expected = "TMP01\r\n~C\r\nGK^\xCF\xD1^\r\n~I\r\n" + Int32(500) + Int32(500) +
                         "\r\n" + Int32(1000) + Int32(1000) + "\r\n~A\r\n";
  for (int k : {0, 5, 10}) expected += Float(float(k)) + Float(float(-k)) + "\r\n";
  EXPECT_EQ(Slurp(path), expected);
}

TEST(CrashFile, AppendsContinueAndReadBack) {
  testing::TempDir dir;
  TLogSheet sheet;
  FillDepthSheet(sheet, 21);
  std::string path = dir.File("crash.tmp");
  sheet.AppendCrashFile(path, sheet.Start(), 5, 1900);  // rows 0, 5
  sheet.AppendCrashFile(path, 2000, 5, 3000);           // rows 10, 15, 20

  TLogSheet back;
  back.LoadFromFile(path, "TMP");
  ASSERT_EQ(back.Count(), 2);
  const TLogTrack* gk = back.FindTrack("GK");
  ASSERT_NE(gk, nullptr);
  EXPECT_EQ(gk->Origin(), 1000);
  EXPECT_EQ(gk->Step(), 500);
  ASSERT_EQ(gk->Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(gk->Sample(i), 5.f * i);
  EXPECT_EQ(back.FindTrack("пс")->Sample(4), -20.f);
  EXPECT_EQ(back.Argument(), laDepth);
  EXPECT_EQ(back.End(), 3000);
}

TEST(CrashFile, RowsNeverRunPastTheRecordedSamples) {
  testing::TempDir dir;
  TLogSheet sheet;
  FillDepthSheet(sheet, 3);
  std::string path = dir.File("crash.tmp");
  sheet.AppendCrashFile(path, sheet.Start(), 1, 100000);
  TLogSheet back;
  back.LoadFromFile(path, "tmp");
  EXPECT_EQ(back.Tracks(0)->Count(), 3);
}

TEST(CrashFile, TimeLogComesBackAsTimeLog) {
  testing::TempDir dir;
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* t = sheet.NewTrack();
  t->SetParameter("U");
  t->SetStep(25);
  for (int i = 0; i < 30; ++i) t->Append(static_cast<float>(i));
  sheet.Update();
  std::string path = dir.File("crash.tmp");
  sheet.AppendCrashFile(path, 0, 10, sheet.End());
  TLogSheet back;
  back.LoadFromFile(path, "TMP");
  EXPECT_EQ(back.Argument(), laTime);
  EXPECT_EQ(back.Tracks(0)->Step(), 250);
  EXPECT_EQ(back.Tracks(0)->Count(), 3);
}

TEST(CrashFile, UnwritableFileIsAnError) {
  TLogSheet sheet;
  FillDepthSheet(sheet, 2);
  testing::TempDir dir;
  EXPECT_THROW_MSG_HAS(sheet.AppendCrashFile(dir.File("missing/crash.tmp"), 1000, 5, 1100),
                       EInOutError,
                       "Не удалось открыть файл \"" + dir.File("missing/crash.tmp") + "\": ");
}

class TmpReading : public ::testing::Test {
 protected:
  std::unique_ptr<TLogSheet> Load(const std::string& bytes) {
    auto sheet = std::make_unique<TLogSheet>();
    MemoryStream in(bytes);
    sheet->LoadFromStream(in, "TMP");
    return sheet;
  }
  std::string TwoCurves() {
    return "TMP01\r\n~C\r\nA^B^\r\n~I\r\n" + Int32(10) + Int32(20) + "\r\n" + Int32(0) + Int32(5) +
           "\r\n~A\r\n" + Float(1) + Float(2) + "\r\n" + Float(3) + Float(4) + "\r\n";
  }
};

TEST_F(TmpReading, CutAnywhereGivesCompleteRowsOnly) {
  std::string whole = TwoCurves();
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    TLogSheet sheet;
    MemoryStream in(whole.substr(0, cut));
    try {
      sheet.LoadFromStream(in, "TMP");
    } catch (const ETMPFilerError&) {
      EXPECT_LT(cut, 5u);  // only a missing signature may fail
      continue;
    }
    for (int i = 0; i < sheet.Count(); ++i) {
      const TLogTrack* t = sheet.Tracks(i);
      EXPECT_EQ(t->Count(), sheet.Tracks(0)->Count()) << cut;
      for (int k = 0; k < t->Count(); ++k) EXPECT_EQ(t->Sample(k), float(2 * k + i + 1)) << cut;
    }
  }
  auto full = Load(whole);
  EXPECT_EQ(full->Tracks(1)->Step(), 20);
  EXPECT_EQ(full->Tracks(1)->Origin(), 5);
  EXPECT_EQ(full->Tracks(1)->Count(), 2);
}

TEST_F(TmpReading, SameNamedCurvesGetSuccessiveInstances) {
  // Columns keep the file's order even though the sheet groups same-named tracks.
  auto sheet =
      Load("TMP01\r\n~C\r\nGK^NK^GK^\r\n~I\r\n" + Int32(1) + Int32(2) + Int32(3) + "\r\n" +
           Int32(0) + Int32(0) + Int32(0) + "\r\n~A\r\n" + Float(1) + Float(2) + Float(3) + "\r\n");
  ASSERT_EQ(sheet->Count(), 3);
  EXPECT_EQ(sheet->Tracks(1)->Parameter(), "GK");
  EXPECT_EQ(sheet->Tracks(1)->Instance(), 1);
  EXPECT_EQ(sheet->Tracks(1)->Step(), 3);
  EXPECT_EQ(sheet->Tracks(1)->Sample(0), 3.f);
  EXPECT_EQ(sheet->Tracks(2)->Parameter(), "NK");
  EXPECT_EQ(sheet->Tracks(2)->Sample(0), 2.f);
}

// A wrong signature or version text is refused; past the signature the reader keeps
// what is whole: a damaged part ends there and the scan goes on.
TEST_F(TmpReading, DamagedFilesAreRefusedOrKeepWhatIsWhole) {
  const std::string kNoSignature = "Неверный файл - сигнатура не найдена";
  const std::string kBadFormat = "Неверный формат файла";
  const std::string head = "TMP01\r\n~C\r\nA^B^\r\n~I\r\n";
  const std::string grid = Int32(10) + Int32(20) + "\r\n" + Int32(0) + Int32(5) + "\r\n";
  const std::string rows = "~A\r\n" + Float(1) + Float(2) + "\r\n" + Float(3) + Float(4) + "\r\n";
  std::string v2 = TwoCurves();
  v2[4] = '2';
  struct Case {
    const char* what;
    std::string bytes;
    std::string message;                 // empty: loads
    int tracks = 0, rows = 0, step = 0;  // what was kept (track A's rows and step)
    TLogArgument argument = laDepth;
  };
  const std::vector<Case> cases = {
      {"empty", "", kNoSignature},
      {"one byte", "T", kNoSignature},
      {"another signature", "XMP01", kNoSignature},
      {"signature cut after TM", "TM", kBadFormat},
      {"no version", "TMP", kBadFormat},
      {"version not digits", "TMPx1", kBadFormat},
      {"version half digits", "TMP1x", kBadFormat},
      {"version 02", v2, "", 0},
      {"whole", TwoCurves(), "", 2, 2, 10},
      {"a curve name too long", "TMP01\r\n~C\r\n" + std::string(2000, 'N') + "^" + rows, "", 0},
      {"grid cut in the origins", head + Int32(10) + Int32(20) + "\r\n" + Int32(0), "", 2, 0, 200},
      {"a zero step", head + Int32(0) + Int32(20) + "\r\n" + Int32(0) + Int32(5) + "\r\n" + rows,
       "", 2, 2, 200},
      {"last row cut short", (head + grid + rows).substr(0, (head + grid + rows).size() - 3), "", 2,
       1, 10},
      {"rows before any curve", "TMP01\r\n" + rows + "~C\r\nA^\r\n", "", 1, 0, 200},
      {"an unknown argument", "TMP01\r\n~T\r\nSPEED\r\n~C\r\nA^B^\r\n~I\r\n" + grid + rows, "", 2,
       2, 10},
      {"time as the argument", "TMP01\r\n~T\r\nTIME\r\n~C\r\nA^B^\r\n~I\r\n" + grid + rows, "", 2,
       2, 10, laTime},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.message.empty()) {
      EXPECT_THROW_MSG(Load(c.bytes), ETMPFilerError, c.message);
      continue;
    }
    auto sheet = Load(c.bytes);
    ASSERT_EQ(sheet->Count(), c.tracks);
    if (c.tracks == 0) continue;
    EXPECT_EQ(sheet->Tracks(0)->Count(), c.rows);
    EXPECT_EQ(sheet->Tracks(0)->Step(), c.step);
    EXPECT_EQ(sheet->Argument(), c.argument);
  }
}

TEST_F(TmpReading, DamagedGridEndsOnlyThatPart) {
  // A zero step is refused; the curves and rows still load.
  std::string bytes = "TMP01\r\n~C\r\nA^\r\n~I\r\n" + Int32(0) + "\r\n" + Int32(7) + "\r\n~A\r\n" +
                      Float(1) + "\r\n";
  auto sheet = Load(bytes);
  ASSERT_EQ(sheet->Count(), 1);
  EXPECT_EQ(sheet->Tracks(0)->Step(), 200);
  EXPECT_EQ(sheet->Tracks(0)->Count(), 1);
}

TEST_F(TmpReading, RowsWithoutCurvesAndGarbageAreHarmless) {
  EXPECT_EQ(Load("TMP01\r\n~A\r\n" + std::string(100, '\x7e'))->Count(), 0);
  EXPECT_EQ(Load("TMP01~~~~C")->Count(), 0);
  std::string long_name = "TMP01\r\n~C\r\n" + std::string(5000, 'N') + "^";
  EXPECT_EQ(Load(long_name)->Count(), 0);
}

TEST_F(TmpReading, ProgressEndsAtHundred) {
  TLogSheet sheet;
  std::vector<int> seen;
  sheet.OnProgress = [&](TLogSheet&, int p) { seen.push_back(p); };
  MemoryStream in(TwoCurves());
  sheet.LoadFromStream(in, ".tmp");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(sheet.StructureChangedFlag());
}

}  // namespace
}  // namespace kest
