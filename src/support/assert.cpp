#include "support/assert.h"

#include <cstring>

namespace kest {

void AssertionFailed(const char* file, int line) {
  // Keep the path inside the source tree so messages do not depend on the build machine.
  const char* shown = file;
  for (const char* top : {"/src/", "/tests/", "/tools/", "/bench/", "/fuzz/"}) {
    if (const char* at = std::strstr(file, top); at && (shown == file || at < shown)) shown = at + 1;
  }
  throw EAssertionFailed("Assertion failure (" + std::string(shown) + ", line " +
                         std::to_string(line) + ")");
}

}  // namespace kest
