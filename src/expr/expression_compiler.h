#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "expr/expr_chain.h"

namespace kest {

class TExpressList;

struct CompilerSettings {
  char decimal_separator = '.';
  char arg_separator = ',';
  char hex_char = '$';
  bool optimize = true;
};

// Turns one expression text into an evaluation chain. Unknown names become generated
// variables in `words`; literals and folded constants are added to `extra`, which
// must outlive the chain. On failure `extra` is left as it was and the error
// (EParserException, ENumberConvertError or a math error while folding) propagates.
ExprChain CompileExpression(std::string_view text, TExpressList& words,
                            std::vector<std::unique_ptr<TExprWord>>& extra,
                            const CompilerSettings& settings);

}  // namespace kest
