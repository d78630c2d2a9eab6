#include "app/dialogs/witness_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kest {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().trimmed().toStdString(); }
}  // namespace

TWitnessDialog::TWitnessDialog(const WitnessSettings& s, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Трансляция");
  auto* layout = new QVBoxLayout(this);
  cbEnabled = new QCheckBox("Транслировать запись", this);
  cbEnabled->setChecked(s.enabled);
  layout->addWidget(cbEnabled);
  auto* form = new QFormLayout;
  feHost = new QLineEdit(Q(s.host), this);
  form->addRow("Адрес брокера", feHost);
  sePort = new QSpinBox(this);
  sePort->setRange(1, 65535);
  sePort->setValue(s.port);
  form->addRow("Порт", sePort);
  cbTls = new QCheckBox("TLS", this);
  cbTls->setChecked(s.tls);
  form->addRow("", cbTls);
  auto* ca = new QHBoxLayout;
  feCaFile = new QLineEdit(Q(s.ca_file), this);
  auto* browse = new QPushButton("...", this);
  browse->setFixedWidth(32);
  ca->addWidget(feCaFile);
  ca->addWidget(browse);
  form->addRow("Файл CA", ca);
  feUser = new QLineEdit(Q(s.user), this);
  form->addRow("Пользователь", feUser);
  fePassword = new QLineEdit(Q(s.password), this);
  fePassword->setEchoMode(QLineEdit::Password);
  form->addRow("Пароль", fePassword);
  feUnit = new QLineEdit(Q(s.unit), this);
  form->addRow("Имя установки", feUnit);
  layout->addLayout(form);
  lProblem = new QLabel(this);
  lProblem->setStyleSheet("color: #b00000");
  lProblem->setWordWrap(true);
  lProblem->hide();
  layout->addWidget(lProblem);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &TWitnessDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto tls_changed = [this] {
    feCaFile->setEnabled(cbTls->isChecked());
    // The usual ports follow TLS while the user has not chosen another.
    if (cbTls->isChecked() && sePort->value() == 1883) sePort->setValue(8883);
    if (!cbTls->isChecked() && sePort->value() == 8883) sePort->setValue(1883);
  };
  connect(cbTls, &QCheckBox::toggled, this, tls_changed);
  feCaFile->setEnabled(s.tls);
  connect(browse, &QPushButton::clicked, this, [this] {
    QString file = QFileDialog::getOpenFileName(this, "Файл CA", feCaFile->text(),
                                                "Сертификаты (*.crt *.pem);;Все файлы (*)");
    if (!file.isEmpty()) feCaFile->setText(file);
  });
}

WitnessSettings TWitnessDialog::Result() const {
  WitnessSettings s;
  s.host = S(feHost);
  s.port = sePort->value();
  s.tls = cbTls->isChecked();
  s.ca_file = S(feCaFile);
  s.user = S(feUser);
  s.password = fePassword->text().toStdString();  // blanks may belong to a password
  s.unit = S(feUnit);
  s.enabled = cbEnabled->isChecked();
  return s;
}

void TWitnessDialog::accept() {
  const WitnessSettings s = Result();
  // Settings that are off may stay incomplete.
  const std::string problem = s.enabled ? SettingsProblem(s) : std::string();
  if (!problem.empty()) {
    lProblem->setText(Q(problem));
    lProblem->show();
    return;
  }
  QDialog::accept();
}

}  // namespace kest
