#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kest {

// The longest description of a track that fits `width` pixels: caption, unit and
// instance number first, then shorter forms, else nothing. Descriptions come from
// the parameter tables when they exist; an undescribed mnemonic is its own caption.
std::string FitCaption(std::string_view mnemonic, int number, int width,
                       const std::function<int(std::string_view)>& text_width);

}  // namespace kest
