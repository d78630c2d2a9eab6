#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "log/log_sheet.h"
#include "run_command.h"
#include "temp_dir.h"

namespace kest {
namespace {

using testing::RunCommand;

std::string Tool(const std::string& args) {
  return RunCommand(std::string(KEST_TOOL_PATH) + " " + args, true).out;
}
std::string Shell(const std::string& command) { return RunCommand(command, true).out; }
int ToolCode(const std::string& args) {
  return RunCommand(std::string(KEST_TOOL_PATH) + " " + args + " >/dev/null 2>&1", false).code;
}

// A recorded depth log, 1 000.0 ... 1 100.0 m, two curves and the well's name.
class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogSheet sheet;
    TLogTrack* gk = sheet.NewTrack("GK");
    TLogTrack* nk = sheet.NewTrack("NK");
    sheet.SetSteps(100);
    sheet.SetOrigins(1000000);
    for (int r = 0; r <= 1000; ++r) {
      gk->Append(static_cast<float>(5 + r % 9));
      nk->Append(static_cast<float>(100 + r % 50));
    }
    sheet.Params().Add("WELL=Скв-412");
    sheet.Params().Add("OILFIELD=Южное");
    sheet.Update();
    log_ = dir_.File("run.ls");
    sheet.SaveToFile(log_, "LS");
  }
  std::string Path(const std::string& name) const { return "'" + dir_.File(name) + "'"; }

  testing::TempDir dir_;
  std::string log_;
};

TEST_F(Render, PdfOfPagesWithHeadLineFramesAndDepthLabels) {
  const std::string out = Tool("render " + log_ + " --out " + Path("run.pdf") +
                               " --headline DEPTH.RTF --margins 10,5 --page A4 --dpi 150");
  // The output's path and the page count, on standard output.
  EXPECT_NE(out.find(dir_.File("run.pdf") + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("2 pages"), std::string::npos)
      << out;  // 500 mm of log on A4 below the head line
  const std::string info = Shell("pdfinfo " + Path("run.pdf"));
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("595 x 842 pts (A4)"), std::string::npos) << info;
  const std::string first = Shell("pdftotext -f 1 -l 1 " + Path("run.pdf") + " -");
  EXPECT_NE(first.find("Скв-412"), std::string::npos) << first;
  EXPECT_NE(first.find("Южное"), std::string::npos) << first;
  EXPECT_NE(first.find("Месторождение"), std::string::npos) << first;
  EXPECT_NE(first.find("1000"), std::string::npos) << first;
  const std::string last = Shell("pdftotext -f 2 -l 2 " + Path("run.pdf") + " -");
  EXPECT_NE(last.find("1096"), std::string::npos) << last;
  EXPECT_EQ(last.find("Скв-412"), std::string::npos);  // the head line is on page 1 only
  // Scale and range: 1:500 over 1 020 ... 1 060 m fits one page.
  EXPECT_NE(
      Tool("render " + log_ + " --out " + Path("part.pdf") + " --scale 500 --from 1020 --to 1060")
          .find("1 page\n"),
      std::string::npos);
  const std::string part = Shell("pdftotext " + Path("part.pdf") + " -");
  EXPECT_NE(part.find("1020"), std::string::npos) << part;
  EXPECT_EQ(part.find("1000"), std::string::npos) << part;
}

TEST_F(Render, PngIsOneTallImageOfTheSamePrint) {
  const std::string out =
      Tool("render " + log_ + " --out " + Path("run.png") + " --dpi 100 --mono");
  EXPECT_NE(out.find("1 page"), std::string::npos) << out;
  const std::string identify = Shell("identify " + Path("run.png"));
  // 210 mm at 100 dpi wide; the header and 100 m at 1:200 (500 mm) tall.
  EXPECT_NE(identify.find(" 827x"), std::string::npos) << identify;
  EXPECT_NE(identify.find("Gray"), std::string::npos) << identify;
  const size_t x = identify.find(" 827x");
  const int height = std::stoi(identify.substr(x + 5));
  EXPECT_GT(height, 1969);
  EXPECT_LT(height, 1969 + 120);
}

TEST_F(Render, ATimeLogIsPrintedInTimesOfDay) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* gk = sheet.NewTrack("GK");
  gk->SetOrigin(45000000);  // 12:30:00
  gk->SetStep(1000);
  for (int r = 0; r < 600; ++r) gk->Append(static_cast<float>(r % 7));
  sheet.Update();
  const std::string log = dir_.File("time.ls");
  sheet.SaveToFile(log, "LS");
  // --from/--to are minutes of a time log: 752 ... 755 min is 12:32 ... 12:35.
  Tool("render " + log + " --out " + Path("time.pdf") + " --from 752 --to 755 --scale 1000");
  const std::string text = Shell("pdftotext " + Path("time.pdf") + " -");
  EXPECT_NE(text.find("12:32:00"), std::string::npos) << text;
  EXPECT_EQ(text.find("12:30:00"), std::string::npos) << text;
  EXPECT_EQ(text.find("1000"), std::string::npos) << text;
}

TEST_F(Render, BadInputIsRefusedWithAMessageAndNothingWritten) {
  // A layout naming a curve the sheet lacks prints it empty and says so.
  std::ofstream(dir_.File("bad.lay")) << "not a layout";
  EXPECT_NE(Tool("render " + log_ + " --out " + Path("a.pdf") + " --layout " + Path("bad.lay"))
                .find("warning: layout"),
            std::string::npos);
  EXPECT_NE(Tool("render " + log_ + " --out " + Path("b.pdf") + " --from 5000 --to 5100")
                .find("Диапазон печати вне данных листа."),
            std::string::npos);
  EXPECT_NE(Tool("render " + log_ + " --out " + Path("c.pdf") + " --headline NONE.RTF")
                .find("no head-line template NONE.RTF"),
            std::string::npos);
  EXPECT_EQ(ToolCode("render " + log_ + " --out " + Path("d.doc")), 1);
  EXPECT_EQ(ToolCode("render " + log_ + " --out " + Path("e.pdf") + " --page B9"), 1);
  EXPECT_EQ(ToolCode("render " + log_ + " --out " + Path("f.pdf") + " --margins 150,100"), 1);
  EXPECT_EQ(ToolCode("render " + Path("missing.ls") + " --out " + Path("g.pdf")), 1);
  for (const char* name : {"b.pdf", "c.pdf", "d.doc", "e.pdf", "f.pdf", "g.pdf"})
    EXPECT_FALSE(std::filesystem::exists(dir_.File(name))) << name;
  // No temporary file left either.
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace kest
