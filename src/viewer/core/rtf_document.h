#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kest {

// The rich text of a head-line template as the RTF reader gives it: paragraphs of
// runs and tables of cells of paragraphs. All text is UTF-8; "\t" is a tab and "\n"
// a line break inside a paragraph. Lengths are in twips (1/1440 inch).
struct RtfCharFormat {
  std::string Font;     // family name; empty: the renderer's default
  int HalfPoints = 24;  // font size in half-points (\fsN)
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  std::optional<uint32_t> Color;  // 0xRRGGBB; none: the automatic colour

  double Points() const { return HalfPoints / 2.0; }
  bool operator==(const RtfCharFormat&) const = default;
};

enum class RtfAlignment { Left, Center, Right, Justify };

struct RtfParaFormat {
  RtfAlignment Alignment = RtfAlignment::Left;
  int LeftIndent = 0;
  int RightIndent = 0;
  int FirstIndent = 0;  // relative to the left indent; may be negative

  bool operator==(const RtfParaFormat&) const = default;
};

struct RtfRun {
  std::string Text;
  RtfCharFormat Format;

  bool operator==(const RtfRun&) const = default;
};

struct RtfParagraph {
  std::vector<RtfRun> Runs;
  RtfParaFormat Format;
  RtfCharFormat EndFormat;  // the format at the paragraph mark (empty lines)

  std::string Text() const {
    std::string text;
    for (const RtfRun& run : Runs) text += run.Text;
    return text;
  }
  bool operator==(const RtfParagraph&) const = default;
};

struct RtfTableCell {
  std::vector<RtfParagraph> Paragraphs;
  int RightEdge = 0;  // \cellxN of the row: from the row's left edge; 0: unknown

  bool operator==(const RtfTableCell&) const = default;
};

struct RtfTableRow {
  std::vector<RtfTableCell> Cells;
  bool Borders = false;  // the row defines cell or row borders

  bool operator==(const RtfTableRow&) const = default;
};

struct RtfTable {
  std::vector<RtfTableRow> Rows;

  bool operator==(const RtfTable&) const = default;
};

using RtfBlock = std::variant<RtfParagraph, RtfTable>;

struct RtfDocument {
  std::vector<RtfBlock> Blocks;
  int DefaultTab = 720;  // \deftabN

  bool operator==(const RtfDocument&) const = default;
};

}  // namespace kest
