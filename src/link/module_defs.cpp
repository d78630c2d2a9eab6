#include "link/module_defs.h"

#include "lisp/cons_node.h"
#include "lisp/keyword_list.h"
#include "lisp/lisp_error.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "support/code_page.h"

namespace kest {

namespace {

TModuleDefs* g_defs = nullptr;

std::string DefName(std::string_view class_name, int32_t number) {
  return std::string(class_name) + " #" + std::to_string(number);
}

}  // namespace

std::string TModuleDef::DisplayName() const {
  return DefName(ModuleClass ? ModuleClass->Name : "", Number);
}

TModuleDefs::TModuleDefs(std::string directory) : directory_(std::move(directory)) {
  KEST_ASSERT(g_defs == nullptr);
  g_defs = this;
}

TModuleDefs::~TModuleDefs() {
  if (g_defs == this) g_defs = nullptr;
}

void TModuleDefs::Reload() {
  items_.clear();
  failures_.clear();
  const TModuleClasses& classes = ModuleClasses();
  for (int i = 0; i < classes.Count(); ++i) {
    const TModuleClass& cls = classes.Items(i);
    if (!cls.Selectable) continue;
    auto def = std::make_unique<TModuleDef>();
    def->ModuleClass = &cls;
    def->FileName = cls.FileName;
    items_.push_back(std::move(def));
  }
  ScanModuleDirectory(
      directory_, false, [this](const std::string& path, int32_t) { LoadDefFile(path); },
      [this](const TModuleLoadFailure& failure) {
        failures_.push_back(failure);
        if (OnLoadError) OnLoadError(failure);
      });
}

const TModuleDef* TModuleDefs::Find(std::string_view class_name, int32_t number) const {
  std::string wanted = UpperCase(class_name);
  for (const auto& def : items_)
    if (def->Number == number && def->ModuleClass->Name == wanted) return def.get();
  return nullptr;
}

const TModuleDef& TModuleDefs::Get(std::string_view class_name, int32_t number) const {
  if (const TModuleDef* def = Find(class_name, number)) return *def;
  throw EModuleDefsError("Module \"" + DefName(class_name, number) + "\" is unknown");
}

const TModuleDef& TModuleDefs::LoadDefFile(const std::string& path) {
  auto def = std::make_unique<TModuleDef>();
  def->Form = Lisp().LoadFile(path);
  TNode* form = def->Form.Get();
  if (!NodeCast<TConsNode>(form)) throw ELispEvalError("Файл описания модулей должен быть списком");
  def->FileName = path;
  def->ModuleClass = &ModuleClasses().Get(GetStr("class", form));
  def->Number = GetInt("number", form);
  if (Find(def->ModuleClass->Name, def->Number))
    throw EModuleDefsError("Повторная загрузка модуля \"" + def->DisplayName() + "\"");
  items_.push_back(std::move(def));
  return *items_.back();
}

TModuleDefs& ModuleDefs() {
  KEST_ASSERT(g_defs != nullptr);
  return *g_defs;
}

bool ModuleDefsExist() { return g_defs != nullptr; }

}  // namespace kest
