#pragma once

#include <functional>

#include "lisp/node.h"

namespace kest {

class TArgs;

// Something callable. `EvalArgs` tells callers whether to evaluate the arguments
// before the call or to pass the forms as written.
class TFuncNode : public TNode {
 public:
  static constexpr TNodeClass kClass{"TFuncNode", &TNode::kClass};
  explicit TFuncNode(bool eval_args) : eval_args_(eval_args) {}

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "FUNCTION"; }
  // `args` is a chain of cons cells or nullptr (borrowed); returns an owned value.
  virtual NodeRef Call(TNode* args) = 0;

  bool EvalArgs() const { return eval_args_; }

 private:
  bool eval_args_;
};

// A host routine: takes the argument cursor, returns an owned node.
using TLispHandler = std::function<NodeRef(TArgs& args)>;

class TInternalFunc : public TFuncNode {
 public:
  static constexpr TNodeClass kClass{"TInternalFunc", &TFuncNode::kClass};
  TInternalFunc(bool eval_args, TLispHandler handler)
      : TFuncNode(eval_args), handler_(std::move(handler)) {}

  const TNodeClass& NodeClass() const override { return kClass; }
  NodeRef Call(TNode* args) override;

 private:
  TLispHandler handler_;
};

// A function made by `lambda`. Its parameters are bound in a new scope for the
// duration of a call, so they are dynamically scoped.
class TClosureNode : public TFuncNode {
 public:
  static constexpr TNodeClass kClass{"TClosureNode", &TFuncNode::kClass};
  // `params` is a list of symbols, `body` a non-empty list of forms.
  TClosureNode(NodeRef params, NodeRef body);

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "CLOSURE"; }
  NodeRef Call(TNode* args) override;

  TNode* Params() const { return params_.Get(); }
  TNode* Body() const { return body_.Get(); }

 private:
  NodeRef params_;
  NodeRef body_;
};

}  // namespace kest
