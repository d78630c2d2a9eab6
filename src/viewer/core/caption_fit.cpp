#include "viewer/core/caption_fit.h"

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

}  // namespace kest
