#pragma once

#include <QFont>
#include <QPainter>

#include "viewer/core/canvas.h"

namespace kest {

QColor ToQColor(TColor color);

// The canvas over a QPainter: the sheet and header buffers, images and printers.
class TQtCanvas : public TCanvas {
 public:
  explicit TQtCanvas(QPainter& painter);
  // Dash patterns are device pixels times this: by default the device's resolution
  // over the screen's 96 dpi, so a dotted line keeps its look on paper. A view that
  // scales a print (the preview) sets the print's own.
  void SetPatternScale(double scale) { pattern_scale_ = scale; }

  void Save() override { painter_.save(); }
  void Restore() override;
  void Translate(int dx, int dy) override { painter_.translate(dx, dy); }
  void ClipRect(const TRect& rect) override;
  void SetPen(const TPen& pen) override;
  void SetFont(const TFont& font) override;
  void FillRect(const TRect& rect, TColor color) override;
  void FillDither(const TRect& rect, TColor base, TColor dots) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Polyline(const TPoint* points, int count) override;
  void FrameRect(const TRect& rect) override;
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;

 private:
  static int CellPixelSize(QFont& qfont, int height);
  QPainter& painter_;
  TFont font_;
  QColor text_color_;
  bool has_font_ = false;
  double pattern_scale_ = 0;  // 0: from the device
};

}  // namespace kest
