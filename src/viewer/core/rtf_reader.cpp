#include "viewer/core/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "support/code_page.h"

namespace kest {

namespace {

// Sane bounds for lengths in twips (22 inches) and font sizes in half-points.
constexpr int kMaxTwips = 31680;
constexpr int kMaxHalfPoints = 2000;

enum class Dest { Text, FontTable, ColorTable, Skip };

enum class Word {
  Par,
  Line,
  Tab,
  Bold,
  Italic,
  Underline,
  UnderlineNone,
  Plain,
  Pard,
  FontSize,
  Font,
  Color,
  AlignLeft,
  AlignCenter,
  AlignRight,
  AlignJustify,
  LeftIndent,
  RightIndent,
  FirstIndent,
  RowDefaults,
  CellX,
  Cell,
  Row,
  InTable,
  Unicode,
  UnicodeSkip,
  FontTable,
  ColorTable,
  Red,
  Green,
  Blue,
  DefaultFont,
  DefaultTab,
  Skip,
  Char
};

struct WordInfo {
  Word word;
  char32_t ch = 0;  // the character of Word::Char
};

const std::unordered_map<std::string_view, WordInfo>& Words() {
  static const std::unordered_map<std::string_view, WordInfo> words = {
      {"par", {Word::Par}},
      {"sect", {Word::Par}},
      {"line", {Word::Line}},
      {"tab", {Word::Tab}},
      {"b", {Word::Bold}},
      {"i", {Word::Italic}},
      {"ul", {Word::Underline}},
      {"uld", {Word::Underline}},
      {"uldb", {Word::Underline}},
      {"ulw", {Word::Underline}},
      {"ulth", {Word::Underline}},
      {"uldash", {Word::Underline}},
      {"ulwave", {Word::Underline}},
      {"ulnone", {Word::UnderlineNone}},
      {"plain", {Word::Plain}},
      {"pard", {Word::Pard}},
      {"fs", {Word::FontSize}},
      {"f", {Word::Font}},
      {"cf", {Word::Color}},
      {"ql", {Word::AlignLeft}},
      {"qc", {Word::AlignCenter}},
      {"qr", {Word::AlignRight}},
      {"qj", {Word::AlignJustify}},
      {"li", {Word::LeftIndent}},
      {"ri", {Word::RightIndent}},
      {"fi", {Word::FirstIndent}},
      {"trowd", {Word::RowDefaults}},
      {"cellx", {Word::CellX}},
      {"cell", {Word::Cell}},
      {"row", {Word::Row}},
      {"intbl", {Word::InTable}},
      {"u", {Word::Unicode}},
      {"uc", {Word::UnicodeSkip}},
      {"fonttbl", {Word::FontTable}},
      {"colortbl", {Word::ColorTable}},
      {"red", {Word::Red}},
      {"green", {Word::Green}},
      {"blue", {Word::Blue}},
      {"deff", {Word::DefaultFont}},
      {"deftab", {Word::DefaultTab}},
      {"emdash", {Word::Char, 0x2014}},
      {"endash", {Word::Char, 0x2013}},
      {"bullet", {Word::Char, 0x2022}},
      {"lquote", {Word::Char, 0x2018}},
      {"rquote", {Word::Char, 0x2019}},
      {"ldblquote", {Word::Char, 0x201C}},
      {"rdblquote", {Word::Char, 0x201D}},
      // Destinations whose content is not part of the text.
      {"info", {Word::Skip}},
      {"stylesheet", {Word::Skip}},
      {"pict", {Word::Skip}},
      {"object", {Word::Skip}},
      {"header", {Word::Skip}},
      {"headerl", {Word::Skip}},
      {"headerr", {Word::Skip}},
      {"headerf", {Word::Skip}},
      {"footer", {Word::Skip}},
      {"footerl", {Word::Skip}},
      {"footerr", {Word::Skip}},
      {"footerf", {Word::Skip}},
      {"footnote", {Word::Skip}},
      {"annotation", {Word::Skip}},
      {"fldinst", {Word::Skip}},
      {"listtable", {Word::Skip}},
      {"listoverridetable", {Word::Skip}},
      {"rsidtbl", {Word::Skip}},
      {"filetbl", {Word::Skip}},
      {"revtbl", {Word::Skip}},
      {"xe", {Word::Skip}},
      {"tc", {Word::Skip}},
      {"txe", {Word::Skip}},
      {"template", {Word::Skip}},
      {"themedata", {Word::Skip}},
      {"nonshppict", {Word::Skip}},
  };
  return words;
}

// Windows-1251 bytes as UTF-8, decoded once.
const std::string& ByteText(unsigned char byte) {
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> t;
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      t[static_cast<size_t>(i)] = Cp1251ToUtf8(std::string_view(&c, 1));
    }
    return t;
  }();
  return table[byte];
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct GroupState {
  Dest dest = Dest::Text;
  RtfCharFormat chr;
  int font = -1;  // -1: the default font
  RtfParaFormat para;
  bool in_table = false;
  int uc = 1;  // fallback characters that follow \uN
};

class Reader {
 public:
  Reader(std::string_view in, const RtfReaderLimits& limits) : in_(in), limits_(limits) {}

  RtfDocument Read() {
    if (in_.size() > limits_.MaxInput)
      Fail(std::to_string(in_.size()) + " bytes are more than the limit of " +
               std::to_string(limits_.MaxInput),
           limits_.MaxInput);
    if (!in_.starts_with("{\\rtf")) Fail("no \"{\\rtf\" at the start", 0);
    while (pos_ < in_.size()) {
      char c = in_[pos_];
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        if (stack_.size() == 1) {
          Finish();
          return std::move(doc_);
        }
        CloseGroup();
      } else if (c == '\\') {
        ControlToken();
      } else {
        ++pos_;
        if (c == '\r' || c == '\n') continue;
        if (skip_ > 0) {
          --skip_;
          continue;
        }
        Byte(static_cast<unsigned char>(c));
      }
    }
    Fail(std::to_string(stack_.size()) + " groups not closed at the end", in_.size());
  }

 private:
  [[noreturn]] void Fail(const std::string& what, size_t offset) const {
    throw ERtfReaderError("Invalid rich text at offset " + std::to_string(offset) + ": " + what);
  }

  void OpenGroup() {
    if (static_cast<int>(stack_.size()) >= limits_.MaxDepth)
      Fail("groups nested deeper than " + std::to_string(limits_.MaxDepth), pos_);
    skip_ = 0;
    FlushSurrogate();
    stack_.push_back(st_);
    ++pos_;
  }

  void CloseGroup() {
    skip_ = 0;
    FlushSurrogate();
    if (st_.dest == Dest::FontTable) CommitFont();
    st_ = stack_.back();
    stack_.pop_back();
    ++pos_;
  }

  // At the document's closing brace: the last paragraph needs no \par. Only trailing
  // bytes may follow, no more groups.
  void Finish() {
    size_t extra = in_.find('}', pos_ + 1);
    if (extra != std::string_view::npos) Fail("\"}\" without its \"{\"", extra);
    FlushSurrogate();
    if (!para_.Runs.empty()) EndParagraph();
    if (!row_.Cells.empty() || !cell_.Paragraphs.empty()) EndRow();
  }

  void ControlToken() {
    const size_t start = pos_++;
    if (pos_ >= in_.size()) Fail("\"\\\" at the end", start);
    char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      if (c == '\'') {
        if (pos_ + 2 > in_.size() || HexValue(in_[pos_]) < 0 || HexValue(in_[pos_ + 1]) < 0)
          Fail("\"\\'\" not followed by two hex digits", start);
        int byte = HexValue(in_[pos_]) * 16 + HexValue(in_[pos_ + 1]);
        pos_ += 2;
        if (skip_ > 0) {
          --skip_;
          return;
        }
        Byte(static_cast<unsigned char>(byte));
        return;
      }
      if (skip_ > 0) {
        --skip_;
        return;
      }
      Symbol(c);
      return;
    }
    const size_t letters = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) {
      if (static_cast<int>(pos_ - letters) >= limits_.MaxWordLetters)
        Fail("control word longer than " + std::to_string(limits_.MaxWordLetters) + " letters",
             start);
      ++pos_;
    }
    std::string_view word = in_.substr(letters, pos_ - letters);
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    const size_t digits = pos_;
    int64_t value = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      if (static_cast<int>(pos_ - digits) >= limits_.MaxNumberDigits)
        Fail("number longer than " + std::to_string(limits_.MaxNumberDigits) + " digits", start);
      value = value * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    const bool has_value = pos_ > digits;
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
      Fail("number out of range", start);
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    if (word == "bin") {
      Binary(value, start);
      return;
    }
    if (skip_ > 0) {
      --skip_;
      return;
    }
    ControlWord(word, has_value, static_cast<int>(value));
  }

  // \binN: N bytes of binary data, never text.
  void Binary(int64_t count, size_t start) {
    if (count < 0 || static_cast<uint64_t>(count) > in_.size() - pos_)
      Fail("\"\\bin\" data past the end", start);
    pos_ += static_cast<size_t>(count);
  }

  void Symbol(char c) {
    switch (c) {
      case '{':
      case '}':
      case '\\':
        Text(std::string(1, c));
        break;
      case '~':
        Char(0x00A0);
        break;
      case '_':
        Char(0x2011);
        break;
      case '*':
        st_.dest = Dest::Skip;
        break;
      case '\r':
      case '\n':
        Paragraph();
        break;
      default:
        break;  // \- optional hyphen, \| \: index marks
    }
  }

  void ControlWord(std::string_view word, bool has_value, int value) {
    if (word.starts_with("clbrdr") || word.starts_with("trbrdr")) {
      row_borders_ = true;
      return;
    }
    auto it = Words().find(word);
    if (it == Words().end()) return;
    const bool on = !has_value || value != 0;
    RtfCharFormat& chr = st_.chr;
    RtfParaFormat& para = st_.para;
    switch (it->second.word) {
      case Word::Par:
        Paragraph();
        break;
      case Word::Line:
        Text("\n");
        break;
      case Word::Tab:
        Text("\t");
        break;
      case Word::Char:
        Char(it->second.ch);
        break;
      case Word::Bold:
        chr.Bold = on;
        break;
      case Word::Italic:
        chr.Italic = on;
        break;
      case Word::Underline:
        chr.Underline = on;
        break;
      case Word::UnderlineNone:
        chr.Underline = false;
        break;
      case Word::Plain:
        chr = RtfCharFormat{};
        st_.font = -1;
        break;
      case Word::Pard:
        para = RtfParaFormat{};
        st_.in_table = false;
        break;
      case Word::FontSize:
        if (has_value && value > 0) chr.HalfPoints = std::min(value, kMaxHalfPoints);
        break;
      case Word::Font:
        SetFont(value);
        break;
      case Word::Color:
        SetColor(value);
        break;
      case Word::AlignLeft:
        para.Alignment = RtfAlignment::Left;
        break;
      case Word::AlignCenter:
        para.Alignment = RtfAlignment::Center;
        break;
      case Word::AlignRight:
        para.Alignment = RtfAlignment::Right;
        break;
      case Word::AlignJustify:
        para.Alignment = RtfAlignment::Justify;
        break;
      case Word::LeftIndent:
        para.LeftIndent = std::clamp(value, -kMaxTwips, kMaxTwips);
        break;
      case Word::RightIndent:
        para.RightIndent = std::clamp(value, -kMaxTwips, kMaxTwips);
        break;
      case Word::FirstIndent:
        para.FirstIndent = std::clamp(value, -kMaxTwips, kMaxTwips);
        break;
      case Word::RowDefaults:
        cellx_.clear();
        row_borders_ = false;
        break;
      case Word::CellX:
        cellx_.push_back(std::clamp(value, 0, 2 * kMaxTwips));
        break;
      case Word::Cell:
        EndCell();
        break;
      case Word::Row:
        if (st_.dest == Dest::Text) EndRow();
        break;
      case Word::InTable:
        st_.in_table = true;
        break;
      case Word::Unicode:
        Unicode(value);
        break;
      case Word::UnicodeSkip:
        st_.uc = std::clamp(value, 0, 16);
        break;
      case Word::FontTable:
        st_.dest = Dest::FontTable;
        break;
      case Word::ColorTable:
        st_.dest = Dest::ColorTable;
        colors_.clear();
        break;
      case Word::Red:
        SetComponent(red_, value);
        break;
      case Word::Green:
        SetComponent(green_, value);
        break;
      case Word::Blue:
        SetComponent(blue_, value);
        break;
      case Word::DefaultFont:
        default_font_ = value;
        break;
      case Word::DefaultTab:
        if (has_value && value > 0) doc_.DefaultTab = std::min(value, kMaxTwips);
        break;
      case Word::Skip:
        st_.dest = Dest::Skip;
        break;
    }
  }

  void SetFont(int number) {
    if (st_.dest == Dest::FontTable) {
      CommitFont();
      font_entry_ = number;
      return;
    }
    st_.font = number;
    st_.chr.Font = FontName(number);
  }

  std::string FontName(int number) const {
    auto it = fonts_.find(number);
    return it == fonts_.end() ? std::string() : it->second;
  }

  void CommitFont() {
    size_t end = font_name_.find_last_not_of(' ');
    font_name_.resize(end == std::string::npos ? 0 : end + 1);
    if (font_entry_ >= 0 && !font_name_.empty()) fonts_[font_entry_] = font_name_;
    font_name_.clear();
  }

  void SetColor(int index) {
    if (index > 0 && index < static_cast<int>(colors_.size()))
      st_.chr.Color = colors_[static_cast<size_t>(index)];
    else
      st_.chr.Color.reset();
  }

  void SetComponent(int& component, int value) {
    component = std::clamp(value, 0, 255);
    color_set_ = true;
  }

  void CommitColor() {
    std::optional<uint32_t> color;
    if (color_set_) color = static_cast<uint32_t>(red_ << 16 | green_ << 8 | blue_);
    colors_.push_back(color);
    red_ = green_ = blue_ = 0;
    color_set_ = false;
  }

  // \uN: a signed 16-bit unit (negative values count from 65536); pairs of
  // surrogates join, a lone one becomes U+FFFD. The next \ucN characters are skipped.
  void Unicode(int value) {
    char32_t unit = value < 0 ? static_cast<char32_t>(value + 65536) : static_cast<char32_t>(value);
    if (value < -32768 || value > 65535) unit = 0xFFFD;
    if (unit >= 0xDC00 && unit < 0xE000 && high_surrogate_ != 0) {
      char32_t cp = 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (unit - 0xDC00);
      high_surrogate_ = 0;
      Char(cp);
    } else if (unit >= 0xD800 && unit < 0xDC00) {
      FlushSurrogate();
      high_surrogate_ = unit;
    } else {
      Char(unit >= 0xDC00 && unit < 0xE000 ? char32_t{0xFFFD} : unit);
    }
    skip_ = st_.uc;
  }

  void FlushSurrogate() {
    if (high_surrogate_ == 0) return;
    high_surrogate_ = 0;
    Char(0xFFFD);
  }

  void Char(char32_t cp) {
    if (cp < 0x20 && cp != '\t') return;
    if (cp == 0xFFFE || cp == 0xFFFF) cp = 0xFFFD;
    std::string text;
    AppendUtf8(text, cp);
    Text(text);
  }

  // One byte of text (raw or \'hh): Windows-1251; ";" ends a font or colour entry.
  void Byte(unsigned char byte) {
    if (st_.dest == Dest::FontTable && byte == ';') return CommitFont();
    if (st_.dest == Dest::ColorTable && byte == ';') return CommitColor();
    if (byte < 0x20 && byte != '\t') return;
    Text(ByteText(byte));
  }

  void Text(std::string_view utf8) {
    if (high_surrogate_ != 0) FlushSurrogate();
    if (st_.dest == Dest::FontTable) {
      font_name_ += utf8;
      return;
    }
    if (st_.dest != Dest::Text) return;
    if (st_.font < 0) st_.chr.Font = FontName(default_font_);
    if (para_.Runs.empty() || !(para_.Runs.back().Format == st_.chr))
      para_.Runs.push_back(RtfRun{std::string(), st_.chr});
    para_.Runs.back().Text += utf8;
  }

  void TakeFormat() {
    para_.Format = st_.para;
    if (st_.font < 0) st_.chr.Font = FontName(default_font_);
    para_.EndFormat = st_.chr;
  }

  void Paragraph() {
    if (st_.dest != Dest::Text) return;
    FlushSurrogate();
    EndParagraph();
  }

  void EndParagraph() {
    TakeFormat();
    if (st_.in_table) {
      cell_.Paragraphs.push_back(std::move(para_));
    } else {
      if (!row_.Cells.empty() || !cell_.Paragraphs.empty()) EndRow();
      table_open_ = false;
      doc_.Blocks.emplace_back(std::move(para_));
    }
    para_ = RtfParagraph{};
  }

  void EndCell() {
    if (st_.dest != Dest::Text) return;
    FlushSurrogate();
    TakeFormat();
    cell_.Paragraphs.push_back(std::move(para_));
    para_ = RtfParagraph{};
    row_.Cells.push_back(std::move(cell_));
    cell_ = RtfTableCell{};
  }

  void EndRow() {
    if (!para_.Runs.empty() || !cell_.Paragraphs.empty()) EndCell();
    for (size_t i = 0; i < row_.Cells.size() && i < cellx_.size(); ++i)
      row_.Cells[i].RightEdge = cellx_[i];
    row_.Borders = row_borders_;
    if (!table_open_) {
      doc_.Blocks.emplace_back(RtfTable{});
      table_open_ = true;
    }
    std::get<RtfTable>(doc_.Blocks.back()).Rows.push_back(std::move(row_));
    row_ = RtfTableRow{};
  }

  std::string_view in_;
  RtfReaderLimits limits_;
  size_t pos_ = 0;
  std::vector<GroupState> stack_;
  GroupState st_;
  int skip_ = 0;  // \uc fallback characters still to skip
  char32_t high_surrogate_ = 0;

  RtfDocument doc_;
  RtfParagraph para_;
  RtfTableCell cell_;
  RtfTableRow row_;
  std::vector<int> cellx_;
  bool row_borders_ = false;
  bool table_open_ = false;  // the last block is a table that the next row continues

  std::map<int, std::string> fonts_;
  int default_font_ = 0;
  int font_entry_ = -1;
  std::string font_name_;
  std::vector<std::optional<uint32_t>> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool color_set_ = false;
};

}  // namespace

RtfDocument ReadRtf(std::string_view rtf, const RtfReaderLimits& limits) {
  return Reader(rtf, limits).Read();
}

}  // namespace kest
