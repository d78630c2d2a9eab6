#pragma once

#include <QDialog>
#include <memory>

#include "app/core/number_detection.h"

class QCheckBox;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace kest {

class Clock;

class Settings;

// "Определение номера": the modules waiting for their numbers ("X" until the tool
// reports one). When none waits, the window closes with OK half a second later
// unless "Не закрывать автоматически" is ticked (remembered as "WaitForUser" under
// "<mode key>/Logger detection"). A number without a definition ends it with a
// message.
class TLoggerDetectionWindow : public QDialog {
 public:
  // `clock` times the close once every number is known.
  TLoggerDetectionWindow(TLogger& logger, Clock& clock, const TModuleClasses& classes,
                         const TModuleDefs& defs, Settings& settings, std::string mode_key,
                         QWidget* parent = nullptr);
  ~TLoggerDetectionWindow() override;

  NumberDetection& Detection() { return *detection_; }
  bool WaitForUser() const;
  void SetWaitForUser(bool wait);
  // The failure message, when the detection ended with one.
  const std::string& Failure() const { return detection_->Failure(); }
  // Show the failure in a box (off for tests).
  bool ShowFailure = true;

  static constexpr int kCloseDelayMs = 500;

 private:
  void Changed();

  Settings& settings_;
  std::string mode_key_;
  std::unique_ptr<NumberDetection> detection_;
  QTreeWidget* lvModules = nullptr;
  QCheckBox* cbWait = nullptr;
  QPushButton* btnClose = nullptr;
  Clock& clock_;
  QTimer* Timer1 = nullptr;  // polls the clock for the close
  int64_t close_at_ = 0;     // ms on clock_; 0 while no close is due
};

}  // namespace kest
