#include "support/errors.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace kest {

const char* ExceptionClassName(const std::exception& e) noexcept {
  if (auto* own = dynamic_cast<const EKestError*>(&e)) return own->ClassName();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "EOutOfMemory";
  return "Exception";
}

std::string EAssertionFailed::Place() const {
  if (!file_) return {};
  return std::string(file_) + ", line " + std::to_string(line_);
}

std::string WithSystemError(const std::string& message) { return WithSystemError(message, errno); }

std::string WithSystemError(const std::string& message, int error_code) {
  return message + std::strerror(error_code);
}

}  // namespace kest
