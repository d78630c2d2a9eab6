#include "log/param_list.h"

#include <gtest/gtest.h>

#include <fstream>

#include "lisp/lisp_error.h"
#include "lisp/wlisp.h"
#include "log/research_parameters.h"
#include "support/stream.h"
#include "support/string_list.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

TParamItem Parsed(const std::string& text) {
  TParamItem item("P");
  item.SetText(text);
  return item;
}

TEST(ParamItemText, RulesApplyInOrder) {
  struct Case {
    const char* text;
    TParamItem::Kind kind;
    const char* as_string;
  };
  const Case cases[] = {
      {"12", TParamItem::pkInteger, "12"},
      {"-12", TParamItem::pkFloat, "-12"},
      {"1.5e3", TParamItem::pkFloat, "1500"},
      {"\"12\"", TParamItem::pkString, "12"},
      {"\"", TParamItem::pkString, ""},
      {"\"open", TParamItem::pkString, "open"},
      {"F", TParamItem::pkBoolean, "False"},
      {"fa", TParamItem::pkBoolean, "False"},
      {"TRUE", TParamItem::pkBoolean, "True"},
      {"truer", TParamItem::pkString, "truer"},
      {"yes", TParamItem::pkString, "yes"},
      {"", TParamItem::pkUndefined, ""},
      {"Скважина 5", TParamItem::pkString, "Скважина 5"},
  };
  for (const auto& c : cases) {
    TParamItem item = Parsed(c.text);
    EXPECT_EQ(item.ValueKind(), c.kind) << c.text;
    EXPECT_EQ(item.AsString(), c.as_string) << c.text;
  }
}

TEST(ParamItemText, BadNumbersNameTheItem) {
  TParamItem item("Depth");
  EXPECT_THROW_MSG(item.SetText("1e"), EParamItemError, "Invalid float param \"Depth\"");
  EXPECT_THROW_MSG(item.SetText("99999999999"), EParamItemError, "Invalid integer param \"Depth\"");
  EXPECT_THROW_MSG(item.SetText("+-"), EParamItemError, "Invalid float param \"Depth\"");
}

TEST(ParamItemConversions, FollowTheTable) {
  EXPECT_EQ(Parsed("2.7").AsInteger(), 2);
  EXPECT_EQ(Parsed("-2.7").AsInteger(), -2);
  EXPECT_DOUBLE_EQ(Parsed("7").AsFloat(), 7.0);
  TParamItem s("S");
  s.SetString("3.9");
  EXPECT_EQ(s.AsInteger(), 3);
  EXPECT_TRUE(s.AsBoolean());
  s.SetString("tr");
  EXPECT_TRUE(s.AsBoolean());
  EXPECT_DOUBLE_EQ(s.AsFloat(), 0.0);
  s.SetString("");
  EXPECT_FALSE(s.AsBoolean());
  s.SetString("maybe");
  EXPECT_THROW_MSG(s.AsBoolean(), EParamItemError, "Param \"S\" has invalid bool value \"maybe\"");
  TParamItem b("B");
  b.SetBoolean(true);
  EXPECT_THROW_MSG(b.AsFloat(), EParamItemError, "Param \"B\" is not convertible to float");
  EXPECT_THROW_MSG(b.AsInteger(), EParamItemError, "Param \"B\" is not convertible to integer");
  TParamItem none;
  EXPECT_EQ(none.AsInteger(), 0);
  EXPECT_FALSE(none.AsBoolean());
}

TEST(ParamList, NameValueTextRoundTrip) {
  StringList lines{"A=1", "B", "C=x=y", "", "Print.LeftMargin=12.5"};
  TParamList list;
  list.Assign(lines);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get("a").ValueKind(), TParamItem::pkInteger);
  EXPECT_EQ(list.Get("C").AsString(), "x=y");
  EXPECT_FALSE(list.Exists("B"));
  EXPECT_THROW_MSG(list.Get("B"), EParamListError, "Parameter \"B\" not found");
  StringList out;
  list.AssignTo(out);
  EXPECT_EQ(out, (StringList{"A=1", "C=x=y", "Print.LeftMargin=12.5"}));
  TParamItem& again = list.Ensure("A");
  EXPECT_EQ(again.ValueKind(), TParamItem::pkUndefined);
  EXPECT_EQ(list.Count(), 3);
}

TEST(ParamListData, BinaryRoundTripOfEveryKind) {
  TParamList list;
  list.Ensure("HeadLine").SetString("Шапка.rtf");
  list.Ensure("Print.Range.Top").SetFloat(1234.5);
  list.Ensure("Copies").SetInteger(-3);
  list.Ensure("Color").SetBoolean(true);
  list.Ensure("Empty");
  MemoryStream data;
  list.WriteData(data);
  data.Seek(0);
  TParamList back;
  back.ReadData(data);
  ASSERT_EQ(back.Count(), 5);
  EXPECT_EQ(back.Get("HeadLine").AsString(), "Шапка.rtf");
  EXPECT_DOUBLE_EQ(back.Get("Print.Range.Top").AsFloat(), 1234.5);
  EXPECT_EQ(back.Get("Copies").AsInteger(), -3);
  EXPECT_TRUE(back.Get("Color").AsBoolean());
  EXPECT_EQ(back.Get("Empty").ValueKind(), TParamItem::pkUndefined);
  // Exact bytes of one integer item: version, count, name, kind, size, value.
  TParamList one;
  one.Ensure("N").SetInteger(7);
  MemoryStream bytes;
  one.WriteData(bytes);
  EXPECT_EQ(bytes.Text(), std::string("\x01\0\0\0\x01\0\0\0\x01N\x04\x04\0\0\0\x07\0\0\0", 19));
  EXPECT_FALSE(TParamList().HasData());
}

TEST(ParamListData, DamagedDataFailsCleanly) {
  TParamList list;
  list.Ensure("X").SetString("abc");
  MemoryStream good;
  list.WriteData(good);
  std::string bytes = good.Text();
  auto read = [](const std::string& b) {
    MemoryStream s(b);
    TParamList l;
    l.ReadData(s);
    return l.Count();
  };
  std::string bad_version = bytes;
  bad_version[0] = 2;
  EXPECT_THROW_MSG(read(bad_version), EParamListError, "Invalid version");
  for (size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_ANY_THROW(read(bytes.substr(0, cut))) << cut;
  std::string bad_kind = bytes;
  bad_kind[10] = 9;
  EXPECT_THROW_MSG(read(bad_kind), EParamItemError, "Cant load parameter \"X\". Type in unknown.");
  std::string huge = bytes;
  huge[4] = '\x7F';  // count far beyond the bytes present
  EXPECT_THROW_MSG(read(huge), EParamListError, "Неверное число элементов");
  TParamList undefined;
  undefined.Ensure("U");
  MemoryStream out;
  EXPECT_NO_THROW(undefined.WriteData(out));  // kind 0 is written without a value
  EXPECT_THROW_MSG(undefined.Items(0).WriteValue(out), EParamItemError,
                   "Cant save parameter \"U\". Type in unknown.");
}

class ResearchParams : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    std::string path = dir_.File("research params");
    std::ofstream(path) << text;
    return path;
  }
  TWLisp lisp_;
  testing::TempDir dir_;
};

TEST_F(ResearchParams, DescriptionsWithDefaultsAndBooleanWords) {
  TResearchParameters params;
  params.Reload(
      Write("(((PARAMETER . oilfield) (DISPLAYNAME . \"Месторождение\") (MANDATORY . YES) "
            "(LISTFILE . \"oilfields\"))"
            " ((parameter . \"well\") (displayname . \"Скважина\") (selectable . NIL) (additional "
            ". on)))"));
  ASSERT_EQ(params.Count(), 2);
  const TResearchParameter& field = params.ByName("OilField");
  EXPECT_EQ(field.DisplayName, "Месторождение");
  EXPECT_TRUE(field.Mandatory);
  EXPECT_TRUE(field.Selectable);
  EXPECT_EQ(field.ListFile, "oilfields");
  EXPECT_FALSE(params.Items(1).Selectable);
  EXPECT_TRUE(params.Items(1).Additional);
  // A name written as a lower-case string is found only as written upper-cased.
  EXPECT_THROW_MSG(params.ByName("well"), EResearchParametersError, "Параметр \"well\" не найден");
}

TEST_F(ResearchParams, ShippedDescriptionLoads) {
  TResearchParameters params;
  params.Reload(test::DataRoot() + "/Data/research params");
  EXPECT_GE(params.Count(), 10);
  EXPECT_TRUE(params.ByName("oilfield").Mandatory);
  EXPECT_EQ(params.ByName("well").DisplayName, "Скважина");
  EXPECT_FALSE(params.ByName("API").Selectable);
}

TEST_F(ResearchParams, BrokenElementEndsLoadingKeepingEarlierOnes) {
  TResearchParameters params;
  EXPECT_THROW_MSG(params.Reload(Write("(((PARAMETER . A) (DISPLAYNAME . \"A\"))"
                                       " ((PARAMETER . B) (DISPLAYNAME . \"B\") (MANDATORY . 5))"
                                       " ((PARAMETER . C) (DISPLAYNAME . \"C\")))")),
                   ELispError, "Bool expected");
  EXPECT_EQ(params.Count(), 1);
  EXPECT_THROW_MSG(params.Reload(Write("(((DISPLAYNAME . \"no name\")))")), ELispError,
                   "String value \"PARAMETER\" not found");
  EXPECT_EQ(params.Count(), 0);
}

}  // namespace
}  // namespace kest
