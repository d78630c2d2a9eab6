#include "lisp/func_node.h"

#include "lisp/args.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"

namespace kest {

NodeRef TInternalFunc::Call(TNode* args) {
  TArgs cursor(args);
  return handler_(cursor);
}

TClosureNode::TClosureNode(NodeRef params, NodeRef body)
    : TFuncNode(true), params_(std::move(params)), body_(std::move(body)) {
  if (!NodeCast<TConsNode>(body_.Get())) Disown();
  KEST_LISP_ASSERT(NodeCast<TConsNode>(body_.Get()), "Creating closure without body");
}

namespace {

// Pops the closure's scope however the call ends.
class ScopeGuard {
 public:
  explicit ScopeGuard(TSymTable& table) : table_(table) { table_.PushScope(); }
  ~ScopeGuard() { table_.PopScope(); }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

 private:
  TSymTable& table_;
};

}  // namespace

NodeRef TClosureNode::Call(TNode* args) {
  TSymTable& table = Lisp().SymTable();
  ScopeGuard scope(table);
  TArgs values(args);
  TArgs names(params_.Get());
  while (names.HasMore()) {
    auto* name = names.Next<TSymbolNode>();
    TSymbolDef& local = table.DefineLocal(name->Name());
    local.Value = NodeRef::Share(values.NextArg());
  }
  NodeRef result;
  for (auto* form = static_cast<TConsNode*>(body_.Get()); form; form = form->Next())
    result = form->Car()->Eval();
  return result;
}

}  // namespace kest
