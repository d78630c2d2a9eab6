#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lisp/node.h"

namespace kest {

// One definition of a name: called when the first argument is of `ArgClass` (or
// derives from it); no class means any first argument and also no argument at all.
struct TSymbolDefFunc {
  const TNodeClass* ArgClass = nullptr;
  NodeRef Func;  // a TFuncNode
};

// Everything a name carries: its variable value, its property list (a flat list
// name, value, name, value, ...) and its definitions, tried in registration order.
struct TSymbolDef {
  explicit TSymbolDef(std::string name) : Name(std::move(name)) {}
  std::string Name;
  NodeRef Value;
  NodeRef PList;
  std::vector<TSymbolDefFunc> SpecialForms;  // called with the forms as written
  std::vector<TSymbolDefFunc> Functions;     // called with evaluated arguments
};

// The engine's names: a stack of local scopes (one per running closure) over a
// fixed open-addressing hash table of global definitions. The table never grows:
// 512 slots, at most 384 names at a time (a removed name makes room again, so a
// program that loads and unloads tool strings for hours never runs out). Names are
// compared byte-wise; callers pass upper-case names.
class TSymTable {
 public:
  static constexpr int kCapacity = 512;
  static constexpr int kLimit = 384;  // kCapacity * 0.75

  TSymTable() = default;
  // Logs "SymTable: %d symbols created" and "SymTable: %d collisions detected".
  ~TSymTable();
  TSymTable(const TSymTable&) = delete;
  TSymTable& operator=(const TSymTable&) = delete;

  // Innermost scope first, then the global table; nullptr when undefined.
  TSymbolDef* Find(std::string_view name) const;
  // Find, else a new global definition; ELispSymTableError "Out of space" when the
  // table holds its limit of names.
  TSymbolDef& FindOrAdd(std::string_view name);
  // Deletes the global definition of `name` (upper-cased here); ELispSymTableError
  // "RemoveSymbol (name) failed: not found" when there is none. Count() (names
  // ever created, for the diagnostic log) does not go down.
  void Remove(std::string_view name);

  void PushScope();
  // Destroys the innermost scope and its definitions.
  void PopScope();
  // A new definition in the innermost scope; a name already defined there raises
  // ELispEvalError.
  TSymbolDef& DefineLocal(std::string_view name);
  int ScopeDepth() const { return static_cast<int>(scopes_.size()); }

  // Owned references, or none.
  NodeRef GetValue(std::string_view name) const;
  void SetValue(std::string_view name, NodeRef value);
  NodeRef GetProp(std::string_view name, std::string_view property) const;
  void SetProp(std::string_view name, std::string_view property, NodeRef value);
  NodeRef GetPList(std::string_view name) const;

  void AddSpecialForm(std::string_view name, const TNodeClass* cls, NodeRef func);
  void AddFunction(std::string_view name, const TNodeClass* cls, NodeRef func);
  // The first definition whose class the argument class matches, else the first
  // without a class; `cls` nullptr looks only at those without a class.
  NodeRef FindSpecialForm(std::string_view name, const TNodeClass* cls) const;
  NodeRef FindFunction(std::string_view name, const TNodeClass* cls) const;

  int Count() const { return count_; }
  int Collisions() const { return collisions_; }
  static uint32_t Hash(std::string_view name);
  // The slot holding `name`, or -1 (for tests of the probing).
  int SlotOf(std::string_view name) const;

 private:
  using Scope = std::map<std::string, std::unique_ptr<TSymbolDef>, std::less<>>;

  std::vector<Scope> scopes_;
  std::array<std::unique_ptr<TSymbolDef>, kCapacity> slots_{};
  int count_ = 0;  // names ever created
  int live_ = 0;   // names in the table now
  int collisions_ = 0;
};

// Definition lookup over one chain, by the rules of TSymTable::FindFunction.
NodeRef FindDefinition(const std::vector<TSymbolDefFunc>& chain, const TNodeClass* cls);

}  // namespace kest
