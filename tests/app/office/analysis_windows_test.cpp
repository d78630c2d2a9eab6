// The analyst's windows offscreen, each driven through real files: depth matching
// applied and undone, splicing into a composite file, repeat control with its
// report, step and filter. Each is also saved as a picture next to the test program.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>
#include <filesystem>
#include <random>

#include "analysis/generated_log.h"
#include "app/core/app_environment.h"
#include "app/office/depth_match_window.h"
#include "app/office/repeat_control_window.h"
#include "app/office/splice_window.h"
#include "app/office/step_filter_window.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "run_command.h"
#include "scripted_questions.h"
#include "session/log_document.h"
#include "support/settings.h"
#include "support/undo_stack.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using testing::AddCurve;

void Shot(QWidget& w, const char* name) {
  w.grab().save(QString::fromStdString(std::string(KEST_APP_OUT_DIR) + "/" + name));
}

// Runs of one formation 1000..1200 m at 10 cm: the reference and one recorded 1.3 m
// too deep, each with DEPTH, GK and a temperature that follows true depth.
class AnalysisWindows : public ::testing::Test {
 protected:
  AnalysisWindows() {
    SeedRoot(test::DataRoot(), root.Path().string());
    env = std::make_unique<AppEnvironment>(root.Path().string());
    questions = std::make_unique<testing::ScriptedQuestions>(*env, settings);
    Write(ref, 0);
    Write(log, 1.3);
    ref.SaveAs(root.File("ref.ls"), {});
    log.SaveAs(root.File("log.ls"), {});
  }
  void Write(LogDocument& d, double error) {
    std::mt19937 rng(error > 0 ? 2 : 1);
    std::normal_distribution<double> noise(0, 0.2);
    AddCurve(d.Sheet(), "DEPTH", 1000000, 100, 2001, [](double z) { return z; });
    AddCurve(d.Sheet(), "GK", 1000000, 100, 2001,
             [&](double z) { return formation(z - error) + noise(rng); });
    AddCurve(d.Sheet(), "TEMP", 1000000, 100, 2001,
             [&](double z) { return 20 + 0.03 * (z - error); });
  }
  testing::GeneratedFormation formation{23};
  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env;
  MemorySettings settings;
  std::unique_ptr<testing::ScriptedQuestions> questions;
  LogDocument ref, log;
};

TEST_F(AnalysisWindows, DepthMatchFindsTheShiftAppliesItToEveryTrackAndUndoes) {
  UndoStack undo;
  int applied = 0;
  TDepthMatchWindow w(log.Sheet(), undo, *questions, {}, root.Path().string());
  w.OnApplied = [&] { ++applied; };
  w.SetReferenceFile(root.File("ref.ls"));
  w.SetCurve("GK");
  ASSERT_TRUE(w.Match()) << (questions->Errors.empty() ? "" : questions->Errors.back());
  const double shift = w.Result().Windows[0].Shift;
  EXPECT_NEAR(shift, 1300, 30);
  auto* table = w.findChild<QTableWidget*>("twShifts");
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->item(0, 2)->text().toDouble(), std::round(shift) / 1000.0);
  w.resize(900, 560);
  Shot(w, "depth_match_window.png");

  ASSERT_TRUE(w.Apply());
  EXPECT_EQ(applied, 1);
  EXPECT_FALSE(w.Apply());  // once only
  const int32_t moved = 1000000 - static_cast<int32_t>(std::lround(shift));
  for (int i = 0; i < log.Sheet().Count(); ++i) EXPECT_EQ(log.Sheet().Tracks(i)->Origin(), moved);
  EXPECT_EQ(undo.UndoText(), "Смещение");
  undo.Undo();
  for (int i = 0; i < log.Sheet().Count(); ++i) EXPECT_EQ(log.Sheet().Tracks(i)->Origin(), 1000000);

  // In windows: shown, never applied.
  w.SetWindow(50);
  ASSERT_TRUE(w.Match());
  EXPECT_EQ(table->rowCount(), 4);
  EXPECT_FALSE(w.Apply());
  // A constant curve is named, nothing moves.
  w.SetWindow(0);
  w.SetCurve("DEPTH");
  LogDocument flat;
  AddCurve(flat.Sheet(), "DEPTH", 1000000, 100, 2001, [](double) { return 1.0; });
  flat.SaveAs(root.File("flat.ls"), {});
  w.SetReferenceFile(root.File("flat.ls"));
  EXPECT_FALSE(w.Match());
  EXPECT_EQ(questions->Errors.back(), "Кривая \"DEPTH\" постоянна: корреляция не определена");
}

TEST_F(AnalysisWindows, SpliceWritesTheCompositeOfTheOpenLogAndAFile) {
  TSpliceWindow w(ref.Sheet(), "ref.ls", *questions, {}, root.Path().string());
  std::string opened;
  w.OnOpen = [&](const std::string& path) { opened = path; };
  w.AddLog(root.File("log.ls"));
  w.SetSpliceDepths("1250");
  w.SetOutput(root.File("joined.ls"));
  EXPECT_FALSE(w.Splice());
  EXPECT_EQ(questions->Errors.back(), "Глубина сшивки 1250.00 вне лога 1 (1000.00–1200.00)");
  EXPECT_FALSE(fs::exists(root.File("joined.ls")));
  w.SetSpliceDepths("1100,5");
  ASSERT_TRUE(w.Splice()) << questions->Errors.back();
  Shot(w, "splice_window.png");
  LogDocument joined;
  joined.Open(root.File("joined.ls"), {});
  const TLogTrack& gk = *joined.Sheet().FindTrack("GK");
  const TLogTrack& a = *ref.Sheet().FindTrack("GK");
  const TLogTrack& b = *log.Sheet().FindTrack("GK");
  ASSERT_EQ(gk.Count(), 2001);
  for (int32_t i = 0; i < gk.Count(); ++i)
    ASSERT_EQ(gk.Sample(i), (gk.ArgumentOf(i) < 1100500 ? a : b).Sample(i)) << i;
  EXPECT_EQ(joined.Sheet().Comments()[joined.Sheet().Comments().Count() - 1], "Сшивка: 1100.50 м");
}

TEST_F(AnalysisWindows, RepeatControlShowsTheDifferenceAndWritesItsReport) {
  TRepeatControlWindow w(ref.Sheet(), "ref.ls", *questions, {}, root.Path().string());
  w.SetRepeatFile(root.File("log.ls"));
  ASSERT_TRUE(w.Compare());
  auto* table = w.findChild<QTableWidget*>("twStats");
  ASSERT_EQ(table->rowCount(), 2);  // GK and TEMP; DEPTH is the argument
  EXPECT_EQ(table->item(1, 0)->text(), "TEMP");
  // 1.3 m off depth at 0.03 per metre.
  EXPECT_EQ(table->item(1, 4)->text(), "-0.0390");
  w.resize(900, 480);
  Shot(w, "repeat_control_window.png");
  const std::string pdf = w.Report(root.Path().string(), false);
  ASSERT_EQ(pdf, root.File("Контроль повторного замера.pdf"));
  EXPECT_TRUE(fs::exists(root.File("Контроль повторного замера.odt")));
  auto text = testing::RunCommand("pdftotext -layout '" + pdf + "' -", false);
  ASSERT_EQ(text.code, 0);
  EXPECT_NE(text.out.find("Контроль повторного замера"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("-0.0390"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("log.ls"), std::string::npos) << text.out;
}

TEST_F(AnalysisWindows, StepAndFilterChangeTheOpenLog) {
  TStepFilterWindow w(log.Sheet(), *questions, kDefaultNullValue);
  int changed = 0, replaced = 0;
  w.OnChanged = [&] { ++changed; };
  w.OnTracksReplaced = [&] { ++replaced; };
  Shot(w, "step_filter_window.png");
  EXPECT_EQ(w.AddFilter("GK", FilterKind::Median, 50), "GK_MEDIAN");
  EXPECT_EQ(w.AddFilter("GK", FilterKind::Mean, 5), "");
  EXPECT_EQ(questions->Errors.back(), "Длина фильтра 0.05 меньше шага 0.10");
  ASSERT_TRUE(w.Resample(20, ResampleMethod::Linear));
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(replaced, 1);  // the new step only; a filter adds a track
  for (const char* name : {"DEPTH", "GK", "GK_MEDIAN"}) {
    const TLogTrack* t = log.Sheet().FindTrack(name);
    ASSERT_NE(t, nullptr) << name;
    EXPECT_EQ(t->Step(), 200);
    EXPECT_EQ(t->Count(), 1001);
  }
  EXPECT_EQ(log.Sheet().FindTrack("DEPTH")->Sample(500), 1100.0f);
}

}  // namespace
}  // namespace kest
