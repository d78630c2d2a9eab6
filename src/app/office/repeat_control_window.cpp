#include "app/office/repeat_control_window.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "app/dialogs/window_questions.h"
#include "app/office/curve_plot.h"
#include "app/office/report_files.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/errors.h"
#include "support/number_text.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString Number(double v, int decimals) {
  return std::isnan(v) ? QString("—") : Q(FormatFixed(v, decimals));
}

std::vector<std::pair<double, double>> Points(const TLogTrack& t, int32_t top, int32_t bottom,
                                              float null) {
  std::vector<std::pair<double, double>> points;
  for (int32_t i = 0; i < t.Count(); ++i) {
    const int32_t x = t.ArgumentOf(i);
    if (x < top || x > bottom) continue;
    const float v = t.Sample(i);
    points.emplace_back(x / 1000.0, IsNullSample(v, null) ? std::nan("") : v);
  }
  return points;
}

}  // namespace

TRepeatControlWindow::TRepeatControlWindow(const TLogSheet& main, std::string main_name,
                                           WindowQuestions& questions, LogFileOptions options,
                                           std::string folder, QWidget* parent)
    : QDialog(parent),
      main_(main),
      main_name_(std::move(main_name)),
      questions_(questions),
      file_options_(std::move(options)),
      folder_(std::move(folder)) {
  setWindowTitle("Контроль повторного замера");
  setObjectName("TRepeatControlWindow");
  auto* file = new QHBoxLayout;
  repeat_file_ = new QLineEdit(this);
  repeat_file_->setObjectName("edRepeat");
  auto* browse = new QPushButton("...", this);
  browse->setMaximumWidth(30);
  connect(browse, &QPushButton::clicked, this, [this] {
    std::string path = questions_.AskOpenFile("Повторный замер", folder_, "*.LS *.LAS");
    if (!path.empty()) SetRepeatFile(path);
  });
  file->addWidget(new QLabel("Повторный замер:", this));
  file->addWidget(repeat_file_, 1);
  file->addWidget(browse);

  table_ = new QTableWidget(0, 7, this);
  table_->setObjectName("twStats");
  table_->setHorizontalHeaderLabels(
      {"Кривая", "Начало, м", "Конец, м", "Отсчётов", "Среднее расхождение", "СКО", "Корреляция"});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(table_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { ShowCurve(row); });
  overlay_ = new TCurvePlot(this);
  overlay_->setObjectName("pbOverlay");

  auto* buttons = new QDialogButtonBox(this);
  auto* compare = buttons->addButton("Сравнить", QDialogButtonBox::ActionRole);
  compare->setObjectName("btCompare");
  auto* report = buttons->addButton("Отчёт", QDialogButtonBox::ActionRole);
  report->setObjectName("btReport");
  buttons->addButton("Закрыть", QDialogButtonBox::RejectRole);
  connect(compare, &QPushButton::clicked, this, [this] { Compare(); });
  connect(report, &QPushButton::clicked, this, [this] {
    if (stats_.empty() && !Compare()) return;
    const std::string folder =
        repeat_path_.empty() ? folder_ : std::filesystem::path(repeat_path_).parent_path().string();
    Report(folder, true);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* body = new QHBoxLayout;
  body->addWidget(table_, 3);
  body->addWidget(overlay_, 1);
  auto* v = new QVBoxLayout(this);
  v->addLayout(file);
  v->addLayout(body, 1);
  v->addWidget(buttons);
  resize(900, 480);
}

TRepeatControlWindow::~TRepeatControlWindow() = default;

void TRepeatControlWindow::SetRepeatFile(const std::string& path) {
  repeat_file_->setText(Q(path));
}

bool TRepeatControlWindow::Compare() {
  const std::string path = repeat_file_->text().trimmed().toStdString();
  if (path.empty()) {
    questions_.ShowError("Не выбран повторный замер");
    return false;
  }
  try {
    if (path != repeat_path_ || !repeat_) {
      auto document = std::make_unique<LogDocument>();
      document->Open(path, file_options_);
      repeat_ = std::move(document);
      repeat_path_ = path;
    }
    stats_ = CompareRepeat(main_, repeat_->Sheet(), file_options_.Las.NullValue);
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return false;
  }
  table_->setRowCount(static_cast<int>(stats_.size()));
  for (size_t i = 0; i < stats_.size(); ++i) {
    const RepeatCurveStats& s = stats_[i];
    const QString cells[] = {Q(s.Curve),
                             Number(s.Top / 1000.0, 2),
                             Number(s.Bottom / 1000.0, 2),
                             QString::number(s.Pairs),
                             Number(s.MeanDifference, 4),
                             Number(s.StdDifference, 4),
                             Number(s.Correlation, 4)};
    for (int c = 0; c < 7; ++c)
      table_->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
  }
  int gk = 0;
  for (size_t i = 0; i < stats_.size(); ++i)
    if (stats_[i].Curve == "GK") gk = static_cast<int>(i);
  table_->setCurrentCell(gk, 0);
  ShowCurve(gk);
  return true;
}

void TRepeatControlWindow::ShowCurve(int row) {
  if (row < 0 || row >= static_cast<int>(stats_.size()) || !repeat_) return;
  const RepeatCurveStats& s = stats_[static_cast<size_t>(row)];
  const TLogTrack* a = main_.FindTrack(s.Curve);
  const TLogTrack* b = repeat_->Sheet().FindTrack(s.Curve);
  if (!a || !b) return;
  const float null = file_options_.Las.NullValue;
  overlay_->SetTitle(Q(s.Curve));
  overlay_->SetSeries({{"основной", QColor(0, 0, 0), Points(*a, s.Top, s.Bottom, null)},
                       {"повторный", QColor(220, 0, 0), Points(*b, s.Top, s.Bottom, null)}});
}

std::string TRepeatControlWindow::Report(const std::string& folder, bool open) {
  const std::string base = folder + "/Контроль повторного замера";
  const std::string html =
      RepeatReportHtml(stats_, main_name_, std::filesystem::path(repeat_path_).filename().string());
  if (!WriteReportFiles(html, base, "Контроль повторного замера")) {
    questions_.ShowError("Ошибка сохранения файла: " + base);
    return {};
  }
  if (open) QDesktopServices::openUrl(QUrl::fromLocalFile(Q(base + ".pdf")));
  return base + ".pdf";
}

}  // namespace kest
