#include "session/installation_folders.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/errors.h"
#include "support/trim.h"
#include "support/unique_fd.h"

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

// "RootDir" of the ungrouped part or the [General] group of an INI file.
std::string RootDirFromIni(const std::string& file) {
  std::ifstream in(file);
  if (!in) return {};
  std::string line;
  bool general = true;
  while (std::getline(in, line)) {
    std::string t(Trim(line, kSpaceTabLineEnd));
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      general = t == "[General]";
      continue;
    }
    size_t eq = t.find('=');
    if (general && eq != std::string::npos &&
        Trim(std::string_view(t).substr(0, eq), kSpaceTabLineEnd) == "RootDir") {
      std::string value(Trim(std::string_view(t).substr(eq + 1), kSpaceTabLineEnd));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return {};
}

// KEST_ROOT, else RootDir of the system settings file, else the user root.
std::string ChooseRoot(const std::string& system_settings_file) {
  if (const char* env = std::getenv("KEST_ROOT"); env && *env) return env;
  std::string root = RootDirFromIni(system_settings_file);
  return root.empty() ? UserRoot() : root;
}

[[noreturn]] void Unusable(const std::string& root, const std::string& reason) {
  throw EInstallationError("Папка установки \"" + root + "\" недоступна: " + reason);
}

// 0 when a file can be created in `folder`; else the error of the attempt. A real
// file is made because access() says yes to the superuser even on /proc.
int WriteError(const std::string& folder) {
  std::string probe = folder + "/.kest-write-XXXXXX";
  UniqueFd fd(::mkstemp(probe.data()));
  if (!fd) return errno;
  fd.Reset();
  ::unlink(probe.c_str());
  return 0;
}

// `name` below the root exists and can be listed (and written to when `write`).
void CheckFolder(const std::string& root, const std::string& name, bool write) {
  const std::string path = root + "/" + name;
  std::error_code ec;
  if (!fs::is_directory(path, ec)) Unusable(root, "нет папки " + name);
  fs::directory_iterator listing(path, ec);
  if (ec) Unusable(root, "папка " + name + " не читается (" + ec.message() + ")");
  if (int error = write ? WriteError(path) : 0)
    Unusable(root, "запись в папку " + name + " невозможна (" + std::strerror(error) + ")");
}

// The class file "System" (the name in any case, as class names are compared).
void CheckSystemClass(const std::string& root) {
  const std::string folder = "Data/Classes";
  std::error_code ec;
  for (fs::directory_iterator it(root + "/" + folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::string name = it->path().filename().string();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name != "SYSTEM" || !it->is_regular_file(ec)) continue;
    if (!std::ifstream(it->path())) Unusable(root, "файл " + folder + "/System не читается");
    return;
  }
  Unusable(root, "нет класса System в папке " + folder);
}

}  // namespace

std::string UserRoot() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/kest";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share/kest";
}

std::string ResolveInstallationRoot(const std::string& template_dir,
                                    const std::string& system_settings_file) {
  std::string root = ChooseRoot(system_settings_file);
  if (root == UserRoot()) SeedRoot(template_dir, root);
  return root;
}

std::string OpenInstallationRoot(const std::string& template_dir, const std::string& root,
                                 const std::string& system_settings_file) {
  const std::string chosen = root.empty() ? ChooseRoot(system_settings_file) : root;
  std::error_code ec;
  const fs::file_status status = fs::status(chosen, ec);
  if (fs::exists(status) && !fs::is_directory(status)) Unusable(chosen, "это не папка");
  if (!fs::exists(status)) {
    fs::create_directories(chosen, ec);
    if (ec) Unusable(chosen, "не удаётся создать папку (" + ec.message() + ")");
  }
  if (int error = WriteError(chosen))
    Unusable(chosen, std::string("запись невозможна (") + std::strerror(error) + ")");
  SeedRoot(template_dir, chosen);
  for (const char* folder : {"Data", "Data/Classes", "Data/Модули"})
    CheckFolder(chosen, folder, false);
  CheckSystemClass(chosen);
  for (const char* folder : {"Research", "Logs"}) CheckFolder(chosen, folder, true);
  CheckFolder(chosen, "PlugIns", false);
  return chosen;
}

ProgramFiles LocateProgramFiles(const std::string& program_path,
                                const std::string& build_template) {
  const fs::path folder = fs::path(program_path).parent_path();
  const fs::path prefix = folder.parent_path();
  std::error_code ec;
  ProgramFiles files;
  if (folder.filename() == "bin" && fs::is_directory(prefix / "share/kest/Data", ec)) {
    files.TemplateDir = (prefix / "share/kest").lexically_normal().string();
    files.ShippedPlugIns = (prefix / "lib/kest/PlugIns").lexically_normal().string();
    files.Installed = true;
    return files;
  }
  files.TemplateDir = build_template;
  files.ShippedPlugIns = (folder / "PlugIns").string();
  return files;
}

std::string RunningProgramPath(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && self.is_absolute()) return self.string();
  const char* given = argv0 && *argv0 ? argv0 : "kest";
  fs::path absolute = fs::absolute(given, ec);
  return ec ? std::string(given) : absolute.string();
}

void SeedRoot(const std::string& template_dir, const std::string& root) {
  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) throw EInOutError(WithSystemError("Не удалось создать " + root + ": ", ec.value()));
  if (template_dir.empty() || !fs::is_directory(template_dir)) return;
  // Best effort, file by file: what cannot be copied stays missing for the caller to
  // find (OpenInstallationRoot checks what it needs).
  std::error_code item_ec;
  for (auto it = fs::recursive_directory_iterator(template_dir, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::path relative = it->path().lexically_relative(template_dir);
    // The live witness's broker files and page lie beside the template, for the office.
    if (relative == "witness") {
      it.disable_recursion_pending();
      continue;
    }
    fs::path target = fs::path(root) / relative;
    if (it->is_directory(item_ec)) {
      fs::create_directories(target, item_ec);
    } else if (it->is_regular_file(item_ec) && !fs::exists(fs::symlink_status(target, item_ec))) {
      fs::create_directories(target.parent_path(), item_ec);
      fs::copy_file(it->path(), target, fs::copy_options::skip_existing, item_ec);
    }
  }
}

}  // namespace kest
