// Channel formula throughput: (+ 1.5 (* 0.98 snGK-COUNTER)) evaluated against a live
// numeric value, as the channels do on every timer step. Prints figures only.
#include <chrono>
#include <cstdio>

#include "bench_line.h"
#include "lisp/value_nodes.h"
#include "lisp/wlisp.h"

namespace {

// A host value that changes between evaluations, like a sensor.
class TCounterNode : public kest::TNumericNode {
 public:
  static constexpr kest::TNodeClass kClass{"TCounterNode", &kest::TNumericNode::kClass};
  const kest::TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "SENSOR"; }
  float AsFloat() const override { return value; }
  float value = 0;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  using namespace kest;
  TWLisp lisp;
  NodeRef counter_ref = MakeNode<TCounterNode>();
  auto* counter = static_cast<TCounterNode*>(counter_ref.Get());
  lisp.SetVariable("snGK-COUNTER", counter_ref);
  NodeRef formula = lisp.Parse("(+ 1.5 (* 0.98 snGK-COUNTER))");

  constexpr int kWarmUp = 100000;
  constexpr int kRuns = 2000000;
  double sink = 0;
  for (int i = 0; i < kWarmUp; ++i) sink += lisp.Eval(formula.Get())->TypeName()[0];

  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRuns; ++i) {
    counter->value = static_cast<float>(i & 1023);
    NodeRef value = lisp.Eval(formula.Get());
    sink += static_cast<TNumericNode*>(value.Get())->AsFloat();
  }
  double seconds = SecondsSince(start);
  double per_second = kRuns / seconds;

  // 64 formulas every 25 ms timer step: 2560 evaluations per second.
  constexpr double kStepsPerSecond = 1000.0 / 25.0;
  constexpr int kFormulasPerStep = 64;
  double core_share = kFormulasPerStep * kStepsPerSecond / per_second * 100.0;

  constexpr int kParseRuns = 200000;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < kParseRuns; ++i)
    sink += lisp.Evaluate("(+ 1.5 (* 0.98 snGK-COUNTER))")->TypeName()[0];
  double parse_per_second = kParseRuns / SecondsSince(start);

  std::printf("formula: (+ 1.5 (* 0.98 snGK-COUNTER))\n");
  std::printf("evaluations per second:        %12.0f (%.3f us each)\n", per_second,
              1e6 / per_second);
  std::printf("read + evaluate per second:    %12.0f\n", parse_per_second);
  std::printf("64 formulas per 25 ms step:    %12.4f %% of one core\n", core_share);
  std::printf("(checksum %g)\n", sink);
  namespace b = kest::bench;
  b::Line("lisp: evaluate (+ 1.5 (* 0.98 x))", "1 formula",
          b::Format("%.2f M evals/s", per_second / 1e6));
  b::Line("lisp: read + evaluate", b::Format("%d formulas", kParseRuns),
          b::Format("%.2f M/s", parse_per_second / 1e6));
  return 0;
}
