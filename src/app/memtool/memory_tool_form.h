#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "memtool/memory_tool_host.h"
#include "memtool/task_grid.h"
#include "memtool/tool_codec.h"

class QLabel;
class QTableWidget;
class QTimer;

namespace kest {

class Clock;
class LoggerHost;
class MemoryToolLink;
class TLogSheet;
class TLogger;
class TCoefForm;
class TMemoryTool;
class TStatusForm;
class WindowQuestions;

// The memory tool's control window "Управление автономным прибором" (the wireline
// tool's is "Управление прибором"): a tool bar of commands
// over the memory tool core, the task grid "Таблица заданий", and a status bar with
// the activity picture, the progress and error texts and the PC clock. The logger
// is marked initialised while the window exists. Read-outs go into `sheet` (the main
// window's recording sheet); `sheet_changed` tells the main window afterwards.
class TBDMainForm : public QMainWindow, private MemoryToolHost {
 public:
  TBDMainForm(TLogger& logger, LoggerHost& host, Clock& clock, WindowQuestions& questions,
              TLogSheet& sheet, std::string burst_dir, std::function<ToolTime()> local_time,
              std::function<void()> sheet_changed, QWidget* parent = nullptr);
  ~TBDMainForm() override;

  TMemoryTool& Tool() { return *tool_; }
  const TTaskGrid& Grid() const { return grid_; }
  QTableWidget* GridWidget() const { return table_; }
  TStatusForm* InfoWindow() const { return info_.get(); }
  QAction* Action(const char* name) const;
  std::string StatusText() const;

  // The tool bar's commands.
  void ReadStatus();
  void SyncClock();
  void WriteTable();
  void ReadTable();
  void Launch();
  // Reads the task of the grid's current row as the tool's own table has it (read
  // first); a warning says so when the grid shows that task otherwise.
  void ReadTrack();
  void PassThrough(bool with_coefficients);
  void Standby();
  void AddTask();
  void DeleteTask();
  void ShowInfo(bool show);
  // "Коэффициенты": the calibration coefficients window, read from the tool as it opens.
  void ShowCoefficients();
  TCoefForm* CoefForm() const { return coef_form_.get(); }
  // Called when the user closes the window.
  std::function<void()> OnClosed;
  // An edit of a grid cell (what the grid's editor does).
  void EditCell(int row, int column, const std::string& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool AskWarning(const std::string& text) override;
  void ShowStatusText(const std::string& text) override;
  void ShowActivity(bool busy) override;

  void BuildToolBar();
  void FillWidget();
  void CellSelected(int row, int column);
  // The information window's task page again, after the tool's table changed.
  void RefreshTaskInfo();
  void ShowClock();
  // Runs a tool bar command: the other commands off meanwhile, failures shown in the
  // status bar and a box "Ошибка".
  template <typename F>
  void Command(F&& action);
  void ShowError(const std::string& text, int level);

  TLogger& logger_;
  Clock& clock_;
  WindowQuestions& questions_;
  TLogSheet& sheet_;
  std::string burst_dir_;
  std::function<ToolTime()> local_time_;
  std::function<void()> sheet_changed_;
  std::unique_ptr<MemoryToolLink> link_;
  std::unique_ptr<TMemoryTool> tool_;
  std::unique_ptr<TStatusForm> info_;
  std::unique_ptr<TCoefForm> coef_form_;
  TTaskGrid grid_;
  QTableWidget* table_ = nullptr;
  QLabel* activity_ = nullptr;
  QLabel* text_ = nullptr;
  QLabel* clock_text_ = nullptr;
  QTimer* clock_timer_ = nullptr;
  bool busy_ = false;
  bool filling_ = false;
  bool cancel_ = false;
};

}  // namespace kest
