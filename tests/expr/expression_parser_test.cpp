#include <gtest/gtest.h>

#include "expr/expression_parser.h"

namespace kest {
namespace {
TEST(Smoke, Works) {
  TExpressionParser p;
  EXPECT_EQ(p.Evaluate(p.AddExpression("1+2")), 3);
}
}  // namespace
}  // namespace kest
