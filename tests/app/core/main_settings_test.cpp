#include "app/core/main_settings.h"

#include <gtest/gtest.h>

#include "app/core/setup_values.h"
#include "support/settings.h"

namespace kest {
namespace {

const std::string kForm = "LogRecorder/Main form";

// A store as a complete earlier run of the recorder leaves it.
MemorySettings FullRecorderStore() {
  MemorySettings s;
  s.SetInt("LogRecorder", "LasSaveStep", 5);
  s.SetBool(kForm, "Maximized", false);
  s.SetInt(kForm, "Left", 10);
  s.SetInt(kForm, "Top", 20);
  s.SetInt(kForm, "Width", 800);
  s.SetInt(kForm, "Height", 600);
  s.SetString(kForm, "Default layout", "ГК");
  for (const char* key : {"MLArea", "MLStep", "MLStep2", "MLSubStep", "MLOffset2", "MLPos2"})
    s.SetFloat(kForm, key, 1);
  s.SetInt(kForm, "RecordStep", 100);
  s.SetBool("Settings", "Setted", true);
  s.SetInt("Settings", "SaveFiles", 1);
  s.SetString("Settings", "Port", "/dev/ttyUSB0");
  return s;
}

MainSettings Load(const Settings& s, AppMode mode = AppMode::amRecorder) {
  MainSettings m;
  m.Port = "SIM";
  LoadMainSettings(s, mode, m,
                   [&] { return mode != AppMode::amRecorder || RecorderSettingsComplete(s); });
  return m;
}

TEST(MainSettingsLoad, ACompleteStoreIsReadToTheEnd) {
  MainSettings m = Load(FullRecorderStore());
  EXPECT_EQ(m.LoadedUpTo, MainSettings::Reached::rComplete);
  EXPECT_EQ(m.LasSaveStep, 5);
  EXPECT_TRUE(m.HasBounds);
  EXPECT_EQ(m.Width, 800);
  EXPECT_EQ(m.DefaultLayout, "ГК");
  EXPECT_EQ(m.SaveFiles, 1);
  EXPECT_EQ(m.Port, "/dev/ttyUSB0");
  EXPECT_FALSE(m.SetupDue);
}

TEST(MainSettingsLoad, WithoutMLAreaTheLaterRecorderSettingsAreNotReadAndNoDialogIsDue) {
  MemorySettings s = FullRecorderStore();
  s.Remove(kForm, "MLArea");
  MainSettings m = Load(s);
  EXPECT_EQ(m.LoadedUpTo, MainSettings::Reached::rModePart);
  EXPECT_EQ(m.Port, "SIM");  // default kept
  EXPECT_EQ(m.SaveFiles, 0);
  EXPECT_FALSE(m.SetupDue);
  EXPECT_EQ(m.DefaultLayout, "ГК");  // read before the stop
}

TEST(MainSettingsLoad, AMissingNumberEndsThePassWhereItIs) {
  MemorySettings s = FullRecorderStore();
  s.Remove("LogRecorder", "LasSaveStep");
  EXPECT_EQ(Load(s).LoadedUpTo, MainSettings::Reached::rMode);
  EXPECT_EQ(Load(s).DefaultLayout, "");

  MemorySettings bad = FullRecorderStore();
  bad.SetString(kForm, "Width", "wide");
  EXPECT_EQ(Load(bad).LoadedUpTo, MainSettings::Reached::rMainForm);
}

TEST(MainSettingsLoad, AMissingSettedOrSaveFilesMakesTheSettingsDialogDue) {
  for (const char* key : {"Setted", "SaveFiles"}) {
    MemorySettings s = FullRecorderStore();
    s.Remove("Settings", key);
    MainSettings m = Load(s);
    EXPECT_TRUE(m.SetupDue) << key;
    EXPECT_EQ(m.Port, "SIM") << key;
  }
}

TEST(MainSettingsLoad, WhatIsSavedIsReadBack) {
  MainSettings out;
  out.LasSaveStep = 3;
  out.Maximized = false;
  out.Left = 1, out.Top = 2, out.Width = 300, out.Height = 400;
  out.DefaultLayout = "Каротаж";
  out.Toolbars["tbRecord"] = {false, false, 1, 2, 3, 4};
  out.Port = "SIM";
  MemorySettings s;
  s.SetInt("Settings", "SaveFiles", 2);
  s.SetBool("Settings", "Setted", true);
  s.SetBool("LogEditor/Depth settings", "Reverse", false);  // as the depth dialog left it
  SaveMainSettings(s, AppMode::amEditor, out);
  MainSettings in;
  in.Toolbars["tbRecord"] = {};
  LoadMainSettings(s, AppMode::amEditor, in, nullptr);
  EXPECT_EQ(in.LoadedUpTo, MainSettings::Reached::rComplete);
  EXPECT_EQ(in.Height, 400);
  EXPECT_EQ(in.DefaultLayout, "Каротаж");
  EXPECT_FALSE(in.Toolbars["tbRecord"].Visible);
  EXPECT_EQ(in.Toolbars["tbRecord"].Bottom, 4);
  EXPECT_FALSE(s.GetBool("LogEditor/Depth settings", "Reverse", true));
}

// A recording is protected by its crash file from the first run on: without stored
// settings the auto-save interval is one minute; a stored 0 still turns it off.
TEST(SetupValues, AutoSaveIsOnUntilTheUserTurnsItOff) {
  MemorySettings empty;
  SetupValues fresh;
  fresh.Load(empty);
  EXPECT_EQ(fresh.AutoSaveFile, 1);
  MemorySettings off;
  off.SetInt("Settings", "AutoSaveFile", 0);
  SetupValues stored;
  stored.Load(off);
  EXPECT_EQ(stored.AutoSaveFile, 0);
}

TEST(SetupValues, ApplyRefusesANullValueThatIsNoNumberAndWritesNothing) {
  MemorySettings s;
  SetupValues v;
  v.NullValue = "пусто";
  EXPECT_FALSE(v.Apply(s, "/root/Logs"));
  EXPECT_TRUE(s.Keys("Settings").empty());

  v.NullValue = "-999.25";
  v.SaveFiles = 2;
  v.LASStep = 20;
  v.Organisation = "Геофизика";
  ASSERT_TRUE(v.Apply(s, "/root/Logs"));
  EXPECT_TRUE(s.GetBool("Settings", "Setted"));
  EXPECT_EQ(s.GetString("Settings", "LoadDir"), "/root/Logs");
  SetupValues back;
  back.Load(s);
  EXPECT_EQ(back.NullValue, "-999.25");
  EXPECT_EQ(back.SaveFiles, 2);
  EXPECT_EQ(back.LASStep, 20);
  EXPECT_EQ(back.Organisation, "Геофизика");
}

}  // namespace
}  // namespace kest
