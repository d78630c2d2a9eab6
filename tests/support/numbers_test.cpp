#include <gtest/gtest.h>

#include <cmath>

#include "support/assert.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/singles.h"

namespace kest {
namespace {

TEST(Rounding, HalvesGoToEvenNeighbour) {
  struct Case {
    double in;
    int64_t out;
  };
  for (auto c : {Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{-3.5, -4}, Case{0.5, 0},
                 Case{1.5, 2}, Case{2.4999, 2}, Case{2.5001, 3}, Case{-0.6, -1}}) {
    EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
  }
}

TEST(Rounding, TruncationCutsTowardsZeroAndSaturates) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(RoundHalfEven32(1e20), INT32_MAX);
  EXPECT_EQ(RoundHalfEven32(-1e20), INT32_MIN);
  EXPECT_EQ(RoundHalfEven32(NAN), 0);
}

TEST(NumberText, ParsesOnlyWholeNumbersWithDot) {
  EXPECT_EQ(ParseInt(" 42 "), 42);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_FALSE(ParseInt("4x"));
  EXPECT_FALSE(ParseInt(""));
  EXPECT_FALSE(ParseInt("99999999999"));
  EXPECT_EQ(ParseFloat("-1.25e2"), -125.0);
  EXPECT_FALSE(ParseFloat("1,5"));
}

TEST(NumberText, FormatsWithoutLocale) {
  EXPECT_EQ(FormatFloat(0.1), "0.1");
  EXPECT_EQ(FormatGeneral(0.1f, 9), "0.100000001");
  EXPECT_EQ(FormatFixed(2.0 / 3.0, 3), "0.667");
}

TEST(Singles, AveragesOnlyFilledEntries) {
  TSingles ring(4);
  EXPECT_EQ(ring.Average(), 0.0f);
  ring.Push(2);
  ring.Push(4);
  EXPECT_FLOAT_EQ(ring.Average(), 3.0f);
  EXPECT_EQ(ring.Count(), 2);
}

TEST(Singles, OverwritesOldestWhenFull) {
  TSingles ring(3);
  for (float v : {1.f, 2.f, 3.f, 10.f}) ring.Push(v);
  EXPECT_EQ(ring.Count(), 3);
  EXPECT_FLOAT_EQ(ring.Average(), 5.0f);
  EXPECT_EQ(ring.Item(0), 2.f);
  EXPECT_EQ(ring.Item(2), 10.f);
}

TEST(Singles, CapacityChangeEmptiesAndZeroCapacityRefusesPush) {
  TSingles ring(2);
  ring.Push(5);
  ring.SetCapacity(5);
  EXPECT_EQ(ring.Count(), 0);
  TSingles empty;
  EXPECT_THROW(empty.Push(1), EAssertionFailed);
}

TEST(Assertion, NamesSourceAndLine) {
  try {
    KEST_ASSERT(1 + 1 == 3);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("Assertion failure (tests/support/numbers_test.cpp, line"),
              std::string::npos)
        << e.what();
    EXPECT_STREQ(e.ClassName(), "EAssertionFailed");
  }
}

}  // namespace
}  // namespace kest
