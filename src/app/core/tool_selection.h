#pragma once

#include <string>
#include <vector>

#include "app/core/tool_string.h"

namespace kest {

class Settings;
class TModuleClasses;
class TModuleDefs;

// The rules of the tool selection dialog "Выбор прибора", without the widgets.
class ToolSelection {
 public:
  ToolSelection(const TModuleClasses& classes, const TModuleDefs& defs)
      : classes_(classes), defs_(defs) {}

  // The lists for the detection mode. Main: classes of kind GROUND ("%s"). Base:
  // manual — every definition of kinds STANDALONE and BASE ("%s #%d"); automatic —
  // the default definitions of such classes with AutoNumber ("%s"). Interjacent:
  // "(нет)", then the definitions of kind INTERJACENT. Terminal: "(нет)", the
  // auto-numbered TERMINAL classes ("%s"), then every TERMINAL definition.
  std::vector<std::string> MainList() const;
  std::vector<std::string> BaseList(bool automatic) const;
  std::vector<std::string> InterjacentList() const;
  std::vector<std::string> TerminalList() const;

  // The base list is shown when the main class has a string below it (Expand); the
  // intermediate and end lists when, in addition, the base module is of kind BASE.
  bool BaseVisible(const std::string& main) const;
  bool AdditionalVisible(const std::string& main, const std::string& base) const;
  // OK: a base module is chosen and, with the additional lists shown, both of them
  // have a selection ("(нет)" counts).
  bool CanAccept(const ToolString& choice) const;
  // What is loaded: the hidden lists' choices dropped.
  ToolString Effective(const ToolString& choice) const;

  // Remembered under "<mode key>/Logger selector": "AutoDetect", the manual texts
  // ("MainModule", ...) and the automatic ones ("MainClass", ...). With nothing
  // remembered, the manual choice is the shipped string.
  struct Memory {
    bool AutoDetect = false;
    ToolString Manual = ToolString::Shipped();
    ToolString Automatic;
    const ToolString& Current() const { return AutoDetect ? Automatic : Manual; }
  };
  static Memory Load(const Settings& settings, const std::string& mode_key);
  static void Save(Settings& settings, const std::string& mode_key, const Memory& memory);

 private:
  const TModuleClasses& classes_;
  const TModuleDefs& defs_;
};

}  // namespace kest
