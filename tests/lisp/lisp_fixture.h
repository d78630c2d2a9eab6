#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/node.h"
#include "lisp/symbol_node.h"
#include "lisp/wlisp.h"

namespace kest::testing {

// A fresh engine per test; at the end every node made during the test must be gone.
class LispTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NilNode();  // the immortal booleans do not count as leaks
    TrueNode();
    baseline_ = TNode::LiveCount();
    lisp_ = std::make_unique<TWLisp>();
  }

  void TearDown() override {
    lisp_.reset();
    EXPECT_EQ(TNode::LiveCount(), baseline_) << "nodes leaked";
  }

  TWLisp& lisp() { return *lisp_; }

  // The printed value of the first expression of `text`, or "EClass: message".
  std::string Run(std::string_view text) {
    try {
      return ToText(lisp_->Evaluate(text).Get());
    } catch (const EKestError& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
  }

  // Runs each text in turn and gives the result of the last.
  std::string RunAll(std::initializer_list<std::string_view> texts) {
    std::string result;
    for (auto text : texts) result = Run(text);
    return result;
  }

 private:
  int64_t baseline_ = 0;
  std::unique_ptr<TWLisp> lisp_;
};

struct TextCase {
  const char* text;
  const char* expected;
};

}  // namespace kest::testing
