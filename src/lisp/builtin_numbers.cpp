// Numeric functions. Integer rows compute in 32-bit two's complement; float rows
// accept any number after the first argument, compute in double precision and
// store the result as a 32-bit float.
#include <cmath>

#include "lisp/args.h"
#include "lisp/builtins.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/value_nodes.h"
#include "lisp/wlisp.h"

namespace kest {

namespace {

uint32_t NextInt(TArgs& args) { return static_cast<uint32_t>(args.Next<TIntNode>()->Value()); }
double NextFloat(TArgs& args) { return args.Next<TNumericNode>()->AsFloat(); }

NodeRef IntResult(uint32_t bits) { return MakeInt(static_cast<int32_t>(bits)); }

// A float result; a value a 32-bit float cannot hold is an error, not a silent
// infinity in a recorded curve.
NodeRef FloatResult(double value) {
  auto result = static_cast<float>(value);
  if (std::isnan(result)) throw ELispEvalError("Недопустимая операция с плавающей точкой");
  if (std::isinf(result)) throw ELispEvalError("Переполнение с плавающей точкой");
  return MakeFloat(result);
}

NodeRef IntAdd(TArgs& args) {
  uint32_t sum = NextInt(args);
  while (args.HasMore()) sum += NextInt(args);
  return IntResult(sum);
}

NodeRef IntSub(TArgs& args) {
  uint32_t value = NextInt(args);
  if (!args.HasMore()) return IntResult(0u - value);
  while (args.HasMore()) value -= NextInt(args);
  return IntResult(value);
}

NodeRef IntMul(TArgs& args) {
  uint32_t product = NextInt(args);
  while (args.HasMore()) product *= NextInt(args);
  return IntResult(product);
}

template <int kStep>
NodeRef IntStep(TArgs& args) {
  uint32_t value = NextInt(args);
  args.NoMoreArgs();
  return IntResult(value + static_cast<uint32_t>(kStep));
}

NodeRef FloatAdd(TArgs& args) {
  double sum = 0.0;
  do sum += NextFloat(args);
  while (args.HasMore());
  return FloatResult(sum);
}

NodeRef FloatSub(TArgs& args) {
  double value = NextFloat(args);
  if (!args.HasMore()) return FloatResult(-value);
  while (args.HasMore()) value -= NextFloat(args);
  return FloatResult(value);
}

NodeRef FloatMul(TArgs& args) {
  double product = 1.0;
  do product *= NextFloat(args);
  while (args.HasMore());
  return FloatResult(product);
}

template <int kStep>
NodeRef FloatStep(TArgs& args) {
  double value = NextFloat(args);
  args.NoMoreArgs();
  return FloatResult(value + kStep);
}

// (/ x): 1/x. (/ x y ...): x divided by each divisor in turn, a zero divisor
// counting as 1.
NodeRef FloatDiv(TArgs& args) {
  double value = NextFloat(args);
  if (!args.HasMore()) {
    if (value == 0.0) throw ELispEvalError("Деление на ноль");
    return FloatResult(1.0 / value);
  }
  while (args.HasMore()) {
    double divisor = NextFloat(args);
    value /= divisor == 0.0 ? 1.0 : divisor;
  }
  return FloatResult(value);
}

NodeRef Ln(TArgs& args) {
  double value = NextFloat(args);
  args.NoMoreArgs();
  if (value <= 0.0) throw ELispEvalError("Недопустимая операция с плавающей точкой");
  return FloatResult(std::log(value));
}

template <int kSign>
NodeRef SignTest(TArgs& args) {
  double value = NextFloat(args);
  args.NoMoreArgs();
  return MakeBool(kSign > 0 ? value > 0 : kSign < 0 ? value < 0 : value == 0);
}

// Comparisons stop at the first pair that fails.
NodeRef IntEqual(TArgs& args) {
  int32_t first = args.Next<TIntNode>()->Value();
  do
    if (args.Next<TIntNode>()->Value() != first) return MakeBool(false);
  while (args.HasMore());
  return MakeBool(true);
}

NodeRef FloatEqual(TArgs& args) {
  double first = NextFloat(args);
  do
    if (NextFloat(args) != first) return MakeBool(false);
  while (args.HasMore());
  return MakeBool(true);
}

template <bool kDescending>
NodeRef IntOrder(TArgs& args) {
  int32_t previous = args.Next<TIntNode>()->Value();
  do {
    int32_t value = args.Next<TIntNode>()->Value();
    if (kDescending ? !(value < previous) : !(value > previous)) return MakeBool(false);
    previous = value;
  } while (args.HasMore());
  return MakeBool(true);
}

// (POLY x (c0 c1 ...)): c0 + c1*x + c2*x^2 + ...
NodeRef Poly(TArgs& args) {
  double x = NextFloat(args);
  TArgs coefficients(args.Next<TConsNode>());
  args.NoMoreArgs();
  double sum = 0.0;
  double power = 1.0;
  while (coefficients.HasMore()) {
    sum += NextFloat(coefficients) * power;
    power *= x;
  }
  return FloatResult(sum);
}

// (POLY2 x y ((c00 c01 ...) (c10 c11 ...) ...)): sum of c(i,j) * x^i * y^j.
NodeRef Poly2(TArgs& args) {
  double x = NextFloat(args);
  double y = NextFloat(args);
  TArgs rows(args.Next<TConsNode>());
  args.NoMoreArgs();
  double sum = 0.0;
  double x_power = 1.0;
  while (rows.HasMore()) {
    TArgs row(rows.Next<TConsNode>());
    double y_power = 1.0;
    while (row.HasMore()) {
      sum += NextFloat(row) * x_power * y_power;
      y_power *= y;
    }
    x_power *= x;
  }
  return FloatResult(sum);
}

}  // namespace

void RegisterNumericBuiltins(TWLisp& lisp) {
  const TNodeClass* integer = &TIntNode::kClass;
  const TNodeClass* real = &TFloatNode::kClass;
  const TNodeClass* numeric = &TNumericNode::kClass;
  lisp.RegisterFunction("+", integer, IntAdd);
  lisp.RegisterFunction("-", integer, IntSub);
  lisp.RegisterFunction("1+", integer, IntStep<1>);
  lisp.RegisterFunction("1-", integer, IntStep<-1>);
  lisp.RegisterFunction("*", integer, IntMul);
  lisp.RegisterFunction("+", real, FloatAdd);
  lisp.RegisterFunction("-", real, FloatSub);
  lisp.RegisterFunction("1+", real, FloatStep<1>);
  lisp.RegisterFunction("1-", real, FloatStep<-1>);
  lisp.RegisterFunction("*", real, FloatMul);
  lisp.RegisterFunction("/", real, FloatDiv);
  lisp.RegisterFunction("LN", numeric, Ln);
  lisp.RegisterFunction("PLUSP", numeric, SignTest<1>);
  lisp.RegisterFunction("MINUSP", numeric, SignTest<-1>);
  lisp.RegisterFunction("ZEROP", numeric, SignTest<0>);
  lisp.RegisterFunction("=", integer, IntEqual);
  lisp.RegisterFunction("=", numeric, FloatEqual);
  lisp.RegisterFunction(">", integer, IntOrder<true>);
  lisp.RegisterFunction("<", integer, IntOrder<false>);
  lisp.RegisterFunction("POLY", numeric, Poly);
  lisp.RegisterFunction("POLY2", numeric, Poly2);
}

void RegisterStringBuiltins(TWLisp& lisp) {
  lisp.RegisterFunction("STRINGP", nullptr, [](TArgs& args) {
    TNode* x = args.NextArg();
    args.NoMoreArgs();
    return MakeBool(NodeCast<TStringNode>(x) != nullptr);
  });
}

}  // namespace kest
