#pragma once

#include <string>
#include <vector>

#include "support/string_list.h"

namespace kest {

class TResearchParameters;
struct TResearchParameter;

// The rules of the research parameters dialog "Параметры", without the widgets:
// one row per selectable description, drop-down values from list files in the data
// folder, the mandatory marks, OK enabling, and what OK makes of the values.
class ResearchParamsForm {
 public:
  struct Row {
    std::string Name;  // the key the value is stored under
    std::string DisplayName;
    std::string ListFile;  // empty: a plain text field
    bool Mandatory = false;
    std::string Value;
    std::vector<std::string> Values;  // the drop-down's values
  };

  ResearchParamsForm(const TResearchParameters& descriptions, std::string data_dir);

  // Rows anew from the descriptions (after "Обзор..." reloaded them).
  void Rebuild();
  std::vector<Row>& Rows() { return rows_; }
  const std::vector<Row>& Rows() const { return rows_; }
  // Each row's value from name=value lines (the open research's parameters).
  void TakeValues(const StringList& params);
  // The row's image: 0 optional, 1 mandatory without a value, 2 mandatory with one.
  int Image(int row) const;
  // OK is enabled when every mandatory row has a value.
  bool CanAccept() const;
  // Leaving a drop-down whose text is not among its values: the text joins the
  // values and the list file is written.
  void AddListValue(int row, const std::string& text);
  // The values editor's OK: the values replace the row's and are written.
  void SetListValues(int row, std::vector<std::string> values);

  // What OK does. With neither an oil field ("Месторождение") nor a well
  // ("Скважина"), Error says so and nothing else happens. Otherwise `params` is
  // cleared, the research folder is created under `research_base` when missing and
  // its "params" loaded, every row with a value is set, and Name is the research
  // folder: the oil field and the well joined by " - " (one folder level). Values
  // that would leave the research base are refused with Error.
  struct Result {
    std::string Name;
    std::string Error;
  };
  Result Accept(const std::string& research_base, StringList& params) const;

  static constexpr const char* kOilField = "Месторождение";
  static constexpr const char* kWell = "Скважина";

 private:
  void WriteValues(const Row& row) const;

  const TResearchParameters& descriptions_;
  std::string data_dir_;
  std::vector<Row> rows_;
};

}  // namespace kest
