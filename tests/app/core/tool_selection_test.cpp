#include "app/core/tool_selection.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/app_environment.h"
#include "fake_clock.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_module.h"
#include "support/settings.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

bool Has(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

class ShippedData : public ::testing::Test {
 protected:
  AppEnvironment env{test::DataRoot()};
  ToolSelection rules{env.Classes(), env.Defs()};
};

TEST_F(ShippedData, ListsOfferModulesByKindAndDetectionMode) {
  auto main = rules.MainList();
  EXPECT_TRUE(Has(main, "ТЕЛЕМЕТРИЯ"));
  EXPECT_FALSE(Has(main, "ГК-НК"));
  auto manual = rules.BaseList(false);
  EXPECT_TRUE(Has(manual, "ГК-НК #7"));
  EXPECT_TRUE(Has(manual, "ИК #3"));
  EXPECT_FALSE(Has(manual, "ТМ #5"));
  // Automatic: only the classes whose number the tool reports, by class name.
  auto automatic = rules.BaseList(true);
  EXPECT_TRUE(Has(automatic, "ГК"));
  EXPECT_FALSE(Has(automatic, "ГК-НК"));
  EXPECT_FALSE(Has(automatic, "ГК #12"));
  EXPECT_EQ(rules.InterjacentList().front(), "(нет)");
  EXPECT_TRUE(Has(rules.InterjacentList(), "ТМ #5"));
  auto terminal = rules.TerminalList();
  ASSERT_GE(terminal.size(), 3u);
  EXPECT_EQ(terminal[0], "(нет)");
  EXPECT_EQ(terminal[1], "КАВЕРНОМЕР");  // auto-detectable first, then every definition
  EXPECT_TRUE(Has(terminal, "КАВЕРНОМЕР #2"));
}

TEST_F(ShippedData, OkNeedsABaseModuleAndBothAdditionalChoicesWhenTheyAreShown) {
  ToolString s = ToolString::Shipped();
  EXPECT_TRUE(rules.CanAccept(s));
  EXPECT_TRUE(rules.AdditionalVisible(s.Main, s.Base));
  EXPECT_FALSE(rules.CanAccept({s.Main, "", "", ""}));
  EXPECT_FALSE(rules.CanAccept({s.Main, s.Base, "", "(нет)"}));
  // A standalone base module hides the additional lists: their choices do not count.
  ToolString standalone{s.Main, "ИК #3", "", ""};
  EXPECT_FALSE(rules.AdditionalVisible(standalone.Main, standalone.Base));
  EXPECT_TRUE(rules.CanAccept(standalone));
  EXPECT_EQ(rules.Effective({s.Main, "ИК #3", "ТМ #5", "КАВЕРНОМЕР #2"}).Interjacent, "");
}

TEST_F(ShippedData, NoneForBothAdditionalModulesLoadsOnlyTheMainAndBaseModules) {
  HeadlessHost host;
  testing::FakeClock clock;
  TLogger logger(host, clock, env.Classes());
  int system_modules = logger.ModuleCount();
  LoadToolString(logger, env.Classes(), env.Defs(), {"ТЕЛЕМЕТРИЯ", "ГК-НК #7", "(нет)", "(нет)"});
  EXPECT_EQ(logger.ModuleCount(), system_modules + 2);
  LoadToolString(logger, env.Classes(), env.Defs(), ToolString::Shipped());
  EXPECT_EQ(logger.ModuleCount(), system_modules + 4);
  // A failing string leaves no tool module behind.
  EXPECT_ANY_THROW(
      LoadToolString(logger, env.Classes(), env.Defs(), {"ТЕЛЕМЕТРИЯ", "ГК-НК #99", "", ""}));
  EXPECT_EQ(logger.ModuleCount(), system_modules);
}

TEST(ToolSelectionMemory, EachDetectionModeRemembersItsOwnChoice) {
  MemorySettings s;
  ToolSelection::Memory fresh = ToolSelection::Load(s, "LogRecorder");
  EXPECT_FALSE(fresh.AutoDetect);
  EXPECT_EQ(fresh.Current().Base, ToolString::Shipped().Base);
  ToolSelection::Memory m = fresh;
  m.AutoDetect = true;
  m.Automatic = {"ТЕЛЕМЕТРИЯ", "ГК", "(нет)", "КАВЕРНОМЕР"};
  ToolSelection::Save(s, "LogRecorder", m);
  ToolSelection::Memory back = ToolSelection::Load(s, "LogRecorder");
  EXPECT_EQ(back.Current().Base, "ГК");
  back.AutoDetect = false;
  EXPECT_EQ(back.Current().Base, "ГК-НК #7");
}

}  // namespace
}  // namespace kest

namespace kest {
namespace {

TEST_F(ShippedData, TheLayoutNameOfAStringFollowsItsModules) {
  HeadlessHost host;
  testing::FakeClock clock;
  TLogger logger(host, clock, env.Classes());
  LoadToolString(logger, env.Classes(), env.Defs(), ToolString::Shipped());
  EXPECT_EQ(ToolStringLayoutName(logger), "ТЕЛЕМЕТРИЯ ГК-НК ТМ КАВЕРНОМЕР");
  LoadToolString(logger, env.Classes(), env.Defs(), {"ТЕЛЕМЕТРИЯ", "ИК #3", "", ""});
  EXPECT_EQ(ToolStringLayoutName(logger), "ТЕЛЕМЕТРИЯ ИК");
}

}  // namespace
}  // namespace kest
