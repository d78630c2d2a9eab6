// The geometry of a printed log: the range on major grid lines, rows, pages and
// chunks, and the print dialog's field rules.
#include "viewer/core/print_plan.h"

#include <gtest/gtest.h>

namespace kest {
namespace {

TEST(PrintRange, WidensToMajorGridLinesOfTwentyMillimetresOfPaper) {
  // 1 234.5 .. 1 250.1 m at 1:200: grid lines every 4 m.
  PrintRange r = PrintRangeFor(1234500, 1250100, std::nullopt, std::nullopt, 200);
  EXPECT_EQ(r.Top, 1232000);
  EXPECT_EQ(r.Bottom, 1252000);
  // Typed 1234 .. 1250 m (stored as 1 234 000 .. 1 250 000) take precedence.
  r = PrintRangeFor(1234500, 1250100, 1234000, 1250000, 200);
  EXPECT_EQ(r.Top, 1232000);
  EXPECT_EQ(r.Bottom, 1252000);
  // A bottom already on a grid line stays there (Round(x + 0.5) rounds the half to even).
  r = PrintRangeFor(1232000, 1248000, std::nullopt, std::nullopt, 200);
  EXPECT_EQ(r.Bottom, 1248000);
  r = PrintRangeFor(1232000, 1248001, std::nullopt, std::nullopt, 200);
  EXPECT_EQ(r.Bottom, 1252000);
  // A scale of 0 cannot divide by zero.
  r = PrintRangeFor(0, 50, std::nullopt, std::nullopt, 0);
  EXPECT_EQ(r.Top, 0);
  EXPECT_EQ(r.Bottom, 60);
}

TEST(PrintRange, RowsFollowTheScaleAndTheDeviceResolution) {
  const PrintRange r{1232000, 1252000};            // 20 m
  EXPECT_EQ(SheetRows(r, 600 / 25.4, 200), 2362);  // 100 mm of paper at 600 dpi
  EXPECT_EQ(SheetRows(r, 96 / 25.4, 200), 378);
  EXPECT_EQ(SheetRows({10, 0}, 10, 1), 0);  // an upside-down range prints nothing
}

TEST(PagePlan, BlocksRunOnAcrossPagesWithOneRowBetweenHeaderAndSheet) {
  const PagePlan plan = PlanPages(1000, 300, 150, 1800, {0, 18000});
  ASSERT_EQ(plan.Header.size(), 1u);
  EXPECT_EQ(plan.Header[0].PageRow, 300);
  EXPECT_EQ(plan.Header[0].Rows, 150);
  // The sheet starts one row below the header: 549 rows fit on page 0.
  ASSERT_EQ(plan.Sheet.size(), 3u);
  EXPECT_EQ(plan.Sheet[0].Page, 0);
  EXPECT_EQ(plan.Sheet[0].PageRow, 451);
  EXPECT_EQ(plan.Sheet[0].Rows, 549);
  EXPECT_EQ(plan.Sheet[1].Page, 1);
  EXPECT_EQ(plan.Sheet[1].SourceRow, 549);
  EXPECT_EQ(plan.Sheet[1].Rows, 1000);
  EXPECT_EQ(plan.Sheet[2].Rows, 1800 - 549 - 1000);
  EXPECT_FALSE(plan.Sheet[1].ClosingLine);
  EXPECT_TRUE(plan.Sheet[2].ClosingLine);  // the end of the log above the page bottom
  EXPECT_EQ(plan.Pages, 3);
}

TEST(PagePlan, ASheetEndingExactlyAtThePageBottomNeedsNoClosingLineAndNoEmptyPage) {
  const PagePlan plan = PlanPages(1000, 0, 99, 900, {0, 900});
  ASSERT_EQ(plan.Sheet.size(), 1u);
  EXPECT_FALSE(plan.Sheet[0].ClosingLine);
  EXPECT_EQ(plan.Pages, 1);
  // A header that fills its page: the space row falls at the break, the sheet
  // starts the next page.
  const PagePlan full = PlanPages(100, 0, 100, 10, {0, 10});
  EXPECT_EQ(full.Sheet[0].Page, 1);
  EXPECT_EQ(full.Sheet[0].PageRow, 0);
  EXPECT_EQ(full.Pages, 2);
}

TEST(PagePlan, VeryLongLogsAreDrawnInBoundedChunksThatCoverTheRangeExactly) {
  const int64_t rows = 3 * PagePlan::kChunkRows + 10;
  const PrintRange range{1000000, 1000000 + static_cast<int32_t>(rows) * 5};
  const PagePlan plan = PlanPages(5000, 0, 100, rows, range);
  ASSERT_EQ(plan.Chunks.size(), 4u);
  EXPECT_EQ(plan.Chunks.front().Top, range.Top);
  EXPECT_EQ(plan.Chunks.back().Bottom, range.Bottom);
  for (size_t i = 1; i < plan.Chunks.size(); ++i)
    EXPECT_EQ(plan.Chunks[i].Top, plan.Chunks[i - 1].Bottom);
  int64_t covered = 0;
  int closing = 0;
  for (const PageSlice& s : plan.Sheet) {
    EXPECT_LE(s.PageRow + s.Rows, 5000);
    covered += s.Rows;
    closing += s.ClosingLine;
  }
  EXPECT_EQ(covered, rows);
  EXPECT_EQ(closing, 1);  // only the last chunk closes the log
  // An empty range still gives a page with the header.
  EXPECT_EQ(PlanPages(5000, 0, 100, 0, {0, 0}).Pages, 1);
}

TEST(PrintDialogFields, TypingFilterAndReadingRules) {
  EXPECT_TRUE(FixedEditAccepts("12", 2, '7', false, false));
  EXPECT_FALSE(FixedEditAccepts("12", 2, '.', false, false));  // only digits in the print dialog
  EXPECT_TRUE(FixedEditAccepts("12", 2, '.', true, false));
  EXPECT_FALSE(FixedEditAccepts("1.2", 3, '.', true, false));
  EXPECT_TRUE(FixedEditAccepts("12", 0, '-', false, true));
  EXPECT_FALSE(FixedEditAccepts("12", 1, '-', false, true));
  EXPECT_FALSE(FixedEditAccepts("-12", 0, '-', false, true));
  EXPECT_FALSE(FixedEditAccepts("12", 2, 'e', true, true));
  EXPECT_EQ(FixedEditValue(""), 0.0);
  EXPECT_EQ(FixedEditValue("-"), 0.0);
  EXPECT_EQ(FixedEditValue("1234.5"), 1234.5);
  // A pasted text: both decimal separators read alike; anything else is no number
  // (never 0, which would print from the top of the log).
  EXPECT_EQ(FixedEditValue("1234,5"), 1234.5);
  EXPECT_TRUE(FixedEditAccepts("12", 2, ',', true, false));
  EXPECT_FALSE(FixedEditAccepts("1.2", 3, ',', true, false));
  for (const char* bad : {"12a4", "1,2,3", "1.2.3", "1e999", "нет", "1 2"})
    EXPECT_EQ(FixedEditValue(bad), std::nullopt) << bad;
}

TEST(PrintDialogFields, DisplayFormatsKeepTheMarkedDigits) {
  EXPECT_EQ(FormatFixed(1234.5, "0.0#"), "1234.5");
  EXPECT_EQ(FormatFixed(1234.567, "0.0#"), "1234.57");
  EXPECT_EQ(FormatFixed(1234, "0.0#"), "1234.0");
  EXPECT_EQ(FormatFixed(1.5, "0.0"), "1.5");
  EXPECT_EQ(FormatFixed(0.04, "0.0"), "0.0");
  EXPECT_EQ(FormatFixed(-0.001, "0.0#"), "0.0");
  EXPECT_EQ(FormatFixed(-2.5, "0.0"), "-2.5");
  EXPECT_EQ(FormatFixed(12.3, "0"), "12");
  EXPECT_EQ(FormatFixed(12.30, "0.##"), "12.3");
  EXPECT_EQ(FormatFixed(12, "0.##"), "12");
}

TEST(PrintDialogFields, TimeRangesAreMinutesDotSecondsAndBack) {
  EXPECT_DOUBLE_EQ(TimeToMinutesSeconds(750000), 12.30);  // 12 min 30 s
  EXPECT_DOUBLE_EQ(TimeToMinutesSeconds(59000), 0.59);
  EXPECT_DOUBLE_EQ(TimeToMinutesSeconds(3600000), 60.0);
  for (int32_t ms : {0, 1000, 59000, 60000, 750000, 3599000})
    EXPECT_EQ(MinutesSecondsToTime(TimeToMinutesSeconds(ms)), ms) << ms;
}

}  // namespace
}  // namespace kest
