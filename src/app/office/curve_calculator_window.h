#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "session/curve_calculator.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTreeWidget;

namespace kest {

class TLogSheet;
class TLogParameters;
class WindowQuestions;

// "Калькулятор кривых": formulas over the tracks of the editor's sheet. The window
// only presents; the calculation and the formula files are CalculateTracks and
// LoadFormulaFile / SaveFormulaFile.
class TCalcTracksWindow : public QDialog {
 public:
  TCalcTracksWindow(TLogParameters& parameters, WindowQuestions& questions, std::string calc_dir,
                    QWidget* parent = nullptr);

  // The sheet to work on, set each time the window is shown; `changed` runs after a
  // calculation changed a track or made one (the editor shows the tracks anew and
  // marks the log modified). Null results are written as `null_value`.
  void SetSheet(TLogSheet* sheet, std::function<void()> changed,
                float null_value = kDefaultNullValue);
  // Opens "Добавление кривой" (the hidden "Добавить").
  std::function<void()> OnAddCurve;

  QPlainTextEdit* Editor() const { return editor_; }
  QListWidget* Functions() const { return functions_; }
  QLabel* Description() const { return description_; }
  QTreeWidget* Names() const { return names_view_; }
  bool Modified() const { return modified_; }
  const std::string& FileName() const { return file_name_; }

  void New();
  void Open();  // NOLINT(bugprone-virtual-near-miss): the window's own "Open", not QDialog::open
  bool Save(bool ask_name);
  void Calculate();
  void OpenFile(const std::string& path);
  // The names list's hidden actions on its current row: "Удалить" removes the
  // track from the sheet, "Изменить" renames the mnemonic.
  void DeleteName();
  void RenameName();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateNames();
  void ShowNames();
  void InsertText(const QString& text);

  TLogParameters& parameters_;
  WindowQuestions& questions_;
  std::string calc_dir_;
  TLogSheet* sheet_ = nullptr;
  std::function<void()> changed_;
  float null_value_ = kDefaultNullValue;
  CalcNameList names_;
  bool modified_ = false;
  std::string file_name_;
  QPlainTextEdit* editor_ = nullptr;
  QTreeWidget* names_view_ = nullptr;
  QListWidget* functions_ = nullptr;
  QLabel* description_ = nullptr;
  QProgressBar* progress_ = nullptr;
};

}  // namespace kest
