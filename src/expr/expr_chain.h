#pragma once

#include <cstddef>
#include <memory>

#include "expr/expr_word.h"

namespace kest {

// A compiled expression: its records in evaluation order. Running it walks the array
// once; nothing is allocated or looked up.
class ExprChain {
 public:
  ExprChain() = default;
  ExprChain(std::unique_ptr<EvalRecord[]> records, size_t count)
      : records_(std::move(records)), count_(count) {}

  size_t Count() const { return count_; }
  const EvalRecord& Record(size_t i) const { return records_[i]; }

  double Run() const {
    EvalRecord* r = records_.get();
    EvalRecord* end = r + count_;
    for (; r != end; ++r) r->Evaluator(*r);
    return end[-1].Result;
  }

 private:
  std::unique_ptr<EvalRecord[]> records_;
  size_t count_ = 0;
};

}  // namespace kest
