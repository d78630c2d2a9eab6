// kest-tool surface and time-to-depth run as programs.
#include <gtest/gtest.h>

#include <cmath>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "run_command.h"
#include "temp_dir.h"

namespace kest {
namespace {

testing::CommandResult Tool(const std::string& args) {
  return testing::RunCommand(std::string(KEST_TOOL_PATH) + " " + args, true);
}

// The simulator's recorder has an hour of a run down to 500 m and up in memory.
TEST(SurfaceCommand, StatusDepthAndReadOutOnTheSimulator) {
  testing::TempDir root, out;
  const std::string at = " --root " + root.Path().string();
  auto r = Tool("surface status" + at);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("Память(КБ)\t1056.00"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Чип натяжения\tРаботает"), std::string::npos) << r.out;
  r = Tool("surface depth --set 12,5" + at);
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.out.find("Неверное значение глубины !"), std::string::npos) << r.out;
  r = Tool("surface depth --set 123.4" + at);
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("123.4"), std::string::npos);

  r = Tool("surface read " + out.File("surface.ls") + at);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("Данные считались."), std::string::npos) << r.out;
  TLogSheet sheet;
  sheet.LoadFromFile(out.File("surface.ls"), "LS");
  ASSERT_NE(sheet.FindTrack("DEPTH"), nullptr);
  EXPECT_GT(sheet.FindTrack("DEPTH")->Count(), 3000);
  float deepest = 0;
  for (int32_t i = 0; i < sheet.FindTrack("DEPTH")->Count(); ++i)
    deepest = std::max(deepest, sheet.FindTrack("DEPTH")->Sample(i));
  EXPECT_NEAR(deepest, 500, 1);

  // The tool's pressure of the same run, 12 s behind the recorder's clock.
  TLogSheet tool;
  tool.SetArgument(laTime);
  TLogTrack* p = tool.NewTrack("PRESSURE");
  p->SetStep(1000);
  const TLogTrack& d = *sheet.FindTrack("DEPTH");
  p->SetOrigin(d.Origin());
  for (int32_t i = 12; i < d.Count(); ++i) p->Append(0.1f + 0.00981f * d.Sample(i));
  tool.Params().SetValue("StartTime", sheet.Params().Value("StartTime"));
  tool.UpdateRange();
  tool.SaveToFile(out.File("tool.ls"), "LS");
  r = Tool("time-to-depth " + out.File("tool.ls") + " " + out.File("surface.ls") + " " +
           out.File("depth.ls") + " --step 50 --run up");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("смещение часов\t12.0 с (найдено)"), std::string::npos) << r.out;
  TLogSheet depth;
  depth.LoadFromFile(out.File("depth.ls"), "LS");
  EXPECT_EQ(depth.Argument(), laDepth);
  ASSERT_NE(depth.FindTrack("PRESSURE"), nullptr);
  EXPECT_EQ(depth.FindTrack("PRESSURE")->Step(), 500);
  r = Tool("time-to-depth " + out.File("tool.ls") + " " + out.File("surface.ls") + " " +
           out.File("x.ls") + " --run sideways");
  EXPECT_NE(r.code, 0);
}

}  // namespace
}  // namespace kest
