#pragma once

#include <string>
#include <string_view>

#include "lisp/node.h"

namespace kest {

// A symbol. Its name is upper-cased (Unicode-aware) when the node is made; as an
// expression it stands for its variable value.
class TSymbolNode : public TNode {
 public:
  static constexpr TNodeClass kClass{"TSymbolNode", &TNode::kClass};
  explicit TSymbolNode(std::string_view name);

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "SYMBOL"; }
  // The variable value; ELispError "Unbound symbol \"NAME\"" when it has none.
  NodeRef Eval() override;
  void Print(std::string& out, int depth = 0) const override;

  const std::string& Name() const { return name_; }

 protected:
  struct Verbatim {};
  TSymbolNode(std::string name, Verbatim) : name_(std::move(name)) {}

 private:
  std::string name_;
};

// A symbol that evaluates to itself.
class TKeySymbolNode : public TSymbolNode {
 public:
  static constexpr TNodeClass kClass{"TKeySymbolNode", &TSymbolNode::kClass};
  explicit TKeySymbolNode(std::string_view name) : TSymbolNode(name) {}
  const TNodeClass& NodeClass() const override { return kClass; }
  NodeRef Eval() override;
};

// The two booleans, T and NIL. Each exists once for the whole run (see TrueNode and
// NilNode); truth tests compare against them by identity.
class TBoolSymbolNode : public TKeySymbolNode {
 public:
  static constexpr TNodeClass kClass{"TBoolSymbolNode", &TKeySymbolNode::kClass};
  const TNodeClass& NodeClass() const override { return kClass; }
  virtual bool AsBool() const = 0;

 protected:
  using TKeySymbolNode::TKeySymbolNode;
};

class TNilSymbolNode : public TBoolSymbolNode {
 public:
  static constexpr TNodeClass kClass{"TNilSymbolNode", &TBoolSymbolNode::kClass};
  const TNodeClass& NodeClass() const override { return kClass; }
  bool AsBool() const override { return false; }

 private:
  friend TNode* NilNode();
  TNilSymbolNode() : TBoolSymbolNode("NIL") {}
};

class TTSymbolNode : public TBoolSymbolNode {
 public:
  static constexpr TNodeClass kClass{"TTSymbolNode", &TBoolSymbolNode::kClass};
  const TNodeClass& NodeClass() const override { return kClass; }
  bool AsBool() const override { return true; }

 private:
  friend TNode* TrueNode();
  TTSymbolNode() : TBoolSymbolNode("T") {}
};

// The singletons (borrowed; they are never destroyed).
TNode* NilNode();
TNode* TrueNode();
inline bool IsNil(const TNode* node) { return node == NilNode(); }
inline bool IsTrue(const TNode* node) { return node == TrueNode(); }
// A new reference to T or NIL.
NodeRef MakeBool(bool flag);
NodeRef MakeSymbol(std::string_view name);

}  // namespace kest
