#pragma once

#include <QDialog>

#include "app/core/setup_values.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kest {

class Settings;

// The settings dialog "Настройки": pages "Файлы" and "Шапка LAS". "Применить" (and
// OK) write the values when the null value is a number; otherwise the focus goes
// back to it and nothing is written.
class TSetupDialog : public QDialog {
 public:
  TSetupDialog(Settings& settings, std::string logs_folder, QWidget* parent = nullptr);
  const SetupValues& Values() const { return values_; }
  // What "Применить" does; false when refused.
  bool Apply();

 private:
  void Changed();
  void Collect();

  Settings& settings_;
  std::string logs_folder_;
  SetupValues values_;
  QButtonGroup* rgSaveFiles = nullptr;
  QSpinBox* seLASStep = nullptr;
  QLineEdit* eNull = nullptr;
  QLabel* eNullHint = nullptr;  // what the field expects, shown while it holds no number
  QButtonGroup* rgTare = nullptr;
  QButtonGroup* rgDir = nullptr;
  QSpinBox* seAutoSave = nullptr;
  QComboBox* cbOrg = nullptr;
  QPushButton* apply_ = nullptr;
};

}  // namespace kest
