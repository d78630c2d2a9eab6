#include "log/las_filer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "log/las_numbers.h"
#include "log/las_reader.h"
#include "log/las_units.h"
#include "log/log_errors.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/null_sample.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"
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

// ---------------------------------------------------------------------------
// Export

// A name as a LAS mnemonic: nothing that splits the line, and not opening with '#'
// or '~' (a comment, a section).
std::string Mnemonic(std::string_view name) {
  std::string mnemonic = LasWord(name);
  if (mnemonic.empty() || mnemonic[0] == '#' || mnemonic[0] == '~') mnemonic.insert(0, "_");
  return mnemonic;
}

struct HeaderLine {
  const char* text;  // the line with one %36... conversion
  int value;         // which value goes in
};

enum HeaderValue { hvNone, hvStart, hvStop, hvStep, hvNull, hvParam };

// The well section written without a template. Params keys follow in order.
const char* const kDefaultParamKeys[] = {"company",        "well",  "oilfield", "Location",
                                         "Province",       "date",  "ID",       "wellgroup",
                                         "servicecompany", "party", "goal"};
const char* const kDefaultParamLines[] = {"COMP.      %36s : Подрядчик",
                                          "WELL.      %36s : Скважина",
                                          "FLD.       %36s : Месторождение",
                                          "LOC.       %36s : Страна",
                                          "PROV.      %36s : ",
                                          "DATE.      %36s : Дата",
                                          "UWI.       %36s : Уникальный ID",
                                          "KUST.      %36s : Куст",
                                          "SRVC.      %36s : Исполнитель",
                                          "PRTY.      %36s : Партия",
                                          "COMM.      %36s: Исследование"};

std::string ParamValue(const TLogSheet& sheet, std::string_view key) {
  int i = sheet.Params().IndexOfName(key);
  return i < 0 ? std::string() : sheet.Params().ValueFromIndex(i);
}

// Floor and ceiling of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

class LasWriter {
 public:
  LasWriter(Stream& stream, TLogSheet& sheet, const TLasOptions& options,
            TLogParameters& dictionary, const ProgressCallback& progress)
      : stream_(stream),
        sheet_(sheet),
        options_(options),
        dictionary_(dictionary),
        progress_(progress) {}

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
      case hvStart:
        return (up_ ? sheet_.End() : sheet_.Start()) / 1000.0;
      case hvStop:
        return (up_ ? sheet_.Start() : sheet_.End()) / 1000.0;
      case hvStep:
        return (up_ ? -r_ : r_) / 1000.0;
      default:
        return options_.NullValue;
    }
  }

  void Header() {
    if (!options_.TemplateFile.empty() && FileExists(options_.TemplateFile)) {
      TemplateHeader();
      return;
    }
    Line("~Version information");
    // The value after the dot and blanks, where LAS readers look for it.
    Line("VERS.                 2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0");
    Line("WRAP.                  NO : ONE LINE PER DEPTH STEP");
    Line("~Well information");
    Line("#--- ----- ------------------------------------ ---------------------");
    const HeaderLine numbers[] = {{"STRT.M     %36.2f : Начало записи", hvStart},
                                  {"STOP.M     %36.2f : Конец записи", hvStop},
                                  {"STEP.M     %36.2f : Шаг", hvStep},
                                  {"NULL.      %36.2f : Отсутсвие значения", hvNull}};
    for (const auto& h : numbers) Line(FormatTemplateLine(h.text, nullptr, Number(h.value)));
    for (size_t i = 0; i < std::size(kDefaultParamKeys); ++i) {
      std::string value = HeaderParam(kDefaultParamKeys[i]);
      if (std::string_view(kDefaultParamKeys[i]) == "servicecompany") value = ServiceCompany();
      Line(FormatTemplateLine(kDefaultParamLines[i], &value, 0));
    }
  }

  void TemplateHeader() {
    auto bytes = ReadWholeFile(options_.TemplateFile);
    StringList lines;
    lines.SetText(DecodeTextFile(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    struct Key {
      const char* mnemonic;
      int number;  // hvNone for a Params string
      const char* param;
    };
    const Key keys[] = {{"STRT", hvStart, nullptr},    {"STOP", hvStop, nullptr},
                        {"STEP", hvStep, nullptr},     {"NULL", hvNull, nullptr},
                        {"COMP", hvNone, "company"},   {"SRVC", hvNone, "ServiceCompany"},
                        {"PRTY", hvNone, "party"},     {"FLD", hvNone, "oilfield"},
                        {"KUST", hvNone, "wellgroup"}, {"WELL", hvNone, "well"},
                        {"COMM", hvNone, "goal"},      {"DATE", hvNone, "date"},
                        {"TIME", hvNone, "time"},      {"PROV", hvNone, "Province"},
                        {"LOC", hvNone, "Location"},   {"UWI", hvNone, "ID"},
                        {"API", hvNone, "API"}};
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
        std::string value = std::string_view(key->param) == "ServiceCompany"
                                ? ServiceCompany()
                                : HeaderParam(key->param);
        Line(FormatTemplateLine(line, &value, 0));
      } else {
        // The template's STRT/STOP are the sheet's range as it lies.
        double v = key->number == hvStart  ? sheet_.Start() / 1000.0
                   : key->number == hvStop ? sheet_.End() / 1000.0
                   : key->number == hvStep ? r_ / 1000.0
                                           : options_.NullValue;
        Line(FormatTemplateLine(line, nullptr, v));
      }
    }
  }

  // A header parameter of the sheet; a recorded log without a date is dated by the
  // start of its recording.
  std::string HeaderParam(const char* key) const {
    std::string value = ParamValue(sheet_, key);
    if (value.empty() && std::string_view(key) == "date") value = ParamValue(sheet_, "StartTime");
    return value;
  }

  // The sheet's service company (either spelling), else the organisation of the settings.
  std::string ServiceCompany() const {
    std::string value =
        ParamValue(sheet_, sheet_.Params().IndexOfName("servicecompany") < 0 ? "ServiceCompany"
                                                                             : "servicecompany");
    return value.empty() ? options_.Organisation : value;
  }

  // The dictionary entry of a parameter. One the tables do not describe (a curve
  // of another company's file, saved in an earlier run) goes out under its own name
  // in "у.е.", with a warning.
  TLogParameter EntryOf(const std::string& parameter) {
    try {
      return dictionary_.Get(parameter);
    } catch (const ELogParametersError&) {
      TLogParameter entry;
      entry.Name = entry.Caption = parameter;
      entry.Mnemonic = Mnemonic(parameter);
      entry.Units = "у.е.";
      std::string message = "Отсутствует описание параметра \"" + parameter +
                            "\": кривая записана как \"" + entry.Mnemonic + "\" в у.е.";
      if (options_.OnWarning)
        options_.OnWarning(message);
      else
        Diag().Note(message);
      return entry;
    }
  }

  // "MNEM.UNIT  : offset m  number caption"; mnemonic and unit without blanks, dots
  // or colons that would split them, the caption without colons.
  void CurveLine(const TLogParameter& entry, std::string_view units, double offset, int number) {
    std::string mnemonic = Mnemonic(entry.Mnemonic.empty() ? entry.Name : entry.Mnemonic);
    std::string caption = entry.Caption;
    std::replace(caption.begin(), caption.end(), ':', ';');
    std::string line = Pad(mnemonic, 4, true) + "." + Pad(LasWord(units, " \t:"), 33, true) + ": ";
    line += Pad(FormatFixed(offset, 2), 4, false) + " m  ";
    line += Pad(std::to_string(number), 2, false) + " " + caption;
    Line(line);
  }

  void Curves() {
    Line("~Curve information");
    int number = 1;
    if (time_log_) CurveLine(EntryOf("TIME"), "c", 0, number++);
    const TLogTrack* first = sheet_.Tracks(0);
    bool any = false;
    for (int i : own_) {
      const TLogTrack* t = sheet_.Tracks(i);
      TLogParameter entry = EntryOf(t->Parameter());
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
    // Rows from one end of the data to the other; when the range is no whole number
    // of steps, one row more takes the samples of the last part step.
    int64_t rows = (int64_t{b_} - a_ + r_ - 1) / r_ + 1;
    // Rows are formatted straight into a buffer flushed every megabyte.
    constexpr size_t kFlush = 1 << 20;
    null_text_ = FormatFixed(options_.NullValue, 2);
    const size_t row_room = 32 + std::max<size_t>(48, null_text_.size() + 1) * (written.size() + 1);
    std::vector<char> out(kFlush + row_room);
    char* p = out.data();
    for (int64_t row = 0; row < rows; ++row) {
      int64_t x = up_ ? int64_t{b_} - row * r_ : int64_t{a_} + row * r_;
      p = PutLasArgument(p, x);
      *p++ = ' ';
      for (const TLogTrack* t : written) {
        float v = LasPeakValue(*t, x, r_, s_, options_.NullValue, up_);
        if (IsNullSample(v, options_.NullValue)) {
          // The very text of the header's NULL, so that readers match it.
          p = std::copy(null_text_.begin(), null_text_.end(), p);
        } else {
          p = PutLasValue(p, v);
        }
        *p++ = ' ';
      }
      *p++ = '\r';
      *p++ = '\n';
      if (static_cast<size_t>(p - out.data()) >= kFlush) {
        stream_.Write(out.data(), static_cast<size_t>(p - out.data()));  // data text is plain ASCII
        p = out.data();
        if (progress_) progress_(static_cast<int>(row * 100 / rows));
      }
    }
    stream_.Write(out.data(), static_cast<size_t>(p - out.data()));
  }

  Stream& stream_;
  TLogSheet& sheet_;
  const TLasOptions& options_;
  TLogParameters& dictionary_;
  const ProgressCallback& progress_;
  std::string text_;
  std::string null_text_;
  std::vector<int> own_;
  int32_t r_ = 10, s_ = 1;
  int32_t a_ = 0, b_ = 0;
  bool up_ = false, time_log_ = false;
};

}  // namespace

float LasPeakValue(const TLogTrack& t, int64_t x, int64_t r, int64_t s, float null_value, bool up) {
  const int64_t n = std::max<int64_t>(1, (2 * r + s) / (2 * s));
  const int64_t offset = x - t.Origin();
  int64_t from, to;
  if (up) {
    from = FloorDiv(offset, s);
    to = from + n - 1;
  } else {
    to = CeilDiv(offset, s);
    from = to - n + 1;
  }
  from = std::max<int64_t>(from, 0);
  to = std::min<int64_t>(to, int64_t{t.Count()} - 1);
  bool any = false;
  float peak = null_value;
  for (int64_t i = from; i <= to; ++i) {
    float v = t.Sample(static_cast<int32_t>(i));
    if (IsNullSample(v, null_value)) continue;
    if (!any || v > peak) peak = v;
    any = true;
  }
  return peak;
}

void TLasFiler::Write(Stream& stream, TLogSheet& sheet) {
  LasWriter writer(stream, sheet, options_, Dictionary(), OnProgress);
  writer.Run();
}

void TLasFiler::Read(Stream& stream, TLogSheet& sheet) {
  sheet.Params().Clear();
  sheet.Comments().Clear();
  ReadLas(stream, sheet, options_, Dictionary(), [this](int percent) { Progress(percent); });
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
      while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])) &&
             precision < 100)
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
