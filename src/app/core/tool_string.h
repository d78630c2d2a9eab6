#pragma once

#include <string>

namespace kest {

class TLogger;
class TModuleClasses;
class TModuleDefs;

// The tool string hanging on the cable, top to bottom, as the selection lists show
// it: the main module's class name and the other modules' definitions "%s #%d"
// ("(нет)" or empty for none).
struct ToolString {
  std::string Main, Base, Interjacent, Terminal;

  // The string shipped with the installation (the one the simulator plays).
  static ToolString Shipped();
};

constexpr const char* kNoModule = "(нет)";

// Loads the string into the logger: removes the tool modules, adds the main class,
// then each further definition with its saved settings. Any failure removes the
// tool modules again and is raised.
void LoadToolString(TLogger& logger, const TModuleClasses& classes, const TModuleDefs& defs,
                    const ToolString& string);

// The layout name of the loaded tool string: the names of the modules after the
// first ("System"), top to bottom, joined with blanks ("ТЕЛЕМЕТРИЯ ГК-НК ТМ ...").
std::string ToolStringLayoutName(const TLogger& logger);

}  // namespace kest
