#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "memtool/calibration_grids.h"

class QTableWidget;

namespace kest {

class TCoefRecord;
class WindowQuestions;

// "Введите замеры по каналам" (stays on top of the coefficient window): the calibration
// measurements of the coefficient window's calculated record in two grids, and "&Пересчитать".
// Below the title row each grid shows the record's rows 0-6: rows 1-5 are typed, rows 0 (0 °C) and
// 6 (120 °C) come from the recalculation and are greyed. Main thread.
class TCoefEditForm : public QWidget {
 public:
  // `recalculated` tells the coefficient window that the record has new tables.
  TCoefEditForm(TCoefRecord& record, WindowQuestions& questions, std::function<void()> recalculated,
                QWidget* parent = nullptr);

  // Takes the typed rows into the record; false (after one message listing the cells
  // that are not numbers, which keep their values) when some do not parse.
  bool TakeGrids();
  // "&Пересчитать": takes the grids and recalculates; the pressure or temperature
  // message and the tables unchanged when a system is singular. True when done.
  bool Recalculate();
  // "&Закрыть" (and the title bar's close): closes at once when nothing was typed since
  // the grids last showed the record; otherwise asks whether to recalculate first
  // (closes when that succeeds), to drop the typed rows, or to stay.
  void CloseForm();
  // The grids show the record again.
  void Fill();

  QTableWidget* Grid(TMeasurementGrid grid) const;
  // A typed cell (record row 1-5), as the grid's editor leaves it.
  void TypeCell(TMeasurementGrid grid, int column, int row, const std::string& text);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool MayClose();
  QTableWidget* MakeGrid(TMeasurementGrid grid, const char* name);
  void CellEdited(TMeasurementGrid grid, int grid_row, int column);

  TCoefRecord& record_;
  WindowQuestions& questions_;
  std::function<void()> recalculated_;
  QTableWidget* measurement_ = nullptr;
  QTableWidget* compensation_ = nullptr;
  bool filling_ = false;
  bool edited_ = false;  // typed since the last Fill
};

}  // namespace kest
