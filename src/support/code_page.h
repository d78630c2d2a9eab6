#pragma once

#include <string>
#include <string_view>

namespace kest {

// Text in memory is UTF-8. The 8-bit code pages appear only at file boundaries:
// Windows-1251 in LS strings, script and data files; code page 866 in LAS files.
enum class CodePage { Windows1251, Cp866 };

// Every byte has a character, so decoding never fails.
std::string CodePageToUtf8(std::string_view bytes, CodePage page);
// Characters the code page lacks (and invalid UTF-8) become '?'.
std::string Utf8ToCodePage(std::string_view text, CodePage page);

inline std::string Cp1251ToUtf8(std::string_view bytes) {
  return CodePageToUtf8(bytes, CodePage::Windows1251);
}
inline std::string Utf8ToCp1251(std::string_view text) {
  return Utf8ToCodePage(text, CodePage::Windows1251);
}
inline std::string Cp866ToUtf8(std::string_view bytes) {
  return CodePageToUtf8(bytes, CodePage::Cp866);
}
inline std::string Utf8ToCp866(std::string_view text) {
  return Utf8ToCodePage(text, CodePage::Cp866);
}

bool IsValidUtf8(std::string_view bytes);
bool IsAscii(std::string_view bytes);
// Script and data files: UTF-8 when the bytes are valid UTF-8, else Windows-1251.
std::string DecodeTextFile(std::string_view bytes);

// Upper-casing of names that may be Cyrillic: ASCII, Latin-1 and the Cyrillic blocks
// (including Ё, Ukrainian and Belarusian letters). Invalid UTF-8 bytes pass unchanged.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// Case-insensitive equality in the sense of UpperCase.
bool SameText(std::string_view a, std::string_view b);

// Decodes one code point at `pos` and advances it; returns U+FFFD for an invalid
// sequence (advancing one byte).
char32_t DecodeUtf8(std::string_view text, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace kest
