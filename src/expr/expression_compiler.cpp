#include "expr/expression_compiler.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string>

#include "expr/expr_errors.h"
#include "expr/express_list.h"
#include "support/assert.h"
#include "support/code_page.h"
#include "support/trim.h"

namespace kest {

namespace {

// Hostile input limits: a longer text or deeper nesting is refused with an error
// instead of exhausting memory or the stack.
constexpr size_t kMaxExpressionLength = 1'000'000;
constexpr int kMaxNesting = 256;
constexpr int kMissing = -1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsGenerated(const TExprWord* w) { return dynamic_cast<const TGeneratedVariable*>(w); }
bool IsAssignable(const TExprWord* w) {
  return IsGenerated(w) || dynamic_cast<const TDoubleVariable*>(w);
}
// A constant, a variable or a string: something with a value of its own.
bool IsOperand(TExprWord* w) {
  return w->AsPointer() != nullptr || w->ResultType() == ExprType::kString;
}
bool IsOperation(const TExprWord* w) { return w->Evaluator() != nullptr; }
int PrecedenceOf(const TExprWord* w) { return static_cast<const TFunction*>(w)->Precedence(); }

struct Token {
  TExprWord* word;
  bool integral_literal = false;  // a number written without the decimal separator
};

struct Node {
  TExprWord* word;
  std::array<int, 4> args{kMissing, kMissing, kMissing, kMissing};
};

class Compilation {
 public:
  Compilation(std::string_view text, TExpressList& words,
              std::vector<std::unique_ptr<TExprWord>>& extra, const CompilerSettings& settings)
      : text_(text), words_(words), extra_(extra), settings_(settings) {
    left_ = Standard("(");
    right_ = Standard(")");
    separator_ = Standard(std::string_view(&settings.arg_separator, 1));
    minus_ = Standard("-");
    plus_ = Standard("+");
    negate_ = Standard("-@");
    identity_ = Standard("+@");
    not_ = Standard("not");
    power_ = Standard("^");
    int_power_ = Standard("^@");
    assign_ = Standard(":=");
  }

  ExprChain Run() {
    Tokenize();
    CheckBrackets();
    RewriteSigns();
    CollapseNots();
    CheckNeighbours();
    RewriteIntegerPowers();
    ReplaceStringComparisons();
    MatchBrackets();
    Build(0, tokens_.size());
    CheckNodes();
    if (settings_.optimize) Fold();
    return Flatten();
  }

 private:
  TExprWord* Standard(std::string_view name) {
    TExprWord* w = words_.Find(name);
    KEST_ASSERT(w != nullptr);
    return w;
  }

  [[noreturn]] void SyntaxError() const {
    throw EParserException("Syntax error in expression " + std::string(text_));
  }

  // ---- tokens ---------------------------------------------------------------------

  void Tokenize() {
    const std::string_view s = text_;
    size_t i = 0;
    while (i < s.size()) {
      char c = s[i];
      bool next_digit = i + 1 < s.size() && IsDigit(s[i + 1]);
      if (IsBlank(c)) {
        ++i;
      } else if (IsDigit(c) || (c == settings_.decimal_separator && next_digit)) {
        i = ScanNumber(i);
      } else if (c == settings_.hex_char && i + 1 < s.size() && IsHexDigit(s[i + 1])) {
        i = ScanHex(i);
      } else if (IsNameStart(c)) {
        size_t j = i + 1;
        while (j < s.size() && IsNameChar(s[j])) ++j;
        tokens_.push_back({Named(s.substr(i, j - i))});
        i = j;
      } else if (c == '\'') {
        size_t j = s.find('\'', i + 1);
        if (j == std::string_view::npos) throw EParserException("Незакрытая строка");
        AddExtra(
            std::make_unique<TStringConstant>(s.substr(i, j + 1 - i), s.substr(i + 1, j - i - 1)));
        i = j + 1;
      } else {
        size_t len = OperatorLength(i);
        tokens_.push_back({Named(s.substr(i, len))});
        i += len;
      }
    }
  }

  // digits [sep digits] [e [sign] digits], or sep digits ...
  size_t ScanNumber(size_t i) {
    const std::string_view s = text_;
    size_t j = i;
    bool has_separator = false;
    while (j < s.size() && IsDigit(s[j])) ++j;
    if (j < s.size() && s[j] == settings_.decimal_separator) {
      has_separator = true;
      ++j;
      while (j < s.size() && IsDigit(s[j])) ++j;
    }
    bool exponent_ok = true;
    if (j < s.size() && s[j] == 'e') {
      ++j;
      if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
      size_t digits = j;
      while (j < s.size() && IsDigit(s[j])) ++j;
      exponent_ok = j > digits;
    }
    std::string_view literal = s.substr(i, j - i);
    std::string normal(literal);
    for (char& ch : normal)
      if (ch == settings_.decimal_separator) ch = '.';
    double value = 0;
    auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (!exponent_ok || ec != std::errc() || ptr != normal.data() + normal.size())
      throw ENumberConvertError("Неверное число \"" + std::string(literal) + "\"");
    AddExtra(std::make_unique<TDoubleConstant>(literal, value), !has_separator);
    return j;
  }

  size_t ScanHex(size_t i) {
    const std::string_view s = text_;
    size_t j = i + 1;
    while (j < s.size() && IsHexDigit(s[j])) ++j;
    std::string_view literal = s.substr(i, j - i);
    uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(s.data() + i + 1, s.data() + j, value, 16);
    if (ec != std::errc() || ptr != s.data() + j)
      throw ENumberConvertError("Неверное число \"" + std::string(literal) + "\"");
    AddExtra(std::make_unique<TDoubleConstant>(literal, static_cast<double>(value)), true);
    return j;
  }

  // "!=", "&&", "||", ":=", "<>", "<=", ">=", "=<", "==", ... or one character.
  size_t OperatorLength(size_t i) const {
    const std::string_view s = text_;
    char c = s[i];
    char n = i + 1 < s.size() ? s[i + 1] : '\0';
    if ((c == '!' && n == '=') || (c == '&' && n == '&') || (c == '|' && n == '|') ||
        (c == ':' && n == '='))
      return 2;
    if ((c == '<' || c == '>' || c == '=') && (n == '<' || n == '=' || n == '>')) return 2;
    if (static_cast<unsigned char>(c) >= 0x80) {  // one whole UTF-8 character
      size_t pos = i;
      DecodeUtf8(s, pos);
      return pos - i;
    }
    return 1;
  }

  // A known word, or a generated variable shared by every later expression.
  TExprWord* Named(std::string_view name) {
    if (TExprWord* w = words_.Find(name)) return w;
    return words_.Add(std::make_unique<TGeneratedVariable>(name));
  }

  TExprWord* AddExtra(std::unique_ptr<TExprWord> word, bool integral = false) {
    extra_.push_back(std::move(word));
    tokens_.push_back({extra_.back().get(), integral});
    return extra_.back().get();
  }

  // ---- token checks and rewrites --------------------------------------------------

  TExprWord* At(size_t i) const { return tokens_[i].word; }

  void CheckBrackets() const {
    long depth = 0;
    for (const Token& t : tokens_) {
      if (t.word == left_) ++depth;
      if (t.word == right_ && --depth < 0) break;
    }
    if (depth != 0) throw EParserException("Unequal brackets");
  }

  bool SignPosition(const std::vector<Token>& out) const {
    if (out.empty()) return true;
    TExprWord* w = out.back().word;
    return w == left_ || w == separator_ || (w->IsOperator() && w->ArgCount() == 2);
  }

  // A run of signs where an operand must start becomes one "-@" or "+@".
  void RewriteSigns() {
    std::vector<Token> out;
    out.reserve(tokens_.size());
    for (size_t i = 0; i < tokens_.size();) {
      TExprWord* w = At(i);
      if ((w == minus_ || w == plus_) && SignPosition(out)) {
        int minuses = 0;
        for (; i < tokens_.size() && (At(i) == minus_ || At(i) == plus_); ++i)
          if (At(i) == minus_) ++minuses;
        out.push_back({minuses % 2 ? negate_ : identity_});
      } else {
        out.push_back(tokens_[i++]);
      }
    }
    tokens_.swap(out);
  }

  void CollapseNots() {
    std::vector<Token> out;
    out.reserve(tokens_.size());
    for (size_t i = 0; i < tokens_.size();) {
      if (At(i) == not_) {
        size_t run = 0;
        for (; i < tokens_.size() && At(i) == not_; ++i) ++run;
        if (run % 2) out.push_back({not_});
      } else {
        out.push_back(tokens_[i++]);
      }
    }
    tokens_.swap(out);
  }

  void CheckNeighbours() {
    const size_t n = tokens_.size();
    for (size_t i = 1; i < n; ++i)
      if (IsOperand(At(i - 1)) && IsOperand(At(i)))
        throw EParserException(At(i - 1)->Name() + " two space limited variables/constants");
    for (size_t i = 1; i < n; ++i)
      if (IsGenerated(At(i - 1)) && At(i) == left_)
        throw EParserException(At(i - 1)->Name() + " is an unknown function");
    for (size_t i = 1; i < n; ++i) {
      TExprWord* a = At(i - 1);
      TExprWord* b = At(i);
      if (a == right_ && b == left_) throw EParserException("Missing operand between )(");
      if (a == right_ && IsOperand(b))
        throw EParserException("Missing operand between ) and constant/variable");
      if (IsOperand(a) && b == left_)
        throw EParserException("Missing operand between constant/variable and (");
    }
    for (size_t i = 1; i < n; ++i)
      if (At(i - 1) == left_ && At(i) == right_) throw EParserException("Empty brackets ()");
  }

  // "^" before a whole-number literal is the integer power.
  void RewriteIntegerPowers() {
    for (size_t i = 0; i + 1 < tokens_.size(); ++i)
      if (At(i) == power_ && tokens_[i + 1].integral_literal) tokens_[i].word = int_power_;
  }

  // string operator string, scanning from the end, becomes one comparison word.
  void ReplaceStringComparisons() {
    auto is_string = [&](size_t i) { return At(i)->ResultType() == ExprType::kString; };
    std::vector<Token> reversed;
    reversed.reserve(tokens_.size());
    for (size_t i = tokens_.size(); i > 0;) {
      if (i >= 3 && is_string(i - 3) && is_string(i - 1) && At(i - 2)->IsOperator()) {
        TLogicalStringOper::Op kind;
        if (!TLogicalStringOper::OpFromText(At(i - 2)->Name(), kind))
          throw EParserException(At(i - 2)->Name() + " is not a valid string operand");
        extra_.push_back(std::make_unique<TLogicalStringOper>(kind, At(i - 3), At(i - 1)));
        reversed.push_back({extra_.back().get()});
        i -= 3;
      } else {
        reversed.push_back(tokens_[--i]);
      }
    }
    tokens_.assign(reversed.rbegin(), reversed.rend());
  }

  void MatchBrackets() {
    match_.assign(tokens_.size(), 0);
    std::vector<size_t> open;
    for (size_t i = 0; i < tokens_.size(); ++i) {
      if (At(i) == left_) open.push_back(i);
      if (At(i) == right_) {
        match_[open.back()] = i;
        match_[i] = open.back();
        open.pop_back();
      }
    }
  }

  // ---- tree -----------------------------------------------------------------------
  // Nodes live in one array; a node's arguments are always created before it, so the
  // array order is already a valid evaluation order.

  int NewNode(TExprWord* word, std::array<int, 4> args = {kMissing, kMissing, kMissing, kMissing}) {
    nodes_.push_back({word, args});
    return static_cast<int>(nodes_.size() - 1);
  }

  int Build(size_t lo, size_t hi) {
    if (++depth_ > kMaxNesting) throw EParserException("Слишком глубокая вложенность выражения");
    while (hi - lo >= 2 && At(lo) == left_ && match_[lo] == hi - 1) {
      ++lo;
      --hi;
    }
    int node = hi - lo == 1 ? NewNode(At(lo)) : BuildList(lo, hi);
    --depth_;
    return node;
  }

  // The first operator, or function with arguments, outside brackets.
  size_t FirstOperation(size_t lo, size_t hi) const {
    for (size_t i = lo; i < hi; ++i) {
      if (At(i) == left_)
        i = match_[i];
      else if (At(i)->IsOperator() || At(i)->ArgCount() > 0)
        return i;
    }
    return hi;
  }

  // An operand to the right extends over operators that bind tighter.
  size_t RightExtent(size_t from, size_t hi, int precedence) const {
    size_t j = from;
    for (; j < hi; ++j) {
      if (At(j) == left_)
        j = match_[j];
      else if (At(j)->IsOperator() && PrecedenceOf(At(j)) >= precedence)
        break;
    }
    return j;
  }

  int BuildRange(size_t lo, size_t hi) { return lo < hi ? Build(lo, hi) : kMissing; }

  int BuildList(size_t lo, size_t hi) {
    size_t i = FirstOperation(lo, hi);
    if (i == hi) SyntaxError();
    int node = kMissing;
    bool have_node = false;
    size_t pos = lo;
    while (i < hi) {
      TExprWord* w = At(i);
      if (!w->IsOperator()) {
        if (have_node || pos < i) SyntaxError();
        node = BuildCall(i, hi);
        i = match_[i + 1] + 1;
      } else if (w->ArgCount() == 2) {
        int left = have_node ? node : BuildRange(pos, i);
        size_t j = RightExtent(i + 1, hi, PrecedenceOf(w));
        int right = BuildRange(i + 1, j);
        node = NewNode(w, {left, right, kMissing, kMissing});
        i = j;
      } else if (have_node || pos < i) {  // one argument, written after its operand
        int operand = have_node ? node : Build(pos, i);
        node = NewNode(w, {operand, kMissing, kMissing, kMissing});
        ++i;
      } else {  // one argument, written before its operand
        size_t j = RightExtent(i + 1, hi, PrecedenceOf(w));
        node = NewNode(w, {BuildRange(i + 1, j), kMissing, kMissing, kMissing});
        i = j;
      }
      have_node = true;
      pos = i;
      if (i < hi && !At(i)->IsOperator()) SyntaxError();
    }
    return node;
  }

  // name ( arg sep arg ... )
  int BuildCall(size_t i, size_t hi) {
    TExprWord* w = At(i);
    if (i + 1 >= hi || At(i + 1) != left_) throw EParserException("Can not find operand/function");
    size_t close = match_[i + 1];
    std::array<int, 4> args{kMissing, kMissing, kMissing, kMissing};
    int count = 0;
    size_t start = i + 2;
    for (size_t k = start; k <= close; ++k) {
      if (k < close && At(k) == left_) {
        k = match_[k];
      } else if (k == close || At(k) == separator_) {
        if (count >= w->ArgCount())
          throw EParserException("Синтаксическая ошибка: у функции слишком много аргументов");
        args[count++] = BuildRange(start, k);
        start = k + 1;
      }
    }
    return NewNode(w, args);
  }

  void CheckNodes() const {
    for (const Node& n : nodes_)
      for (int k = 0; k < n.word->ArgCount(); ++k)
        if (n.args[k] == kMissing)
          throw EParserException("Syntax error: function or operand has too few arguments");
    for (const Node& n : nodes_) {
      if (n.word->ResultType() == ExprType::kString)
        throw EParserException("String " + n.word->Name() + " can not be used as a number");
      if (!IsOperation(n.word) && n.word->AsPointer() == nullptr) SyntaxError();
      if (n.word == assign_ && !IsAssignable(nodes_[n.args[0]].word))
        throw EParserException("Присвоить с помощью := можно только переменной");
    }
  }

  // ---- folding and flattening -----------------------------------------------------

  double* ValueOf(const Node& n) const { return n.word->AsPointer(); }

  // Every operation whose arguments cannot vary is computed now and becomes a constant.
  void Fold() {
    std::vector<char> varies(nodes_.size());
    for (size_t i = 0; i < nodes_.size(); ++i) {
      Node& n = nodes_[i];
      bool v = n.word->CanVary();
      for (int k = 0; k < n.word->ArgCount(); ++k) v = v || varies[n.args[k]];
      varies[i] = v;
      if (v || !IsOperation(n.word)) continue;
      EvalRecord rec;
      rec.Evaluator = n.word->Evaluator();
      rec.Word = n.word;
      for (int k = 0; k < n.word->ArgCount(); ++k) rec.Args[k] = ValueOf(nodes_[n.args[k]]);
      rec.Evaluator(rec);
      if (n.word->ResultType() == ExprType::kBoolean)
        extra_.push_back(std::make_unique<TBooleanConstant>("", rec.Result));
      else
        extra_.push_back(std::make_unique<TDoubleConstant>("", rec.Result));
      n = Node{extra_.back().get()};
    }
  }

  ExprChain Flatten() {
    std::vector<int> record_of(nodes_.size(), kMissing);
    size_t count = 0;
    for (size_t i = 0; i < nodes_.size(); ++i)
      if (IsOperation(nodes_[i].word)) record_of[i] = static_cast<int>(count++);
    if (count == 0) {  // a single constant or variable
      auto records = std::make_unique<EvalRecord[]>(1);
      records[0].Evaluator = EvaluateCopy;
      records[0].Word = nodes_.back().word;
      records[0].Args[0] = ValueOf(nodes_.back());
      return ExprChain(std::move(records), 1);
    }
    auto records = std::make_unique<EvalRecord[]>(count);
    for (size_t i = 0; i < nodes_.size(); ++i) {
      if (record_of[i] == kMissing) continue;
      const Node& n = nodes_[i];
      EvalRecord& rec = records[record_of[i]];
      rec.Evaluator = n.word->Evaluator();
      rec.Word = n.word;
      for (int k = 0; k < n.word->ArgCount(); ++k) {
        int child = n.args[k];
        rec.Args[k] = record_of[child] != kMissing ? &records[record_of[child]].Result
                                                   : ValueOf(nodes_[child]);
      }
    }
    return ExprChain(std::move(records), count);
  }

  std::string_view text_;
  TExpressList& words_;
  std::vector<std::unique_ptr<TExprWord>>& extra_;
  const CompilerSettings& settings_;
  TExprWord *left_, *right_, *separator_, *minus_, *plus_, *negate_, *identity_, *not_, *power_,
      *int_power_, *assign_;
  std::vector<Token> tokens_;
  std::vector<size_t> match_;
  std::vector<Node> nodes_;
  int depth_ = 0;
};

}  // namespace

ExprChain CompileExpression(std::string_view text, TExpressList& words,
                            std::vector<std::unique_ptr<TExprWord>>& extra,
                            const CompilerSettings& settings) {
  std::string lower = LowerCase(Trim(text, kControlOrSpace));
  if (lower.size() > kMaxExpressionLength) throw EParserException("Слишком длинное выражение");
  size_t extra_before = extra.size();
  try {
    return Compilation(lower, words, extra, settings).Run();
  } catch (...) {
    extra.resize(extra_before);
    throw;
  }
}

}  // namespace kest
