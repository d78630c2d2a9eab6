#include "app/office/depth_match_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "analysis/curve_sampling.h"
#include "analysis/shift_command.h"
#include "app/dialogs/window_questions.h"
#include "app/office/curve_plot.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/errors.h"
#include "support/number_text.h"
#include "support/rounding.h"
#include "support/undo_stack.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The points of a track in metres, moved by `shift_mm`; nulls as NaN.
std::vector<std::pair<double, double>> Points(const TLogTrack& t, double shift_mm, float null) {
  std::vector<std::pair<double, double>> points;
  const int32_t every = std::max(1, t.Count() / 4000);
  for (int32_t i = 0; i < t.Count(); i += every) {
    const float v = t.Sample(i);
    points.emplace_back((t.ArgumentOf(i) + shift_mm) / 1000.0,
                        IsNullSample(v, null) ? std::nan("") : v);
  }
  return points;
}

}  // namespace

TDepthMatchWindow::TDepthMatchWindow(TLogSheet& sheet, UndoStack& undo, WindowQuestions& questions,
                                     LogFileOptions options, std::string folder, QWidget* parent)
    : QDialog(parent),
      sheet_(sheet),
      undo_(undo),
      questions_(questions),
      file_options_(std::move(options)),
      folder_(std::move(folder)) {
  setWindowTitle("Увязка по глубине");
  setObjectName("TDepthMatchWindow");
  auto* grid = new QGridLayout;
  ref_file_ = new QLineEdit(this);
  ref_file_->setObjectName("edReference");
  auto* browse = new QPushButton("...", this);
  browse->setMaximumWidth(30);
  connect(browse, &QPushButton::clicked, this, [this] {
    std::string path = questions_.AskOpenFile("Опорный лог", folder_, "*.LS *.LAS");
    if (!path.empty()) SetReferenceFile(path);
  });
  connect(ref_file_, &QLineEdit::editingFinished, this, [this] { LoadReference(); });
  grid->addWidget(new QLabel("Опорный лог:", this), 0, 0);
  grid->addWidget(ref_file_, 0, 1, 1, 3);
  grid->addWidget(browse, 0, 4);
  curve_ = new QComboBox(this);
  curve_->setObjectName("cbCurve");
  for (int i = 0; i < sheet_.Count(); ++i)
    if (curve_->findText(Q(sheet_.Tracks(i)->Parameter())) < 0)
      curve_->addItem(Q(sheet_.Tracks(i)->Parameter()));
  curve_->setCurrentIndex(std::max(0, curve_->findText("GK")));
  ref_curve_ = new QComboBox(this);
  ref_curve_->setObjectName("cbRefCurve");
  grid->addWidget(new QLabel("Кривая лога:", this), 1, 0);
  grid->addWidget(curve_, 1, 1);
  grid->addWidget(new QLabel("Кривая опорного:", this), 1, 2);
  grid->addWidget(ref_curve_, 1, 3);
  max_shift_ = new QDoubleSpinBox(this);
  max_shift_->setObjectName("seMaxShift");
  max_shift_->setRange(0.1, 100);
  max_shift_->setDecimals(1);
  max_shift_->setValue(5);
  max_shift_->setSuffix(" м");
  window_ = new QDoubleSpinBox(this);
  window_->setObjectName("seWindow");
  window_->setRange(0, 10000);
  window_->setDecimals(1);
  window_->setSuffix(" м");
  window_->setSpecialValueText("весь интервал");
  grid->addWidget(new QLabel("Наибольший сдвиг:", this), 2, 0);
  grid->addWidget(max_shift_, 2, 1);
  grid->addWidget(new QLabel("Окно:", this), 2, 2);
  grid->addWidget(window_, 2, 3);

  table_ = new QTableWidget(0, 5, this);
  table_->setObjectName("twShifts");
  table_->setHorizontalHeaderLabels({"Кровля, м", "Подошва, м", "Сдвиг, м", "Корреляция", ""});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  shifts_ = new TCurvePlot(this);
  shifts_->setObjectName("pbShifts");
  shifts_->SetTitle("Сдвиг, м");
  shifts_->setMaximumWidth(180);
  overlay_ = new TCurvePlot(this);
  overlay_->setObjectName("pbOverlay");
  overlay_->SetTitle("До и после увязки");
  summary_ = new QLabel(this);
  summary_->setObjectName("lbSummary");
  summary_->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  auto* find = buttons->addButton("Найти", QDialogButtonBox::ActionRole);
  find->setObjectName("btMatch");
  apply_ = buttons->addButton("Применить", QDialogButtonBox::ActionRole);
  apply_->setObjectName("btApply");
  apply_->setEnabled(false);
  buttons->addButton("Закрыть", QDialogButtonBox::RejectRole);
  connect(find, &QPushButton::clicked, this, [this] { Match(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* plots = new QHBoxLayout;
  plots->addWidget(table_, 3);
  plots->addWidget(shifts_, 1);
  plots->addWidget(overlay_, 2);
  auto* v = new QVBoxLayout(this);
  v->addLayout(grid);
  v->addLayout(plots, 1);
  v->addWidget(summary_);
  v->addWidget(buttons);
  resize(900, 560);
}

TDepthMatchWindow::~TDepthMatchWindow() = default;

void TDepthMatchWindow::SetReferenceFile(const std::string& path) {
  ref_file_->setText(Q(path));
  LoadReference();
}
void TDepthMatchWindow::SetCurve(const std::string& mnemonic) {
  curve_->setCurrentText(Q(mnemonic));
  if (ref_curve_->findText(Q(mnemonic)) >= 0) ref_curve_->setCurrentText(Q(mnemonic));
}
void TDepthMatchWindow::SetMaxShift(double metres) { max_shift_->setValue(metres); }
void TDepthMatchWindow::SetWindow(double metres) { window_->setValue(metres); }

void TDepthMatchWindow::LoadReference() {
  const std::string path = ref_file_->text().trimmed().toStdString();
  if (path == reference_path_ && reference_) return;
  reference_.reset();
  reference_path_ = path;
  ref_curve_->clear();
  if (path.empty()) return;
  try {
    auto document = std::make_unique<LogDocument>();
    document->Open(path, file_options_);
    reference_ = std::move(document);
  } catch (const EKestError& e) {
    questions_.ShowError(path + ": " + e.what());
    return;
  }
  const TLogSheet& ref = reference_->Sheet();
  for (int i = 0; i < ref.Count(); ++i)
    if (ref_curve_->findText(Q(ref.Tracks(i)->Parameter())) < 0)
      ref_curve_->addItem(Q(ref.Tracks(i)->Parameter()));
  const int same = ref_curve_->findText(curve_->currentText());
  if (same >= 0) ref_curve_->setCurrentIndex(same);
}

bool TDepthMatchWindow::Match() {
  LoadReference();
  matched_ = false;
  apply_->setEnabled(false);
  if (!reference_) {
    questions_.ShowError("Не выбран опорный лог");
    return false;
  }
  DepthMatchOptions o;
  o.Curve = curve_->currentText().toStdString();
  o.RefCurve = ref_curve_->currentText().toStdString();
  o.MaxShift = RoundHalfEven32(max_shift_->value() * 1000);
  o.Window = RoundHalfEven32(window_->value() * 1000);
  o.NullValue = file_options_.Las.NullValue;
  try {
    SheetLock lock(sheet_);
    result_ = MatchDepth(reference_->Sheet(), sheet_, o);
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return false;
  }
  matched_ = true;
  ShowResult();
  return true;
}

void TDepthMatchWindow::ShowResult() {
  table_->setRowCount(static_cast<int>(result_.Windows.size()));
  std::vector<std::pair<double, double>> shift_points;
  for (size_t i = 0; i < result_.Windows.size(); ++i) {
    const DepthMatchWindow& w = result_.Windows[i];
    const QString cells[] = {
        Q(FormatFixed(w.Top / 1000.0, 2)), Q(FormatFixed(w.Bottom / 1000.0, 2)),
        Q(FormatFixed(w.Shift / 1000.0, 3)),
        std::isnan(w.Correlation) ? QString("—") : Q(FormatFixed(w.Correlation, 3)),
        w.Found ? QString() : QString("не найдено")};
    for (int c = 0; c < 5; ++c)
      table_->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
    const double shift = w.Found ? w.Shift / 1000.0 : std::nan("");
    shift_points.emplace_back(w.Top / 1000.0, shift);
    shift_points.emplace_back(w.Bottom / 1000.0, shift);
  }
  shifts_->SetSeries({{"сдвиг", QColor(200, 0, 0), shift_points}});
  const bool whole = result_.Windows.size() == 1;
  const DepthMatchWindow& w = result_.Windows[0];
  apply_->setEnabled(whole && w.Found);
  if (!whole)
    summary_->setText("Сдвиги по окнам показаны; применяется только сдвиг для всего интервала.");
  else if (w.Found)
    summary_->setText(Q("Сдвиг " + FormatFixed(w.Shift / 1000.0, 3) + " м, корреляция " +
                        FormatFixed(w.Correlation, 3) +
                        ". «Применить» сдвинет все кривые лога на " +
                        FormatFixed(-w.Shift / 1000.0, 3) + " м."));
  else
    summary_->setText("Сдвиг не найден: корреляция ниже 0,5.");
  UpdateOverlay();
}

void TDepthMatchWindow::UpdateOverlay() {
  if (!matched_ || !reference_) return;
  const float null = file_options_.Las.NullValue;
  const TLogTrack* ref = reference_->Sheet().FindTrack(ref_curve_->currentText().toStdString());
  const TLogTrack* log = sheet_.FindTrack(curve_->currentText().toStdString());
  if (!ref || !log) return;
  const double shift =
      result_.Windows.size() == 1 && result_.Windows[0].Found ? -result_.Windows[0].Shift : 0.0;
  overlay_->SetSeries({{"опорный", QColor(0, 0, 0), Points(*ref, 0, null)},
                       {"до", QColor(170, 170, 255), Points(*log, 0, null)},
                       {"после", QColor(220, 0, 0), Points(*log, shift, null)}});
}

bool TDepthMatchWindow::Apply() {
  if (!matched_ || result_.Windows.size() != 1 || !result_.Windows[0].Found) return false;
  const int32_t delta = -RoundHalfEven32(result_.Windows[0].Shift);
  try {
    undo_.Push(ShiftSheetCommand(sheet_, delta));
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return false;
  }
  // Applied once: a second press would move the log again.
  matched_ = false;
  apply_->setEnabled(false);
  summary_->setText(Q("Лог сдвинут на " + FormatFixed(delta / 1000.0, 3) + " м."));
  if (OnApplied) OnApplied();
  return true;
}

}  // namespace kest
