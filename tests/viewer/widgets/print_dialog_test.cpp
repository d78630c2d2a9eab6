#include "viewer/widgets/print_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <fstream>

#include "log/log_sheet.h"
#include "log/param_list.h"
#include "support/errors.h"
#include "temp_dir.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/widgets/fixed_edit.h"
#include "viewer/widgets/print_output.h"
#include "viewer/widgets/print_preview.h"

namespace kest {
namespace {

// A log 1 234.5 ... 1 250.1 (metres, or seconds of a time log) under a viewer with
// an argument column and a red curve.
struct Sheet {
  TLogSheet sheet;
  TLogViewerCore viewer;

  explicit Sheet(TLogArgument kind = laDepth, int32_t origin = 1234500, int32_t step = 100,
                 int rows = 157) {
    sheet.SetArgument(kind);
    TLogTrack* track = sheet.NewTrack("GR");
    track->SetOrigin(origin);
    track->SetStep(step);
    for (int i = 0; i < rows; ++i) track->Append(static_cast<float>(2 + (i * 7) % 9));
    sheet.Update();
    viewer.SetArgumentKind(kind);
    auto* arg = viewer.NewColumn<TArgColumn>();
    arg->AddChild(viewer.RootColumn());
    arg->SetRelativeWidth(250);
    auto* curve = viewer.NewColumn<TGraphicsColumn>();
    curve->InsertAfter(arg);
    curve->SetColor(RGBColor(220, 0, 0));
    viewer.SetSheet(&sheet);
    curve->SetParameter("GR");
    viewer.RaiseEvent(veColumns);
  }
  ~Sheet() { viewer.SetSheet(nullptr); }
};

void Type(QLineEdit* edit, const QString& keys) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, keys);
}

TEST(PrintDialog, ShowsTheSheetsRangeAndStoresWhatIsTyped) {
  Sheet s;
  s.viewer.Params().Ensure("Print.LeftMargin").SetInteger(15);
  TLogViewerPrintDialog dialog(&s.viewer, "/nowhere");
  EXPECT_EQ(dialog.windowTitle(), "Печать");
  EXPECT_FALSE(dialog.RangeBox()->isChecked());
  EXPECT_EQ(dialog.RangeTop()->text(), "1234.5");
  EXPECT_EQ(dialog.RangeBottom()->text(), "1250.1");
  EXPECT_EQ(dialog.LeftMargin()->text(), "1.5");
  EXPECT_EQ(dialog.RightMargin()->text(), "0.0");
  EXPECT_TRUE(dialog.Monochrome());

  // Only digits get in; typing a range field ticks the range.
  Type(dialog.RangeTop(), "12.3-4x");
  EXPECT_EQ(dialog.RangeTop()->text(), "1234");
  EXPECT_TRUE(dialog.RangeBox()->isChecked());
  Type(dialog.RangeBottom(), "1250");
  Type(dialog.RightMargin(), "2");
  dialog.ColourButton()->setChecked(true);
  dialog.accept();
  EXPECT_FALSE(dialog.Monochrome());
  const PrintSettings stored = PrintSettings::From(s.viewer.Params());
  EXPECT_EQ(stored.Top, 1234000);
  EXPECT_EQ(stored.Bottom, 1250000);
  EXPECT_EQ(stored.LeftMarginMm, 15);
  EXPECT_EQ(stored.RightMarginMm, 20);
  // At 1:200 the print widens that to whole major grid lines.
  TLogPrint print(s.viewer, stored, true, {300, 2480, 3508}, 0);
  EXPECT_EQ(print.Range().Top, 1232000);
  EXPECT_EQ(print.Range().Bottom, 1252000);
}

TEST(PrintDialog, WithoutTheRangeTheWholeSheetIsStored) {
  Sheet s;
  s.viewer.Params().Ensure("Print.Range.Top").SetInteger(1);
  TLogViewerPrintDialog dialog(&s.viewer, "/nowhere");
  dialog.RangeTop()->setText("1240");  // not typed: the range stays off
  dialog.accept();
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).Top, 1234500);
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).Bottom, 1250100);

  EXPECT_THROW(TLogViewerPrintDialog(nullptr, "/nowhere"), EAssertionFailed);
}

// Pasted ranges: "1234,5" is 1234.5; a text that is no number keeps the dialog open
// with the field marked, and nothing is stored (no print of the whole log).
TEST(PrintDialog, PastedRangesReadBothSeparatorsAndRefuseLetters) {
  Sheet s;
  TLogViewerPrintDialog dialog(&s.viewer, "/nowhere");
  dialog.RangeBox()->setChecked(true);
  dialog.RangeTop()->setText("1236,5");
  dialog.RangeBottom()->setText("124O");  // a letter O
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.RangeBottom()->property("invalid").toBool());
  EXPECT_FALSE(dialog.RangeTop()->property("invalid").toBool());
  EXPECT_EQ(s.viewer.Params().Find("Print.Range.Top"), nullptr);

  dialog.RangeBottom()->setText("1240");
  EXPECT_FALSE(dialog.RangeBottom()->property("invalid").toBool());
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).Top, 1236500);
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).Bottom, 1240000);
}

// A time log shows minutes.seconds and stores milliseconds.
TEST(PrintDialog, TimeRangesInMinutesDotSeconds) {
  Sheet s(laTime, 750000, 1000, 600);  // 12 min 30 s ... 22 min 29 s
  TLogViewerPrintDialog dialog(&s.viewer, "/nowhere");
  EXPECT_EQ(dialog.RangeTop()->text(), "12.3");
  EXPECT_EQ(dialog.RangeBottom()->text(), "22.29");
  dialog.RangeBox()->setChecked(true);
  dialog.RangeBottom()->setText("15.05");
  dialog.accept();
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).Top, 750000);
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).Bottom, 905000);
}

TEST(PrintDialog, HeadLineNamesInUpperCaseResolvedInTheFolder) {
  testing::TempDir dir;
  std::ofstream(dir.File("depth.rtf")) << "{\\rtf1 x}";
  Sheet s;
  s.viewer.Params().Ensure("HeadLine").SetString(dir.File("depth.rtf"));
  TLogViewerPrintDialog dialog(&s.viewer, dir.Path().string());
  EXPECT_EQ(dialog.HeaderEdit()->text(), "depth.rtf");
  Type(dialog.HeaderEdit(), "depth.rtf");
  EXPECT_EQ(dialog.HeaderEdit()->text(), "DEPTH.RTF");
  dialog.accept();
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).HeadLine, dir.File("depth.rtf"));
  // Emptied: the next print has none.
  TLogViewerPrintDialog again(&s.viewer, dir.Path().string());
  again.HeaderEdit()->clear();
  again.accept();
  EXPECT_EQ(PrintSettings::From(s.viewer.Params()).HeadLine, "");
}

TEST(PrintPreview, ZoomsScrollsTogglesColourAndGivesTheViewerBack) {
  Sheet s(laDepth, 1000000, 100, 3001);  // 300 m: 1.5 m of paper at 1:200
  auto preview = std::make_unique<TPrintPreviewDlg>(s.viewer, PrintSettings{}, false,
                                                    PrintDevice{100, 827, 0}, RenderWarning{});
  preview->resize(700, 500);
  preview->show();
  QApplication::processEvents();
  EXPECT_EQ(preview->windowTitle(), "Предварительный просмотр");
  EXPECT_TRUE(s.viewer.Printing());
  EXPECT_TRUE(preview->Colour());
  const QSize page = preview->PageSize();
  EXPECT_EQ(page.width(), 827);
  EXPECT_GT(page.height(), 1500 * 100 / 25.4);

  const QSize client = preview->ScrollBox()->viewport()->size();
  preview->SetZoom(TPrintPreviewDlg::Zoom::AsIs);
  EXPECT_EQ(preview->Factor(), 1.0f);
  preview->ZoomAction(TPrintPreviewDlg::Zoom::SheetHeight)->trigger();
  EXPECT_NEAR(preview->Factor(),
              static_cast<float>(preview->ScrollBox()->viewport()->height()) / page.height(), 1e-4);
  preview->SetZoom(TPrintPreviewDlg::Zoom::PageWidth);
  EXPECT_NEAR(preview->Factor() * page.width(), preview->ScrollBox()->viewport()->width(), 1.0);
  (void)client;

  QScrollBar* bar = preview->ScrollBox()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  QTest::keyClick(preview.get(), Qt::Key_PageDown);
  EXPECT_EQ(bar->value(), preview->ScrollBox()->viewport()->height());
  QTest::keyClick(preview.get(), Qt::Key_End);
  EXPECT_EQ(bar->value(), bar->maximum());
  QTest::keyClick(preview.get(), Qt::Key_Up);
  EXPECT_EQ(bar->value(), bar->maximum() - bar->singleStep());
  QTest::keyClick(preview.get(), Qt::Key_Home);
  EXPECT_EQ(bar->value(), 0);

  preview->ColourAction()->trigger();  // to black and white
  EXPECT_FALSE(preview->Colour());
  EXPECT_TRUE(s.viewer.Monochrome());
  QImage shot = preview->grab().toImage();
  EXPECT_TRUE(shot.save(QString(KEST_VIEWER_OUT_DIR) + "/print_preview.png"));
  preview.reset();
  EXPECT_FALSE(s.viewer.Printing());
  EXPECT_FALSE(s.viewer.Monochrome());
  EXPECT_EQ(s.viewer.Dpi(), 96);
}

// The preview and the PNG come from one drawing: at "as is" they are the same
// picture, pixel for pixel.
TEST(PrintPreview, ShowsWhatThePngHolds) {
  Sheet s(laDepth, 1000000, 100, 400);
  testing::TempDir dir;
  RenderOptions options;
  options.Dpi = 100;
  options.Monochrome = false;
  const std::string png = dir.File("log.png");
  RenderPng(s.viewer, options, png);
  const QImage printed = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
  TPrintPreviewDlg preview(s.viewer, options.Settings, false, PrintDevice{100, 827, 0}, {});
  preview.SetZoom(TPrintPreviewDlg::Zoom::AsIs);
  const QImage shown =
      preview.ScrollBox()->widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), printed.size());
  int differing = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) differing += shown.pixel(x, y) != printed.pixel(x, y);
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace kest
