#include "lisp/keyword_list.h"

#include "lisp/args.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/value_nodes.h"
#include "support/code_page.h"

namespace kest {

namespace {

std::string Quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

}  // namespace

TNode* FindEntry(std::string_view key, TNode* list) {
  if (!list || IsNil(list)) return nullptr;
  auto* cell = NodeCast<TConsNode>(list);
  if (!cell) RaiseClassError(TConsNode::kClass, list);
  const std::string name = UpperCase(key);
  for (; cell; cell = cell->Next()) {
    auto* entry = NodeCast<TConsNode>(cell->Car());
    if (!entry) RaiseClassError(TConsNode::kClass, cell->Car());
    auto* entry_key = NodeCast<TSymbolNode>(entry->Car());
    if (!entry_key) RaiseClassError(TSymbolNode::kClass, entry->Car());
    if (entry_key->Name() == name) return entry->Cdr();
  }
  return nullptr;
}

int32_t GetInt(std::string_view key, TNode* list) {
  TNode* value = FindEntry(key, list);
  if (!value) throw ELispError("Integer value " + Quoted(key) + " not found");
  auto* number = NodeCast<TNumericNode>(value);
  if (!number) throw ELispError("Parameter " + Quoted(key) + " must be a number");
  return number->AsInteger();
}

int32_t GetIntDef(std::string_view key, TNode* list, int32_t def) {
  if (!FindEntry(key, list)) return def;
  return GetInt(key, list);
}

std::string GetStr(std::string_view key, TNode* list) {
  TNode* value = FindEntry(key, list);
  if (!value) throw ELispError("String value " + Quoted(key) + " not found");
  if (auto* symbol = NodeCast<TSymbolNode>(value)) return symbol->Name();
  if (auto* text = NodeCast<TStringNode>(value)) return text->Text();
  throw ELispError("String expected");
}

std::string GetStrDef(std::string_view key, TNode* list, std::string_view def) {
  if (!FindEntry(key, list)) return std::string(def);
  return GetStr(key, list);
}

bool GetBoolDef(std::string_view key, TNode* list, bool def) {
  TNode* value = FindEntry(key, list);
  if (!value) return def;
  if (auto* flag = NodeCast<TBoolSymbolNode>(value)) return flag->AsBool();
  if (auto* symbol = NodeCast<TSymbolNode>(value))
    return symbol->Name() == "YES" || symbol->Name() == "ON";
  throw ELispError("Bool expected");
}

TConsNode* GetList(std::string_view key, TNode* list) {
  TNode* value = FindEntry(key, list);
  if (!value) return nullptr;
  auto* items = NodeCast<TConsNode>(value);
  if (!items) throw ELispError("Parameter " + Quoted(key) + " must be a cons");
  return items;
}

}  // namespace kest
