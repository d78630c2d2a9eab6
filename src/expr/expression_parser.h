#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "expr/expr_chain.h"
#include "expr/express_list.h"

namespace kest {

// Compiles infix formulas over named 64-bit variables into evaluation chains and
// evaluates them many times. A formula is compiled once and found again by its text.
// Not thread-safe: one parser belongs to one calculation.
class TExpressionParser {
 public:
  // `decimal_separator` is '.' (the program's convention) or ','. The argument
  // separator follows it: ';' after a decimal comma, ',' otherwise.
  explicit TExpressionParser(char decimal_separator = '.');
  ~TExpressionParser();
  TExpressionParser(const TExpressionParser&) = delete;
  TExpressionParser& operator=(const TExpressionParser&) = delete;

  // Binds `name` to the host's storage. Ignored when a word of that name exists.
  void DefineVariable(std::string_view name, double* target);

  // Compiles `text` (or finds it compiled) and returns its index. An empty text and a
  // comment ("//...") give -1. CurrentIndex() becomes the returned index.
  int AddExpression(std::string_view text);
  // NaN for a negative index. Raises math errors; the chain stays usable afterwards.
  double Evaluate(int index) const;

  char HexChar() const { return hex_char_; }
  char ArgSeparator() const { return arg_separator_; }
  char DecimalSeparator() const { return decimal_separator_; }
  bool Optimize() const { return optimize_; }
  // Applies to expressions compiled afterwards.
  void SetOptimize(bool optimize) { optimize_ = optimize; }
  int CurrentIndex() const { return current_index_; }

  int ExpressionCount() const { return static_cast<int>(expressions_.size()); }
  const std::string& ExpressionText(int index) const;
  // Evaluation records of a compiled expression.
  size_t RecordCount(int index) const;
  const TExpressList& Words() const { return words_; }

  // The generator behind "random" and "randg"; seeded from the system by default.
  void SetRandomSeed(uint64_t seed) { generator_.seed(seed); }

 private:
  struct Expression {
    std::string text;
    ExprChain chain;
  };
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  using IndexMap = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;

  const Expression& At(int index) const;

  char hex_char_ = '$';
  char arg_separator_;
  char decimal_separator_;
  bool optimize_ = true;
  std::mt19937_64 generator_;
  TExpressList words_;
  std::vector<std::unique_ptr<TExprWord>> extra_;
  std::vector<Expression> expressions_;
  IndexMap by_text_;   // exact trimmed texts seen so far
  IndexMap by_lower_;  // the same, lower-cased: texts match case-insensitively
  int current_index_ = -1;
};

}  // namespace kest
