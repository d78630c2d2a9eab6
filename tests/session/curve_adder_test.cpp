// Adding a curve of another file: the foreign copy named after the file, resampled
// onto the working sheet's step; files that cannot be added from; kest-tool add-curve.
#include "session/curve_adder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "run_command.h"
#include "session/log_document.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

void Fill(TLogSheet& sheet, const char* name, int32_t origin, int32_t step, int count,
          float scale = 1.0f) {
  TLogTrack* t = sheet.NewTrack(name);
  t->SetStep(step);
  t->SetOrigin(origin);
  for (int i = 0; i < count; ++i) t->Append(static_cast<float>(i) * scale);
  sheet.UpdateRange();
}

void WriteLog(const std::string& path, TLogArgument argument, int32_t step) {
  LogDocument doc;
  doc.Sheet().SetArgument(argument);
  Fill(doc.Sheet(), "GK", 10000, step, 10, 2.0f);
  Fill(doc.Sheet(), "SP", 10000, step, 10, -1.0f);
  doc.SaveAs(path, {});
}

class AddingCurves : public ::testing::Test {
 protected:
  AddingCurves() {
    tables_.Parameters().Add("GK", "Гамма", 0, "0.00", "GR", "мкР/ч", "ГК");
    tables_.Parameters().Add("SP", "ПС", 0, "0.0", "SP", "мВ", "ПС");
  }
  TLogParameters& Dictionary() { return tables_.Parameters(); }

  testing::TempDir dir_;
  TLogParameterTables tables_;
  TLogSheet sheet_;
};

TEST_F(AddingCurves, CoarserStepKeepsEveryKthSampleAsAForeignTrackNamedAfterTheFile) {
  WriteLog(dir_.File("a.ls"), laDepth, 100);
  Fill(sheet_, "SP", 10000, 200, 5);
  CurveAdder adder(sheet_, Dictionary());
  adder.Open(dir_.File("a.ls"), {});
  ASSERT_TRUE(adder.Compatible());
  EXPECT_EQ(adder.Curves(), (std::vector<std::string>{"Гамма", "ПС"}));
  EXPECT_EQ(adder.Information(),
            (std::vector<std::string>{"-Режим записи: ПО ГЛУБИНЕ", "-Шаг записи: 0.10",
                                      "-Начало: 10.00", "-Конец: 10.90"}));
  EXPECT_EQ(adder.Add(0), "Кривая Гамма(a.ls) добавлена.");
  const TLogTrack* t = sheet_.FindTrack("GK(A.LS)");
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->Foreign());
  EXPECT_EQ(t->Step(), 200);
  EXPECT_EQ(t->Origin(), 10000);
  ASSERT_EQ(t->Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t->Sample(i), 4.0f * i);
  const TLogParameter* e = Dictionary().Find("GK(A.LS)");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Caption, "Гамма(a.ls)");
  EXPECT_EQ(e->Mnemonic, "GR");
  EXPECT_EQ(e->Units, "мкР/ч");

  // The same curve again: a second track of that name.
  adder.Add(0);
  EXPECT_EQ(sheet_.TrackCountOf("GK(A.LS)"), 2);
  EXPECT_EQ(sheet_.FindTrack("GK(A.LS)", 1)->Instance(), 1);
}

TEST_F(AddingCurves, SameStepCopiesAsItIs) {
  WriteLog(dir_.File("a.ls"), laDepth, 100);
  Fill(sheet_, "SP", 0, 100, 3);
  CurveAdder adder(sheet_, Dictionary());
  adder.Open(dir_.File("a.ls"), {});
  EXPECT_EQ(adder.Add(1), "Кривая \"ПС\" добавлена.");
  EXPECT_EQ(sheet_.FindTrack("SP(A.LS)")->Count(), 10);
}

TEST_F(AddingCurves, EmptySheetTakesTheFilesArgumentAndAFineStep) {
  WriteLog(dir_.File("t.ls"), laTime, 4);
  CurveAdder adder(sheet_, Dictionary());
  adder.Open(dir_.File("t.ls"), {});
  EXPECT_EQ(adder.TargetStep(), 1);
  EXPECT_EQ(adder.Information()[0], "-Режим записи: ПО ВРЕМЕНИ");
  adder.Add(0);
  EXPECT_EQ(sheet_.Argument(), laTime);
  const TLogTrack* t = sheet_.FindTrack("GK(T.LS)");
  ASSERT_EQ(t->Count(), 37);  // 9 steps of 4 ms on a 1 ms grid
  EXPECT_EQ(t->Sample(4), 2.0f);
  EXPECT_EQ(t->Sample(5), 2.5f);  // a quarter of the way to the next sample
  EXPECT_EQ(t->Sample(36), 18.0f);
}

TEST_F(AddingCurves, StepThatIsNoWholeMultipleInterpolatesByArgument) {
  TLogTrack source;
  source.SetStep(100);
  for (float v : {0.f, 10.f, 20.f, 30.f, 40.f, 50.f}) source.Append(v);
  EXPECT_EQ(ResampleTrack(source, 250), (std::vector<float>{0.f, 25.f, 50.f}));
  EXPECT_EQ(ResampleTrack(source, 200), (std::vector<float>{0.f, 20.f, 40.f}));
}

// A gap is not a value to draw a line to: between a sample and a gap the finer
// copy has gaps, the samples themselves stay.
TEST_F(AddingCurves, ResamplingNeverInterpolatesTowardsAGap) {
  TLogTrack source;
  source.SetStep(100);
  const float null = kDefaultNullValue;
  for (float v : {10.f, null, 30.f, 40.f}) source.Append(v);
  EXPECT_EQ(ResampleTrack(source, 50),
            (std::vector<float>{10.f, null, null, null, 30.f, 35.f, 40.f}));
}

TEST_F(AddingCurves, FileOfTheOtherArgumentOffersNothing) {
  WriteLog(dir_.File("t.ls"), laTime, 100);
  Fill(sheet_, "SP", 0, 100, 3);
  CurveAdder adder(sheet_, Dictionary());
  adder.Open(dir_.File("t.ls"), {});
  EXPECT_FALSE(adder.Compatible());
  EXPECT_TRUE(adder.Information().empty());
  EXPECT_TRUE(adder.Curves().empty());
  EXPECT_THROW_MSG(adder.Add(0), ECurveAddError,
                   "Ошибка при добавлении кривой.\nфайл записан по времени, а лист - по глубине");
  EXPECT_EQ(sheet_.Count(), 1);
}

TEST_F(AddingCurves, DamagedFileIsRefusedAndTheSheetUntouched) {
  WriteLog(dir_.File("a.ls"), laDepth, 100);
  std::string bytes;
  {
    std::ifstream in(dir_.File("a.ls"), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::ofstream(dir_.File("bad.ls"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  Fill(sheet_, "SP", 0, 100, 3);
  CurveAdder adder(sheet_, Dictionary());
  adder.Open(dir_.File("a.ls"), {});
  EXPECT_ANY_THROW(adder.Open(dir_.File("bad.ls"), {}));
  EXPECT_FALSE(adder.HasFile());
  EXPECT_THROW_MSG(adder.Add(0), ECurveAddError, "Ошибка при добавлении кривой.\nне выбран файл");
  EXPECT_EQ(sheet_.Count(), 1);
}

TEST(KestToolAddCurve, WritesTheCopyIntoOut) {
  testing::TempDir dir;
  WriteLog(dir.File("a.ls"), laDepth, 100);
  WriteLog(dir.File("b.ls"), laDepth, 200);
  WriteLog(dir.File("t.ls"), laTime, 200);
  std::string tool = KEST_TOOL_PATH;
  auto r = testing::RunCommand(tool + " add-curve " + dir.File("b.ls") + " " + dir.File("a.ls") +
                                   " GR " + dir.File("out.ls"),
                               true);
  ASSERT_EQ(r.code, 0) << r.out;
  LogDocument out;
  out.Open(dir.File("out.ls"), {});
  const TLogTrack* t = out.Sheet().FindTrack("GK(A.LS)");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Step(), 200);
  EXPECT_EQ(t->Sample(1), 4.0f);

  r = testing::RunCommand(tool + " add-curve " + dir.File("b.ls") + " " + dir.File("t.ls") +
                              " GK " + dir.File("out2.ls"),
                          true);
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.out.find("Ошибка при добавлении кривой."), std::string::npos) << r.out;
  EXPECT_FALSE(std::ifstream(dir.File("out2.ls")).good());
}

}  // namespace
}  // namespace kest
