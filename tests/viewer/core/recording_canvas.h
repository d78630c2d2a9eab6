#pragma once

#include <string>
#include <vector>

#include "viewer/core/canvas.h"

namespace kest {

// A canvas that remembers what was drawn, in the coordinates of the whole surface
// (translations applied), with fixed text metrics: 6 pixels per character, 10
// pixels high.
class RecordingCanvas : public TCanvas {
 public:
  struct Text {
    int X, Y;
    std::string Value;
  };
  std::vector<std::vector<TPoint>> polylines;
  std::vector<Text> texts;
  std::vector<TRect> fills;
  int lines = 0;
  struct Segment {
    TPoint From, To;
    int Width;
  };
  std::vector<Segment> segments;  // every Line, with the pen's width
  TPen pen;

  void Save() override { saved_.push_back({dx_, dy_}); }
  void Restore() override {
    dx_ = saved_.back().X;
    dy_ = saved_.back().Y;
    saved_.pop_back();
  }
  void Translate(int dx, int dy) override {
    dx_ += dx;
    dy_ += dy;
  }
  void ClipRect(const TRect&) override {}
  void SetPen(const TPen& p) override { pen = p; }
  void SetFont(const TFont&) override {}
  void FillRect(const TRect& r, TColor) override {
    fills.push_back({r.Left + dx_, r.Top + dy_, r.Right + dx_, r.Bottom + dy_});
  }
  void FillDither(const TRect& r, TColor c, TColor) override { FillRect(r, c); }
  void Line(int x1, int y1, int x2, int y2) override {
    ++lines;
    segments.push_back({{x1 + dx_, y1 + dy_}, {x2 + dx_, y2 + dy_}, pen.Width});
  }
  void Polyline(const TPoint* p, int n) override {
    std::vector<TPoint> line;
    for (int i = 0; i < n; ++i) line.push_back({p[i].X + dx_, p[i].Y + dy_});
    polylines.push_back(line);
  }
  void FrameRect(const TRect&) override {}
  void TextOut(int x, int y, std::string_view t) override {
    texts.push_back({x + dx_, y + dy_, std::string(t)});
  }
  int TextWidth(std::string_view t) override { return static_cast<int>(t.size()) * 6; }
  int TextHeight(std::string_view) override { return 10; }

 private:
  int dx_ = 0, dy_ = 0;
  std::vector<TPoint> saved_;
};

}  // namespace kest
