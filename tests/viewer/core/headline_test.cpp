#include "viewer/core/headline.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "lisp/wlisp.h"
#include "log/research_parameters.h"
#include "support/string_list.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"
#include "viewer/core/rtf_reader.h"

namespace kest {
namespace {

const RtfParagraph& Para(const RtfDocument& doc, size_t i) {
  return std::get<RtfParagraph>(doc.Blocks.at(i));
}

class HeadLine : public ::testing::Test {
 protected:
  void SetUp() override {
    research_.Reload(Write("T.RP",
                           "(((PARAMETER . AREA) (DISPLAYNAME . \"Площадь\"))"
                           " ((PARAMETER . WELL) (DISPLAYNAME . \"Скважина\")))"));
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir_.File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  RtfDocument Fill(const std::string& rtf) { return FillHeadLine(ReadRtf(rtf), sheet_, research_); }
  std::string FillText(const std::string& line) {
    return Para(Fill("{\\rtf1 " + line + "}"), 0).Text();
  }

  TWLisp lisp_;
  testing::TempDir dir_;
  TResearchParameters research_;
  StringList sheet_{"well=1234", "oilfield=Самотлорское", "long=123456789", "odd=x]y[",
                    "lt=<well>"};
};

TEST_F(HeadLine, ValuesTakeTheFormatOfTheirPlaceholders) {
  RtfDocument doc = Fill("{\\rtf1 Well: {\\b <WELL>} x {\\i\\fs28 <[AREA]>}}");
  const RtfParagraph& p = Para(doc, 0);
  EXPECT_EQ(p.Text(), "Well: 1234   x Площадь");
  ASSERT_EQ(p.Runs.size(), 4u);
  EXPECT_EQ(p.Runs[1].Text, "1234  ");
  EXPECT_TRUE(p.Runs[1].Format.Bold);
  EXPECT_EQ(p.Runs[3].Text, "Площадь");
  EXPECT_TRUE(p.Runs[3].Format.Italic);
  EXPECT_EQ(p.Runs[3].Format.HalfPoints, 28);
}

TEST_F(HeadLine, ReplacementOverwritesTheFollowingTextInsteadOfShiftingIt) {
  EXPECT_EQ(FillText("<WELL>|end"), "1234  |end");
  EXPECT_EQ(FillText("<LONG>abc"), "123456789");
  EXPECT_EQ(FillText("<LONG>abcdefghijkl"), "123456789defghijkl");
  EXPECT_EQ(FillText("a <LONG><WELL>"), "a 123456789LL>") << "the second segment is overwritten";
  EXPECT_EQ(FillText("<NONE>   "), "") << "an absent parameter blanks its segment; spaces trimmed";
  EXPECT_EQ(FillText("<LT>"), "<well>") << "a value is not expanded again";
  EXPECT_EQ(FillText("a<WELL>\\line <OILFIELD>x"), "a1234\nСамотлорское")
      << "each line of a paragraph is filled on its own";
  EXPECT_EQ(FillText("a < b"), "a < b") << "an unclosed \"<\" is text";
}

TEST_F(HeadLine, ClosingBracketFirstIsInvalidHeaderData) {
  for (const char* line : {"a > b <WELL>", "<ODD>", "<[AREA]] [>"}) {
    SCOPED_TRACE(line);
    EXPECT_THROW_MSG(FillText(line), ELogViewerError, "Invalid header data");
  }
  EXPECT_EQ(FillText("a > b"), "a > b") << "a line without placeholders stays as it is";
}

TEST_F(HeadLine, UnknownResearchParameterFails) {
  EXPECT_THROW_MSG(FillText("<[NOSUCH]>"), EResearchParametersError,
                   "Параметр \"NOSUCH\" не найден");
}

TEST_F(HeadLine, TableCellsAreFilled) {
  RtfDocument doc =
      Fill("{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl <[WELL]>\\cell <WELL>\\cell\\row}");
  const auto& row = std::get<RtfTable>(doc.Blocks.at(0)).Rows.at(0);
  EXPECT_EQ(row.Cells.at(0).Paragraphs.at(0).Text(), "Скважина");
  EXPECT_EQ(row.Cells.at(1).Paragraphs.at(0).Text(), "1234");
  EXPECT_EQ(row.Cells.at(1).RightEdge, 2000);
}

TEST_F(HeadLine, LoadNeedsTheParameterFileInAnyCase) {
  std::string rtf = "{\\rtf1 <[AREA]>: <WELL>}";
  std::string with = Write("with.rtf", rtf);
  Write("WITH.rp", "(((PARAMETER . AREA) (DISPLAYNAME . \"Пл\")))");
  EXPECT_EQ(HeadLineParamsFile(with), dir_.File("WITH.rp"));
  EXPECT_EQ(Para(LoadHeadLine(with, sheet_), 0).Text(), "Пл      : 1234");
  std::string without = Write("WITHOUT.RTF", rtf);
  EXPECT_EQ(HeadLineParamsFile(without), "");
  EXPECT_THROW_MSG(LoadHeadLine(without, sheet_), ELogViewerError,
                   "Нет файла параметров исследования (.RP) для шапки \"" + without + "\"");
  Write("BROKEN.RP", "(((PARAMETER . AREA) (DISPLAYNAME . \"A\")))");
  EXPECT_THROW_MSG(LoadHeadLine(Write("BROKEN.RTF", "{\\rtf1 unclosed"), sheet_), ERtfReaderError,
                   "Invalid rich text at offset 15: 1 groups not closed at the end");
  // A template that is gone while its parameters stay.
  Write("ABSENT.RP", "(((PARAMETER . AREA) (DISPLAYNAME . \"A\")))");
  EXPECT_THROW_MSG_HAS(LoadHeadLine(dir_.File("ABSENT.RTF"), sheet_), EInOutError,
                       "Не удалось открыть файл \"" + dir_.File("ABSENT.RTF") + "\": ");
}

TEST_F(HeadLine, TemplatesOfAFolderSortedAnyCase) {
  for (const char* name : {"b.RTF", "a.rtf", "Z.Rtf", "c.txt", "rtf"}) Write(name, "");
  EXPECT_EQ(HeadLineTemplates(dir_.Path().string()),
            (std::vector<std::string>{"Z.Rtf", "a.rtf", "b.RTF"}));
  EXPECT_TRUE(HeadLineTemplates(dir_.File("none")).empty());
}

TEST_F(HeadLine, ShippedTemplatesFillEveryPlaceholder) {
  StringList sheet{"oilfield=Самотлорское",
                   "well=1234",
                   "wellgroup=12",
                   "date=01.02.2024",
                   "company=Заказчик",
                   "servicecompany=ГИС",
                   "party=7",
                   "operator=Иванов",
                   "goal=ГК",
                   "Прибор=ГК №1",
                   "StartTime=01.02.2024 10:00:00",
                   "StopTime=01.02.2024 11:00:00"};
  const std::string folder = test::DataRoot() + "/Data/HeadLine";
  EXPECT_EQ(HeadLineTemplates(folder), (std::vector<std::string>{"DEPTH.RTF", "TIME.RTF"}));
  for (const std::string& name : HeadLineTemplates(folder)) {
    SCOPED_TRACE(name);
    RtfDocument doc = LoadHeadLine(folder + "/" + name, sheet);
    const auto& table = std::get<RtfTable>(doc.Blocks.at(2));
    EXPECT_EQ(table.Rows.at(0).Cells.at(0).Paragraphs.at(0).Text(), "Месторождение");
    EXPECT_EQ(table.Rows.at(0).Cells.at(1).Paragraphs.at(0).Text(), "Самотлорское");
    EXPECT_TRUE(table.Rows.at(0).Cells.at(0).Paragraphs.at(0).Runs.at(0).Format.Bold);
    for (const auto& row : table.Rows)
      for (const auto& cell : row.Cells)
        for (const auto& p : cell.Paragraphs)
          EXPECT_EQ(p.Text().find_first_of("<>[]"), std::string::npos) << p.Text();
  }
}

// "Дата" of a recorded log, which knows only when its recording started, is that
// start date; a log's own date is kept.
TEST_F(HeadLine, ARecordedLogIsDatedByItsStart) {
  const std::string folder = test::DataRoot() + "/Data/HeadLine";
  auto date_of = [&](const std::string& name, const StringList& sheet) {
    RtfDocument doc = LoadHeadLine(folder + "/" + name, sheet);
    for (const auto& row : std::get<RtfTable>(doc.Blocks.at(2)).Rows)
      for (size_t i = 0; i + 1 < row.Cells.size(); ++i)
        if (row.Cells[i].Paragraphs.at(0).Text() == "Дата")
          return row.Cells[i + 1].Paragraphs.at(0).Text();
    return std::string("no Дата");
  };
  for (const std::string& name : HeadLineTemplates(folder)) {
    SCOPED_TRACE(name);
    EXPECT_EQ(date_of(name, {"well=1", "StartTime=09.12.2026", "StopTime=10.12.2026"}),
              "09.12.2026");
    EXPECT_EQ(date_of(name, {"date=", "StartTime=09.12.2026"}), "09.12.2026");
    EXPECT_EQ(date_of(name, {"StartTime=09.12.2026", "Date=01.02.2024"}), "01.02.2024");
  }
  EXPECT_EQ(FillText("<DATE>|"), "      |");  // neither: blank, as any absent value
}

TEST(HeadLineHeight, TwoAndAHalfTimesTheLinesCharacterHeights) {
  // 12 pt and 16 pt lines at 96 ppi: 2.5 x 28 x 96 / 72 = 93.3.
  RtfDocument doc = ReadRtf("{\\rtf1 a\\par\\fs32 b {\\fs20 c}\\par}");
  EXPECT_EQ(HeadLineHeight(doc, 96), 93);
  EXPECT_EQ(HeadLineHeight(doc, 120), 116);
  // A \line starts a line; an empty paragraph counts at its mark's size.
  EXPECT_EQ(HeadLineHeight(ReadRtf("{\\rtf1 a\\line b\\par\\fs48\\par}"), 72), 2 * 30 + 60);
  // A table row counts as its tallest cell: 10 pt beside 10 + 10 pt.
  RtfDocument table =
      ReadRtf("{\\rtf1\\fs20\\trowd\\cellx100\\cellx200\\intbl a\\cell b\\par c\\cell\\row}");
  EXPECT_EQ(HeadLineHeight(table, 72), 50);
  EXPECT_EQ(HeadLineHeight(RtfDocument{}, 96), 0);
}

}  // namespace
}  // namespace kest
