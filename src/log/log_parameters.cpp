#include "log/log_parameters.h"

#include <filesystem>

#include "lisp/args.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/value_nodes.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"

namespace kest {

namespace {

TLogParameterTables* g_tables = nullptr;

TLogParameter ReadEntry(TNode* entry) {
  if (!NodeCast<TConsNode>(entry))
    throw ELispEvalError("Описание параметра должно быть списком: " + ToText(entry));
  TArgs args(entry);
  TLogParameter p;
  p.Name = UpperCase(args.Next<TSymbolNode>()->Name());
  p.Caption = args.Next<TStringNode>()->Text();
  p.ShortCaption = args.Next<TStringNode>()->Text();
  p.Units = args.Next<TStringNode>()->Text();
  p.Mnemonic = args.Next<TStringNode>()->Text();
  p.Format = args.Next<TStringNode>()->Text();
  p.Number = static_cast<float>(args.Next<TNumericNode>()->AsInteger());
  return p;
}

}  // namespace

void TLogParameters::Load(const std::string& path) {
  NodeRef form = Lisp().LoadFile(path);
  std::deque<TLogParameter> items;
  if (!IsNil(form.Get())) {
    if (!NodeCast<TConsNode>(form.Get()))
      throw ELispEvalError("Таблица параметров должна быть списком: " + path);
    for (TArgs entries(form.Get()); entries.HasMore();)
      items.push_back(ReadEntry(entries.NextArg()));
  }
  items_ = std::move(items);
  by_name_.clear();
  by_mnemonic_.clear();
  for (int i = 0; i < Count(); ++i) Index(i);
}

void TLogParameters::Index(int i) {
  const TLogParameter& p = items_[static_cast<size_t>(i)];
  by_name_.emplace(p.Name, i);
  by_mnemonic_.emplace(UpperCase(p.Mnemonic), i);
}

const TLogParameter* TLogParameters::Find(std::string_view name) const {
  auto it = by_name_.find(UpperCase(name));
  return it == by_name_.end() ? nullptr : &Items(it->second);
}

const TLogParameter& TLogParameters::Get(std::string_view name) const {
  const TLogParameter* p = Find(name);
  if (!p && sensors_) p = sensors_->Find(name);
  if (!p) throw ELogParametersError("Parameter \"" + std::string(name) + "\" not found");
  return *p;
}

const TLogParameter* TLogParameters::FindByMnemonic(std::string_view mnemonic) const {
  // Exchange files write mnemonics in any case; a table entry must be found however
  // either side spells it, or every import would add it again.
  auto it = by_mnemonic_.find(UpperCase(mnemonic));
  if (it != by_mnemonic_.end()) return &Items(it->second);
  return sensors_ ? sensors_->FindByMnemonic(mnemonic) : nullptr;
}

const TLogParameter& TLogParameters::GetByMnemonic(std::string_view mnemonic) {
  if (const TLogParameter* p = FindByMnemonic(mnemonic)) return *p;
  int index = Add(mnemonic, mnemonic, 0, "0.00", mnemonic, "у.е.", mnemonic);
  std::string message = "Отсутствует описание параметра \"" + std::string(mnemonic) + "\".";
  if (OnMissingDescription)
    OnMissingDescription(message, "Внимание !");
  else
    Diag().Note(message);
  return Items(index);
}

int TLogParameters::Add(std::string_view name, std::string_view caption, float number,
                        std::string_view format, std::string_view mnemonic, std::string_view units,
                        std::string_view short_caption) {
  TLogParameter p;
  p.Name = UpperCase(name);
  p.Caption = caption;
  p.ShortCaption = short_caption;
  p.Units = units;
  p.Mnemonic = mnemonic;
  p.Format = format;
  p.Number = number;
  items_.push_back(std::move(p));
  Index(Count() - 1);
  return Count() - 1;
}

TLogParameterTables::TLogParameterTables() {
  sensors_ = std::make_unique<TLogParameters>();
  parameters_ = std::make_unique<TLogParameters>(sensors_.get());
  Install();
}

TLogParameterTables::TLogParameterTables(const std::string& data_dir) {
  namespace fs = std::filesystem;
  sensors_ = std::make_unique<TLogParameters>();
  sensors_->Load((fs::path(data_dir) / kSensorsFile).string());
  Diag().Component("LogSensors initialized");
  parameters_ = std::make_unique<TLogParameters>(sensors_.get());
  parameters_->Load((fs::path(data_dir) / kParametersFile).string());
  Diag().Component("LogParameters initialized");
  Install();
}

void TLogParameterTables::Install() {
  KEST_ASSERT(g_tables == nullptr);
  g_tables = this;
}

TLogParameterTables::~TLogParameterTables() {
  if (g_tables == this) g_tables = nullptr;
}

TLogParameters& LogSensors() {
  KEST_ASSERT(g_tables != nullptr);
  return g_tables->Sensors();
}

TLogParameters& LogParameters() {
  KEST_ASSERT(g_tables != nullptr);
  return g_tables->Parameters();
}

bool LogParametersExist() { return g_tables != nullptr; }

}  // namespace kest
