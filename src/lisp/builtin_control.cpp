// Evaluation control: quoting, conditionals, closures and calls.
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

NodeRef Single(TArgs& args) {
  TNode* x = args.NextArg();
  args.NoMoreArgs();
  return NodeRef::Share(x);
}

// Booleans are the symbols T, YES, NIL and NO; conversion stops once the result is
// known.
template <bool kAll>
NodeRef Connective(TArgs& args) {
  do
    if (IsTrue(args.ArgAsBool()) != kAll) return MakeBool(!kAll);
  while (args.HasMore());
  return MakeBool(kAll);
}

// (cond (test form) ...): the form of the first clause whose test gives T itself.
NodeRef Cond(TArgs& args) {
  while (args.HasMore()) {
    auto* clause = args.Next<TConsNode>();
    NodeRef test = clause->Car()->Eval();
    if (!IsTrue(test.Get())) continue;
    TConsNode* then = clause->Next();
    if (!then) throw ELispEvalError("Malformed cond");
    return then->Car()->Eval();
  }
  return Nil();
}

// (if condition then [else]): the condition is written, not evaluated.
NodeRef If(TArgs& args) {
  TNode* condition = args.ArgAsBool();
  TNode* then = args.NextArg();
  TNode* otherwise = args.HasMore() ? args.NextArg() : nullptr;
  args.NoMoreArgs();
  if (IsTrue(condition)) return then->Eval();
  return otherwise ? otherwise->Eval() : Nil();
}

// (lambda (param ...) form ...)
NodeRef Lambda(TArgs& args) {
  auto* params = args.Next<TConsNode>();
  for (TArgs names(params); names.HasMore();) names.Next<TSymbolNode>();
  TConsNode* body = args.Rest();
  args.NextArg();
  return MakeNode<TClosureNode>(NodeRef::Share(params), NodeRef::Share(body));
}

NodeRef Progn(TArgs& args) {
  TNode* last = NilNode();
  while (args.HasMore()) last = args.NextArg();
  return NodeRef::Share(last);
}

// (apply name list): calls the definition with the list elements as argument forms.
NodeRef Apply(TArgs& args) {
  auto* name = args.Next<TSymbolNode>();
  TNode* list = args.NextArg();
  args.NoMoreArgs();
  if (IsNil(list))
    list = nullptr;
  else if (!NodeCast<TConsNode>(list))
    RaiseClassError(TConsNode::kClass, list);
  return Lisp().CallNamed(name->Name(), list);
}

NodeRef FunCall(TArgs& args) {
  TNode* func = args.NextArg();
  return Lisp().FunCall(func, args.Rest());
}

}  // namespace

void RegisterControlBuiltins(TWLisp& lisp) {
  const TNodeClass* boolean = &TBoolSymbolNode::kClass;
  lisp.RegisterSpecialForm("quote", nullptr, Single);
  lisp.RegisterFunction("eval", nullptr, Single);
  lisp.RegisterFunction("type-of", nullptr, [](TArgs& args) {
    TNode* x = args.NextArg();
    args.NoMoreArgs();
    return MakeSymbol(x->TypeName());
  });
  lisp.RegisterFunction("typep", nullptr, [](TArgs& args) {
    TNode* x = args.NextArg();
    auto* type = args.Next<TSymbolNode>();
    args.NoMoreArgs();
    return MakeBool(type->Name() == x->TypeName());
  });
  lisp.RegisterFunction("not", boolean, [](TArgs& args) {
    TNode* flag = args.ArgAsBool();
    args.NoMoreArgs();
    return MakeBool(!IsTrue(flag));
  });
  lisp.RegisterFunction("and", boolean, Connective<true>);
  lisp.RegisterFunction("or", boolean, Connective<false>);
  lisp.RegisterSpecialForm("cond", nullptr, Cond);
  lisp.RegisterSpecialForm("if", nullptr, If);
  lisp.RegisterSpecialForm("when", boolean, [](TArgs&) { return Nil(); });
  lisp.RegisterSpecialForm("unless", boolean, [](TArgs&) { return Nil(); });
  lisp.RegisterSpecialForm("lambda", nullptr, Lambda);
  lisp.RegisterFunction("progn", nullptr, Progn);
  lisp.RegisterFunction("apply", &TSymbolNode::kClass, Apply);
  lisp.RegisterFunction("funcall", nullptr, FunCall);
}

}  // namespace kest
