#pragma once

#include <cstdint>
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

  // Calls allowed within one evaluation entered from the host; evaluations that a
  // host function starts inside it count towards it. A script that would run
  // longer, such as a naive exponential recursion, ends in ELispEvalError
  // "Evaluation takes too long ..." instead of hanging the program, and the next
  // evaluation starts afresh. The default (a few seconds of work) is far above
  // what channel formulas and class files take. 0 or less: no limit.
  static constexpr int64_t kDefaultStepLimit = 10'000'000;
  void SetStepLimit(int64_t steps) { step_limit_ = steps; }
  int64_t StepLimit() const { return step_limit_; }

 private:
  friend class TConsNode;
  class Entry;
  NodeRef EvalCall(TConsNode* form);
  void CountStep();

  std::unique_ptr<TSymTable> table_;
  int depth_ = 0;
  int entries_ = 0;  // evaluations under way; 0 between the host's evaluations
  int64_t steps_ = 0;
  int64_t step_limit_ = kDefaultStepLimit;
};

// The engine instance; an assertion failure when none exists.
TWLisp& Lisp();
bool LispExists();

}  // namespace kest
