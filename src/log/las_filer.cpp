#include "log/las_filer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "log/log_errors.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "support/code_page.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/stream.h"
#include "support/trim.h"

namespace kest {

TLogParameters& TLasFiler::Dictionary() const {
  return options_.Dictionary ? *options_.Dictionary : LogParameters();
}

namespace {

constexpr const char* kCrLf = "\r\n";

size_t CodePoints(std::string_view s) {
  size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string FirstCodePoints(const std::string& s, size_t count) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && n++ == count) return s.substr(0, i);
  }
  return s;
}

// printf's width for text: counted in characters, not UTF-8 bytes.
std::string Pad(std::string_view s, int width, bool left) {
  size_t n = CodePoints(s);
  if (width <= 0 || n >= static_cast<size_t>(width)) return std::string(s);
  std::string fill(static_cast<size_t>(width) - n, ' ');
  return left ? std::string(s) + fill : fill + std::string(s);
}

// Delphi's "0.###": at most three decimals, no trailing zeros.
void AppendValue(std::string& out, float value) {
  if (!std::isfinite(value)) {
    out += "0";
    return;
  }
  char buffer[64];
  double v = value;
  std::to_chars_result r = std::fabs(v) < 1e15 ? std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3)
                                               : std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 9);
  std::string_view text(buffer, static_cast<size_t>(r.ptr - buffer));
  if (text.find('.') != std::string_view::npos && text.find('e') == std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  if (text == "-0") text = "0";
  out += text;
}

// ---------------------------------------------------------------------------
// Export

struct HeaderLine {
  const char* text;  // the line with one %36... conversion
  int value;         // which value goes in
};

enum HeaderValue { hvNone, hvStart, hvStop, hvStep, hvNull, hvParam };

// The well section written without a template. Params keys follow in order.
const char* const kDefaultParamKeys[] = {"company", "well", "oilfield", "Location", "Province", "date",
                                         "ID", "wellgroup", "servicecompany", "party", "goal"};
const char* const kDefaultParamLines[] = {
    "COMP.      %36s : Подрядчик",     "WELL.      %36s : Скважина",   "FLD.       %36s : Месторождение",
    "LOC.       %36s : Страна",        "PROV.      %36s : ",          "DATE.      %36s : Дата",
    "UWI.       %36s : Уникальный ID", "KUST.      %36s : Куст",       "SRVC.      %36s : Исполнитель",
    "PRTY.      %36s : Партия",        "COMM.      %36s: Исследование"};

std::string ParamValue(const TLogSheet& sheet, std::string_view key) {
  int i = sheet.Params().IndexOfName(key);
  return i < 0 ? std::string() : sheet.Params().ValueFromIndex(i);
}

// The value of a track at argument x: the sample there within the first export
// step of the logging direction, else the peak over the step just logged (the
// samples behind x in that direction); the null value outside the track.
float ValueAt(const TLogTrack& t, int64_t x, int32_t r, int32_t s, float null_value, bool up) {
  if (t.Count() == 0 || x < t.Origin() || x > t.End()) return null_value;
  int64_t index = (x - t.Origin()) / s;
  int64_t travelled = up ? int64_t{t.End()} - x : x - t.Origin();
  if (travelled <= r) return t.Sample(static_cast<int32_t>(index));
  int64_t span = RoundHalfEven(static_cast<double>(r) / s);
  int64_t from = up ? index : (x - t.Origin() - r) / s;
  int64_t to = std::min<int64_t>(from + span, t.Count() - 1);
  float peak = null_value;
  for (int64_t i = from; i <= to; ++i) peak = std::max(peak, t.Sample(static_cast<int32_t>(i)));
  return peak;
}

class LasWriter {
 public:
  LasWriter(Stream& stream, TLogSheet& sheet, const TLasOptions& options, TLogParameters& dictionary,
            const ProgressCallback& progress)
      : stream_(stream), sheet_(sheet), options_(options), dictionary_(dictionary), progress_(progress) {}

  void Run() {
    sheet_.UpdateRange();
    if (!sheet_.IsAligned()) throw ELasFilerError("Sheet is not LAS-compatible");
    if (!sheet_.HasRange()) throw ELasFilerError("No data to save");
    r_ = std::clamp(options_.StepCm, 1, 20) * 10;
    s_ = sheet_.SheetStep();
    up_ = !sheet_.Tracks(sheet_.Count() > 1 ? 1 : 0)->Ascending();
    time_log_ = sheet_.Argument() == laTime;
    for (int i = 0; i < sheet_.Count(); ++i)
      if (!sheet_.Tracks(i)->Foreign()) own_.push_back(i);

    Header();
    Curves();
    if (!sheet_.Comments().Empty()) {
      Line("~Other information");
      for (const auto& line : sheet_.Comments()) Line(line);
    }
    Line("~ASCII Log Data");
    FlushText();
    Data();
  }

 private:
  void Line(std::string_view text) {
    text_ += text;
    text_ += kCrLf;
  }
  // Header text goes out in code page 866.
  void FlushText() {
    std::string bytes = Utf8ToCp866(text_);
    stream_.Write(bytes.data(), bytes.size());
    text_.clear();
  }

  double Number(int which) const {
    switch (which) {
      case hvStart: return (up_ ? sheet_.End() : sheet_.Start()) / 1000.0;
      case hvStop: return (up_ ? sheet_.Start() : sheet_.End()) / 1000.0;
      case hvStep: return (up_ ? -r_ : r_) / 1000.0;
      default: return options_.NullValue;
    }
  }

  void Header() {
    if (!options_.TemplateFile.empty() && FileExists(options_.TemplateFile)) {
      TemplateHeader();
      return;
    }
    Line("~Version information");
    Line("VERS  .2.0                 :   CWLS LOG ASCII STANDARD - VERSION 2.0");
    Line("WRAP  .NO                  :   ONE LINE PER DEPTH STEP");
    Line("~Well information");
    Line("#--- ----- ------------------------------------ ---------------------");
    const HeaderLine numbers[] = {{"STRT.M     %36.2f : Начало записи", hvStart},
                                  {"STOP.M     %36.2f : Конец записи", hvStop},
                                  {"STEP.M     %36.2f : Шаг", hvStep},
                                  {"NULL.      %36.2f : Отсутсвие значения", hvNull}};
    for (const auto& h : numbers) Line(FormatTemplateLine(h.text, nullptr, Number(h.value)));
    for (size_t i = 0; i < std::size(kDefaultParamKeys); ++i) {
      std::string value = ParamValue(sheet_, kDefaultParamKeys[i]);
      if (std::string_view(kDefaultParamKeys[i]) == "servicecompany") value = ServiceCompany();
      Line(FormatTemplateLine(kDefaultParamLines[i], &value, 0));
    }
  }

  void TemplateHeader() {
    auto bytes = ReadWholeFile(options_.TemplateFile);
    StringList lines;
    lines.SetText(DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    struct Key {
      const char* mnemonic;
      int number;            // hvNone for a Params string
      const char* param;
    };
    const Key keys[] = {{"STRT", hvStart, nullptr},  {"STOP", hvStop, nullptr},   {"STEP", hvStep, nullptr},
                        {"NULL", hvNull, nullptr},   {"COMP", hvNone, "company"}, {"SRVC", hvNone, "ServiceCompany"},
                        {"PRTY", hvNone, "party"},   {"FLD", hvNone, "oilfield"}, {"KUST", hvNone, "wellgroup"},
                        {"WELL", hvNone, "well"},    {"COMM", hvNone, "goal"},    {"DATE", hvNone, "date"},
                        {"TIME", hvNone, "time"},    {"PROV", hvNone, "Province"}, {"LOC", hvNone, "Location"},
                        {"UWI", hvNone, "ID"},       {"API", hvNone, "API"}};
    for (const auto& raw : lines) {
      if (raw.find('%') == std::string::npos) {
        Line(raw);
        continue;
      }
      std::string mnemonic(Trim(Trim(raw, kSpaceTab).substr(0, 5), kSpaceTab));
      mnemonic = mnemonic.substr(0, mnemonic.find('.'));
      const Key* key = nullptr;
      for (const auto& k : keys)
        if (mnemonic == k.mnemonic) key = &k;
      if (!key) continue;  // a value nobody knows: the line is dropped
      std::string line = raw.substr(0, 255);
      if (key->param) {
        std::string value =
            std::string_view(key->param) == "ServiceCompany" ? ServiceCompany() : ParamValue(sheet_, key->param);
        Line(FormatTemplateLine(line, &value, 0));
      } else {
        // The template's STRT/STOP are the sheet's range as it lies.
        double v = key->number == hvStart ? sheet_.Start() / 1000.0
                   : key->number == hvStop ? sheet_.End() / 1000.0
                   : key->number == hvStep ? r_ / 1000.0
                                           : options_.NullValue;
        Line(FormatTemplateLine(line, nullptr, v));
      }
    }
  }

  // The sheet's service company (either spelling), else the organisation of the settings.
  std::string ServiceCompany() const {
    std::string value = ParamValue(sheet_, sheet_.Params().IndexOfName("servicecompany") < 0 ? "ServiceCompany"
                                                                                           : "servicecompany");
    return value.empty() ? options_.Organisation : value;
  }

  void CurveLine(const TLogParameter& entry, std::string_view units, double offset, int number) {
    std::string line = Pad(entry.Mnemonic, 4, true) + "." + Pad(units, 33, true) + ": ";
    line += Pad(FormatFixed(offset, 2), 4, false) + " m  ";
    line += Pad(std::to_string(number), 2, false) + " " + entry.Caption;
    Line(line);
  }

  void Curves() {
    Line("~Curve information");
    int number = 1;
    if (time_log_) {
      const TLogParameter& time = dictionary_.Get("TIME");
      std::string line = Pad(time.Mnemonic, 4, true) + "." + Pad("c", 33, true) + ": 0.00 m  " +
                         Pad(std::to_string(number++), 2, false) + " " + time.Caption;
      Line(line);
    }
    const TLogTrack* first = sheet_.Tracks(0);
    bool any = false;
    for (int i : own_) {
      const TLogTrack* t = sheet_.Tracks(i);
      const TLogParameter& entry = dictionary_.Get(t->Parameter());
      CurveLine(entry, entry.Units, (int64_t{t->Origin()} - first->Origin()) / 1000.0, number++);
      if (!any || t->Origin() < a_) a_ = t->Origin();
      if (!any || t->End() > b_) b_ = t->End();
      any = true;
    }
  }

  void Data() {
    std::vector<const TLogTrack*> written;
    for (int i : own_)
      if (time_log_ || i >= 1) written.push_back(sheet_.Tracks(i));
    int64_t rows = (int64_t{b_} - a_) / r_ + 1;
    std::string out;
    out.reserve(1 << 20);
    char number[32];
    for (int64_t row = 0; row < rows; ++row) {
      int64_t x = up_ ? int64_t{b_} - row * r_ : int64_t{a_} + row * r_;
      auto res = std::to_chars(number, number + sizeof number, x / 1000.0, std::chars_format::fixed, 2);
      out.append(number, res.ptr);
      out += ' ';
      for (const TLogTrack* t : written) {
        AppendValue(out, ValueAt(*t, x, r_, s_, options_.NullValue, up_));
        out += ' ';
      }
      out += kCrLf;
      if (out.size() > (1 << 20) - 4096) {
        stream_.Write(out.data(), out.size());  // data text is plain ASCII
        out.clear();
        if (progress_) progress_(static_cast<int>(row * 100 / rows));
      }
    }
    stream_.Write(out.data(), out.size());
  }

  Stream& stream_;
  TLogSheet& sheet_;
  const TLasOptions& options_;
  TLogParameters& dictionary_;
  const ProgressCallback& progress_;
  std::string text_;
  std::vector<int> own_;
  int32_t r_ = 10, s_ = 1;
  int32_t a_ = 0, b_ = 0;
  bool up_ = false, time_log_ = false;
};

// ---------------------------------------------------------------------------
// Import

class LasReader {
 public:
  LasReader(TLogSheet& sheet, const TLasOptions& options, TLogParameters& dictionary)
      : sheet_(sheet), options_(options), dictionary_(dictionary) {}

  // One line as it came from the file (code page 866, not trimmed).
  void Line(std::string_view raw) {
    ++line_number_;
    std::string_view line = Trim(raw, kSpaceTab);
    if (line.empty() || line.front() == '#') return;
    if (line.front() == '~') {
      Section(line);
      return;
    }
    if (skipping_) return;
    switch (section_) {
      case 'V': Version(Decode(line)); break;
      case 'W': Well(Decode(line)); break;
      case 'C': Curve(Decode(line)); break;
      case 'O': sheet_.Comments().Add(Decode(line)); break;
      case 'A': Data(line); break;
      default: break;  // lines before any section
    }
  }

  void Finish() {
    if (columns_.empty() && !time_argument_) throw ELasFilerError("No curves found in the file");
    auto set = [&](const char* key, const std::string& value) {
      if (value.empty()) {
        int i = sheet_.Params().IndexOfName(key);
        if (i >= 0) sheet_.Params().Delete(i);
      } else {
        sheet_.Params().SetValue(key, value);
      }
    };
    set("company", company_);
    set("servicecompany", service_company_);
    set("party", party_);
    set("oilfield", oilfield_);
    set("well", "");
  }

 private:
  static std::string Decode(std::string_view line) {
    return IsAscii(line) ? std::string(line) : Cp866ToUtf8(line);
  }
  std::string AtLine() const { return " (line " + std::to_string(line_number_) + ")"; }

  void Section(std::string_view line) {
    if (line.size() < 2) throw ELasFilerError("Unsigned section found");
    char letter = line[1];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    std::string name(1, letter);
    if (std::string_view("VWCOA").find(letter) == std::string_view::npos) {
      // The parameter section is standard LAS; other letters are told to the user.
      // Either way its lines are not read as lines of another section.
      if (letter != 'P' && options_.OnWarning) options_.OnWarning("Unknown section tag \"" + Decode(name) + "\"");
      skipping_ = true;
      return;
    }
    if (seen_.find(letter) != std::string::npos) throw ELasFilerError("Dup section \"" + name + "\"");
    seen_ += letter;
    skipping_ = false;
    section_ = letter;
    if (letter == 'A') StartData();
  }

  // "MNEM.UNIT  value : description": mnemonic before the first '.', value from the
  // first blank after it to the last ':'.
  static void SplitHeaderLine(const std::string& line, std::string& mnemonic, std::string& value) {
    auto dot = line.find('.');
    mnemonic = Trim(line.substr(0, dot), kSpaceTab);
    if (dot == std::string::npos) {
      value.clear();
      return;
    }
    auto space = line.find(' ', dot);
    auto colon = line.rfind(':');
    if (space == std::string::npos || (colon != std::string::npos && colon < space)) {
      value.clear();
      return;
    }
    value = Trim(line.substr(space, colon == std::string::npos ? std::string::npos : colon - space),
                 kSpaceTab);
  }

  double HeaderNumber(const std::string& text, const char* what) const {
    auto v = ParseFloat(text);
    if (!v || !std::isfinite(*v)) throw EConvertError("\"" + text + "\" is not a valid " + what + " value" + AtLine());
    return *v;
  }

  void Version(const std::string& line) {
    std::string mnemonic, value;
    SplitHeaderLine(line, mnemonic, value);
    std::string upper = UpperCase(mnemonic);
    if (upper == "WRAP" && UpperCase(value).rfind("YES", 0) == 0)
      throw ELasFilerError("Wrapped LAS files are not supported" + AtLine());
    if (upper == "VERS") {
      auto v = ParseFloat(value);
      if (v && *v >= 3.0) throw ELasFilerError("LAS version " + value + " is not supported" + AtLine());
    }
  }

  void Well(const std::string& line) {
    std::string mnemonic, value;
    SplitHeaderLine(line, mnemonic, value);
    std::string upper = UpperCase(mnemonic);
    if (upper == "STRT") {
      start_ = RoundHalfEven(HeaderNumber(value, "STRT") * 1000);
    } else if (upper == "STEP") {
      step_ = RoundHalfEven32(HeaderNumber(value, "STEP") * 1000);
    } else if (upper == "NULL") {
      null_ = static_cast<float>(HeaderNumber(value, "NULL"));
      has_null_ = true;
    } else if (upper == "COMP") {
      company_ = value;
    } else if (upper == "SRVC") {
      service_company_ = value;
    } else if (upper == "PRTY") {
      party_ = value;
    } else if (upper == "FLD") {
      oilfield_ = value;
    }
  }

  void Curve(const std::string& line) {
    std::string mnemonic(Trim(line.substr(0, line.find('.')), kSpaceTab));
    if (mnemonic.empty()) return;
    if (rows_ > 0) throw ELasFilerError("Curve section after the data" + AtLine());
    const TLogParameter& entry = dictionary_.GetByMnemonic(mnemonic);
    if (!argument_known_) {
      argument_known_ = true;
      sheet_.SetArgument(StrToArgument(entry.Name));
      if (sheet_.Argument() == laTime) {
        time_argument_ = true;
        return;  // the time column is the argument itself
      }
    }
    TLogTrack* track = sheet_.NewTrack(entry.Name);
    track->SetStep(step_ < 0 ? -step_ : step_);  // raises for a zero step
    track->SetAscending(step_ > 0);
    columns_.push_back(track);
  }

  void StartData() {
    if (!argument_known_) throw ELasFilerError("Data section before the curves" + AtLine());
    fields_.resize(columns_.size() + (time_argument_ ? 1 : 0));
  }

  void Data(std::string_view line) {
    if (section_ != 'A') return;
    // Split at runs of blanks; every value must be a number.
    size_t expected = fields_.size();
    size_t n = 0;
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end) {
      while (p < end && *p == ' ') ++p;
      if (p == end) break;
      const char* start = p;
      while (p < end && *p != ' ') ++p;
      if (n == expected) throw ELasFilerError("More values than curves" + AtLine());
      float v;
      auto res = std::from_chars(start, p, v);
      if (res.ec != std::errc() || res.ptr != p) {
        if (res.ec == std::errc::result_out_of_range && res.ptr == p) {
          v = *start == '-' ? -HUGE_VALF : HUGE_VALF;
        } else {
          throw EConvertError("\"" + Decode(std::string_view(start, static_cast<size_t>(p - start))) +
                              "\" is not a valid floating point value" + AtLine());
        }
      }
      fields_[n++] = v;
    }
    if (n < expected) throw ELasFilerError("Fewer values than curves" + AtLine());
    size_t first = time_argument_ ? 1 : 0;
    int64_t argument = start_ + rows_ * int64_t{step_};
    for (size_t i = 0; i < columns_.size(); ++i) {
      float v = fields_[first + i];
      if (has_null_ && v == null_) v = 0.0f;
      TLogTrack* t = columns_[i];
      if (t->Count() == 0) {
        // The first value sits at this row's argument whichever way the track grows.
        int64_t origin = t->Ascending() ? argument : argument + t->Step();
        t->SetOrigin(static_cast<int32_t>(std::clamp<int64_t>(origin, INT32_MIN, INT32_MAX)));
      }
      t->Append(v);
    }
    ++rows_;
  }

  TLogSheet& sheet_;
  const TLasOptions& options_;
  TLogParameters& dictionary_;
  char section_ = 0;
  std::string seen_;
  bool skipping_ = false;
  int64_t line_number_ = 0;
  int64_t start_ = 0;
  int32_t step_ = 0;
  float null_ = 0;
  bool has_null_ = false;
  bool argument_known_ = false;
  bool time_argument_ = false;
  std::vector<TLogTrack*> columns_;
  std::vector<float> fields_;
  int64_t rows_ = 0;
  std::string company_, service_company_, party_, oilfield_;
};

}  // namespace

void TLasFiler::Write(Stream& stream, TLogSheet& sheet) {
  LasWriter writer(stream, sheet, options_, Dictionary(), OnProgress);
  writer.Run();
}

void TLasFiler::Read(Stream& stream, TLogSheet& sheet) {
  sheet.Params().Clear();
  sheet.Comments().Clear();
  LasReader reader(sheet, options_, Dictionary());
  // 16 KB blocks; a line ends at CR or LF (files from other systems end lines with
  // LF alone); byte 26 ends the text.
  std::vector<char> block(16 * 1024);
  std::string carry;
  int64_t size = stream.Remaining();
  int64_t done = 0;
  int next_report = 10;
  bool ended = false;
  while (!ended) {
    size_t n = stream.Read(block.data(), block.size());
    if (n == 0) break;
    done += static_cast<int64_t>(n);
    std::string_view chunk(block.data(), n);
    if (auto eof = chunk.find('\x1A'); eof != std::string_view::npos) {
      chunk = chunk.substr(0, eof);
      ended = true;
    }
    size_t pos = 0;
    while (pos < chunk.size()) {
      size_t stop = pos;
      while (stop < chunk.size() && chunk[stop] != '\r' && chunk[stop] != '\n') ++stop;
      if (stop == chunk.size()) {
        carry.append(chunk.substr(pos));
        break;
      }
      if (carry.empty()) {
        reader.Line(chunk.substr(pos, stop - pos));
      } else {
        carry.append(chunk.substr(pos, stop - pos));
        reader.Line(carry);
        carry.clear();
      }
      pos = stop + 1;
      if (chunk[stop] == '\r' && pos < chunk.size() && chunk[pos] == '\n') ++pos;
    }
    while (size > 0 && done * 100 / size >= next_report && next_report < 100) {
      Progress(next_report);
      next_report += 10;
    }
  }
  if (!carry.empty()) reader.Line(carry);
  reader.Finish();
}

// ---------------------------------------------------------------------------

std::string FormatTemplateLine(const std::string& line, const std::string* text, double number) {
  std::string out;
  bool used = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      out += line[i];
      continue;
    }
    if (i + 1 < line.size() && line[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // %[-+ 0#]*[width][.precision]conversion
    size_t j = i + 1;
    bool left = false;
    while (j < line.size() && std::strchr("-+ 0#", line[j])) left |= line[j++] == '-';
    int width = 0, precision = -1;
    while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])) && width < 1000)
      width = width * 10 + (line[j++] - '0');
    if (j < line.size() && line[j] == '.') {
      precision = 0;
      ++j;
      while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])) && precision < 100)
        precision = precision * 10 + (line[j++] - '0');
    }
    if (j >= line.size() || used || !std::strchr("sdfeEgG", line[j])) {
      out += line.substr(i, j - i + (j < line.size() ? 1 : 0));
      i = j;
      continue;
    }
    char conversion = line[j];
    std::string value;
    if (conversion == 's') {
      value = text ? *text : FormatFloat(number);
      if (precision >= 0) value = FirstCodePoints(value, static_cast<size_t>(precision));
    } else if (conversion == 'd') {
      value = std::to_string(text ? ParseInt64(*text).value_or(0) : RoundHalfEven(number));
    } else {
      double v = text ? ParseFloat(*text).value_or(0) : number;
      int p = precision < 0 ? 6 : precision;
      value = conversion == 'f' ? FormatFixed(v, p) : FormatGeneral(v, p == 0 ? 1 : p);
    }
    out += Pad(value, width, left);
    used = true;
    i = j;
  }
  return out;
}

}  // namespace kest
