#pragma once

namespace kest {

class TWLisp;

// Registers the script functions that device module formulas use, and resets their
// shared state to zero:
//   (speed value time)  the rate of change of value per unit of time x 3600, in
//                       steps of 10, recomputed once at least 1.0 of time passed
//   (direction value)   1 while value grows, -1 while it falls (0 at first)
void RegisterDeviceFunctions(TWLisp& lisp);

}  // namespace kest
