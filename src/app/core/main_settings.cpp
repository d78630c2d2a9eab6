#include "app/core/main_settings.h"

#include "support/number_text.h"
#include "support/settings.h"

namespace kest {

namespace {

bool ReadToolbars(const Settings& s, const std::string& base,
                  std::map<std::string, ToolbarState>& bars) {
  for (auto& [tag, bar] : bars) {
    std::string path = base + "/" + tag;
    ToolbarState read = bar;
    if (!s.ReadBool(path, "Visible", read.Visible) ||
        !s.ReadBool(path, "Floating", read.Floating) || !s.ReadInt(path, "Left", read.Left) ||
        !s.ReadInt(path, "Top", read.Top) || !s.ReadInt(path, "Right", read.Right) ||
        !s.ReadInt(path, "Bottom", read.Bottom))
      return false;
    bar = read;
  }
  return true;
}

}  // namespace

std::string MainFormPath(AppMode mode) { return std::string(ModeKey(mode)) + "/Main form"; }

bool RecorderSettingsComplete(const Settings& s) {
  std::string path = MainFormPath(AppMode::amRecorder);
  for (const char* key :
       {"MLArea", "MLStep", "MLStep2", "MLSubStep", "MLOffset2", "MLPos2", "RecordStep"}) {
    auto text = s.Value(path, key);
    if (!text || !ParseFloat(*text)) return false;
  }
  return true;
}

void LoadMainSettings(const Settings& s, AppMode mode, MainSettings& m,
                      const std::function<bool()>& mode_part) {
  using R = MainSettings::Reached;
  m.LoadedUpTo = R::rMode;
  std::string form = MainFormPath(mode);
  if (!s.ReadInt(ModeKey(mode), "LasSaveStep", m.LasSaveStep)) return;
  m.LoadedUpTo = R::rMainForm;
  if (!s.ReadBool(form, "Maximized", m.Maximized)) return;
  if (!m.Maximized) {
    if (!s.ReadInt(form, "Left", m.Left) || !s.ReadInt(form, "Top", m.Top) ||
        !s.ReadInt(form, "Width", m.Width) || !s.ReadInt(form, "Height", m.Height))
      return;
    m.HasBounds = true;
  }
  m.DefaultLayout = s.GetString(form, "Default layout");
  m.LoadedUpTo = R::rModePart;
  if (mode_part && !mode_part()) return;
  m.LoadedUpTo = R::rToolbars;
  if (!ReadToolbars(s, form + "/Toolbars", m.Toolbars)) return;
  m.LoadedUpTo = R::rSettings;
  if (!s.Contains(kSettingsGroup, "Setted") ||
      !s.ReadInt(kSettingsGroup, "SaveFiles", m.SaveFiles)) {
    m.SetupDue = true;
    return;
  }
  m.SaveDir = s.GetString(kSettingsGroup, "SaveDir");
  m.LoadDir = s.GetString(kSettingsGroup, "LoadDir");
  m.Port = s.GetString(kSettingsGroup, "Port");
  m.HeadLine = s.GetString(kSettingsGroup, "HeadLine");
  m.LoadedUpTo = R::rComplete;
}

void SaveMainSettings(Settings& s, AppMode mode, const MainSettings& m) {
  std::string form = MainFormPath(mode);
  s.SetInt(ModeKey(mode), "LasSaveStep", m.LasSaveStep);
  s.SetBool(form, "Maximized", m.Maximized);
  s.SetInt(form, "Left", m.Left);
  s.SetInt(form, "Top", m.Top);
  s.SetInt(form, "Width", m.Width);
  s.SetInt(form, "Height", m.Height);
  s.SetString(form, "Default layout", m.DefaultLayout);
  // "Depth settings\Reverse" belongs to the depth dialog: forcing it on at every exit
  // would reverse the depth sensor's counting at the next depth setting.
  s.SetString(kSettingsGroup, "SaveDir", m.SaveDir);
  s.SetString(kSettingsGroup, "LoadDir", m.LoadDir);
  s.SetString(kSettingsGroup, "HeadLine", m.HeadLine);
  if (mode == AppMode::amRecorder) s.SetString(kSettingsGroup, "Port", m.Port);
  for (const auto& [tag, bar] : m.Toolbars) {
    std::string path = form + "/Toolbars/" + tag;
    for (const std::string& key : s.Keys(path)) s.Remove(path, key);
    s.SetBool(path, "Visible", bar.Visible);
    s.SetBool(path, "Floating", bar.Floating);
    s.SetInt(path, "Left", bar.Left);
    s.SetInt(path, "Top", bar.Top);
    s.SetInt(path, "Right", bar.Right);
    s.SetInt(path, "Bottom", bar.Bottom);
  }
}

}  // namespace kest
