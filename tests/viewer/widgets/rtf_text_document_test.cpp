#include "viewer/widgets/rtf_text_document.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include "support/stream.h"
#include "test_support/test_files.h"
#include "viewer/core/rtf_reader.h"

namespace kest {
namespace {

std::unique_ptr<QTextDocument> Build(const char* rtf, double dpi = 96) {
  return BuildTextDocument(ReadRtf(rtf), dpi);
}

TEST(RtfTextDocument, RunsKeepTheirFormatsAndParagraphsTheirAlignment) {
  auto doc = Build(
      "{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}{\\colortbl ;\\red0\\green0\\blue128;}"
      "\\pard\\qc\\f0\\fs32 plain {\\b\\cf1 bold}\\par\\pard\\qr\\li1440 {\\i it}\\ul u\\par}",
      144);
  QTextBlock first = doc->begin();
  EXPECT_EQ(first.text(), "plain bold");
  EXPECT_EQ(first.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  QTextCursor c(first);
  c.setPosition(first.position() + 8);  // inside "bold"
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(c.charFormat().fontPointSize(), 16);
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 0, 128));
  c.setPosition(first.position() + 2);  // inside "plain"
  EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
  QTextBlock second = first.next();
  EXPECT_EQ(second.text(), "itu");
  EXPECT_EQ(second.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_DOUBLE_EQ(second.blockFormat().leftMargin(), 144);  // one inch at 144 dpi
  c = QTextCursor(second);
  c.setPosition(second.position() + 1);
  EXPECT_TRUE(c.charFormat().fontItalic());
  c.setPosition(second.position() + 3);
  EXPECT_TRUE(c.charFormat().fontUnderline());
  EXPECT_DOUBLE_EQ(doc->defaultTextOption().tabStopDistance(), 72);  // \deftab720
}

TEST(RtfTextDocument, TableHasItsRowsCellsAndWidths) {
  auto doc = Build(
      "{\\rtf1 title\\par\\trowd\\cellx1440\\cellx4320\\intbl a\\cell {\\b b}\\par b2\\cell\\row"
      "\\trowd\\cellx1440\\cellx4320\\intbl c\\cell d\\cell\\row\\pard after\\par}");
  QTextTable* table = nullptr;
  for (QTextFrame* frame : doc->rootFrame()->childFrames())
    if ((table = qobject_cast<QTextTable*>(frame))) break;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rows(), 2);
  EXPECT_EQ(table->columns(), 2);
  auto cell_text = [&](int r, int c) {
    QTextCursor cursor = table->cellAt(r, c).firstCursorPosition();
    cursor.setPosition(table->cellAt(r, c).lastPosition(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
  };
  EXPECT_EQ(cell_text(0, 0), "a");
  EXPECT_EQ(cell_text(0, 1), QString("b") + QChar::ParagraphSeparator + "b2");
  EXPECT_EQ(cell_text(1, 1), "d");
  QTextCursor bold = table->cellAt(0, 1).firstCursorPosition();
  bold.movePosition(QTextCursor::Right);
  EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
  auto widths = table->format().columnWidthConstraints();
  ASSERT_EQ(widths.size(), 2);
  EXPECT_DOUBLE_EQ(widths[0].rawValue(), 96);  // 1440 twips at 96 dpi
  EXPECT_DOUBLE_EQ(widths[1].rawValue(), 192);
  EXPECT_EQ(doc->begin().text(), "title");
  EXPECT_EQ(doc->lastBlock().text(), "after");
}

TEST(RtfTextDocument, CyrillicRendersAtScreenAndPrinterResolution) {
  for (int dpi : {96, 1200}) {
    SCOPED_TRACE(dpi);
    auto doc = Build("{\\rtf1\\fs24 \\'c3\\'eb\\'f3\\'e1\\'e8\\'ed\\'e0}", dpi);
    QImage image(dpi * 2, dpi / 2, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254));
    image.fill(Qt::white);
    doc->documentLayout()->setPaintDevice(&image);
    doc->setTextWidth(image.width());
    {
      QPainter painter(&image);
      doc->drawContents(&painter);
    }
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(dark, 0);
    EXPECT_EQ(doc->begin().text(), "Глубина");
  }
}

TEST(RtfTextDocument, ShippedTemplateLaysOutItsWellTable) {
  std::vector<uint8_t> bytes = ReadWholeFile(test::DataRoot() + "/Data/HeadLine/DEPTH.RTF");
  auto doc = BuildTextDocument(ReadRtf(std::string(bytes.begin(), bytes.end())), 96);
  QImage image(800, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  doc->setTextWidth(image.width());
  {
    QPainter painter(&image);
    doc->drawContents(&painter);
  }
  image.save(QString(KEST_VIEWER_OUT_DIR) + "/headline_depth.png");
  EXPECT_EQ(doc->begin().text(), "Каротаж по глубине");
  int tables = 0;
  for (QTextFrame* frame : doc->rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
      ++tables;
      EXPECT_EQ(table->rows(), 5);
      EXPECT_EQ(table->columns(), 4);
      EXPECT_EQ(table->format().border(), 1);
    }
  }
  EXPECT_EQ(tables, 1);
  EXPECT_LT(doc->size().height(), image.height()) << "the head line fits a page's top";
}

}  // namespace
}  // namespace kest
