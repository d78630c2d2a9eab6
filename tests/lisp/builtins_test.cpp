#include "lisp_fixture.h"

namespace kest::testing {
namespace {

using Builtins = LispTest;

// The tables below keep one case per line.
// clang-format off
#define EXPECT_CASES(...)                                               \
  for (auto c : std::initializer_list<TextCase>{__VA_ARGS__}) {         \
    EXPECT_EQ(Run(c.text), c.expected) << c.text;                       \
  }

TEST_F(Builtins, Lists) {
  EXPECT_CASES(
      {"(cons 1 2)", "(2 . 1)"},
      {"(cons 1 (list 2 3))", "((2 3) . 1)"},
      {"(list)", "NIL"},
      {"(list 1 \"a\" 2.5 (list))", "(1 \"a\" 2.5 NIL)"},
      {"(car (list 1 2))", "1"},
      {"(car NIL)", "NIL"},
      {"(car 1)", "ELispEvalError: Undefined function \"CAR\" for integer"},
      {"(cdr (list 1 2))", "(2)"},
      {"(cdr (list 1))", "NIL"},
      {"(cdr (quote (1 . 2)))", "2"},
      {"(cdr NIL)", "NIL"},
      {"(reverse (list 1 (list 2 3) 4))", "(4 (2 3) 1)"},
      {"(reverse NIL)", "NIL"},
      {"(reverse (quote (1 2 . 3)))", "ELispEvalError: Нельзя обратить точечную пару"},
      {"(append (list 1) (list 2 3) NIL (list 4))", "(1 2 3 4)"},
      {"(append (list 1))", "(1)"},
      {"(append (quote (1 . 2)) (list 3))", "ELispEvalError: Cant append list to dotted pair"},
      {"(assoc (quote b) (quote ((a . 1) (b . 2) (b . 3))))", "2"},
      {"(assoc (quote b) (quote ((a . 1) (b 2 3))))", "(2 3)"},
      {"(assoc (quote c) (quote ((a . 1))))", "NIL"},
      {"(assoc (quote c) NIL)", "NIL"},
      {"(assoc (quote c) (quote (1)))", "ELispEvalError: TConsNode expected, but TIntNode (1) found"},
      {"(atom 1)", "T"},
      {"(atom NIL)", "T"},
      {"(atom (list 1))", "NIL"},
      {"(listp NIL)", "T"},
      {"(listp (list 1))", "T"},
      {"(listp 1)", "NIL"},
      {"(consp NIL)", "NIL"},
      {"(consp (list 1))", "T"},
      {"(null NIL)", "T"},
      {"(null 0)", "NIL"});
}

TEST_F(Builtins, AppendJoinsInPlaceAndRefusesCycles) {
  EXPECT_EQ(RunAll({"(setq a (list 1 2))", "(setq b (list 3))", "(append a b)", "a"}), "(1 2 3)");
  EXPECT_EQ(Run("(append a a)"), "ELispEvalError: Нельзя присоединить список к самому себе");
  EXPECT_EQ(Run("(append a (list a))"), "ELispEvalError: Нельзя присоединить список к самому себе");
  EXPECT_EQ(Run("(append (list 0) b)"), "(0 3)");  // b's cells are shared, not copied
}

TEST_F(Builtins, PropertyListCannotHoldItself) {
  EXPECT_EQ(RunAll({"(putprop (quote a) (quote p) 1)",
                    "(putprop (quote a) (quote p) (symbol-plist (quote a)))"}),
            "ELispEvalError: Нельзя сохранить список свойств в нём самом");
  EXPECT_EQ(Run("(putprop (quote a) (quote q) (symbol-plist (quote a)))"), "NIL");
  EXPECT_EQ(Run("(symbol-plist (quote a))"), "(Q (P 1) P 1)");
}

TEST_F(Builtins, IntegerArithmetic) {
  EXPECT_CASES(
      {"(+ 1 2 3)", "6"},
      {"(+ 5)", "5"},
      {"(+ 2147483647 1)", "-2147483648"},
      {"(- 5)", "-5"},
      {"(- 10 1 2)", "7"},
      {"(* 2 3 4)", "24"},
      {"(* 65536 65536)", "0"},
      {"(1+ 5)", "6"},
      {"(1- 5)", "4"},
      {"(1+ 5 6)", "ELispEvalError: Extra arguments"},
      {"(/ 6 3)", "ELispEvalError: Undefined function \"/\" for integer"},
      {"(> 3 2 1)", "T"},
      {"(> 3 3)", "NIL"},
      {"(> 3)", "ELispEvalError: Not enough arguments"},
      {"(< 1 2 3)", "T"},
      {"(< 1 3 2)", "NIL"},
      {"(> 3.0 2)", "ELispEvalError: Undefined function \">\" for float"},
      {"(= 1 1 1)", "T"},
      {"(= 1 2 2.5)", "NIL"},
      {"(= 1 1.0)", "ELispEvalError: TIntNode expected, but TFloatNode (1) found"});
}

TEST_F(Builtins, FloatArithmetic) {
  EXPECT_CASES(
      {"(+ 1.0 2 3)", "6"},
      {"(type-of (+ 1.0 2 3))", "FLOAT"},
      {"(+ 0.1 0.2)", "0.300000011920929"},
      {"(- 2.5)", "-2.5"},
      {"(- 10.0 0.5 2)", "7.5"},
      {"(* 2.0 3 4)", "24"},
      {"(1+ 2.5)", "3.5"},
      {"(1- 2.5)", "1.5"},
      {"(/ 6.0 0 2)", "3"},
      {"(/ 4.0)", "0.25"},
      {"(/ 0.0)", "ELispEvalError: Деление на ноль"},
      {"(* 1e30 1e30)", "ELispEvalError: Переполнение с плавающей точкой"},
      {"(+ 1.0 \"a\")", "ELispEvalError: TNumericNode expected, but TStringNode (\"a\") found"},
      {"(= 1.0 1)", "T"},
      {"(= 1.0 1 2.0)", "NIL"},
      {"(LN 1.0)", "0"},
      {"(LN 1)", "0"},
      {"(LN 0.0)", "ELispEvalError: Недопустимая операция с плавающей точкой"},
      {"(LN -1)", "ELispEvalError: Недопустимая операция с плавающей точкой"},
      {"(PLUSP 1)", "T"},
      {"(PLUSP 0.0)", "NIL"},
      {"(MINUSP -1.5)", "T"},
      {"(ZEROP 0)", "T"},
      {"(ZEROP 0.5)", "NIL"},
      {"(POLY 2.0 (list 1 2 3))", "17"},
      {"(POLY 2 (quote (1 2 3)))", "17"},
      {"(POLY 2.0 (list 1 \"x\"))", "ELispEvalError: TNumericNode expected, but TStringNode (\"x\") found"},
      {"(POLY2 2.0 3.0 (list (list 1 1) (list 1 0)))", "6"},
      {"(POLY2 2.0 3.0 (list (list 1 1) 5))", "ELispEvalError: TConsNode expected, but TIntNode (5) found"},
      {"(STRINGP \"a\")", "T"},
      {"(STRINGP 1)", "NIL"});
}

TEST_F(Builtins, SymbolsAndProperties) {
  EXPECT_CASES(
      {"(setq a 1 b (+ a 1))", "2"},
      {"b", "2"},
      {"(setq a)", "ELispEvalError: Not enough arguments"},
      {"(setq 1 2)", "ELispEvalError: Undefined function \"SETQ\" for integer"},
      {"(symbol-name (quote abc))", "\"ABC\""},
      {"(symbol-value (quote b))", "2"},
      {"(symbol-value (quote zz))", "ELispError: Unbound symbol \"ZZ\""},
      {"(symbol-function (quote car))", "ELispError: Function SYMBOL_FUNC is not realized"},
      {"(symbol-plist (quote a))", "NIL"},
      {"(putprop (quote A) (quote COLOR) 5)", "NIL"},
      {"(get (quote COLOR) (quote A))", "5"},
      {"(get (quote A) (quote COLOR))", "NIL"},
      {"(symbol-plist (quote a))", "(COLOR 5)"});
}

TEST_F(Builtins, Control) {
  EXPECT_CASES(
      {"(quote (a b))", "(A B)"},
      {"(quote)", "ELispEvalError: Not enough arguments"},
      {"(eval (quote (+ 1 2)))", "(+ 1 2)"},
      {"(type-of 1.5)", "FLOAT"},
      {"(type-of 1)", "INTEGER"},
      {"(type-of \"s\")", "STRING"},
      {"(type-of (quote a))", "SYMBOL"},
      {"(type-of NIL)", "SYMBOL"},
      {"(type-of (list 1))", "CONS"},
      {"(type-of (lambda (x) x))", "CLOSURE"},
      {"(typep 1 (quote INTEGER))", "T"},
      {"(typep 1 (quote FLOAT))", "NIL"},
      {"(not T)", "NIL"},
      {"(not NIL)", "T"},
      {"(not 1)", "ELispEvalError: Undefined function \"NOT\" for integer"},
      {"(and T T)", "T"},
      {"(and T NIL (FOO))", "ELispEvalError: Undefined function \"FOO\""},
      {"(and NIL 5)", "NIL"},
      {"(and T 5)", "ELispEvalError: TSymbolNode expected, but TIntNode (5) found"},
      {"(or NIL T)", "T"},
      {"(or NIL NIL)", "NIL"},
      {"(or T 5)", "T"},
      {"(cond (T 1 2))", "1"},
      {"(cond (1 2))", "NIL"},
      {"(cond ((list 1) 2) ((PLUSP 1) 3))", "3"},
      {"(cond (T))", "ELispEvalError: Malformed cond"},
      {"(cond)", "NIL"},
      {"(cond 1)", "ELispEvalError: TConsNode expected, but TIntNode (1) found"},
      {"(if T 1)", "1"},
      {"(if NIL 1)", "NIL"},
      {"(if NIL 1 2)", "2"},
      {"(if YES 1 2)", "1"},
      {"(if NO 1 2)", "2"},
      {"(if T)", "ELispEvalError: Not enough arguments"},
      {"(if T 1 2 3)", "ELispEvalError: Extra arguments"},
      {"(if MAYBE 1)", "ELispError: Symbol \"MAYBE\" is not boolean"},
      {"(if (PLUSP 1.0) 1 2)", "ELispEvalError: TSymbolNode expected, but TConsNode ((PLUSP 1)) found"},
      {"(when T (FOO))", "NIL"},
      {"(unless NIL (FOO))", "NIL"},
      {"(when 1 2)", "ELispEvalError: Undefined function \"WHEN\" for integer"},
      {"(lambda NIL 1)", "ELispEvalError: TConsNode expected, but TNilSymbolNode (NIL) found"},
      {"(lambda (x))", "ELispEvalError: Not enough arguments"},
      {"(lambda (x 1) x)", "ELispEvalError: TSymbolNode expected, but TIntNode (1) found"},
      {"(progn)", "NIL"},
      {"(progn 1 2)", "2"},
      {"(apply (quote +) (list 1 2))", "3"},
      {"(apply (quote list) NIL)", "NIL"},
      {"(apply (quote +) 1)", "ELispEvalError: TConsNode expected, but TIntNode (1) found"},
      {"(funcall (quote +) 1 2)", "3"},
      {"(funcall (lambda (x y) (+ x y)) 1 2)", "3"});
}

// clang-format on

}  // namespace
}  // namespace kest::testing
