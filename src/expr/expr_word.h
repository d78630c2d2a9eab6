#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kest {

class TExprWord;
struct EvalRecord;

// Computes one evaluation record from the values its Args point at.
using EvaluatorFunc = void (*)(EvalRecord& rec);

// One operation of a compiled expression. Args point at 64-bit values: the Result of
// an earlier record of the same chain, a constant's value or a variable's storage.
// A chain is a contiguous array of records in evaluation order (arguments first).
struct EvalRecord {
  EvaluatorFunc Evaluator = nullptr;
  double Result = 0;
  const TExprWord* Word = nullptr;
  double* Args[4] = {};
};

// Result type codes of words.
enum class ExprType : int {
  kNumber = 0,
  kBoolean = 1,
  kString = 2,
  kLeftBracket = 3,
  kRightBracket = 4,
  kSeparator = 5,
};

// How a non-finite result computed from finite arguments is reported.
enum class MathFault {
  kOverflow,  // overflow
  kDivisor,   // division by zero when the second argument is zero, else overflow
  kPole,      // division by zero when the first argument is zero, else overflow
  kDomain,    // invalid operation (logarithms and the like)
};

// Everything the parser knows by name. Names are stored in lower case.
class TExprWord {
 public:
  TExprWord(std::string_view name, EvaluatorFunc evaluator);
  virtual ~TExprWord() = default;
  TExprWord(const TExprWord&) = delete;
  TExprWord& operator=(const TExprWord&) = delete;

  const std::string& Name() const { return name_; }
  EvaluatorFunc Evaluator() const { return evaluator_; }

  virtual bool IsOperator() const { return false; }
  virtual std::string_view AsString() const { return {}; }
  virtual bool CanVary() const { return false; }
  virtual ExprType ResultType() const { return ExprType::kNumber; }
  virtual int ArgCount() const { return 0; }
  // The address of the word's 64-bit value; null for words without one.
  virtual double* AsPointer() { return nullptr; }

 private:
  std::string name_;
  EvaluatorFunc evaluator_;
};

// A number: a literal or a named constant.
class TDoubleConstant : public TExprWord {
 public:
  TDoubleConstant(std::string_view name, double value);
  double Value() const { return value_; }
  void SetValue(double value) { value_ = value; }
  double* AsPointer() override { return &value_; }

 private:
  double value_;
};

// A folded constant whose value is a truth value.
class TBooleanConstant : public TDoubleConstant {
 public:
  using TDoubleConstant::TDoubleConstant;
  ExprType ResultType() const override { return ExprType::kBoolean; }
};

// A variable created for an unknown name; NaN until something assigns it. It lives in
// the parser's word list, so every expression of that parser shares it.
class TGeneratedVariable : public TDoubleConstant {
 public:
  explicit TGeneratedVariable(std::string_view name, ExprType kind = ExprType::kNumber);
  std::string_view AsString() const override { return text_; }
  bool CanVary() const override { return true; }
  ExprType ResultType() const override { return kind_; }

 private:
  std::string text_;
  ExprType kind_;
};

// A quoted string literal, quotes removed.
class TStringConstant : public TExprWord {
 public:
  TStringConstant(std::string_view name, std::string_view text);
  std::string_view AsString() const override { return text_; }
  ExprType ResultType() const override { return ExprType::kString; }

 private:
  std::string text_;
};

// A variable bound by the host: the parser reads and writes the host's storage.
class TDoubleVariable : public TExprWord {
 public:
  TDoubleVariable(std::string_view name, double* target);
  bool CanVary() const override { return true; }
  double* AsPointer() override { return target_; }

 private:
  double* target_;
};

// A function or an operator with up to four arguments.
class TFunction : public TExprWord {
 public:
  // Raises EParserException "Too many arguments" for more than four arguments.
  TFunction(std::string_view name, EvaluatorFunc evaluator, bool is_operator, int precedence,
            int arg_count, MathFault fault = MathFault::kOverflow);
  bool IsOperator() const override { return is_operator_; }
  int ArgCount() const override { return arg_count_; }
  int Precedence() const { return precedence_; }
  MathFault Fault() const { return fault_; }

 private:
  bool is_operator_;
  int precedence_;
  int arg_count_;
  MathFault fault_;
};

// A function whose result may change between calls; never folded.
class TVaryingFunction : public TFunction {
 public:
  using TFunction::TFunction;
  bool CanVary() const override { return true; }
};

// A function whose result is a truth value (1 or 0).
class TBooleanFunction : public TFunction {
 public:
  using TFunction::TFunction;
  ExprType ResultType() const override { return ExprType::kBoolean; }
};

class TLeftBracket : public TExprWord {
 public:
  TLeftBracket() : TExprWord("(", nullptr) {}
  ExprType ResultType() const override { return ExprType::kLeftBracket; }
};

class TRightBracket : public TExprWord {
 public:
  TRightBracket() : TExprWord(")", nullptr) {}
  ExprType ResultType() const override { return ExprType::kRightBracket; }
};

// The argument separator.
class TComma : public TExprWord {
 public:
  explicit TComma(char separator) : TExprWord(std::string_view(&separator, 1), nullptr) {}
  ExprType ResultType() const override { return ExprType::kSeparator; }
};

// Comparison of two string operands; 1 or 0.
class TLogicalStringOper : public TExprWord {
 public:
  enum Op { opEqual = 0, opGreater, opLess, opGreaterEqual, opLessEqual, opIn };

  TLogicalStringOper(Op op, TExprWord* left, TExprWord* right);
  bool CanVary() const override { return left_->CanVary() || right_->CanVary(); }
  ExprType ResultType() const override { return ExprType::kBoolean; }
  Op Operation() const { return op_; }
  bool Compare() const;

  // The operation named by an operator's text, or false when strings have no such one.
  static bool OpFromText(std::string_view text, Op& op);

 private:
  Op op_;
  TExprWord* left_;
  TExprWord* right_;
};

// The evaluator of a chain that is a single constant or variable: copies Args[0].
void EvaluateCopy(EvalRecord& rec);

}  // namespace kest
