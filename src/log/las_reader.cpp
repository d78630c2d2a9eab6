#include "log/las_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/las_filer.h"
#include "log/las_numbers.h"
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

namespace {

constexpr double kArgumentLimit = std::numeric_limits<int32_t>::max();
// More curves than any log from the field carries; each track takes a buffer of
// its own, so the count is bounded before the data is read.
constexpr size_t kMaxCurves = 10000;

// "MNEM.UNIT  VALUE : DESCRIPTION": the mnemonic before the first '.', the unit
// from there to the first blank, the value up to the last ':', the description
// after it.
struct HeaderLine {
  std::string Mnemonic, Units, Value, Description;
};

HeaderLine SplitHeaderLine(std::string_view line) {
  HeaderLine h;
  size_t dot = line.find('.');
  h.Mnemonic = Trim(line.substr(0, dot), kSpaceTab);
  if (dot == std::string_view::npos) return h;
  size_t colon = line.rfind(':');
  if (colon != std::string_view::npos && colon < dot) colon = std::string_view::npos;
  std::string_view rest = line.substr(
      dot + 1, colon == std::string_view::npos ? std::string_view::npos : colon - dot - 1);
  size_t blank = rest.find_first_of(kSpaceTab);
  h.Units = rest.substr(0, blank);
  if (blank != std::string_view::npos) h.Value = Trim(rest.substr(blank), kSpaceTab);
  if (colon != std::string_view::npos) h.Description = Trim(line.substr(colon + 1), kSpaceTab);
  return h;
}

class LasReader {
 public:
  // `size` is the stream's length, the bound of the room reserved for the data.
  LasReader(TLogSheet& sheet, const TLasOptions& options, TLogParameters& dictionary, int64_t size)
      : sheet_(sheet), options_(options), dictionary_(dictionary), size_(size) {}

  // One line as it came from the file (code page 866, not trimmed).
  void Line(std::string_view raw) {
    ++line_number_;
    std::string_view line = Trim(raw, kSpaceTab);
    if (line.empty() || line.front() == '#') return;
    if (section_ == 'A' && !skipping_ && line.front() != '~') {
      Data(line);
      return;
    }
    if (line.front() == '~') {
      Section(line);
      return;
    }
    if (skipping_) return;
    switch (section_) {
      case 'V':
        Version(Decode(line));
        break;
      case 'W':
        Well(Decode(line));
        break;
      case 'C':
        Curve(Decode(line));
        break;
      case 'O':
        sheet_.Comments().Add(Decode(line));
        break;
      default:
        break;  // lines before any section
    }
  }

  void Finish() {
    if (!argument_known_) throw ELasFilerError("В файле нет описания кривых");
    if (field_ != 0) throw ELasFilerError("Последняя строка данных неполная" + AtLine());
    LoadTracks();
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
    // Without a listener the notices go to the diagnostic log.
    for (const auto& notice : notices_) {
      if (options_.OnWarning)
        options_.OnWarning(notice);
      else
        Diag().Note(notice);
    }
  }

 private:
  static std::string Decode(std::string_view line) {
    return IsAscii(line) ? std::string(line) : Cp866ToUtf8(line);
  }
  std::string AtLine() const { return " (строка " + std::to_string(line_number_) + ")"; }

  void Section(std::string_view line) {
    if (line.size() < 2) throw ELasFilerError("Unsigned section found");
    char letter = line[1];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    std::string name(1, letter);
    if (std::string_view("VWCOA").find(letter) == std::string_view::npos) {
      // The parameter section is standard LAS; other letters are told to the user.
      // Either way its lines are not read as lines of another section.
      if (letter != 'P') notices_.push_back("Unknown section tag \"" + Decode(name) + "\"");
      skipping_ = true;
      return;
    }
    if (seen_.find(letter) != std::string::npos)
      throw ELasFilerError("Dup section \"" + name + "\"");
    seen_ += letter;
    skipping_ = false;
    section_ = letter;
    if (letter == 'A') StartData();
  }

  // A header number: finite, else a conversion error naming the line.
  double HeaderNumber(const HeaderLine& h) const {
    auto v = ParseFloat(h.Value);
    if (!v || !std::isfinite(*v))
      throw EConvertError("Недопустимое значение " + h.Mnemonic + ": \"" + h.Value + "\"" +
                          AtLine());
    return *v;
  }

  // An argument in thousandths of a metre (second) from a header number in the
  // file's unit, inside the argument range.
  static int64_t Thousandths(double value, double factor, const char* what, const std::string& text,
                             const std::string& at) {
    double thousandths = value * factor * 1000;
    if (std::fabs(thousandths) > kArgumentLimit)
      throw ELasFilerError(std::string(what) + " вне диапазона аргумента: \"" + text + "\"" + at);
    return RoundHalfEven(thousandths);
  }
  struct Number {
    double value = 0;
    std::string text, at;
  };
  Number HeaderArgument(const HeaderLine& h, const char* what) const {
    Number n{HeaderNumber(h), h.Value, AtLine()};
    Thousandths(n.value, 1, what, n.text, n.at);
    return n;
  }

  void Version(const std::string& line) {
    HeaderLine h = SplitHeaderLine(line);
    std::string upper = UpperCase(h.Mnemonic);
    if (upper == "WRAP") {
      wrapped_ = UpperCase(h.Value).rfind("YES", 0) == 0;
    } else if (upper == "VERS") {
      auto v = ParseFloat(h.Value);
      if (v && *v >= 3.0)
        throw ELasFilerError("Версия LAS " + h.Value + " не поддерживается" + AtLine());
      old_version_ = v && *v < 2.0;
    }
  }

  void Well(const std::string& line) {
    HeaderLine h = SplitHeaderLine(line);
    std::string upper = UpperCase(h.Mnemonic);
    // LAS 1.2 keeps the text items in the description, the item's name in the value
    // ("COMP.  COMPANY:  ANY OIL"); files laid out as 2.0 keep the value.
    static const char* const kLabels[] = {"COMPANY", "SERVICE COMPANY", "FIELD", "PARTY", "WELL"};
    bool label =
        h.Value.empty() || std::any_of(std::begin(kLabels), std::end(kLabels),
                                       [&](const char* l) { return SameText(h.Value, l); });
    const std::string& text = old_version_ && label ? h.Description : h.Value;
    if (upper == "STRT") {
      start_header_ = HeaderArgument(h, "Начало записи (STRT)");
      start_units_ = h.Units;
      SetGrid(1);
    } else if (upper == "STEP") {
      step_header_ = HeaderArgument(h, "Шаг (STEP)");
      SetGrid(1);
    } else if (upper == "NULL") {
      // A NULL that is no number marks nothing: the values are read as they stand.
      auto v = ParseFloat(h.Value);
      if (!v || !std::isfinite(*v) || std::fabs(*v) > std::numeric_limits<float>::max()) {
        notices_.push_back("Значение NULL \"" + h.Value + "\"" + AtLine() +
                           (v ? " вне диапазона чисел" : " не является числом") +
                           ": пропуски в файле не распознаются, значения прочитаны как записаны.");
        has_null_ = false;
      } else {
        null_ = static_cast<float>(*v);
        has_null_ = true;
      }
    } else if (upper == "COMP") {
      company_ = text;
    } else if (upper == "SRVC") {
      service_company_ = text;
    } else if (upper == "PRTY") {
      party_ = text;
    } else if (upper == "FLD") {
      oilfield_ = text;
    }
  }

  void Curve(const std::string& line) {
    HeaderLine h = SplitHeaderLine(line);
    if (h.Mnemonic.empty()) return;
    if (!argument_known_) {
      // The first curve is the argument: its dictionary entry must be DEPTH or TIME.
      const TLogParameter* entry = dictionary_.FindByMnemonic(h.Mnemonic);
      sheet_.SetArgument(StrToArgument(entry ? entry->Name : h.Mnemonic));
      argument_known_ = true;
      if (sheet_.Argument() == laTime) {
        time_argument_ = true;
        return;  // the time column is the argument itself
      }
      const std::string& units = h.Units.empty() ? start_units_ : h.Units;
      if (IsFeet(units)) {
        factor_ = kFootInMetres;
        SetGrid(factor_);
        notices_.push_back("Глубина в файле записана в футах (\"" + units +
                           "\"): глубины, STRT, STOP и STEP переведены в метры" +
                           (std::fabs(step_header_.value * factor_ * 1000 - step_) > 1e-6
                                ? " (шаг " + FormatFixed(step_header_.value * factor_, 4) +
                                      " м взят как " + FormatFixed(step_ / 1000.0, 3) + " м)."
                                : "."));
      } else if (!units.empty() && !SameUnits(units, "м")) {
        notices_.push_back("Глубина в файле записана в единицах \"" + units +
                           "\": значения прочитаны как метры.");
      }
      AddTrack(dictionary_.Get(ArgumentName(laDepth)));
      return;
    }
    AddTrack(CurveEntry(dictionary_, h.Mnemonic, h.Units, notices_));
  }

  void AddTrack(const TLogParameter& entry) {
    if (columns_.size() >= kMaxCurves)
      throw ELasFilerError("Слишком много кривых в файле (больше " + std::to_string(kMaxCurves) +
                           ")" + AtLine());
    TLogTrack* track = sheet_.NewTrack(entry.Name);
    track->SetStep(step_ < 0 ? -step_ : step_);  // raises for a zero step
    track->SetAscending(step_ > 0);
    columns_.push_back(track);
  }

  static bool IsFeet(const std::string& units) {
    std::string u = UpperCase(units);
    return u == "F" || u == "FT" || u == "FEET" || u == "FOOT";
  }
  // The grid in thousandths of a metre (second) from the header's numbers.
  void SetGrid(double factor) {
    start_ = Thousandths(start_header_.value, factor, "Начало записи (STRT)", start_header_.text,
                         start_header_.at);
    step_ = static_cast<int32_t>(
        Thousandths(step_header_.value, factor, "Шаг (STEP)", step_header_.text, step_header_.at));
  }

  void StartData() {
    if (!argument_known_) throw ELasFilerError("Раздел данных перед описанием кривых" + AtLine());
    values_.resize(columns_.size());
    skip_ = time_argument_ ? 1 : 0;
    width_ = columns_.size() + skip_;
  }

  // Fields are separated by runs of blanks or tabs. A row is one line, or for a
  // wrapped file as many lines as it takes to give every curve its value.
  void Data(std::string_view line) {
    if (rows_ == 0 && field_ == 0) Reserve(line.size());
    const char* p = line.data();
    const char* end = p + line.size();
    for (;;) {
      while (p < end && (*p == ' ' || *p == '\t')) ++p;
      if (p == end) break;
      const char* start = p;
      while (p < end && *p != ' ' && *p != '\t') ++p;
      if (field_ == width_) throw ELasFilerError("Значений в строке больше, чем кривых" + AtLine());
      float v;
      if (!ParseLasNumber(start, p, v))
        throw EConvertError("\"" + Decode(std::string_view(start, static_cast<size_t>(p - start))) +
                            "\" не является числом" + AtLine());
      const bool index_null = field_ == 0 && Index(start, p, v);
      if (field_ >= skip_) {
        size_t column = field_ - skip_;
        if (index_null) {
          v = options_.NullValue;  // the depth curve keeps no depth there
        } else if (column > 0 || time_argument_) {
          if (has_null_ && v == null_) {
            v = options_.NullValue;
          } else if (IsNullSample(v, options_.NullValue)) {
            // A measurement that reads as the program's "no data".
            if (taken_for_null_++ == 0) taken_for_null_at_ = line_number_;
          }
        } else if (factor_ != 1) {
          v = static_cast<float>(v * factor_);
        }
        values_[column].push_back(v);
      }
      ++field_;
    }
    if (field_ == width_) {
      field_ = 0;
      if (++rows_ >= std::numeric_limits<int32_t>::max())
        throw ELasFilerError("Слишком много строк данных" + AtLine());
    } else if (!wrapped_) {
      throw ELasFilerError("Значений в строке меньше, чем кривых" + AtLine());
    }
  }

  // Notes the row's index (depth or time) as the file writes it, checked against
  // STRT + n * STEP. The file's NULL there, where it is not the row's own position,
  // is a missing index (NaN): returns true.
  bool Index(const char* begin, const char* end, float v) {
    double x = v;
    if (*begin != '+') std::from_chars(begin, end, x);
    if (index_.empty()) index_.reserve(values_.empty() ? 0 : values_[0].capacity());
    const double expected = start_header_.value + static_cast<double>(rows_) * step_header_.value;
    const bool apart = std::fabs((x - expected) * factor_ * 1000) >= 1;
    if (has_null_ && v == null_ && apart) {
      if (index_nulls_++ == 0) index_null_row_ = rows_ + 1;
      index_.push_back(std::nan(""));
      return true;
    }
    if (apart && parted_row_ == 0) {
      parted_row_ = rows_ + 1;
      parted_line_ = line_number_;
      parted_value_ = x;
      parted_expected_ = expected;
    }
    index_.push_back(x);
    return false;
  }

  // Room for as many rows as lines like the first one fill the stream; never more
  // than the stream could hold at two bytes a value.
  void Reserve(size_t line_length) {
    if (width_ == 0 || size_ <= 0) return;
    auto bound = static_cast<size_t>(size_) / (2 * width_) + 16;
    size_t rows = std::min(bound, static_cast<size_t>(size_) / (line_length + 1) + 16);
    for (auto& v : values_) v.reserve(rows);
  }

  // Places the rows. An index that keeps to STRT + n * STEP (or is missing) leaves
  // them on that grid; one that parts from it is told, and the rows go where the
  // index puts them: on its own grid when it is regular, else each at its index
  // value on the grid of STEP (a position met again takes the later row).
  void LoadTracks() {
    if (rows_ == 0) return;
    const char* what = time_argument_ ? "время" : "глубина";
    if (index_nulls_ > 0 && parted_row_ == 0)
      notices_.push_back("В колонке " + std::string(time_argument_ ? "времени" : "глубины") + " " +
                         std::to_string(index_nulls_) + " значений NULL (первое в строке данных " +
                         std::to_string(index_null_row_) + "): строки размещены по STRT + n·STEP.");
    if (parted_row_ == 0) {
      LoadOnGrid(start_, step_);
    } else {
      std::string notice = "Строка данных " + std::to_string(parted_row_) + " (строка файла " +
                           std::to_string(parted_line_) + "): " + what + " " +
                           FormatGeneral(parted_value_, 10) + " не совпадает с STRT + " +
                           std::to_string(parted_row_ - 1) +
                           "·STEP = " + FormatGeneral(parted_expected_, 10) + "; ";
      if (auto grid = RegularIndex()) {
        notice += "строки размещены по колонке " +
                  std::string(time_argument_ ? "времени" : "глубины") + " (начало " +
                  FormatGeneral(grid->first / 1000.0, 10) + ", шаг " +
                  FormatGeneral(grid->second / 1000.0, 10) + ").";
        for (TLogTrack* t : columns_) {
          t->SetStep(grid->second < 0 ? -grid->second : grid->second);
          t->SetAscending(grid->second > 0);
        }
        LoadOnGrid(grid->first, grid->second);
      } else {
        int64_t replaced = PlaceByIndex();
        notice += "строки размещены по значениям " +
                  std::string(time_argument_ ? "времени" : "глубины") + " с шагом STEP";
        notice += replaced > 0 ? "; " + std::to_string(replaced) +
                                     " строк на уже встреченных значениях заменили прежние."
                               : ".";
        LoadOnGrid(placed_start_, step_);
      }
      notices_.push_back(notice);
    }
    if (taken_for_null_ > 0)
      notices_.push_back(std::to_string(taken_for_null_) + " значений в файле (первое в строке " +
                         std::to_string(taken_for_null_at_) +
                         ") равны значению отсутствия данных программы " +
                         FormatGeneral(options_.NullValue, 7) +
                         ", а NULL файла другой: они показаны как пропуски.");
    for (TLogTrack* t : columns_) {
      const int32_t n = t->Count();
      int32_t nulls = 0;
      for (int32_t i = 0; i < n; ++i) nulls += IsNullSample(t->Sample(i), options_.NullValue);
      if (n > 0 && nulls == n)
        notices_.push_back("Кривая \"" + t->Parameter() +
                           "\" не содержит ни одного значения (все NULL).");
    }
  }

  // The index in thousandths, from a value of the file's unit.
  int64_t IndexThousandths(double x) const {
    double t = x * factor_ * 1000;
    if (!(std::fabs(t) <= kArgumentLimit))
      throw ELasFilerError("Данные выходят за пределы диапазона аргумента");
    return RoundHalfEven(t);
  }

  // The first argument and the step of an index that keeps one step of its own from
  // its first row (missing values aside).
  std::optional<std::pair<int64_t, int32_t>> RegularIndex() const {
    if (index_.size() < 2 || std::isnan(index_[0]) || std::isnan(index_[1])) return std::nullopt;
    const double d = index_[1] - index_[0];
    const int64_t step = RoundHalfEven(d * factor_ * 1000);
    if (step == 0 || std::fabs(static_cast<double>(step)) > kArgumentLimit) return std::nullopt;
    for (size_t n = 2; n < index_.size(); ++n) {
      if (std::isnan(index_[n])) continue;
      if (std::fabs((index_[n] - index_[0] - static_cast<double>(n) * d) * factor_ * 1000) >= 1)
        return std::nullopt;
    }
    return std::make_pair(IndexThousandths(index_[0]), static_cast<int32_t>(step));
  }

  // Lays the rows out at their index values on the grid of STEP (a missing index
  // follows the row before); returns how many rows a later one replaced.
  int64_t PlaceByIndex() {
    size_t first = 0;
    while (first < index_.size() && std::isnan(index_[first])) ++first;
    const int64_t base = IndexThousandths(index_[first]);
    std::vector<int64_t> slot(index_.size());
    int64_t low = 0, high = 0;
    for (size_t n = 0; n < index_.size(); ++n) {
      if (n < first) {
        slot[n] = static_cast<int64_t>(n) - static_cast<int64_t>(first);
      } else if (std::isnan(index_[n])) {
        slot[n] = slot[n - 1] + 1;
      } else {
        slot[n] = RoundHalfEven(static_cast<double>(IndexThousandths(index_[n]) - base) / step_);
      }
      low = std::min(low, slot[n]);
      high = std::max(high, slot[n]);
    }
    const int64_t size = high - low + 1;
    if (size > std::max<int64_t>(int64_t{1} << 24, rows_ * 16))
      throw ELasFilerError("Значения колонки индекса разбросаны слишком широко для шага STEP");
    placed_start_ = base + low * step_;
    if (placed_start_ < std::numeric_limits<int32_t>::min() ||
        placed_start_ + (size - 1) * step_ > std::numeric_limits<int32_t>::max() ||
        placed_start_ + (size - 1) * step_ < std::numeric_limits<int32_t>::min())
      throw ELasFilerError("Данные выходят за пределы диапазона аргумента");
    int64_t replaced = 0;
    std::vector<char> taken(static_cast<size_t>(size), 0);
    for (size_t n = 0; n < index_.size(); ++n) {
      char& t = taken[static_cast<size_t>(slot[n] - low)];
      replaced += t;
      t = 1;
    }
    for (auto& column : values_) {
      std::vector<float> laid(static_cast<size_t>(size), options_.NullValue);
      for (size_t n = 0; n < column.size(); ++n)
        laid[static_cast<size_t>(slot[n] - low)] = column[n];
      column.swap(laid);
    }
    rows_ = size;
    return replaced;
  }

  // Every column has a value in every row, so each track runs from the first row's
  // argument to the last one's; a track logged downwards (negative step) holds the
  // last row first.
  void LoadOnGrid(int64_t first_argument, int32_t step) {
    int64_t last = first_argument + (rows_ - 1) * int64_t{step};
    if (first_argument < std::numeric_limits<int32_t>::min() ||
        first_argument > std::numeric_limits<int32_t>::max() ||
        last < std::numeric_limits<int32_t>::min() || last > std::numeric_limits<int32_t>::max())
      throw ELasFilerError("Данные выходят за пределы диапазона аргумента");
    auto count = static_cast<int32_t>(rows_);
    for (size_t c = 0; c < columns_.size(); ++c) {
      TLogTrack* t = columns_[c];
      std::vector<float>& v = values_[c];
      t->SetOrigin(static_cast<int32_t>(std::min(first_argument, last)));
      if (step > 0) {
        t->LoadSamples(v.data(), count);
      } else {
        t->LoadSamples(count,
                       [&](float* samples) { std::reverse_copy(v.begin(), v.end(), samples); });
      }
      std::vector<float>().swap(v);
    }
  }

  TLogSheet& sheet_;
  const TLasOptions& options_;
  TLogParameters& dictionary_;
  int64_t size_;
  std::vector<std::string> notices_;
  char section_ = 0;
  std::string seen_;
  bool skipping_ = false;
  bool wrapped_ = false;
  bool old_version_ = false;
  int64_t line_number_ = 0;
  int64_t start_ = 0;  // the grid in thousandths of a metre (second)
  int32_t step_ = 0;
  Number start_header_, step_header_;  // as the file gives them
  std::string start_units_;
  double factor_ = 1;  // file unit to metres
  static constexpr double kFootInMetres = 0.3048;
  std::vector<double> index_;  // the index column, NaN where missing
  int64_t index_nulls_ = 0, index_null_row_ = 0;
  int64_t parted_row_ = 0, parted_line_ = 0;  // the first row off STRT + n * STEP
  double parted_value_ = 0, parted_expected_ = 0;
  int64_t placed_start_ = 0;
  int64_t taken_for_null_ = 0, taken_for_null_at_ = 0;
  float null_ = 0;
  bool has_null_ = false;
  bool argument_known_ = false;
  bool time_argument_ = false;
  std::vector<TLogTrack*> columns_;
  std::vector<std::vector<float>> values_;
  size_t skip_ = 0, width_ = 0, field_ = 0;
  int64_t rows_ = 0;
  std::string company_, service_company_, party_, oilfield_;
};

// Where the line starting at `from` ends: the first CR or LF.
const char* LineEnd(const char* from, const char* end) {
  const void* lf = std::memchr(from, '\n', static_cast<size_t>(end - from));
  const char* stop = lf ? static_cast<const char*>(lf) : end;
  const void* cr = std::memchr(from, '\r', static_cast<size_t>(stop - from));
  return cr ? static_cast<const char*>(cr) : stop;
}

}  // namespace

void ReadLas(Stream& stream, TLogSheet& sheet, const TLasOptions& options,
             TLogParameters& dictionary, const std::function<void(int percent)>& progress) {
  int64_t size = stream.Remaining();
  LasReader reader(sheet, options, dictionary, size);
  // Blocks of 256 KB; a line ends at CR, LF or CR LF (files from other systems end
  // lines either way); byte 26 ends the text.
  std::vector<char> block(size_t{256} * 1024);
  std::string carry;
  int64_t done = 0;
  int next_report = 10;
  bool ended = false;
  bool after_cr = false;  // a block ended with CR: a LF opening the next one belongs to it
  while (!ended) {
    size_t n = stream.Read(block.data(), block.size());
    if (n == 0) break;
    done += static_cast<int64_t>(n);
    const char* p = block.data();
    const char* end = p + n;
    if (const void* eof = std::memchr(p, '\x1A', n)) {
      end = static_cast<const char*>(eof);
      ended = true;
    }
    if (after_cr && p < end && *p == '\n') ++p;
    after_cr = false;
    while (p < end) {
      const char* stop = LineEnd(p, end);
      if (stop == end) {
        carry.append(p, end);
        break;
      }
      if (carry.empty()) {
        reader.Line(std::string_view(p, static_cast<size_t>(stop - p)));
      } else {
        carry.append(p, stop);
        reader.Line(carry);
        carry.clear();
      }
      p = stop + 1;
      if (*stop == '\r') {
        if (p < end && *p == '\n')
          ++p;
        else if (p == end)
          after_cr = true;
      }
    }
    while (progress && size > 0 && done * 100 / size >= next_report && next_report < 100) {
      progress(next_report);
      next_report += 10;
    }
  }
  if (!carry.empty()) reader.Line(carry);
  reader.Finish();
}

}  // namespace kest
