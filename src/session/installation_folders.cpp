#include "session/installation_folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/errors.h"

namespace kest {

namespace fs = std::filesystem;

InstallationFolders InstallationFolders::FromRoot(const std::string& root) {
  InstallationFolders f;
  std::string r = root;
  while (r.size() > 1 && r.back() == '/') r.pop_back();
  f.Root = r;
  f.Data = r + "/Data";
  f.Modules = f.Data + "/Модули";
  f.Classes = f.Data + "/Classes";
  f.Layouts = f.Data + "/Layouts";
  f.Headers = f.Data + "/HeadLine";
  f.Calc = f.Data + "/Calc";
  f.Logs = r + "/Logs";
  f.ResearchBase = r + "/Research";
  f.PlugIns = r + "/PlugIns";
  f.CrashFile = r + "/crash.tmp";
  return f;
}

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// "RootDir" of the ungrouped part or the [General] group of an INI file.
std::string RootDirFromIni(const std::string& file) {
  std::ifstream in(file);
  if (!in) return {};
  std::string line;
  bool general = true;
  while (std::getline(in, line)) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      general = t == "[General]";
      continue;
    }
    size_t eq = t.find('=');
    if (general && eq != std::string::npos && Trim(t.substr(0, eq)) == "RootDir") {
      std::string value = Trim(t.substr(eq + 1));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return {};
}

}  // namespace

std::string UserRoot() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/kest";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share/kest";
}

std::string ResolveInstallationRoot(const std::string& template_dir, const std::string& system_settings_file) {
  if (const char* env = std::getenv("KEST_ROOT"); env && *env) return env;
  std::string root = RootDirFromIni(system_settings_file);
  if (!root.empty()) return root;
  root = UserRoot();
  SeedRoot(template_dir, root);
  return root;
}

void SeedRoot(const std::string& template_dir, const std::string& root) {
  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) throw EInOutError(WithSystemError("Cannot create " + root + ": ", ec.value()));
  if (template_dir.empty() || !fs::is_directory(template_dir)) return;
  for (auto it = fs::recursive_directory_iterator(template_dir, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::path target = fs::path(root) / fs::relative(it->path(), template_dir);
    if (it->is_directory()) {
      fs::create_directories(target, ec);
      ec.clear();
    } else if (it->is_regular_file() && !fs::exists(target)) {
      fs::create_directories(target.parent_path(), ec);
      fs::copy_file(it->path(), target, fs::copy_options::skip_existing, ec);
      ec.clear();
    }
  }
}

}  // namespace kest
