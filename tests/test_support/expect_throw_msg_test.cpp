#include "test_support/expect_throw_msg.h"

#include <gtest/gtest-spi.h>

#include <stdexcept>

namespace {

struct BaseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct DerivedError : BaseError {
  using BaseError::BaseError;
};

void ThrowBase(const char* message) { throw BaseError(message); }
void ThrowDerived(const char* message) { throw DerivedError(message); }
void ThrowInt() { throw 7; }
void DoNothing() {}

TEST(ExpectThrowMsg, PassesOnTheClassAndTheWholeMessage) {
  EXPECT_THROW_MSG(ThrowBase("Неверный формат файла"), BaseError, "Неверный формат файла");
  EXPECT_THROW_MSG(ThrowDerived("x"), DerivedError, std::string("x"));
  EXPECT_THROW_MSG_HAS(ThrowBase("Cannot open /tmp/a/b.las: No such file"), BaseError,
                       "/tmp/a/b.las");
  ASSERT_THROW_MSG(ThrowBase(""), BaseError, "");
}

// Each way the check must fail, with what the failure says.
TEST(ExpectThrowMsg, FailsAndSaysWhatWasThrownInstead) {
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(DoNothing(), BaseError, "m"), "actually threw nothing");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowInt(), BaseError, "m"), "not a std::exception");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(throw std::logic_error("m"), BaseError, "m"),
                          "actually threw std::logic_error with message \"m\"");
  // A class derived from the expected one is another class.
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowDerived("m"), BaseError, "m"), "DerivedError");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowBase("m"), DerivedError, "m"), "BaseError");
  // The actual message is printed beside the expected one.
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowBase("Version 3.0"), BaseError, "Version 2.0"),
                          "with message \"Version 3.0\"\n  expected     \"Version 2.0\"");
  // Whole by default: a part, a longer text or a trailing blank do not pass.
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowBase("No data to save"), BaseError, "No data"),
                          "No data to save");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowBase("No data"), BaseError, "No data to save"),
                          "No data");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG(ThrowBase("No data "), BaseError, "No data"),
                          "No data ");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG_HAS(ThrowBase("Cannot open a"), BaseError, "b.las"),
                          "not holding  \"b.las\"");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_MSG_HAS(DoNothing(), BaseError, ""),
                          "actually threw nothing");
}

TEST(ExpectThrowMsg, NamedClassIsTheMostDerivedOneWithoutNamespace) {
  EXPECT_THROW_NAMED(ThrowDerived("m"), "DerivedError", "m");
  EXPECT_THROW_NAMED(throw std::logic_error("m"), "logic_error", "m");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_NAMED(ThrowDerived("m"), "BaseError", "m"),
                          "actually threw DerivedError with message \"m\"");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_NAMED(ThrowBase("m2"), "BaseError", "m"),
                          "actually threw BaseError with message \"m2\"");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_NAMED(DoNothing(), "BaseError", "m"),
                          "actually threw nothing");
  EXPECT_NONFATAL_FAILURE(EXPECT_THROW_NAMED(ThrowInt(), "BaseError", "m"), "not a std::exception");
}

TEST(ExpectThrowMsg, AssertVariantStopsTheTest) {
  EXPECT_FATAL_FAILURE(ASSERT_THROW_MSG(DoNothing(), BaseError, "m"), "actually threw nothing");
  EXPECT_FATAL_FAILURE(ASSERT_THROW_MSG_HAS(ThrowBase("abc"), BaseError, "x"), "not holding");
}

// The statement runs once, in the caller's scope.
TEST(ExpectThrowMsg, RunsTheStatementOnceWithTheCallersVariables) {
  int runs = 0;
  EXPECT_THROW_MSG(
      {
        ++runs;
        ThrowBase("m");
      },
      BaseError, "m");
  EXPECT_EQ(runs, 1);
}

}  // namespace
