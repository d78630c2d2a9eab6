#include "viewer/core/text_column.h"

#include <cstdio>
#include <cstdlib>

#include "log/component_writer.h"
#include "log/log_parameters.h"
#include "log/log_track.h"
#include "support/rounding.h"
#include "viewer/core/canvas.h"
#include "viewer/core/caption_fit.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/value_format.h"
#include "viewer/core/viewer_layout.h"

namespace kest {

// --- Text column ----------------------------------------------------------------

void TTextColumn::PaintHeader(TCanvas& canvas, const TRect& rect) {
  if (Parameter() != "NONE") PaintCaption(canvas, rect, Number(), Color());
}

void TTextColumn::DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t n,
                              int64_t offset) {
  const TLogViewerCore& v = *Viewer();
  labels_.Clear();
  canvas.SetPen({psSolid, 1, Color()});
  TFont font;
  font.Height = RoundHalfEven32(4 * v.PixelsPerMm() + 0.5);
  font.Color = Color();
  canvas.SetFont(font);
  const int height = canvas.TextHeight("0");
  const int x = Trunc32(left_pos_ * 10.0);
  const float* s = track.Samples() + first;
  for (int32_t i = 0; i < n; ++i) {
    const int row = RoundHalfEven32((offset + static_cast<double>(i) * track.Step()) / v.Scale() *
                                    v.PixelsPerMm());
    if (v.IsNull(s[i])) continue;  // no value: no label
    if (std::abs(static_cast<int64_t>(row) - labels_.LastY()) <= height) continue;
    if (labels_.Full()) {
      labels_.Draw(canvas, font, Width());
      labels_.Clear();
    }
    labels_.Add(x, row, " " + FormatValue(s[i], 2, 2) + " ");
  }
  labels_.Draw(canvas, font, Width());
}

void TTextColumn::WriteProperties(ComponentWriter& out) const {
  TTrackColumn::WriteProperties(out);
  if (left_pos_ != 1) {
    out.WriteShortString("LeftPos");
    out.WriteInteger(left_pos_);
  }
}

bool TTextColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (name != "LeftPos") return TTrackColumn::ReadProperty(name, in);
  int32_t v;
  if (in.Integer(v)) left_pos_ = v;
  return true;
}

// --- Argument column -------------------------------------------------------------

void TArgColumn::SetFont(const TFont& font) {
  if (font == font_) return;
  font_ = font;
  Changed();
}

std::string TArgColumn::ArgumentText(int64_t argument, bool time) {
  char buffer[64];
  if (time) {
    // A clock: past midnight it starts again at 00:00:00, the days gone by in front
    // ("+1д 00:10:00"), never "24:10:00".
    if (argument < 0) return "-" + ArgumentText(-argument, true);
    const int64_t seconds = argument / 1000;
    const int64_t days = seconds / 86400;
    const int64_t of_day = seconds % 86400;
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld",
                  static_cast<long long>(of_day / 3600), static_cast<long long>(of_day / 60 % 60),
                  static_cast<long long>(of_day % 60));
    if (days > 0) return "+" + std::to_string(days) + "д " + buffer;
    return buffer;
  }
  const double metres = argument / 1000.0;
  if (metres < 0) return " (" + FormatValue(-metres, 0, 2) + ") ";
  return " " + FormatValue(metres, 0, 2) + " ";
}

void TArgColumn::PaintHeader(TCanvas& canvas, const TRect& rect) {
  if (!Viewer()) return;
  const auto width = [&](std::string_view t) { return canvas.TextWidth(t); };
  // The time column shows clock times (hh:mm:ss), not seconds: its caption says so.
  std::string text;
  if (Viewer()->ArgumentKind() == laTime) {
    for (const char* candidate : {"Время, ч:м:с", "Время"})
      if (text.empty() && width(candidate) <= rect.Width()) text = candidate;
  } else {
    text = FitCaption(ArgumentName(Viewer()->ArgumentKind()), 0, rect.Width(), width);
  }
  if (text.empty()) return;
  TFont font;
  font.Height = RoundHalfEven32(4 * Viewer()->PixelsPerMm() + 0.5);
  font.Color = Color();
  canvas.SetFont(font);
  canvas.TextOut(rect.Left + (rect.Width() - canvas.TextWidth(text)) / 2,
                 rect.Top + RoundHalfEven32(Viewer()->PixelsPerMm() + 0.5), text);
}

void TArgColumn::PaintBackground(TCanvas& canvas, int first_row, int last_row) {
  TColorColumn::PaintBackground(canvas, first_row, last_row);
  if (!Viewer()) return;
  const TLogViewerCore& v = *Viewer();
  TFont font = font_;
  font.Height = RoundHalfEven32(4 * v.PixelsPerMm());
  font.Bold = font.Italic = false;
  font.Color = Color();
  canvas.SetFont(font);
  const int64_t step = static_cast<int64_t>(v.Scale()) * 20;
  if (step <= 0) return;
  const bool time = v.ArgumentKind() == laTime;
  for (int64_t arg = (v.ViewTop() / step) * step; arg - v.ViewTop() < v.ViewSpan(); arg += step) {
    const int row =
        RoundHalfEven32((arg - v.ViewTop()) / static_cast<double>(v.Scale()) * v.PixelsPerMm());
    // Only labels reaching into the rows drawn (a printed page draws a band).
    if (row + 2 + font.Height < first_row) continue;
    if (row + 2 > last_row) break;
    const std::string text = ArgumentText(arg, time);
    TFont sized = font;
    const auto place = PlaceLabel(text, Width() / 2, true, 0, Width(), font.Height,
                                  [&](std::string_view t, int height) {
                                    sized.Height = height;
                                    canvas.SetFont(sized);
                                    return canvas.TextWidth(t);
                                  });
    if (!place) continue;  // a cut depth would read as another depth
    sized.Height = place->FontHeight;
    canvas.SetFont(sized);
    canvas.TextOut(place->X, row + 2, text);
  }
}

void TArgColumn::WriteProperties(ComponentWriter& out) const {
  TColorColumn::WriteProperties(out);
  const TFont defaults;
  if (font_.Color != defaults.Color) {
    out.WriteShortString("Font.Color");
    out.WriteInteger(static_cast<int32_t>(font_.Color));
  }
  if (font_.Name != defaults.Name) {
    out.WriteShortString("Font.Name");
    out.WriteString(font_.Name);
  }
  if (font_.Bold || font_.Italic) {
    std::vector<std::string> style;
    if (font_.Bold) style.push_back("fsBold");
    if (font_.Italic) style.push_back("fsItalic");
    out.WriteShortString("Font.Style");
    out.WriteSet(style);
  }
}

bool TArgColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (name == "Font.Color") {
    TColor c;
    if (in.Color(c)) font_.Color = c;
  } else if (name == "Font.Name") {
    std::string s;
    if (in.String(s)) font_.Name = s;
  } else if (name == "Font.Style") {
    std::vector<std::string> set;
    if (in.Set(set)) {
      font_.Bold = font_.Italic = false;
      for (const auto& s : set) {
        if (s == "fsBold") font_.Bold = true;
        if (s == "fsItalic") font_.Italic = true;
      }
    }
  } else if (name == "Font.Height" || name == "Font.Size" || name == "Font.Charset") {
    in.Skip();  // the drawing sizes the font from the output's resolution
  } else {
    return TColorColumn::ReadProperty(name, in);
  }
  return true;
}

// --- Marker column ---------------------------------------------------------------

void TMarkerColumn::SetPen(const TPen& pen) {
  if (pen == pen_) return;
  pen_ = pen;
  Changed();
}

void TMarkerColumn::SetMarkPos(TLeftRight pos) {
  if (pos == mark_pos_) return;
  mark_pos_ = pos;
  Changed();
}

void TMarkerColumn::PaintHeader(TCanvas& canvas, const TRect& rect) {
  if (Parameter() != "NONE") PaintCaption(canvas, rect, Number(), Color());
}

void TMarkerColumn::DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t n,
                                int64_t offset) {
  const TLogViewerCore& v = *Viewer();
  TPen pen = pen_;
  pen.Color = Color();
  canvas.SetPen(pen);
  const double ky = v.PixelsPerMm() / v.Scale();
  const float* s = track.Samples() + first;
  const int w = Width();
  for (int32_t i = 0; i < n; ++i) {
    if (!(s[i] > 0)) continue;
    const int row = RoundHalfEven32(ky * (offset + static_cast<double>(i) * track.Step()));
    if (mark_pos_ == lrLeft) {
      canvas.Line(0, row, 20, row);
    } else {
      canvas.Line(w - 1, row, w - 20, row);
    }
  }
}

void TMarkerColumn::WriteProperties(ComponentWriter& out) const {
  TTrackColumn::WriteProperties(out);
  WritePenProperties(out, pen_);
  if (mark_pos_ != lrLeft) {
    out.WriteShortString("MarkPos");
    out.WriteIdent("lrRight");
  }
}

bool TMarkerColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (ReadPenProperty(name, in, pen_)) {
  } else if (name == "MarkPos") {
    std::string ident;
    if (in.Ident(ident)) {
      if (ident == "lrLeft")
        mark_pos_ = lrLeft;
      else if (ident == "lrRight")
        mark_pos_ = lrRight;
      else
        in.Error("Invalid property value: MarkPos");
    }
  } else {
    return TTrackColumn::ReadProperty(name, in);
  }
  return true;
}

}  // namespace kest
