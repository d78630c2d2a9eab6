#include "app/core/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/core/plugin_api.h"

namespace kest {

namespace {

// One dlopen handle.
class SharedLibrary {
 public:
  explicit SharedLibrary(const std::string& path)
      : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~SharedLibrary() {
    if (handle_) dlclose(handle_);
  }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  template <typename Fn>
  Fn Symbol(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }
  static std::string LastError() {
    const char* e = dlerror();
    return e ? e : "unknown error";
  }

 private:
  void* handle_;
};

}  // namespace

std::string ShortStringText(const unsigned char* field, size_t size) {
  if (size == 0) return {};
  size_t length = std::min<size_t>(field[0], size - 1);
  return std::string(reinterpret_cast<const char*>(field + 1), length);
}

std::vector<PlugInEntry> ScanPlugIns(const std::string& folder,
                                     void (*report)(const std::string&, const std::string&)) {
  namespace fs = std::filesystem;
  std::vector<std::string> paths;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".so" && it->is_regular_file(ec))
      paths.push_back(it->path().string());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<PlugInEntry> entries;
  for (const std::string& path : paths) {
    SharedLibrary library(path);
    if (!library.Loaded()) {
      if (report) report(path, SharedLibrary::LastError());
      continue;
    }
    auto get_info = library.Symbol<KestGetInfoFn>("GetInfo");
    if (!get_info) continue;
    KestPlugInInfo info;
    std::memset(&info, 0, sizeof info);
    get_info(&info);
    entries.push_back(
        {ShortStringText(info.Caption, sizeof info.Caption), fs::path(path).stem().string(), path});
  }
  return entries;
}

PlugInCall RunPlugIn(const std::string& path, TLogger* logger, TLogSheet* sheet) {
  SharedLibrary library(path);
  if (!library.Loaded())
    throw EPlugInError("Не удалось загрузить модуль расширения \"" + path +
                       "\": " + SharedLibrary::LastError());
  if (auto init_ex = library.Symbol<KestInitPlugInExFn>("InitPlugInEx")) {
    init_ex(logger, sheet);
    return PlugInCall::pcInitPlugInEx;
  }
  if (auto init = library.Symbol<KestInitPlugInFn>("InitPlugIn")) {
    init(logger);
    return PlugInCall::pcInitPlugIn;
  }
  return PlugInCall::pcNone;
}

}  // namespace kest
