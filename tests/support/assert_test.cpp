// A failed invariant is a fault of the program: it is logged as an error with its
// place before it is raised, and the error carries the place for the boundary that
// shows it.
#include "support/assert.h"

#include <gtest/gtest.h>

#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "temp_dir.h"

namespace kest {
namespace {

// The process's diagnostic log, opened in a temporary folder for one test.
class AssertionLog : public ::testing::Test {
 protected:
  void SetUp() override {
    Diag().time_text = [] { return std::string("12:34:56"); };
    Diag().Open(dir_.File("kest.log"), "kest");
  }
  void TearDown() override {
    Diag().Close();
    Diag().time_text = nullptr;
  }
  std::string Text() const {
    auto bytes = ReadWholeFile(dir_.File("kest.log"));
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  testing::TempDir dir_;
};

TEST_F(AssertionLog, AFailedAssertionIsLoggedAsAnErrorWithItsPlace) {
  const int line = __LINE__ + 2;
  try {
    KEST_ASSERT(1 + 1 == 3);
    FAIL();
  } catch (const EAssertionFailed& e) {
    const std::string place = "tests/support/assert_test.cpp, line " + std::to_string(line);
    EXPECT_EQ(std::string(e.what()), "Assertion failure (" + place + ")");
    EXPECT_EQ(e.Place(), place);
  }
  const std::string entry =
      "12:34:56 ---- x [tests/support/assert_test.cpp:" + std::to_string(line) +
      "] Assertion failure\r\n";
  EXPECT_NE(Text().find(entry), std::string::npos) << Text();
}

TEST_F(AssertionLog, ARequirementKeepsItsMessageAndIsLoggedWithItsPlace) {
  const int line = __LINE__ + 2;
  try {
    Require(false, "Overflow in TL1_Driver.AttachID");
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_STREQ(e.what(), "Overflow in TL1_Driver.AttachID");
    EXPECT_STREQ(e.ClassName(), "EAssertionFailed");
    EXPECT_EQ(e.Place(), "tests/support/assert_test.cpp, line " + std::to_string(line));
  }
  const std::string entry = "x [tests/support/assert_test.cpp:" + std::to_string(line) +
                            "] Overflow in TL1_Driver.AttachID\r\n";
  EXPECT_NE(Text().find(entry), std::string::npos) << Text();
}

TEST_F(AssertionLog, AHoldingInvariantWritesNothing) {
  const std::string before = Text();
  KEST_ASSERT(1 + 1 == 2);
  Require(true, "never");
  EXPECT_EQ(Text(), before);
}

TEST(Assertion, AnErrorRaisedWithoutAPlaceHasNone) {
  EXPECT_EQ(EAssertionFailed("Out of entries").Place(), "");
}

}  // namespace
}  // namespace kest
