#include "lisp/reader.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/value_nodes.h"
#include "support/code_page.h"

namespace kest {

namespace {

constexpr size_t kMaxAtomChars = 64;
constexpr size_t kMaxStringChars = 255;

bool IsBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool IsAtomStart(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u < 33 || u > 126) return false;
  static constexpr std::string_view kExcluded = "\"'(),.;@[]`{}";
  return kExcluded.find(c) == std::string_view::npos;
}

bool IsAtomEnd(char c) { return c == '\0' || IsBlank(c) || c == '(' || c == ')' || c == ';'; }

size_t CharCount(std::string_view text) {
  size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An optional sign, then decimal digits or hexadecimal digits after "$", "X" or "0X"
// (the token is upper case). Hexadecimal gives the 32-bit pattern ($FFFFFFFF is -1);
// decimal must fit the signed range.
std::optional<int32_t> ParseInteger(std::string_view token) {
  bool negative = false;
  if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
    negative = token[0] == '-';
    token.remove_prefix(1);
  }
  uint64_t value = 0;
  if (!token.empty() && (token[0] == '$' || token[0] == 'X' || token.starts_with("0X"))) {
    token.remove_prefix(token[0] == '0' ? 2 : 1);
    if (token.empty()) return std::nullopt;
    for (char c : token) {
      int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(d);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    auto bits = static_cast<uint32_t>(value);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
  }
  if (token.empty()) return std::nullopt;
  for (char c : token) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0x80000000u) return std::nullopt;
  }
  if (!negative && value > 0x7FFFFFFFu) return std::nullopt;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(value)
                                       : static_cast<int64_t>(value));
}

// Optional sign, digits with an optional fraction (at least one digit), optional
// exponent "E" with optional sign and digits. Commas count as decimal points.
std::optional<double> ParseDecimal(std::string token) {
  for (char& c : token)
    if (c == ',') c = '.';
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  size_t digits = 0;
  while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i, ++digits;
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < token.size() && token[i] == 'E') {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i, ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != token.size()) return std::nullopt;
  const char* begin = token.data() + (token[0] == '+' ? 1 : 0);
  double value = 0;
  auto [end, ec] = std::from_chars(begin, token.data() + token.size(), value);
  if (end != token.data() + token.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range || std::fabs(value) > FLT_MAX)
    throw ELispReadError("Число вне диапазона: \"" + token + "\"");
  return value;
}

}  // namespace

char TLispReader::Peek(size_t ahead) const {
  return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
}

void TLispReader::SkipBlanks() {
  for (;;) {
    char c = Peek();
    if (IsBlank(c)) {
      ++pos_;
    } else if (c == ';') {
      while (Peek() != '\0' && Peek() != '\r' && Peek() != '\n') ++pos_;
    } else {
      return;
    }
  }
}

bool TLispReader::AtEnd() {
  SkipBlanks();
  return Peek() == '\0';
}

NodeRef TLispReader::Read() { return ReadExpr(0); }

void TLispReader::UnexpectedChar() const {
  std::string shown;
  auto c = static_cast<unsigned char>(Peek());
  if (c >= 0x80) {
    size_t at = pos_;
    size_t before = at;
    char32_t cp = DecodeUtf8(text_, at);
    if (cp != 0xFFFD || text_.substr(before, at - before) == "\xEF\xBF\xBD") {
      shown = std::string(text_.substr(before, at - before));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown = hex;
    }
  } else {
    shown = std::string(1, static_cast<char>(c));
  }
  throw ELispReadError("Unexpected char: \"" + shown + "\"");
}

NodeRef TLispReader::ReadExpr(int depth) {
  SkipBlanks();
  char c = Peek();
  if (c == '\0') return NodeRef::Share(NilNode());
  if (IsAtomStart(c)) return ReadAtom();
  switch (c) {
    case '"':
      ++pos_;
      return ReadString();
    case '(':
      ++pos_;
      return ReadList(depth + 1);
    case '\'':
      if (Peek(1) == '#') {
        pos_ += 2;
        return ReadWrapped("FUNCTION", depth);
      }
      ++pos_;
      return ReadWrapped("QUOTE", depth);
    case '`':
      ++pos_;
      return ReadWrapped("BACKQUOTE", depth);
    case ',':
      if (Peek(1) == '@') {
        pos_ += 2;
        return ReadWrapped("COMMA-AT", depth);
      }
      ++pos_;
      return ReadWrapped("COMMA", depth);
    default:
      UnexpectedChar();
  }
}

NodeRef TLispReader::ReadWrapped(const char* head, int depth) {
  if (++depth > kMaxLispNesting) throw ELispReadError("Слишком глубокая вложенность");
  NodeRef inner = ReadExpr(depth);
  return MakeCons(MakeSymbol(head), MakeCons(std::move(inner)));
}

NodeRef TLispReader::ReadAtom() {
  size_t start = pos_;
  while (!IsAtomEnd(Peek())) ++pos_;
  std::string_view raw = text_.substr(start, pos_ - start);
  if (CharCount(raw) > kMaxAtomChars)
    throw ELispReadError("Атом длиннее 64 символов: \"" + std::string(raw.substr(0, 64)) + "...\"");
  std::string token = UpperCase(raw);
  if (auto integer = ParseInteger(token)) return MakeInt(*integer);
  if (auto decimal = ParseDecimal(token)) return MakeFloat(static_cast<float>(*decimal));
  if (token == "T") return NodeRef::Share(TrueNode());
  if (token == "NIL") return NodeRef::Share(NilNode());
  return MakeSymbol(token);
}

NodeRef TLispReader::ReadString() {
  size_t start = pos_;
  for (;;) {
    char c = Peek();
    if (c == '"') break;
    if (c == '\0' || c == '\r' || c == '\n') throw ELispReadError("Incompleted string");
    ++pos_;
  }
  std::string_view text = text_.substr(start, pos_ - start);
  ++pos_;
  if (CharCount(text) > kMaxStringChars) throw ELispReadError("Строка длиннее 255 символов");
  return MakeString(std::string(text));
}

NodeRef TLispReader::ReadList(int depth) {
  if (depth > kMaxLispNesting) throw ELispReadError("Слишком глубокая вложенность");
  TListBuilder list;
  TConsNode* last = nullptr;
  bool dotted = false;
  for (;;) {
    SkipBlanks();
    char c = Peek();
    if (c == ')') {
      ++pos_;
      return list.Take();
    }
    if (c == '\0') throw ELispReadError("Unexpected end of line");
    if (dotted) throw ELispReadError("Extra nodes after dot");
    if (c == '.') {
      if (!last) throw ELispReadError("Misplaced dot in list");
      ++pos_;
      last->SetCdr(ReadExpr(depth));
      dotted = true;
      continue;
    }
    list.Add(ReadExpr(depth));
    last = last ? last->Next() : list.Head();
  }
}

NodeRef ReadText(std::string_view text) { return TLispReader(text).Read(); }

}  // namespace kest
