#include "log/component_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "log/component_reader.h"
#include "log/component_writer.h"
#include "support/stream.h"

namespace kest {
namespace {

template <typename Write>
std::string Written(Write&& write) {
  MemoryStream out;
  ComponentWriter w(out);
  write(w);
  w.Flush();
  return out.Text();
}

TEST(ComponentWriter, IntegersTakeTheSmallestTag) {
  struct Case {
    int32_t value;
    ValueTag tag;
    size_t size;
  };
  const Case cases[] = {
      {0, ValueTag::kInt8, 2},
      {127, ValueTag::kInt8, 2},
      {-128, ValueTag::kInt8, 2},
      {128, ValueTag::kInt16, 3},
      {-129, ValueTag::kInt16, 3},
      {32767, ValueTag::kInt16, 3},
      {-32768, ValueTag::kInt16, 3},
      {32768, ValueTag::kInt32, 5},
      {-32769, ValueTag::kInt32, 5},
      {std::numeric_limits<int32_t>::min(), ValueTag::kInt32, 5},
      {std::numeric_limits<int32_t>::max(), ValueTag::kInt32, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    std::string bytes = Written([&](ComponentWriter& w) { w.WriteInteger(c.value); });
    ASSERT_EQ(bytes.size(), c.size);
    EXPECT_EQ(static_cast<ValueTag>(bytes[0]), c.tag);
    MemoryStream in(bytes);
    ComponentReader r(in);
    EXPECT_EQ(r.ReadInteger(), c.value);
  }
}

TEST(ComponentWriter, StringsFollowTheAsciiAndWideRules) {
  const std::string long_ascii(300, 'x');
  struct Case {
    const char* name;
    bool wide;
    std::string text;
    std::string expected;  // the whole value as written
  };
  const Case cases[] = {
      {"ascii line", false, "StartTime=12:00", std::string("\x06\x0F") + "StartTime=12:00"},
      {"long ascii line", false, long_ascii, std::string("\x0C\x2C\x01\x00\x00", 5) + long_ascii},
      {"cyrillic line", false, "ГК=1", std::string("\x14\x06\0\0\0", 5) + "ГК=1"},
      {"ascii parameter", true, "GK", "\x06\x02GK"},
      {"cyrillic parameter", true, "ГК", std::string("\x12\x02\0\0\0\x13\x04\x1A\x04", 9)},
      {"mixed parameter", true, "ГКx", std::string("\x14\x05\0\0\0", 5) + "ГКx"},
      {"surrogate pair", true, "\xF0\x9F\x98\x80",
       std::string("\x12\x02\0\0\0\x3D\xD8\x00\xDE", 9)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = Written(
        [&](ComponentWriter& w) { c.wide ? w.WriteWideString(c.text) : w.WriteString(c.text); });
    EXPECT_EQ(bytes, c.expected);
    MemoryStream in(bytes);
    ComponentReader r(in);
    EXPECT_EQ(r.ReadString(), c.text);
  }
}

TEST(ComponentReader, EightBitStringsAreWindows1251) {
  MemoryStream in(std::string("\x06\x02\xc3\xca\x0c\x03\0\0\0\xcf\xd1=", 12) +
                  std::string("\x07\x06laTime", 8) + "\x06\x03\xc3\xca\xff");
  ComponentReader r(in);
  EXPECT_EQ(r.ReadString(), "ГК");
  EXPECT_EQ(r.ReadString(), "ПС=");
  EXPECT_EQ(r.ReadIdent(), "laTime");
  EXPECT_EQ(r.ReadString(), "ГКя");
}

TEST(ComponentWriter, NamesAreCappedAt255Bytes) {
  std::string bytes =
      Written([](ComponentWriter& w) { w.WriteShortString(std::string(400, 'n')); });
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 255);
}

TEST(ComponentWriter, BinaryLengthsArePatchedAcrossFlushesAndNesting) {
  MemoryStream out;
  out.WriteString("head");  // the stream need not start at 0
  ComponentWriter w(out);
  w.BeginBinary();
  w.WriteInt32(7);
  w.BeginBinary();
  std::vector<float> big(200000, 1.5f);  // larger than the writer's buffer
  w.WriteFloats(big.data(), big.size());
  w.EndBinary();
  w.WriteByte(9);
  w.EndBinary();
  w.Flush();

  out.Seek(4);
  ComponentReader r(out);
  EXPECT_EQ(r.BeginBinary(), 4 + 5 + 800000 + 1);
  EXPECT_EQ(r.ReadInt32(), 7);
  EXPECT_EQ(r.BeginBinary(), 800000);
  std::vector<float> back(big.size());
  r.ReadFloats(back.data(), back.size());
  EXPECT_EQ(back, big);
  r.EndBinary();
  EXPECT_EQ(r.ReadByte(), 9);
  r.EndBinary();
  EXPECT_EQ(r.Remaining(), 0);
}

TEST(ComponentStream, LayoutValuesRoundTrip) {
  const double floats[] = {
      0.0, -0.0, 1.0, -2.5, 10.0, 1e-310, 1e300, 0.1, std::numeric_limits<double>::infinity()};
  std::string bytes = Written([&](ComponentWriter& w) {
    for (double f : floats) w.WriteFloat(f);
    w.WriteSet({"fsBold", "fsItalic"});
    w.WriteSet({});
    w.WriteNil();
    w.WriteFloat(std::nan(""));
  });
  MemoryStream in(bytes);
  ComponentReader r(in);
  for (double f : floats) {
    double back = r.ReadFloat();
    EXPECT_EQ(back, f);
    EXPECT_EQ(std::signbit(back), std::signbit(f));
  }
  EXPECT_EQ(r.ReadSet(), (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_TRUE(r.ReadSet().empty());
  EXPECT_EQ(r.NextValue(), ValueTag::kNil);
  r.SkipValue();
  EXPECT_TRUE(std::isnan(r.ReadFloat()));
}

TEST(ComponentStream, ExtendedFloatHasTheStandardLayout) {
  auto one = EncodeExtended(1.0);
  EXPECT_EQ(std::string(one.begin(), one.end()), std::string("\0\0\0\0\0\0\0\x80\xff\x3f", 10));
  auto minus_ten = EncodeExtended(-10.0);
  EXPECT_EQ(std::string(minus_ten.begin(), minus_ten.end()),
            std::string("\0\0\0\0\0\0\0\xa0\x02\xc0", 10));
}

TEST(ComponentReader, SkipsEveryKnownValue) {
  std::string bytes = Written([](ComponentWriter& w) {
    w.WriteListBegin();
    w.WriteInteger(5);
    w.WriteInteger(500);
    w.WriteInteger(500000);
    w.WriteFloat(2.0);
    w.WriteString("ascii");
    w.WriteString("юникод");
    w.WriteWideString("ГК");
    w.WriteString(std::string(300, 'l'));
    w.WriteIdent("laDepth");
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.WriteSet({"a"});
    w.WriteNil();
    w.BeginBinary();
    w.WriteInt32(1);
    w.EndBinary();
    w.WriteListBegin();
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteInteger(42);
  });
  MemoryStream in(bytes);
  ComponentReader r(in);
  r.SkipValue();
  EXPECT_EQ(r.ReadInteger(), 42);
}

// Damaged and hostile streams: each fails with a structural error, never reads past
// its data or allocates by an unchecked length.
TEST(ComponentReader, RejectsDamagedAndHostileInput) {
  auto nested_lists = std::string(100, '\x01') + std::string(100, '\0');
  struct Case {
    const char* name;
    std::string bytes;
    void (*read)(ComponentReader&);
  };
  const Case cases[] = {
      {"wrong signature", "TPF1", [](ComponentReader& r) { r.ReadSignature(); }},
      {"short string past the end",
       std::string("\x20"
                   "abc"),
       [](ComponentReader& r) { r.ReadShortString(); }},
      {"long string of 2 GB", std::string("\x0c\xff\xff\xff\x7f", 5) + "abc",
       [](ComponentReader& r) { r.ReadString(); }},
      {"negative UTF-8 length", std::string("\x14\xff\xff\xff\xff", 5),
       [](ComponentReader& r) { r.ReadString(); }},
      {"wide string of 1G characters", std::string("\x12\x00\x00\x00\x40", 5) + "ab",
       [](ComponentReader& r) { r.ReadString(); }},
      {"binary longer than the data", std::string("\x0a\x10\x00\x00\x00", 5) + "abc",
       [](ComponentReader& r) { r.BeginBinary(); }},
      {"inner block past the outer one",
       std::string("\x0a\x06\0\0\0\x0a\x08\0\0\0\0", 11) + std::string(8, 'x'),
       [](ComponentReader& r) {
         r.BeginBinary();
         r.BeginBinary();
       }},
      {"read past the block", std::string("\x0a\x02\0\0\0", 5) + std::string(8, 'x'),
       [](ComponentReader& r) {
         r.BeginBinary();
         r.ReadInt32();
       }},
      {"unknown tag", "\x63", [](ComponentReader& r) { r.SkipValue(); }},
      {"lists nested too deep", nested_lists, [](ComponentReader& r) { r.SkipValue(); }},
      {"integer expected", "\x06\x01x", [](ComponentReader& r) { r.ReadInteger(); }},
      {"string expected", "\x07\x01x", [](ComponentReader& r) { r.ReadString(); }},
      {"empty input", "", [](ComponentReader& r) { r.EndOfList(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream in(c.bytes);
    ComponentReader r(in);
    try {
      c.read(r);
      ADD_FAILURE() << "read";
    } catch (const EComponentStreamError& e) {
      // The user reads it in one language: no English word in the Russian text.
      const std::string m = e.what();
      int latin = 0;
      for (char ch : m) {
        latin = ch >= 'a' && ch <= 'z' ? latin + 1 : 0;
        ASSERT_LT(latin, 3) << m;
      }
    }
  }
}

TEST(ComponentReader, InvalidUtf8IsReplacedNotPassedOn) {
  MemoryStream in(
      std::string("\x14\x03\0\0\0a\xff"
                  "b",
                  8));
  ComponentReader r(in);
  EXPECT_EQ(r.ReadString(),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace kest
