#include "support/assert.h"

#include <cstring>

#include "support/diagnostic_log.h"

namespace kest {

namespace {

// The path inside the source tree, so that messages do not depend on the build machine.
// A suffix of `file`: it lives as long as the literal it came from.
const char* SourcePath(const char* file) {
  const char* shown = file;
  for (const char* top : {"/src/", "/tests/", "/tools/", "/bench/", "/fuzz/"}) {
    if (const char* at = std::strstr(file, top); at && (shown == file || at < shown))
      shown = at + 1;
  }
  return shown;
}

// The log entry must not take the place of the error being raised.
void Log(const char* file, int line, const char* message) noexcept {
  try {
    Diag().LogException(file, line, message);
  } catch (...) {
  }
}

}  // namespace

void AssertionFailed(const char* file, int line) {
  const char* shown = SourcePath(file);
  Log(shown, line, "Assertion failure");
  throw EAssertionFailed(
      "Assertion failure (" + std::string(shown) + ", line " + std::to_string(line) + ")", shown,
      line);
}

void RequirementFailed(const char* message, const char* file, int line) {
  const char* shown = SourcePath(file);
  Log(shown, line, message);
  throw EAssertionFailed(message, shown, line);
}

}  // namespace kest
