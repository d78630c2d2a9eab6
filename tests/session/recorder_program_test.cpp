#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "log/log_sheet.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

extern char** environ;

namespace kest {
namespace {

namespace fs = std::filesystem;

pid_t Spawn(std::vector<std::string> args, const std::string& out) {
  args.insert(args.begin(), KEST_TOOL_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

using test::Slurp;

// The recorder killed in the middle of a long run with auto-save on: the crash
// file it leaves holds every row up to the last auto-save, and the next start brings
// them back into the research, row by row.
TEST(RecorderProgram, AKilledRecorderLeavesRowsThatTheNextStartRestores) {
  testing::TempDir root;
  std::string crash = root.File("crash.tmp");
  pid_t pid = Spawn({"record", "--root", root.Path().string(), "--from", "1000", "--to", "3000",
                     "--speed", "14400", "--auto-save", "0.01", "--research", "K"},
                    root.File("out.txt"));
  ASSERT_GT(pid, 0);
  // Let a few auto-saves happen (the file grows every 0.6 s).
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline &&
         !(fs::exists(crash) && fs::file_size(crash) > 200 * 60))
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(pid, SIGKILL);
  int status = Wait(pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(fs::exists(crash)) << Slurp(root.File("out.txt"));

  TLogSheet left;
  left.LoadFromFile(crash, "TMP");
  TLogTrack* depth = left.FindTrack("DEPTH");
  ASSERT_NE(depth, nullptr);
  int rows = depth->Count();
  ASSERT_GE(rows, 200);
  EXPECT_EQ(depth->Step(), 100);
  EXPECT_EQ(depth->Origin(), 1000000);
  for (int i = 0; i < left.Count(); ++i) EXPECT_EQ(left.Tracks(i)->Count(), rows);
  // Evenly spaced rows, each taken at its own depth (the tool reports every 0.1 s:
  // at 4 m/s a value may be up to half a metre old).
  for (int k = 0; k < rows; ++k)
    ASSERT_NEAR(depth->Sample(k), depth->ArgumentOf(k) / 1000.0, 0.6) << "row " << k;
  EXPECT_FALSE(fs::exists(root.File("Research/K/001.ls")));

  pid =
      Spawn({"recover", "--root", root.Path().string(), "--research", "K"}, root.File("out2.txt"));
  ASSERT_EQ(Wait(pid), 0);
  std::string out = Slurp(root.File("out2.txt"));
  EXPECT_NE(out.find("recovered " + std::to_string(rows) + " rows"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(crash));
  TLogSheet restored;
  restored.LoadFromFile(root.File("Research/K/001.ls"), "LS");
  ASSERT_EQ(restored.Count(), left.Count());
  for (int t = 0; t < left.Count(); ++t) {
    const TLogTrack* was = left.Tracks(t);
    const TLogTrack* now = restored.FindTrack(was->Parameter());
    ASSERT_NE(now, nullptr) << was->Parameter();
    ASSERT_EQ(now->Count(), rows);
    EXPECT_EQ(now->Origin(), was->Origin());
    EXPECT_EQ(now->Step(), 100);
    for (int k = 0; k < rows; ++k)
      ASSERT_EQ(now->Sample(k), was->Sample(k)) << was->Parameter() << " row " << k;
  }
  EXPECT_EQ(Slurp(root.File("Research/K/files")), "001.ls=Восстановлено из crash.tmp");
}

// A time run keeps the tool still unless given a speed; with one the winch moves
// (negative: up) and the time log's depth follows it.
TEST(RecorderProgram, ATimeRunWithASpeedMovesTheTool) {
  testing::TempDir root;
  pid_t pid = Spawn({"record", "--root", root.Path().string(), "--mode", "time", "--from", "1000",
                     "--duration", "3", "--speed", "-3600", "--research", "T"},
                    root.File("out.txt"));
  ASSERT_EQ(Wait(pid), 0) << Slurp(root.File("out.txt"));
  TLogSheet saved;
  saved.LoadFromFile(root.File("Research/T/001.ls"), "LS");
  ASSERT_EQ(saved.Argument(), laTime);
  const TLogTrack* depth = saved.FindTrack("DEPTH");
  ASSERT_NE(depth, nullptr);
  ASSERT_GE(depth->Count(), 2);
  // 1 m/s up for about three seconds.
  EXPECT_NEAR(depth->Sample(0) - depth->Sample(depth->Count() - 1), 3.0, 1.2);
}

TEST(RecorderProgram, RecordsADepthRunIntoTheResearchAndPrintsThePath) {
  testing::TempDir root;
  pid_t pid =
      Spawn({"record", "--root", root.Path().string(), "--mode", "up", "--from", "1000", "--to",
             "1004", "--speed", "7200", "--research", "R", "--description", "Подъем 1"},
            root.File("out.txt"));
  ASSERT_EQ(Wait(pid), 0);
  std::string out = Slurp(root.File("out.txt"));
  std::string path = root.File("Research/R/001.ls");
  EXPECT_NE(out.find(path + "\n"), std::string::npos) << out;
  TLogSheet saved;
  saved.LoadFromFile(path, "LS");
  EXPECT_EQ(saved.FindTrack("DEPTH")->Count(), 41);
  EXPECT_EQ(saved.FindTrack("DEPTH")->Origin(), 1000000);
  EXPECT_EQ(Slurp(root.File("Research/R/files")), "001.ls=Подъем 1");
  std::string journal = Slurp(root.File("Research/R/journal"));
  EXPECT_NE(journal.find(" Research session started\r\n"), std::string::npos);
  EXPECT_NE(journal.find(" Logging complete\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(root.File("crash.tmp")));
}

}  // namespace
}  // namespace kest
