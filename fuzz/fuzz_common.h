#pragma once

// Shared by the fuzz targets: the product's own errors are the expected outcome of
// hostile input; anything else (an assertion, a standard-library exception, a
// sanitizer report) escapes and ends the run as a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/errors.h"

namespace kest::fuzz {

// Runs `body` and swallows the errors a reader is allowed to raise. An internal
// assertion failure is a bug, not a rejection, so it is let through.
template <class Body>
bool Guarded(Body&& body) {
  try {
    body();
    return true;
  } catch (const EAssertionFailed&) {
    throw;
  } catch (const EKestError&) {
    return false;
  }
}

#ifdef KEST_FUZZ_REPLAY
// Raised instead of stopping when the corpus is replayed as a test, so that the
// replay names the input that broke the property.
class PropertyViolated : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};
#endif

// Stops the run with a message when a property the product promises does not hold.
inline void Require(bool condition, const char* what) {
  if (!condition) {
#ifdef KEST_FUZZ_REPLAY
    throw PropertyViolated(std::string("property violated: ") + what);
#else
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
#endif
  }
}

inline std::vector<uint8_t> Bytes(const uint8_t* data, size_t size) {
  return std::vector<uint8_t>(data, data + size);
}

}  // namespace kest::fuzz
