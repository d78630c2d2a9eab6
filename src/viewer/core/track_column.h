#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "viewer/core/color_column.h"

namespace kest {

class TLogTrack;

// A mark on one sample of a track column (kind 0 a square, 1 a horizontal tick).
struct TVisualGadget {
  int32_t Index = 0;
  uint8_t Kind = 1;
  bool operator==(const TVisualGadget&) const = default;
};

// A column bound to one track of the sheet: the Number-th track whose mnemonic is
// Parameter ("NONE" shows nothing).
class TTrackColumn : public TColorColumn {
 public:
  const char* ClassName() const override { return "TTrackColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TColorColumn::PublishedProperties(), {"Parameter", "Number"});
  }

  const std::string& Parameter() const { return parameter_; }
  void SetParameter(const std::string& parameter);
  int32_t Number() const { return number_; }
  void SetNumber(int32_t number);  // negative numbers are ignored
  // The linked track, or null. Valid while the sheet holds it.
  TLogTrack* Track() const { return track_.lock().get(); }
  float TrackMin() const { return track_min_; }
  float TrackMax() const { return track_max_; }

  const std::vector<TVisualGadget>& Markers() const { return markers_; }
  bool MarkersSorted() const { return sorted_; }
  void SetMarkersSorted(bool sorted) { sorted_ = sorted; }
  // A tick on the sample nearest `argument` of the linked track.
  void AddMarker(int32_t argument, uint8_t kind = 1);
  // Replaces the markers as they are (taking an addition or a removal back).
  void SetMarkers(std::vector<TVisualGadget> markers);

  void LinkTrack() override;
  void PaintData(TCanvas& canvas, int32_t first_arg, int32_t last_arg) override;
  // Draws `count` samples from `first`; `offset` is the argument of sample `first`
  // less the viewer's ViewTop.
  virtual void DrawSamples(TCanvas&, const TLogTrack&, int32_t /*first*/, int32_t /*count*/,
                           int64_t /*offset*/) {}

  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

 protected:
  // The fitted caption centred 1 mm below the top of `rect`: plain when linked,
  // embossed (italic in monochrome print) when not.
  void PaintCaption(TCanvas& canvas, const TRect& rect, int number, TColor color);
  std::string Caption(TCanvas& canvas, int number, int width) const;
  int CaptionTop(const TRect& rect) const;
  void DrawCaptionText(TCanvas& canvas, int x, int y, const std::string& text, TColor color);
  // Row of the sample `i` places after the first of a band.
  void ScanRange();

 private:
  std::string parameter_ = "NONE";
  int32_t number_ = 0;
  std::weak_ptr<TLogTrack> track_;
  float track_min_ = 10000000.0f;
  float track_max_ = -10000000.0f;
  std::vector<TVisualGadget> markers_;
  bool sorted_ = true;
};

}  // namespace kest
