#include "expr/standard_words.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <string>

#include "expr/expr_errors.h"
#include "expr/express_list.h"
#include "support/rounding.h"

namespace kest {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kEpsilon = 1e-30;

double Arg(const EvalRecord& r, int i) { return *r.Args[i]; }

// ---- faults ---------------------------------------------------------------------
// Results are checked with one isfinite test; the cold path decides whether the
// non-finite value is a fault. Non-finite arguments (a NaN of an unassigned variable,
// an infinite host value) propagate quietly.

[[noreturn]] void RaiseMath(const char* what, const TExprWord& word, bool zero_divide) {
  std::string message = std::string(what) + " в \"" + word.Name() + "\"";
  if (zero_divide) throw EDivisionByZero(message);
  throw EInvalidOperation(message);
}

[[gnu::cold]] void CheckFault(const EvalRecord& r) {
  const auto& f = static_cast<const TFunction&>(*r.Word);
  for (int i = 0; i < f.ArgCount(); ++i)
    if (!std::isfinite(Arg(r, i))) return;
  switch (f.Fault()) {
    case MathFault::kDivisor:
      if (Arg(r, 1) == 0) RaiseMath("Деление на ноль", f, true);
      break;
    case MathFault::kPole:
      if (Arg(r, 0) == 0 && !std::isnan(r.Result)) RaiseMath("Деление на ноль", f, true);
      break;
    case MathFault::kDomain:
      RaiseMath("Недопустимая операция", f, false);
    case MathFault::kOverflow:
      break;
  }
  if (std::isnan(r.Result)) RaiseMath("Недопустимая операция", f, false);
  throw EFloatOverflow("Переполнение при вычислении \"" + f.Name() + "\"");
}

template <double (*F)(double)>
void Unary(EvalRecord& r) {
  r.Result = F(Arg(r, 0));
  if (!std::isfinite(r.Result)) [[unlikely]]
    CheckFault(r);
}

template <double (*F)(double, double)>
void Binary(EvalRecord& r) {
  r.Result = F(Arg(r, 0), Arg(r, 1));
  if (!std::isfinite(r.Result)) [[unlikely]]
    CheckFault(r);
}

// Operations that cannot fault on finite arguments.
template <double (*F)(double)>
void UnaryExact(EvalRecord& r) {
  r.Result = F(Arg(r, 0));
}

template <double (*F)(double, double)>
void BinaryExact(EvalRecord& r) {
  r.Result = F(Arg(r, 0), Arg(r, 1));
}

template <bool (*F)(double, double)>
void Compare(EvalRecord& r) {
  r.Result = F(Arg(r, 0), Arg(r, 1)) ? 1.0 : 0.0;
}

// ---- integers -------------------------------------------------------------------

// The operand rounded (halves to even) to a 64-bit integer; values outside the range
// are refused rather than saturated, which would give a wrong answer silently.
int64_t ToInt64(double v, const EvalRecord& r) {
  double x = RoundHalfEvenValue(v);
  if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0))
    throw EInvalidOperation("Значение вне диапазона целых в \"" + r.Word->Name() + "\"");
  return static_cast<int64_t>(x);
}

// The low byte of the rounded operand, for the truth tests of "not" and "if".
int LowByte(double v) {
  double b = std::fmod(RoundHalfEvenValue(v), 256.0);
  if (b < 0) b += 256.0;
  return static_cast<int>(b);
}

template <double (*F)(int64_t, int64_t, const EvalRecord&)>
void Integer(EvalRecord& r) {
  double a = Arg(r, 0), b = Arg(r, 1);
  if (!std::isfinite(a) || !std::isfinite(b)) {
    r.Result = kNaN;
    return;
  }
  r.Result = F(ToInt64(a, r), ToInt64(b, r), r);
}

double IntDiv(int64_t a, int64_t b, const EvalRecord& r) {
  if (b == 0) RaiseMath("Деление на ноль", *r.Word, true);
  if (b == -1) return -static_cast<double>(a);  // INT64_MIN / -1 does not fit
  return static_cast<double>(
      a / b);  // NOLINT(bugprone-integer-division): the word divides whole numbers
}
double IntMod(int64_t a, int64_t b, const EvalRecord& r) {
  if (b == 0) RaiseMath("Деление на ноль", *r.Word, true);
  if (b == -1) return 0;
  return static_cast<double>(a % b);
}
double BitAnd(int64_t a, int64_t b, const EvalRecord&) { return static_cast<double>(a & b); }
double BitOr(int64_t a, int64_t b, const EvalRecord&) { return static_cast<double>(a | b); }
double BitXor(int64_t a, int64_t b, const EvalRecord&) { return static_cast<double>(a ^ b); }

void Not(EvalRecord& r) {
  double a = Arg(r, 0);
  r.Result = std::isfinite(a) ? static_cast<double>(LowByte(a) ^ 1) : kNaN;
}

// All three arguments are already evaluated; the first chooses.
void If(EvalRecord& r) {
  double c = Arg(r, 0);
  if (!std::isfinite(c))
    r.Result = kNaN;
  else
    r.Result = LowByte(c) != 0 ? Arg(r, 1) : Arg(r, 2);
}

// n! of the rounded operand, 1 for anything up to 1. A loop, not recursion: the
// product overflows after 171 steps, so no operand can run it long.
void Factorial(EvalRecord& r) {
  double n = RoundHalfEvenValue(Arg(r, 0));
  double f = std::isnan(n) ? kNaN : 1.0;
  while (n > 1.1 && std::isfinite(f)) {
    f *= n;
    n -= 1;
  }
  r.Result = f;
  if (!std::isfinite(f)) CheckFault(r);
}

// ---- plain arithmetic -----------------------------------------------------------

double Percent(double x) { return x * 0.01; }
double Negate(double x) { return -x; }
double Identity(double x) { return x; }
double Add(double a, double b) { return a + b; }
double Subtract(double a, double b) { return a - b; }
double Multiply(double a, double b) { return a * b; }
double Divide(double a, double b) { return a / b; }
double Power(double a, double b) { return std::pow(a, b); }
double IntPower(double a, double b) { return std::pow(a, RoundHalfEvenValue(b)); }
double Max(double a, double b) { return a >= b ? a : b; }
double Min(double a, double b) { return a <= b ? a : b; }
double ArcTan2(double a, double b) { return std::atan2(a, b); }
double LogN(double base, double x) { return std::log(x) / std::log(base); }

double Exp(double x) { return std::exp(x); }
double Sqr(double x) { return x * x; }
double Sqrt(double x) { return std::sqrt(x); }
double Abs(double x) { return std::fabs(x); }
double Ln(double x) { return std::log(x); }
double Log10(double x) { return std::log10(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double ArcSin(double x) { return std::asin(x); }
double ArcCos(double x) { return std::acos(x); }
double Sinh(double x) { return std::sinh(x); }
double Cosh(double x) { return std::cosh(x); }
double Tanh(double x) { return std::tanh(x); }
double ArcSinh(double x) { return std::asinh(x); }
double ArcCosh(double x) { return std::acosh(x); }
double ArcTanh(double x) { return std::atanh(x); }
double DegToRad(double x) { return x * (std::numbers::pi / 180.0); }
double RadToDeg(double x) { return x * (180.0 / std::numbers::pi); }
double Round(double x) { return RoundHalfEvenValue(x); }
double Truncate(double x) { return std::trunc(x); }

bool Greater(double a, double b) { return a > b; }
bool Less(double a, double b) { return a < b; }
bool GreaterEqual(double a, double b) { return a + kEpsilon >= b; }
bool LessEqual(double a, double b) { return a <= b + kEpsilon; }
bool Equal(double a, double b) { return std::fabs(a - b) < kEpsilon; }
bool NotEqual(double a, double b) { return std::fabs(a - b) > kEpsilon; }

// ":=": Args[0] is the storage of a variable (the compiler makes sure of that).
void Assign(EvalRecord& r) {
  double v = Arg(r, 1);
  *r.Args[0] = v;
  r.Result = v;
}

// ---- random numbers -------------------------------------------------------------

class TRandomFunction : public TVaryingFunction {
 public:
  TRandomFunction(std::string_view name, EvaluatorFunc evaluator, int arg_count,
                  std::mt19937_64& generator)
      : TVaryingFunction(name, evaluator, false, 0, arg_count), generator_(generator) {}
  // Uniform in [0, 1) with 53 random bits.
  double Next() const { return static_cast<double>(generator_() >> 11) * 0x1.0p-53; }

 private:
  std::mt19937_64& generator_;
};

void Random(EvalRecord& r) { r.Result = static_cast<const TRandomFunction*>(r.Word)->Next(); }

// Box-Muller; u1 lies in (0, 1] so its logarithm is finite.
void RandG(EvalRecord& r) {
  const auto* f = static_cast<const TRandomFunction*>(r.Word);
  double u1 = 1.0 - f->Next();
  double u2 = f->Next();
  double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
  r.Result = Arg(r, 0) + Arg(r, 1) * z;
}

}  // namespace

void DefineStandardWords(TExpressList& words, std::mt19937_64& generator) {
  auto op = [&](const char* name, EvaluatorFunc f, int precedence, int args,
                MathFault fault = MathFault::kOverflow) {
    words.Add(std::make_unique<TFunction>(name, f, true, precedence, args, fault));
  };
  auto bool_op = [&](const char* name, EvaluatorFunc f, int precedence, int args) {
    words.Add(std::make_unique<TBooleanFunction>(name, f, true, precedence, args));
  };
  auto fn = [&](const char* name, EvaluatorFunc f, int args,
                MathFault fault = MathFault::kOverflow) {
    words.Add(std::make_unique<TFunction>(name, f, false, 0, args, fault));
  };

  words.Add(std::make_unique<TDoubleConstant>("pi", std::numbers::pi));
  words.Add(std::make_unique<TRandomFunction>("random", Random, 0, generator));
  words.Add(std::make_unique<TRandomFunction>("randg", RandG, 2, generator));

  op("!", Factorial, 10, 1);
  op("%", UnaryExact<Percent>, 10, 1);
  op("-@", UnaryExact<Negate>, 10, 1);
  op("+@", UnaryExact<Identity>, 10, 1);
  op("^", Binary<Power>, 20, 2, MathFault::kPole);
  op("^@", Binary<IntPower>, 20, 2, MathFault::kPole);
  op("*", Binary<Multiply>, 30, 2);
  op("/", Binary<Divide>, 30, 2, MathFault::kDivisor);
  op("div", Integer<IntDiv>, 30, 2);
  op("mod", Integer<IntMod>, 30, 2);
  op("+", Binary<Add>, 40, 2);
  op("-", Binary<Subtract>, 40, 2);
  bool_op(">", Compare<Greater>, 50, 2);
  bool_op("<", Compare<Less>, 50, 2);
  bool_op(">=", Compare<GreaterEqual>, 50, 2);
  bool_op("<=", Compare<LessEqual>, 50, 2);
  bool_op("=", Compare<Equal>, 50, 2);
  bool_op("<>", Compare<NotEqual>, 50, 2);
  bool_op("in", Compare<Equal>, 10, 2);
  bool_op("not", Not, 60, 1);
  bool_op("or", Integer<BitOr>, 70, 2);
  bool_op("and", Integer<BitAnd>, 70, 2);
  bool_op("xor", Integer<BitXor>, 70, 2);
  op(":=", Assign, 200, 2);

  fn("exp", Unary<Exp>, 1);
  fn("sqr", Unary<Sqr>, 1);
  fn("sqrt", Unary<Sqrt>, 1, MathFault::kDomain);
  fn("abs", UnaryExact<Abs>, 1);
  fn("ln", Unary<Ln>, 1, MathFault::kDomain);
  fn("log10", Unary<Log10>, 1, MathFault::kDomain);
  fn("sin", Unary<Sin>, 1);
  fn("cos", Unary<Cos>, 1);
  fn("tan", Unary<Tan>, 1);
  fn("arcsin", Unary<ArcSin>, 1, MathFault::kDomain);
  fn("arccos", Unary<ArcCos>, 1, MathFault::kDomain);
  fn("sinh", Unary<Sinh>, 1);
  fn("cosh", Unary<Cosh>, 1);
  fn("tanh", UnaryExact<Tanh>, 1);
  fn("arcsinh", UnaryExact<ArcSinh>, 1);
  fn("arccosh", Unary<ArcCosh>, 1, MathFault::kDomain);
  fn("arctanh", Unary<ArcTanh>, 1, MathFault::kDomain);
  fn("degtorad", UnaryExact<DegToRad>, 1);
  fn("radtodeg", Unary<RadToDeg>, 1);
  fn("round", UnaryExact<Round>, 1);
  fn("trunc", UnaryExact<Truncate>, 1);
  fn("if", If, 3);
  fn("logn", Binary<LogN>, 2, MathFault::kDomain);
  fn("power", Binary<Power>, 2, MathFault::kPole);
  fn("pow", Binary<Power>, 2, MathFault::kPole);
  fn("intpower", Binary<IntPower>, 2, MathFault::kPole);
  fn("max", BinaryExact<Max>, 2);
  fn("min", BinaryExact<Min>, 2);
  fn("arctan2", BinaryExact<ArcTan2>, 2);
}

}  // namespace kest
