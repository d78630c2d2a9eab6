// Exported LAS files read by a reader of the LAS 2.0 line grammar written here
// from the standard, independently of the product's reader: every header line
// must split into MNEM.UNIT VALUE : DESCRIPTION, and the data must match the
// curve section.
#include <gtest/gtest.h>

#include <charconv>
#include <map>
#include <optional>

#include "las_fixture.h"

namespace kest {
namespace {

struct GrammarLine {
  std::string mnemonic, unit, value, description;
};

std::string Strip(const std::string& s) {
  size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// MNEM up to the first period (no blanks inside); UNIT from the period to the first
// blank; VALUE up to the last colon; DESCRIPTION after it.
std::optional<GrammarLine> ParseGrammarLine(const std::string& line) {
  size_t dot = line.find('.');
  size_t colon = line.rfind(':');
  if (dot == std::string::npos || colon == std::string::npos || colon < dot) return std::nullopt;
  GrammarLine g;
  g.mnemonic = Strip(line.substr(0, dot));
  if (g.mnemonic.empty() || g.mnemonic.find(' ') != std::string::npos) return std::nullopt;
  size_t blank = line.find(' ', dot);
  if (blank == std::string::npos || blank > colon) blank = colon;
  g.unit = line.substr(dot + 1, blank - dot - 1);
  g.value = Strip(line.substr(blank, colon - blank));
  g.description = Strip(line.substr(colon + 1));
  return g;
}

bool IsNumber(const std::string& text) {
  double v;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// What the reader takes from a file; fails the test for a line outside the grammar.
struct ReadBack {
  std::map<std::string, GrammarLine> version, well;
  std::vector<GrammarLine> curves;
  std::vector<std::vector<std::string>> rows;
};

ReadBack ReadWithGrammar(const std::string& text) {
  ReadBack back;
  char section = 0;
  for (const std::string& raw : LasTest::Lines(text)) {
    std::string line = Strip(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '~') {
      section = line.size() > 1
                    ? static_cast<char>(std::toupper(static_cast<unsigned char>(line[1])))
                    : 0;
      continue;
    }
    if (section == 'O') continue;  // free text
    if (section == 'A') {
      std::vector<std::string> fields;
      for (size_t i = 0; i < line.size();) {
        size_t j = line.find(' ', i);
        if (j == std::string::npos) j = line.size();
        if (j > i) fields.push_back(line.substr(i, j - i));
        i = j + 1;
      }
      back.rows.push_back(fields);
      continue;
    }
    auto g = ParseGrammarLine(line);
    EXPECT_TRUE(g.has_value()) << "not a LAS 2.0 header line: \"" << line << "\"";
    if (!g) continue;
    if (section == 'V') back.version[g->mnemonic] = *g;
    if (section == 'W') back.well[g->mnemonic] = *g;
    if (section == 'C') back.curves.push_back(*g);
  }
  return back;
}

class LasGrammarTest : public LasTest {
 protected:
  // Checks what every LAS 2.0 reader relies on and returns what was read.
  ReadBack Check(TLogSheet& sheet) {
    ReadBack back = ReadWithGrammar(Export(sheet));
    EXPECT_EQ(back.version["VERS"].value, "2.0");
    EXPECT_EQ(back.version["WRAP"].value, "NO");
    for (const char* m : {"STRT", "STOP", "STEP", "NULL"}) {
      EXPECT_TRUE(IsNumber(back.well[m].value)) << m << " \"" << back.well[m].value << "\"";
    }
    EXPECT_EQ(back.well["STRT"].unit, "M");
    EXPECT_FALSE(back.rows.empty());
    for (const auto& row : back.rows) {
      EXPECT_EQ(row.size(), back.curves.size());
      for (const auto& field : row) EXPECT_TRUE(IsNumber(field)) << field;
    }
    return back;
  }
};

TEST_F(LasGrammarTest, DepthLogDownwards) {
  TLogSheet sheet;
  FillDepth(sheet);
  sheet.Params().SetValue("well", "12 бис");
  sheet.Params().SetValue("goal", "ГИС: контроль");
  ReadBack back = Check(sheet);
  EXPECT_EQ(back.well["STRT"].value, "1000.00");
  EXPECT_EQ(back.well["STEP"].value, "0.10");
  EXPECT_EQ(back.well["COMP"].value, "ООО Недра");
  EXPECT_EQ(back.well["WELL"].value, "12 бис");
  ASSERT_EQ(back.curves.size(), 3u);
  EXPECT_EQ(back.curves[0].mnemonic, "DEPT");
  EXPECT_EQ(back.curves[1].mnemonic, "GR");
  EXPECT_EQ(back.curves[1].unit, "мкР/ч");
  EXPECT_EQ(back.curves[2].unit, "мВ");
}

TEST_F(LasGrammarTest, DepthLogUpwardsWithUnitsAndNamesThatNeedCare) {
  // Units with blanks and a caption with a colon, as the tables may hold them; a
  // parameter without a mnemonic; one the dictionary lacks.
  tables_.Parameters().Add("ZDEPTCD", "Код глубины: НР", 0, "0", "", "0,1 м", "Код");
  TLogSheet sheet;
  TLogTrack* depth = sheet.NewTrack("DEPTH");
  TLogTrack* code = sheet.NewTrack("ZDEPTCD");
  TLogTrack* lost = sheet.NewTrack("LOST.CURVE 1");
  sheet.SetSteps(100);
  sheet.SetOrigins(2000000);
  sheet.SetAscending(false);
  for (int i = 0; i < 5; ++i) {
    depth->Append(0);
    code->Append(static_cast<float>(i));
    lost->Append(-1.5f);
  }
  ReadBack back = Check(sheet);
  EXPECT_EQ(back.well["STEP"].value, "-0.10");
  ASSERT_EQ(back.curves.size(), 3u);
  EXPECT_EQ(back.curves[1].mnemonic, "ZDEPTCD");
  EXPECT_EQ(back.curves[1].unit, "0,1_м");
  EXPECT_EQ(back.curves[1].description, "0.00 m   2 Код глубины; НР");
  EXPECT_EQ(back.curves[2].mnemonic, "LOST_CURVE_1");
  EXPECT_EQ(back.curves[2].unit, "у.е.");

  // The product's reader takes its own file back with the same units.
  warnings_.clear();
  auto again = Import(Utf8ToCp866(Export(sheet)));
  EXPECT_EQ(again->Tracks(1)->Parameter(), "ZDEPTCD");
}

TEST_F(LasGrammarTest, TimeLog) {
  TLogSheet sheet;
  sheet.SetArgument(laTime);
  TLogTrack* u = sheet.NewTrack("U");
  TLogTrack* gk = sheet.NewTrack("GK");
  sheet.SetSteps(100);
  gk->SetOrigin(200);
  for (int i = 0; i < 4; ++i) u->Append(12.5f);
  for (int i = 0; i < 2; ++i) gk->Append(3);
  ReadBack back = Check(sheet);
  ASSERT_EQ(back.curves.size(), 3u);
  EXPECT_EQ(back.curves[0].mnemonic, "TIME");
  EXPECT_EQ(back.rows.size(), 4u);  // 0 to 300 ms in export steps of 100
}

}  // namespace
}  // namespace kest
