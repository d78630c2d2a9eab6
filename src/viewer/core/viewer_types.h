#pragma once

#include <cstdint>
#include <string>

#include "support/errors.h"

namespace kest {

// Errors the viewer raises for the user to see ("Нестандартный масштаб (%d)").
KEST_DECLARE_ERROR(ELogViewerError, EKestError);

// Colours are stored as the layout files store them: 0x00BBGGRR.
using TColor = uint32_t;
inline constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int RedOf(TColor c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GreenOf(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int BlueOf(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBlue = 0xFF0000;
// The desktop's colours for panels and frames.
inline constexpr TColor clBtnFace = 0xF0F0F0;
inline constexpr TColor clBtnHighlight = 0xFFFFFF;
inline constexpr TColor clBtnShadow = 0xA0A0A0;
inline constexpr TColor clHighlight = 0xD77800;
inline constexpr TColor clWindow = 0xFFFFFF;

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
const char* PenStyleName(TPenStyle style);
bool PenStyleFromName(const std::string& name, TPenStyle& style);

struct TPen {
  TPenStyle Style = psSolid;
  int Width = 1;
  TColor Color = clBlack;
  bool operator==(const TPen&) const = default;
};

struct TFont {
  std::string Name = "Arial";
  int Height = 13;  // pixels
  bool Bold = false;
  bool Italic = false;
  TColor Color = clBlack;
  bool operator==(const TFont&) const = default;
};

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

// Left/top inclusive, right/bottom exclusive.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  bool operator==(const TRect&) const = default;
};
TRect UnionRect(const TRect& a, const TRect& b);

// How the view follows a growing sheet.
enum TLogViewerAppendMode : uint8_t { amIgnore, amSmoothScroll, amDiscreteScroll };

// Where graphics columns print the curve value at the edges of the drawn band.
enum TEdgeLabel : uint8_t { elTop = 1, elBottom = 2 };

// Change codes delivered to the viewer's listeners.
enum TLogViewerEvent : uint8_t {
  veColumns = 0,
  veFocus = 1,
  veMarks = 2,
  veSheet = 3,
  veColumnChanged = 4,
  veLayout = 5,
  vePosition = 6,
  veSpan = 7,
  veCursor = 8,
  veScale = 9,
};

// A set of event codes below 32.
class TLogViewerEvents {
 public:
  TLogViewerEvents() = default;
  TLogViewerEvents(std::initializer_list<TLogViewerEvent> codes) {
    for (auto c : codes) Include(c);
  }
  void Include(int code) {
    if (code >= 0 && code < 32) bits_ |= 1u << code;
  }
  bool Has(TLogViewerEvent code) const { return (bits_ >> code) & 1u; }
  bool HasAny(TLogViewerEvents other) const { return (bits_ & other.bits_) != 0; }
  bool Empty() const { return bits_ == 0; }
  void Clear() { bits_ = 0; }
  uint32_t Bits() const { return bits_; }
  bool operator==(const TLogViewerEvents&) const = default;

 private:
  uint32_t bits_ = 0;
};

// Keys the viewer and the column headers handle; the widgets translate theirs.
enum class TViewerKey {
  kOther,
  kPageUp,
  kPageDown,
  kHome,
  kEnd,
  kUp,
  kDown,
  kLeft,
  kRight,
  kTab,
  kSpace,
  kPadPlus,
  kPadMinus,
  kF11,
};

struct TShiftState {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
  bool None() const { return !Shift && !Ctrl && !Alt; }
  bool ShiftOnly() const { return Shift && !Ctrl && !Alt; }
  bool CtrlOnly() const { return Ctrl && !Shift && !Alt; }
};

enum class TMouseButton { kLeft, kRight, kMiddle };

}  // namespace kest
