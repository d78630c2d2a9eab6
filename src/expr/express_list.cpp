#include "expr/express_list.h"

namespace kest {

TExprWord* TExpressList::Add(std::unique_ptr<TExprWord> word) {
  auto [it, inserted] = words_.try_emplace(word->Name(), nullptr);
  if (inserted) it->second = std::move(word);
  return it->second.get();
}

TExprWord* TExpressList::Find(std::string_view name) const {
  auto it = words_.find(name);
  return it == words_.end() ? nullptr : it->second.get();
}

}  // namespace kest
