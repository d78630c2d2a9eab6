#pragma once

// The one machine-readable line every benchmark prints per figure, which
// scripts/run-bench gathers into a single table:
//   BENCH <tab> name <tab> size <tab> throughput
// `size` says how much work was measured ("2M rows x 20 tracks"), `throughput` the
// figure with its unit ("123.4 M samples/s"). Free text must not contain tabs.
#include <cstdarg>
#include <cstdio>
#include <string>

namespace kest::bench {

inline std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

inline void Line(const std::string& name, const std::string& size, const std::string& throughput) {
  std::printf("BENCH\t%s\t%s\t%s\n", name.c_str(), size.c_str(), throughput.c_str());
}

}  // namespace kest::bench
