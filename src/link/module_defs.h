#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/module_classes.h"
#include "lisp/node.h"
#include "support/errors.h"

namespace kest {

KEST_DECLARE_ERROR(EModuleDefsError, EKestError);

// One instrument that can be chosen: a class and its number, with the definition
// file's replacement channel formulas (no Form for a class's default instance).
struct TModuleDef {
  NodeRef Form;
  const TModuleClass* ModuleClass = nullptr;
  int32_t Number = 0;
  std::string FileName;

  // "%s #%d": class name and number.
  std::string DisplayName() const;
};

// The module definitions: a default instance (number 0) of every selectable class,
// then the definition files of the modules folder, in load order. One exists at a
// time (ModuleDefs()); it needs ModuleClasses().
class TModuleDefs {
 public:
  explicit TModuleDefs(std::string directory);
  ~TModuleDefs();
  TModuleDefs(const TModuleDefs&) = delete;
  TModuleDefs& operator=(const TModuleDefs&) = delete;

  const std::string& Directory() const { return directory_; }
  void Reload();
  int Count() const { return static_cast<int>(items_.size()); }
  const TModuleDef& Items(int i) const { return *items_[static_cast<size_t>(i)]; }
  const TModuleDef* Find(std::string_view class_name, int32_t number) const;
  // EModuleDefsError "Module \"%s #%d\" is unknown" when missing.
  const TModuleDef& Get(std::string_view class_name, int32_t number) const;

  // Loads one definition file (used by the scan). EModuleDefsError
  // "Повторная загрузка модуля \"%s #%d\"" for a class and number loaded before.
  const TModuleDef& LoadDefFile(const std::string& path);

  const std::vector<TModuleLoadFailure>& Failures() const { return failures_; }
  std::function<void(const TModuleLoadFailure&)> OnLoadError;

 private:
  std::string directory_;
  std::vector<std::unique_ptr<TModuleDef>> items_;
  std::vector<TModuleLoadFailure> failures_;
};

TModuleDefs& ModuleDefs();
bool ModuleDefsExist();

}  // namespace kest
