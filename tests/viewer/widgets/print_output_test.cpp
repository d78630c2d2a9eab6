#include "viewer/widgets/print_output.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "faulty_calls.h"
#include "lisp/wlisp.h"
#include "log/log_sheet.h"
#include "run_command.h"
#include "support/errors.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/png_writer.h"
#include "viewer/widgets/print_device.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;

// A depth log 1 234.5 ... 1 250.1 m with the well's name, an argument column and
// one curve, as the programs print it.
struct Log {
  TWLisp lisp;  // reads the research parameter files
  TLogSheet sheet;
  TLogViewerCore viewer;
  testing::TempDir dir;

  Log() {
    TLogTrack* track = sheet.NewTrack("GR");
    track->SetOrigin(1234500);
    track->SetStep(100);
    for (int i = 0; i <= 156; ++i) track->Append(static_cast<float>(20 + (i % 10)));
    sheet.Params().Add("WELL=Северная-77");
    sheet.Update();
    auto* arg = viewer.NewColumn<TArgColumn>();
    arg->AddChild(viewer.RootColumn());
    arg->SetRelativeWidth(200);
    auto* curve = viewer.NewColumn<TGraphicsColumn>();
    curve->InsertAfter(arg);
    curve->SetColor(RGBColor(200, 0, 0));
    viewer.SetSheet(&sheet);
    curve->SetParameter("GR");
    viewer.RaiseEvent(veColumns);
  }
  ~Log() { viewer.SetSheet(nullptr); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir.File(name), std::ios::binary) << text;
    return dir.File(name);
  }
  std::string HeadLine(bool with_params) {
    if (with_params) Write("T.RP", "(((PARAMETER . AREA) (DISPLAYNAME . \"Площадь Южная\")))");
    return Write("T.RTF",
                 "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Well <WELL>\\par "
                 "{\\b <[AREA]>}\\par}");
  }
};

std::string Shell(const std::string& command) { return RunCommand(command, true).out; }

std::string Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(PaperSize, NamedAndMeasuredSizes) {
  EXPECT_EQ(ParsePaperSize("A4")->HeightMm, 297);
  EXPECT_EQ(ParsePaperSize("a3")->WidthMm, 297);
  auto roll = ParsePaperSize("216x1000mm");
  ASSERT_TRUE(roll);
  EXPECT_EQ(roll->WidthMm, 216);
  EXPECT_EQ(roll->HeightMm, 1000);
  EXPECT_TRUE(ParsePaperSize("100x150"));
  for (const char* bad : {"", "A5", "x297", "210x", "210x297cm", "10x297", "210x9999", "axb"})
    EXPECT_FALSE(ParsePaperSize(bad)) << bad;
}

TEST(PngWriter, RowsComeBackAsWritten) {
  testing::TempDir dir;
  const std::string path = dir.File("t.png");
  {
    FileStream out(path, FileStream::Mode::Create);
    PngWriter png(out, 3, 2, PngWriter::Color::Rgb);
    const uint8_t rows[2][9] = {{255, 0, 0, 0, 255, 0, 0, 0, 255},
                                {10, 20, 30, 255, 255, 255, 0, 0, 0}};
    png.WriteRow(rows[0]);
    EXPECT_THROW_MSG(png.Finish(), EKestError, "Изображение не закончено");  // a row short
    png.WriteRow(rows[1]);
    EXPECT_THROW_MSG(png.WriteRow(rows[1]), EKestError, "Слишком много строк изображения");
    png.Finish();
  }
  QImage image(QString::fromStdString(path));
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(0, 1), qRgb(10, 20, 30));
  EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 255));

  {
    FileStream out(path, FileStream::Mode::Create);
    PngWriter png(out, 2, 1, PngWriter::Color::Gray);
    const uint8_t row[2] = {0, 200};
    png.WriteRow(row);
    png.Finish();
    FileStream empty(dir.File("e.png"), FileStream::Mode::Create);
    EXPECT_THROW_MSG(PngWriter(empty, 0, 5, PngWriter::Color::Gray), EKestError,
                     "Размер изображения вне допустимого");
  }
  QImage gray(QString::fromStdString(path));
  EXPECT_TRUE(gray.isGrayscale());
  EXPECT_EQ(qGray(gray.pixel(1, 0)), 200);
}

// The PDF holds pages of the paper's size with vector text: the head line's filled
// values, the depth labels of the printed range (widened to 1 232 ... 1 252 m), and
// the frame lines down the content's edges.
TEST(PrintOutput, PdfPagesCarryHeadLineDepthLabelsAndFrames) {
  Log log;
  RenderOptions options;
  options.Settings.HeadLine = log.HeadLine(true);
  options.Settings.LeftMarginMm = 20;
  options.Dpi = 150;
  std::vector<std::string> warnings;
  int64_t last_done = 0;
  const std::string pdf = log.dir.File("log.pdf");
  const int pages = RenderPdf(
      log.viewer, options, pdf, [&](int64_t done, int64_t) { return (last_done = done), true; },
      [&](const std::string& m, const std::string&) { warnings.push_back(m); });
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(last_done, pages);
  const std::string info = Shell("pdfinfo '" + pdf + "'");
  EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("KEST sheet"), std::string::npos) << info;
  const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
  EXPECT_NE(text.find("Well Северная-77"), std::string::npos) << text;
  EXPECT_NE(text.find("Площадь Южная"), std::string::npos) << text;
  EXPECT_NE(text.find("1232"), std::string::npos) << text;
  EXPECT_NE(text.find("1248"), std::string::npos) << text;
  EXPECT_EQ(text.find("1228"), std::string::npos) << text;

  Shell("pdftoppm -r 50 -gray -png '" + pdf + "' '" + log.dir.File("page") + "'");
  QImage page(QString::fromStdString(log.dir.File("page-1.png")));
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width(), 413, 1);  // 210 mm at 50 dpi
  // The left frame line 20 mm in, down the whole sheet (100 mm at 1:200).
  const int x = static_cast<int>(20 * 50 / 25.4);
  int framed = 0;
  for (int y = 0; y < page.height(); ++y) {
    int darkest = 255;
    for (int dx = -1; dx <= 1; ++dx) darkest = std::min(darkest, qGray(page.pixel(x + dx, y)));
    framed += darkest < 128;
  }
  EXPECT_GT(framed, 100 * 50 / 25.4);
  EXPECT_LT(framed, 150 * 50 / 25.4);
}

TEST(PrintOutput, PngIsOneTallGreyImageForBlackAndWhite) {
  Log log;
  RenderOptions options;
  options.Dpi = 100;
  const std::string png = log.dir.File("log.png");
  EXPECT_EQ(RenderPng(log.viewer, options, png), 1);
  QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  EXPECT_TRUE(image.isGrayscale());
  EXPECT_EQ(image.width(), 827);  // 210 mm at 100 dpi
  // The header, one row, 20 m of log at 1:200 (100 mm), the closing line's width.
  const int sheet = static_cast<int>(std::lround(20000 * (100 / 25.4f) / 200));
  EXPECT_GT(image.height(), sheet);
  EXPECT_LT(image.height(), sheet + 100);
  // The closing line across the content at the sheet's end.
  const int y = image.height() - 2;
  EXPECT_LT(qGray(image.pixel(image.width() / 2, y)), 64);
  // Colour output stays colour; the screen's layout is untouched by either.
  options.Monochrome = false;
  RenderPng(log.viewer, options, png);
  EXPECT_FALSE(QImage(QString::fromStdString(png)).isGrayscale());
  EXPECT_FALSE(log.viewer.Printing());
}

// A template without its ".RP" file: the message, and the log printed without it.
TEST(PrintOutput, HeadLineFailureIsReportedAndThePrintGoesOn) {
  Log log;
  RenderOptions options;
  options.Settings.HeadLine = log.HeadLine(false);
  options.Dpi = 100;
  std::vector<std::string> warnings;
  const std::string pdf = log.dir.File("log.pdf");
  RenderPdf(log.viewer, options, pdf, {},
            [&](const std::string& m, const std::string&) { warnings.push_back(m); });
  ASSERT_EQ(warnings, std::vector<std::string>{kHeadLineError});
  const std::string text = Shell("pdftotext '" + pdf + "' -");
  EXPECT_EQ(text.find("Северная"), std::string::npos);
  EXPECT_NE(text.find("1236"), std::string::npos);

  // Not RTF at all, and a bracket out of order: the same.
  log.Write("T.RP", "(((PARAMETER . AREA) (DISPLAYNAME . \"x\")))");
  log.Write("T.RTF", "plain text, no rich text");
  warnings.clear();
  RenderPdf(log.viewer, options, pdf, {},
            [&](const std::string& m, const std::string&) { warnings.push_back(m); });
  EXPECT_EQ(warnings.size(), 1u);
  log.Write("T.RTF", "{\\rtf1 <]WELL[>\\par}");
  warnings.clear();
  RenderPdf(log.viewer, options, pdf, {},
            [&](const std::string& m, const std::string&) { warnings.push_back(m); });
  EXPECT_EQ(warnings.size(), 1u);
}

// Nothing half-written under the output's name: a folder that does not exist, a
// cancelled job, a sheet that cannot print. A file already there stays as it was.
TEST(PrintOutput, FailedOrCancelledOutputLeavesNothingBehind) {
  Log log;
  RenderOptions options;
  options.Dpi = 100;
  EXPECT_THROW_MSG_HAS(RenderPdf(log.viewer, options, log.dir.File("missing/log.pdf")), EInOutError,
                       "Не удалось создать файл \"" + log.dir.File("missing/log.pdf") + "\": ");
  EXPECT_FALSE(fs::exists(log.dir.File("missing")));

  const std::string pdf = log.Write("log.pdf", "old");
  const std::string png = log.Write("log.png", "old");
  auto stop = [](int64_t, int64_t) { return false; };
  EXPECT_THROW_MSG(RenderPdf(log.viewer, options, pdf, stop), ERenderCancelled, "Печать прервана.");
  EXPECT_THROW_MSG(RenderPng(log.viewer, options, png, stop), ERenderCancelled, "Печать прервана.");
  options.Settings.Top = 5000000;
  options.Settings.Bottom = 5100000;
  EXPECT_THROW(RenderPng(log.viewer, options, png), ELogViewerError);
  for (const std::string& path : {pdf, png}) EXPECT_EQ(Text(path), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(log.dir.Path()), fs::directory_iterator()), 2);
  EXPECT_FALSE(log.viewer.Printing());
}

// The output going away in the middle (a full disk, a vanished device): the
// error, and the file that was there before stays whole.
TEST(PrintOutput, AnOutputThatFailsMidwayIsReportedAndLeavesTheOldFile) {
  Log log;
  RenderOptions options;
  options.Dpi = 100;
  const std::string pdf = log.Write("full.pdf", "old");
  const std::string png = log.Write("full.png", "old");
  {
    testing::FaultyCalls faults("full.");
    faults.Fail(testing::FaultyCalls::kWrite, ENOSPC, INT_MAX, 2);
    EXPECT_THROW_MSG_HAS(RenderPdf(log.viewer, options, pdf), EKestError, "Ошибка записи: ");
    EXPECT_THROW_MSG_HAS(RenderPng(log.viewer, options, png), EInOutError, "Ошибка записи: ");
  }
  for (const std::string& path : {pdf, png}) EXPECT_EQ(Text(path), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(log.dir.Path()), fs::directory_iterator()), 2);
  EXPECT_FALSE(log.viewer.Printing());
}

}  // namespace
}  // namespace kest
