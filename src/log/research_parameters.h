#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/errors.h"

namespace kest {

KEST_DECLARE_ERROR(EResearchParametersError, EKestError);

// How one research parameter (oil field, well, contractor, ...) is shown and
// whether it must be filled in when a research starts.
struct TResearchParameter {
  std::string Name;  // the key values are stored under
  std::string DisplayName;
  std::string ListFile;  // file of selectable values; empty when none
  bool Additional = false;
  bool Selectable = true;  // offered in the research parameters dialog
  bool Mandatory = false;
};

// The research parameter descriptions, read from a script-language file whose one
// form is a list of association lists:
//   ((PARAMETER . OILFIELD) (DISPLAYNAME . "Месторождение") (MANDATORY . T)
//    (LISTFILE . "oilfields")) ...
// An element that fails to read ends loading; the descriptions before it stay.
class TResearchParameters {
 public:
  // Forgets all descriptions and reads the file (raises the engine's errors and
  // EInOutError; what was read before the failing element is kept).
  void Reload(const std::string& file_name);
  const std::string& FileName() const { return file_name_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const TResearchParameter& Items(int i) const { return items_[static_cast<size_t>(i)]; }
  // The first whose name equals the upper-cased argument; else
  // EResearchParametersError "Параметр \"%s\" не найден".
  const TResearchParameter& ByName(std::string_view name) const;

 private:
  std::string file_name_;
  std::vector<TResearchParameter> items_;
};

}  // namespace kest
