#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

class TNode;
class TConsNode;

// Keyword lists are how data files describe things: a list of entries, each a cons
// whose car is the key symbol and whose cdr is the value, written (key . value) for
// one value and (key item item ...) for a list. An entry written as the key alone
// has no value and counts as missing. Keys are compared after upper-casing; error
// messages quote the key as given. An element that is not a cons, or a key that is
// not a symbol, raises ELispEvalError. The returned nodes are borrowed from `list`.

// The value of the first entry with `key`, or nullptr.
TNode* FindEntry(std::string_view key, TNode* list);
// ELispError "Integer value \"key\" not found" / "Parameter \"key\" must be a number".
int32_t GetInt(std::string_view key, TNode* list);
int32_t GetIntDef(std::string_view key, TNode* list, int32_t def);
// A symbol gives its (upper-case) name, a string its text. ELispError
// "String value \"key\" not found" / "String expected".
std::string GetStr(std::string_view key, TNode* list);
std::string GetStrDef(std::string_view key, TNode* list, std::string_view def);
// T and NIL give their truth, the symbols YES and ON true, other symbols false;
// anything else raises ELispError "Bool expected".
bool GetBoolDef(std::string_view key, TNode* list, bool def);
// nullptr when missing; ELispError "Parameter \"key\" must be a cons" when the value
// is not a list.
TConsNode* GetList(std::string_view key, TNode* list);

}  // namespace kest
