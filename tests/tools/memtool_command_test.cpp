#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "run_command.h"
#include "temp_dir.h"

namespace kest {
namespace {

testing::CommandResult Tool(const std::string& args, const testing::TempDir& root) {
  return testing::RunCommand(
      std::string(KEST_TOOL_PATH) + " memtool " + args + " --root " + root.Path().string(), true);
}

// "dd.mm.yy-hh:mm" of the local time `minutes` from now (the tool's clock is set from
// the local time when it is launched).
std::string LocalIn(int minutes) {
  std::time_t t = std::time(nullptr) + minutes * 60;
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%d.%m.%y-%H:%M", &tm);
  return buf;
}

// The whole workflow without a screen, on the simulator behind "SIM", whose memory
// lives in the installation between the commands.
TEST(MemToolCommand, ProgramLaunchFastForwardAndReadOut) {
  testing::TempDir root, out;
  std::ofstream(out.File("tasks.txt"))
      << "# mode start end pressure temperature flow locator\n"
      << "1 " << LocalIn(60) << " " << LocalIn(70) << " 1 4 0 0\n"
      << "1 " << LocalIn(80) << " " << LocalIn(100) << " 0 -8 0 2\n";
  auto r = Tool("status", root);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("Всего памяти(КБ)\t4224"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Питание прибора\tБатареи"), std::string::npos);

  r = Tool("tasks --write " + out.File("tasks.txt"), root);
  ASSERT_EQ(r.code, 0) << r.out;
  r = Tool("run --fast-forward 3", root);
  ASSERT_EQ(r.code, 0) << r.out;
  r = Tool("tasks --read", root);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out.find("не выполнено"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0 -8 0 2  # выполнено ch1 8+10 ch3 18+3"), std::string::npos) << r.out;

  r = Tool("read 1 " + out.File("one.ls"), root);
  ASSERT_EQ(r.code, 0) << r.out;
  TLogSheet sheet;
  sheet.LoadFromFile(out.File("one.ls"), "LS");
  ASSERT_EQ(sheet.Count(), 2);
  EXPECT_EQ(sheet.Argument(), laTime);
  EXPECT_EQ(sheet.FindTrack("PRESSURE")->Count(), 600);  // 10 min at 1 s
  EXPECT_EQ(sheet.FindTrack("TEMPERATURE")->Count(), 600);
  // Under way down: the pressure grows along the task.
  EXPECT_GT(sheet.FindTrack("PRESSURE")->Sample(599), sheet.FindTrack("PRESSURE")->Sample(0));

  r = Tool("read 2 " + out.File("two.las"), root);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("строк 2400"), std::string::npos) << r.out;  // 20 min at 0.5 s

  r = Tool("read 3 " + out.File("three.ls"), root);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("В приборе нет задания 3"), std::string::npos) << r.out;
}

TEST(MemToolCommand, ATaskNotRunIsNotReadOut) {
  testing::TempDir root, out;
  std::ofstream(out.File("tasks.txt")) << "1 " << LocalIn(60) << " " << LocalIn(70) << " 1 4 0 0\n";
  auto r = Tool("tasks --write " + out.File("tasks.txt"), root);
  ASSERT_EQ(r.code, 0) << r.out;
  r = Tool("read 1 " + out.File("one.ls"), root);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Задание 1 не выполнено: читать нечего"), std::string::npos) << r.out;
  EXPECT_FALSE(std::ifstream(out.File("one.ls")).good());
  // The task file's format is in the help (and so in the manual page).
  r = testing::RunCommand(std::string(KEST_TOOL_PATH) + " help", true);
  EXPECT_NE(r.out.find("MODE START END PRESSURE TEMPERATURE FLOW LOCATOR"), std::string::npos);
}

TEST(MemToolCommand, ABadTaskFileIsRefusedBeforeAnythingIsSent) {
  testing::TempDir root, out;
  std::ofstream(out.File("tasks.txt")) << "1 01.01.27-10:00 01.01.27-12:00 1 0 0 0\n"
                                       << "1 01.01.27-12:00 01.01.27-13:00 1 0 0 0\n";
  auto r = Tool("tasks --write " + out.File("tasks.txt"), root);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Пересечение заданий 1 и 2"), std::string::npos) << r.out;
  std::ofstream(out.File("bad.txt")) << "1 32.01.27-10:00 01.01.27-12:00 1 0 0 0\n";
  r = Tool("tasks --write " + out.File("bad.txt"), root);
  EXPECT_NE(r.out.find("Недопустимое значение даты-времени в ячейке: 'Начало' задания '1'"),
            std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace kest
