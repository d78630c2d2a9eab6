#include "viewer/core/hue_column.h"

#include <cmath>

#include "log/component_writer.h"
#include "log/log_track.h"
#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/viewer_layout.h"

namespace kest {

namespace {

struct Ramp {
  TColor From;
  TColor To;
};
const Ramp kRamps[] = {
    {RGBColor(0, 0, 255), RGBColor(254, 0, 0)},     {RGBColor(255, 0, 0), RGBColor(0, 0, 254)},
    {RGBColor(0, 255, 0), RGBColor(254, 0, 0)},     {RGBColor(255, 0, 0), RGBColor(0, 254, 0)},
    {RGBColor(255, 255, 255), RGBColor(0, 0, 255)}, {RGBColor(255, 255, 255), RGBColor(255, 0, 0)},
    {RGBColor(255, 255, 255), RGBColor(0, 255, 0)}, {RGBColor(255, 255, 0), RGBColor(255, 0, 0)},
};
const char* const kSpectrumNames[] = {"spBlueRed",   "spRedBlue",  "spGreenRed",   "spRedGreen",
                                      "spWhiteBlue", "spWhiteRed", "spWhiteGreen", "spYellowRed"};

TColor Blend(TColor from, TColor to, int k, int n) {
  auto channel = [&](int a, int b) { return a + (b - a) * k / n; };
  return RGBColor(channel(RedOf(from), RedOf(to)), channel(GreenOf(from), GreenOf(to)),
                  channel(BlueOf(from), BlueOf(to)));
}

}  // namespace

const std::array<TColor, 256>& SpectrumTable(TSpectrum spectrum) {
  static const auto tables = [] {
    std::array<std::array<TColor, 256>, 8> t{};
    for (int s = 0; s < 8; ++s) {
      for (int i = 0; i < 256; ++i) t[s][i] = Blend(kRamps[s].From, kRamps[s].To, i, 255);
    }
    return t;
  }();
  return tables[spectrum < 8 ? spectrum : 0];
}

const char* SpectrumName(TSpectrum spectrum) { return kSpectrumNames[spectrum < 8 ? spectrum : 0]; }

void THueColumn::SetSpectrum(TSpectrum spectrum) {
  if (spectrum == spectrum_ || spectrum > spYellowRed) return;
  spectrum_ = spectrum;
  Changed();
}

void THueColumn::SetFilterLen(int32_t value) {
  if (value < 0) throw EAssertionFailed("Assertion failure");
  if (value == filter_len_) return;
  filter_len_ = value;
  Changed();
}

void THueColumn::SetScale(double value) {
  if (value == scale_) return;
  scale_ = value;
  Changed();
}

int THueColumn::RampIndex(double value) const {
  const double span = scale_ - TrackMin();
  if (span == 0 || !std::isfinite(value)) return 0;
  const double position = (value - TrackMin()) * 255 / span;
  if (!(position > 0)) return 0;
  if (position >= 255) return 255;
  return static_cast<int>(position);
}

void THueColumn::PaintHeader(TCanvas& canvas, const TRect& rect) {
  if (Parameter() != "NONE") PaintCaption(canvas, rect, Number(), Color());
}

void THueColumn::DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t n,
                             int64_t offset) {
  if (TrackMax() == 0) return;
  const TLogViewerCore& v = *Viewer();
  const auto& table = SpectrumTable(spectrum_);
  const double ky = v.PixelsPerMm() / v.Scale();
  const int w = Width();
  const float* s = track.Samples() + first;
  auto row_of = [&](int32_t i) {
    return RoundHalfEven32(ky * (offset + static_cast<double>(i) * track.Step()));
  };
  int previous_row = row_of(0) - 1 > 0 ? row_of(0) - 1 : 0;
  float previous_value = s[0];
  for (int32_t i = 0; i < n; ++i) {
    const int row = row_of(i);
    // A missing sample has no colour: the bands it bounds stay empty.
    if (row != previous_row && !v.IsNull(s[i]) && !v.IsNull(previous_value)) {
      const TColor top = table[static_cast<size_t>(RampIndex(previous_value))];
      const TColor bottom = table[static_cast<size_t>(RampIndex(s[i]))];
      if (std::abs(row - previous_row) < 2) {
        canvas.SetPen({psSolid, 1, top});
        canvas.FrameRect({1, std::min(previous_row, row), w, std::max(previous_row, row) + 1});
      }
      const int rows = row - previous_row;
      for (int k = 0; rows > 1 && k <= rows; ++k) {
        canvas.SetPen({psSolid, 1, Blend(top, bottom, k, rows)});
        canvas.Line(1, previous_row + k, w, previous_row + k);
      }
    }
    previous_value = s[i];
    previous_row = row;
  }
}

void THueColumn::WriteProperties(ComponentWriter& out) const {
  TTrackColumn::WriteProperties(out);
  if (spectrum_ != spBlueRed) {
    out.WriteShortString("Spectrum");
    out.WriteIdent(SpectrumName(spectrum_));
  }
  if (filter_len_ != 0) {
    out.WriteShortString("FilterLen");
    out.WriteInteger(filter_len_);
  }
  if (scale_ != 100) {
    out.WriteShortString("Scale");
    out.WriteFloat(scale_);
  }
}

bool THueColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (name == "Spectrum") {
    std::string ident;
    if (in.Ident(ident)) {
      bool found = false;
      for (int i = 0; i < 8; ++i) {
        if (ident == kSpectrumNames[i]) {
          spectrum_ = static_cast<TSpectrum>(i);
          found = true;
        }
      }
      if (!found) in.Error("Invalid property value: Spectrum");
    }
  } else if (name == "FilterLen") {
    int32_t i;
    if (in.Integer(i) && i >= 0) filter_len_ = i;
  } else if (name == "Scale") {
    double d;
    if (in.Float(d)) scale_ = d;
  } else {
    return TTrackColumn::ReadProperty(name, in);
  }
  return true;
}

}  // namespace kest
