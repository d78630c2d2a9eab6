#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "memtool/task_table.h"

namespace kest {

struct ToolTime;

// The task grid "Таблица заданий" as text: a header row and one row per task, eight
// columns "№", "*", "Начало", "Завершение", "Давление", "Температура", "Расход",
// "Локатор муфт". The window draws and edits it; the rules live here.
class TTaskGrid {
 public:
  enum Column {
    kNumber,
    kMode,
    kStart,
    kEnd,
    kPressure,
    kTemperature,
    kDebit,
    kLocator,
    kColumnCount
  };
  using Row = std::array<std::string, kColumnCount>;
  static constexpr int kMaxRows = 16;  // task rows the grid takes

  TTaskGrid();

  static const char* ColumnTitle(int column);
  // Task rows (the header not counted).
  int TaskCount() const { return static_cast<int>(rows_.size()); }
  const std::string& Cell(int column, int task) const;
  void SetCell(int column, int task, std::string text);
  // A click on the mode cell: "1" <-> "2".
  void ToggleMode(int task);

  // "Добавить задание": a row of mode "1", start and end `now`, periods "0"; false
  // when the grid is full.
  bool AddTask(const ToolTime& now);
  // "Удалить задание": drops the last row while more than one is left.
  bool DeleteTask();

  // "dd.mm.yy-hh:mm" read by fixed positions; nothing when a field is not a number
  // or out of range.
  static std::optional<TTaskTime> ParseDateTime(const std::string& text);
  static std::string FormatDateTime(const TTaskTime& t);

  // Empty, or "Недопустимое значение даты-времени в ячейке: '<column>' задания '<n>'".
  std::string CheckCell(int column, int task) const;
  // Every date-time cell, then every pair of tasks ("Пересечение заданий i и j").
  std::string CheckTable() const;
  // The table the grid describes (ETaskTableError with the check's message).
  void BuildTable(TTaskDefTable& table) const;
  // One row per task of `table`.
  void FillFromTable(const TTaskDefTable& table);

  // The "Менеджер памяти" rows (title, value) for the selected cell.
  static std::vector<std::pair<std::string, std::string>> MemoryRows(const TTaskDefTable& table,
                                                                     int task, int column);

 private:
  std::vector<Row> rows_;
};

}  // namespace kest
