#include "viewer/core/viewer_types.h"

#include <algorithm>

namespace kest {

namespace {
const char* const kPenStyleNames[] = {"psSolid",   "psDash",       "psDot",
                                      "psDashDot", "psDashDotDot", "psClear"};
}

const char* PenStyleName(TPenStyle style) { return kPenStyleNames[std::min<int>(style, psClear)]; }

bool PenStyleFromName(const std::string& name, TPenStyle& style) {
  for (int i = 0; i <= psClear; ++i) {
    if (name == kPenStyleNames[i]) {
      style = static_cast<TPenStyle>(i);
      return true;
    }
  }
  return false;
}

TRect UnionRect(const TRect& a, const TRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

}  // namespace kest
