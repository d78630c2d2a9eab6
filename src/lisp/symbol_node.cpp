#include "lisp/symbol_node.h"

#include "lisp/lisp_error.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"
#include "support/code_page.h"

namespace kest {

TSymbolNode::TSymbolNode(std::string_view name) : name_(UpperCase(name)) {}

NodeRef TSymbolNode::Eval() {
  NodeRef value = Lisp().SymTable().GetValue(name_);
  if (!value) throw ELispError("Unbound symbol \"" + name_ + "\"");
  return value;
}

void TSymbolNode::Print(std::string& out, int /*depth*/) const { out += name_; }

NodeRef TKeySymbolNode::Eval() { return NodeRef::Share(this); }

// The booleans live for the whole run; they are made on first use and never freed.
TNode* NilNode() {
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): lives for the run
  static TNilSymbolNode* const node = new TNilSymbolNode();
  return node;
}

TNode* TrueNode() {
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): lives for the run
  static TTSymbolNode* const node = new TTSymbolNode();
  return node;
}

NodeRef MakeBool(bool flag) { return NodeRef::Share(flag ? TrueNode() : NilNode()); }

NodeRef MakeSymbol(std::string_view name) { return MakeNode<TSymbolNode>(name); }

}  // namespace kest
