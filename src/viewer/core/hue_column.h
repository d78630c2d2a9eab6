#pragma once

#include <array>

#include "viewer/core/track_column.h"

namespace kest {

enum TSpectrum : uint8_t {
  spBlueRed,
  spRedBlue,
  spGreenRed,
  spRedGreen,
  spWhiteBlue,
  spWhiteRed,
  spWhiteGreen,
  spYellowRed,
};
// 256 colours from the ramp's first to its last colour.
const std::array<TColor, 256>& SpectrumTable(TSpectrum spectrum);
const char* SpectrumName(TSpectrum spectrum);

// The track rendered as colour: TrackMin maps to the ramp's first entry, Scale to
// its last, with vertical gradients between consecutive samples.
class THueColumn : public TTrackColumn {
 public:
  const char* ClassName() const override { return "THueColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TTrackColumn::PublishedProperties(), {"Spectrum", "FilterLen", "Scale"});
  }
  std::string GetHint() const override { return "Градиент"; }
  std::string GetGlyph() const override { return "HUECOLUMNGLYPH"; }

  TSpectrum Spectrum() const { return spectrum_; }
  void SetSpectrum(TSpectrum spectrum);
  int32_t FilterLen() const { return filter_len_; }
  void SetFilterLen(int32_t value);
  double Scale() const { return scale_; }
  void SetScale(double value);
  // Ramp entry of a value, kept within the table.
  int RampIndex(double value) const;

  void PaintHeader(TCanvas& canvas, const TRect& rect) override;
  void DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t count,
                   int64_t offset) override;
  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

 private:
  TSpectrum spectrum_ = spBlueRed;
  int32_t filter_len_ = 0;
  double scale_ = 100;
};

}  // namespace kest
