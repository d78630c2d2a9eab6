#include "viewer/core/caption_fit.h"

#include <algorithm>
#include <vector>

#include "log/log_parameters.h"

namespace kest {

std::string FitCaption(std::string_view mnemonic, int number, int width,
                       const std::function<int(std::string_view)>& text_width) {
  std::string caption(mnemonic), short_caption(mnemonic), unit;
  if (LogParametersExist()) {
    const TLogParameter* p = LogParameters().Find(mnemonic);
    if (!p) p = LogSensors().Find(mnemonic);
    if (p) {
      caption = p->Caption;
      short_caption = p->ShortCaption.empty() ? p->Caption : p->ShortCaption;
      unit = p->Units;
    }
  }
  std::vector<std::string> candidates;
  const std::string n = std::to_string(number);
  if (mnemonic.empty()) {
    candidates = {caption, "-"};
  } else if (number != 0) {
    candidates = {caption + "[" + n + "], " + unit, short_caption + "[" + n + "], " + unit,
                  short_caption + "[" + n + "]"};
  } else if (!unit.empty()) {
    candidates = {caption + ", " + unit, short_caption + ", " + unit, short_caption};
  } else {
    candidates = {caption, short_caption};
  }
  for (const auto& text : candidates) {
    if (!text.empty() && text_width(text) <= width) return text;
  }
  return {};
}

std::optional<LabelPlace> PlaceLabel(std::string_view text, int x, bool centred, int gap, int width,
                                     int font_height, const LabelMeasure& measure) {
  if (text.empty() || width <= 0 || font_height <= 0) return std::nullopt;
  const int smallest = std::max(1, (font_height * 3 + 4) / 5);
  int height = font_height;
  int text_width = measure(text, height);
  // Widths grow about in proportion to the height: start near the size that fits.
  if (text_width > width && text_width > 0)
    height = std::max(smallest, std::min(height - 1, font_height * width / text_width));
  for (; height >= smallest; --height) {
    if (height != font_height) text_width = measure(text, height);
    if (text_width > width) continue;
    int left;
    if (centred) {
      left = x - text_width / 2;
    } else {
      left = x + gap + text_width <= width ? x + gap : x - gap - text_width;
    }
    return LabelPlace{std::clamp(left, 0, width - text_width), height};
  }
  return std::nullopt;
}

}  // namespace kest
