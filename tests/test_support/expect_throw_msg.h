#pragma once

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

// EXPECT_THROW_MSG(statement, Class, message): the statement throws exactly Class (not
// a class derived from it) and what() is the message, byte for byte. A failure names
// what was thrown instead and prints the actual message.
// EXPECT_THROW_MSG_HAS(statement, Class, part): the same, for a message with a variable
// part (a path, a system error text): what() holds `part`.
// ASSERT_THROW_MSG and ASSERT_THROW_MSG_HAS stop the test on failure.
// EXPECT_THROW_NAMED(statement, "ClassName", message): the same with the class given by
// its name without namespace, for tables whose rows fail with different classes.

namespace kest::test {

enum class MessageMatch { kWhole, kPart };

// Names the exception being handled (inside a catch block): its class and message.
std::string DescribeCurrentException();
// The readable name of a type.
std::string TypeName(const std::type_info& type);

::testing::AssertionResult CheckCaughtMessage(const std::exception& caught,
                                              const std::type_info& expected,
                                              const char* statement_text,
                                              const std::string& message, MessageMatch match);
::testing::AssertionResult NothingThrown(const char* statement_text,
                                         const std::type_info& expected);
::testing::AssertionResult OtherThrown(const char* statement_text, const std::type_info& expected);

// The same for a class given by its name without namespace ("ELasFilerError").
::testing::AssertionResult CheckCurrentNamed(const char* statement_text,
                                             const std::string& class_name,
                                             const std::string& message);

template <class Statement>
::testing::AssertionResult ThrowsNamedWithMessage(Statement&& statement, const char* statement_text,
                                                  const std::string& class_name,
                                                  const std::string& message) {
  try {
    statement();
  } catch (...) {
    return CheckCurrentNamed(statement_text, class_name, message);
  }
  return ::testing::AssertionFailure() << statement_text << "\n  expected to throw " << class_name
                                       << "\n  actually threw nothing";
}

template <class Expected, class Statement>
::testing::AssertionResult ThrowsWithMessage(Statement&& statement, const char* statement_text,
                                             const std::string& message, MessageMatch match) {
  try {
    statement();
  } catch (const Expected& e) {
    return CheckCaughtMessage(e, typeid(Expected), statement_text, message, match);
  } catch (...) {
    return OtherThrown(statement_text, typeid(Expected));
  }
  return NothingThrown(statement_text, typeid(Expected));
}

}  // namespace kest::test

#define KEST_THROW_MSG_CHECK_(statement, Class, message, match)                                  \
  ::kest::test::ThrowsWithMessage<Class>([&]() { statement; }, #statement, std::string(message), \
                                         ::kest::test::MessageMatch::match)

#define EXPECT_THROW_NAMED(statement, class_name, message)                           \
  EXPECT_TRUE(::kest::test::ThrowsNamedWithMessage([&]() { statement; }, #statement, \
                                                   std::string(class_name), std::string(message)))

#define EXPECT_THROW_MSG(statement, Class, message) \
  EXPECT_TRUE(KEST_THROW_MSG_CHECK_(statement, Class, message, kWhole))
#define ASSERT_THROW_MSG(statement, Class, message) \
  ASSERT_TRUE(KEST_THROW_MSG_CHECK_(statement, Class, message, kWhole))
#define EXPECT_THROW_MSG_HAS(statement, Class, part) \
  EXPECT_TRUE(KEST_THROW_MSG_CHECK_(statement, Class, part, kPart))
#define ASSERT_THROW_MSG_HAS(statement, Class, part) \
  ASSERT_TRUE(KEST_THROW_MSG_CHECK_(statement, Class, part, kPart))
