#include <gtest/gtest.h>

#include "lisp/cons_node.h"
#include "lisp/func_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/value_nodes.h"

namespace kest {
namespace {

TEST(Nodes, ReleasingAListReleasesItsElementsButNotSharedOnes) {
  const int64_t before = TNode::LiveCount();
  NodeRef shared = MakeCons(MakeInt(2), MakeCons(MakeInt(3)));
  {
    NodeRef list = MakeCons(MakeString("a"), MakeCons(shared, MakeCons(MakeFloat(1.5f))));
    EXPECT_EQ(shared->RefCount(), 2);
    EXPECT_EQ(TNode::LiveCount() - before, 9);
  }
  EXPECT_EQ(shared->RefCount(), 1);
  EXPECT_EQ(TNode::LiveCount() - before, 4);
  EXPECT_EQ(ToText(shared.Get()), "(2 3)");
  shared.Reset();
  EXPECT_EQ(TNode::LiveCount(), before);
}

TEST(Nodes, HugeAndDeepStructuresAreFreedWithoutRecursion) {
  const int64_t before = TNode::LiveCount();
  {
    TListBuilder list;
    for (int i = 0; i < 1000000; ++i) list.Add(MakeInt(i));
    NodeRef deep = MakeInt(0);
    for (int i = 0; i < 1000000; ++i) deep = MakeCons(deep);
  }
  EXPECT_EQ(TNode::LiveCount(), before);
}

TEST(Nodes, CarMustBePresent) {
  EXPECT_THROW(MakeCons(nullptr), EAssertionFailed);
  NodeRef cell = MakeCons(MakeInt(1));
  try {
    static_cast<TConsNode*>(cell.Get())->SetCar(nullptr);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_TRUE(std::string(e.what()).ends_with("Null-car lists ain't allowed")) << e.what();
  }
  EXPECT_EQ(ToText(cell.Get()), "(1)");
}

TEST(Nodes, ClassesKnowTheirAncestors) {
  EXPECT_TRUE(TIntNode::kClass.InheritsFrom(TNumericNode::kClass));
  EXPECT_FALSE(TIntNode::kClass.InheritsFrom(TFloatNode::kClass));
  EXPECT_TRUE(NodeCast<TBoolSymbolNode>(NilNode()));
  EXPECT_TRUE(NodeCast<TKeySymbolNode>(TrueNode()));
  EXPECT_FALSE(NodeCast<TBoolSymbolNode>(MakeSymbol("T").Get()));
  EXPECT_TRUE(IsTrue(MakeBool(true).Get()));
  EXPECT_TRUE(IsNil(MakeBool(false).Get()));
}

TEST(Nodes, NumbersConvertByTruncation) {
  EXPECT_EQ(static_cast<TNumericNode*>(MakeFloat(-2.9f).Get())->AsInteger(), -2);
  EXPECT_EQ(static_cast<TNumericNode*>(MakeFloat(3e9f).Get())->AsInteger(), INT32_MAX);
  EXPECT_EQ(static_cast<TNumericNode*>(MakeInt(7).Get())->AsFloat(), 7.0f);
}

TEST(Nodes, ClosureNeedsABody) {
  EXPECT_THROW(MakeNode<TClosureNode>(MakeCons(MakeSymbol("x")), nullptr), EAssertionFailed);
}

}  // namespace
}  // namespace kest
