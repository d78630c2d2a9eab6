#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lisp/node.h"
#include "support/errors.h"

namespace kest {

KEST_DECLARE_ERROR(EModuleClassesError, EKestError);

// Module kinds, by the index stored in a class.
enum TModuleKind : uint8_t {
  mkSystem = 0,       // not offered; stays loaded when the tool modules are removed
  mkGround = 1,       // main module
  mkStandalone = 2,   // base module with nothing below it; may set the init command
  mkBase = 3,         // base module; a middle and an end module may follow
  mkInterjacent = 4,  // middle module
  mkTerminal = 5,     // end module
};
inline constexpr int kModuleKindCount = 6;
const char* ModuleKindName(uint8_t kind);
// "SYSTEM" .. "TERMINAL" in any case; else EKestError "Unknown module kind \"%s\" found".
uint8_t StrToModuleKind(std::string_view name);

// One module class file: what a module declares (kind, size, power value, init
// command) and, in its Form, the sensors and channels it brings.
struct TModuleClass {
  std::string Extends;  // parent class name, or empty
  NodeRef Form;         // the whole file
  std::string Name;     // upper case
  std::string DisplayName;
  int32_t Current = 0;  // power value
  int32_t Command = 0;  // initialisation command byte
  int32_t Length = 0;   // length along the string
  uint8_t Kind = mkSystem;
  bool Selectable = true;
  bool AutoNumber = false;
  bool Expand = false;   // a main module with a tool string below it
  std::string FileName;  // full path
  int32_t FileTime = 0;  // seconds since 1970 of the file's last change
};

// A file that could not be loaded during a directory scan.
struct TModuleLoadFailure {
  std::string FileName;
  std::string Message;
};

// Calls `load` for every file under `directory`, recursing into folders, in name
// order. Names starting with "." are skipped, and files starting with "~" (folders
// starting with "~" too when `skip_tilde_folders`). A file whose load raises is
// logged as "Error loading file \"%s\"\n%s", reported through `report` and skipped.
void ScanModuleDirectory(
    const std::string& directory, bool skip_tilde_folders,
    const std::function<void(const std::string& path, int32_t file_time)>& load,
    const std::function<void(const TModuleLoadFailure&)>& report);

// The module classes of the classes folder, sorted by name. One exists at a time
// (reach it through ModuleClasses()); it owns the classes.
class TModuleClasses {
 public:
  explicit TModuleClasses(std::string directory);
  ~TModuleClasses();
  TModuleClasses(const TModuleClasses&) = delete;
  TModuleClasses& operator=(const TModuleClasses&) = delete;

  const std::string& Directory() const { return directory_; }
  // Clears, then loads every file of the folder. Definitions refer to classes:
  // reload the definitions after the classes.
  void Reload();
  int Count() const { return static_cast<int>(items_.size()); }
  const TModuleClass& Items(int i) const { return *items_[static_cast<size_t>(i)]; }
  // By name, upper-cased (Cyrillic too); none when unknown.
  const TModuleClass* Find(std::string_view name) const;
  // EKestError "Unknown module class \"%s\"" when unknown.
  const TModuleClass& Get(std::string_view name) const;

  // Loads one class file and adds the class (used by the scan). Raises the script
  // engine's errors, EKestError for an unknown kind and EModuleClassesError
  // "Повторная загрузка класса \"%s\"" for a name loaded before.
  const TModuleClass& LoadClassFile(const std::string& path, int32_t file_time = 0);

  // The files the last Reload skipped.
  const std::vector<TModuleLoadFailure>& Failures() const { return failures_; }
  // The host's report of a skipped file (the desktop program shows a message box).
  std::function<void(const TModuleLoadFailure&)> OnLoadError;

 private:
  std::string directory_;
  std::vector<std::unique_ptr<TModuleClass>> items_;
  std::vector<TModuleLoadFailure> failures_;
};

// The registry; an assertion failure when none exists.
TModuleClasses& ModuleClasses();
bool ModuleClassesExist();

}  // namespace kest
