#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kest {

// An ordered list of text lines, most often of the form name=value (a sheet's
// parameters and comments, research parameter files). Names compare without regard
// to case, as the documents that fill these lists were typed by hand.
class StringList {
 public:
  StringList() = default;
  StringList(std::initializer_list<std::string> lines) : lines_(lines) {}

  int Count() const { return static_cast<int>(lines_.size()); }
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](int i) const { return lines_[static_cast<size_t>(i)]; }
  std::string& operator[](int i) { return lines_[static_cast<size_t>(i)]; }
  const std::vector<std::string>& Lines() const { return lines_; }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Insert(int i, std::string line);
  void Delete(int i);
  void Clear() { lines_.clear(); }

  // The part before the first '=' of line i (the whole line when there is none).
  std::string Name(int i) const;
  // The part after the first '=' of line i (empty when there is none).
  std::string ValueFromIndex(int i) const;
  // Index of the first line whose name is `name`, or -1.
  int IndexOfName(std::string_view name) const;
  // Value of the first line named `name`; empty when absent.
  std::string Value(std::string_view name) const;
  // Replaces the value of the first line named `name`, or adds "name=value".
  void SetValue(std::string_view name, std::string_view value);

  // Lines joined by `separator` (CR LF by default) / split at CR LF, LF or CR.
  std::string Text(std::string_view separator = "\r\n") const;
  void SetText(std::string_view text);

  bool operator==(const StringList&) const = default;

 private:
  std::vector<std::string> lines_;
};

}  // namespace kest
