#include "app/main_settings.h"

#include "support/number_text.h"
#include "support/settings.h"

namespace kest {

namespace {

bool ReadInt(const Settings& s, const std::string& path, const char* key, int& out) {
  auto text = s.Value(path, key);
  auto v = text ? ParseInt(*text) : std::nullopt;
  if (!v) return false;
  out = static_cast<int>(*v);
  return true;
}

bool ReadBool(const Settings& s, const std::string& path, const char* key, bool& out) {
  if (!s.Contains(path, key)) return false;
  out = s.GetBool(path, key, out);
  return true;
}

bool ReadToolbars(const Settings& s, const std::string& base, std::map<std::string, ToolbarState>& bars) {
  for (auto& [tag, bar] : bars) {
    std::string path = base + "/" + tag;
    ToolbarState read = bar;
    if (!ReadBool(s, path, "Visible", read.Visible) || !ReadBool(s, path, "Floating", read.Floating) ||
        !ReadInt(s, path, "Left", read.Left) || !ReadInt(s, path, "Top", read.Top) ||
        !ReadInt(s, path, "Right", read.Right) || !ReadInt(s, path, "Bottom", read.Bottom))
      return false;
    bar = read;
  }
  return true;
}

}  // namespace

std::string MainFormPath(AppMode mode) { return std::string(ModeKey(mode)) + "/Main form"; }

bool RecorderSettingsComplete(const Settings& s) {
  std::string path = MainFormPath(AppMode::amRecorder);
  for (const char* key : {"MLArea", "MLStep", "MLStep2", "MLSubStep", "MLOffset2", "MLPos2", "RecordStep"}) {
    auto text = s.Value(path, key);
    if (!text || !ParseFloat(*text)) return false;
  }
  return true;
}

void LoadMainSettings(const Settings& s, AppMode mode, MainSettings& m, const std::function<bool()>& mode_part) {
  using R = MainSettings::Reached;
  m.LoadedUpTo = R::rMode;
  std::string form = MainFormPath(mode);
  if (!ReadInt(s, ModeKey(mode), "LasSaveStep", m.LasSaveStep)) return;
  m.LoadedUpTo = R::rMainForm;
  if (!ReadBool(s, form, "Maximized", m.Maximized)) return;
  if (!m.Maximized) {
    if (!ReadInt(s, form, "Left", m.Left) || !ReadInt(s, form, "Top", m.Top) || !ReadInt(s, form, "Width", m.Width) ||
        !ReadInt(s, form, "Height", m.Height))
      return;
    m.HasBounds = true;
  }
  m.DefaultLayout = s.GetString(form, "Default layout");
  m.LoadedUpTo = R::rModePart;
  if (mode_part && !mode_part()) return;
  m.LoadedUpTo = R::rToolbars;
  if (!ReadToolbars(s, form + "/Toolbars", m.Toolbars)) return;
  m.LoadedUpTo = R::rSettings;
  if (!s.Contains(kSettingsGroup, "Setted") || !ReadInt(s, kSettingsGroup, "SaveFiles", m.SaveFiles)) {
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
