#include <string>

#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/reader.h"
#include "lisp/symbol_table.h"
#include "lisp/value_nodes.h"
#include "lisp_fixture.h"
#include "test_support/expect_throw_msg.h"

namespace kest::testing {
namespace {

class Reader : public LispTest {
 protected:
  std::string Read(std::string_view text) {
    try {
      return ToText(ReadText(text).Get());
    } catch (const EKestError& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
  }
  std::string TypeOf(std::string_view text) { return ReadText(text)->TypeName(); }
};

TEST_F(Reader, ReadsAndPrintsBack) {
  for (auto c : std::initializer_list<TextCase>{
           {"", "NIL"},
           {"  ; only a comment\r\n\t ", "NIL"},
           {"(a b)(c)", "(A B)"},
           {"(a ; comment ) here\n b)", "(A B)"},
           {"'#car", "(FUNCTION CAR)"},
           {"'x", "(QUOTE X)"},
           {"`x", "(BACKQUOTE X)"},
           {",x", "(COMMA X)"},
           {",@x", "(COMMA-AT X)"},
           {"()", "NIL"},
           {"nil", "NIL"},
           {"t", "T"},
           {"(1 . 2)", "(1 . 2)"},
           {"(1 . (2 3))", "(1 2 3)"},
           {"(1 2 . 3)", "(1 2 . 3)"},
           {"(A .B)", "(A . B)"},
           {"(1 . NIL)", "(1 . NIL)"},
           {"A.B", "A.B"},
           {"a'b,c\"d", "A'B,C\"D"},
           {"snDepth-Sensor", "SNDEPTH-SENSOR"},
           {"snтемп", "SNТЕМП"},
           {"\"a;b()\"", "\"a;b()\""},
           {"\"Mixed Case\"", "\"Mixed Case\""},
           {"(\"\")", "(\"\")"},
       }) {
    EXPECT_EQ(Read(c.text), c.expected) << c.text;
  }
}

TEST_F(Reader, ClassifiesAtoms) {
  struct Case {
    const char* text;
    const char* type;
    const char* printed;
  };
  for (auto c : std::initializer_list<Case>{
           {"-", "SYMBOL", "-"},
           {"+", "SYMBOL", "+"},
           {"1+", "SYMBOL", "1+"},
           {"1-", "SYMBOL", "1-"},
           {"-5", "INTEGER", "-5"},
           {"+7", "INTEGER", "7"},
           {"$1F", "INTEGER", "31"},
           {"X1F", "INTEGER", "31"},
           {"0x1f", "INTEGER", "31"},
           {"x1", "INTEGER", "1"},
           {"xff", "INTEGER", "255"},
           {"-$10", "INTEGER", "-16"},
           {"$FFFFFFFF", "INTEGER", "-1"},
           {"$100000000", "SYMBOL", "$100000000"},
           {"X", "SYMBOL", "X"},
           {"$", "SYMBOL", "$"},
           {"xyz", "SYMBOL", "XYZ"},
           {"2147483647", "INTEGER", "2147483647"},
           {"-2147483648", "INTEGER", "-2147483648"},
           {"2147483648", "FLOAT", "2147483648"},
           {"2.5e1", "FLOAT", "25"},
           {"1,25", "FLOAT", "1.25"},
           {"-.5", "FLOAT", "-0.5"},
           {"5.", "FLOAT", "5"},
           {"1e", "SYMBOL", "1E"},
           {"1,2,3", "SYMBOL", "1,2,3"},
           {"0.1", "FLOAT", "0.100000001490116"},
       }) {
    EXPECT_EQ(TypeOf(c.text), c.type) << c.text;
    EXPECT_EQ(Read(c.text), c.printed) << c.text;
  }
}

TEST_F(Reader, RefusesMalformedText) {
  const std::string long_atom(65, 'A');
  const std::string long_string = "\"" + std::string(256, 's') + "\"";
  for (auto c : std::initializer_list<std::pair<std::string, std::string>>{
           {")", "Unexpected char: \")\""},
           {".", "Unexpected char: \".\""},
           {"[1]", "Unexpected char: \"[\""},
           {"@", "Unexpected char: \"@\""},
           {"\x01", "Unexpected char: \"\x01\""},
           {"Тест", "Unexpected char: \"Т\""},
           {"(1 2", "Unexpected end of line"},
           {"(1 . ", "Unexpected end of line"},
           {"(. 1)", "Misplaced dot in list"},
           {"(1 . 2 3)", "Extra nodes after dot"},
           {"(1 . 2 . 3)", "Extra nodes after dot"},
           {"\"abc", "Incompleted string"},
           {"\"ab\ncd\"", "Incompleted string"},
           {"(a \"b", "Incompleted string"},
           {long_atom, "Атом длиннее 64 символов: \"" + std::string(64, 'A') + "...\""},
           {long_string, "Строка длиннее 255 символов"},
           {"1e50", "Число вне диапазона: \"1E50\""},
       }) {
    EXPECT_EQ(Read(c.first), "ELispReadError: " + c.second) << c.first;
  }
}

TEST_F(Reader, AcceptsAtomsAndStringsAtTheirLimits) {
  EXPECT_EQ(Read(std::string(64, 'A')), std::string(64, 'A'));
  EXPECT_EQ(Read(std::string(64, 'a') + ")"), std::string(64, 'A'));
  // Limits count characters, not bytes.
  std::string cyrillic;
  for (int i = 0; i < 255; ++i) cyrillic += "я";
  EXPECT_EQ(Read("\"" + cyrillic + "\""), "\"" + cyrillic + "\"");
  EXPECT_EQ(Read("\"" + cyrillic + "я\""), "ELispReadError: Строка длиннее 255 символов");
  EXPECT_EQ(Read("\"" + std::string(255, 'x') + "\""), "\"" + std::string(255, 'x') + "\"");
}

TEST_F(Reader, StopsAtZeroByte) {
  EXPECT_EQ(Read(std::string("(a)\0(b", 6)), "(A)");
  EXPECT_EQ(Read(std::string("(a \0 b)", 7)), "ELispReadError: Unexpected end of line");
}

TEST_F(Reader, ReadsFormsOneAfterAnother) {
  TLispReader reader("(a) b ; tail\n 3");
  std::string seen;
  while (!reader.AtEnd()) seen += ToText(reader.Read().Get()) + "|";
  EXPECT_EQ(seen, "(A)|B|3|");
}

TEST_F(Reader, RefusesNestingBeyondTheLimitCleanly) {
  const int deep = kMaxLispNesting + 1;
  EXPECT_EQ(Read(std::string(deep, '(') + std::string(deep, ')')),
            "ELispReadError: Слишком глубокая вложенность");
  EXPECT_EQ(Read(std::string(100000, '\'') + "x"), "ELispReadError: Слишком глубокая вложенность");
  const int fits = kMaxLispNesting - 1;
  std::string nested = std::string(fits, '(') + "x" + std::string(fits, ')');
  EXPECT_EQ(Read(nested), nested.substr(0, fits) + "X" + nested.substr(fits + 1));
}

TEST(Printer, FloatsUseTheWidenedValueWith15Digits) {
  struct Case {
    float value;
    const char* text;
  };
  for (auto c :
       {Case{0.1f, "0.100000001490116"}, Case{3.5f, "3.5"}, Case{25.0f, "25"}, Case{-2.5f, "-2.5"},
        Case{1e20f, "1.00000002004088e+20"}, Case{0.000125f, "0.000125000005937181"}}) {
    EXPECT_EQ(ToText(MakeFloat(c.value).Get()), c.text);
  }
}

TEST_F(Reader, PrettyPrintsShortListsFlat) {
  const char* text = "(SENSOR NAME \"GK\" (ID . 5))";
  EXPECT_EQ(ToPrettyText(ReadText(text).Get()), text);
}

TEST_F(Reader, PrettyPrintsLongListsOneElementPerLine) {
  // 40 characters or more: broken after the first atom, the rest aligned under the
  // second element; nested lists that fit stay flat.
  EXPECT_EQ(
      ToPrettyText(ReadText("(DEFINE-SENSOR NAME \"some long string value\" (A B C) 12345)").Get()),
      "(DEFINE-SENSOR NAME\r\n"
      "               \"some long string value\"\r\n"
      "               (A B C)\r\n"
      "               12345)");
  // A list starting with a list aligns every element under the first.
  EXPECT_EQ(ToPrettyText(ReadText("((ALPHA . 1) (BETA . 2) (GAMMA . 3) (DELTA . 4))").Get()),
            "((ALPHA . 1)\r\n (BETA . 2)\r\n (GAMMA . 3)\r\n (DELTA . 4))");
  // Nested long lists indent from their own column.
  EXPECT_EQ(
      ToPrettyText(ReadText("(MODULE (CHANNEL GAMMA-RAY (+ 15 (* 98 SNGK-COUNTER))) END)").Get()),
      "(MODULE (CHANNEL GAMMA-RAY\r\n"
      "                 (+ 15 (* 98 SNGK-COUNTER)))\r\n"
      "        END)");
  // A long dotted pair keeps its tail.
  EXPECT_EQ(ToPrettyText(ReadText("(ALPHA-BETA-GAMMA DELTA-EPSILON . ZETA-ETA-THETA)").Get()),
            "(ALPHA-BETA-GAMMA DELTA-EPSILON . ZETA-ETA-THETA)");
}

TEST_F(Reader, PrintsFunctionsByType) {
  EXPECT_EQ(Run("(lambda (x) x)"), "[CLOSURE]");
  lisp().SetVariable("f", lisp().SymTable().FindFunction("LIST", nullptr));
  EXPECT_EQ(Run("f"), "[FUNCTION]");
}

TEST(Printer, RefusesStructuresNestedBeyondTheLimit) {
  NodeRef node = MakeInt(1);
  for (int i = 0; i < kMaxLispNesting + 10; ++i) node = MakeCons(node);
  EXPECT_THROW_MSG(ToText(node.Get()), ELispError, "Слишком глубокая вложенность для печати");
  EXPECT_THROW_MSG(ToPrettyText(node.Get()), ELispError, "Слишком глубокая вложенность для печати");
}

}  // namespace
}  // namespace kest::testing
