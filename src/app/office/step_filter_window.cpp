#include "app/office/step_filter_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/window_questions.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/errors.h"
#include "support/rounding.h"

namespace kest {

TStepFilterWindow::TStepFilterWindow(TLogSheet& sheet, WindowQuestions& questions, float null_value,
                                     QWidget* parent)
    : QDialog(parent), sheet_(sheet), questions_(questions), null_value_(null_value) {
  setWindowTitle("Шаг и фильтры");
  setObjectName("TStepFilterWindow");
  auto* step_box = new QGroupBox("Новый шаг лога", this);
  auto* step_form = new QFormLayout(step_box);
  step_ = new QDoubleSpinBox(step_box);
  step_->setObjectName("seStep");
  step_->setRange(0.1, 1000);
  step_->setDecimals(1);
  step_->setSuffix(" см");
  step_->setValue(sheet_.HasRange() ? sheet_.SheetStep() / 10.0 : 10);
  method_ = new QComboBox(step_box);
  method_->setObjectName("cbMethod");
  method_->addItems({"Ближайший отсчёт", "Линейно", "Пик за шаг (как при выводе в LAS)"});
  auto* resample = new QPushButton("Изменить шаг", step_box);
  resample->setObjectName("btResample");
  step_form->addRow("Шаг:", step_);
  step_form->addRow("Способ:", method_);
  step_form->addRow(resample);
  connect(resample, &QPushButton::clicked, this, [this] {
    const ResampleMethod methods[] = {ResampleMethod::Nearest, ResampleMethod::Linear,
                                      ResampleMethod::Peak};
    Resample(step_->value(), methods[method_->currentIndex()]);
  });

  auto* filter_box = new QGroupBox("Фильтр кривой в новую кривую", this);
  auto* filter_form = new QFormLayout(filter_box);
  curve_ = new QComboBox(filter_box);
  curve_->setObjectName("cbCurve");
  for (int i = 0; i < sheet_.Count(); ++i)
    if (curve_->findText(QString::fromStdString(sheet_.Tracks(i)->Parameter())) < 0)
      curve_->addItem(QString::fromStdString(sheet_.Tracks(i)->Parameter()));
  curve_->setCurrentIndex(std::max(0, curve_->findText("GK")));
  mean_ = new QRadioButton("Скользящее среднее", filter_box);
  mean_->setObjectName("rbMean");
  mean_->setChecked(true);
  auto* median = new QRadioButton("Скользящая медиана", filter_box);
  median->setObjectName("rbMedian");
  auto* kinds = new QHBoxLayout;
  kinds->addWidget(mean_);
  kinds->addWidget(median);
  length_ = new QDoubleSpinBox(filter_box);
  length_->setObjectName("seLength");
  length_->setRange(0.1, 100000);
  length_->setDecimals(1);
  length_->setSuffix(" см");
  length_->setValue(50);
  auto* filter = new QPushButton("Добавить кривую", filter_box);
  filter->setObjectName("btFilter");
  filter_form->addRow("Кривая:", curve_);
  filter_form->addRow(kinds);
  filter_form->addRow("Длина окна:", length_);
  filter_form->addRow(filter);
  connect(filter, &QPushButton::clicked, this, [this] {
    AddFilter(curve_->currentText().toStdString(),
              mean_->isChecked() ? FilterKind::Mean : FilterKind::Median, length_->value());
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText("Закрыть");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addWidget(step_box);
  v->addWidget(filter_box);
  v->addWidget(buttons);
}

TStepFilterWindow::~TStepFilterWindow() = default;

bool TStepFilterWindow::Resample(double step_cm, ResampleMethod method) {
  try {
    TLogSheet result;
    SheetLock lock(sheet_);
    ResampleLog(sheet_, result, RoundHalfEven32(step_cm * 10), method, null_value_);
    sheet_.AssignLog(result);
    sheet_.UpdateRange();
    sheet_.MarkStructureChanged();
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return false;
  }
  if (OnTracksReplaced) OnTracksReplaced();
  if (OnChanged) OnChanged();
  return true;
}

std::string TStepFilterWindow::AddFilter(const std::string& curve, FilterKind kind,
                                         double length_cm) {
  std::string made;
  try {
    made = AddFilteredTrack(sheet_, curve, RoundHalfEven32(length_cm * 10), kind, null_value_);
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return {};
  }
  if (curve_->findText(QString::fromStdString(made)) < 0)
    curve_->addItem(QString::fromStdString(made));
  if (OnChanged) OnChanged();
  return made;
}

}  // namespace kest
