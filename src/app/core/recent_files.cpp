#include "app/core/recent_files.h"

#include <algorithm>
#include <filesystem>

#include "support/settings.h"

namespace kest {

void RecentFiles::Add(const std::string& path) {
  std::erase(items_, path);
  items_.insert(items_.begin(), path);
  if (items_.size() > kMaxCount) items_.resize(kMaxCount);
}

void RecentFiles::Load(const Settings& settings, const std::string& path) {
  items_.clear();
  for (int i = 0; static_cast<int>(items_.size()) < kMaxCount; ++i) {
    auto value = settings.Value(path, std::to_string(i));
    if (!value) break;
    std::error_code ec;
    if (!value->empty() && std::filesystem::is_regular_file(*value, ec)) items_.push_back(*value);
  }
}

void RecentFiles::Save(Settings& settings, const std::string& path) const {
  for (const std::string& key : settings.Keys(path)) settings.Remove(path, key);
  for (size_t i = 0; i < items_.size(); ++i) settings.SetString(path, std::to_string(i), items_[i]);
}

std::string RecentFiles::Caption(int index, const std::string& path, const std::string& root) {
  std::string shown = path;
  std::string prefix = root;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  if (!prefix.empty() && shown.compare(0, prefix.size(), prefix) == 0)
    shown = shown.substr(prefix.size());
  return "&" + std::to_string(index + 1) + " " + shown;
}

std::string RecentFiles::FromCaption(const std::string& caption, const std::string& root) {
  std::string path = caption.size() > 3 ? caption.substr(3) : std::string();
  std::error_code ec;
  if (!path.empty() && !std::filesystem::exists(path, ec) && path.front() != '/')
    path = root + "/" + path;
  return path;
}

}  // namespace kest
