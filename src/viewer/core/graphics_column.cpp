#include "viewer/core/graphics_column.h"

#include <algorithm>
#include <cmath>

#include "log/component_writer.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/rounding.h"
#include "support/singles.h"
#include "viewer/core/canvas.h"
#include "viewer/core/caption_fit.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/scale_list.h"
#include "viewer/core/value_format.h"
#include "viewer/core/viewer_layout.h"

namespace kest {

namespace {
// div and mod that cut towards zero, as the wrap rule counts widths.
int64_t Div(int64_t a, int64_t w) { return a / w; }
int64_t Mod(int64_t a, int64_t w) { return a % w; }
}  // namespace

TGraphicsColumn::TGraphicsColumn() { label_font_.Bold = true; }

void TGraphicsColumn::SetPen(const TPen& pen) {
  if (pen == pen_) return;
  pen_ = pen;
  Changed();
}

void TGraphicsColumn::SetScale(double value) {
  if (value == scale_ || !(value > neg_scale_)) return;
  scale_ = value;
  Changed();
}

void TGraphicsColumn::SetNegScale(double value) {
  if (value == neg_scale_ || !(value < scale_)) return;
  neg_scale_ = value;
  Changed();
}

void TGraphicsColumn::SetOffsetGraph(double value) {
  if (value == offset_graph_ || !(value < scale_)) return;
  offset_graph_ = value;
  Changed();
}

void TGraphicsColumn::SetDifferential(bool value) {
  if (value == differential_) return;
  differential_ = value;
  if (TLogTrack* t = Track()) t->SetDifferential(value);
  Changed();
}

void TGraphicsColumn::LinkTrack() {
  TTrackColumn::LinkTrack();
  if (differential_) {
    if (TLogTrack* t = Track()) t->SetDifferential(true);
  }
}

void TGraphicsColumn::SetFilterLen(int32_t value) {
  if (value < 0) throw EAssertionFailed("Assertion failure");
  if (value == filter_len_) return;
  filter_len_ = value;
  Changed();
}

void TGraphicsColumn::SetShowGrid(bool value) {
  if (value == show_grid_) return;
  show_grid_ = value;
  Changed();
}

void TGraphicsColumn::SetAutoScale(bool value) {
  if (value == auto_scale_) return;
  auto_scale_ = value;
  Changed();
}

void TGraphicsColumn::ScaleUp() {
  double next;
  if (NextValueStepAbove(scale_, next)) SetScale(next);
}

void TGraphicsColumn::ScaleDown() {
  double next;
  if (LastValueStepBelow(scale_, next)) SetScale(next);
}

bool TGraphicsColumn::HeaderKeyDown(TViewerKey key, TShiftState shift) {
  if (shift.CtrlOnly() && key == TViewerKey::kPadPlus) {
    ScaleDown();
    return true;
  }
  if (shift.CtrlOnly() && key == TViewerKey::kPadMinus) {
    ScaleUp();
    return true;
  }
  return TTrackColumn::HeaderKeyDown(key, shift);
}

void TGraphicsColumn::PaintHeader(TCanvas& canvas, const TRect& rect) {
  if (Parameter() == "NONE" || !Viewer()) return;
  const float ppm = Viewer()->PixelsPerMm();
  const int margin = RoundHalfEven32(ppm + 0.5);
  const TRect inner{rect.Left + margin, rect.Top, rect.Right - margin, rect.Bottom};
  TFont font;
  font.Height = RoundHalfEven32(4 * ppm + 0.5);
  canvas.SetFont(font);
  const std::string left_label = FormatValue(neg_scale_ + offset_graph_, 0, 2);
  const std::string right_label = FormatValue(scale_, 0, 2);
  TLogSheet* sheet = Viewer()->Sheet();
  const int number = sheet && sheet->TrackCountOf(Parameter()) > 1 ? Number() + 1 : Number();

  const int lw = canvas.TextWidth(left_label);
  const int rw = canvas.TextWidth(right_label);
  const int middle = inner.Width() - (lw + 4) - (rw + 12);
  const int caption_top = CaptionTop(rect);
  std::string caption = middle >= 1 ? Caption(canvas, number, middle) : std::string();
  canvas.SetFont(font);
  // Under the caption, so that the sample line never strikes it through.
  const int line_row =
      std::min(rect.Top + RoundHalfEven32(12 * ppm),
               std::max(rect.Bottom - rect.Bottom / 2, caption_top + canvas.TextHeight("0") + 1));
  int line_left = inner.Left + 2, line_right = inner.Right - 2;
  int bounds_top = rect.Bottom, bounds_bottom = rect.Bottom;  // the bounds' rows, when low
  if (caption.empty()) {
    // A narrow column (a printed page's, or one of many): the caption takes the
    // whole width and the bounds go to the ends of the sample line, smaller.
    PaintCaption(canvas, inner, number, Color());
    const int caption_bottom = caption_top + canvas.TextHeight("0");
    // Under the caption, in what is left of the cell (at most the values' 3 mm).
    TFont small = font;
    small.Height = std::min(RoundHalfEven32(3 * ppm + 0.5), rect.Bottom - caption_bottom);
    canvas.SetFont(small);
    const int slw = canvas.TextWidth(left_label), srw = canvas.TextWidth(right_label);
    if (small.Height >= 2 * ppm && slw + srw + 8 <= inner.Width()) {
      const int y =
          std::clamp(line_row - small.Height / 2, caption_bottom, rect.Bottom - small.Height);
      canvas.TextOut(inner.Left, y, left_label);
      canvas.TextOut(inner.Right - srw, y, right_label);
      line_left = inner.Left + slw + 2;
      line_right = inner.Right - srw - 2;
      bounds_top = y;
      bounds_bottom = y + small.Height;
    }
    canvas.SetFont(font);
  } else {
    canvas.TextOut(inner.Left + 4, caption_top - 5, left_label);
    canvas.TextOut(inner.Right - 4 - rw, caption_top - 5, right_label);
    const int x = inner.Left + lw + 8 + (middle - canvas.TextWidth(caption)) / 2;
    DrawCaptionText(canvas, x, caption_top, caption, Color());
  }

  TPen sample = pen_;
  sample.Color = Color();
  canvas.SetPen(sample);
  if (line_right > line_left) canvas.Line(line_left, line_row, line_right, line_row);

  canvas.SetPen({psSolid, 1, clBlack});
  const int width = rect.Width();
  for (int i = 1; i <= 9; ++i) {
    const int x = rect.Left + RoundHalfEven32(i * width / 10.0);
    canvas.Line(x, rect.Bottom - 2, x, rect.Bottom);
  }

  // The scale values sit under the sample line in a smaller font.
  TFont big = font;
  big.Height = RoundHalfEven32(3 * ppm + 0.5);
  canvas.SetFont(big);
  const double base = neg_scale_ + offset_graph_;
  auto v = [&](int i) { return base + i * (scale_ - base) / 10; };
  // The four values stand a fifth of the width apart: they are written only when
  // each fits its fifth with two spaces to spare (measured against the cell's own
  // width, wherever the cell lies on the panel), else the middle value alone.
  int widest = 0;
  for (int k = 1; k <= 4; ++k)
    widest = std::max(widest, canvas.TextWidth(FormatValue(v(2 * k), 2, 2, true)));
  const int text_height = canvas.TextHeight("0");
  // Bounds at the ends of the sample line leave the values the room between them.
  const bool bounds_low = rect.Bottom - text_height < bounds_bottom && bounds_top < rect.Bottom;
  const int free_left = bounds_low ? line_left : rect.Left;
  const int free_right = bounds_low ? line_right : rect.Right;
  auto free = [&](int x, const std::string& text) {
    return x >= free_left && x + canvas.TextWidth(text) <= free_right;
  };
  if (widest + canvas.TextWidth("  ") < width / 5 &&
      4 * widest + canvas.TextWidth("     ") < inner.Width() - 4) {
    for (int k = 1; k <= 4; ++k) {
      const std::string text = FormatValue(v(2 * k), 2, 2, true);
      const int x = inner.Left + RoundHalfEven32(k * width / 5.0) - canvas.TextWidth(text) / 2 - 5;
      if (free(x, text)) canvas.TextOut(x, rect.Bottom - text_height, text);
    }
  } else if (canvas.TextWidth(FormatValue(v(5), 0, 0) + "  ") < inner.Width() - 4) {
    const std::string text = FormatValue(v(5), 2, 2, true);
    const int x = rect.Left + (width - canvas.TextWidth(text)) / 2;
    if (free(x, text)) canvas.TextOut(x, rect.Bottom - text_height, text);
  }
  canvas.SetFont(font);
}

void TGraphicsColumn::PaintBackground(TCanvas& canvas, int first_row, int last_row) {
  TTrackColumn::PaintBackground(canvas, first_row, last_row);
  if (!TopLevel() || !show_grid_ || !Viewer()) return;
  const TLogViewerCore& v = *Viewer();
  const bool mono = v.Printing() && v.Monochrome();
  const TPen major{psSolid, v.GridPenWidth(), mono ? clBlack : clGray};
  const TPen minor{psDot, v.GridPenWidth(), mono ? clBlack : clSilver};
  const int width = Width();
  // Forty lines across; in a narrow column (a printed page's, one of many) only
  // every second or fourth, so that lines stay at least a millimetre apart and the
  // grid never turns into a wash over the curves.
  int every = 1;
  while (every < 4 && width / 40.0 * every < v.PixelsPerMm()) every *= 2;
  for (int i = 0; i <= 40; i += every) {
    const int x = RoundHalfEven32(i * (width / 10.0) / 4);
    canvas.SetPen(i % 4 == 0 ? major : minor);
    canvas.Line(x, first_row, x, last_row + 1);
  }
  const int64_t step = static_cast<int64_t>(v.Scale()) * 20;
  if (step <= 0) return;
  canvas.SetPen(minor);
  for (int64_t pos = (v.ViewTop() / step) * step - v.ViewTop(); pos < v.ViewSpan(); pos += step) {
    for (int q = 1; q <= 3; ++q) {
      const int row = RoundHalfEven32((pos + q * step / 4.0) / v.Scale() * v.PixelsPerMm());
      canvas.Line(0, row, width, row);
    }
  }
}

void TGraphicsColumn::ValueLabel(TCanvas& canvas, int64_t x, int64_t row, double value) {
  const std::string text = FormatValue(value, 0, 3);
  TFont font = label_font_;
  const auto place =
      PlaceLabel(text, static_cast<int>(std::clamp<int64_t>(x, 0, Width())), false, 4, Width(),
                 label_font_.Height, [&](std::string_view t, int height) {
                   font.Height = height;
                   canvas.SetFont(font);
                   return canvas.TextWidth(t);
                 });
  font.Height = place ? place->FontHeight : label_font_.Height;
  canvas.SetFont(font);
  if (place) {
    const int th = canvas.TextHeight(text);
    int64_t ly = std::max<int64_t>(row - th, 0);
    const int height = Viewer() ? Viewer()->SheetPanelHeight() : 0;
    if (height > 0 && ly + th > height) ly = height - th;
    const int y = static_cast<int>(std::clamp<int64_t>(ly, INT32_MIN / 2, INT32_MAX / 2));
    // A space's width around it: two values side by side would read as one number.
    const int gap = std::max(1, th / 4);
    const TRect area{Left() + place->X - gap, y, Left() + place->X + canvas.TextWidth(text) + gap,
                     y + th};
    if (!Viewer() || Viewer()->ClaimLabel(*this, area)) canvas.TextOut(place->X, y, text);
  }
  canvas.SetFont(label_font_);
}

void TGraphicsColumn::AddWrapped(TCanvas& canvas, int64_t a, int32_t b, double value) {
  const int64_t w = Width();
  const int64_t c = last_x_;
  const int64_t d = last_y_;
  if (c < a && Div(c, w) < Div(a, w)) {
    const int32_t y = static_cast<int32_t>(
        b - RoundHalfEven(static_cast<double>(Mod(a, w)) * (b - d) / static_cast<double>(a - c)));
    points_.Add(canvas, static_cast<int32_t>(w), y);
    points_.Flush(canvas);
    points_.Clear();
    points_.Add(0, y);
    ValueLabel(canvas, 0, y, value);
  } else if (a < c && Div(a, w) < Div(c, w)) {
    const int32_t y = static_cast<int32_t>(
        RoundHalfEven(static_cast<double>(Mod(c, w)) * (b - d) / static_cast<double>(c - a)) + d);
    points_.Add(canvas, 0, y);
    points_.Flush(canvas);
    points_.Clear();
    points_.Add(static_cast<int32_t>(w), y);
    ValueLabel(canvas, w, y, value);
  }
  points_.Add(canvas, static_cast<int32_t>(Mod(a, w)), b);
  last_x_ = a;
  last_y_ = b;
}

namespace {

// The first smallest and the first largest of s[i..j). Four interleaved lanes break
// the dependency chain of a plain scan (the hot loop of a zoomed-out redraw, which
// looks at every sample); ties go to the earlier index, as in a plain scan.
void FirstMinMax(const float* s, int64_t i, int64_t j, int64_t& lo, int64_t& hi) {
  constexpr int kLanes = 4;
  lo = hi = i;
  if (j - i < int64_t{4} * kLanes) {
    for (int64_t k = i + 1; k < j; ++k) {
      if (s[k] < s[lo]) lo = k;
      if (s[k] > s[hi]) hi = k;
    }
    return;
  }
  int64_t lo_at[kLanes], hi_at[kLanes];
  float lo_v[kLanes], hi_v[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    lo_at[l] = hi_at[l] = i + l;
    lo_v[l] = hi_v[l] = s[i + l];
  }
  int64_t k = i + kLanes;
  for (; k + kLanes <= j; k += kLanes) {
    for (int l = 0; l < kLanes; ++l) {
      const float v = s[k + l];
      if (v < lo_v[l]) lo_v[l] = v, lo_at[l] = k + l;
      if (v > hi_v[l]) hi_v[l] = v, hi_at[l] = k + l;
    }
  }
  for (; k < j; ++k) {
    if (s[k] < lo_v[0]) lo_v[0] = s[k], lo_at[0] = k;
    if (s[k] > hi_v[0]) hi_v[0] = s[k], hi_at[0] = k;
  }
  lo = lo_at[0];
  hi = hi_at[0];
  for (int l = 1; l < kLanes; ++l) {
    if (lo_v[l] < s[lo] || (lo_v[l] == s[lo] && lo_at[l] < lo)) lo = lo_at[l];
    if (hi_v[l] > s[hi] || (hi_v[l] == s[hi] && hi_at[l] < hi)) hi = hi_at[l];
  }
}

}  // namespace

void TGraphicsColumn::DrawSamples(TCanvas& canvas, const TLogTrack& track, int32_t first, int32_t n,
                                  int64_t offset) {
  const int64_t w = Width();
  const double range = scale_ - neg_scale_ - offset_graph_;
  if (w <= 0 || range == 0 || !std::isfinite(range) || !Viewer()) return;
  const TLogViewerCore& v = *Viewer();
  const double kx = w / range;
  const double ky = v.PixelsPerMm() / v.Scale();
  const double base = neg_scale_ + offset_graph_;
  const int64_t step = track.Step();
  const float* s = track.Samples() + first;
  auto raw_x = [&](double value) { return RoundHalfEven((value - base) * kx); };
  auto row_of = [&](int64_t i) {
    return RoundHalfEven32(ky * (static_cast<double>(offset) + static_cast<double>(i * step)));
  };

  points_.Clear();
  TPen pen = pen_;
  pen.Color = Color();
  pen.Width = v.CurvePenWidth(pen_.Width);
  canvas.SetPen(pen);
  label_font_.Height = RoundHalfEven32(v.PixelsPerMm() * 3.5 + 0.5);
  label_font_.Color = Color();
  canvas.SetFont(label_font_);
  auto missing = [&](int64_t i) { return v.IsNull(s[i]); };

  // A missing sample has no value to write: its edge label is left out.
  auto edge_x = [&](double value) { return Mod(Trunc((value - base) * kx), w); };
  if ((v.EdgeLabels() & elTop) && (first == 0 || offset < 1) && !missing(0))
    ValueLabel(canvas, edge_x(s[0]), Trunc(ky * std::max<int64_t>(offset, 0)), s[0]);
  const int64_t end_arg = v.PlacedOrigin(track) + static_cast<int64_t>(first + n) * step;
  // The track's end is labelled by full redraws only: a band appended during
  // recording would otherwise leave a trail of end labels down the column.
  const bool track_end = first + n == track.Count() && (offset <= 0 || first == 0);
  if ((v.EdgeLabels() & elBottom) && !missing(n - 1) &&
      (track_end || end_arg >= v.ViewTop() + static_cast<double>(v.ViewSpan())))
    ValueLabel(canvas, edge_x(s[n - 1]), Trunc(ky * (end_arg - v.ViewTop())), s[n - 1]);

  // Each run of present samples is a line of its own: a missing sample leaves a gap.
  auto start_line = [&](int64_t i, int64_t x) {
    points_.Flush(canvas);
    points_.Clear();
    last_x_ = x;
    last_y_ = row_of(i);
  };
  double largest = -9999.99;
  if (filter_len_ < 1) {
    const int rows = std::abs(row_of(n - 1) - row_of(0)) + 1;
    const bool dense = n > 4 * rows && ky > 0;
    int64_t a = 0;
    while (a < n) {
      while (a < n && missing(a)) ++a;
      int64_t b = a;
      while (b < n && !missing(b)) ++b;
      if (a == b) break;
      start_line(a, raw_x(s[a]));
      if (!dense) {
        for (int64_t i = a; i < b; ++i) {
          largest = std::max(largest, static_cast<double>(s[i]));
          AddWrapped(canvas, raw_x(s[i]), row_of(i), s[i]);
        }
      } else {
        // Many samples per pixel row: each row keeps its first, lowest, highest and
        // last value, in the order they occur, so every spike is still drawn.
        int64_t i = a;
        while (i < b) {
          const int32_t r = row_of(i);
          int64_t j = static_cast<int64_t>(std::floor(((r + 0.5) / ky - offset) / step)) + 1;
          j = std::clamp<int64_t>(j, i + 1, b);
          while (j < b && row_of(j) == r) ++j;
          while (j > i + 1 && row_of(j - 1) != r) --j;
          int64_t lo = i, hi = i;
          FirstMinMax(s, i, j, lo, hi);
          largest = std::max(largest, static_cast<double>(s[hi]));
          int64_t picks[4] = {i, std::min(lo, hi), std::max(lo, hi), j - 1};
          int64_t previous = -1;
          for (int64_t k : picks) {
            if (k == previous) continue;
            AddWrapped(canvas, raw_x(s[k]), r, s[k]);
            previous = k;
          }
          i = j;
        }
      }
      a = b;
    }
  } else {
    TSingles ring(filter_len_);
    const float* all = track.Samples();
    for (int64_t k = std::max<int64_t>(first - filter_len_, 0); k < first; ++k) {
      if (v.IsNull(all[k])) {
        ring.Clear();
      } else {
        ring.Push(static_cast<float>(RoundHalfEven(kx * all[k])));
      }
    }
    bool drawing = false;
    for (int32_t i = 0; i < n; ++i) {
      if (missing(i)) {
        ring.Clear();
        drawing = false;
        continue;
      }
      largest = std::max(largest, static_cast<double>(s[i]));
      if (RoundHalfEven(static_cast<double>(s[i]) * 100) == -9999) {
        ring.Clear();
      } else {
        ring.Push(static_cast<float>(RoundHalfEven(kx * s[i])));
      }
      const int64_t x = RoundHalfEven(ring.Average() - kx * base);
      if (!drawing) start_line(i, x);
      drawing = true;
      AddWrapped(canvas, x, row_of(i), s[i]);
    }
  }

  // A print keeps the scales its header was drawn with.
  if (auto_scale_ && !v.Printing()) {
    const int index = FirstValueStepAtLeast(largest);
    // Kept above NegScale, as the setter would. A band appended while recording
    // holds only the newest rows: it may widen the scale but not narrow it below
    // what the rest of the view needs. A changed scale is announced after the
    // paint, so the header and the rows already drawn follow it.
    if (index >= 0 && ValueStep(index) > neg_scale_) {
      double next = ValueStep(index);
      if (!v.PaintingWholeView()) next = std::max(next, scale_);
      if (next != scale_) {
        scale_ = next;
        Viewer()->ColumnChangedWhilePainting(*this);
      }
    }
  }
  points_.Flush(canvas);

  if (!Markers().empty()) {
    TPen marker_pen = pen;
    marker_pen.Color = Color() + 4095;
    canvas.SetPen(marker_pen);
    for (const TVisualGadget& m : Markers()) {
      if (m.Index < first || m.Index > first + n || m.Index >= track.Count()) continue;
      const int x = static_cast<int>(Mod(raw_x(track.Samples()[m.Index]), w));
      const int row = RoundHalfEven32(ky * step * (m.Index - first) + ky * offset);
      if (m.Kind == 0) {
        canvas.FrameRect({x - 3, row - 3, x + 4, row + 4});
      } else {
        canvas.Line(x - 10, row, x + 11, row);
      }
    }
    canvas.SetPen(pen);
  }
}

void TGraphicsColumn::WriteProperties(ComponentWriter& out) const {
  TTrackColumn::WriteProperties(out);
  WritePenProperties(out, pen_);
  auto real = [&](const char* name, double value, double default_value) {
    if (value == default_value) return;
    out.WriteShortString(name);
    out.WriteFloat(value);
  };
  real("Scale", scale_, 10);
  real("NegScale", neg_scale_, 0);
  real("OffsetGraph", offset_graph_, 0);
  auto flag = [&](const char* name, bool value, bool default_value) {
    if (value == default_value) return;
    out.WriteShortString(name);
    out.WriteBoolean(value);
  };
  flag("Differential", differential_, false);
  if (filter_len_ != 0) {
    out.WriteShortString("FilterLen");
    out.WriteInteger(filter_len_);
  }
  flag("ShowGrid", show_grid_, true);
  flag("AutoScale", auto_scale_, false);
}

bool TGraphicsColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  double d;
  bool b;
  int32_t i;
  if (ReadPenProperty(name, in, pen_)) {
  } else if (name == "Scale") {
    if (in.Float(d)) scale_ = d;
  } else if (name == "NegScale") {
    if (in.Float(d)) neg_scale_ = d;
  } else if (name == "OffsetGraph") {
    if (in.Float(d)) offset_graph_ = d;
  } else if (name == "Differential") {
    if (in.Boolean(b)) differential_ = b;
  } else if (name == "FilterLen") {
    if (in.Integer(i) && i >= 0) filter_len_ = i;
  } else if (name == "ShowGrid") {
    if (in.Boolean(b)) show_grid_ = b;
  } else if (name == "AutoScale") {
    if (in.Boolean(b)) auto_scale_ = b;
  } else {
    return TTrackColumn::ReadProperty(name, in);
  }
  return true;
}

}  // namespace kest
