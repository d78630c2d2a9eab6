#include "analysis/repeat_control.h"

#include <cmath>

#include "analysis/analysis_errors.h"
#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/number_text.h"

namespace kest {

namespace {

RepeatCurveStats Compare(const TLogTrack& main, const TLogTrack& repeat, int64_t top,
                         int64_t bottom, float null_value) {
  RepeatCurveStats s;
  s.Curve = main.Parameter();
  s.Top = static_cast<int32_t>(top);
  s.Bottom = static_cast<int32_t>(bottom);
  // Two passes in double; the differences are small against the values.
  double sd = 0, sdd = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (int32_t i = 0; i < main.Count(); ++i) {
    const int64_t x = main.ArgumentOf(i);
    if (x < top || x > bottom) continue;
    const float a = main.Sample(i);
    const float b = LinearValueAt(repeat, x, null_value);
    if (IsNullSample(a, null_value) || IsNullSample(b, null_value)) continue;
    const double d = static_cast<double>(b) - a;
    sd += d;
    sdd += d * d;
    sa += a;
    sb += b;
    saa += static_cast<double>(a) * a;
    sbb += static_cast<double>(b) * b;
    sab += static_cast<double>(a) * b;
    ++s.Pairs;
  }
  const double n = static_cast<double>(s.Pairs);
  s.MeanDifference = s.Pairs ? sd / n : std::nan("");
  s.StdDifference =
      s.Pairs > 1 ? std::sqrt(std::max(0.0, (sdd - sd * sd / n) / (n - 1))) : std::nan("");
  const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
  s.Correlation = s.Pairs > 2 && va > 1e-12 * std::max(1.0, saa) && vb > 1e-12 * std::max(1.0, sbb)
                      ? std::clamp((sab - sa * sb / n) / std::sqrt(va * vb), -1.0, 1.0)
                      : std::nan("");
  return s;
}

std::string Number(double v, int decimals) {
  return std::isnan(v) ? std::string("—") : FormatFixed(v, decimals);
}

std::string JsonNumber(double v) { return std::isnan(v) ? std::string("null") : FormatFixed(v, 6); }

std::string EscapeText(const std::string& text, bool json) {
  std::string out;
  for (char c : text) {
    if (json && (c == '"' || c == '\\')) {
      out += '\\';
      out += c;
    } else if (!json && c == '<') {
      out += "&lt;";
    } else if (!json && c == '>') {
      out += "&gt;";
    } else if (!json && c == '&') {
      out += "&amp;";
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<RepeatCurveStats> CompareRepeat(const TLogSheet& main, const TLogSheet& repeat,
                                            float null_value) {
  CheckComparable(main, "основного замера", repeat, "повторного замера");
  std::vector<RepeatCurveStats> stats;
  for (int i = 0; i < main.Count(); ++i) {
    const TLogTrack* a = main.Tracks(i);
    if (a->Foreign() || a->Parameter() == ArgumentName(main.Argument())) continue;
    const TLogTrack* b = repeat.FindTrack(a->Parameter(), a->Instance());
    if (!b || b->Count() == 0 || a->Count() == 0) continue;
    // Each curve over its own common interval: sensors sit at different points of
    // the string, so their curves start and end at different depths.
    const int64_t top = std::max(a->Origin(), b->Origin());
    const int64_t bottom = std::min(a->End(), b->End());
    if (bottom <= top) continue;
    stats.push_back(Compare(*a, *b, top, bottom, null_value));
  }
  if (stats.empty() && main.End() > repeat.Start() && repeat.End() > main.Start())
    throw EAnalysisError("Нет общих кривых в основном и повторном замерах");
  if (stats.empty())
    throw EAnalysisError("Нет общего интервала: основной замер " + ArgumentText(main.Start()) +
                         "–" + ArgumentText(main.End()) + ", повторный " +
                         ArgumentText(repeat.Start()) + "–" + ArgumentText(repeat.End()));
  return stats;
}

std::string RepeatStatsText(const std::vector<RepeatCurveStats>& stats) {
  std::string text;
  for (const RepeatCurveStats& s : stats)
    text += s.Curve + " " + ArgumentText(s.Top) + " " + ArgumentText(s.Bottom) + " " +
            std::to_string(s.Pairs) + " " + Number(s.MeanDifference, 4) + " " +
            Number(s.StdDifference, 4) + " " + Number(s.Correlation, 4) + "\n";
  return text;
}

std::string RepeatStatsJson(const std::vector<RepeatCurveStats>& stats) {
  std::string json = "{\"curves\":[";
  for (size_t i = 0; i < stats.size(); ++i) {
    const RepeatCurveStats& s = stats[i];
    json += std::string(i ? "," : "") + "{\"curve\":\"" + EscapeText(s.Curve, true) +
            "\",\"top\":" + ArgumentText(s.Top) + ",\"bottom\":" + ArgumentText(s.Bottom) +
            ",\"pairs\":" + std::to_string(s.Pairs) + ",\"mean\":" + JsonNumber(s.MeanDifference) +
            ",\"std\":" + JsonNumber(s.StdDifference) +
            ",\"correlation\":" + JsonNumber(s.Correlation) + "}";
  }
  return json + "]}\n";
}

std::string RepeatReportHtml(const std::vector<RepeatCurveStats>& stats,
                             const std::string& main_name, const std::string& repeat_name) {
  std::string html =
      "<html><head><meta charset=\"utf-8\"></head><body>"
      "<h2 align=\"center\">Контроль повторного замера</h2>"
      "<p>Основной замер: " +
      EscapeText(main_name, false) + "<br>Повторный замер: " + EscapeText(repeat_name, false) +
      "</p>"
      "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">"
      "<tr><th>Кривая</th><th>Начало</th><th>Конец</th><th>Отсчётов</th>"
      "<th>Среднее расхождение</th><th>СКО расхождения</th><th>Корреляция</th></tr>";
  for (const RepeatCurveStats& s : stats)
    html += "<tr><td>" + EscapeText(s.Curve, false) + "</td><td>" + ArgumentText(s.Top) +
            "</td><td>" + ArgumentText(s.Bottom) + "</td><td>" + std::to_string(s.Pairs) +
            "</td><td>" + Number(s.MeanDifference, 4) + "</td><td>" + Number(s.StdDifference, 4) +
            "</td><td>" + Number(s.Correlation, 4) + "</td></tr>";
  return html + "</table></body></html>";
}

}  // namespace kest
