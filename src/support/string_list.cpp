#include "support/string_list.h"

#include "support/code_page.h"

namespace kest {

void StringList::Insert(int i, std::string line) {
  lines_.insert(lines_.begin() + i, std::move(line));
}

void StringList::Delete(int i) { lines_.erase(lines_.begin() + i); }

std::string StringList::Name(int i) const {
  const std::string& line = (*this)[i];
  return line.substr(0, line.find('='));
}

std::string StringList::ValueFromIndex(int i) const {
  const std::string& line = (*this)[i];
  auto eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int StringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = (*this)[i];
    auto eq = line.find('=');
    if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name)) return i;
  }
  return -1;
}

std::string StringList::Value(std::string_view name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void StringList::SetValue(std::string_view name, std::string_view value) {
  std::string line = std::string(name) + "=" + std::string(value);
  int i = IndexOfName(name);
  if (i < 0)
    Add(std::move(line));
  else
    (*this)[i] = std::move(line);
}

std::string StringList::Text(std::string_view separator) const {
  std::string text;
  for (const auto& line : lines_) {
    text += line;
    text += separator;
  }
  return text;
}

void StringList::SetText(std::string_view text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines_.emplace_back(text.substr(start));
      break;
    }
    lines_.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

}  // namespace kest
