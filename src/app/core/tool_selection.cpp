#include "app/core/tool_selection.h"

#include "link/module_classes.h"
#include "link/module_defs.h"
#include "support/settings.h"

namespace kest {

namespace {

// The class a list text names: "CLASS #N" or "CLASS".
const TModuleClass* ClassOf(const TModuleClasses& classes, const std::string& text) {
  size_t hash = text.rfind(" #");
  return classes.Find(hash == std::string::npos ? text : text.substr(0, hash));
}

bool Chosen(const std::string& text) { return !text.empty(); }

}  // namespace

std::vector<std::string> ToolSelection::MainList() const {
  std::vector<std::string> list;
  for (int i = 0; i < classes_.Count(); ++i)
    if (classes_.Items(i).Kind == mkGround && classes_.Items(i).Selectable)
      list.push_back(classes_.Items(i).Name);
  return list;
}

std::vector<std::string> ToolSelection::BaseList(bool automatic) const {
  std::vector<std::string> list;
  for (int i = 0; i < defs_.Count(); ++i) {
    const TModuleDef& d = defs_.Items(i);
    uint8_t kind = d.ModuleClass->Kind;
    if (kind != mkStandalone && kind != mkBase) continue;
    if (!automatic) {
      list.push_back(d.DisplayName());
    } else if (d.Number == 0 && d.ModuleClass->AutoNumber) {
      list.push_back(d.ModuleClass->Name);
    }
  }
  return list;
}

std::vector<std::string> ToolSelection::InterjacentList() const {
  std::vector<std::string> list{kNoModule};
  for (int i = 0; i < defs_.Count(); ++i)
    if (defs_.Items(i).ModuleClass->Kind == mkInterjacent)
      list.push_back(defs_.Items(i).DisplayName());
  return list;
}

std::vector<std::string> ToolSelection::TerminalList() const {
  std::vector<std::string> list{kNoModule};
  for (int i = 0; i < defs_.Count(); ++i) {
    const TModuleDef& d = defs_.Items(i);
    if (d.ModuleClass->Kind == mkTerminal && d.Number == 0 && d.ModuleClass->AutoNumber)
      list.push_back(d.ModuleClass->Name);
  }
  for (int i = 0; i < defs_.Count(); ++i)
    if (defs_.Items(i).ModuleClass->Kind == mkTerminal)
      list.push_back(defs_.Items(i).DisplayName());
  return list;
}

bool ToolSelection::BaseVisible(const std::string& main) const {
  const TModuleClass* c = classes_.Find(main);
  return c && c->Expand;
}

bool ToolSelection::AdditionalVisible(const std::string& main, const std::string& base) const {
  if (!BaseVisible(main)) return false;
  const TModuleClass* c = ClassOf(classes_, base);
  return c && c->Kind == mkBase;
}

bool ToolSelection::CanAccept(const ToolString& choice) const {
  if (!classes_.Find(choice.Main)) return false;
  if (!BaseVisible(choice.Main)) return true;
  if (!Chosen(choice.Base)) return false;
  if (AdditionalVisible(choice.Main, choice.Base))
    return Chosen(choice.Interjacent) && Chosen(choice.Terminal);
  return true;
}

ToolString ToolSelection::Effective(const ToolString& choice) const {
  ToolString s{choice.Main, {}, {}, {}};
  if (BaseVisible(choice.Main)) s.Base = choice.Base;
  if (AdditionalVisible(choice.Main, choice.Base)) {
    s.Interjacent = choice.Interjacent;
    s.Terminal = choice.Terminal;
  }
  return s;
}

ToolSelection::Memory ToolSelection::Load(const Settings& s, const std::string& mode_key) {
  std::string path = mode_key + "/Logger selector";
  Memory m;
  m.AutoDetect = s.GetBool(path, "AutoDetect", false);
  if (s.Contains(path, "MainModule"))
    m.Manual = {s.GetString(path, "MainModule"), s.GetString(path, "BaseModule"),
                s.GetString(path, "InterjacentModule"), s.GetString(path, "TerminalModule")};
  m.Automatic = {s.GetString(path, "MainClass"), s.GetString(path, "BaseClass"),
                 s.GetString(path, "InterjacentClass"), s.GetString(path, "TerminalClass")};
  return m;
}

void ToolSelection::Save(Settings& s, const std::string& mode_key, const Memory& m) {
  std::string path = mode_key + "/Logger selector";
  s.SetBool(path, "AutoDetect", m.AutoDetect);
  s.SetString(path, "MainModule", m.Manual.Main);
  s.SetString(path, "BaseModule", m.Manual.Base);
  s.SetString(path, "InterjacentModule", m.Manual.Interjacent);
  s.SetString(path, "TerminalModule", m.Manual.Terminal);
  s.SetString(path, "MainClass", m.Automatic.Main);
  s.SetString(path, "BaseClass", m.Automatic.Base);
  s.SetString(path, "InterjacentClass", m.Automatic.Interjacent);
  s.SetString(path, "TerminalClass", m.Automatic.Terminal);
}

}  // namespace kest
