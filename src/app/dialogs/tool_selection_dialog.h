#pragma once

#include <QDialog>

#include "app/core/tool_selection.h"

class QButtonGroup;
class QComboBox;
class QListWidget;
class QPushButton;
class QWidget;

namespace kest {

class Clock;

class Settings;
class TLogger;

// "Выбор прибора": the tool string by module kind, the number detection mode and
// the loaded modules. OK loads the string into the logger; a failure leaves no tool
// modules loaded, shows the message and keeps the dialog open. The choices are
// remembered per detection mode.
class TLoggerSelectionDlg : public QDialog {
 public:
  TLoggerSelectionDlg(TLogger& logger, Clock& clock, const TModuleClasses& classes,
                      const TModuleDefs& defs, Settings& settings, std::string mode_key,
                      QWidget* parent = nullptr);
  ~TLoggerSelectionDlg() override;

  ToolString Choice() const;
  bool Automatic() const;
  void SetAutomatic(bool automatic);
  // Selects the texts in the lists (those not in a list are left as they are).
  void Select(const ToolString& choice);
  bool CanAccept() const;
  // What OK does; false (and the dialog stays) when loading failed. `error` gets
  // the message instead of a box when given.
  bool Load(std::string* error = nullptr);

 private:
  void FillLists();
  void UpdateState();
  void FillLoaded();

  TLogger& logger_;
  Clock& clock_;
  const TModuleClasses& classes_;
  const TModuleDefs& defs_;
  Settings& settings_;
  std::string mode_key_;
  ToolSelection rules_;
  ToolSelection::Memory memory_;

  QListWidget* lvModules = nullptr;
  QComboBox* cbMainModules = nullptr;
  QComboBox* cbBaseModules = nullptr;
  QComboBox* cbMidModules = nullptr;
  QComboBox* cbEndModules = nullptr;
  QButtonGroup* rgAuto = nullptr;
  QButtonGroup* SelDevice = nullptr;
  QWidget* pModules = nullptr;
  QWidget* panAdditionalModules = nullptr;
  QPushButton* ok_ = nullptr;
};

// "Модули": every module definition by its display name, and "Закрыть".
class TModuleBrowser : public QDialog {
 public:
  TModuleBrowser(const TModuleDefs& defs, QWidget* parent = nullptr);
};

}  // namespace kest
