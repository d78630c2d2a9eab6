#include "support/trim.h"

#include <gtest/gtest.h>

#include <string>

#include "support/number_text.h"

namespace kest {
namespace {

using namespace std::string_literals;

TEST(Trim, StripsOnlyTheGivenCharactersAtEachEnd) {
  struct Case {
    std::string in;
    std::string_view chars;
    std::string both, left, right;
  };
  const Case cases[] = {
      {"", kSpaceTab, "", "", ""},
      {" \t ", kSpaceTab, "", "", ""},
      {"abc", kSpaceTab, "abc", "abc", "abc"},
      {" \ta b\t ", kSpaceTab, "a b", "a b\t ", " \ta b"},
      // Line ends are kept unless the set names them.
      {"\r\nDEPT \r\n", kSpaceTab, "\r\nDEPT \r\n", "\r\nDEPT \r\n", "\r\nDEPT \r\n"},
      {"\r\n DEPT \r\n", kSpaceTabLineEnd, "DEPT", "DEPT \r\n", "\r\n DEPT"},
      {"\v\fx\x01", kSpaceTabLineEnd, "\v\fx\x01", "\v\fx\x01", "\v\fx\x01"},
      // Every byte up to the space, the zero byte too; bytes above it stay.
      {"\0\x01\x1f x \x7f"s, kControlOrSpace, "x \x7f", "x \x7f", "\0\x01\x1f x \x7f"s},
      {"\x1f\v\f\x7f", kControlOrSpace, "\x7f", "\x7f", "\x1f\v\f\x7f"},
      {"\xd0\xb0 ", kControlOrSpace, "\xd0\xb0", "\xd0\xb0 ", "\xd0\xb0"},  // UTF-8 text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Trim(c.in, c.chars), c.both) << '"' << c.in << '"';
    EXPECT_EQ(TrimLeft(c.in, c.chars), c.left) << '"' << c.in << '"';
    EXPECT_EQ(TrimRight(c.in, c.chars), c.right) << '"' << c.in << '"';
  }
  EXPECT_EQ(kControlOrSpace.size(), 33u);
}

// Numbers take blanks on both sides but a line end only after them, as read from a line.
TEST(Trim, NumberTextAcceptsALineEndOnlyAfterTheNumber) {
  EXPECT_EQ(ParseInt(" \t42 \t"), 42);
  EXPECT_EQ(ParseInt("42\r\n"), 42);
  EXPECT_EQ(ParseInt("\n42"), std::nullopt);
  EXPECT_EQ(ParseFloat("\t-1.5\n"), -1.5);
  EXPECT_EQ(ParseFloat("\r1.5"), std::nullopt);
  EXPECT_EQ(ParseInt(" \r\n "), std::nullopt);
}

}  // namespace
}  // namespace kest
