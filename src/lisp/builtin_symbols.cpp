// Symbols and property lists.
#include "lisp/args.h"
#include "lisp/builtins.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/symbol_table.h"
#include "lisp/value_nodes.h"
#include "lisp/wlisp.h"

namespace kest {

namespace {

NodeRef OrNil(NodeRef value) { return value ? value : NodeRef::Share(NilNode()); }

}  // namespace

void RegisterSymbolBuiltins(TWLisp& lisp) {
  TSymTable& table = lisp.SymTable();

  // (setq name form [name form] ...): assigns to the innermost binding, else the
  // global one; returns the last value.
  lisp.RegisterSpecialForm("setq", &TSymbolNode::kClass, [&table](TArgs& args) {
    NodeRef value;
    do {
      const std::string& name = args.Next<TSymbolNode>()->Name();
      value = args.NextArg()->Eval();
      table.SetValue(name, value);
    } while (args.HasMore());
    return value;
  });

  lisp.RegisterFunction("null", nullptr, [](TArgs& args) {
    TNode* x = args.NextArg();
    args.NoMoreArgs();
    return MakeBool(IsNil(x));
  });

  lisp.RegisterFunction("symbol-name", &TSymbolNode::kClass, [](TArgs& args) {
    auto* symbol = args.Next<TSymbolNode>();
    args.NoMoreArgs();
    return MakeString(symbol->Name());
  });

  lisp.RegisterFunction("symbol-value", &TSymbolNode::kClass, [&table](TArgs& args) {
    auto* symbol = args.Next<TSymbolNode>();
    args.NoMoreArgs();
    NodeRef value = table.GetValue(symbol->Name());
    if (!value) throw ELispError("Unbound symbol \"" + symbol->Name() + "\"");
    return value;
  });

  lisp.RegisterFunction("symbol-function", &TSymbolNode::kClass, [](TArgs&) -> NodeRef {
    throw ELispError("Function SYMBOL_FUNC is not realized");
  });

  lisp.RegisterFunction("symbol-plist", &TSymbolNode::kClass, [&table](TArgs& args) {
    auto* symbol = args.Next<TSymbolNode>();
    args.NoMoreArgs();
    return OrNil(table.GetPList(symbol->Name()));
  });

  // (putprop symbol property value)
  lisp.RegisterFunction("putprop", &TSymbolNode::kClass, [&table](TArgs& args) {
    auto* symbol = args.Next<TSymbolNode>();
    auto* property = args.Next<TSymbolNode>();
    TNode* value = args.NextArg();
    args.NoMoreArgs();
    table.SetProp(symbol->Name(), property->Name(), NodeRef::Share(value));
    return NodeRef::Share(NilNode());
  });

  // (get property symbol): the property comes first.
  lisp.RegisterFunction("get", &TSymbolNode::kClass, [&table](TArgs& args) {
    auto* property = args.Next<TSymbolNode>();
    auto* symbol = args.Next<TSymbolNode>();
    args.NoMoreArgs();
    return OrNil(table.GetProp(symbol->Name(), property->Name()));
  });
}

}  // namespace kest
