#include "session/curve_calculator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <set>

#include "expr/expr_errors.h"
#include "expr/expression_parser.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "support/atomic_file.h"
#include "support/code_page.h"
#include "support/stream.h"
#include "support/trim.h"

namespace kest {

// ---- names list -----------------------------------------------------------------

void CalcNameList::Update(const TLogSheet& sheet, const TLogParameters& parameters) {
  for (int i = 0; i < sheet.Count(); ++i) {
    const TLogParameter& p = parameters.Get(sheet.Tracks(i)->Parameter());
    Set(p.Caption, p.Mnemonic);
  }
}

void CalcNameList::Set(std::string_view caption, std::string_view mnemonic) {
  int i = IndexOfCaption(caption);
  if (i >= 0)
    rows_[static_cast<size_t>(i)].Mnemonic = mnemonic;
  else
    rows_.push_back({std::string(caption), std::string(mnemonic)});
}

void CalcNameList::Remove(int i) {
  if (i >= 0 && i < Count()) rows_.erase(rows_.begin() + i);
}

int CalcNameList::IndexOfCaption(std::string_view caption) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Caption == caption) return static_cast<int>(i);
  return -1;
}

namespace {

// ---- formula lines --------------------------------------------------------------

struct Line {
  int Number = 0;    // 1-based line of the text
  std::string Text;  // as written
  int Index = -1;    // the parser's expression
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  int number = 1;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    std::string_view trimmed = Trim(line, kControlOrSpace);
    if (!trimmed.empty() && !trimmed.starts_with("//"))
      lines.push_back({number, std::string(line)});
    if (end == text.size()) break;
    // CR LF counts as one line end.
    pos = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    ++number;
  }
  return lines;
}

// 1-based character (not byte) position of byte `offset` in `line`.
int CharPosition(std::string_view line, size_t offset) {
  int chars = 0;
  for (size_t i = 0; i < offset && i < line.size(); ++i)
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++chars;
  return chars + 1;
}

[[noreturn]] void RaiseAt(const Line& line, size_t offset, const std::string& what) {
  char head[64];
  std::snprintf(head, sizeof head, "Строка %d, позиция %d: ", line.Number,
                CharPosition(line.Text, offset));
  throw ECurveCalcError(head + what);
}

size_t FirstNonBlank(std::string_view text) {
  size_t i = text.find_first_not_of(kControlOrSpace);
  return i == std::string_view::npos ? 0 : i;
}

bool IsNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || std::isdigit(c); }

struct Name {
  std::string Text;  // lower case
  size_t Offset;
};

// The names of a lower-cased line in order, with string literals and numbers
// (decimal, exponent, "$" hexadecimal) passed over as the parser reads them.
std::vector<Name> NamesOf(std::string_view s) {
  std::vector<Name> names;
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c == '\'') {
      size_t j = s.find('\'', i + 1);
      i = j == std::string_view::npos ? s.size() : j + 1;
    } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(s[i + 1]))) {
      while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
      if (i < s.size() && s[i] == 'e') {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
      }
    } else if (c == '$' && i + 1 < s.size() &&
               std::isxdigit(static_cast<unsigned char>(s[i + 1]))) {
      ++i;
      while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
    } else if (IsNameStart(c)) {
      size_t start = i;
      while (i < s.size() && IsNameChar(static_cast<unsigned char>(s[i]))) ++i;
      names.push_back({std::string(s.substr(start, i - start)), start});
    } else {
      ++i;
    }
  }
  return names;
}

// The name a line assigns to ("name := ..."), or empty.
std::string AssignedName(std::string_view lower, const std::vector<Name>& names) {
  if (names.empty()) return {};
  const Name& first = names.front();
  if (first.Offset != FirstNonBlank(lower)) return {};
  std::string_view rest = TrimLeft(lower.substr(first.Offset + first.Text.size()), kControlOrSpace);
  return rest.starts_with(":=") ? first.Text : std::string();
}

// True when the name at `n` is the target of an assignment ("name := ...").
bool IsAssignedAt(std::string_view lower, const Name& n) {
  return TrimLeft(lower.substr(n.Offset + n.Text.size()), kControlOrSpace).starts_with(":=");
}

// Refuses, before anything runs, what would otherwise go unnoticed: a name the parser
// does not know as a function, a bound track or a variable the text assigns (a typo
// that would read as null on every row), and an assignment to the argument.
void CheckNames(const std::vector<Line>& lines, const TExpressionParser& parser,
                const std::set<std::string>& argument_names) {
  for (const Line& line : lines) {
    std::string lower = LowerCase(line.Text);
    std::vector<Name> names = NamesOf(lower);
    std::string target = AssignedName(lower, names);
    if (!target.empty() && argument_names.count(target))
      RaiseAt(line, names.front().Offset,
              "аргумент листа \"" + UpperCase(target) + "\" изменять нельзя");
    for (size_t k = target.empty() ? 0 : 1; k < names.size(); ++k) {
      const Name& n = names[k];
      if (parser.Words().Find(n.Text) != nullptr) continue;
      // A call: the compiler names an unknown function itself.
      if (TrimLeft(std::string_view(lower).substr(n.Offset + n.Text.size()), kControlOrSpace)
              .starts_with("("))
        continue;
      RaiseAt(line, n.Offset,
              "нет кривой с мнемоникой \"" + UpperCase(n.Text) + "\", и значение ей не присвоено");
    }
  }
}

// Where in the line a compile error points: the name the message starts with (or
// names after "String "), else the line's first character.
size_t ErrorOffset(std::string_view lower, std::string_view message) {
  if (message.starts_with("String ")) message.remove_prefix(7);
  size_t space = message.find(' ');
  std::string_view word = message.substr(0, space);
  if (!word.empty() && space != std::string_view::npos) {
    std::string w = LowerCase(word);
    for (const Name& n : NamesOf(lower))
      if (n.Text == w) return n.Offset;
  }
  return FirstNonBlank(lower);
}

// The track a mnemonic stands for: that of the dictionary's first parameter with the
// mnemonic, else one whose own entry carries it (a curve of an exchange file kept in
// its own unit, such as "RHOB(K/M3)" for RHOB).
TLogTrack* TrackOfMnemonic(TLogSheet& sheet, const TLogParameters& parameters,
                           const std::string& mnemonic) {
  if (const TLogParameter* p = parameters.FindByMnemonic(mnemonic))
    if (TLogTrack* t = sheet.FindTrack(p->Name, 0)) return t;
  for (int i = 0; i < sheet.Count(); ++i) {
    TLogTrack* t = sheet.Tracks(i);
    const TLogParameter* p = parameters.Find(t->Parameter());
    if (p && UpperCase(p->Mnemonic) == mnemonic) return t;
  }
  return nullptr;
}

std::string ArgumentText(TLogArgument argument, int64_t value) {
  char text[64];
  if (argument == laTime)
    std::snprintf(text, sizeof text, "время %.3f с", value / 1000.0);
  else
    std::snprintf(text, sizeof text, "глубина %.2f м", value / 1000.0);
  return text;
}

// One name the calculation binds to a slot of its own: a track of the sheet, a track
// to be made from the dictionary, or a variable of the text; for what some line
// assigns to, the values the rows made of it.
struct Binding {
  enum class Kind { Track, NewTrack, Variable };
  std::string Name;  // lower case
  Kind What = Kind::Track;
  TLogTrack* Track = nullptr;            // Kind::Track
  const TLogParameter* Entry = nullptr;  // Kind::NewTrack
  const float* Row0 = nullptr;           // sample of row 0 when the track lies on the row grid
  bool Assigned = false;
  std::vector<float> Out;
};

int64_t SampleIndex(const TLogTrack& t, int64_t argument) {
  int64_t offset = argument - t.Origin();
  if (offset < 0 || offset % t.Step() != 0) return -1;
  int64_t i = offset / t.Step();
  return i < t.Count() ? i : -1;
}

// What the names of the text do: assigned to (anywhere in a line) and read.
struct NameUse {
  std::set<std::string> Assigned;
  std::set<std::string> Read;
};

NameUse UseOf(const std::vector<Line>& lines) {
  NameUse use;
  for (const Line& line : lines) {
    std::string lower = LowerCase(line.Text);
    for (const Name& n : NamesOf(lower))
      (IsAssignedAt(lower, n) ? use.Assigned : use.Read).insert(n.Text);
  }
  return use;
}

// One line as evaluated: the slots it reads and the slots it assigns. A line that
// reads a null (NaN in its slot) is not evaluated: what it assigns becomes null.
struct LinePlan {
  int Index = -1;
  std::vector<const double*> Reads;
  std::vector<double*> Targets;
};

constexpr int64_t kProgressRows = 1 << 16;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

CalcResult CalculateTracks(TLogSheet& sheet, std::string_view text,
                           const TLogParameters& parameters, CalcNameList& names,
                           const CalcProgress& progress, float null_value) {
  if (!sheet.HasRange()) throw ECurveCalcError(kSheetHasNoData);
  CalcResult result;
  if (Trim(text, kControlOrSpace).empty()) return result;

  SheetLock lock(sheet);
  names.Update(sheet, parameters);

  // Only the formulas count: a mnemonic in a "//" line binds nothing.
  std::vector<Line> lines = SplitLines(text);
  std::string code;
  for (const Line& line : lines) code += UpperCase(line.Text) + "\n";
  const NameUse use = UseOf(lines);

  // Inputs: every listed mnemonic the formulas hold, whose track this sheet has.
  std::set<std::string> mnemonics;
  for (int i = 0; i < names.Count(); ++i) {
    std::string m = UpperCase(names[i].Mnemonic);
    if (!m.empty() && code.find(m) != std::string::npos) mnemonics.insert(m);
  }
  std::vector<Binding> bindings;
  std::set<std::string> bound;
  for (const std::string& m : mnemonics) {
    TLogTrack* t = TrackOfMnemonic(sheet, parameters, m);
    if (t == nullptr || t->Count() == 0) continue;
    bindings.push_back({LowerCase(m), Binding::Kind::Track, t, nullptr, nullptr, false, {}});
    bound.insert(LowerCase(m));
    result.Inputs.push_back(m);
  }

  // Rows: the range all inputs share, on the sheet's step.
  int64_t step = sheet.SheetStep();
  if (step <= 0) step = 1;
  int64_t first = sheet.Start(), last = sheet.End();
  if (!bindings.empty()) {
    first = std::numeric_limits<int64_t>::min();
    last = std::numeric_limits<int64_t>::max();
    for (const Binding& b : bindings) {
      first = std::max<int64_t>(first, b.Track->Origin());
      last = std::min<int64_t>(last, b.Track->End());
    }
  }
  int64_t rows = last < first ? 0 : (last - first) / step + 1;

  // The argument reads as metres (seconds) under its own names; it cannot be assigned.
  std::set<std::string> argument_names;
  const char* argument_parameter = ArgumentName(sheet.Argument());
  argument_names.insert(LowerCase(argument_parameter));
  if (const TLogParameter* p = parameters.Find(argument_parameter); p && !p->Mnemonic.empty())
    argument_names.insert(LowerCase(p->Mnemonic));

  // Every other name assigned anywhere: a track the sheet lacks when the dictionary
  // has the mnemonic, else a variable that keeps its value from line to line and row
  // to row (null until first assigned). A variable nothing reads is noted: its
  // values go nowhere.
  for (const std::string& a : use.Assigned) {
    if (bound.count(a) || argument_names.count(a)) continue;
    const TLogParameter* entry = parameters.FindByMnemonic(a);
    if (entry != nullptr) {
      bindings.push_back({a, Binding::Kind::NewTrack, nullptr, entry, nullptr, true, {}});
      continue;
    }
    bindings.push_back({a, Binding::Kind::Variable, nullptr, nullptr, nullptr, false, {}});
    if (!use.Read.count(a))
      result.Notices.push_back(UpperCase(a) + " — не кривая листа: значения не сохранены");
  }

  // Bound tracks first: a depth track read from a file keeps its own samples.
  auto parser = std::make_unique<TExpressionParser>('.');
  std::vector<double> slots(bindings.size() + 1, kNaN);
  std::map<std::string, double*> slot_of;
  for (size_t k = 0; k < bindings.size(); ++k) {
    parser->DefineVariable(bindings[k].Name, &slots[k]);
    slot_of.emplace(bindings[k].Name, &slots[k]);
  }
  double& argument_slot = slots.back();
  for (const std::string& a : argument_names) {
    parser->DefineVariable(a, &argument_slot);
    slot_of.emplace(a, &argument_slot);
  }

  CheckNames(lines, *parser, argument_names);
  std::vector<LinePlan> plans;
  for (Line& line : lines) {
    try {
      line.Index = parser->AddExpression(line.Text);
    } catch (const EExpressionError& e) {
      RaiseAt(line, ErrorOffset(LowerCase(line.Text), e.what()), e.what());
    }
    if (line.Index < 0) continue;
    LinePlan plan;
    plan.Index = line.Index;
    const std::string lower = LowerCase(line.Text);
    for (const Name& n : NamesOf(lower)) {
      auto it = slot_of.find(n.Text);
      if (it == slot_of.end()) continue;
      if (IsAssignedAt(lower, n))
        plan.Targets.push_back(it->second);
      else
        plan.Reads.push_back(it->second);
    }
    plans.push_back(std::move(plan));
  }

  for (Binding& b : bindings) {
    if (b.What == Binding::Kind::Track) {
      const TLogTrack& t = *b.Track;
      if (t.Step() == step && (first - t.Origin()) % step == 0)
        b.Row0 = t.Samples() + (first - t.Origin()) / step;
      b.Assigned = use.Assigned.count(b.Name) > 0;
    }
    if (b.Assigned) b.Out.resize(static_cast<size_t>(rows));
  }

  // Tracks on the row grid are read straight from their samples; the others (another
  // step, off the grid) sample by sample. A null sample reads as NaN. A track still
  // to be made holds no value at the start of a row.
  struct Direct {
    const float* row0;
    double* slot;
  };
  struct Output {
    float* out;
    const double* slot;
  };
  std::vector<Direct> direct;
  std::vector<size_t> indirect;
  std::vector<double*> fresh;
  std::vector<const double*> variables;
  std::vector<Output> outputs;
  for (size_t k = 0; k < bindings.size(); ++k) {
    const Binding& b = bindings[k];
    if (b.What == Binding::Kind::Variable) variables.push_back(&slots[k]);
    if (b.What == Binding::Kind::NewTrack)
      fresh.push_back(&slots[k]);
    else if (b.What == Binding::Kind::Track && b.Row0 != nullptr)
      direct.push_back({b.Row0, &slots[k]});
    else if (b.What == Binding::Kind::Track)
      indirect.push_back(k);
    if (b.Assigned) outputs.push_back({bindings[k].Out.data(), &slots[k]});
  }
  auto read = [null_value](float v) {
    return IsNullSample(v, null_value) ? kNaN : static_cast<double>(v);
  };

  // Evaluate; results are kept aside until every row succeeded.
  // Rows go in blocks: each track's part of a block is copied in one sequential pass
  // (twenty tracks read row by row would stall on memory), then the rows are
  // evaluated from the copy, which stays in cache.
  // A row whose slots hold no null at its start evaluates every line straight away;
  // only a row with a null checks line by line what each reads.
  constexpr int64_t kBlock = 256;
  std::vector<double> block(direct.size() * kBlock);
  std::vector<uint8_t> block_null(kBlock);
  const size_t width = direct.size();
  const bool always_check = !indirect.empty() || !fresh.empty();
  for (int64_t b0 = 0; b0 < rows; b0 += kBlock) {
    const int64_t b1 = std::min(rows, b0 + kBlock);
    std::fill(block_null.begin(), block_null.end(), uint8_t{0});
    for (size_t k = 0; k < width; ++k) {
      const float* from = direct[k].row0 + b0;
      for (int64_t r = b0; r < b1; ++r) {
        const double v = read(*from++);
        block[static_cast<size_t>(r - b0) * width + k] = v;
        block_null[static_cast<size_t>(r - b0)] |= std::isnan(v);
      }
    }
    for (int64_t r = b0; r < b1; ++r) {
      const double* row = block.data() + static_cast<size_t>(r - b0) * width;
      for (size_t k = 0; k < width; ++k) *direct[k].slot = row[k];
      for (size_t k : indirect) {
        int64_t i = SampleIndex(*bindings[k].Track, first + r * step);
        slots[k] = i < 0 ? kNaN : read(bindings[k].Track->Sample(static_cast<int32_t>(i)));
      }
      for (double* s : fresh) *s = kNaN;
      argument_slot = static_cast<double>(first + r * step) / 1000.0;
      bool check = always_check || block_null[static_cast<size_t>(r - b0)] != 0;
      for (const double* s : variables) check |= std::isnan(*s);
      size_t at = 0;
      try {
        if (!check)
          for (; at < plans.size(); ++at) parser->Evaluate(plans[at].Index);
        for (; at < plans.size(); ++at) {
          const LinePlan& plan = plans[at];
          bool reads_null = false;
          for (const double* s : plan.Reads) reads_null |= std::isnan(*s);
          if (reads_null) {
            for (double* s : plan.Targets) *s = kNaN;
            continue;
          }
          parser->Evaluate(plan.Index);
        }
      } catch (const EExpressionError& e) {
        const Line* line = nullptr;
        for (const Line& l : lines)
          if (l.Index == plans[at].Index) line = &l;
        RaiseAt(
            *line, FirstNonBlank(line->Text),
            std::string(e.what()) + " (" + ArgumentText(sheet.Argument(), first + r * step) + ")");
      }
      for (const Output& o : outputs)
        o.out[r] = std::isnan(*o.slot) ? null_value : static_cast<float>(*o.slot);
    }
    if (progress && b1 / kProgressRows != b0 / kProgressRows && !progress(b1, rows))
      throw ECurveCalcCancelled("Вычисление прервано.");
  }
  if (progress && !progress(rows, rows)) throw ECurveCalcCancelled("Вычисление прервано.");

  // Every row succeeded: write back what changed, make the new tracks (on the rows'
  // grid, in the direction of the first input).
  const TLogTrack* model = !bindings.empty() && bindings.front().What == Binding::Kind::Track
                               ? bindings.front().Track
                               : sheet.Tracks(0);
  const bool ascending = model->Ascending();
  for (Binding& b : bindings) {
    if (!b.Assigned) continue;
    if (b.What == Binding::Kind::NewTrack) {
      if (rows == 0) continue;
      TLogTrack* t = sheet.NewTrack(b.Entry->Name);
      t->SetArgument(sheet.Argument());
      t->SetStep(static_cast<int32_t>(step));
      t->SetOrigin(static_cast<int32_t>(first));
      t->SetAscending(ascending);
      t->LoadSamples(b.Out.data(), static_cast<int32_t>(rows));
      result.Created.push_back(UpperCase(b.Entry->Mnemonic));
      result.Changed = true;
      continue;
    }
    TLogTrack& t = *b.Track;
    int64_t offset = b.Row0 != nullptr ? b.Row0 - t.Samples() : 0;
    for (int64_t r = 0; r < rows; ++r) {
      int64_t i = b.Row0 != nullptr ? offset + r : SampleIndex(t, first + r * step);
      if (i < 0) continue;
      float value = b.Out[static_cast<size_t>(r)];
      float old = t.Sample(static_cast<int32_t>(i));
      // A null stays the null it was (NaN or the null value).
      if (IsNullSample(value, null_value) && IsNullSample(old, null_value)) continue;
      // Bit for bit on purpose: -0 for 0 or another NaN is a change the file keeps.
      // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
      if (std::memcmp(&value, &old, sizeof value) != 0) {
        t.SetSample(static_cast<int32_t>(i), value);
        result.Changed = true;
      }
    }
  }
  if (!result.Created.empty()) {
    sheet.UpdateRange();
    sheet.MarkStructureChanged();
    names.Update(sheet, parameters);
  }
  result.Rows = rows;
  return result;
}

// ---- function chooser -------------------------------------------------------------

const std::vector<CalcFunctionEntry>& CalcFunctionEntries() {
  static const std::vector<CalcFunctionEntry> entries = {
      {"()", "() = Скобки"},
      {"abs()", "abs(x) = Абсолютное значение"},
      {"arccos()", "arccos(x) = Арккосинус х"},
      {"arccosh()", "arccosh(x) = inverse hyperbolic cosine in rad"},
      {"arcsin()", "arcsin(x) = Арксинус"},
      {"arcsinh()", "arcsinh(x) = inverse hyperbolic sine in rad"},
      {"cos()", "cos(x) = Косинус"},
      {"cosh()", "cosh(x) = гиперболический косинус"},
      {"degtorad()", "degtorad(x) = преобразование из градусов в радианы"},
      {"exp()", "exp(x) = Экспонента"},
      {"if(,,)", "if(x1,x2,x3) = Если x1=Истинно(или 1) то x2, иначе x3"},
      {"ln()", "ln(x) = Натуральный логарифм"},
      {"log10()", "log10(x) = Десятичный логарифм"},
      {"logn(,)", "logn(x1,x2) = Логарифм х1"},
      {"max(,)", "max(x1,x2) = Большее из x1 и x2"},
      {"min(,)", "min(x1,x2) = Меньшее из x1 и x2"},
      {"pi", "pi = 3.1415926535897932385"},
      {"radtodeg()", "radtodeg(x) = Преобразование из радиан в градусы"},
      {"randg(,)", "randg(x1,x2) = Draw from normal distrib. (mean=x1, sd =x2"},
      {"random", "random = Случайное число от 0 до1"},
      {"round()", "round(x) = округление до ближайшего целого"},
      {"sin()", "sin(x) = Синус"},
      {"sinh()", "sinh(x) = гиперболический синус"},
      {"sqr()", "sqr(x) = Возведение в квадрат"},
      {"sqrt()", "sqrt(x) = Квадратный корень числа"},
      {"tanh()", "tanh(x) = гиперболический тангенс"},
      {"trunc()", "trunc(x) = Целая часть числа"},
      {"!", "! = Факториал"},
      {"%", "% = Процент"},
      {"-@", "-@ = Отрицательное число"},
      {"+@", "+@ = Положительное число"},
      {"^", "^ = Возведение в степень"},
      {"^@", "^@ = Возведение в степень"},
      {"*", "* = Умножение"},
      {"/", "/ = Деление"},
      {"div", "div = Целочисленное деление"},
      {"mod", "mod = Остаток от деления"},
      {"+", "+ = Сложение"},
      {"-", "- = Вычитание"},
      {">", "> = Больше"},
      {">=", ">= = Больне или равно"},
      {"<=", "<= = Меньше или равно"},
      {"<", "< = Меньше"},
      {"<>", "<> = Не равно"},
      {"=", "= = Равно"},
      {"in", "in = in"},
      {"not", "not = не"},
      {"or", "or = или"},
      {"and", "and = и"},
      {"xor", "xor = xor"},
      {":=", ":= = Присвоить"},
  };
  return entries;
}

// ---- formula files --------------------------------------------------------------

std::vector<std::string> LoadFormulaFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  std::string text =
      DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

void SaveFormulaFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  WriteFileAtomically(path, text);
}

}  // namespace kest
