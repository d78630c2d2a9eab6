#include "link/device_functions.h"

#include <cmath>

#include "lisp/args.h"
#include "lisp/value_nodes.h"
#include "lisp/wlisp.h"
#include "support/rounding.h"

namespace kest {

namespace {

// Shared by every formula that calls them, as the tool string has one depth.
// The first call after a reset only takes its sample as the baseline: measured from
// the zero state, the first speed would be the whole depth over the whole time (a
// spike of millions of m/h in the recorded log) and the first direction "down" for
// any positive depth.
struct DeviceState {
  bool speed_started = false;
  double speed_value = 0, speed_time = 0;
  int32_t speed = 0;
  bool direction_started = false;
  double direction_value = 0;
  int32_t direction = 0;
};
DeviceState g_state;

double NumberOf(TArgs& args) {
  auto* n = args.Next<TNumericNode>();
  return NodeCast<TIntNode>(n) ? n->AsInteger() : n->AsFloat();
}

}  // namespace

void RegisterDeviceFunctions(TWLisp& lisp) {
  g_state = DeviceState{};
  lisp.RegisterFunction("speed", nullptr, [](TArgs& args) {
    double value = NumberOf(args), time = NumberOf(args);
    args.NoMoreArgs();
    double elapsed = time - g_state.speed_time;
    if (!g_state.speed_started) {
      g_state.speed_started = true;
      g_state.speed_value = value;
      g_state.speed_time = time;
    } else if (elapsed >= 1.0) {
      g_state.speed = RoundHalfEven32(std::fabs(value - g_state.speed_value) / elapsed * 360) * 10;
      g_state.speed_value = value;
      g_state.speed_time = time;
    }
    return MakeInt(g_state.speed);
  });
  lisp.RegisterFunction("direction", nullptr, [](TArgs& args) {
    double value = NumberOf(args);
    args.NoMoreArgs();
    if (!g_state.direction_started) {
      g_state.direction_started = true;
    } else if (value > g_state.direction_value) {
      g_state.direction = 1;
    } else if (value < g_state.direction_value) {
      g_state.direction = -1;
    }
    g_state.direction_value = value;
    return MakeInt(g_state.direction);
  });
}

}  // namespace kest
