#include "app/core/tool_string.h"

#include "link/logger.h"
#include "link/logger_module.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "support/number_text.h"

namespace kest {

namespace {

// "CLASS #N" -> the definition; "CLASS" -> its default (number 0).
const TModuleDef& DefinitionOf(const TModuleDefs& defs, const std::string& text) {
  size_t hash = text.rfind(" #");
  if (hash != std::string::npos) {
    if (auto n = ParseInt(text.substr(hash + 2))) return defs.Get(text.substr(0, hash), *n);
  }
  return defs.Get(text, 0);
}

bool Chosen(const std::string& text) { return !text.empty() && text != kNoModule; }

}  // namespace

ToolString ToolString::Shipped() { return {"ТЕЛЕМЕТРИЯ", "ГК-НК #7", "ТМ #5", "КАВЕРНОМЕР #2"}; }

std::string ToolStringLayoutName(const TLogger& logger) {
  std::string text;
  for (int i = 1; i < logger.ModuleCount(); ++i) {
    const std::string& name = logger.Modules(i)->Name;
    if (name.empty()) continue;
    if (!text.empty()) text += ' ';
    text += name;
  }
  return text;
}

void LoadToolString(TLogger& logger, const TModuleClasses& classes, const TModuleDefs& defs,
                    const ToolString& string) {
  logger.RemoveToolModules();
  logger.ModuleOffset = 0;
  try {
    logger.AddModule(classes.Get(string.Main));
    for (const std::string* part : {&string.Base, &string.Interjacent, &string.Terminal})
      if (Chosen(*part)) logger.AddModuleWithSettings(DefinitionOf(defs, *part));
  } catch (...) {
    logger.RemoveToolModules();
    throw;
  }
}

}  // namespace kest
