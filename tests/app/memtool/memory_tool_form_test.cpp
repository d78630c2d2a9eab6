// The memory tool's windows on the recorder, on the simulator and a fake clock.
#include "app/memtool/memory_tool_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <ctime>
#include <filesystem>
#include <vector>

#include "app/core/app_environment.h"
#include "app/core/main_settings.h"
#include "app/core/tool_selection.h"
#include "app/memtool/coef_edit_form.h"
#include "app/memtool/coef_form.h"
#include "app/memtool/memory_status_window.h"
#include "app/recorder/recorder_form.h"
#include "link/logger.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/memory_tool.h"
#include "recorder_on_simulator.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/settings.h"
#include "temp_dir.h"

namespace kest {
namespace {

class MemoryToolWindow : public testing::RecorderOnSimulator {
 protected:
  MemoryToolWindow() : RecorderOnSimulator("Автономный") {}
};

TEST_F(MemoryToolWindow, ChoosingTheMemoryToolOpensItsWindowAndTheWorkflowRuns) {
  ASSERT_EQ(window->MemoryForm(), nullptr);
  window->Action("LoggerSelect")->trigger();
  TBDMainForm* form = window->MemoryForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle(), "Управление автономным прибором");
  EXPECT_EQ(window->Logger().ProtocolMode(), 1);
  EXPECT_TRUE(window->Logger().Initialized());
  EXPECT_FALSE(window->Action("ShowDepth")->isEnabled());
  for (const char* name : {"aSyncClock", "aWriteTable", "aReadTable", "aLaunch", "ToKEST",
                           "aPassCoef", "aPassRaw", "aStandby", "aInfo", "aAddTask", "aDeleteTask"})
    ASSERT_NE(form->Action(name), nullptr) << name;
  EXPECT_EQ(form->Action("ToKEST")->toolTip(), "Читать дорожку");

  form->SyncClock();
  EXPECT_TRUE(answers->Errors.empty());
  EXPECT_NE(form->StatusText().find("Посл. синхр. часов"), std::string::npos) << form->StatusText();

  // A grid edit is checked at once and reported in the status bar only.
  form->EditCell(0, TTaskGrid::kStart, "31.13.26-10:00");
  EXPECT_EQ(form->StatusText(),
            "Недопустимое значение даты-времени в ячейке: 'Начало' задания '1'");
  EXPECT_TRUE(answers->Errors.empty());
  form->EditCell(0, TTaskGrid::kStart, LocalIn(60));
  form->EditCell(0, TTaskGrid::kEnd, LocalIn(70));
  form->EditCell(0, TTaskGrid::kTemperature, "4");
  form->EditCell(0, TTaskGrid::kDebit, "0");
  form->EditCell(0, TTaskGrid::kLocator, "0");
  form->AddTask();
  form->EditCell(1, TTaskGrid::kStart, LocalIn(65));  // inside task 1
  form->EditCell(1, TTaskGrid::kEnd, LocalIn(90));
  EXPECT_EQ(form->StatusText(), "Пересечение заданий 1 и 2");
  form->Launch();  // a toolbar command: the box too
  ASSERT_EQ(answers->Errors.size(), 1u);
  EXPECT_EQ(answers->Errors[0], "Пересечение заданий 1 и 2");
  EXPECT_FALSE(simulator->MemoryTool().Launched());
  form->DeleteTask();

  form->Launch();
  EXPECT_EQ(answers->Errors.size(), 1u) << answers->Errors.back();
  EXPECT_TRUE(simulator->MemoryTool().Launched());
  simulator->MemoryTool().FastForward(2);

  form->ReadTable();
  EXPECT_EQ(form->Tool().Table().Tasks(0).Status, TTask::kExecuted);
  form->GridWidget()->setCurrentCell(0, TTaskGrid::kPressure);
  form->ShowInfo(true);
  form->ReadTrack();
  EXPECT_EQ(answers->Errors.size(), 1u) << answers->Errors.back();
  EXPECT_EQ(form->StatusText(), "Прочитано строк: 600");
  TLogTrack* pressure = window->Sheet().FindTrack("PRESSURE");
  ASSERT_NE(pressure, nullptr);
  EXPECT_EQ(pressure->Count(), 600);
  EXPECT_EQ(window->Sheet().FindTrack("TEMPERATURE")->Count(), 600);
  EXPECT_GT(pressure->Sample(599), pressure->Sample(0));  // on the way down
  EXPECT_TRUE(answers->Warnings.empty());

  // The grid edited after the launch (the pressure every 5 s): the read-out still
  // reads the task the tool ran, and says the grid shows it otherwise.
  form->EditCell(0, TTaskGrid::kPressure, "5");
  form->ReadTrack();
  EXPECT_EQ(answers->Errors.size(), 1u) << answers->Errors.back();
  EXPECT_EQ(window->Sheet().FindTrack("PRESSURE")->Count(), 600);
  ASSERT_EQ(answers->Warnings.size(), 1u);
  EXPECT_EQ(answers->Warnings[0],
            "Задание 1 прочитано по таблице прибора: в таблице на экране оно другое");
  form->EditCell(0, TTaskGrid::kPressure, "1");

  QApplication::processEvents();
  Shot(*form, "memory_tool_form.png");
  Shot(*form->InfoWindow(), "memory_tool_info.png");
  Shot(*window, "memory_tool_readout.png");

  // Closed, the window lets the logger go; another string gives the wireline
  // protocol back.
  form->close();
  QApplication::processEvents();
  EXPECT_EQ(window->MemoryForm(), nullptr);
  EXPECT_FALSE(window->Logger().Initialized());
  ToolSelection::Memory wireline;
  ToolSelection::Save(settings, "LogRecorder", wireline);
  window->Action("LoggerSelect")->trigger();
  EXPECT_EQ(window->MemoryForm(), nullptr);
  EXPECT_EQ(window->Logger().ProtocolMode(), 0);
  EXPECT_TRUE(window->Action("ShowDepth")->isEnabled());
}

// The memory tool's windows open next to the window they belong to, whole on the
// screen and clear of the recorder's menu, also with the recorder in the screen's
// top left corner and little room beside it.
TEST_F(MemoryToolWindow, ItsWindowsOpenWholeOnTheScreenAndClearOfTheMenu) {
  window->move(0, 0);
  window->resize(520, 420);
  QApplication::processEvents();
  window->Action("LoggerSelect")->trigger();
  TBDMainForm* form = window->MemoryForm();
  ASSERT_NE(form, nullptr);
  // Every column of the task table in sight, and the status line with room.
  QApplication::processEvents();
  EXPECT_EQ(form->GridWidget()->horizontalScrollBar()->maximum(), 0) << form->width();
  form->ShowInfo(true);
  form->ShowCoefficients();
  ASSERT_NE(form->CoefForm(), nullptr);
  form->CoefForm()->ShowMeasurements();
  QApplication::processEvents();
  const QRect area = window->screen()->availableGeometry();
  const QRect menu(window->menuBar()->mapToGlobal(QPoint(0, 0)), window->menuBar()->size());
  std::vector<QWidget*> windows{form, form->InfoWindow(), form->CoefForm(),
                                form->CoefForm()->EditForm()};
  for (QWidget* w : windows) {
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible()) << w->windowTitle().toStdString();
    // (The test screen is 800 pixels wide: wider windows cannot be whole on it.)
    if (w->width() <= area.width()) {
      EXPECT_TRUE(area.contains(w->frameGeometry()))
          << w->windowTitle().toStdString() << " at " << w->x() << "," << w->y();
    }
    EXPECT_FALSE(w->frameGeometry().intersects(menu)) << w->windowTitle().toStdString();
  }
}

// The recorder closed as the program quits, with every window of the memory tool open
// (its control and information windows, the coefficients and their measurements,
// the recorder's own tool windows): the windows go with it, nothing of theirs runs
// afterwards, and the window's settings are written.
TEST_F(MemoryToolWindow, TheRecorderClosesWithEveryToolWindowOpen) {
  window->Action("LoggerSelect")->trigger();
  TBDMainForm* form = window->MemoryForm();
  ASSERT_NE(form, nullptr);
  form->ShowInfo(true);
  form->ShowCoefficients();
  ASSERT_NE(form->CoefForm(), nullptr);
  form->CoefForm()->ShowMeasurements();
  window->Action("ShowInfo")->trigger();
  QApplication::processEvents();
  window->resize(1000, 640);
  // As the program quits: every window is asked to close, the tool windows too.
  QApplication::closeAllWindows();
  EXPECT_FALSE(window->isVisible());
  window.reset();
  QApplication::processEvents();
  EXPECT_EQ(settings.GetInt(MainFormPath(AppMode::amRecorder), "Width", 0), 1000);
}

}  // namespace
}  // namespace kest
