// kest-tool modules: the module classes and definitions of an installation, and the
// files that failed to load.
#include <cstdio>
#include <string>

#include "command.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "tool_environment.h"

namespace kest::tool {
namespace {

// `text` padded with blanks to `width` characters (not bytes: names may be Cyrillic).
std::string Pad(const std::string& text, size_t width) {
  size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return chars < width ? text + std::string(width - chars, ' ') : text;
}

int Modules(const std::vector<std::string>& argv) {
  auto args = argv;
  ToolEnvironment env(args);
  ExpectPositional(args, 0);
  TModuleClasses classes(env.DataDir() + "/Classes");
  classes.Reload();
  TModuleDefs defs(env.DataDir() + "/Модули");
  defs.Reload();

  std::printf("Classes (%d):\n", classes.Count());
  std::printf("  %s %s %s %8s %8s\n", Pad("name", 20).c_str(), Pad("kind", 12).c_str(),
              Pad("display name", 32).c_str(), "length", "current");
  for (int i = 0; i < classes.Count(); ++i) {
    const TModuleClass& c = classes.Items(i);
    std::printf("  %s %s %s %8d %8d\n", Pad(c.Name, 20).c_str(),
                Pad(ModuleKindName(c.Kind), 12).c_str(), Pad(c.DisplayName, 32).c_str(), c.Length,
                c.Current);
  }
  std::printf("Definitions (%d):\n", defs.Count());
  for (int i = 0; i < defs.Count(); ++i) std::printf("  %s\n", defs.Items(i).DisplayName().c_str());
  int failed = 0;
  for (const auto* failures : {&classes.Failures(), &defs.Failures()})
    for (const TModuleLoadFailure& f : *failures) {
      if (failed++ == 0) std::printf("Failed to load:\n");
      std::printf("  %s: %s\n", f.FileName.c_str(), f.Message.c_str());
    }
  return failed ? 1 : 0;
}

}  // namespace

KEST_TOOL_COMMAND(
    "modules", "[--root DIR]",
    "module classes and definitions of an installation, and files that failed to load", Modules);

}  // namespace kest::tool
