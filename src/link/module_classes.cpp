#include "link/module_classes.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "lisp/cons_node.h"
#include "lisp/keyword_list.h"
#include "lisp/lisp_error.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"

namespace kest {

namespace fs = std::filesystem;

namespace {

constexpr const char* kKindNames[kModuleKindCount] = {"SYSTEM", "GROUND",      "STANDALONE",
                                                      "BASE",   "INTERJACENT", "TERMINAL"};

TModuleClasses* g_classes = nullptr;

int32_t FileTimeOf(const fs::directory_entry& entry) {
  std::error_code ec;
  auto time = entry.last_write_time(ec);
  if (ec) return 0;
  auto since_epoch = std::chrono::file_clock::to_sys(time).time_since_epoch();
  return static_cast<int32_t>(
      std::chrono::duration_cast<std::chrono::seconds>(since_epoch).count());
}

void ScanFolder(const fs::path& folder, bool skip_tilde_folders, int depth,
                const std::function<void(const std::string&, int32_t)>& load,
                const std::function<void(const TModuleLoadFailure&)>& report) {
  // Folders that link back up would recurse forever.
  constexpr int kMaxDepth = 32;
  if (depth > kMaxDepth) return;
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(*it);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  for (const auto& entry : entries) {
    std::string name = entry.path().filename().string();
    if (name.starts_with(".")) continue;
    if (entry.is_directory(ec)) {
      if (skip_tilde_folders && name.starts_with("~")) continue;
      ScanFolder(entry.path(), skip_tilde_folders, depth + 1, load, report);
      continue;
    }
    if (name.starts_with("~")) continue;
    std::string path = entry.path().string();
    try {
      load(path, FileTimeOf(entry));
    } catch (const std::exception& e) {
      TModuleLoadFailure failure{path, e.what()};
      Diag().Error("Error loading file \"" + path + "\"\n" + failure.Message);
      if (report) report(failure);
    }
  }
}

}  // namespace

const char* ModuleKindName(uint8_t kind) {
  return kind < kModuleKindCount ? kKindNames[kind] : "?";
}

uint8_t StrToModuleKind(std::string_view name) {
  std::string upper = UpperCase(name);
  for (int i = 0; i < kModuleKindCount; ++i)
    if (upper == kKindNames[i]) return static_cast<uint8_t>(i);
  throw EKestError("Unknown module kind \"" + std::string(name) + "\" found");
}

void ScanModuleDirectory(const std::string& directory, bool skip_tilde_folders,
                         const std::function<void(const std::string&, int32_t)>& load,
                         const std::function<void(const TModuleLoadFailure&)>& report) {
  ScanFolder(fs::path(directory), skip_tilde_folders, 0, load, report);
}

TModuleClasses::TModuleClasses(std::string directory) : directory_(std::move(directory)) {
  KEST_ASSERT(g_classes == nullptr);
  g_classes = this;
}

TModuleClasses::~TModuleClasses() {
  if (g_classes == this) g_classes = nullptr;
}

void TModuleClasses::Reload() {
  items_.clear();
  failures_.clear();
  ScanModuleDirectory(
      directory_, true,
      [this](const std::string& path, int32_t time) { LoadClassFile(path, time); },
      [this](const TModuleLoadFailure& failure) {
        failures_.push_back(failure);
        if (OnLoadError) OnLoadError(failure);
      });
}

const TModuleClass* TModuleClasses::Find(std::string_view name) const {
  std::string wanted = UpperCase(name);
  auto it = std::lower_bound(items_.begin(), items_.end(), wanted,
                             [](const auto& c, const std::string& n) { return c->Name < n; });
  return it != items_.end() && (*it)->Name == wanted ? it->get() : nullptr;
}

const TModuleClass& TModuleClasses::Get(std::string_view name) const {
  if (const TModuleClass* c = Find(name)) return *c;
  throw EKestError("Unknown module class \"" + std::string(name) + "\"");
}

const TModuleClass& TModuleClasses::LoadClassFile(const std::string& path, int32_t file_time) {
  auto cls = std::make_unique<TModuleClass>();
  cls->Form = Lisp().LoadFile(path);
  TNode* form = cls->Form.Get();
  if (!NodeCast<TConsNode>(form)) throw ELispEvalError("Файл класса модуля должен быть списком");
  cls->FileName = path;
  cls->Extends = GetStrDef("extends", form, "");
  std::string name = GetStrDef("name", form, fs::path(path).filename().string());
  if (name.starts_with(" ") || name.starts_with("-")) name = cls->Extends + name;
  cls->Name = UpperCase(name);
  if (Find(cls->Name)) throw EModuleClassesError("Повторная загрузка класса \"" + cls->Name + "\"");
  cls->DisplayName = GetStrDef("displayname", form, cls->Name);
  cls->Kind = StrToModuleKind(GetStr("kind", form));
  cls->Current = GetIntDef("current", form, 0);
  cls->Selectable = GetBoolDef("selectable", form, true);
  cls->AutoNumber = GetBoolDef("autonumber", form, false);
  cls->Command = GetIntDef("command", form, 0);
  cls->Length = GetIntDef("length", form, 0);
  cls->Expand = GetBoolDef("Expand", form, false);
  cls->FileTime = file_time;
  auto at = std::lower_bound(items_.begin(), items_.end(), cls->Name,
                             [](const auto& c, const std::string& n) { return c->Name < n; });
  return **items_.insert(at, std::move(cls));
}

TModuleClasses& ModuleClasses() {
  KEST_ASSERT(g_classes != nullptr);
  return *g_classes;
}

bool ModuleClassesExist() { return g_classes != nullptr; }

}  // namespace kest
