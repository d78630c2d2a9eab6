#include "viewer/core/scale_list.h"

#include <array>
#include <cmath>

#include "support/errors.h"

namespace kest {

namespace {

std::array<double, kValueStepCount> MakeValueSteps() {
  std::array<double, kValueStepCount> steps{};
  const double negatives[] = {-1000, -500, -200, -100, -50,  -20,   -10,   -5,
                              -2,    -1,   -0.5, -0.2, -0.1, -0.05, -0.02, -0.01};
  int n = 0;
  for (double v : negatives) steps[n++] = v;
  steps[n++] = 0;
  for (int exponent = -4; exponent <= 6; ++exponent) {
    // Built from text-exact decimals so that 0.0002 is the double nearest 0.0002.
    for (int mantissa : {1, 2, 5}) {
      steps[n++] =
          exponent < 0 ? mantissa / std::pow(10.0, -exponent) : mantissa * std::pow(10.0, exponent);
    }
  }
  return steps;
}

const std::array<double, kValueStepCount>& ValueSteps() {
  static const auto steps = MakeValueSteps();
  return steps;
}

}  // namespace

int IndexOfScale(int32_t scale) {
  for (int i = 0; i < kScaleCount; ++i) {
    if (kScales[i] == scale) return i;
  }
  return -1;
}

double ValueStep(int index) {
  if (index < 0 || index >= kValueStepCount) throw EAssertionFailed("Index is out of range");
  return ValueSteps()[static_cast<size_t>(index)];
}

int FirstValueStepAtLeast(double v) {
  const auto& steps = ValueSteps();
  for (int i = 0; i < kValueStepCount; ++i) {
    if (steps[static_cast<size_t>(i)] >= v) return i;
  }
  return -1;
}

bool NextValueStepAbove(double v, double& out) {
  for (double s : ValueSteps()) {
    if (s > v) {
      out = s;
      return true;
    }
  }
  return false;
}

bool LastValueStepBelow(double v, double& out) {
  const auto& steps = ValueSteps();
  for (int i = kValueStepCount - 1; i >= 0; --i) {
    if (steps[static_cast<size_t>(i)] < v) {
      out = steps[static_cast<size_t>(i)];
      return true;
    }
  }
  return false;
}

}  // namespace kest
