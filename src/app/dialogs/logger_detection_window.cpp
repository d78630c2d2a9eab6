#include "app/dialogs/logger_detection_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dialogs/dialog_size.h"
#include "support/clock.h"
#include "support/settings.h"

namespace kest {

TLoggerDetectionWindow::TLoggerDetectionWindow(TLogger& logger, Clock& clock,
                                               const TModuleClasses& classes,
                                               const TModuleDefs& defs, Settings& settings,
                                               std::string mode_key, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      mode_key_(std::move(mode_key)),
      detection_(std::make_unique<NumberDetection>(logger, classes, defs)),
      clock_(clock) {
  setWindowTitle("Определение номера");
  auto* layout = new QVBoxLayout(this);
  lvModules = new QTreeWidget(this);
  lvModules->setColumnCount(2);
  lvModules->setHeaderLabels({"Модуль", "Номер"});
  lvModules->setRootIsDecorated(false);
  layout->addWidget(lvModules);
  auto* bottom = new QHBoxLayout;
  cbWait = new QCheckBox("Не закрывать автоматически", this);
  cbWait->setChecked(settings_.GetBool(mode_key_ + "/Logger detection", "WaitForUser", false));
  btnClose = new QPushButton("Отмена", this);
  bottom->addWidget(cbWait);
  bottom->addStretch();
  bottom->addWidget(btnClose);
  layout->addLayout(bottom);
  Timer1 = new QTimer(this);
  Timer1->setInterval(20);
  connect(Timer1, &QTimer::timeout, this, [this] {
    if (close_at_ != 0 && clock_.NowMs() >= close_at_) accept();
  });
  Timer1->start();
  connect(btnClose, &QPushButton::clicked, this, [this] {
    if (detection_->Complete())
      accept();
    else
      reject();
  });
  for (const NumberDetection::Row& row : detection_->Rows())
    new QTreeWidgetItem(lvModules, {QString::fromStdString(row.Name), "X"});
  detection_->OnChange = [this] { Changed(); };
  QTimer::singleShot(0, this, [this] { Changed(); });
  FitToTitle(*this);
}

TLoggerDetectionWindow::~TLoggerDetectionWindow() {
  detection_->OnChange = nullptr;
  settings_.SetBool(mode_key_ + "/Logger detection", "WaitForUser", cbWait->isChecked());
}

bool TLoggerDetectionWindow::WaitForUser() const { return cbWait->isChecked(); }
void TLoggerDetectionWindow::SetWaitForUser(bool wait) { cbWait->setChecked(wait); }

void TLoggerDetectionWindow::Changed() {
  const auto& rows = detection_->Rows();
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    QTreeWidgetItem* item = lvModules->topLevelItem(i);
    bool known = rows[static_cast<size_t>(i)].Number >= 0;
    item->setText(1, known ? QString::number(rows[static_cast<size_t>(i)].Number) : QString("X"));
    item->setCheckState(0, known ? Qt::Checked : Qt::Unchecked);
  }
  if (!detection_->Failure().empty()) {
    if (ShowFailure)
      QMessageBox::warning(this, windowTitle(), QString::fromStdString(detection_->Failure()));
    reject();
    return;
  }
  if (detection_->Complete()) {
    btnClose->setText("Закрыть");
    if (!cbWait->isChecked() && close_at_ == 0) close_at_ = clock_.NowMs() + kCloseDelayMs;
  }
}

}  // namespace kest
