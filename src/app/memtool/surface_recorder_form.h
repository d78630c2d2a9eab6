#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "memtool/memory_tool_host.h"
#include "memtool/tool_codec.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimeEdit;

namespace kest {

class Clock;
class KeepAliveSuspension;
class LoggerHost;
class MemoryToolLink;
class TLogSheet;
class TLogger;
class TSurfaceRecorder;
class WindowQuestions;

// The surface recorder's window "Наземный регистратор": modes, clock, depth,
// coefficients, test, zero page and the read-out of the recording into `sheet` (the
// main window's recording sheet), over the surface recorder core. While it is open
// the logger's first module sends no keep-alive bytes; `sheet_changed` tells the
// main window after a read-out.
class TSCMain : public QMainWindow, private MemoryToolHost {
 public:
  TSCMain(TLogger& logger, LoggerHost& host, Clock& clock, WindowQuestions& questions,
          TLogSheet& sheet, std::function<ToolTime()> local_time,
          std::function<void()> sheet_changed, QWidget* parent = nullptr);
  ~TSCMain() override;

  TSurfaceRecorder& Recorder() { return *recorder_; }
  std::string StatusText() const;
  QPushButton* Button(const char* name) const;
  QString FieldText(const char* name) const;
  void SetFieldText(const char* name, const QString& text);
  QString StatusRow(int row) const;

  // The controls' actions.
  void Standby();
  void MainMode();
  void PassThrough(bool on);
  void SystemTime();
  void SetClock();
  void ReadClock();
  void SetDepth();
  void ReadCoefficients();
  void SetDepthCoefficient();
  void SetSpeed();
  void SetTension();
  void Test();
  void ReadZeroPage();
  void ReadData();
  // Called when the user closes the window.
  std::function<void()> OnClosed;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool AskWarning(const std::string& text) override;
  void ShowStatusText(const std::string& text) override;
  void ShowActivity(bool) override {}

  QWidget* BuildModes();
  QWidget* BuildClock();
  QWidget* BuildDepth();
  QWidget* BuildCoefficients();
  QWidget* BuildTest();
  QWidget* BuildMemory();
  QPushButton* AddButton(const char* name, const QString& text, const QString& hint,
                         void (TSCMain::*action)());
  // Enables the controls as the state says.
  void FollowState();
  void ShowZeroPage();
  void ShowStatusRows();
  template <typename F>
  void Command(F&& action);

  TLogger& logger_;
  Clock& clock_;
  WindowQuestions& questions_;
  TLogSheet& sheet_;
  std::function<ToolTime()> local_time_;
  std::function<void()> sheet_changed_;
  std::unique_ptr<MemoryToolLink> link_;
  std::unique_ptr<TSurfaceRecorder> recorder_;
  std::unique_ptr<KeepAliveSuspension> keep_alive_off_;
  QDateEdit* date_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QLineEdit* depth_ = nullptr;
  QSpinBox* depth_k_ = nullptr;
  QLineEdit* tension_k_ = nullptr;
  QLineEdit* tension_b_ = nullptr;
  QLineEdit* speed_k_ = nullptr;
  QCheckBox* pass_ = nullptr;
  QTableWidget* status_ = nullptr;
  bool testing_ = false;  // a self-test runs: the status keeps saying so
  QLabel* start_ = nullptr;
  QLabel* count_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* text_ = nullptr;
  bool busy_ = false;
};

}  // namespace kest
