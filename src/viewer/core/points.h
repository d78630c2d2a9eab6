#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/core/viewer_types.h"

namespace kest {

class TCanvas;

// A polyline being built for one curve segment. Consecutive points on one pixel
// column collapse to the run's first and latest point, so a dense track yields
// about two points per pixel column.
class TPoints {
 public:
  explicit TPoints(int capacity);

  // Adds a point; when the buffer is full it is drawn first and restarted from its
  // last point, so long bands never lose samples.
  void Add(TCanvas& canvas, int32_t x, int32_t y);
  void Add(int32_t x, int32_t y);  // without a canvas to flush to (tests)
  void Flush(TCanvas& canvas);     // one polyline when there are at least two points
  void Clear() { count_ = 0; }
  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(points_.size()); }
  const TPoint& operator[](int i) const { return points_[static_cast<size_t>(i)]; }

 private:
  std::vector<TPoint> points_;
  int count_ = 0;
};

// Labels written down a text column: a short tick and the text beside it.
class TTextPoints {
 public:
  explicit TTextPoints(int capacity);

  bool Full() const { return count_ >= static_cast<int>(items_.size()); }
  void Add(int32_t x, int32_t y, std::string text);
  // Writes the labels in `font`, each whole inside a column `width` pixels wide
  // (moved in, set smaller or left out; see PlaceLabel).
  void Draw(TCanvas& canvas, const TFont& font, int width);
  void Clear() { count_ = 0; }
  int Count() const { return count_; }
  // The last label added (kept across Clear).
  int32_t LastY() const { return last_.Y; }
  void SetLastY(int32_t y) { last_.Y = y; }

 private:
  struct Item {
    int32_t X = 0;
    int32_t Y = 0;
    std::string Text;
  };
  std::vector<Item> items_;
  int count_ = 0;
  Item last_;
};

}  // namespace kest
