#include "lisp/args.h"

#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"

namespace kest {

TConsNode* NextArgCell(const TConsNode* cell) {
  TNode* cdr = cell->Cdr();
  if (!cdr) return nullptr;
  auto* next = NodeCast<TConsNode>(cdr);
  if (!next) throw ELispEvalError("Список аргументов с точкой: " + ToText(cell));
  return next;
}

void RaiseClassError(const TNodeClass& expected, const TNode* found) {
  throw ELispEvalError(std::string(expected.name) + " expected, but " + found->NodeClass().name +
                       " (" + ToText(found) + ") found");
}

TArgs::TArgs(TNode* list) : rest_(NodeCast<TConsNode>(list)) {
  if (list && !rest_) throw ELispEvalError("Список аргументов с точкой: " + ToText(list));
}

TNode* TArgs::NextArg() {
  if (!rest_) throw ELispEvalError("Not enough arguments");
  TNode* arg = rest_->Car();
  rest_ = NextArgCell(rest_);
  return arg;
}

TNode* TArgs::NextArgOf(const TNodeClass& cls) {
  TNode* arg = NextArg();
  if (!arg->Is(cls)) RaiseClassError(cls, arg);
  return arg;
}

void TArgs::NoMoreArgs() const {
  if (rest_) throw ELispEvalError("Extra arguments");
}

TNode* TArgs::ArgAsBool() {
  const std::string& name = Next<TSymbolNode>()->Name();
  if (name == "T" || name == "YES") return TrueNode();
  if (name == "NIL" || name == "NO") return NilNode();
  throw ELispError("Symbol \"" + name + "\" is not boolean");
}

}  // namespace kest
