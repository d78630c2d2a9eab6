#include "app/office/time_to_depth_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "app/dialogs/window_questions.h"
#include "log/log_sheet.h"
#include "session/session_errors.h"
#include "support/errors.h"
#include "support/number_text.h"

namespace kest {

TTimeToDepthWindow::TTimeToDepthWindow(WindowQuestions& questions, LogFileOptions options,
                                       std::string folder, QWidget* parent)
    : QDialog(parent),
      questions_(questions),
      file_options_(std::move(options)),
      folder_(std::move(folder)) {
  setWindowTitle("Привязка к глубине");
  setObjectName("TTimeToDepthWindow");
  auto* grid = new QGridLayout;
  tool_ = FileRow("edToolFile", "Журнал прибора (по времени):", grid, 0);
  surface_ = FileRow("edSurfaceFile", "Журнал наземного регистратора:", grid, 1);

  find_ = new QRadioButton("Найти смещение часов по давлению", this);
  find_->setObjectName("rbFindOffset");
  find_->setChecked(true);
  typed_ = new QRadioButton("Смещение часов регистратора, с:", this);
  typed_->setObjectName("rbTypedOffset");
  offset_ = new QLineEdit("0", this);
  offset_->setObjectName("edOffset");
  offset_->setEnabled(false);
  connect(typed_, &QRadioButton::toggled, offset_, &QLineEdit::setEnabled);
  grid->addWidget(find_, 2, 0, 1, 3);
  grid->addWidget(typed_, 3, 0);
  grid->addWidget(offset_, 3, 1);

  step_ = new QDoubleSpinBox(this);
  step_->setObjectName("seStep");
  step_->setRange(0.1, 1000);
  step_->setDecimals(1);
  step_->setValue(10);
  step_->setSuffix(" см");
  grid->addWidget(new QLabel("Шаг по глубине:", this), 4, 0);
  grid->addWidget(step_, 4, 1);
  run_ = new QComboBox(this);
  run_->setObjectName("cbRun");
  run_->addItems({"Спуск", "Подъём"});
  grid->addWidget(new QLabel("Рейс:", this), 5, 0);
  grid->addWidget(run_, 5, 1);
  keep_ = new QCheckBox("Оставить стоянки", this);
  keep_->setObjectName("cbKeepStationary");
  grid->addWidget(keep_, 6, 0, 1, 2);

  progress_ = new QProgressBar(this);
  progress_->setValue(0);
  summary_ = new QLabel(this);
  summary_->setObjectName("lbSummary");
  summary_->setWordWrap(true);
  summary_->setMinimumHeight(60);

  auto* buttons = new QDialogButtonBox(this);
  auto* build = buttons->addButton("Построить", QDialogButtonBox::ActionRole);
  build->setObjectName("btBuild");
  save_ = buttons->addButton("Сохранить...", QDialogButtonBox::ActionRole);
  save_->setObjectName("btSave");
  show_ = buttons->addButton("Сохранить и открыть...", QDialogButtonBox::ActionRole);
  show_->setObjectName("btShow");
  buttons->addButton("Закрыть", QDialogButtonBox::RejectRole);
  save_->setEnabled(false);
  show_->setEnabled(false);
  connect(build, &QPushButton::clicked, this, [this] { Build(); });
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(show_, &QPushButton::clicked, this, [this] {
    if (!OnOpen || !built_) return;
    const std::string path = Save();
    if (path.empty()) return;
    accept();
    OnOpen(path);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* v = new QVBoxLayout(this);
  v->addLayout(grid);
  v->addWidget(progress_);
  v->addWidget(summary_);
  v->addWidget(buttons);
  resize(620, 380);
}

TTimeToDepthWindow::~TTimeToDepthWindow() = default;

QLineEdit* TTimeToDepthWindow::FileRow(const char* name, const QString& label, QGridLayout* grid,
                                       int row) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  edit->setMinimumWidth(300);
  auto* browse = new QPushButton("...", this);
  browse->setMaximumWidth(30);
  connect(browse, &QPushButton::clicked, this, [this, edit, label] {
    std::string path = questions_.AskOpenFile(label.toStdString(), folder_, "*.LS *.LAS");
    if (!path.empty()) edit->setText(QString::fromStdString(path));
  });
  grid->addWidget(new QLabel(label, this), row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(browse, row, 2);
  return edit;
}

void TTimeToDepthWindow::SetToolFile(const std::string& p) {
  tool_->setText(QString::fromStdString(p));
}
void TTimeToDepthWindow::SetSurfaceFile(const std::string& p) {
  surface_->setText(QString::fromStdString(p));
}
void TTimeToDepthWindow::SetOffset(std::optional<double> s) {
  (s ? typed_ : find_)->setChecked(true);
  if (s) offset_->setText(QString::fromStdString(FormatFloat(*s)));
}
void TTimeToDepthWindow::SetStepCm(double cm) { step_->setValue(cm); }
void TTimeToDepthWindow::SetRun(CableRun run) {
  run_->setCurrentIndex(run == CableRun::Up ? 1 : 0);
}
void TTimeToDepthWindow::SetKeepStationary(bool keep) { keep_->setChecked(keep); }
std::string TTimeToDepthWindow::SummaryText() const { return summary_->text().toStdString(); }

TimeToDepthOptions TTimeToDepthWindow::Options() const {
  TimeToDepthOptions o;
  o.step_mm = static_cast<int32_t>(std::lround(step_->value() * 10));
  o.run = run_->currentIndex() == 1 ? CableRun::Up : CableRun::Down;
  o.keep_stationary = keep_->isChecked();
  o.null_value = file_options_.Las.NullValue;
  if (typed_->isChecked()) {
    std::string text = offset_->text().trimmed().replace(',', '.').toStdString();
    auto v = ParseFloat(text);
    if (!v) throw ESessionError("Смещение часов — число секунд");
    o.offset_s = *v;
  }
  o.progress = [this](int percent) {
    progress_->setValue(percent);
    QApplication::processEvents();
    return true;
  };
  return o;
}

bool TTimeToDepthWindow::Build() {
  built_ = false;
  save_->setEnabled(false);
  show_->setEnabled(false);
  try {
    TimeToDepthOptions options = Options();
    LogDocument tool, surface;
    tool.Open(tool_->text().toStdString(), file_options_);
    surface.Open(surface_->text().toStdString(), file_options_);
    TimeToDepthResult r = BuildDepthLog(tool.Sheet(), surface.Sheet(), result_.Sheet(), options);
    result_.SetModified(true);
    const QString found =
        r.OffsetFound ? QString::asprintf(" (найдено, корреляция %.4f)", r.Correlation) : "";
    summary_->setText(QString::asprintf(
        "Смещение часов: %.1f с%s\nГлубина: %.2f – %.2f м, строк: %d\n"
        "Замеров: %lld (стоянки: %lld, другой рейс: %lld, вне журнала регистратора: %lld)",
        r.OffsetS, found.toUtf8().constData(), r.TopM, r.BottomM, r.Rows,
        static_cast<long long>(r.Used), static_cast<long long>(r.Stationary),
        static_cast<long long>(r.OtherRun), static_cast<long long>(r.Outside)));
    built_ = true;
  } catch (const EKestError& e) {
    summary_->setText(QString::fromStdString(e.what()));
    questions_.ShowError(e.what());
  }
  progress_->setValue(built_ ? 100 : 0);  // a full bar says the log is there
  save_->setEnabled(built_);
  show_->setEnabled(built_ && static_cast<bool>(OnOpen));
  return built_;
}

std::string TTimeToDepthWindow::Save() {
  if (!built_) return {};
  std::string name =
      std::filesystem::path(tool_->text().toStdString()).stem().string() + "_depth.ls";
  std::string path, format;
  if (!questions_.AskSaveFile("Сохранить журнал по глубине", folder_, name, {"LS", "LAS"}, path,
                              format))
    return {};
  path = FileNameForFormat(path, format);
  try {
    result_.SaveAs(path, file_options_);
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return {};
  }
  return path;
}

}  // namespace kest
