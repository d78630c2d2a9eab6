#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace kest {

class NodeRef;

// The run-time class of a node: its name as the engine reports it ("TIntNode") and
// its parent. Definitions are chosen by the class of their first argument, so a
// class must know its ancestors. Every node class declares one as `kClass`.
struct TNodeClass {
  const char* name;
  const TNodeClass* parent;

  bool InheritsFrom(const TNodeClass& other) const {
    for (const TNodeClass* c = this; c; c = c->parent)
      if (c == &other) return true;
    return false;
  }
};

// Base of every script value. Nodes are shared through an intrusive reference
// count: a new node has one reference, AddRef adds one and Release drops one,
// destroying the node when none is left. Whoever receives a node from a routine
// owns one reference; use NodeRef to hold it. Nodes live on the heap only.
class TNode {
 public:
  static constexpr TNodeClass kClass{"TNode", nullptr};

  TNode() { ++live_count_; }
  TNode(const TNode&) = delete;
  TNode& operator=(const TNode&) = delete;

  virtual const TNodeClass& NodeClass() const { return kClass; }
  bool Is(const TNodeClass& cls) const { return NodeClass().InheritsFrom(cls); }

  // Upper-case type name: "INTEGER", "CONS", ...
  virtual const char* TypeName() const { return "NODE"; }
  // The value of the node as an expression; an owned reference. Self-evaluating by
  // default.
  virtual NodeRef Eval();
  // Flat text. `depth` counts the nesting already entered (for the nesting limit).
  virtual void Print(std::string& out, int depth = 0) const;
  // Indented text; `column` follows the output, `indent` is the current indent.
  virtual void PrettyPrint(std::string& out, int& column, int& indent, int depth = 0) const;

  TNode* AddRef() {
    ++ref_count_;
    return this;
  }
  // Drops one reference; the last one destroys the node. Nothing for no node.
  static void Release(TNode* node) noexcept {
    if (node && --node->ref_count_ == 0) Destroy(node);
  }
  int32_t RefCount() const { return ref_count_; }

  // Nodes alive in the process; tests use it to prove that nothing leaks.
  static int64_t LiveCount() { return live_count_; }

 protected:
  virtual ~TNode();
  // For a constructor that is about to fail: the node was never handed out.
  void Disown() { ref_count_ = 0; }

 private:
  // Destroys without recursion: nodes released while another is being destroyed are
  // queued, so long or deep lists cannot exhaust the stack.
  static void Destroy(TNode* node) noexcept;

  int32_t ref_count_ = 1;
  static inline int64_t live_count_ = 0;
};

// An owned reference to a node (or none). Copying adds a reference, destruction
// releases it, so errors that unwind never leak nodes.
class NodeRef {
 public:
  NodeRef() = default;
  NodeRef(std::nullptr_t) {}
  NodeRef(const NodeRef& other) : node_(other.node_ ? other.node_->AddRef() : nullptr) {}
  NodeRef(NodeRef&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
  ~NodeRef() { TNode::Release(node_); }
  NodeRef& operator=(NodeRef other) noexcept {
    std::swap(node_, other.node_);
    return *this;
  }

  // Takes over a reference the caller owns.
  static NodeRef Adopt(TNode* owned) {
    NodeRef r;
    r.node_ = owned;
    return r;
  }
  // Takes a new reference to a node somebody else owns.
  static NodeRef Share(TNode* borrowed) { return Adopt(borrowed ? borrowed->AddRef() : nullptr); }

  TNode* Get() const { return node_; }
  TNode* operator->() const { return node_; }
  TNode& operator*() const { return *node_; }
  explicit operator bool() const { return node_ != nullptr; }
  // Hands the reference over to the caller.
  TNode* Detach() { return std::exchange(node_, nullptr); }
  void Reset() { *this = NodeRef(); }

 private:
  TNode* node_ = nullptr;
};

// A new node of class T; the only way nodes are made.
template <typename T, typename... Args>
NodeRef MakeNode(Args&&... args) {
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): the node owns itself by its count
  return NodeRef::Adopt(new T(std::forward<Args>(args)...));
}

// `node` as a T when it is one (or derives from it), else nullptr.
template <typename T>
T* NodeCast(TNode* node) {
  return node && node->Is(T::kClass) ? static_cast<T*>(node) : nullptr;
}

// Flat and indented text of a node (column and indent start at 0).
std::string ToText(const TNode* node);
std::string ToPrettyText(const TNode* node);

}  // namespace kest
