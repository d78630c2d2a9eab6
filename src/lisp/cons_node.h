#pragma once

#include "lisp/node.h"

namespace kest {

// A list cell. `Car` is always present; the chain ends where `Cdr` is absent, and a
// `Cdr` holding any other non-cons node makes a dotted pair. The empty list written
// in text is the NIL node.
class TConsNode : public TNode {
 public:
  static constexpr TNodeClass kClass{"TConsNode", &TNode::kClass};
  // Takes references to both; `car` must be present.
  explicit TConsNode(NodeRef car, NodeRef cdr = nullptr);

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "CONS"; }
  // A call: the head must be a symbol naming a definition.
  NodeRef Eval() override;
  void Print(std::string& out, int depth = 0) const override;
  void PrettyPrint(std::string& out, int& column, int& indent, int depth = 0) const override;

  TNode* Car() const { return car_.Get(); }
  TNode* Cdr() const { return cdr_.Get(); }
  // The next cell of the chain, or nullptr at its end or at a dotted tail.
  TConsNode* Next() const { return NodeCast<TConsNode>(cdr_.Get()); }
  // A missing car is an assertion failure.
  void SetCar(NodeRef car);
  void SetCdr(NodeRef cdr) { cdr_ = std::move(cdr); }

 private:
  NodeRef car_;
  NodeRef cdr_;
};

NodeRef MakeCons(NodeRef car, NodeRef cdr = nullptr);

// Whether `target` can be reached from `from` through cells and closures. Storing
// `from` inside `target` would make a cycle that could never be printed or freed.
bool Reaches(TNode* from, const TNode* target);

// Builds a proper list by appending at its end.
class TListBuilder {
 public:
  void Add(NodeRef item);
  // The list built so far; the NIL node when nothing was added.
  NodeRef Take();
  TConsNode* Head() const { return static_cast<TConsNode*>(head_.Get()); }

 private:
  NodeRef head_;
  TConsNode* tail_ = nullptr;
};

}  // namespace kest
