// Round after round on the recorder and the simulator, on the fake clock: each tool
// string in turn with every one of its windows opened and closed, a little recorded
// and read out. Nothing may go wrong on a later round that went right on the first,
// and the heap must not grow from round to round.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPixmapCache>
#include <QTableWidget>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/core/recorder.h"
#include "app/core/tool_selection.h"
#include "app/memtool/coef_edit_form.h"
#include "app/memtool/coef_form.h"
#include "app/memtool/memory_status_window.h"
#include "app/memtool/memory_tool_form.h"
#include "app/memtool/surface_recorder_form.h"
#include "app/office/time_to_depth_window.h"
#include "link/logger.h"
#include "link/logger_module.h"
#include "live_heap.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/memory_tool.h"
#include "recorder_on_simulator.h"

namespace kest {
namespace {

// The surface recorder holds a run of the winch down to 150 m and up again.
sim::SimSettings WinchRunInTheRecorder() {
  sim::SimSettings s;
  s.surface_recorder.initial_time = LocalToolTime();
  s.surface_recorder.history_h = 0.1;
  s.surface_recorder.profile = {{0, 0}, {0.05, 150}, {0.1, 20}};
  return s;
}

// Rounds of the run: KEST_RELIABILITY_ROUNDS, else a short run of three.
int Rounds() {
  const char* text = std::getenv("KEST_RELIABILITY_ROUNDS");
  const int n = text ? std::atoi(text) : 0;
  return n >= 3 ? n : 3;
}

class RecorderRounds : public testing::RecorderOnSimulator {
 protected:
  RecorderRounds() : RecorderOnSimulator("", WinchRunInTheRecorder()) { answers->Yes = true; }

  void Choose(const char* main) {
    ToolSelection::Memory chosen;
    if (*main) chosen.Manual = {main, "", "", ""};
    ToolSelection::Save(settings, "LogRecorder", chosen);
    ASSERT_TRUE(window->Action("LoggerSelect")->isEnabled());
    window->Action("LoggerSelect")->trigger();
  }

  // A checkable tool-window command of the recorder, to `on`.
  void Show(const char* name, bool on) {
    QAction* a = window->Action(name);
    ASSERT_TRUE(a->isEnabled()) << name;
    if (a->isChecked() != on) a->trigger();
    EXPECT_EQ(a->isChecked(), on) << name;
  }

  // Windows closed with close() go on the next turn of the event loop.
  static void Settle() {
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QApplication::processEvents();
    }
  }

  // The wireline string: powered, its depth panel and information window shown,
  // recorded by time for a while, stopped, powered off; the time-to-depth window
  // opened and closed over it.
  void WirelineRound(int round) {
    SCOPED_TRACE("wireline");
    Choose("");
    EXPECT_EQ(window->MemoryForm(), nullptr);
    EXPECT_EQ(window->SurfaceForm(), nullptr);
    EXPECT_EQ(window->Logger().ProtocolMode(), 0);
    ASSERT_GT(window->Sheet().Count(), 3);
    ASSERT_TRUE(window->Action("LoggerPower")->isEnabled());
    window->Action("LoggerPower")->trigger();
    ASSERT_TRUE(window->Logger().Initialized());
    Show("ShowDepth", true);
    Show("ShowInfo", true);
    QApplication::processEvents();
    window->Action("RecordTime")->trigger();
    ASSERT_TRUE(window->Core().State().Recording) << "round " << round;
    Run(2000);
    EXPECT_GT(window->Sheet().Tracks(0)->Count(), 10) << "round " << round;
    window->Action("RecordStop")->trigger();
    EXPECT_FALSE(window->Core().State().Recording);
    window->Action("LoggerPower")->trigger();
    EXPECT_FALSE(window->Logger().Initialized());
    Show("ShowDepth", false);
    Show("ShowInfo", false);

    {
      TTimeToDepthWindow depth(*answers, LogFileOptions{}, root.Path().string(), window.get());
      depth.show();
      QApplication::processEvents();
      depth.reject();
    }
  }

  // The memory tool: programmed, run on its own clock, read out, with its
  // information, coefficient and measurement windows opened and closed again.
  void MemoryRound(int round) {
    SCOPED_TRACE("memory tool");
    Choose("Автономный");
    TBDMainForm* form = window->MemoryForm();
    ASSERT_NE(form, nullptr);
    form->ShowInfo(true);
    form->ShowCoefficients();
    ASSERT_NE(form->CoefForm(), nullptr);
    form->CoefForm()->ShowMeasurements();
    ASSERT_NE(form->CoefForm()->EditForm(), nullptr);
    QApplication::processEvents();

    form->EditCell(0, TTaskGrid::kStart, LocalIn(60));
    form->EditCell(0, TTaskGrid::kEnd, LocalIn(65));
    form->EditCell(0, TTaskGrid::kPressure, "1");
    form->Launch();
    ASSERT_TRUE(simulator->MemoryTool().Launched()) << "round " << round;
    simulator->MemoryTool().FastForward(2);
    form->ReadTable();
    ASSERT_EQ(form->Tool().Table().Tasks(0).Status, TTask::kExecuted) << "round " << round;
    form->GridWidget()->setCurrentCell(0, TTaskGrid::kPressure);
    form->ReadTrack();
    EXPECT_EQ(form->StatusText(), "Прочитано строк: 300") << "round " << round;
    TLogTrack* pressure = window->Sheet().FindTrack("PRESSURE");
    ASSERT_NE(pressure, nullptr);
    EXPECT_EQ(pressure->Count(), 300);

    form->CoefForm()->EditForm()->close();
    form->CoefForm()->close();
    form->InfoWindow()->close();
    form->close();
    Settle();
    EXPECT_EQ(window->MemoryForm(), nullptr);
    EXPECT_FALSE(window->Logger().Initialized());
  }

  // The surface recorder: to standby, tested twice, its zero page and its data read,
  // set recording again.
  void SurfaceRound(int round) {
    SCOPED_TRACE("surface recorder");
    Choose("Наземный");
    TSCMain* form = window->SurfaceForm();
    ASSERT_NE(form, nullptr);
    form->Standby();
    form->Test();
    EXPECT_EQ(form->StatusRow(3), "Работает") << "round " << round;
    form->Test();
    EXPECT_EQ(form->StatusText(), "Тестирование завершено");
    form->ReadZeroPage();
    EXPECT_EQ(form->StatusText(), "Нулевая страница прочитана");
    form->ReadData();
    EXPECT_EQ(form->StatusText(), "Данные считались.") << "round " << round;
    TLogTrack* depth = window->Sheet().FindTrack("DEPTH");
    ASSERT_NE(depth, nullptr);
    EXPECT_GT(depth->Count(), 100);
    // Back to recording: it starts afresh, and six minutes later the next round
    // finds six minutes of records.
    form->MainMode();
    form->close();
    clock.Advance(6 * 60 * 1000);
    Settle();
    EXPECT_EQ(window->SurfaceForm(), nullptr);
  }
};

// Every round repeats the first: the same windows, the same read-outs, no box with an
// error, and from the second round on the heap stays where it was. The first round
// is left out of the comparison: it fills what lives as long as the program (fonts,
// the style's pixmaps, translations, the tool classes read once). Qt's pixmap cache
// is emptied before each measure: it is bounded (10 MB) and every memory-tool window
// adds its tool bar's icons to it. What remains is Qt's too (its glyph and painting
// caches, about 15 KiB a round on this machine, none of it allocated by our code), so
// the heap may grow by 64 KiB and 24 KiB a round; a window or a read-out kept per
// round is larger than that.
TEST_F(RecorderRounds, EveryToolStringAndItsWindowsRoundAfterRound) {
  const int rounds = Rounds();
  std::vector<size_t> heap;
  for (int round = 1; round <= rounds; ++round) {
    WirelineRound(round);
    MemoryRound(round);
    SurfaceRound(round);
    ASSERT_FALSE(HasFatalFailure()) << "round " << round;
    EXPECT_TRUE(answers->Errors.empty()) << "round " << round << ": " << answers->Errors.front();
    answers->Errors.clear();
    answers->Warnings.clear();
    answers->Asked.clear();
    answers->Dialogs.clear();
    Settle();
    QPixmapCache::clear();  // Qt's, bounded (10 MB): each new tool bar adds its icons
    heap.push_back(testing::LiveHeapBytes());
  }
  const long long grown = static_cast<long long>(heap.back()) - static_cast<long long>(heap[1]);
  std::string figures;
  for (size_t b : heap) figures += " " + std::to_string(b);
  const long long tolerance = (64 + 24 * (rounds - 2)) * 1024;
  RecordProperty("live_heap_per_round", figures);
  EXPECT_LT(grown, tolerance) << "live heap after each round:" << figures;

  // The recorder still closes cleanly after it all.
  window->resize(1000, 640);
  QApplication::closeAllWindows();
  window.reset();
  QApplication::processEvents();
}

}  // namespace
}  // namespace kest
