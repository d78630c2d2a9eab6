#include "viewer/core/track_column.h"

#include <algorithm>
#include <cmath>

#include "log/component_writer.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/caption_fit.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/viewer_layout.h"

namespace kest {

void TTrackColumn::SetParameter(const std::string& parameter) {
  if (parameter != parameter_) markers_.clear();
  parameter_ = parameter;
  number_ = 0;
  LinkTrack();
  ScanRange();
  Changed();
}

void TTrackColumn::SetMarkers(std::vector<TVisualGadget> markers) {
  markers_ = std::move(markers);
  Changed();
}

void TTrackColumn::SetNumber(int32_t number) {
  if (number < 0) return;
  number_ = number;
  LinkTrack();
  Changed();
}

void TTrackColumn::ScanRange() {
  auto track = track_.lock();
  if (!track || track->Count() == 0) return;
  const float null_value = Viewer() ? Viewer()->NullValue() : kDefaultNullValue;
  const float* s = track->Samples();
  float lo = 0, hi = 0;
  bool any = false;
  for (int32_t i = 0; i < track->Count(); ++i) {
    if (IsNullSample(s[i], null_value)) continue;
    lo = any ? std::min(lo, s[i]) : s[i];
    hi = any ? std::max(hi, s[i]) : s[i];
    any = true;
  }
  if (!any) return;
  track_min_ = lo;
  track_max_ = hi;
}

void TTrackColumn::LinkTrack() {
  std::shared_ptr<TLogTrack> track;
  TLogSheet* sheet = Viewer() ? Viewer()->Sheet() : nullptr;
  if (sheet && !parameter_.empty()) {
    if (TLogTrack* t = sheet->FindTrack(parameter_, number_)) track = t->shared_from_this();
  }
  if (track == track_.lock() && !(track && track_.expired())) return;
  track_ = track;
  // A column read from a layout never had its Parameter assigned with a track
  // present; give it the track's range on first linking.
  if (track && track_min_ > track_max_) ScanRange();
  Changed();
}

void TTrackColumn::AddMarker(int32_t argument, uint8_t kind) {
  auto track = track_.lock();
  if (!track || !Viewer()) return;
  const int32_t index = RoundHalfEven32(
      (static_cast<double>(argument) - Viewer()->PlacedOrigin(*track)) / track->Step());
  markers_.push_back({index, kind});
  if (sorted_) {
    for (size_t i = 0; i < markers_.size(); ++i) {
      for (size_t j = i + 1; j < markers_.size(); ++j) {
        if (markers_[j].Index < markers_[i].Index) std::swap(markers_[i], markers_[j]);
      }
    }
  }
  Changed();
}

void TTrackColumn::PaintData(TCanvas& canvas, int32_t first_arg, int32_t last_arg) {
  auto track = track_.lock();
  if (!track || !Viewer()) return;
  const int64_t step = track->Step();
  const int64_t origin = Viewer()->PlacedOrigin(*track);
  // Rows just appended are a band of the sheet's rows: a placed track draws its
  // samples of those rows at its own place.
  const double shift = Viewer()->PaintingAppendedRows() ? origin - track->Origin() : 0.0;
  const double band_first = first_arg + shift, band_last = last_arg + shift;
  const int64_t first = std::max<int64_t>(Trunc((band_first - origin) / step), 0);
  const int64_t offset = step * first + origin - Viewer()->ViewTop();
  const int64_t count =
      std::min<int64_t>(Trunc((band_last - band_first) / step) + 2, track->Count() - first);
  if (count < 2) return;
  // A band wholly outside the view draws nothing (labels would be pulled into it).
  if (band_last < Viewer()->ViewTop() ||
      band_first > Viewer()->ViewTop() + static_cast<double>(Viewer()->ViewSpan()))
    return;
  DrawSamples(canvas, *track, static_cast<int32_t>(first), static_cast<int32_t>(count), offset);
}

std::string TTrackColumn::Caption(TCanvas& canvas, int number, int width) const {
  return FitCaption(parameter_, number, width,
                    [&](std::string_view text) { return canvas.TextWidth(text); });
}

int TTrackColumn::CaptionTop(const TRect& rect) const {
  const float ppm = Viewer() ? Viewer()->PixelsPerMm() : 96 / 25.4f;
  return rect.Top + RoundHalfEven32(ppm + 0.5);
}

void TTrackColumn::DrawCaptionText(TCanvas& canvas, int x, int y, const std::string& text,
                                   TColor color) {
  TFont font;
  font.Height = Viewer() ? RoundHalfEven32(4 * Viewer()->PixelsPerMm() + 0.5) : 15;
  const bool linked = Track() != nullptr;
  const bool mono = Viewer() && (Viewer()->Printing() || Viewer()->Monochrome());
  if (linked) {
    font.Color = color;
    canvas.SetFont(font);
    canvas.TextOut(x, y, text);
  } else if (mono) {
    font.Italic = true;
    canvas.SetFont(font);
    canvas.TextOut(x, y, text);
  } else {
    font.Color = clBtnHighlight;
    canvas.SetFont(font);
    canvas.TextOut(x, y, text);
    font.Color = clBtnShadow;
    canvas.SetFont(font);
    canvas.TextOut(x - 1, y - 1, text);
  }
}

void TTrackColumn::PaintCaption(TCanvas& canvas, const TRect& rect, int number, TColor color) {
  std::string text = Caption(canvas, number, rect.Width());
  if (text.empty()) return;
  const int x = rect.Left + (rect.Width() - canvas.TextWidth(text)) / 2;
  DrawCaptionText(canvas, x, CaptionTop(rect), text, color);
}

void TTrackColumn::WriteProperties(ComponentWriter& out) const {
  TColorColumn::WriteProperties(out);
  if (parameter_ != "NONE") {
    out.WriteShortString("Parameter");
    out.WriteString(parameter_);
  }
  if (number_ != 0) {
    out.WriteShortString("Number");
    out.WriteInteger(number_);
  }
}

bool TTrackColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (name == "Parameter") {
    std::string v;
    if (in.String(v)) {
      parameter_ = v;
      markers_.clear();
    }
    return true;
  }
  if (name == "Number") {
    int32_t v;
    if (in.Integer(v) && v >= 0) number_ = v;
    return true;
  }
  return TColorColumn::ReadProperty(name, in);
}

}  // namespace kest
