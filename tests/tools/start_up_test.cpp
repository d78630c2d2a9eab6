#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "run_command.h"
#include "support/errors.h"
#include "support/fatal_error.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

using Result = testing::CommandResult;

// Runs `command` (shell syntax) with stderr joined to stdout.
Result RunShell(const std::string& command) { return testing::RunCommand(command, true); }

// The programs see KEST_ROOT=`root`, no screen, and a lock folder of their own, so
// a recorder running on the machine does not stop this one at once.
class StartUp : public ::testing::Test {
 protected:
  std::string Env(const std::string& root) const {
    return "env KEST_ROOT='" + root + "' QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" +
           runtime_.Path().string() + "' ";
  }
  testing::TempDir runtime_;
};

const std::string kProcMessage =
    "EInstallationError: Папка установки \"/proc\" недоступна: запись невозможна (";

TEST_F(StartUp, KestOnAnUnusableRootSaysWhyOnceAndExitsWithOne) {
  for (const char* mode : {"", " EDIT"}) {
    Result r = RunShell(Env("/proc") + KEST_PATH + mode);
    EXPECT_EQ(r.code, 1) << mode << ": " << r.out;
    EXPECT_EQ(r.out.rfind(kProcMessage, 0), 0u) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line only: " << r.out;
  }
  // The diagnostic log next to the program has it too.
  std::ifstream log(fs::path(KEST_PATH).replace_extension(".log"));
  std::string text{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
  EXPECT_NE(text.find("x " + kProcMessage), std::string::npos);
}

// A mode that does not exist, on a machine without any display (a terminal on a
// server, a service): told on stderr, status 1, no abort.
TEST_F(StartUp, KestWithAWrongModeAndNoDisplaySaysSoAndExitsWithOne) {
  testing::TempDir root;
  Result r = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM KEST_ROOT='" +
                      root.Path().string() + "' " + KEST_PATH + " VIEW");
  EXPECT_EQ(r.code, 1) << r.out;
  EXPECT_EQ(r.out, "Invalid parameter \"VIEW\"\n");
}

TEST_F(StartUp, KestToolOnAnUnusableRootSaysWhyAndExitsWithOne) {
  const std::string las = test::TestDataDir() + "/las/sample_2.0.las";
  for (const std::string& args :
       {"info " + las, std::string("record --to 1001"), "convert " + las + " /tmp/x.ls"}) {
    Result r = RunShell(Env("/proc") + KEST_TOOL_PATH + " " + args);
    EXPECT_EQ(r.code, 1) << args << ": " << r.out;
    EXPECT_EQ(r.out.rfind(kProcMessage, 0), 0u) << args << ": " << r.out;
  }
  Result r = RunShell(std::string(KEST_TOOL_PATH) + " info " + las + " --root /proc/kest");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\"/proc/kest\" недоступна: не удаётся создать папку"), std::string::npos)
      << r.out;
}

TEST_F(StartUp, KestToolCompletesAnEmptyRootFromTheTemplate) {
  testing::TempDir root;
  Result r = RunShell(Env(root.Path().string()) + KEST_TOOL_PATH + " modules");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(fs::is_regular_file(root.Path() / "Data/Classes/System"));
  EXPECT_NE(r.out.find("SYSTEM"), std::string::npos) << r.out;
}

TEST(LastResort, AnExceptionLeavingAThreadIsReportedBeforeTheAbort) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        InstallTerminateHandler();
        std::thread([] { throw EKestError("lost in a thread"); }).join();
      },
      "EKestError: lost in a thread");
}

}  // namespace
}  // namespace kest
