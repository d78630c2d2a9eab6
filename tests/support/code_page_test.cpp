#include "support/code_page.h"

#include <gtest/gtest.h>

namespace kest {
namespace {

TEST(CodePage, Cp1251RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string utf8 = Cp1251ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(CodePage, Cp866RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp866(Cp866ToUtf8(all)), all);
}

TEST(CodePage, KnownCyrillicBytes) {
  // "Шаг" in 1251 and 866; Ё and № sit outside the main alphabet block.
  EXPECT_EQ(Cp1251ToUtf8("\xD8\xE0\xE3"), "Шаг");
  EXPECT_EQ(Utf8ToCp866("Шаг"), "\x98\xA0\xA3");
  EXPECT_EQ(Utf8ToCp1251("Ёё№"), "\xA8\xB8\xB9");
  EXPECT_EQ(Utf8ToCp866("Ёё№"), "\xF0\xF1\xFC");
}

TEST(CodePage, UnmappableAndInvalidInputBecomesQuestionMark) {
  EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xACz"), "a\x88z");  // euro exists in 1251
  EXPECT_EQ(Utf8ToCp866("a\xE2\x82\xACz"), "a?z");      // but not in 866
  EXPECT_EQ(Utf8ToCp1251("\xFF\xC3"), "??");            // broken UTF-8
  EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80"), "?");     // outside the BMP
}

TEST(CodePage, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("Привет \xEF\xBF\xBD"));
  EXPECT_FALSE(IsValidUtf8("\xCF\xF0\xE8"));  // 1251 "При"
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong NUL
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
}

TEST(CodePage, TextFilesAreUtf8WhenValidElse1251) {
  EXPECT_EQ(DecodeTextFile("\xCF\xF0\xE8"), "При");
  EXPECT_EQ(DecodeTextFile("При"), "При");
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                           "abc"),
            "abc");
}

TEST(CodePage, UpperCaseHandlesCyrillic) {
  EXPECT_EQ(UpperCase("gk-ёлка ґ ї ў"), "GK-ЁЛКА Ґ Ї Ў");
  EXPECT_EQ(LowerCase("ЁЛКА"), "ёлка");
  EXPECT_EQ(UpperCase("a\xFFz"), "A\xFFZ");  // stray bytes kept
  EXPECT_TRUE(SameText("Глубина", "ГЛУБИНА"));
  EXPECT_FALSE(SameText("Глубина", "Глубины"));
}

}  // namespace
}  // namespace kest
