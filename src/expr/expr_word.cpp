#include "expr/expr_word.h"

#include <cmath>
#include <limits>

#include "expr/expr_errors.h"
#include "support/code_page.h"

namespace kest {

TExprWord::TExprWord(std::string_view name, EvaluatorFunc evaluator)
    : name_(LowerCase(name)), evaluator_(evaluator) {}

TDoubleConstant::TDoubleConstant(std::string_view name, double value)
    : TExprWord(name, nullptr), value_(value) {}

TGeneratedVariable::TGeneratedVariable(std::string_view name, ExprType kind)
    : TDoubleConstant(name, std::numeric_limits<double>::quiet_NaN()), kind_(kind) {}

TStringConstant::TStringConstant(std::string_view name, std::string_view text)
    : TExprWord(name, nullptr), text_(text) {}

TDoubleVariable::TDoubleVariable(std::string_view name, double* target)
    : TExprWord(name, nullptr), target_(target) {}

TFunction::TFunction(std::string_view name, EvaluatorFunc evaluator, bool is_operator,
                     int precedence, int arg_count, MathFault fault)
    : TExprWord(name, evaluator),
      is_operator_(is_operator),
      precedence_(precedence),
      arg_count_(arg_count),
      fault_(fault) {
  if (arg_count > 4) throw EParserException("Too many arguments");
  if (arg_count < 0) throw EParserException("Неверное число аргументов");
}

namespace {

void EvaluateStringOper(EvalRecord& rec) {
  rec.Result = static_cast<const TLogicalStringOper*>(rec.Word)->Compare() ? 1.0 : 0.0;
}

// True when `item` equals one of the comma-separated parts of `list`.
bool InList(std::string_view item, std::string_view list) {
  for (;;) {
    size_t comma = list.find(',');
    if (list.substr(0, comma) == item) return true;
    if (comma == std::string_view::npos) return false;
    list.remove_prefix(comma + 1);
  }
}

}  // namespace

TLogicalStringOper::TLogicalStringOper(Op op, TExprWord* left, TExprWord* right)
    : TExprWord(left->Name() + " " + right->Name(), EvaluateStringOper),
      op_(op),
      left_(left),
      right_(right) {}

bool TLogicalStringOper::Compare() const {
  std::string_view a = left_->AsString();
  std::string_view b = right_->AsString();
  switch (op_) {
    case opEqual:
      return a == b;
    case opGreater:
      return a > b;
    case opLess:
      return a < b;
    case opGreaterEqual:
      return a >= b;
    case opLessEqual:
      return a <= b;
    case opIn:
      return InList(a, b);
  }
  return false;
}

bool TLogicalStringOper::OpFromText(std::string_view text, Op& op) {
  static constexpr std::string_view kTexts[] = {"=", ">", "<", ">=", "<=", "in"};
  for (int i = 0; i < 6; ++i) {
    if (text == kTexts[i]) {
      op = static_cast<Op>(i);
      return true;
    }
  }
  return false;
}

void EvaluateCopy(EvalRecord& rec) { rec.Result = *rec.Args[0]; }

}  // namespace kest
