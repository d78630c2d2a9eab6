#include "log/lzhuf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "log/log_errors.h"
#include "log/lzhuf_encoder.h"
#include "support/code_page.h"
#include "support/stream.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

using testing::LzhufEncode;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> Decode(const std::vector<uint8_t>& compressed) {
  MemoryStream in(compressed);
  return LzhufDecode(in);
}

// Text and noise mixed so that literals, short and long matches all occur; long
// enough for the adaptive tree to be rebuilt several times.
std::vector<uint8_t> MixedBytes(size_t size) {
  std::mt19937 random(7);
  std::vector<uint8_t> out;
  const std::string phrase = Utf8ToCp1251("Глубина=1520.4 м; ГК, ПС, КС ");
  while (out.size() < size) {
    if (random() % 3 == 0)
      out.insert(out.end(), phrase.begin(), phrase.end());
    else
      for (int i = 0; i < 40; ++i) out.push_back(static_cast<uint8_t>(random()));
  }
  out.resize(size);
  return out;
}

std::vector<uint8_t> FloatSeries(int count) {
  std::vector<uint8_t> out(4 * static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    float v = i % 500 < 200 ? -999.25f : std::round(100.f * std::sin(i / 50.f)) / 10.f;
    std::memcpy(&out[4 * static_cast<size_t>(i)], &v, 4);
  }
  return out;
}

TEST(Lzhuf, DecodesWhatThePublishedCoderEncodes) {
  struct Case {
    const char* name;
    std::vector<uint8_t> input;
  };
  const Case cases[] = {
      {"one byte", Bytes("x")},
      {"spaces only", Bytes(std::string(300, ' '))},
      {"leading spaces", Bytes("      TPF0\tTLogSheet      Argument")},
      {"repeats", Bytes(std::string(5000, 'a') + "b" + std::string(70, 'a'))},
      {"mixed, tree rebuilt", MixedBytes(120000)},
      {"float samples", FloatSeries(30000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto encoded = LzhufEncode(c.input);
    EXPECT_EQ(Decode(encoded.bytes), c.input);
  }
}

TEST(Lzhuf, MatchesReachIntoTheInitialSpaces) {
  auto input = Bytes("          Comments.Strings  ");
  auto encoded = LzhufEncode(input);
  ASSERT_GT(encoded.matches_into_spaces, 0);
  EXPECT_EQ(Decode(encoded.bytes), input);
}

TEST(Lzhuf, ZeroLengthYieldsNothingAndReadsNoFurther) {
  MemoryStream in(std::vector<uint8_t>{0, 0, 0, 0, 0xAB, 0xCD});
  std::vector<int> seen;
  EXPECT_TRUE(LzhufDecode(in, [&](int p) { seen.push_back(p); }).empty());
  EXPECT_EQ(in.Position(), 4);
  EXPECT_EQ(seen, (std::vector<int>{0, 100}));
}

TEST(Lzhuf, TruncatedInputReadsAsZerosAndStillYieldsTheDeclaredLength) {
  auto input = MixedBytes(20000);
  auto encoded = LzhufEncode(input).bytes;
  encoded.resize(encoded.size() / 2);
  auto decoded = Decode(encoded);
  ASSERT_EQ(decoded.size(), input.size());
  EXPECT_TRUE(std::equal(input.begin(), input.begin() + 1000, decoded.begin()));
  EXPECT_NE(decoded, input);
}

TEST(Lzhuf, LengthBeyondWhatTheInputCanHoldFailsBeforeAllocating) {
  for (std::vector<uint8_t> bytes : {std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3},
                                     std::vector<uint8_t>{0x00, 0x10, 0x00, 0x00}}) {
    MemoryStream in(bytes);
    EXPECT_THROW_MSG(LzhufDecode(in), ELSFilerError, kFileDamaged);
  }
}

TEST(Lzhuf, ProgressRisesInHundredthsFromZeroToHundred) {
  auto encoded = LzhufEncode(MixedBytes(50000)).bytes;
  MemoryStream in(encoded);
  std::vector<int> seen;
  LzhufDecode(in, [&](int p) { seen.push_back(p); });
  ASSERT_GE(seen.size(), 50u);
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()) &&
              std::adjacent_find(seen.begin(), seen.end()) == seen.end());
}

}  // namespace
}  // namespace kest
