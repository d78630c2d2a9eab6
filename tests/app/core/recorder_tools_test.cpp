#include "app/core/recorder_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/core/app_environment.h"
#include "fake_clock.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_module.h"
#include "link/port_device.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "scripted_port.h"
#include "support/settings.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using Bytes = std::array<uint8_t, 4>;

void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ToolFloat, EncodesAndDecodesTheToolsFourByteFormat) {
  EXPECT_EQ(EncodeToolFloat(1.0), (Bytes{0x7F, 0x00, 0x00, 0x00}));
  EXPECT_EQ(EncodeToolFloat(-2.5), (Bytes{0x80, 0xA0, 0x00, 0x00}));
  EXPECT_EQ(EncodeToolFloat(0), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(DecodeToolFloat({0x7F, 0x00, 0x00, 0x00}), 1.0);
  EXPECT_EQ(DecodeToolFloat({0x80, 0x80, 0x00, 0x00}), -2.0);
  EXPECT_EQ(DecodeToolFloat({0x00, 0xFF, 0x12, 0x34}), 0.0);
  // Values just below a power of two must not come out with a wrong exponent.
  for (double x : {0.5, 0.1, 3.0, 1e-3, 123456.789, -0.75, 0.99999999, 1.0 - 1e-9, 7.999999999})
    EXPECT_NEAR(DecodeToolFloat(EncodeToolFloat(x)), x, std::fabs(x) * 1.2e-7) << x;
  // The parameter command sends the bytes least significant first: wire order.
  EXPECT_EQ(static_cast<uint32_t>(ToolFloatParameter(-2.5)), 0x0000A080u);
}

TEST(TensionCoefficients, FieldsAreNormalisedAndTheHandlerLinesRewritten) {
  EXPECT_EQ(NormaliseCoefficient(""), "0");
  EXPECT_EQ(NormaliseCoefficient(".5"), "0.5");
  EXPECT_EQ(NormaliseCoefficient("2"), "2.0");
  EXPECT_EQ(NormaliseCoefficient("-1.25"), "-1.25");

  testing::TempDir dir;
  const std::string file = dir.File("Панель");
  const std::string head = "; snTension-sensor: the first line is never rewritten\r\n";
  const std::string body =
      "((displayname . \"Панель\")\r\n"
      " (channels\r\n"
      "  ((name . TENSION) (sensor . TENSION-SENSOR)\r\n"
      "     (handler . (+ 0.0 (* 1.0 snTension-sensor))))\r\n"
      " ))";
  WriteWholeFile(file, head + body);
  TensionCoefficients c =
      ReadTensionCoefficients(file);  // the first line holding it has no numbers
  EXPECT_EQ(c.K, "1.0");
  EXPECT_EQ(c.B, "0.0");
  WriteTensionCoefficients(file, {NormaliseCoefficient("2"), NormaliseCoefficient(".5")});
  auto bytes = ReadWholeFile(file);
  std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text, head +
                      "((displayname . \"Панель\")\r\n"
                      " (channels\r\n"
                      "  ((name . TENSION) (sensor . TENSION-SENSOR)\r\n"
                      "     (handler . (+ 0.5 (* 2.0 snTension-sensor))))\r\n"
                      " ))");
  WriteWholeFile(file, body);
  c = ReadTensionCoefficients(file);
  EXPECT_EQ(c.K, "1.0");
  WriteTensionCoefficients(file, {"-3.25", "12.0"});
  c = ReadTensionCoefficients(file);
  EXPECT_EQ(c.K, "-3.25");
  EXPECT_EQ(c.B, "12.0");
  EXPECT_EQ(ReadTensionCoefficients(dir.File("нет такого")).K, "1.0");
  EXPECT_ANY_THROW(WriteTensionCoefficients(dir.File("нет такого"), c));
}

TEST(DepthDialog, SettingsKeepTheirDefaultsUntilStored) {
  MemorySettings s;
  DepthDialogSettings d;
  d.Load(s, "LogRecorder");
  EXPECT_FALSE(d.Reverse);
  EXPECT_EQ(d.RollerStep, "0.01");
  d.Reverse = true;
  d.ByMagLabel = true;
  d.RollerStep = "0.0125";
  d.Save(s, "LogRecorder");
  EXPECT_EQ(s.GetString("LogRecorder/Depth settings", "RollerStep"), "0.0125");
  DepthDialogSettings back;
  back.Load(s, "LogRecorder");
  EXPECT_TRUE(back.Reverse);
  EXPECT_TRUE(back.ByMagLabel);
  EXPECT_EQ(back.RollerStep, "0.0125");
}

TEST(Sampler, TheMarkerRowKeepsEveryTrackAlignedAndInventsNoLabel) {
  TLogSheet sheet;
  TLogTrack* depth = sheet.NewTrack("DEPTH");
  TLogTrack* label = sheet.NewTrack("MAG-LABEL");
  TLogTrack* gk = sheet.NewTrack("GK");
  for (float v : {1.0f, 2.0f}) {
    depth->Append(v);
    label->Append(0);
    gk->Append(v * 10);
  }
  AppendSamplerRow(sheet);
  for (TLogTrack* t : {depth, label, gk}) EXPECT_EQ(t->Count(), 3);
  EXPECT_EQ(depth->Sample(2), 0.0f);
  EXPECT_EQ(gk->Sample(2), 0.0f);
  EXPECT_EQ(label->Sample(2), 0.0f);
}

class TestSignal : public ::testing::Test {
 protected:
  AppEnvironment env{test::DataRoot()};
  HeadlessHost host;
  testing::FakeClock clock{1000};
  testing::ScriptedPort port;
};

TEST_F(TestSignal, TheTestModuleReplacesTheToolAndTheToolIsToldToStartAndStop) {
  port.Register("SCRIPT-TEST-SIGNAL");
  TLogger logger(host, clock, env.Classes());
  logger.PortDriver().SetPortName("SCRIPT-TEST-SIGNAL");
  logger.PortDriver().Open();
  StartTestSignal(logger, env.Classes(), "Аналог", clock);
  ASSERT_EQ(logger.ModuleCount(), 2);
  EXPECT_EQ(logger.Modules(1)->Name, "АНАЛОГ");
  EXPECT_EQ(port.Written(), (std::vector<uint8_t>{0x20, 0xF2}));
  StopTestSignal(logger);
  EXPECT_EQ(logger.ModuleCount(), 1);
  EXPECT_EQ(port.Written(), (std::vector<uint8_t>{0x20, 0xF2, 0xF1}));
  EXPECT_ANY_THROW(StartTestSignal(logger, env.Classes(), "НЕТ-ТАКОГО", clock));
  EXPECT_EQ(logger.ModuleCount(), 1);
  UnregisterPortName("SCRIPT-TEST-SIGNAL");
}

}  // namespace
}  // namespace kest
