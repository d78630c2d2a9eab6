#include "test_support/expect_throw_msg.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>

namespace kest::test {

std::string TypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

std::string DescribeCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    return TypeName(typeid(e)) + " with message \"" + e.what() + "\"";
  } catch (...) {
    return "an exception that is not a std::exception";
  }
}

::testing::AssertionResult CheckCaughtMessage(const std::exception& caught,
                                              const std::type_info& expected,
                                              const char* statement_text,
                                              const std::string& message, MessageMatch match) {
  if (typeid(caught) != expected)
    return ::testing::AssertionFailure()
           << statement_text << "\n  expected to throw " << TypeName(expected)
           << "\n  actually threw " << TypeName(typeid(caught)) << " with message \""
           << caught.what() << "\"";
  const std::string actual = caught.what();
  const bool matches =
      match == MessageMatch::kWhole ? actual == message : actual.find(message) != std::string::npos;
  if (matches) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << statement_text << "\n  threw " << TypeName(expected) << " as expected"
         << "\n  with message \"" << actual << "\""
         << (match == MessageMatch::kWhole ? "\n  expected     \"" : "\n  not holding  \"")
         << message << "\"";
}

::testing::AssertionResult NothingThrown(const char* statement_text,
                                         const std::type_info& expected) {
  return ::testing::AssertionFailure() << statement_text << "\n  expected to throw "
                                       << TypeName(expected) << "\n  actually threw nothing";
}

::testing::AssertionResult OtherThrown(const char* statement_text, const std::type_info& expected) {
  return ::testing::AssertionFailure()
         << statement_text << "\n  expected to throw " << TypeName(expected)
         << "\n  actually threw " << DescribeCurrentException();
}

::testing::AssertionResult CheckCurrentNamed(const char* statement_text,
                                             const std::string& class_name,
                                             const std::string& message) {
  try {
    throw;
  } catch (const std::exception& e) {
    std::string name = TypeName(typeid(e));
    if (const size_t colons = name.rfind("::"); colons != std::string::npos)
      name.erase(0, colons + 2);
    const std::string actual = e.what();
    if (name == class_name && actual == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << statement_text << "\n  expected to throw " << class_name << " with message \""
           << message << "\"\n  actually threw " << name << " with message \"" << actual << "\"";
  } catch (...) {
    return ::testing::AssertionFailure() << statement_text << "\n  expected to throw " << class_name
                                         << "\n  actually threw " << DescribeCurrentException();
  }
}

}  // namespace kest::test
