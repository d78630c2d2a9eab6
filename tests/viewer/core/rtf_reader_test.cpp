#include "viewer/core/rtf_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/stream.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

const RtfParagraph& Para(const RtfDocument& doc, size_t i) {
  return std::get<RtfParagraph>(doc.Blocks.at(i));
}

std::string ReadShipped(const std::string& name) {
  std::vector<uint8_t> bytes = ReadWholeFile(test::DataRoot() + "/Data/HeadLine/" + name);
  return std::string(bytes.begin(), bytes.end());
}

TEST(RtfReader, FormatsFontsColoursAndCyrillicBytes) {
  RtfDocument doc = ReadRtf(
      "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 Times New Roman;}{\\f1\\fswiss Arial;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}"
      "\\pard\\qc\\li100\\ri200\\fi-50 plain {\\b\\f0\\fs28\\cf1 "
      "\\'c3\\'eb\\'f3\\'e1\\'e8\\'ed\\'e0}"
      " \\ul under\\ul0  \\i it\\i0\\par"
      "\\pard second\\tab x\\line y}");
  ASSERT_EQ(doc.Blocks.size(), 2u);
  const RtfParagraph& p = Para(doc, 0);
  EXPECT_EQ(p.Format.Alignment, RtfAlignment::Center);
  EXPECT_EQ(p.Format.LeftIndent, 100);
  EXPECT_EQ(p.Format.RightIndent, 200);
  EXPECT_EQ(p.Format.FirstIndent, -50);
  EXPECT_EQ(p.Text(), "plain Глубина under it");
  ASSERT_GE(p.Runs.size(), 5u);
  EXPECT_EQ(p.Runs[0].Format.Font, "Arial");  // \deff1
  EXPECT_FALSE(p.Runs[0].Format.Bold);
  EXPECT_EQ(p.Runs[1].Text, "Глубина");
  EXPECT_TRUE(p.Runs[1].Format.Bold);
  EXPECT_EQ(p.Runs[1].Format.Font, "Times New Roman");
  EXPECT_EQ(p.Runs[1].Format.HalfPoints, 28);
  EXPECT_EQ(p.Runs[1].Format.Color, 0xFF0000u);
  EXPECT_FALSE(p.Runs[2].Format.Bold) << "the group's end restores the format";
  EXPECT_TRUE(p.Runs[3].Format.Underline);
  const RtfParagraph& q = Para(doc, 1);
  EXPECT_EQ(q.Format.Alignment, RtfAlignment::Left) << "\\pard resets the paragraph";
  EXPECT_EQ(q.Text(), "second\tx\ny") << "the last paragraph needs no \\par";
}

TEST(RtfReader, EscapesUnicodeAndSkippedDestinations) {
  RtfDocument doc = ReadRtf(
      "{\\rtf1{\\info{\\title hidden}}{\\stylesheet{\\s0 Normal;}}{\\*\\unknown hidden}"
      "{\\pict\\bin4 }}}}}\\emdash a\\{b\\}c\\\\d \\u1046?\\uc2\\u1078xy!"
      "\\uc1\\u-10179?\\u-8704?.\\foo123 ok}");
  ASSERT_EQ(doc.Blocks.size(), 1u);
  // \u-10179\u-8704 is the surrogate pair of U+1F600.
  EXPECT_EQ(Para(doc, 0).Text(), "—a{b}c\\d Жж!😀.ok");
}

TEST(RtfReader, TableRowsCellsAndWidths) {
  RtfDocument doc = ReadRtf(
      "{\\rtf1 before\\par"
      "\\trowd\\clbrdrt\\brdrs\\cellx1000\\cellx3000"
      "\\pard\\intbl a\\par a2\\cell\\pard\\intbl b\\cell\\row"
      "\\trowd\\cellx1500\\cellx3000\\pard\\intbl c\\cell d\\cell\\row"
      "\\pard after\\par}");
  ASSERT_EQ(doc.Blocks.size(), 3u);
  const auto& table = std::get<RtfTable>(doc.Blocks[1]);
  ASSERT_EQ(table.Rows.size(), 2u);
  ASSERT_EQ(table.Rows[0].Cells.size(), 2u);
  EXPECT_TRUE(table.Rows[0].Borders);
  EXPECT_FALSE(table.Rows[1].Borders);
  ASSERT_EQ(table.Rows[0].Cells[0].Paragraphs.size(), 2u);
  EXPECT_EQ(table.Rows[0].Cells[0].Paragraphs[1].Text(), "a2");
  EXPECT_EQ(table.Rows[0].Cells[0].RightEdge, 1000);
  EXPECT_EQ(table.Rows[1].Cells[0].RightEdge, 1500);
  EXPECT_EQ(table.Rows[1].Cells[1].Paragraphs[0].Text(), "d");
  EXPECT_EQ(Para(doc, 2).Text(), "after");
}

TEST(RtfReader, ShippedTemplatesHaveABoldTitleAndAWellTable) {
  for (const char* name : {"DEPTH.RTF", "TIME.RTF"}) {
    SCOPED_TRACE(name);
    RtfDocument doc = ReadRtf(ReadShipped(name));
    ASSERT_GE(doc.Blocks.size(), 3u);
    const RtfParagraph& title = Para(doc, 0);
    EXPECT_TRUE(title.Text() == "Каротаж по глубине" || title.Text() == "Каротаж по времени");
    EXPECT_TRUE(title.Runs.at(0).Format.Bold);
    EXPECT_EQ(title.Format.Alignment, RtfAlignment::Center);
    const auto* table = std::get_if<RtfTable>(&doc.Blocks[2]);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Rows.size(), 5u);
    EXPECT_EQ(table->Rows[0].Cells.at(1).Paragraphs.at(0).Text(), "<OILFIELD>");
    EXPECT_EQ(table->Rows[0].Cells.at(3).RightEdge, 10000);
  }
}

// Damaged inputs: each is refused with the reader's error naming the offset, or
// gives a sane result.
struct Damaged {
  const char* what;
  std::string input;
  const char* message;  // nullptr: read without error
};

std::string Corpus(const char* name) {
  return test::Slurp(test::SourceDir() + "/fuzz/corpus/rtf/" + name);
}

TEST(RtfReader, DamagedInputs) {
  const std::vector<Damaged> cases = {
      {"not rich text", "hello", "Invalid rich text at offset 0: no \"{\\rtf\" at the start"},
      {"empty", "", "Invalid rich text at offset 0: no \"{\\rtf\" at the start"},
      {"truncated", "{\\rtf1 abc{\\b de",
       "Invalid rich text at offset 16: 2 groups not closed at the end"},
      {"truncated in a word", "{\\rtf1 \\", "Invalid rich text at offset 7: \"\\\" at the end"},
      {"extra brace", "{\\rtf1 a}}", "Invalid rich text at offset 9: \"}\" without its \"{\""},
      {"huge control word", "{\\rtf1 \\" + std::string(100000, 'a') + "}",
       "Invalid rich text at offset 7: control word longer than 32 letters"},
      {"huge number", "{\\rtf1 \\fs" + std::string(40, '9') + "}",
       "Invalid rich text at offset 7: number longer than 10 digits"},
      {"number past 32 bits", "{\\rtf1 \\fs9999999999}",
       "Invalid rich text at offset 7: number out of range"},
      {"deep nesting", std::string("{\\rtf1") + std::string(100, '{') + std::string(101, '}'),
       "Invalid rich text at offset 69: groups nested deeper than 64"},
      {"bad hex", "{\\rtf1 \\'zz}",
       "Invalid rich text at offset 7: \"\\'\" not followed by two hex digits"},
      {"hex cut off", "{\\rtf1 \\'4",
       "Invalid rich text at offset 7: \"\\'\" not followed by two hex digits"},
      {"bin past the end", "{\\rtf1 {\\pict\\bin999 ab}}",
       "Invalid rich text at offset 13: \"\\bin\" data past the end"},
      {"negative unicode", "{\\rtf1 \\u-1?}", nullptr},
      {"uc skip past the end", "{\\rtf1 \\uc1000\\u1046 abc}", nullptr},
      {"lone surrogate", "{\\rtf1 \\u-10179?x}", nullptr},
      {"trailing bytes", "{\\rtf1 a}\r\n\0", nullptr},
      // The fuzz corpus's damaged seeds.
      {"corpus badhex.rtf", Corpus("badhex.rtf"),
       "Invalid rich text at offset 7: \"\\'\" not followed by two hex digits"},
      {"corpus bigword.rtf", Corpus("bigword.rtf"),
       "Invalid rich text at offset 7: control word longer than 32 letters"},
      {"corpus nesting.rtf", Corpus("nesting.rtf"),
       "Invalid rich text at offset 69: groups nested deeper than 64"},
      {"corpus truncated.rtf", Corpus("truncated.rtf"),
       "Invalid rich text at offset 1500: 1 groups not closed at the end"},
      {"corpus notrtf.txt", Corpus("notrtf.txt"),
       "Invalid rich text at offset 0: no \"{\\rtf\" at the start"},
  };
  for (const Damaged& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.message) {
      EXPECT_NO_THROW(ReadRtf(c.input));
      continue;
    }
    EXPECT_THROW_MSG(ReadRtf(c.input), ERtfReaderError, c.message);
  }
}

TEST(RtfReader, OddUnicodeBecomesReplacementCharacters) {
  auto text = [](const std::string& rtf) { return Para(ReadRtf(rtf), 0).Text(); };
  EXPECT_EQ(text("{\\rtf1 \\u-1?}"), "\uFFFD");
  EXPECT_EQ(text("{\\rtf1 \\u-10179?x}"), "\uFFFDx");
  EXPECT_EQ(text("{\\rtf1 a\\uc1000\\u1046 bc{\\b d}}"), "aЖd") << "the skip ends with the group";
  EXPECT_EQ(text("{\\rtf1\\uc0 \\u0 \\u9 z}"), "\tz")
      << "control characters other than tab are dropped";
}

TEST(RtfReader, LimitsRefuseQuicklyWithoutReadingTheInput) {
  RtfReaderLimits limits;
  limits.MaxInput = 1000;
  EXPECT_THROW_MSG(ReadRtf(std::string(2000, '{'), limits), ERtfReaderError,
                   "Invalid rich text at offset 1000: 2000 bytes are more than the limit of 1000");
  // A 100 MB control word within a larger limit: refused at its 33rd letter.
  limits.MaxInput = 200u * 1024 * 1024;
  std::string huge = "{\\rtf1 \\" + std::string(100u * 1024 * 1024, 'x') + "}";
  EXPECT_THROW_MSG(ReadRtf(huge, limits), ERtfReaderError,
                   "Invalid rich text at offset 7: control word longer than 32 letters");
}

}  // namespace
}  // namespace kest
