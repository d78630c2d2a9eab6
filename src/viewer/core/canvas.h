#pragma once

#include <string_view>

#include "viewer/core/viewer_types.h"

namespace kest {

// The drawing surface the columns and panels paint on. The same calls serve the
// screen buffers, images and the printer; the widgets supply an implementation
// over QPainter, tests one that records what was drawn.
//
// Coordinates are device pixels relative to the current origin.
class TCanvas {
 public:
  virtual ~TCanvas() = default;

  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(int dx, int dy) = 0;
  // Intersects the clip region with the rectangle.
  virtual void ClipRect(const TRect& rect) = 0;

  virtual void SetPen(const TPen& pen) = 0;
  virtual void SetFont(const TFont& font) = 0;

  virtual void FillRect(const TRect& rect, TColor color) = 0;
  // An 8 x 8 pattern: `dots` where row and column have the same parity, else `base`.
  virtual void FillDither(const TRect& rect, TColor base, TColor dots) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void Polyline(const TPoint* points, int count) = 0;
  // Outline with the pen, nothing filled.
  virtual void FrameRect(const TRect& rect) = 0;
  // Text with its top-left corner at (x, y), in the font's colour, no background.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;
};

}  // namespace kest
