#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_errors.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"
#include "support/code_page.h"

namespace kest {

// What the logger's sensor and channel lists have in common: items by name, with
// items of one name standing together in the order they were added and Number
// counting them from 0; while listed, an item is a global script variable named
// prefix + name (+ Number when above 0) whose value is a `Node` reading it. Owns
// the items. `Node` must be constructible from `const Item*` and offer `Target()`
// and `Forget()`.
template <typename Item, typename Node>
class TNamedItems {
 public:
  TNamedItems(const TNamedItems&) = delete;
  TNamedItems& operator=(const TNamedItems&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  Item* Items(int i) const { return items_[static_cast<size_t>(i)].get(); }
  // The n-th item (from 0) whose name equals the upper-cased name, or null.
  Item* Find(std::string_view name, int n = 0) const {
    std::string wanted = UpperCase(name);
    for (const auto& item : items_)
      if (item->Name() == wanted && n-- == 0) return item.get();
    return nullptr;
  }
  template <typename Other>
  int IndexOf(const Other* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }
  std::string SymbolFor(const Item& item) const {
    std::string symbol = prefix_ + item.Name();
    if (item.Number > 0) symbol += std::to_string(item.Number);
    return symbol;
  }

  // Set by the logger: announce a layout change; bracket a batch of changes.
  std::function<void()> OnLayoutChange;
  std::function<void()> BeginUpdate;
  std::function<void()> EndUpdate;

 protected:
  explicit TNamedItems(std::string prefix) : prefix_(std::move(prefix)) {}
  ~TNamedItems() = default;

  // Places `item` after the last one of its name, numbers it, runs `attach` (which
  // may raise and then leaves the list as it was) and defines its script variable.
  // ELoggerError `duplicate_message` when this very item is listed already.
  Item* Insert(std::unique_ptr<Item> item, const char* duplicate_message,
               const std::function<void(Item&)>& attach) {
    if (IndexOf(item.get()) >= 0) {
      static_cast<void>(item.release());  // the list owns it already
      throw ELoggerError(duplicate_message);
    }
    auto same = [&](const auto& other) { return other->Name() == item->Name(); };
    auto last_same = std::find_if(items_.rbegin(), items_.rend(), same);
    auto at = last_same == items_.rend() ? items_.end() : last_same.base();
    item->Number = static_cast<int32_t>(std::count_if(items_.begin(), at, same));
    if (attach) attach(*item);
    Item* added = item.get();
    items_.insert(at, std::move(item));
    try {
      Define(*added);
    } catch (...) {
      items_.erase(items_.begin() + IndexOf(added));
      throw;
    }
    if (OnLayoutChange) OnLayoutChange();
    return added;
  }

  // Removes the item's script variable and frees it.
  void Erase(int index) {
    auto it = items_.begin() + index;
    Undefine(**it);
    items_.erase(it);
    if (OnLayoutChange) OnLayoutChange();
  }

  // Deletes every item, from the last, inside one update bracket.
  template <typename DeleteFn>
  void ClearWith(DeleteFn erase) {
    if (BeginUpdate) BeginUpdate();
    try {
      while (!items_.empty()) erase(Count() - 1);
    } catch (...) {
      if (EndUpdate) EndUpdate();
      throw;
    }
    if (EndUpdate) EndUpdate();
  }

  void DropHooks() {
    OnLayoutChange = nullptr;
    BeginUpdate = EndUpdate = nullptr;
  }

  std::vector<std::unique_ptr<Item>> items_;

 private:
  void Define(Item& item) {
    item.SymbolName = SymbolFor(item);
    Lisp().SetVariable(item.SymbolName, MakeNode<Node>(&item));
    item.Registered = true;
  }

  void Undefine(Item& item) {
    if (!item.Registered) return;
    item.Registered = false;
    if (!LispExists()) return;
    // A formula may still hold the node: make it read 0 rather than a freed item.
    NodeRef value = Lisp().GetVariable(item.SymbolName);
    if (auto* node = NodeCast<Node>(value.Get()); node && node->Target() == &item) node->Forget();
    if (Lisp().SymTable().Find(item.SymbolName)) Lisp().SymTable().Remove(item.SymbolName);
  }

  std::string prefix_;
};

}  // namespace kest
