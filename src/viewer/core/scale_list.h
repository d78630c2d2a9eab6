#pragma once

#include <cstdint>

namespace kest {

// The vertical scales 1:N the viewer offers, by index. The user reaches indices
// kFirstUserScaleIndex (1:20) to kScaleCount - 1 (1:120000).
inline constexpr int kScaleCount = 20;
inline constexpr int kFirstUserScaleIndex = 5;
inline constexpr int32_t kScales[kScaleCount] = {0,     1,     2,     5,     10,    20,    50,
                                                 100,   200,   500,   1000,  2000,  5000,  6000,
                                                 10000, 12000, 20000, 50000, 60000, 120000};
// Index of the scale, or -1 when it is not in the list.
int IndexOfScale(int32_t scale);

// The round values a graphics column's right bound steps through (ScaleUp,
// ScaleDown, AutoScale): -1000 ... -0.01, 0, then 1-2-5 per decade from 0.0001 to
// 5000000. Ascending, kValueStepCount entries.
inline constexpr int kValueStepCount = 50;
double ValueStep(int index);  // index < 0 is an assertion "Index is out of range"
// Index of the first entry >= v, or -1.
int FirstValueStepAtLeast(double v);
// The first entry > v / the last entry < v; false when there is none.
bool NextValueStepAbove(double v, double& out);
bool LastValueStepBelow(double v, double& out);

}  // namespace kest
