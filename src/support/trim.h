#pragma once

#include <array>
#include <string_view>

namespace kest {

// The character sets that texts are trimmed of. The readers differ on purpose and
// each keeps its own: fields of a LAS line drop blanks only, a setting's line drops
// its line end too, an expression drops every control character.
inline constexpr std::string_view kSpaceTab = " \t";
inline constexpr std::string_view kSpaceTabLineEnd = " \t\r\n";

namespace trim_detail {
constexpr std::array<char, 33> ControlOrSpace() {
  std::array<char, 33> bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
  return bytes;
}
inline constexpr std::array<char, 33> kControlOrSpaceBytes = ControlOrSpace();
}  // namespace trim_detail

// Bytes 0..32: every control character and the space.
inline constexpr std::string_view kControlOrSpace{trim_detail::kControlOrSpaceBytes.data(),
                                                  trim_detail::kControlOrSpaceBytes.size()};

// `s` without the characters of `chars` at its start, at its end, or at both ends.
// The result views `s`: it lives no longer than the text it was taken from.
constexpr std::string_view TrimLeft(std::string_view s, std::string_view chars) {
  size_t begin = s.find_first_not_of(chars);
  return begin == std::string_view::npos ? std::string_view() : s.substr(begin);
}

constexpr std::string_view TrimRight(std::string_view s, std::string_view chars) {
  size_t last = s.find_last_not_of(chars);
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

constexpr std::string_view Trim(std::string_view s, std::string_view chars) {
  return TrimRight(TrimLeft(s, chars), chars);
}

}  // namespace kest
