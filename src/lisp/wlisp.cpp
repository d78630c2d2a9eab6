#include "lisp/wlisp.h"

#include "lisp/args.h"
#include "lisp/builtins.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/reader.h"
#include "lisp/symbol_node.h"
#include "lisp/symbol_table.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"

namespace kest {

namespace {

TWLisp* g_instance = nullptr;

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Counts the nesting of calls being evaluated and refuses to go deeper than the
// limit, so runaway recursion in a script ends in an error, not a crash.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) {
    if (++depth_ > kMaxLispNesting) {
      --depth_;
      throw ELispEvalError("Слишком глубокая вложенность");
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

// The values of the forms in `forms`, as a new list (nullptr when there are none).
NodeRef EvalList(TNode* forms) {
  TListBuilder values;
  for (TArgs args(forms); args.HasMore();) values.Add(args.NextArg()->Eval());
  return values.Head() ? values.Take() : nullptr;
}

}  // namespace

// Marks the engine busy for the length of one entry. The outermost entry starts the
// step count afresh.
class TWLisp::Entry {
 public:
  explicit Entry(TWLisp& lisp) : lisp_(lisp) {
    if (lisp_.entries_++ == 0) lisp_.steps_ = 0;
  }
  ~Entry() { --lisp_.entries_; }
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

 private:
  TWLisp& lisp_;
};

void TWLisp::CountStep() {
  if (++steps_ > step_limit_ && step_limit_ > 0)
    throw ELispEvalError("Вычисление слишком долгое (больше " + std::to_string(step_limit_) +
                         " шагов)");
}

TWLisp::TWLisp() {
  KEST_LISP_ASSERT(!g_instance, "Only one script engine may exist");
  Diag().Component("ROdoz: initializing");
  table_ = std::make_unique<TSymTable>();
  g_instance = this;
  try {
    RegisterSymbolBuiltins(*this);
    RegisterListBuiltins(*this);
    RegisterNumericBuiltins(*this);
    RegisterStringBuiltins(*this);
    RegisterControlBuiltins(*this);
  } catch (...) {
    g_instance = nullptr;
    throw;
  }
  Diag().Component("ROdoz: initialized");
}

TWLisp::~TWLisp() {
  Diag().Component("ROdoz: destroying");
  table_.reset();
  g_instance = nullptr;
  Diag().Component("ROdoz: destroyed");
}

TWLisp& Lisp() {
  KEST_LISP_ASSERT(g_instance, "The script engine is not running");
  return *g_instance;
}

bool LispExists() { return g_instance != nullptr; }

NodeRef TWLisp::Parse(std::string_view text) { return ReadText(text); }

NodeRef TWLisp::Evaluate(std::string_view text) {
  NodeRef form = Parse(text);
  return form->Eval();
}

NodeRef TWLisp::Eval(TNode* form) { return form->Eval(); }

NodeRef TWLisp::LoadFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  std::string text =
      DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return ReadText(text);
}

void TWLisp::RegisterFunction(std::string_view name, const TNodeClass* cls, TLispHandler handler) {
  table_->AddFunction(UpperCase(name), cls, MakeNode<TInternalFunc>(true, std::move(handler)));
}

void TWLisp::RegisterSpecialForm(std::string_view name, const TNodeClass* cls,
                                 TLispHandler handler) {
  table_->AddSpecialForm(UpperCase(name), cls, MakeNode<TInternalFunc>(false, std::move(handler)));
}

NodeRef TWLisp::GetVariable(std::string_view name) const {
  return table_->GetValue(UpperCase(name));
}

void TWLisp::SetVariable(std::string_view name, NodeRef value) {
  table_->SetValue(UpperCase(name), std::move(value));
}

NodeRef TWLisp::EvalCall(TConsNode* form) {
  Entry entry(*this);
  DepthGuard guard(depth_);
  KEST_LISP_ASSERT(form->Car(), "Invalid list (unassigned car)");
  auto* head = NodeCast<TSymbolNode>(form->Car());
  if (!head) throw ELispEvalError("CAR [" + ToText(form->Car()) + "] is not a symbol");
  return CallNamed(head->Name(), form->Cdr());
}

NodeRef TWLisp::CallNamed(const std::string& name, TNode* args) {
  Entry entry(*this);
  CountStep();
  if (!args) {
    NodeRef func = table_->FindSpecialForm(name, nullptr);
    if (!func) func = table_->FindFunction(name, nullptr);
    if (!func) throw ELispEvalError("Undefined function \"" + name + "\"");
    return static_cast<TFuncNode*>(func.Get())->Call(nullptr);
  }
  auto* first_cell = NodeCast<TConsNode>(args);
  if (!first_cell) throw ELispEvalError("Список аргументов с точкой: " + ToText(args));
  TNode* first = first_cell->Car();

  if (NodeRef form = table_->FindSpecialForm(name, &first->NodeClass())) {
    auto* func = static_cast<TFuncNode*>(form.Get());
    if (!func->EvalArgs()) return func->Call(args);
    NodeRef values = EvalList(args);
    return func->Call(values.Get());
  }

  NodeRef value = first->Eval();
  NodeRef found = table_->FindFunction(name, &value->NodeClass());
  if (!found) {
    throw ELispEvalError("Undefined function \"" + name + "\" for " +
                         LowerAscii(first->TypeName()));
  }
  auto* func = static_cast<TFuncNode*>(found.Get());
  if (!func->EvalArgs()) return func->Call(args);
  TListBuilder values;
  values.Add(std::move(value));
  for (TConsNode* cell = NextArgCell(first_cell); cell; cell = NextArgCell(cell))
    values.Add(cell->Car()->Eval());
  return func->Call(values.Head());
}

NodeRef TWLisp::FunCall(TNode* func, TNode* args) {
  Entry entry(*this);
  if (auto* symbol = NodeCast<TSymbolNode>(func)) return CallNamed(symbol->Name(), args);
  auto* callable = NodeCast<TFuncNode>(func);
  if (!callable) throw ELispEvalError("FunCall error");
  CountStep();
  if (!callable->EvalArgs()) return callable->Call(args);
  NodeRef values = EvalList(args);
  return callable->Call(values.Get());
}

}  // namespace kest
