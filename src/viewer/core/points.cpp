#include "viewer/core/points.h"

#include <limits>

#include "viewer/core/canvas.h"
#include "viewer/core/caption_fit.h"

namespace kest {

TPoints::TPoints(int capacity) : points_(static_cast<size_t>(capacity < 3 ? 3 : capacity)) {}

void TPoints::Add(int32_t x, int32_t y) {
  if (count_ > 0) {
    TPoint& last = points_[static_cast<size_t>(count_ - 1)];
    if (last.X == x && last.Y == y) return;
    if (count_ >= 2 && points_[static_cast<size_t>(count_ - 2)].X == x && last.X == x) {
      last.Y = y;
      return;
    }
  }
  if (count_ < Capacity()) points_[static_cast<size_t>(count_++)] = {x, y};
}

void TPoints::Add(TCanvas& canvas, int32_t x, int32_t y) {
  if (count_ >= Capacity()) {
    TPoint last = points_[static_cast<size_t>(count_ - 1)];
    Flush(canvas);
    Clear();
    Add(last.X, last.Y);
  }
  Add(x, y);
}

void TPoints::Flush(TCanvas& canvas) {
  if (count_ >= 2) canvas.Polyline(points_.data(), count_);
}

TTextPoints::TTextPoints(int capacity) : items_(static_cast<size_t>(capacity < 1 ? 1 : capacity)) {
  last_.Y = std::numeric_limits<int32_t>::min() / 2;
}

void TTextPoints::Add(int32_t x, int32_t y, std::string text) {
  last_ = {x, y, text};
  if (!Full()) items_[static_cast<size_t>(count_++)] = {x, y, std::move(text)};
}

void TTextPoints::Draw(TCanvas& canvas, const TFont& font, int width) {
  TFont sized = font;
  auto measure = [&](std::string_view text, int height) {
    sized.Height = height;
    canvas.SetFont(sized);
    return canvas.TextWidth(text);
  };
  for (int i = 0; i < count_; ++i) {
    const Item& item = items_[static_cast<size_t>(i)];
    canvas.Line(2, item.Y, 4, item.Y);
    const auto place = PlaceLabel(item.Text, item.X, false, 0, width, font.Height, measure);
    if (!place) continue;
    sized.Height = place->FontHeight;
    canvas.SetFont(sized);
    int h = canvas.TextHeight(item.Text);
    canvas.TextOut(place->X, item.Y - h / 2, item.Text);
  }
  canvas.SetFont(font);
}

}  // namespace kest
