#include "viewer/core/print_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "support/rounding.h"

namespace kest {

PrintRange PrintRangeFor(int32_t first, int32_t last, std::optional<int32_t> top,
                         std::optional<int32_t> bottom, int32_t scale) {
  const double step = std::max(scale, 1) * 20.0;
  const double t = top.value_or(first);
  const double b = bottom.value_or(last);
  return {Trunc32(step * static_cast<double>(Trunc(t / step))),
          Trunc32(step * static_cast<double>(RoundHalfEven(b / step + 0.5)))};
}

int64_t SheetRows(const PrintRange& range, double pixels_per_mm, int32_t scale) {
  const double rows =
      (static_cast<double>(range.Bottom) - range.Top) * pixels_per_mm / std::max(scale, 1);
  return std::max<int64_t>(0, RoundHalfEven(rows));
}

namespace {

// Cuts one block into slices from the current page and row on.
struct Paster {
  int64_t page_rows;
  int page = 0;
  int64_t row = 0;

  void NewPageIfFull() {
    if (row >= page_rows) {
      ++page;
      row = 0;
    }
  }
  void Paste(int64_t rows, bool last_chunk, std::vector<PageSlice>& out) {
    for (int64_t done = 0; done < rows;) {
      NewPageIfFull();
      const int64_t slice = std::min(rows - done, page_rows - row);
      PageSlice s{page, row, done, slice, false};
      row += slice;
      done += slice;
      s.ClosingLine = last_chunk && done == rows && row < page_rows;
      out.push_back(s);
    }
  }
};

}  // namespace

PagePlan PlanPages(int64_t page_rows, int64_t head_line_rows, int64_t header_rows,
                   int64_t sheet_rows, const PrintRange& range) {
  PagePlan plan;
  Paster paster{std::max<int64_t>(page_rows, 1)};
  paster.row = std::max<int64_t>(head_line_rows, 0);
  paster.Paste(std::max<int64_t>(header_rows, 0), false, plan.Header);
  paster.row += 1;
  const int64_t rows = std::max<int64_t>(sheet_rows, 0);
  const double per_row = rows > 0 ? (static_cast<double>(range.Bottom) - range.Top) / rows : 0;
  for (int64_t first = 0; first < rows || (rows == 0 && first == 0);
       first += PagePlan::kChunkRows) {
    const int64_t chunk = std::min(PagePlan::kChunkRows, rows - first);
    const bool last = first + chunk >= rows;
    std::vector<PageSlice> slices;
    paster.Paste(chunk, last, slices);
    for (PageSlice& s : slices) s.SourceRow += first;
    plan.Sheet.insert(plan.Sheet.end(), slices.begin(), slices.end());
    plan.Chunks.push_back(
        {range.Top + RoundHalfEven32(first * per_row),
         last ? range.Bottom : range.Top + RoundHalfEven32((first + chunk) * per_row)});
    if (rows == 0) break;
  }
  int last_page = paster.page;
  if (paster.row == 0 && last_page > 0) --last_page;  // a page broken at its very end holds nothing
  plan.Pages = last_page + 1;
  return plan;
}

bool FixedEditAccepts(std::string_view text, size_t caret, char key, bool allow_point,
                      bool allow_minus) {
  if (key >= '0' && key <= '9') return true;
  if (key == '.' || key == ',')
    return allow_point && text.find_first_of(".,") == std::string_view::npos;
  if (key == '-') return allow_minus && caret == 0 && text.find('-') == std::string_view::npos;
  return false;
}

std::optional<double> FixedEditValue(std::string_view text) {
  if (text.empty() || text == "-") return 0.0;
  // A comma is the decimal separator as much as the point is ("1234,5" pasted).
  std::string number(text);
  if (const size_t comma = number.find(','); comma != std::string::npos) number[comma] = '.';
  double value = 0;
  const char* end = number.data() + number.size();
  auto [ptr, ec] = std::from_chars(number.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string FormatFixed(double value, std::string_view display_format) {
  const size_t point = display_format.find('.');
  const std::string_view decimals =
      point == std::string_view::npos ? std::string_view() : display_format.substr(point + 1);
  const size_t fixed = std::min(decimals.find('#'), decimals.size());
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(decimals.size()), value);
  std::string text = buffer;
  // Optional digits go when they are trailing zeros.
  if (!decimals.empty()) {
    const size_t dot = text.find('.');
    size_t keep = text.size();
    while (keep > dot + 1 + fixed && text[keep - 1] == '0') --keep;
    if (keep == dot + 1) --keep;  // no digit left after the point
    text.resize(keep);
  }
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

double TimeToMinutesSeconds(int32_t ms) {
  const double seconds = ms / 1000.0;
  const int64_t minutes = Trunc(seconds) / 60;
  const double rest = seconds - static_cast<double>(minutes) * 60;
  return static_cast<double>(minutes) + (rest < 0 ? -rest : rest) / 100.0;
}

int32_t MinutesSecondsToTime(double minutes_seconds) {
  const double minutes = static_cast<double>(Trunc(minutes_seconds));
  const double seconds = (minutes_seconds - minutes) * 100.0;
  return RoundHalfEven32((minutes * 60.0 + seconds) * 1000.0);
}

}  // namespace kest
