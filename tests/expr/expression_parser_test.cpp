#include "expr/expression_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "expr/expr_errors.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

double Eval(TExpressionParser& parser, std::string_view text) {
  return parser.Evaluate(parser.AddExpression(text));
}

double Eval(std::string_view text, char decimal_separator = '.') {
  TExpressionParser parser(decimal_separator);
  return Eval(parser, text);
}

struct ValueCase {
  const char* text;
  double value;
};

void ExpectValues(std::initializer_list<ValueCase> cases, char decimal_separator = '.') {
  for (const auto& c : cases) {
    for (bool optimize : {true, false}) {
      TExpressionParser parser(decimal_separator);
      parser.SetOptimize(optimize);
      double v = Eval(parser, c.text);
      EXPECT_NEAR(v, c.value, 1e-12 * std::max(1.0, std::fabs(c.value)))
          << c.text << (optimize ? "" : " (not folded)");
    }
  }
}

TEST(ExpressionValues, PrecedenceSignsAndAssociativity) {
  ExpectValues({
      {"-2^2", 4},       {"2^-1", 0.5},      {"2^3^2", 64},       {"1 - 2 - 3", -4},
      {"2 * 3 + 4", 10}, {"2 + 3 * 4", 14},  {"(2 + 3) * 4", 20}, {"12 / 3 / 2", 2},
      {"2 * -3", -6},    {"2 - -3", 5},      {"2 - - - 3", -1},   {"+2", 2},
      {"--2", 2},        {"-(1+2)", -3},     {"5!", 120},         {"3! + 1", 7},
      {"2 * 3!", 12},    {"(2+1)!", 6},      {"50%", 0.5},        {"200 * 5%", 10},
      {"1 in 1 + 1", 2}, {"((((7))))", 7},   {"2 + 3 > 4", 1},    {"1 < 2 and 3 > 2", 1},
      {"not 1 = 2", 1},  {"-sin(pi/2)", -1}, {"sin(0) + 2", 2},   {"$ff", 255},
      {"$FF + 1", 256},  {".5 * 4", 2},      {"1e3", 1000},       {"2.5E-1", 0.25},
  });
}

TEST(ExpressionValues, IntegerAndLogicalOperators) {
  ExpectValues({
      {"7 mod 3", 1}, {"-7 mod 3", -1}, {"7 mod -3", 1},      {"-7 div 2", -3},
      {"7 div 2", 3}, {"7.6 div 2", 4}, {"2.5 div 1", 2},     {"not 0", 1},
      {"not 1", 0},   {"not not 1", 1}, {"not not not 0", 1}, {"not 2", 3},
      {"3 and 5", 1}, {"3 or 5", 7},    {"3 xor 5", 6},       {"0 - 5!", -120},
      {"-3!", 1},     {"0!", 1},        {"170! > 1e306", 1},
  });
}

TEST(ExpressionValues, Comparisons) {
  ExpectValues({
      {"1 > 1", 0},
      {"1 < 2", 1},
      {"1 >= 1", 1},
      {"1 <= 1", 1},
      {"0 = 1e-31", 1},
      {"0 <> 1e-31", 0},
      {"0 <> 1e-29", 1},
      {"2 = 2", 1},
      {"2 in 2", 1},
      {"2 in 3", 0},
  });
}

TEST(ExpressionValues, StandardFunctions) {
  const double pi = std::numbers::pi;
  ExpectValues({
      {"pi", pi},
      {"sqr(3)", 9},
      {"sqrt(16)", 4},
      {"abs(-3)", 3},
      {"exp(0)", 1},
      {"ln(exp(2))", 2},
      {"log10(1000)", 3},
      {"logn(2, 8)", 3},
      {"cos(0)", 1},
      {"tan(0)", 0},
      {"arcsin(1)", pi / 2},
      {"arccos(1)", 0},
      {"sinh(0)", 0},
      {"cosh(0)", 1},
      {"tanh(0)", 0},
      {"arcsinh(0)", 0},
      {"arccosh(1)", 0},
      {"arctanh(0)", 0},
      {"degtorad(180)", pi},
      {"radtodeg(pi)", 180},
      {"round(2.5)", 2},
      {"round(3.5)", 4},
      {"round(-2.5)", -2},
      {"trunc(-2.7)", -2},
      {"if(1, 2, 3)", 2},
      {"if(0, 2, 3)", 3},
      {"if(0.4, 2, 3)", 3},
      {"if(256, 2, 3)", 3},
      {"max(1, 2)", 2},
      {"min(1, 2)", 1},
      {"power(2, 10)", 1024},
      {"pow(2, 0.5)", std::sqrt(2.0)},
      {"intpower(2, 2.6)", 8},
      {"arctan2(1, 1)", pi / 4},
      {"randg(5, 0)", 5},
      {"max(-1, -2) + min(4, 3)", 2},
  });
}

TEST(ExpressionValues, StringComparisonsAreLowerCaseAndByteWise) {
  ExpectValues({
      {"'abc' in 'x,abc,y'", 1},
      {"'ab' in 'x,abc,y'", 0},
      {"'B' = 'b'", 1},
      {"'a' < 'b'", 1},
      {"'b' >= 'b'", 1},
      {"'a' > 'b'", 0},
      {"'a' <= 'b'", 1},
      {"'' in 'a,,b'", 1},
      {"'a' = 'b' or 1", 1},
  });
}

TEST(ExpressionValues, DecimalSeparatorDecidesTheArgumentSeparator) {
  ExpectValues({{"max(1,5; 2)", 2}, {"1,5 + 1", 2.5}, {",5", 0.5}, {"if(0; 1; 2)", 2}}, ',');
  ExpectValues({{"max(1.5, 2)", 2}, {"if(0, 1, 2)", 2}}, '.');
  EXPECT_EQ(TExpressionParser(',').ArgSeparator(), ';');
  EXPECT_EQ(TExpressionParser('.').ArgSeparator(), ',');
  EXPECT_THROW_MSG(Eval("1.5", ','), EParserException, "1 two space limited variables/constants");
  EXPECT_THROW_MSG(Eval("max(1; 2)", '.'), EParserException,
                   "1 two space limited variables/constants");
}

struct ErrorCase {
  const char* text;
  const char* message;
};

TEST(ExpressionErrors, CompileErrorsCarryTheirTexts) {
  const ErrorCase cases[] = {
      {"a b", "a two space limited variables/constants"},
      {"1 2", "1 two space limited variables/constants"},
      {"a != b", "a two space limited variables/constants"},
      {"foo(1)", "foo is an unknown function"},
      {"()", "Empty brackets ()"},
      {"random()", "Empty brackets ()"},
      {"(1", "Unequal brackets"},
      {"1)", "Unequal brackets"},
      {")1(", "Unequal brackets"},
      {"(1)(2)", "Missing operand between )("},
      {"(1) 2", "Missing operand between ) and constant/variable"},
      {"pi(2)", "Missing operand between constant/variable and ("},
      {"'a' + 'b'", "+ is not a valid string operand"},
      {"1 +", "Syntax error: function or operand has too few arguments"},
      {"1 // 2", "Syntax error: function or operand has too few arguments"},
      {"max(1)", "Syntax error: function or operand has too few arguments"},
      {"if(,,)", "Syntax error: function or operand has too few arguments"},
      {"sin", "Syntax error: function or operand has too few arguments"},
      {"max(1, 2, 3)", "Синтаксическая ошибка: у функции слишком много аргументов"},
      {"random(1)", "Syntax error in expression random(1)"},
      {"1, 2", "Syntax error in expression 1, 2"},
      {"Random Random", "Syntax error in expression random random"},
      {"sin 2", "Can not find operand/function"},
      {"'abc'", "String 'abc' can not be used as a number"},
      {"1 + 'abc'", "String 'abc' can not be used as a number"},
      {"'abc", "Незакрытая строка"},
      {"pi := 3", "Присвоить с помощью := можно только переменной"},
      {"1 + 2 := 3", "Присвоить с помощью := можно только переменной"},
  };
  for (const auto& c : cases) {
    TExpressionParser parser;
    EXPECT_THROW_MSG(parser.AddExpression(c.text), EParserException, c.message) << c.text;
    EXPECT_EQ(parser.ExpressionCount(), 0) << c.text;
  }
}

TEST(ExpressionErrors, MalformedNumbersAreConversionErrors) {
  for (const char* text : {"2e", "2e+", "1e999", "$12345678901234567"}) {
    EXPECT_THROW_MSG(Eval(text), ENumberConvertError,
                     "Неверное число \"" + std::string(text) + "\"");
  }
}

TEST(ExpressionErrors, DefiningAFunctionWithFiveArgumentsFails) {
  EXPECT_THROW_MSG(TFunction f("f", nullptr, false, 0, 5), EParserException, "Too many arguments");
}

template <typename E>
void ExpectMathError(const char* text, const std::string& message) {
  EXPECT_THROW_MSG(Eval(text), E, message) << text;
}

// Each fault names the operation that met it.
TEST(ExpressionMath, FaultsRaiseTheirOwnErrorsWhileFolding) {
  const std::pair<const char*, const char*> by_zero[] = {
      {"1/0", "/"}, {"0/0", "/"}, {"5 div 0", "div"}, {"5 mod 0.4", "mod"}, {"0^-1", "^"}};
  for (const auto& [text, op] : by_zero)
    ExpectMathError<EDivisionByZero>(text, "Деление на ноль в \"" + std::string(op) + "\"");
  const std::pair<const char*, const char*> invalid[] = {
      {"ln(0)", "ln"},          {"ln(-1)", "ln"},       {"sqrt(-1)", "sqrt"},
      {"arcsin(2)", "arcsin"},  {"logn(1, 5)", "logn"}, {"(-8)^(1/3)", "^"},
      {"arctanh(1)", "arctanh"}};
  for (const auto& [text, op] : invalid)
    ExpectMathError<EInvalidOperation>(text, "Недопустимая операция в \"" + std::string(op) + "\"");
  ExpectMathError<EInvalidOperation>("1e19 mod 2", "Значение вне диапазона целых в \"mod\"");
  const std::pair<const char*, const char*> overflow[] = {
      {"exp(1000)", "exp"}, {"10^400", "^@"},      {"171!", "!"},
      {"1e308 * 10", "*"},  {"sqr(1e200)", "sqr"}, {"1e300! ", "!"}};
  for (const auto& [text, op] : overflow)
    ExpectMathError<EFloatOverflow>(text,
                                    "Переполнение при вычислении \"" + std::string(op) + "\"");
}

TEST(ExpressionMath, ChainStaysUsableAfterAFault) {
  double x = 0;
  TExpressionParser parser;
  parser.DefineVariable("x", &x);
  int index = parser.AddExpression("1 / x");
  EXPECT_THROW_MSG(parser.Evaluate(index), EDivisionByZero, "Деление на ноль в \"/\"");
  x = 4;
  EXPECT_EQ(parser.Evaluate(index), 0.25);
}

TEST(ExpressionMath, NonFiniteInputsPropagateQuietly) {
  double x = std::numeric_limits<double>::infinity();
  TExpressionParser parser;
  parser.DefineVariable("x", &x);
  EXPECT_TRUE(std::isnan(Eval(parser, "z + 1")));
  EXPECT_TRUE(std::isnan(Eval(parser, "z mod 2")));
  EXPECT_TRUE(std::isnan(Eval(parser, "if(z, 1, 2)")));
  EXPECT_TRUE(std::isinf(Eval(parser, "x * 2")));
}

TEST(ExpressionVariables, BoundVariablesAreReadAndWrittenThroughHostStorage) {
  double depth = 10, gk = 0;
  TExpressionParser parser;
  parser.DefineVariable("Depth", &depth);
  parser.DefineVariable("GK", &gk);
  int read = parser.AddExpression("DEPTH * 2");
  EXPECT_EQ(parser.Evaluate(read), 20);
  depth = 7;
  EXPECT_EQ(parser.Evaluate(read), 14);
  EXPECT_EQ(Eval(parser, "gk := depth + 1"), 8);
  EXPECT_EQ(gk, 8);
}

TEST(ExpressionVariables, GeneratedVariablesStartAsNaNAndAreShared) {
  TExpressionParser parser;
  EXPECT_TRUE(std::isnan(Eval(parser, "z")));
  EXPECT_EQ(Eval(parser, "z := 3"), 3);
  EXPECT_EQ(Eval(parser, "z * 2"), 6);
  EXPECT_EQ(Eval(parser, "z := z + 1"), 4);
}

TEST(ExpressionVariables, StandardWordsAndEarlierNamesWin) {
  double v = 5;
  TExpressionParser parser;
  parser.DefineVariable("pi", &v);
  parser.DefineVariable("IN", &v);
  EXPECT_DOUBLE_EQ(Eval(parser, "pi"), std::numbers::pi);
  EXPECT_EQ(Eval(parser, "2 in 2"), 1);
  // A name used before it is defined stays a parser variable.
  Eval(parser, "late");
  parser.DefineVariable("late", &v);
  EXPECT_TRUE(std::isnan(Eval(parser, "late + 0")));
}

TEST(ExpressionList, TextsAreReusedAndCommentsGiveNoExpression) {
  TExpressionParser parser;
  EXPECT_EQ(parser.AddExpression("X + 1"), 0);
  EXPECT_EQ(parser.AddExpression("  x + 1\t"), 0);
  EXPECT_EQ(parser.AddExpression("y + 1"), 1);
  EXPECT_EQ(parser.CurrentIndex(), 1);
  EXPECT_EQ(parser.AddExpression("   "), -1);
  EXPECT_EQ(parser.CurrentIndex(), -1);
  EXPECT_EQ(parser.AddExpression("// gk := gk * 2"), -1);
  EXPECT_EQ(parser.ExpressionCount(), 2);
  EXPECT_EQ(parser.ExpressionText(0), "X + 1");
  EXPECT_TRUE(std::isnan(parser.Evaluate(-1)));
  EXPECT_THROW_MSG(parser.Evaluate(2), EParserException, "Нет выражения с номером 2");
}

TEST(ExpressionList, FailedCompileLeavesTheParserUsable) {
  TExpressionParser parser;
  EXPECT_THROW_MSG(parser.AddExpression("a b"), EParserException,
                   "a two space limited variables/constants");
  EXPECT_THROW_MSG(parser.AddExpression("1/0"), EDivisionByZero, "Деление на ноль в \"/\"");
  EXPECT_EQ(Eval(parser, "1 + 1"), 2);
  EXPECT_EQ(parser.ExpressionCount(), 1);
}

TEST(ExpressionFolding, ConstantPartsCostNothingAtRunTime) {
  double x = 1;
  TExpressionParser parser;
  parser.DefineVariable("x", &x);
  EXPECT_EQ(parser.RecordCount(parser.AddExpression("2 * 3 + sin(0) - max(1, 4)")), 1u);
  EXPECT_EQ(parser.RecordCount(parser.AddExpression("x * (2 + 3) - 2^3")), 2u);
  EXPECT_EQ(parser.RecordCount(parser.AddExpression("'a' = 'a'")), 1u);
  parser.SetOptimize(false);
  EXPECT_EQ(parser.RecordCount(parser.AddExpression("x * (2 + 3) - 2 ^ 3")), 4u);
}

TEST(ExpressionFolding, RandomIsNeverFolded) {
  TExpressionParser parser;
  parser.SetRandomSeed(42);
  int index = parser.AddExpression("random * 0 + random");
  double a = parser.Evaluate(index);
  double b = parser.Evaluate(index);
  EXPECT_NE(a, b);
  EXPECT_GE(a, 0);
  EXPECT_LT(a, 1);
  TExpressionParser same;
  same.SetRandomSeed(42);
  EXPECT_EQ(Eval(same, "random * 0 + random"), a);
}

TEST(ExpressionHostileInput, DeepOrHugeTextsFailCleanly) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "-(";
  deep += "1" + std::string(100000, ')');
  EXPECT_THROW_MSG(Eval(deep), EParserException, "Слишком глубокая вложенность выражения");

  std::string calls;
  for (int i = 0; i < 5000; ++i) calls += "abs(";
  calls += "1" + std::string(5000, ')');
  EXPECT_THROW_MSG(Eval(calls), EParserException, "Слишком глубокая вложенность выражения");

  EXPECT_THROW_MSG(Eval(std::string(2'000'000, '1')), EParserException,
                   "Слишком длинное выражение");
}

TEST(ExpressionHostileInput, LongFlatFormulasCompileWithoutRecursion) {
  double x = 1;
  std::string sum = "x";
  for (int i = 0; i < 100000; ++i) sum += "+x";
  std::string wrapped = std::string(100000, '(') + "x" + std::string(100000, ')');
  for (bool optimize : {true, false}) {
    TExpressionParser parser;
    parser.SetOptimize(optimize);
    parser.DefineVariable("x", &x);
    EXPECT_EQ(Eval(parser, sum), 100001);
    EXPECT_EQ(Eval(parser, wrapped), 1);
  }
}

// The calculator's way of working: every line is added and evaluated once per row.
TEST(ExpressionCalculator, LinesActThroughAssignmentRowByRow) {
  const char* lines[] = {"// doubled gamma", "tmp := gk * 2", "", "ngk := tmp + ngk"};
  double gk = 0, ngk = 0;
  TExpressionParser parser;
  parser.DefineVariable("GK", &gk);
  parser.DefineVariable("NGK", &ngk);
  for (int row = 1; row <= 3; ++row) {
    gk = row;
    ngk = 100;
    for (const char* line : lines) {
      int index = parser.AddExpression(line);
      if (index >= 0) parser.Evaluate(index);
    }
    EXPECT_EQ(ngk, 100 + 2 * row);
  }
  EXPECT_EQ(parser.ExpressionCount(), 2);
}

}  // namespace
}  // namespace kest
