#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

// The geometry of a printed log, worked out before anything is drawn: the range
// widened to major grid lines, the sheet's height in device rows, and how the
// header and the sheet fall onto pages.

// An argument range (millimetres of depth or milliseconds of time).
struct PrintRange {
  int32_t Top = 0;
  int32_t Bottom = 0;
};

// The range to print: `top`/`bottom` when given, else the sheet's first/last
// argument, widened so that both fall on major grid lines every `scale` × 20
// argument units (20 mm of paper): top = step × Trunc(top / step), bottom =
// step × Round(bottom / step + 0.5). A scale below 1 counts as 1.
PrintRange PrintRangeFor(int32_t first, int32_t last, std::optional<int32_t> top,
                         std::optional<int32_t> bottom, int32_t scale);

// Device rows the range takes: Round((bottom − top) × pixels_per_mm / scale).
int64_t SheetRows(const PrintRange& range, double pixels_per_mm, int32_t scale);

// One piece of a block (the header or a chunk of the sheet) on one page.
struct PageSlice {
  int Page = 0;           // from 0
  int64_t PageRow = 0;    // where the slice starts on its page
  int64_t SourceRow = 0;  // the first row of the block it shows
  int64_t Rows = 0;
  bool ClosingLine = false;  // a line along its bottom (the end of the sheet above the page bottom)
};

// How blocks are cut into pages. The header comes first (after the head line's
// rows), then one row of space, then the sheet in chunks of at most
// `kChunkRows` rows, so that no drawing surface grows with the log's length; the
// last chunk closes with a line when it ends above the page bottom. Every slice
// gets the frame lines at both edges of the content.
struct PagePlan {
  static constexpr int64_t kChunkRows = 32767;

  std::vector<PageSlice> Header;
  std::vector<PageSlice> Sheet;
  // The sheet's chunks: first row and rows of each (the view's top moves by the
  // chunk's length in argument units before each is drawn).
  std::vector<PrintRange> Chunks;
  int Pages = 0;
};

// Plans `header_rows` and `sheet_rows` onto pages of `page_rows` rows, starting
// below `head_line_rows` on the first page; Chunks maps each chunk back onto
// `range`. A page height below 1 counts as 1.
PagePlan PlanPages(int64_t page_rows, int64_t head_line_rows, int64_t header_rows,
                   int64_t sheet_rows, const PrintRange& range);

// The numeric fields of the print dialog: whether `key` may be typed into `text`
// with the caret at `caret`. Digits always; the decimal point or comma when
// `allow_point` and the text has neither; "-" when `allow_minus`, the caret is at 0 and the text
// has none. (Backspace is handled by the widget.)
bool FixedEditAccepts(std::string_view text, size_t caret, char key, bool allow_point,
                      bool allow_minus);
// The value of such a field: "" and "-" read as 0, otherwise the number ("." or
// "," as the separator); text that is no number reads as nullopt.
std::optional<double> FixedEditValue(std::string_view text);

// `value` through a display format of the "0.0#" kind: the digits after the point
// that "0" marks always, those "#" marks when not zero ("0.0#": 1234.5, 1234.56).
std::string FormatFixed(double value, std::string_view display_format);

// A time argument (ms) as the dialog shows it: minutes + seconds / 100 (12 min
// 30 s -> 12.30). And back: 12.30 -> 750 000 ms.
double TimeToMinutesSeconds(int32_t ms);
int32_t MinutesSecondsToTime(double minutes_seconds);

}  // namespace kest
