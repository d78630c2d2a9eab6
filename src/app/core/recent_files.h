#pragma once

#include <string>
#include <vector>

namespace kest {

class Settings;

// The editor's reopen list: at most 8 files, most recent first, kept under
// "<mode key>/Main form/MRU files" as "0", "1", ...
class RecentFiles {
 public:
  static constexpr int kMaxCount = 8;

  const std::vector<std::string>& Items() const { return items_; }
  // Moves `path` to the top, or inserts it there and drops the oldest.
  void Add(const std::string& path);
  void Clear() { items_.clear(); }

  // Reads the list, keeping only files that exist.
  void Load(const Settings& settings, const std::string& path);
  // Deletes the group's entries and writes the list anew.
  void Save(Settings& settings, const std::string& path) const;

  // Menu caption "&%d %s" (number from 1), the path relative to `root` when it
  // lies under it.
  static std::string Caption(int index, const std::string& path, const std::string& root);
  // The file a caption names: without the three-character prefix, and under
  // `root` when the remaining path does not exist as it is.
  static std::string FromCaption(const std::string& caption, const std::string& root);

 private:
  std::vector<std::string> items_;
};

}  // namespace kest
