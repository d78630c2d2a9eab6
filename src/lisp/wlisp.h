#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "lisp/func_node.h"
#include "lisp/node.h"

namespace kest {

class TConsNode;
class TSymTable;

// The script engine. Exactly one exists while the program runs (reach it through
// Lisp()); creating it creates the symbol table and registers the built-ins, and
// destroying it frees every global definition. Tests make a fresh one per case.
// Main thread only: the engine has no locks.
//
// Typical host use:
//   NodeRef form = Lisp().Parse("(+ 1.5 (* 0.98 snGK-COUNTER))");   // once
//   Lisp().SetVariable("snGK-COUNTER", MakeInt(1200));              // per update
//   NodeRef value = Lisp().Eval(form.Get());                        // per update
class TWLisp {
 public:
  // Logs "ROdoz: initializing" / "ROdoz: initialized" around the start-up.
  TWLisp();
  // Logs "ROdoz: destroying", the table's statistics and "ROdoz: destroyed".
  ~TWLisp();
  TWLisp(const TWLisp&) = delete;
  TWLisp& operator=(const TWLisp&) = delete;

  // The first expression of `text` (UTF-8), unevaluated; NIL for an empty text.
  // Raises ELispReadError.
  NodeRef Parse(std::string_view text);
  // Reads the first expression of `text` and evaluates it.
  NodeRef Evaluate(std::string_view text);
  // The value of `form` (an owned reference).
  NodeRef Eval(TNode* form);
  // Reads a script or data file (UTF-8 when valid, else Windows-1251) and returns
  // its first expression unevaluated. Raises EInOutError or ELispReadError.
  NodeRef LoadFile(const std::string& path);

  // Adds a host function called with evaluated arguments. `cls` is the class the
  // first argument must have or derive from (nullptr: any argument, or none).
  // Definitions of one name are tried in registration order.
  void RegisterFunction(std::string_view name, const TNodeClass* cls, TLispHandler handler);
  // Adds a host special form, called with the argument forms as written.
  void RegisterSpecialForm(std::string_view name, const TNodeClass* cls, TLispHandler handler);

  // Global or innermost variable value of a name (upper-cased here); none when unset.
  NodeRef GetVariable(std::string_view name) const;
  void SetVariable(std::string_view name, NodeRef value);

  // Calls the definition of `name` that matches the class of the first argument;
  // `args` is the chain of argument forms (or nullptr).
  NodeRef CallNamed(const std::string& name, TNode* args);
  // Calls a function value: a symbol through CallNamed, a function node directly
  // (evaluating `args` first when it takes evaluated arguments).
  NodeRef FunCall(TNode* func, TNode* args);

  TSymTable& SymTable() { return *table_; }
  const TSymTable& SymTable() const { return *table_; }

 private:
  friend class TConsNode;
  NodeRef EvalCall(TConsNode* form);

  std::unique_ptr<TSymTable> table_;
  int depth_ = 0;
};

// The engine instance; an assertion failure when none exists.
TWLisp& Lisp();
bool LispExists();

}  // namespace kest
