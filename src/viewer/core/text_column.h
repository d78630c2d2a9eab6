#pragma once

#include "viewer/core/points.h"
#include "viewer/core/track_column.h"

namespace kest {

// The track's values written down the column, dropping those that would overlap
// the one above.
class TTextColumn : public TTrackColumn {
 public:
  const char* ClassName() const override { return "TTextColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TTrackColumn::PublishedProperties(), {"LeftPos"});
  }
  std::string GetHint() const override { return "Текст"; }
  std::string GetGlyph() const override { return "TEXTCOLUMNGLYPH"; }

  int32_t LeftPos() const { return left_pos_; }  // in units of 10 pixels
  void SetLeftPos(int32_t value) { left_pos_ = value; }

  void PaintHeader(TCanvas& canvas, const TRect& rect) override;
  void DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t count,
                   int64_t offset) override;
  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

 private:
  int32_t left_pos_ = 1;
  TTextPoints labels_{255};
};

// The argument scale: depth in metres or time of day at every major line.
class TArgColumn : public TColorColumn {
 public:
  TArgColumn() { overlay_ = false; }
  const char* ClassName() const override { return "TArgColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TColorColumn::PublishedProperties(), {"Font"});
  }
  std::string GetHint() const override { return "Аргумент"; }
  std::string GetGlyph() const override { return "ARGCOLUMNGLYPH"; }

  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);

  void PaintHeader(TCanvas& canvas, const TRect& rect) override;
  void PaintBackground(TCanvas& canvas, int first_row, int last_row) override;
  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

  // " 1.5 ", " (1.5) " for depths, "01:02:03" for times.
  static std::string ArgumentText(int64_t argument, bool time);

 private:
  TFont font_;
};

enum TLeftRight : uint8_t { lrLeft, lrRight };

// A 20-pixel tick at every sample whose value is above 0.
class TMarkerColumn : public TTrackColumn {
 public:
  const char* ClassName() const override { return "TMarkerColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TTrackColumn::PublishedProperties(), {"Pen", "MarkPos"});
  }
  std::string GetHint() const override { return "Marker"; }
  std::string GetGlyph() const override { return "MARKERCOLUMNGLYPH"; }

  const TPen& Pen() const { return pen_; }
  void SetPen(const TPen& pen);
  TLeftRight MarkPos() const { return mark_pos_; }
  void SetMarkPos(TLeftRight pos);

  void PaintHeader(TCanvas& canvas, const TRect& rect) override;
  void DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t count,
                   int64_t offset) override;
  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

 private:
  TPen pen_;
  TLeftRight mark_pos_ = lrLeft;
};

}  // namespace kest
