// The expression compiler and evaluator. The first byte picks the decimal separator;
// the rest is one formula per line over a few bound variables.
#include <string>
#include <string_view>

#include "expr/expression_parser.h"
#include "fuzz_common.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TExpressionParser parser((data[0] & 1) ? ',' : '.');
  parser.SetRandomSeed(1);
  parser.SetOptimize((data[0] & 2) == 0);
  double x = 1.5, y = -2, depth = 1000;
  parser.DefineVariable("x", &x);
  parser.DefineVariable("y", &y);
  parser.DefineVariable("depth", &depth);
  for (int lines = 0; !text.empty() && lines < 16; ++lines) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    int index = -1;
    if (!fuzz::Guarded([&] { index = parser.AddExpression(line); })) continue;
    for (int i = 0; i < 2; ++i) fuzz::Guarded([&] { parser.Evaluate(index); });
  }
  return 0;
}
