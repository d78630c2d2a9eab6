#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/port_list.h"
#include "app/core/recent_files.h"
#include "app/core/single_instance.h"
#include "support/settings.h"
#include "temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

TEST(RecentFiles, KeepsEightMostRecentFirstAndANinthDropsTheOldest) {
  RecentFiles mru;
  for (int i = 1; i <= 8; ++i) mru.Add("/logs/" + std::to_string(i) + ".las");
  EXPECT_EQ(mru.Items().front(), "/logs/8.las");
  mru.Add("/logs/3.las");  // reopening moves it up, nothing is dropped
  EXPECT_EQ(mru.Items().size(), 8u);
  EXPECT_EQ(mru.Items().front(), "/logs/3.las");
  EXPECT_EQ(mru.Items().back(), "/logs/1.las");
  mru.Add("/logs/9.las");
  EXPECT_EQ(mru.Items().size(), 8u);
  EXPECT_EQ(mru.Items().front(), "/logs/9.las");
  EXPECT_EQ(mru.Items().back(), "/logs/2.las");
}

TEST(RecentFiles, StoredListKeepsOnlyFilesThatStillExistAndIsRewrittenWhole) {
  testing::TempDir dir;
  std::ofstream(dir.File("a.ls")) << "x";
  std::ofstream(dir.File("b.ls")) << "x";
  MemorySettings s;
  const std::string path = "LogEditor/Main form/MRU files";
  s.SetString(path, "7", "stale entry");
  RecentFiles out;
  out.Add(dir.File("gone.ls"));
  out.Add(dir.File("b.ls"));
  out.Add(dir.File("a.ls"));
  out.Save(s, path);
  EXPECT_EQ(s.Keys(path).size(), 3u);
  RecentFiles in;
  in.Load(s, path);
  EXPECT_EQ(in.Items(), (std::vector<std::string>{dir.File("a.ls"), dir.File("b.ls")}));
}

TEST(RecentFiles, CaptionsShowPathsUnderTheRootRelativeAndResolveBack) {
  testing::TempDir root;
  fs::create_directories(root.Path() / "Logs");
  std::ofstream(root.File("Logs/001.ls")) << "x";
  std::string caption = RecentFiles::Caption(0, root.File("Logs/001.ls"), root.Path().string());
  EXPECT_EQ(caption, "&1 Logs/001.ls");
  EXPECT_EQ(RecentFiles::FromCaption(caption, root.Path().string()),
            root.Path().string() + "/Logs/001.ls");
  EXPECT_EQ(RecentFiles::Caption(1, "/elsewhere/x.las", root.Path().string()),
            "&2 /elsewhere/x.las");
}

TEST(SingleInstance, ASecondRecorderIsRefusedUntilTheFirstEnds) {
  testing::TempDir runtime;
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  std::string saved = old ? old : "";
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  {
    SingleInstanceLock first("LogRecorder");
    EXPECT_TRUE(first.Acquired());
    EXPECT_EQ(fs::path(first.Path()).parent_path(), runtime.Path());
    SingleInstanceLock second("LogRecorder");
    EXPECT_FALSE(second.Acquired());
    // The second start knocks; the first hears it once, and only the holder listens.
    EXPECT_FALSE(first.TakeKnocks());
    EXPECT_TRUE(second.Knock());
    EXPECT_TRUE(second.Knock());
    EXPECT_TRUE(first.TakeKnocks());
    EXPECT_FALSE(first.TakeKnocks());
    EXPECT_EQ(second.KnockFd(), -1);
    EXPECT_EQ(fs::status(first.Path() + ".sock").permissions() & fs::perms::group_all,
              fs::perms::none);
  }
  EXPECT_FALSE(fs::exists(runtime.File("kest-LogRecorder.lock.sock")));
  SingleInstanceLock again("LogRecorder");
  EXPECT_TRUE(again.Acquired());
  if (old)
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(PortList, ListsUsbAdaptersAndBoardPortsWithAUartThenTheSimulator) {
  testing::TempDir dev, sys;
  for (const char* name : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "tty0", "null"})
    std::ofstream(dev.File(name)) << "";
  for (auto [name, type] : {std::pair{"ttyS0", "4"}, std::pair{"ttyS1", "0"}}) {
    fs::create_directories(sys.Path() / name);
    std::ofstream(sys.File(std::string(name) + "/type")) << type << "\n";
  }
  std::string d = dev.Path().string();
  EXPECT_EQ(ListPorts(d, sys.Path().string()),
            (std::vector<std::string>{d + "/ttyACM0", d + "/ttyS0", d + "/ttyUSB0", d + "/ttyUSB1",
                                      "SIM"}));
  EXPECT_FALSE(CanOpenPort(d + "/missing"));
}

}  // namespace
}  // namespace kest
