// The short paths of LAS number text against the standard library's exact ones.
#include "log/las_numbers.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace kest {
namespace {

std::string Parsed(const std::string& text) {
  float v = 12345;
  if (!ParseLasNumber(text.data(), text.data() + text.size(), v)) return "error";
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

TEST(LasNumbers, ParsingMatchesFromChars) {
  struct {
    const char* text;
    const char* value;
  } cases[] = {{"2550.000", "2550"},
               {"-999.25", "-999.25"},
               {"0.1", "0.1"},
               {"1669.875000", "1669.875"},
               {"-0", "-0"},
               {"1.", "1"},
               {".5", "0.5"},
               {"1e3", "1000"},
               {"1E-2", "0.01"},
               {"16777217", "16777216"},
               {"0.00000000001", "1e-11"},
               {"123456789012345678901234567890", "1.2345679e+29"},
               {"1e50", "inf"},
               {"-1e50", "-inf"},
               {"1e-50", "0"},
               {"-1e-5000", "-0"},
               {"", "error"},
               {"-", "error"},
               {".", "error"},
               {"1.2.3", "error"},
               {"+1", "error"},
               {"1,5", "error"},
               {"12a", "error"},
               {"--1", "error"}};
  for (const auto& c : cases) EXPECT_EQ(Parsed(c.text), c.value) << c.text;

  // Random decimals of the kinds LAS files carry, parsed both ways.
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    int decimals = static_cast<int>(random() % 12);
    long long whole = static_cast<long long>(random() % 100000000) - 50000000;
    std::string text = std::to_string(whole / static_cast<long long>(random() % 1000 + 1));
    if (decimals > 0) {
      text += '.';
      for (int k = 0; k < decimals; ++k) text += static_cast<char>('0' + random() % 10);
    }
    float mine = 0, exact = 0;
    ASSERT_TRUE(ParseLasNumber(text.data(), text.data() + text.size(), mine)) << text;
    std::from_chars(text.data(), text.data() + text.size(), exact);
    ASSERT_EQ(std::memcmp(&mine, &exact, sizeof mine), 0) << text;
  }
}

// Values as "0.###": exactly what rounding the float's value to three decimals gives.
TEST(LasNumbers, ValuesAreRoundedExactlyToThreeDecimals) {
  auto put = [](float v) {
    char buffer[64];
    return std::string(buffer, PutLasValue(buffer, v));
  };
  EXPECT_EQ(put(0.0f), "0");
  EXPECT_EQ(put(-0.0f), "0");
  EXPECT_EQ(put(-0.0004f), "0");
  EXPECT_EQ(put(12.5f), "12.5");
  EXPECT_EQ(put(-9999.99f), "-9999.99");
  EXPECT_EQ(put(0.0625f), "0.062");  // an exact tie goes to the even neighbour
  EXPECT_EQ(put(0.1875f), "0.188");
  EXPECT_EQ(put(1e20f), "1.00000002e+20");
  EXPECT_EQ(put(NAN), "0");
  EXPECT_EQ(put(-INFINITY), "0");

  std::mt19937 random(11);
  for (int i = 0; i < 300000; ++i) {
    float v;
    if (i % 2 == 0) {
      v = static_cast<float>(static_cast<int>(random() % 4000000) - 2000000) / 64.0f;
    } else {
      uint32_t bits = random();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v) || std::fabs(v) >= 1e15f) continue;
    }
    char buffer[64];
    std::string exact(buffer, std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v),
                                            std::chars_format::fixed, 3)
                                  .ptr);
    while (exact.back() == '0') exact.pop_back();
    if (exact.back() == '.') exact.pop_back();
    if (exact == "-0") exact = "0";
    ASSERT_EQ(put(v), exact) << v;
  }
}

TEST(LasNumbers, ArgumentsInHundredths) {
  auto put = [](int64_t thousandths) {
    char buffer[64];
    return std::string(buffer, PutLasArgument(buffer, thousandths));
  };
  EXPECT_EQ(put(1000000), "1000.00");
  EXPECT_EQ(put(1000010), "1000.01");
  EXPECT_EQ(put(0), "0.00");
  EXPECT_EQ(put(-10), "-0.01");
  EXPECT_EQ(put(-2147483640), "-2147483.64");
  EXPECT_EQ(put(1015), "1.01");  // between hundredths: as printf rounds the double 1.015
  EXPECT_EQ(put(2147483647), "2147483.65");
}

}  // namespace
}  // namespace kest
