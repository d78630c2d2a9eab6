#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "log/log_sheet.h"
#include "run_command.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using Result = testing::CommandResult;

// Runs kest-tool with the arguments (already shell-quoted); stdout, or stderr with 2>&1.
Result RunTool(const std::string& args) {
  return testing::RunCommand(std::string(KEST_TOOL_PATH) + " " + args, false);
}

class KestTool : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("crash.tmp");
    TLogSheet sheet;
    TLogTrack* gk = sheet.NewTrack("GK");
    TLogTrack* gk1 = sheet.NewTrack("GK");
    sheet.SetSteps(100);
    sheet.SetOrigins(2000);
    for (int r = 0; r < 12; ++r) {
      gk->Append(0.1f * r);
      gk1->Append(r % 2 ? 1e30f : -r);
    }
    sheet.Update();
    sheet.AppendCrashFile(path_, sheet.Start(), 5, sheet.End());
  }
  testing::TempDir dir_;
  std::string path_;
};

TEST_F(KestTool, InfoJsonDescribesTheCrashFile) {
  Result r = RunTool("info --json " + path_);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(
      r.out,
      "{\"argument\":\"laDepth\",\"start\":2000,\"end\":3000,\"params\":[],\"comments\":[],"
      "\"tracks\":[{\"parameter\":\"GK\",\"instance\":0,\"origin\":2000,\"step\":500,\"count\":3},"
      "{\"parameter\":\"GK\",\"instance\":1,\"origin\":2000,\"step\":500,\"count\":3}]}\n");
}

TEST_F(KestTool, DumpOneTrackPrintsRoundTripDigits) {
  Result r = RunTool("dump " + path_ + " --json --track gk#0");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\"samples\":[0,0.5,1]"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\"instance\":1"), std::string::npos);
  r = RunTool("dump " + path_ + " --track GK#1");
  EXPECT_EQ(r.out,
            "# GK#1 origin=2000 step=500 count=3\n2000\t0\n2500\t1.00000002e+30\n3000\t-10\n");
}

TEST_F(KestTool, ErrorsNameTheExceptionClassAndExitWithOne) {
  Result r = RunTool("dump " + path_ + " --track NK 2>&1");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "ELogSheetError: Track \"NK\" not found\n");
  r = RunTool("info " + dir_.File("x.doc") + " 2>&1");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "ELogSheetFilersError: Формат \"doc\" не поддерживается\n");
  std::string bad = dir_.File("bad.tmp");
  FILE* f = fopen(bad.c_str(), "wb");
  fputs("XX", f);
  fclose(f);
  r = RunTool("info " + bad + " 2>&1");
  EXPECT_EQ(r.out, "ETMPFilerError: Неверный файл - сигнатура не найдена\n");
  EXPECT_EQ(RunTool("info 2>/dev/null").code, 1);
}

TEST_F(KestTool, DecodeFramesACapturedStream) {
  std::string capture = dir_.File("link.bin");
  FILE* f = fopen(capture.c_str(), "wb");
  const unsigned char bytes[] = {0x05, 0x01, 0x02, 0x03, 0x04, 0xF1, 0x92, 0x33,
                                 0x07, 0x05, 0x01, 0x02, 0x03, 0x04, 0xF1};
  fwrite(bytes, 1, sizeof bytes, f);
  fclose(f);
  Result r = RunTool("decode --attach 5,0x07 " + capture);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "05 01 02 03 04 F1\n92 00 00 00 00 00\n05 01 02 03 04 F1\ngood=3 bad=2\n");
  EXPECT_EQ(RunTool("decode --attach 256 " + capture + " 2>/dev/null").code, 1);
}

TEST_F(KestTool, ConvertLasToLsAndBackWithOptions) {
  std::string las = test::TestDataDir() + "/las/sample_2.0.las";
  std::string ls = dir_.File("s.ls"), out = dir_.File("s.las");
  ASSERT_EQ(RunTool("convert " + las + " " + ls + " 2>/dev/null").code, 0);
  // What the reader noticed goes to stderr, as the editor shows it in its notice.
  const Result noticed = RunTool("convert " + las + " " + ls + " 2>&1 >/dev/null");
  EXPECT_NE(noticed.out.find("\"RHOB\""), std::string::npos) << noticed.out;
  EXPECT_NE(noticed.out.find("\"SFLU\""), std::string::npos) << noticed.out;
  Result info = RunTool("info --json " + ls);
  EXPECT_NE(info.out.find("\"parameter\":\"ILD\""), std::string::npos) << info.out;
  ASSERT_EQ(RunTool("convert " + las + " " + out + " --las-step 5 --null -1 2>/dev/null").code, 0);
  auto bytes = ReadWholeFile(out);
  std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("-1.00 : "), std::string::npos);
  EXPECT_NE(text.find("\r\n1670.00 "), std::string::npos);
  EXPECT_EQ(RunTool("convert " + las + " " + out + " --las-step 0 2>/dev/null").code, 1);
  EXPECT_EQ(RunTool("convert " + las + " " + dir_.File("x.tmp") + " 2>&1").out,
            "ELogSheetFilersError: Формат \"tmp\" не поддерживается\n");
}

TEST_F(KestTool, SynthRecordsAReadableCrashFile) {
  std::string out = dir_.File("synth.tmp");
  EXPECT_EQ(RunTool("synth " + out + " --rows 101 --every 7 >/dev/null").code, 0);
  TLogSheet sheet;
  sheet.LoadFromFile(out, "TMP");
  ASSERT_EQ(sheet.Count(), 3);
  EXPECT_EQ(sheet.Tracks(0)->Count(), 21);  // rows 0, 5, ..., 100
  EXPECT_EQ(sheet.Tracks(0)->Step(), 500);
}

}  // namespace
}  // namespace kest
