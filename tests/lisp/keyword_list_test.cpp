#include "lisp/keyword_list.h"

#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/reader.h"
#include "lisp_fixture.h"
#include "test_support/expect_throw_msg.h"

namespace kest::testing {
namespace {

class KeywordList : public LispTest {
 protected:
  void SetUp() override {
    LispTest::SetUp();
    data_ = ReadText(
        "((name . Depth) (title . \"Depth\") (count . 5) (ratio . 2.7) (smoothable . NO)"
        " (visible . ON) (hidden . T) (items a b c) (empty) (bad . 1) (count . 9))");
  }
  void TearDown() override {
    data_.Reset();
    LispTest::TearDown();
  }

  // The result of `get`, or "EClass: message".
  template <typename Get>
  std::string Try(Get get) {
    try {
      return get();
    } catch (const EKestError& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
  }

  TNode* data() { return data_.Get(); }

 private:
  NodeRef data_;
};

TEST_F(KeywordList, Strings) {
  for (auto c : std::initializer_list<TextCase>{
           {"name", "DEPTH"},
           {"NAME", "DEPTH"},
           {"title", "Depth"},
           {"count", "ELispError: String expected"},
           {"empty", "ELispError: String value \"empty\" not found"},
           {"missing", "ELispError: String value \"missing\" not found"},
       }) {
    EXPECT_EQ(Try([&] { return GetStr(c.text, data()); }), c.expected) << c.text;
  }
  EXPECT_EQ(GetStrDef("missing", data(), "dflt"), "dflt");
  EXPECT_EQ(GetStrDef("title", data(), "dflt"), "Depth");
}

TEST_F(KeywordList, Integers) {
  for (auto c : std::initializer_list<TextCase>{
           {"count", "5"},  // the first entry wins
           {"ratio", "2"},
           {"name", "ELispError: Parameter \"name\" must be a number"},
           {"items", "ELispError: Parameter \"items\" must be a number"},
           {"Missing", "ELispError: Integer value \"Missing\" not found"},
       }) {
    EXPECT_EQ(Try([&] { return std::to_string(GetInt(c.text, data())); }), c.expected) << c.text;
  }
  EXPECT_EQ(GetIntDef("missing", data(), -3), -3);
  EXPECT_EQ(GetIntDef("empty", data(), -3), -3);
  EXPECT_THROW_MSG(GetIntDef("name", data(), 0), ELispError, "Parameter \"name\" must be a number");
}

TEST_F(KeywordList, Booleans) {
  for (auto c : std::initializer_list<TextCase>{
           {"smoothable", "0"},
           {"visible", "1"},
           {"hidden", "1"},
           {"name", "0"},
           {"bad", "ELispError: Bool expected"},
           {"items", "ELispError: Bool expected"},
       }) {
    EXPECT_EQ(Try([&] { return std::to_string(GetBoolDef(c.text, data(), true)); }), c.expected)
        << c.text;
  }
  EXPECT_TRUE(GetBoolDef("empty", data(), true));  // the key alone counts as missing
  EXPECT_FALSE(GetBoolDef("empty", data(), false));
}

TEST_F(KeywordList, ListsAndEntries) {
  EXPECT_EQ(ToText(GetList("items", data())), "(A B C)");
  EXPECT_EQ(GetList("missing", data()), nullptr);
  EXPECT_EQ(Try([&] { return ToText(GetList("count", data())); }),
            "ELispError: Parameter \"count\" must be a cons");
  EXPECT_EQ(ToText(FindEntry("Title", data())), "\"Depth\"");
  EXPECT_EQ(FindEntry("empty", data()), nullptr);
  EXPECT_EQ(FindEntry("x", NilNode()), nullptr);
  EXPECT_EQ(FindEntry("x", nullptr), nullptr);
}

TEST_F(KeywordList, MalformedEntriesAreRefused) {
  NodeRef not_entries = ReadText("((a . 1) 2)");
  NodeRef number_key = ReadText("((1 . 1))");
  EXPECT_EQ(Try([&] { return ToText(FindEntry("b", not_entries.Get())); }),
            "ELispEvalError: TConsNode expected, but TIntNode (2) found");
  EXPECT_EQ(Try([&] { return ToText(FindEntry("b", number_key.Get())); }),
            "ELispEvalError: TSymbolNode expected, but TIntNode (1) found");
  EXPECT_EQ(ToText(FindEntry("a", not_entries.Get())), "1");  // found before the bad element
}

}  // namespace
}  // namespace kest::testing
