#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "lisp/wlisp.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "support/rounding.h"
#include "test_support/test_files.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/hue_column.h"
#include "viewer/core/text_column.h"
#include "viewer/widgets/column_glyphs.h"
#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/log_viewer_header_panel.h"
#include "viewer/widgets/log_viewer_scroll_bar.h"
#include "viewer/widgets/log_viewer_sheet_panel.h"
#include "viewer/widgets/qt_canvas.h"

namespace kest {
namespace {

using test::SourceDir;

TEST(ViewerFonts, CyrillicTextHasGlyphs) {
  QImage image(300, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  TQtCanvas canvas(painter);
  TFont font;
  font.Height = 20;
  canvas.SetFont(font);
  QFontMetrics metrics(painter.font());
  for (QChar c : QString::fromUtf8("Глубина, мкР/ч"))
    EXPECT_TRUE(metrics.inFont(c)) << static_cast<int>(c.unicode());
  canvas.TextOut(2, 2, "Глубина");
  painter.end();
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
  EXPECT_GT(dark, 60);
}

TEST(ViewerWidget, EmptyViewerShowsTheEngravedWordOnGrey) {
  TLogViewer viewer;
  viewer.resize(600, 400);
  viewer.show();
  QApplication::processEvents();
  const QImage& sheet = viewer.SheetPanel()->Buffer();
  ASSERT_FALSE(sheet.isNull());
  EXPECT_EQ(QColor(sheet.pixel(5, 5)), ToQColor(clBtnFace));
  int highlights = 0, shadows = 0;
  for (int y = sheet.height() * 3 / 8; y < sheet.height() * 5 / 8; ++y)
    for (int x = 0; x < sheet.width(); ++x) {
      QColor c(sheet.pixel(x, y));
      highlights += c == Qt::white;
      shadows += c.lightness() < 200;
    }
  EXPECT_GT(highlights, 50);
  EXPECT_GT(shadows, 50);
  EXPECT_EQ(viewer.HeaderPanel()->height(), 0);
  EXPECT_FALSE(ColumnGlyph("HUECOLUMNGLYPH").isNull());
}

TEST(ViewerPanels, PanelsFreedBeforeTheirViewerTakeTheirListenersAlong) {
  TLogViewer viewer;
  viewer.resize(400, 300);
  const int links = viewer.LinkCount();
  auto header = std::make_unique<TLogViewerHeaderPanel>(viewer);
  auto bar = std::make_unique<TLogViewerScrollBar>(viewer);
  EXPECT_EQ(viewer.LinkCount(), links + 3);
  header.reset();
  bar.reset();
  EXPECT_EQ(viewer.LinkCount(), links);
  viewer.RaiseEvent(veColumns);  // reaches only the panels still there
  viewer.SetScale(500);
}

TEST(ViewerPanels, AViewerFreedFirstLeavesItsPanelsNothingToCallBack) {
  auto viewer = std::make_unique<TLogViewer>();
  viewer->resize(400, 300);
  QPointer<TLogViewerScrollBar> own = viewer->ScrollBar();
  // Only a Qt child: Qt frees it after the viewer's core part is gone.
  QPointer<TLogViewerHeaderPanel> extra = new TLogViewerHeaderPanel(*viewer);
  viewer->RaiseEvent(veColumns);
  viewer.reset();
  EXPECT_TRUE(own.isNull());
  EXPECT_TRUE(extra.isNull());
}

// A tablet like a printed log: depth scale, a curve with a second curve laid over
// it, a curve that wraps, numbers down a column and a gradient.
struct Tablet {
  TWLisp lisp;
  std::unique_ptr<TLogParameterTables> tables;
  TLogSheet sheet;
  TLogViewer viewer;
  TGraphicsColumn* gk = nullptr;
  TLogTrack* ild = nullptr;

  Tablet() {
    try {
      tables = std::make_unique<TLogParameterTables>(SourceDir() + "/data/Data");
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
    const char* names[] = {"GK", "SP", "ILD", "NPHI"};
    TLogTrack* tracks[4];
    for (int k = 0; k < 4; ++k) {
      tracks[k] = sheet.NewTrack(names[k]);
      tracks[k]->SetOrigin(1000000);
      tracks[k]->SetStep(100);
    }
    ild = tracks[2];
    for (int i = 0; i < 600; ++i) {
      const double d = i / 600.0;
      tracks[0]->Append(static_cast<float>(8 + 5 * std::sin(i / 9.0) + 3 * std::sin(i / 2.3)));
      tracks[1]->Append(static_cast<float>(-40 + 25 * std::sin(i / 40.0)));
      tracks[2]->Append(static_cast<float>(4 + 26 * d * d + std::sin(i / 5.0)));
      tracks[3]->Append(static_cast<float>(20 + 12 * std::sin(i / 25.0)));
    }
    sheet.Update();

    auto* arg = viewer.NewColumn<TArgColumn>();
    gk = viewer.NewColumn<TGraphicsColumn>();
    auto* sp = viewer.NewColumn<TGraphicsColumn>();
    auto* wrap = viewer.NewColumn<TGraphicsColumn>();
    auto* text = viewer.NewColumn<TTextColumn>();
    auto* hue = viewer.NewColumn<THueColumn>();
    arg->AddChild(viewer.RootColumn());
    gk->InsertAfter(arg);
    sp->AddChild(gk);
    wrap->InsertAfter(gk);
    text->InsertAfter(wrap);
    hue->InsertAfter(text);
    arg->SetRelativeWidth(110);
    gk->SetRelativeWidth(330);
    wrap->SetRelativeWidth(280);
    text->SetRelativeWidth(140);
    hue->SetRelativeWidth(140);
    gk->SetParameter("GK");
    gk->SetScale(20);
    gk->SetColor(RGBColor(200, 0, 0));
    sp->SetParameter("SP");
    sp->SetNegScale(-80);
    sp->SetScale(0);
    sp->SetColor(RGBColor(0, 0, 200));
    sp->SetPen({psSolid, 2, clBlack});
    wrap->SetParameter("ILD");
    wrap->SetScale(10);
    wrap->SetColor(RGBColor(0, 120, 0));
    text->SetParameter("NPHI");
    hue->SetParameter("NPHI");
    hue->SetScale(32);
    viewer.SetEdgeLabels(elTop | elBottom);
    viewer.SetShowCursor(true);
    viewer.SetAppendMode(amIgnore);
    viewer.resize(1000, 760);
    viewer.show();
    QApplication::processEvents();
    viewer.SetSheet(&sheet);
    viewer.SetCursorPos(1020000);
    viewer.RaiseEvent(veColumns);
    viewer.Refresh();
    QApplication::processEvents();
  }
};

TEST(ViewerWidget, TabletRendersLikeAPrintedLog) {
  Tablet t;
  TLogViewer& v = t.viewer;
  EXPECT_EQ(v.HeaderPanel()->height(), v.HeaderPanelHeight());
  EXPECT_EQ(v.HeaderPanelHeight(), RoundHalfEven32(16 * v.PixelsPerMm()));
  QImage shot = v.grab().toImage();
  const std::string path = std::string(KEST_VIEWER_OUT_DIR) + "/tablet.png";
  ASSERT_TRUE(shot.save(QString::fromStdString(path)));

  const QImage& sheet = v.SheetPanel()->Buffer();
  // The curve of the first graphics column is drawn in its colour.
  int red = 0, green = 0;
  for (int y = 0; y < sheet.height(); ++y) {
    for (int x = t.gk->Left(); x < t.gk->Left() + t.gk->Width(); ++x) {
      QColor c(sheet.pixel(x, y));
      red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
    }
  }
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x) {
      QColor c(sheet.pixel(x, y));
      green += c.green() > 100 && c.red() < 60 && c.blue() < 60;
    }
  EXPECT_GT(red, 300);
  EXPECT_GT(green, 300);
  // The scroll bar follows the sheet's range and the cursor.
  EXPECT_EQ(v.ScrollBar()->minimum(), t.sheet.Start());
  EXPECT_EQ(v.ScrollBar()->maximum(), t.sheet.End());
  EXPECT_EQ(v.ScrollBar()->value(), v.CursorPos());
}

TEST(ViewerWidget, AppendedRowRepaintsOnlyTheNewBand) {
  Tablet t;
  TLogViewer& v = t.viewer;
  v.SetScale(2000);  // the whole sheet in view
  v.SetViewTop(990000);
  QApplication::processEvents();
  const QImage before = v.SheetPanel()->Buffer().copy();
  for (TLogTrack* track :
       {t.sheet.Tracks(0), t.sheet.Tracks(1), t.sheet.Tracks(2), t.sheet.Tracks(3)})
    track->Append(track->LastSample() + 3);
  v.Refresh();
  const QImage& after = v.SheetPanel()->Buffer();
  const int end_row = v.RowOf(t.sheet.End());
  int changed_outside = 0, changed_inside = 0;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x) {
      if (after.pixel(x, y) == before.pixel(x, y)) continue;
      (std::abs(y - end_row) <= 30 ? changed_inside : changed_outside)++;
    }
  EXPECT_GT(changed_inside, 0);
  EXPECT_EQ(changed_outside, 0);
}

}  // namespace
}  // namespace kest
