#include "app/main_window/setup_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/dialogs/dialog_size.h"
#include "support/settings.h"

namespace kest {

namespace {

QButtonGroup* Radios(QWidget* owner, QVBoxLayout* page, const QString& title,
                     const QStringList& items, int checked) {
  auto* box = new QGroupBox(title, owner);
  auto* layout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(owner);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], box);
    group->addButton(button, i);
    layout->addWidget(button);
  }
  if (auto* b = group->button(checked)) b->setChecked(true);
  page->addWidget(box);
  return group;
}

QSpinBox* Spin(QWidget* owner, QVBoxLayout* page, const QString& title, int lo, int hi, int value) {
  auto* box = new QGroupBox(title, owner);
  auto* layout = new QVBoxLayout(box);
  auto* spin = new QSpinBox(box);
  spin->setRange(lo, hi);
  spin->setValue(value);
  layout->addWidget(spin);
  page->addWidget(box);
  return spin;
}

}  // namespace

TSetupDialog::TSetupDialog(Settings& settings, std::string logs_folder, QWidget* parent)
    : QDialog(parent), settings_(settings), logs_folder_(std::move(logs_folder)) {
  setWindowTitle("Настройки");
  values_.Load(settings_);
  auto* tabs = new QTabWidget(this);
  auto* files = new QWidget(tabs);
  auto* files_layout = new QVBoxLayout(files);
  rgSaveFiles = Radios(this, files_layout, " Сохранение в .LS ",
                       {"автоматически после регистрации,", "спрашивать,", "не сохранять."},
                       values_.SaveFiles);
  seLASStep = Spin(this, files_layout, " Шаг LAS, см ", 1, 20, values_.LASStep);
  auto* null_box = new QGroupBox(" Отсутствие значения ", files);
  eNull = new QLineEdit(QString::fromStdString(values_.NullValue), null_box);
  eNull->setObjectName("eNull");
  auto* null_layout = new QVBoxLayout(null_box);
  null_layout->addWidget(eNull);
  eNullHint = new QLabel("Введите число, например -999.25", null_box);
  eNullHint->setObjectName("eNullHint");
  eNullHint->setStyleSheet("QLabel { color: #b00000; }");
  eNullHint->hide();
  null_layout->addWidget(eNullHint);
  files_layout->addWidget(null_box);
  rgTare = Radios(this, files_layout, " Тарировки в .LAS", {"Да", "Нет"}, values_.Tare ? 0 : 1);
  rgDir = Radios(this, files_layout, " Сохранять каталоги сохранения и загрузки ", {"Да", "Нет"},
                 values_.SaveDirectories ? 0 : 1);
  seAutoSave = Spin(this, files_layout, " Автосохранение ", 0, 15, values_.AutoSaveFile);
  tabs->addTab(files, "Файлы");

  auto* las = new QWidget(tabs);
  auto* las_layout = new QFormLayout(las);
  cbOrg = new QComboBox(las);
  cbOrg->setEditable(true);
  cbOrg->setEditText(QString::fromStdString(values_.Organisation));
  las_layout->addRow("Организация", cbOrg);
  tabs->addTab(las, "Шапка LAS");

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  apply_ = buttons->button(QDialogButtonBox::Apply);
  apply_->setText("Применить");
  apply_->setEnabled(false);
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Apply()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);

  for (QButtonGroup* g : {rgSaveFiles, rgTare, rgDir})
    connect(g, &QButtonGroup::idClicked, this, [this] { Changed(); });
  for (QSpinBox* s : {seLASStep, seAutoSave})
    connect(s, &QSpinBox::valueChanged, this, [this] { Changed(); });
  connect(eNull, &QLineEdit::textEdited, this, [this] { Changed(); });
  connect(cbOrg, &QComboBox::editTextChanged, this, [this] { Changed(); });
  FitToTitle(*this);
}

void TSetupDialog::Changed() { apply_->setEnabled(true); }

void TSetupDialog::Collect() {
  values_.SaveFiles = std::max(0, rgSaveFiles->checkedId());
  values_.LASStep = seLASStep->value();
  values_.NullValue = eNull->text().trimmed().toStdString();
  values_.Tare = rgTare->checkedId() == 0;
  values_.SaveDirectories = rgDir->checkedId() == 0;
  values_.AutoSaveFile = seAutoSave->value();
  values_.Organisation = cbOrg->currentText().toStdString();
}

bool TSetupDialog::Apply() {
  Collect();
  const bool ok = values_.Apply(settings_, logs_folder_);
  // A field that holds no number is shaded and says what it expects.
  eNull->setStyleSheet(ok ? QString() : "QLineEdit { background: #ffe0e0; }");
  eNullHint->setVisible(!ok);
  if (!ok) {
    eNull->setFocus();
    return false;
  }
  apply_->setEnabled(false);
  return true;
}

}  // namespace kest
