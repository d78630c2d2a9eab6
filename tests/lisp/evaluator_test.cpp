#include <fstream>

#include "lisp/args.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_table.h"
#include "lisp/value_nodes.h"
#include "lisp_fixture.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest::testing {
namespace {

// A live numeric value of a host layer, like a sensor.
class TGaugeNode : public TNumericNode {
 public:
  static constexpr TNodeClass kClass{"TGaugeNode", &TNumericNode::kClass};
  explicit TGaugeNode(float value) : value_(value) {}
  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "SENSOR"; }
  float AsFloat() const override { return value_; }

 private:
  float value_;
};

using Evaluator = LispTest;

TEST_F(Evaluator, ReportsEvaluationErrors) {
  lisp().SetVariable("s", MakeSymbol("abc"));
  for (auto c : std::initializer_list<TextCase>{
           {"(+ 1 2.5)", "ELispEvalError: TIntNode expected, but TFloatNode (2.5) found"},
           {"(+ 2.5 1)", "3.5"},
           {"(FOO)", "ELispEvalError: Undefined function \"FOO\""},
           {"(FOO 1)", "ELispEvalError: Undefined function \"FOO\" for integer"},
           {"(FOO 1.5)", "ELispEvalError: Undefined function \"FOO\" for float"},
           {"(FOO \"x\")", "ELispEvalError: Undefined function \"FOO\" for string"},
           {"(FOO s)", "ELispEvalError: Undefined function \"FOO\" for symbol"},
           {"(FOO (list 1))", "ELispEvalError: Undefined function \"FOO\" for cons"},
           {"(FOO (BAR))", "ELispEvalError: Undefined function \"BAR\""},
           {"(FOO undefined)", "ELispError: Unbound symbol \"UNDEFINED\""},
           {"(T 1)", "ELispEvalError: Undefined function \"T\" for integer"},
           {"(NIL)", "ELispEvalError: Undefined function \"NIL\""},
           {"x", "ELispError: Unbound symbol \"X\""},
           {"(1 2)", "ELispEvalError: CAR [1] is not a symbol"},
           {"((a b) 2)", "ELispEvalError: CAR [(A B)] is not a symbol"},
           {"(+ 1 . 2)", "ELispEvalError: Список аргументов с точкой: (1 . 2)"},
           {"(null)", "ELispEvalError: Not enough arguments"},
           {"(null 1 2)", "ELispEvalError: Extra arguments"},
           {"\"text\"", "\"text\""},
           {"T", "T"},
           {"nil", "NIL"},
       }) {
    EXPECT_EQ(Run(c.text), c.expected) << c.text;
  }
}

TEST_F(Evaluator, FirstArgumentValueChoosesTheDefinition) {
  lisp().SetVariable("x", MakeInt(2));
  EXPECT_EQ(Run("(+ x 1.5)"), "ELispEvalError: TIntNode expected, but TFloatNode (1.5) found");
  EXPECT_EQ(Run("(+ 1.5 x)"), "3.5");
  lisp().SetVariable("x", MakeFloat(2.0f));
  EXPECT_EQ(Run("(+ x 1.5)"), "3.5");
}

TEST_F(Evaluator, ChannelFormulaAcceptsHostNumbersThroughNumericDefinitions) {
  lisp().SetVariable("snGK-COUNTER", MakeNode<TGaugeNode>(100.0f));
  NodeRef formula = lisp().Parse("(+ 1.5 (* 0.98 snGK-COUNTER))");
  EXPECT_EQ(ToText(lisp().Eval(formula.Get()).Get()), "99.5");
  EXPECT_EQ(Run("(PLUSP snGK-COUNTER)"), "T");
  EXPECT_EQ(Run("(+ snGK-COUNTER 1)"), "ELispEvalError: Undefined function \"+\" for symbol");
  EXPECT_EQ(Run("(type-of snGK-COUNTER)"), "SENSOR");
}

TEST_F(Evaluator, HostFunctionsAndSpecialForms) {
  lisp().RegisterFunction("twice", &TNumericNode::kClass, [](TArgs& args) {
    double x = args.Next<TNumericNode>()->AsFloat();
    args.NoMoreArgs();
    return MakeFloat(static_cast<float>(2 * x));
  });
  lisp().RegisterFunction("only-int", &TIntNode::kClass, [](TArgs&) { return MakeInt(1); });
  lisp().RegisterSpecialForm("form-text", nullptr,
                             [](TArgs& args) { return MakeString(ToText(args.Rest())); });
  lisp().SetVariable("gauge", MakeNode<TGaugeNode>(1.25f));
  EXPECT_EQ(Run("(TWICE gauge)"), "2.5");
  EXPECT_EQ(Run("(twice 3)"), "6");
  EXPECT_EQ(Run("(only-int gauge)"), "ELispEvalError: Undefined function \"ONLY-INT\" for symbol");
  EXPECT_EQ(Run("(form-text (a b) undefined)"), "\"((A B) UNDEFINED)\"");
  EXPECT_EQ(Run("(form-text)"), "\"\"");
}

TEST_F(Evaluator, ClosureBindsParametersInItsOwnScope) {
  EXPECT_EQ(RunAll({"(setq add (lambda (a b) (+ a b)))", "(funcall add 1 2 3)"}), "3");
  EXPECT_EQ(Run("(funcall add 1)"), "ELispEvalError: Not enough arguments");
  EXPECT_EQ(lisp().SymTable().ScopeDepth(), 0);
  EXPECT_EQ(Run("a"), "ELispError: Unbound symbol \"A\"");
  EXPECT_EQ(Run("(funcall (lambda (x) (FOO x)) 1)"),
            "ELispEvalError: Undefined function \"FOO\" for symbol");
  EXPECT_EQ(lisp().SymTable().ScopeDepth(), 0);
  EXPECT_EQ(Run("(funcall (lambda (x x) x) 1 2)"),
            "ELispEvalError: Повторный локальный символ \"X\"");
  EXPECT_EQ(lisp().SymTable().ScopeDepth(), 0);
  EXPECT_EQ(Run("(funcall (lambda (x) 1 2 (list x x)) 5)"), "(5 5)");
}

TEST_F(Evaluator, ParametersAreDynamicallyScoped) {
  EXPECT_EQ(RunAll({"(setq v 1)", "(setq inner (lambda (dummy) (setq v (+ v 10))))",
                    "(setq outer (lambda (v) (funcall inner 0) v))", "(funcall outer 5)"}),
            "15");
  EXPECT_EQ(Run("v"), "1");  // setq inside changed the caller's binding, not the global
  EXPECT_EQ(RunAll({"(setq peek (lambda (dummy) hidden))",
                    "(funcall (lambda (hidden) (funcall peek 0)) 42)"}),
            "42");
  EXPECT_EQ(Run("(setq fresh 3)"), "3");
  EXPECT_EQ(Run("(funcall (lambda (p) (setq created-inside p)) 9)"), "9");
  EXPECT_EQ(Run("created-inside"), "9");  // no local binding: assigned globally
}

TEST_F(Evaluator, RunawayRecursionEndsWithACleanError) {
  Run("(setq down (lambda (n) (cond ((zerop n) 0) (T (funcall down (- n 1))))))");
  EXPECT_EQ(Run("(funcall down 50)"), "0");
  EXPECT_EQ(Run("(funcall down 100000)"), "ELispEvalError: Слишком глубокая вложенность");
  EXPECT_EQ(lisp().SymTable().ScopeDepth(), 0);
  EXPECT_EQ(Run("(funcall down 3)"), "0");  // the engine is usable afterwards
}

// Naive Fibonacci: about 1.6^n calls, so (fib 40) would run for hours.
constexpr const char* kFib =
    "(setq fib (lambda (n) (cond ((< n 2) n) (T (+ (funcall fib (- n 2)) (funcall fib (1- n)))))))";

TEST_F(Evaluator, ExponentialScriptStopsAtTheStepLimitAndTheEngineStaysUsable) {
  lisp().SetStepLimit(200000);
  Run(kFib);
  EXPECT_EQ(Run("(funcall fib 40)"),
            "ELispEvalError: Вычисление слишком долгое (больше 200000 шагов)");
  EXPECT_EQ(lisp().SymTable().ScopeDepth(), 0);
  // Each evaluation from the host has the whole budget: (fib 15) takes about 11000
  // steps, far more than 200000 in thirty runs together.
  for (int i = 0; i < 30; ++i) ASSERT_EQ(Run("(funcall fib 15)"), "610");
  lisp().SetStepLimit(0);  // no limit
  EXPECT_EQ(Run("(funcall fib 20)"), "6765");
}

TEST_F(Evaluator, EvaluationsStartedByAHostFunctionCountTowardsTheOuterOne) {
  lisp().SetStepLimit(1000);
  lisp().RegisterFunction("host-loop", nullptr, [this](TArgs& args) {
    args.NoMoreArgs();
    NodeRef form = lisp().Parse("(1+ 1)");
    for (int i = 0; i < 5000; ++i) lisp().Eval(form.Get());
    return MakeInt(1);
  });
  EXPECT_EQ(Run("(host-loop)"), "ELispEvalError: Вычисление слишком долгое (больше 1000 шагов)");
  EXPECT_EQ(Run("(1+ 1)"), "2");
}

TEST_F(Evaluator, DefaultStepLimitLeavesRealisticScriptsAlone) {
  ASSERT_EQ(lisp().StepLimit(), TWLisp::kDefaultStepLimit);
  Run(kFib);
  EXPECT_EQ(Run("(funcall fib 25)"), "75025");  // some 250000 calls
}

TEST_F(Evaluator, DeepButReasonableExpressionsEvaluate) {
  std::string text;
  const int depth = kMaxLispNesting - 10;
  for (int i = 0; i < depth; ++i) text += "(1+ ";
  text += "0" + std::string(depth, ')');
  EXPECT_EQ(Run(text), std::to_string(depth));
}

TEST_F(Evaluator, FunCallEvaluatesArgumentsAgain) {
  EXPECT_EQ(RunAll({"(setq y 7)", "(funcall (quote list) (quote y) 2)"}), "(7 2)");
  EXPECT_EQ(Run("(funcall (lambda (x) x) (quote y))"), "7");
  EXPECT_EQ(Run("(apply (quote list) (quote (y 1)))"), "(7 1)");
  EXPECT_EQ(Run("(funcall 5)"), "ELispEvalError: FunCall error");
}

TEST_F(Evaluator, OnlyOneEngineAtATime) {
  EXPECT_EQ(&Lisp(), &lisp());
  EXPECT_THROW(TWLisp second, EAssertionFailed);
  EXPECT_EQ(&Lisp(), &lisp());
}

TEST_F(Evaluator, LoadFileReturnsTheFirstFormUnevaluated) {
  TempDir dir;
  {
    std::ofstream utf8(dir.File("utf8.lsp"));
    utf8 << "; module\n((name . \"Гамма\") (formula + 1.5 x)) (ignored)";
    std::ofstream cp1251(dir.File("cp1251.lsp"), std::ios::binary);
    cp1251 << "((name . \"\xC3\xE0\xEC\xEC\xE0\"))";  // "Гамма" in Windows-1251
  }
  EXPECT_EQ(ToText(lisp().LoadFile(dir.File("utf8.lsp")).Get()),
            "((NAME . \"Гамма\") (FORMULA + 1.5 X))");
  EXPECT_EQ(ToText(lisp().LoadFile(dir.File("cp1251.lsp")).Get()), "((NAME . \"Гамма\"))");
  EXPECT_THROW_MSG_HAS(lisp().LoadFile(dir.File("missing.lsp")), EInOutError,
                       "Не удалось открыть файл \"" + dir.File("missing.lsp") + "\": ");
}

TEST(Engine, AccessWithoutAnEngineIsAnAssertion) {
  EXPECT_FALSE(LispExists());
  EXPECT_THROW(Lisp(), EAssertionFailed);
}

}  // namespace
}  // namespace kest::testing

namespace kest::testing {
namespace {

TEST(Engine, LogsItsLifeAndTableStatistics) {
  TempDir dir;
  DiagnosticLog& log = Diag();
  log.time_text = [] { return std::string("12:34:56"); };
  log.date_text = [] { return std::string("01.01.2026 00:00:00"); };
  log.Open(dir.File("kest.log"), "/opt/kest/kest");
  int count = 0, collisions = 0;
  {
    TWLisp lisp;
    count = lisp.SymTable().Count();
    collisions = lisp.SymTable().Collisions();
  }
  log.Close();
  auto bytes = ReadWholeFile(dir.File("kest.log"));
  std::string text(bytes.begin(), bytes.end());
  const std::string expected =
      "12:34:56 ---- * ROdoz: initializing\r\n"
      "12:34:56 ---- * ROdoz: initialized\r\n"
      "12:34:56 ---- * ROdoz: destroying\r\n"
      "12:34:56 ---- * SymTable: " +
      std::to_string(count) +
      " symbols created\r\n"
      "12:34:56 ---- * SymTable: " +
      std::to_string(collisions) +
      " collisions detected\r\n"
      "12:34:56 ---- * ROdoz: destroyed\r\n";
  EXPECT_NE(text.find(expected), std::string::npos) << text;
  EXPECT_EQ(count, 49);  // every built-in name
}

}  // namespace
}  // namespace kest::testing
