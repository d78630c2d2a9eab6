#pragma once

#include "lisp/node.h"

namespace kest {

class TConsNode;

// The argument list of a call as its handler sees it: evaluated values for
// functions, the forms as written for special forms. Each accessor takes the next
// argument and advances; the nodes are borrowed from the list.
class TArgs {
 public:
  explicit TArgs(TNode* list);

  // ELispEvalError "Not enough arguments" when the list is exhausted.
  TNode* NextArg();
  // As NextArg; the node must be of `cls` or derive from it, else ELispEvalError
  // "TIntNode expected, but TFloatNode (2.5) found".
  TNode* NextArgOf(const TNodeClass& cls);
  template <typename T>
  T* Next() {
    return static_cast<T*>(NextArgOf(T::kClass));
  }
  // ELispEvalError "Extra arguments" when anything is left.
  void NoMoreArgs() const;
  // The next argument must be a symbol named T or YES (gives T) or NIL or NO (gives
  // NIL); any other name raises ELispError "Symbol \"NAME\" is not boolean".
  TNode* ArgAsBool();

  bool HasMore() const { return rest_ != nullptr; }
  // What is left of the list (a cons chain or nullptr).
  TConsNode* Rest() const { return rest_; }

 private:
  TConsNode* rest_;
};

// Raises the class error of NextArgOf for `found`.
[[noreturn]] void RaiseClassError(const TNodeClass& expected, const TNode* found);
// The cell after `cell`; a dotted tail in an argument list raises ELispEvalError.
TConsNode* NextArgCell(const TConsNode* cell);

}  // namespace kest
