#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "expr/expr_word.h"

namespace kest {

// The parser's words, owned and kept in name order. Names are compared in lower
// case; adding a word whose name is already present keeps the existing word.
class TExpressList {
 public:
  // Returns the word now listed under that name: the new one, or the one that was
  // there already (the new one is then discarded).
  TExprWord* Add(std::unique_ptr<TExprWord> word);
  // `name` must already be lower case.
  TExprWord* Find(std::string_view name) const;
  size_t Count() const { return words_.size(); }

  template <typename F>
  void ForEach(F&& f) const {
    for (const auto& [name, word] : words_) f(*word);
  }

 private:
  std::map<std::string, std::unique_ptr<TExprWord>, std::less<>> words_;
};

}  // namespace kest
