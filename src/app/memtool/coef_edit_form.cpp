#include "app/memtool/coef_edit_form.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/dialogs/window_questions.h"
#include "memtool/calibration_fit.h"
#include "memtool/calibration_record.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool Typed(int row) { return row >= kFirstMeasuredRow && row <= kLastMeasuredRow; }

}  // namespace

TCoefEditForm::TCoefEditForm(TCoefRecord& record, WindowQuestions& questions,
                             std::function<void()> recalculated, QWidget* parent)
    // A tool window: above the coefficient window, below the message boxes it causes.
    : QWidget(parent, Qt::Tool),
      record_(record),
      questions_(questions),
      recalculated_(std::move(recalculated)) {
  setWindowTitle("Введите замеры по каналам");
  setObjectName("TCoefEditForm");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Эталонная температура, температура, давление", this));
  measurement_ = MakeGrid(TMeasurementGrid::Measurement, "MeasurementGrid");
  layout->addWidget(measurement_);
  layout->addWidget(new QLabel("Термокомпенсация", this));
  compensation_ = MakeGrid(TMeasurementGrid::Compensation, "CompensationGrid");
  layout->addWidget(compensation_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* recalc = new QPushButton("&Пересчитать", this);
  recalc->setObjectName("Recalculate");
  auto* close = new QPushButton("&Закрыть", this);
  close->setObjectName("Close");
  buttons->addWidget(recalc);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(recalc, &QPushButton::clicked, this, [this] { Recalculate(); });
  connect(close, &QPushButton::clicked, this, [this] { CloseForm(); });
  Fill();
  resize(860, 470);
}

QTableWidget* TCoefEditForm::MakeGrid(TMeasurementGrid grid, const char* name) {
  auto* table = new QTableWidget(TCoefRecord::kRows, MeasurementGridColumns(grid), this);
  table->setObjectName(name);
  table->verticalHeader()->setDefaultSectionSize(20);
  table->horizontalHeader()->setDefaultSectionSize(84);
  QStringList rows;
  for (int r = 0; r < TCoefRecord::kRows; ++r)
    rows << (Typed(r) ? QString::number(r) : r == 0 ? QString("0 °C") : QString("120 °C"));
  table->setVerticalHeaderLabels(rows);
  table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  connect(table, &QTableWidget::cellChanged, this, [this, grid](int row, int column) {
    if (filling_) return;
    edited_ = true;
    CellEdited(grid, row, column);
  });
  return table;
}

QTableWidget* TCoefEditForm::Grid(TMeasurementGrid grid) const {
  return grid == TMeasurementGrid::Measurement ? measurement_ : compensation_;
}

void TCoefEditForm::Fill() {
  filling_ = true;
  edited_ = false;
  for (TMeasurementGrid grid : {TMeasurementGrid::Measurement, TMeasurementGrid::Compensation}) {
    QTableWidget* table = Grid(grid);
    QStringList titles;
    for (int c = 0; c < table->columnCount(); ++c)
      titles << Q(MeasurementColumnTitle(grid, c, record_));
    table->setHorizontalHeaderLabels(titles);
    for (int r = 0; r < table->rowCount(); ++r)
      for (int c = 0; c < table->columnCount(); ++c) {
        QTableWidgetItem* item = table->item(r, c);
        if (!item) table->setItem(r, c, item = new QTableWidgetItem);
        item->setText(Q(MeasurementText(record_, grid, c, r)));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (!Typed(r)) {
          item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
          item->setBackground(palette().color(QPalette::Window));
        }
      }
  }
  filling_ = false;
}

void TCoefEditForm::CellEdited(TMeasurementGrid grid, int row, int column) {
  // The reference temperature is one column of both grids.
  if (column != 0) return;
  QTableWidget* other = Grid(grid == TMeasurementGrid::Measurement ? TMeasurementGrid::Compensation
                                                                   : TMeasurementGrid::Measurement);
  filling_ = true;
  for (int r = 0; r < other->rowCount(); ++r)
    other->item(r, 0)->setText(Grid(grid)->item(r, 0)->text());
  filling_ = false;
  (void)row;
}

void TCoefEditForm::TypeCell(TMeasurementGrid grid, int column, int row, const std::string& text) {
  Grid(grid)->item(row, column)->setText(Q(text));
}

bool TCoefEditForm::TakeGrids() {
  TMeasurementTaker taker(record_);
  for (TMeasurementGrid grid : {TMeasurementGrid::Measurement, TMeasurementGrid::Compensation}) {
    QTableWidget* table = Grid(grid);
    for (int r = kFirstMeasuredRow; r <= kLastMeasuredRow; ++r)
      for (int c = 0; c < table->columnCount(); ++c) {
        // Column 0 is the same place in both grids: taken from the first.
        if (grid == TMeasurementGrid::Compensation && c == 0) continue;
        taker.Take(grid, c, r, table->item(r, c)->text().toStdString());
      }
  }
  if (taker.Ok()) return true;
  questions_.ShowError(taker.Message());
  return false;
}

bool TCoefEditForm::Recalculate() {
  if (!TakeGrids()) return false;
  try {
    record_ = kest::Recalculate(record_);
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return false;
  }
  Fill();
  if (recalculated_) recalculated_();
  return true;
}

void TCoefEditForm::CloseForm() { close(); }

bool TCoefEditForm::MayClose() {
  if (!edited_) return true;
  switch (questions_.AskYesNoCancel(
      windowTitle().toStdString(),
      "Пересчитать коэффициенты по введённым замерам? Без пересчёта они будут потеряны.")) {
    case WindowQuestions::Answer::Yes:
      return Recalculate();
    case WindowQuestions::Answer::No:
      Fill();  // the grids show the record again
      return true;
    case WindowQuestions::Answer::Cancel:
      break;
  }
  return false;
}

void TCoefEditForm::closeEvent(QCloseEvent* event) {
  if (MayClose())
    event->accept();
  else
    event->ignore();
}

}  // namespace kest
