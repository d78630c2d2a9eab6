#include "support/settings.h"

#include <gtest/gtest.h>

#include "fake_clock.h"

namespace kest {
namespace {

TEST(Settings, TypedValuesRoundTripAndFallBackToDefaults) {
  MemorySettings s;
  s.SetInt("LogRecorder/Main form", "Left", -12);
  s.SetBool("Settings", "AutoSave", true);
  s.SetFloat("Settings", "Scale", 0.25);
  s.SetString("Settings", "Port", "SIM");
  EXPECT_EQ(s.GetInt("LogRecorder/Main form", "Left"), -12);
  EXPECT_TRUE(s.GetBool("Settings", "AutoSave"));
  EXPECT_DOUBLE_EQ(s.GetFloat("Settings", "Scale"), 0.25);
  EXPECT_EQ(s.GetString("Settings", "Port"), "SIM");
  EXPECT_EQ(s.GetInt("Settings", "Port", 7), 7);  // not a number
  EXPECT_EQ(s.GetInt("Nowhere", "Left", 3), 3);
  EXPECT_EQ(s.Keys("Settings"), (std::vector<std::string>{"AutoSave", "Port", "Scale"}));
  s.Remove("Settings", "Port");
  EXPECT_FALSE(s.Contains("Settings", "Port"));

  // Reading for a settings pass: a missing or unreadable value is "not there" and
  // leaves the target alone.
  int left = 5;
  bool flag = true;
  EXPECT_TRUE(s.ReadInt("LogRecorder/Main form", "Left", left));
  EXPECT_EQ(left, -12);
  EXPECT_FALSE(s.ReadInt("Settings", "Port", left));
  EXPECT_EQ(left, -12);
  s.SetString("Settings", "Maybe", "yes");
  EXPECT_FALSE(s.ReadBool("Settings", "Maybe", flag));
  EXPECT_FALSE(s.ReadBool("Settings", "Gone", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(s.ReadBool("Settings", "AutoSave", flag));
}

TEST(FakeClock, SleepAdvancesTime) {
  testing::FakeClock clock(100);
  clock.SleepMs(25);
  clock.Advance(5);
  EXPECT_EQ(clock.NowMs(), 130);
}

}  // namespace
}  // namespace kest
