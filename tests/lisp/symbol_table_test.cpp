#include "lisp/symbol_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lisp/func_node.h"
#include "lisp/lisp_error.h"
#include "lisp/value_nodes.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

constexpr int kMask = TSymTable::kCapacity - 1;

std::string Name(int i) { return "N" + std::to_string(i); }

// Generated names grouped by home slot, to build collisions on purpose ("123}"
// reaches every slot, including the last).
std::map<int, std::vector<std::string>> NamesByHome(int count) {
  std::map<int, std::vector<std::string>> homes;
  for (int i = 0; i < count; ++i) {
    std::string name = std::to_string(i) + "}";
    homes[TSymTable::Hash(name) & kMask].push_back(name);
  }
  return homes;
}

int ValueOf(const TSymTable& table, const std::string& name) {
  NodeRef value = table.GetValue(name);
  return value ? static_cast<TIntNode*>(value.Get())->Value() : -1;
}

TEST(SymTable, HashFollowsTheShiftAndXorRule) {
  EXPECT_EQ(TSymTable::Hash(""), 0u);
  EXPECT_EQ(TSymTable::Hash("A"), 65u);                // even 0: 'A' ^ (0 >> 1)
  EXPECT_EQ(TSymTable::Hash("AB"), 66u ^ (65u << 1));  // odd 65: 'B' ^ (65 << 1)
  EXPECT_EQ(TSymTable::Hash("ABC"), 67u ^ ((66u ^ 130u) >> 1));
}

TEST(SymTable, CollidingNamesStayReachableAfterRemoval) {
  auto homes = NamesByHome(2000);
  auto it = std::find_if(homes.begin(), homes.end(), [](auto& h) { return h.second.size() >= 3; });
  ASSERT_NE(it, homes.end());
  const auto& names = it->second;
  TSymTable table;
  for (int i = 0; i < 3; ++i) table.SetValue(names[i], MakeInt(i));
  EXPECT_EQ(table.Collisions(), 2);
  EXPECT_EQ(table.SlotOf(names[0]), it->first);
  table.Remove(names[0]);
  EXPECT_EQ(table.Find(names[0]), nullptr);
  EXPECT_EQ(ValueOf(table, names[1]), 1);
  EXPECT_EQ(ValueOf(table, names[2]), 2);
  EXPECT_EQ(table.SlotOf(names[1]), it->first);  // moved back into the gap
}

TEST(SymTable, RemovalRepacksRunsThatWrapAround) {
  auto homes = NamesByHome(20000);
  ASSERT_GE(homes[kMask].size(), 2u);
  ASSERT_GE(homes[0].size(), 1u);
  TSymTable table;
  const std::string last_a = homes[kMask][0], last_b = homes[kMask][1], zero = homes[0][0];
  table.SetValue(last_a, MakeInt(1));
  table.SetValue(last_b, MakeInt(2));  // wraps to slot 0
  table.SetValue(zero, MakeInt(3));    // home 0 taken: slot 1
  EXPECT_EQ(table.SlotOf(last_b), 0);
  EXPECT_EQ(table.SlotOf(zero), 1);
  table.Remove(last_a);
  EXPECT_EQ(table.SlotOf(last_b), kMask);
  EXPECT_EQ(table.SlotOf(zero), 0);
  EXPECT_EQ(ValueOf(table, last_b), 2);
  EXPECT_EQ(ValueOf(table, zero), 3);
}

TEST(SymTable, EveryNameStaysReachableThroughManyRemovals) {
  TSymTable table;
  for (int i = 0; i < TSymTable::kLimit; ++i) table.SetValue(Name(i), MakeInt(i));
  std::set<int> removed;
  for (int i = 0; i < TSymTable::kLimit; i += 3) removed.insert(i), table.Remove(Name(i));
  for (int i = TSymTable::kLimit - 1; i >= 0; --i)
    if (i % 7 == 1 && removed.insert(i).second) table.Remove(Name(i));
  for (int i = 0; i < TSymTable::kLimit; ++i)
    EXPECT_EQ(ValueOf(table, Name(i)), removed.count(i) ? -1 : i) << Name(i);
}

TEST(SymTable, LimitCountsTheNamesPresentAndARemovedNameMakesRoom) {
  TSymTable table;
  for (int i = 0; i < TSymTable::kLimit; ++i) table.FindOrAdd(Name(i));
  EXPECT_EQ(table.Count(), 384);
  table.FindOrAdd(Name(0));  // existing names are still found
  EXPECT_THROW_MSG(table.FindOrAdd("ONE-MORE"), ELispSymTableError, "Out of space");
  table.Remove(Name(5));
  table.FindOrAdd("ONE-MORE");
  EXPECT_THROW_MSG(table.FindOrAdd("TWO-MORE"), ELispSymTableError, "Out of space");
  // Names defined and removed again and again (a tool string's channels, loaded
  // anew at each choice of tool) never fill the table; Count() keeps the history.
  table.Remove("ONE-MORE");
  table.Remove(Name(6));
  for (int round = 0; round < 1000; ++round) {
    table.SetValue("CHANNEL-A", MakeInt(round));
    table.SetValue("CHANNEL-B", MakeInt(round));
    table.Remove("CHANNEL-A");
    table.Remove("CHANNEL-B");
  }
  for (int i = 7; i < TSymTable::kLimit; ++i) EXPECT_NE(table.Find(Name(i)), nullptr) << Name(i);
  EXPECT_EQ(table.Count(), 385 + 2000);
}

TEST(SymTable, RemoveUpperCasesAndReportsUnknownNamesAsGiven) {
  TSymTable table;
  table.SetValue("ABC", MakeInt(1));
  table.Remove("abc");
  EXPECT_EQ(table.Find("ABC"), nullptr);
  EXPECT_THROW_MSG(table.Remove("abc"), ELispSymTableError, "RemoveSymbol (abc) failed: not found");
}

TEST(SymTable, LocalNamesHideGlobalOnesUntilTheScopeIsPopped) {
  TSymTable table;
  table.SetValue("X", MakeInt(1));
  table.PushScope();
  table.DefineLocal("X").Value = MakeInt(2);
  EXPECT_EQ(ValueOf(table, "X"), 2);
  table.SetValue("X", MakeInt(3));  // the innermost binding
  table.PushScope();
  table.DefineLocal("X").Value = MakeInt(4);
  EXPECT_EQ(ValueOf(table, "X"), 4);
  EXPECT_THROW_MSG(table.DefineLocal("X"), ELispEvalError, "Повторный локальный символ \"X\"");
  table.PopScope();
  EXPECT_EQ(ValueOf(table, "X"), 3);
  table.PopScope();
  EXPECT_EQ(ValueOf(table, "X"), 1);
  EXPECT_THROW(table.PopScope(), EAssertionFailed);
}

TEST(SymTable, PropertiesAreKeptInAFlatList) {
  TSymTable table;
  table.SetProp("A", "COLOR", MakeInt(5));
  table.SetProp("A", "SIZE", MakeInt(7));
  table.SetProp("A", "COLOR", MakeInt(6));
  EXPECT_EQ(ToText(table.GetPList("A").Get()), "(SIZE 7 COLOR 6)");
  EXPECT_EQ(ToText(table.GetProp("A", "COLOR").Get()), "6");
  EXPECT_FALSE(table.GetProp("A", "WEIGHT"));
  EXPECT_FALSE(table.GetProp("B", "COLOR"));
}

TEST(SymTable, DefinitionsAreChosenByTheClassOfTheFirstArgument) {
  TSymTable table;
  auto func = [] { return MakeNode<TInternalFunc>(true, nullptr); };
  NodeRef on_float = func(), on_numeric = func(), on_numeric_later = func(), any = func();
  table.AddFunction("F", &TFloatNode::kClass, on_float);
  table.AddFunction("F", &TNumericNode::kClass, on_numeric);
  table.AddFunction("F", &TNumericNode::kClass, on_numeric_later);
  table.AddFunction("G", &TFloatNode::kClass, on_float);
  table.AddFunction("G", nullptr, any);
  EXPECT_EQ(table.FindFunction("F", &TIntNode::kClass).Get(), on_numeric.Get());
  EXPECT_EQ(table.FindFunction("F", &TFloatNode::kClass).Get(), on_float.Get());
  EXPECT_FALSE(table.FindFunction("F", &TStringNode::kClass));
  EXPECT_FALSE(table.FindFunction("F", nullptr));
  EXPECT_EQ(table.FindFunction("G", &TIntNode::kClass).Get(), any.Get());
  EXPECT_EQ(table.FindFunction("G", nullptr).Get(), any.Get());
  EXPECT_FALSE(table.FindSpecialForm("G", nullptr));
  EXPECT_FALSE(table.FindFunction("H", nullptr));
}

}  // namespace
}  // namespace kest
