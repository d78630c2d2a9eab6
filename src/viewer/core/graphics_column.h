#pragma once

#include "viewer/core/points.h"
#include "viewer/core/track_column.h"

namespace kest {

// A curve: the track's value across the column from NegScale + OffsetGraph at the
// left edge to Scale at the right edge. Values beyond the edges wrap around: the
// curve leaves one edge and re-enters at the other one scale width further on,
// and the value is written at each crossing.
class TGraphicsColumn : public TTrackColumn {
 public:
  TGraphicsColumn();
  const char* ClassName() const override { return "TGraphicsColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TTrackColumn::PublishedProperties(),
                          {"Pen", "Scale", "Differential", "NegScale", "OffsetGraph", "FilterLen",
                           "ShowGrid", "AutoScale"});
  }
  std::string GetHint() const override { return "График"; }
  std::string GetGlyph() const override { return "GRAPHICSCOLUMNGLYPH"; }

  const TPen& Pen() const { return pen_; }
  void SetPen(const TPen& pen);
  double Scale() const { return scale_; }
  void SetScale(double value);  // only above NegScale
  double NegScale() const { return neg_scale_; }
  void SetNegScale(double value);  // only below Scale
  double OffsetGraph() const { return offset_graph_; }
  void SetOffsetGraph(double value);  // only below Scale
  bool Differential() const { return differential_; }
  void SetDifferential(bool value);
  int32_t FilterLen() const { return filter_len_; }
  void SetFilterLen(int32_t value);  // negative: "Assertion failure"
  bool ShowGrid() const { return show_grid_; }
  void SetShowGrid(bool value);
  bool AutoScale() const { return auto_scale_; }
  void SetAutoScale(bool value);
  void ScaleUp();
  void ScaleDown();

  void LinkTrack() override;
  void PaintHeader(TCanvas& canvas, const TRect& rect) override;
  void PaintBackground(TCanvas& canvas, int first_row, int last_row) override;
  void DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t count,
                   int64_t offset) override;
  bool HeaderKeyDown(TViewerKey key, TShiftState shift) override;

  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

 private:
  void AddWrapped(TCanvas& canvas, int64_t a, int32_t b, double value);
  void ValueLabel(TCanvas& canvas, int64_t x, int64_t row, double value);

  TPen pen_;
  double scale_ = 10;
  double neg_scale_ = 0;
  double offset_graph_ = 0;
  bool differential_ = false;
  int32_t filter_len_ = 0;
  bool show_grid_ = true;
  bool auto_scale_ = false;
  TPoints points_{65535};
  int64_t last_x_ = 0;  // the last raw point, x before wrapping
  int32_t last_y_ = 0;
  TFont label_font_;
};

}  // namespace kest
