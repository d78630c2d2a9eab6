// List functions.
#include "lisp/args.h"
#include "lisp/builtins.h"
#include "lisp/cons_node.h"
#include "lisp/func_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/wlisp.h"

namespace kest {

namespace {

NodeRef Nil() { return NodeRef::Share(NilNode()); }

TConsNode* LastCell(TConsNode* cell) {
  while (TConsNode* next = cell->Next()) cell = next;
  return cell;
}

// (append list list ...): joins the lists in place and returns the first. An
// empty list (NIL) adds nothing.
NodeRef Append(TArgs& args) {
  auto* first = args.Next<TConsNode>();
  TConsNode* last = LastCell(first);
  while (args.HasMore()) {
    TNode* next = args.NextArg();
    if (IsNil(next)) continue;
    if (last->Cdr()) throw ELispEvalError("Cant append list to dotted pair");
    if (Reaches(next, last)) throw ELispEvalError("Нельзя присоединить список к самому себе");
    last->SetCdr(NodeRef::Share(next));
    if (auto* cell = NodeCast<TConsNode>(next)) last = LastCell(cell);
  }
  return NodeRef::Share(first);
}

// (reverse list): a new list of the same elements in reverse order.
NodeRef Reverse(TArgs& args) {
  auto* list = args.Next<TConsNode>();
  args.NoMoreArgs();
  NodeRef result;
  for (TConsNode* cell = list; cell; cell = cell->Next()) {
    if (cell->Cdr() && !cell->Next()) throw ELispEvalError("Нельзя обратить точечную пару");
    result = MakeCons(NodeRef::Share(cell->Car()), std::move(result));
  }
  return result;
}

// (assoc key pairs): the value (cdr) of the first pair whose key has the name.
NodeRef Assoc(TArgs& args) {
  const std::string& key = args.Next<TSymbolNode>()->Name();
  TNode* list = args.NextArg();
  args.NoMoreArgs();
  if (IsNil(list)) return Nil();
  auto* cell = NodeCast<TConsNode>(list);
  if (!cell) RaiseClassError(TConsNode::kClass, list);
  for (; cell; cell = cell->Next()) {
    auto* pair = NodeCast<TConsNode>(cell->Car());
    if (!pair) RaiseClassError(TConsNode::kClass, cell->Car());
    auto* name = NodeCast<TSymbolNode>(pair->Car());
    if (name && name->Name() == key) return pair->Cdr() ? NodeRef::Share(pair->Cdr()) : Nil();
  }
  return Nil();
}

NodeRef ReturnNil(TArgs& args) {
  args.NextArg();
  args.NoMoreArgs();
  return Nil();
}

template <bool (*Test)(TNode*)>
NodeRef Predicate(TArgs& args) {
  TNode* x = args.NextArg();
  args.NoMoreArgs();
  return MakeBool(Test(x));
}

bool IsCons(TNode* x) { return NodeCast<TConsNode>(x) != nullptr; }
bool IsAtom(TNode* x) { return !IsCons(x); }
bool IsList(TNode* x) { return IsCons(x) || IsNil(x); }

}  // namespace

void RegisterListBuiltins(TWLisp& lisp) {
  // (cons a b): a new cell with b as its car and a as its cdr.
  lisp.RegisterFunction("cons", nullptr, [](TArgs& args) {
    TNode* a = args.NextArg();
    TNode* b = args.NextArg();
    args.NoMoreArgs();
    return MakeCons(NodeRef::Share(b), NodeRef::Share(a));
  });
  lisp.RegisterFunction("list", nullptr, [](TArgs& args) {
    TListBuilder list;
    while (args.HasMore()) list.Add(NodeRef::Share(args.NextArg()));
    return list.Take();
  });
  lisp.RegisterFunction("append", &TConsNode::kClass, Append);
  lisp.RegisterFunction("reverse", &TConsNode::kClass, Reverse);
  lisp.RegisterFunction("reverse", &TNilSymbolNode::kClass, ReturnNil);
  lisp.RegisterFunction("car", &TConsNode::kClass, [](TArgs& args) {
    auto* list = args.Next<TConsNode>();
    args.NoMoreArgs();
    return NodeRef::Share(list->Car());
  });
  lisp.RegisterFunction("car", &TNilSymbolNode::kClass, ReturnNil);
  lisp.RegisterFunction("cdr", &TConsNode::kClass, [](TArgs& args) {
    auto* list = args.Next<TConsNode>();
    args.NoMoreArgs();
    return list->Cdr() ? NodeRef::Share(list->Cdr()) : Nil();
  });
  lisp.RegisterFunction("cdr", &TNilSymbolNode::kClass, ReturnNil);
  lisp.RegisterFunction("assoc", &TSymbolNode::kClass, Assoc);
  lisp.RegisterFunction("atom", nullptr, Predicate<IsAtom>);
  lisp.RegisterFunction("listp", nullptr, Predicate<IsList>);
  lisp.RegisterFunction("consp", nullptr, Predicate<IsCons>);
}

}  // namespace kest
