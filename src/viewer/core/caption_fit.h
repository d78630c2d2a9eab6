#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kest {

// The longest description of a track that fits `width` pixels: caption, unit and
// instance number first, then shorter forms, else nothing. Descriptions come from
// the parameter tables when they exist; an undescribed mnemonic is its own caption.
std::string FitCaption(std::string_view mnemonic, int number, int width,
                       const std::function<int(std::string_view)>& text_width);

// A label written whole inside a column: its left edge and its font's height.
struct LabelPlace {
  int X = 0;
  int FontHeight = 0;
};

// The width of a text in a font of the given height.
using LabelMeasure = std::function<int(std::string_view text, int font_height)>;

// Where a label of `text` goes in a column `width` pixels wide, never cut by the
// column's edges: `gap` pixels right of `x` (or left of it when the right side is
// too narrow), or centred on `x` with `centred`; moved in from an edge it would
// cross; in a smaller font (down to three fifths of `font_height`) when it is wider
// than the column; nothing when even that does not fit.
std::optional<LabelPlace> PlaceLabel(std::string_view text, int x, bool centred, int gap, int width,
                                     int font_height, const LabelMeasure& measure);

}  // namespace kest
