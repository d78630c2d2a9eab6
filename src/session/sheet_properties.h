#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

class TLogSheet;

// The well and survey description a sheet carries in its Params, as the dialog
// "Свойства" edits it: a fixed set of keys on two pages, two value lists ("goals",
// "oilfields") that grow with what is typed, and nothing editable on a read-only or
// recording sheet.
struct PropertyField {
  enum class Kind { Text, ReadOnlyText, DropDown };
  const char* Key;
  const char* Label;
  const char* Page;   // "Основные", "Дополнительно"
  const char* Group;  // " Скважина ", " Регистрация ", ...
  Kind FieldKind;
  const char* ListFile;  // the data file of a drop-down's values; null when none
};

// Every field in the order the dialog shows them.
const std::vector<PropertyField>& SheetPropertyFields();

class SheetProperties {
 public:
  // `data_dir`: the folder holding "goals", "oilfields", "companies" and
  // "servicecompanies" (one value a line).
  explicit SheetProperties(std::string data_dir);

  // Binds to a sheet (or none: every value empty) and reads the value lists.
  // `recording`: the sheet is being recorded into, so nothing may change.
  void SetSheet(TLogSheet* sheet, bool recording = false);
  TLogSheet* Sheet() const { return sheet_; }
  bool ReadOnly() const;

  const std::string& Value(std::string_view key) const;
  // Changes one value; marks the properties changed (enables "Применить").
  void SetValue(std::string_view key, std::string value);
  bool Changed() const { return changed_; }

  // The values of a drop-down's list.
  const std::vector<std::string>& List(std::string_view key) const;

  // "по глубине (шаг" and "см)" around the step text, or "по времени"; the step in
  // centimetres (SheetStep / 10), empty for a time sheet or one without tracks.
  std::string ModeText() const;
  std::string StepText() const;

  // "Применить": writes every value into the sheet's Params (an empty value removes
  // its line), adds a new goal or oil field to its list and saves both lists; clears
  // the changed mark. True when the sheet's Params differ afterwards; nothing is done
  // without a sheet or on a read-only one. Raises EInOutError when a list cannot be
  // saved (Params are written).
  bool Apply();

 private:
  std::string data_dir_;
  TLogSheet* sheet_ = nullptr;
  bool recording_ = false;
  bool changed_ = false;
  std::map<std::string, std::string, std::less<>> values_;
  std::map<std::string, std::vector<std::string>, std::less<>> lists_;
};

}  // namespace kest
