#include "viewer/widgets/rtf_text_document.h"

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTextTable>
#include <QTextTableFormat>
#include <algorithm>

namespace kest {

namespace {

class Builder {
 public:
  Builder(QTextDocument& doc, double dpi) : doc_(doc), dpi_(dpi), cursor_(&doc) {}

  void Build(const RtfDocument& model) {
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(Units(model.DefaultTab));
    doc_.setDefaultTextOption(option);
    doc_.setDocumentMargin(0);
    for (const RtfBlock& block : model.Blocks) {
      if (const auto* paragraph = std::get_if<RtfParagraph>(&block))
        Paragraph(*paragraph);
      else
        Table(std::get<RtfTable>(block));
    }
  }

 private:
  double Units(int twips) const { return twips * dpi_ / 1440.0; }

  QTextCharFormat CharFormat(const RtfCharFormat& f) const {
    QTextCharFormat format;
    if (!f.Font.empty()) format.setFontFamilies({QString::fromStdString(f.Font)});
    format.setFontPointSize(f.Points());
    format.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(f.Italic);
    format.setFontUnderline(f.Underline);
    if (f.Color) format.setForeground(QColor::fromRgb(*f.Color));
    return format;
  }

  QTextBlockFormat BlockFormat(const RtfParaFormat& f) const {
    QTextBlockFormat format;
    switch (f.Alignment) {
      case RtfAlignment::Left:
        format.setAlignment(Qt::AlignLeft);
        break;
      case RtfAlignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
      case RtfAlignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
      case RtfAlignment::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    format.setLeftMargin(Units(f.LeftIndent));
    format.setRightMargin(Units(f.RightIndent));
    format.setTextIndent(Units(f.FirstIndent));
    return format;
  }

  // Fills the block the cursor is in: the document's first, a cell's first, or new.
  void Paragraph(const RtfParagraph& p) {
    if (!first_block_) cursor_.insertBlock();
    first_block_ = false;
    Fill(p);
  }

  void Fill(const RtfParagraph& p) {
    cursor_.setBlockFormat(BlockFormat(p.Format));
    cursor_.setBlockCharFormat(CharFormat(p.EndFormat));
    for (const RtfRun& run : p.Runs) {
      QString text = QString::fromStdString(run.Text);
      text.replace(QChar('\n'), QChar::LineSeparator);
      cursor_.insertText(text, CharFormat(run.Format));
    }
  }

  void Table(const RtfTable& table) {
    int columns = 0;
    const RtfTableRow* widest = nullptr;
    for (const RtfTableRow& row : table.Rows) {
      if (static_cast<int>(row.Cells.size()) > columns) {
        columns = static_cast<int>(row.Cells.size());
        widest = &row;
      }
    }
    if (table.Rows.empty() || columns == 0) return;
    QTextTableFormat format;
    format.setCellPadding(Units(60));
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    bool borders = std::any_of(table.Rows.begin(), table.Rows.end(),
                               [](const RtfTableRow& r) { return r.Borders; });
    format.setBorder(borders ? 1 : 0);
    format.setBorderStyle(borders ? QTextFrameFormat::BorderStyle_Solid
                                  : QTextFrameFormat::BorderStyle_None);
    QList<QTextLength> widths;
    int left = 0;
    for (const RtfTableCell& cell : widest->Cells) {
      int width = cell.RightEdge - left;
      if (cell.RightEdge <= 0 || width <= 0)
        widths.append(QTextLength(QTextLength::VariableLength, 0));
      else
        widths.append(QTextLength(QTextLength::FixedLength, Units(width)));
      left = std::max(left, cell.RightEdge);
    }
    format.setColumnWidthConstraints(widths);
    if (!first_block_) cursor_.insertBlock();
    first_block_ = false;
    QTextTable* qtable = cursor_.insertTable(static_cast<int>(table.Rows.size()), columns, format);
    for (int r = 0; r < static_cast<int>(table.Rows.size()); ++r) {
      const RtfTableRow& row = table.Rows[static_cast<size_t>(r)];
      for (int c = 0; c < static_cast<int>(row.Cells.size()); ++c) {
        cursor_ = qtable->cellAt(r, c).firstCursorPosition();
        bool first = true;
        for (const RtfParagraph& p : row.Cells[static_cast<size_t>(c)].Paragraphs) {
          if (!first) cursor_.insertBlock();
          first = false;
          Fill(p);
        }
      }
    }
    cursor_ = qtable->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    // The block after a table exists already: the next paragraph fills it.
    first_block_ = true;
  }

  QTextDocument& doc_;
  double dpi_;
  QTextCursor cursor_;
  bool first_block_ = true;
};

}  // namespace

std::unique_ptr<QTextDocument> BuildTextDocument(const RtfDocument& model, double dots_per_inch) {
  auto doc = std::make_unique<QTextDocument>();
  doc->setUndoRedoEnabled(false);
  Builder(*doc, dots_per_inch > 0 ? dots_per_inch : 96.0).Build(model);
  return doc;
}

}  // namespace kest
