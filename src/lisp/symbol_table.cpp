#include "lisp/symbol_table.h"

#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "support/assert.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"

namespace kest {

namespace {

constexpr uint32_t kMask = TSymTable::kCapacity - 1;

// Distance from slot `from` forward to slot `to`, wrapping around.
uint32_t Distance(uint32_t from, uint32_t to) { return (to - from) & kMask; }

}  // namespace

TSymTable::~TSymTable() {
  Diag().Component("SymTable: " + std::to_string(count_) + " symbols created");
  Diag().Component("SymTable: " + std::to_string(collisions_) + " collisions detected");
}

uint32_t TSymTable::Hash(std::string_view name) {
  uint32_t h = 0;
  for (unsigned char c : name) h = (h & 1) ? (c ^ (h << 1)) : (c ^ (h >> 1));
  return h;
}

int TSymTable::SlotOf(std::string_view name) const {
  uint32_t i = Hash(name) & kMask;
  while (slots_[i]) {
    if (slots_[i]->Name == name) return static_cast<int>(i);
    i = (i + 1) & kMask;
  }
  return -1;
}

TSymbolDef* TSymTable::Find(std::string_view name) const {
  for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
    auto it = scope->find(name);
    if (it != scope->end()) return it->second.get();
  }
  int slot = SlotOf(name);
  return slot < 0 ? nullptr : slots_[static_cast<size_t>(slot)].get();
}

TSymbolDef& TSymTable::FindOrAdd(std::string_view name) {
  if (TSymbolDef* def = Find(name)) return *def;
  if (live_ >= kLimit) throw ELispSymTableError("Out of space");
  uint32_t i = Hash(name) & kMask;
  if (slots_[i]) ++collisions_;
  while (slots_[i]) i = (i + 1) & kMask;
  slots_[i] = std::make_unique<TSymbolDef>(std::string(name));
  ++count_;
  ++live_;
  return *slots_[i];
}

void TSymTable::Remove(std::string_view name) {
  const std::string upper = UpperCase(name);
  int found = SlotOf(upper);
  if (found < 0)
    throw ELispSymTableError("RemoveSymbol (" + std::string(name) + ") failed: not found");
  auto i = static_cast<uint32_t>(found);
  std::unique_ptr<TSymbolDef> removed = std::move(slots_[i]);
  --live_;
  // Close the gap: move back every entry of the probe run that would otherwise
  // become unreachable from its home slot.
  for (uint32_t j = (i + 1) & kMask; slots_[j]; j = (j + 1) & kMask) {
    uint32_t home = Hash(slots_[j]->Name) & kMask;
    if (home == j || Distance(home, j) < Distance(i, j)) continue;
    slots_[i] = std::move(slots_[j]);
    i = j;
  }
}

void TSymTable::PushScope() { scopes_.emplace_back(); }

void TSymTable::PopScope() {
  KEST_ASSERT(!scopes_.empty());
  scopes_.pop_back();
}

TSymbolDef& TSymTable::DefineLocal(std::string_view name) {
  KEST_ASSERT(!scopes_.empty());
  auto [it, added] = scopes_.back().try_emplace(std::string(name));
  if (!added) throw ELispEvalError("Повторный локальный символ \"" + std::string(name) + "\"");
  it->second = std::make_unique<TSymbolDef>(std::string(name));
  return *it->second;
}

NodeRef TSymTable::GetValue(std::string_view name) const {
  TSymbolDef* def = Find(name);
  return def ? def->Value : nullptr;
}

void TSymTable::SetValue(std::string_view name, NodeRef value) {
  FindOrAdd(name).Value = std::move(value);
}

namespace {

// The cell holding the value of `property` in a property list, or nullptr.
TConsNode* FindPropCell(TNode* plist, std::string_view property) {
  for (auto* cell = NodeCast<TConsNode>(plist); cell;) {
    TConsNode* value = cell->Next();
    if (!value) break;
    auto* key = NodeCast<TSymbolNode>(cell->Car());
    if (key && key->Name() == property) return value;
    cell = value->Next();
  }
  return nullptr;
}

}  // namespace

NodeRef TSymTable::GetProp(std::string_view name, std::string_view property) const {
  TSymbolDef* def = Find(name);
  if (!def) return nullptr;
  TConsNode* cell = FindPropCell(def->PList.Get(), property);
  return cell ? NodeRef::Share(cell->Car()) : nullptr;
}

void TSymTable::SetProp(std::string_view name, std::string_view property, NodeRef value) {
  TSymbolDef& def = FindOrAdd(name);
  if (TConsNode* cell = FindPropCell(def.PList.Get(), property)) {
    if (value && Reaches(value.Get(), cell))
      throw ELispEvalError("Нельзя сохранить список свойств в нём самом");
    cell->SetCar(std::move(value));
    return;
  }
  def.PList = MakeCons(MakeSymbol(property), MakeCons(std::move(value), std::move(def.PList)));
}

NodeRef TSymTable::GetPList(std::string_view name) const {
  TSymbolDef* def = Find(name);
  return def ? def->PList : nullptr;
}

void TSymTable::AddSpecialForm(std::string_view name, const TNodeClass* cls, NodeRef func) {
  FindOrAdd(name).SpecialForms.push_back({cls, std::move(func)});
}

void TSymTable::AddFunction(std::string_view name, const TNodeClass* cls, NodeRef func) {
  FindOrAdd(name).Functions.push_back({cls, std::move(func)});
}

NodeRef FindDefinition(const std::vector<TSymbolDefFunc>& chain, const TNodeClass* cls) {
  if (cls) {
    for (const auto& entry : chain)
      if (entry.ArgClass && cls->InheritsFrom(*entry.ArgClass)) return entry.Func;
  }
  for (const auto& entry : chain)
    if (!entry.ArgClass) return entry.Func;
  return nullptr;
}

NodeRef TSymTable::FindSpecialForm(std::string_view name, const TNodeClass* cls) const {
  TSymbolDef* def = Find(name);
  return def ? FindDefinition(def->SpecialForms, cls) : nullptr;
}

NodeRef TSymTable::FindFunction(std::string_view name, const TNodeClass* cls) const {
  TSymbolDef* def = Find(name);
  return def ? FindDefinition(def->Functions, cls) : nullptr;
}

}  // namespace kest
