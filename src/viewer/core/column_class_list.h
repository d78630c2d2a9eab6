#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

class TLogViewerColumn;

// The column kinds the user can choose and layouts can name, in registration
// order: graphics, text, argument, marker, gradient.
struct TColumnClass {
  std::string Name;   // "TGraphicsColumn"
  std::string Hint;   // display name
  std::string Glyph;  // toolbar picture name
  std::function<std::unique_ptr<TLogViewerColumn>()> Create;
};

class TColumnClassList {
 public:
  // The process-wide list, holding the five standard kinds from its first use.
  static TColumnClassList& Instance();

  void Register(TColumnClass column_class);
  int Count() const { return static_cast<int>(classes_.size()); }
  const TColumnClass& Items(int i) const { return classes_[static_cast<size_t>(i)]; }
  const TColumnClass* Find(std::string_view name) const;

 private:
  std::vector<TColumnClass> classes_;
};

}  // namespace kest
