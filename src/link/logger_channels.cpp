#include "link/logger_channels.h"

#include <algorithm>

#include "link/link_errors.h"
#include "lisp/symbol_table.h"
#include "lisp/wlisp.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"

namespace kest {

TLoggerChannels::~TLoggerChannels() {
  OnLayoutChange = nullptr;
  BeginUpdate = EndUpdate = nullptr;
  Clear();
}

TLoggerChannel* TLoggerChannels::Find(std::string_view name, int n) const {
  std::string wanted = UpperCase(name);
  for (const auto& c : items_)
    if (c->Name() == wanted && n-- == 0) return c.get();
  return nullptr;
}

TLoggerChannel* TLoggerChannels::Get(std::string_view name, int n) const {
  if (TLoggerChannel* c = Find(name, n)) return c;
  throw ELoggerError("Logger channel \"" + std::string(name) + " #" + std::to_string(n) +
                     "\" not found");
}

int TLoggerChannels::IndexOf(const TLoggerChannel* channel) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == channel) return static_cast<int>(i);
  return -1;
}

std::string TLoggerChannels::SymbolFor(const TLoggerChannel& channel) {
  std::string symbol = "CH" + channel.Name();
  if (channel.Number > 0) symbol += std::to_string(channel.Number);
  return symbol;
}

void TLoggerChannels::Define(TLoggerChannel& channel) {
  channel.SymbolName = SymbolFor(channel);
  Lisp().SetVariable(channel.SymbolName, MakeNode<TChannelNode>(&channel));
  channel.Registered = true;
}

void TLoggerChannels::Undefine(TLoggerChannel& channel) {
  if (!channel.Registered) return;
  channel.Registered = false;
  if (!LispExists()) return;
  // A formula may still hold the node: make it read 0 rather than a freed channel.
  NodeRef value = Lisp().GetVariable(channel.SymbolName);
  if (auto* node = NodeCast<TChannelNode>(value.Get()); node && node->Channel() == &channel)
    node->Forget();
  if (Lisp().SymTable().Find(channel.SymbolName)) Lisp().SymTable().Remove(channel.SymbolName);
}

void TLoggerChannels::Add(std::unique_ptr<TLoggerChannel> channel) {
  if (IndexOf(channel.get()) >= 0) {
    channel.release();  // the list owns it already
    throw ELoggerError("Duplicate channel");
  }
  auto last_same = std::find_if(items_.rbegin(), items_.rend(),
                                [&](const auto& c) { return c->Name() == channel->Name(); });
  auto at = last_same == items_.rend() ? items_.end() : last_same.base();
  channel->Number = static_cast<int32_t>(
      std::count_if(items_.begin(), at, [&](const auto& c) { return c->Name() == channel->Name(); }));
  TLoggerChannel* added = channel.get();
  items_.insert(at, std::move(channel));
  try {
    Define(*added);
  } catch (...) {
    items_.erase(items_.begin() + IndexOf(added));
    throw;
  }
  if (OnLayoutChange) OnLayoutChange();
}

void TLoggerChannels::Delete(int index) {
  auto it = items_.begin() + index;
  Undefine(**it);
  items_.erase(it);
  if (OnLayoutChange) OnLayoutChange();
}

void TLoggerChannels::Clear() {
  if (BeginUpdate) BeginUpdate();
  try {
    while (!items_.empty()) Delete(Count() - 1);
  } catch (...) {
    if (EndUpdate) EndUpdate();
    throw;
  }
  if (EndUpdate) EndUpdate();
}

bool TLoggerChannels::EvaluateAll() {
  for (const auto& c : items_) {
    try {
      c->Evaluate();
    } catch (const std::exception& e) {
      Diag().LogException("logger_channels", c->SymbolName, e.what());
      return false;
    }
  }
  return true;
}

void TLoggerChannels::SensorRemoved(const TLoggerSensor* sensor) {
  for (const auto& c : items_)
    if (c->Sensor() == sensor) c->SetSensor(nullptr);
}

}  // namespace kest
