#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "session/sheet_properties.h"

class QLabel;
class QPushButton;
class QWidget;

namespace kest {

class TLogSheet;
class WindowQuestions;

// "Свойства": the well and survey description of a sheet on two pages. The values,
// the lists and the read-only rule are SheetProperties'; the dialog shows them.
class TSheetPropertiesDialog : public QDialog {
 public:
  TSheetPropertiesDialog(const std::string& data_dir, WindowQuestions& questions,
                         QWidget* parent = nullptr);

  void SetSheet(TLogSheet* sheet, bool recording = false);
  SheetProperties& Properties() { return properties_; }
  // The field widget of a key (a line edit or an editable combo box).
  QWidget* Field(const std::string& key) const;
  QPushButton* ApplyButton() const { return apply_; }
  void Apply();
  // An applied change left the sheet's description other than it was when it was set
  // (closing with "Отмена", or applying the same values, changes nothing).
  bool SheetChanged() const;

 private:
  void Fill();

  SheetProperties properties_;
  WindowQuestions& questions_;
  std::map<std::string, QWidget*> fields_;
  QLabel* mode_ = nullptr;
  QPushButton* apply_ = nullptr;
  bool filling_ = false;
  bool recording_ = false;
  std::string shown_params_;
};

}  // namespace kest
