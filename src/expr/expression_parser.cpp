#include "expr/expression_parser.h"

#include <limits>

#include "expr/expr_errors.h"
#include "expr/expression_compiler.h"
#include "expr/standard_words.h"
#include "support/assert.h"
#include "support/code_page.h"
#include "support/trim.h"

namespace kest {

TExpressionParser::TExpressionParser(char decimal_separator)
    : arg_separator_(decimal_separator == ',' ? ';' : ','),
      decimal_separator_(decimal_separator),
      generator_(std::random_device()()) {
  KEST_ASSERT(decimal_separator == '.' || decimal_separator == ',');
  DefineStandardWords(words_, generator_);
  words_.Add(std::make_unique<TLeftBracket>());
  words_.Add(std::make_unique<TRightBracket>());
  words_.Add(std::make_unique<TComma>(arg_separator_));
}

TExpressionParser::~TExpressionParser() = default;

void TExpressionParser::DefineVariable(std::string_view name, double* target) {
  KEST_ASSERT(target != nullptr);
  words_.Add(std::make_unique<TDoubleVariable>(name, target));
}

int TExpressionParser::AddExpression(std::string_view text) {
  text = Trim(text, kControlOrSpace);
  if (text.empty() || text.starts_with("//")) return current_index_ = -1;
  if (auto it = by_text_.find(text); it != by_text_.end()) return current_index_ = it->second;

  std::string lower = LowerCase(text);
  int index;
  if (auto it = by_lower_.find(lower); it != by_lower_.end()) {
    index = it->second;
  } else {
    CompilerSettings settings{decimal_separator_, arg_separator_, hex_char_, optimize_};
    ExprChain chain = CompileExpression(lower, words_, extra_, settings);
    index = static_cast<int>(expressions_.size());
    expressions_.push_back({std::string(text), std::move(chain)});
    by_lower_.emplace(std::move(lower), index);
  }
  by_text_.emplace(std::string(text), index);
  return current_index_ = index;
}

const TExpressionParser::Expression& TExpressionParser::At(int index) const {
  if (index < 0 || index >= ExpressionCount())
    throw EParserException("Нет выражения с номером " + std::to_string(index));
  return expressions_[static_cast<size_t>(index)];
}

double TExpressionParser::Evaluate(int index) const {
  if (index < 0) return std::numeric_limits<double>::quiet_NaN();
  return At(index).chain.Run();
}

const std::string& TExpressionParser::ExpressionText(int index) const { return At(index).text; }

size_t TExpressionParser::RecordCount(int index) const { return At(index).chain.Count(); }

}  // namespace kest
