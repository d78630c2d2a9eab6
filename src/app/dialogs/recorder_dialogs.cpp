#include "app/dialogs/recorder_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/dialog_size.h"
#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_data_source.h"
#include "link/logger_item.h"
#include "session/recording_session.h"
#include "support/clock.h"
#include "support/errors.h"
#include "support/number_text.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QDialogButtonBox* OkCancel(QDialog* dialog, QLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText("Отмена");
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

QDoubleSpinBox* Metres(double value, double low, double high, int decimals, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setValue(value);
  return box;
}

}  // namespace

// ---------------------------------------------------------------------------------
// Depth panel

TTopPanel::TTopPanel(TLogger& logger, Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      logger_(logger),
      source_(std::make_unique<TLoggerDataSource>()),
      lciDepth(std::make_unique<TLoggerChannelItem>()),
      lciSpeed(std::make_unique<TLoggerChannelItem>()),
      lsimaglabel(std::make_unique<TLoggerSensorItem>()),
      clock_(clock) {
  setWindowTitle(" ");
  setObjectName("TopPanel");
  auto* grid = new QHBoxLayout(this);
  QFont big = font();
  big.setPointSize(22);
  big.setBold(true);
  auto figure = [&](const char* caption, const char* initial, const char* unit) {
    auto* box = new QVBoxLayout;
    box->addWidget(new QLabel(caption, this));
    auto* row = new QHBoxLayout;
    auto* value = new QLabel(initial, this);
    value->setFont(big);
    value->setMinimumWidth(150);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(value);
    row->addWidget(new QLabel(unit, this));
    box->addLayout(row);
    grid->addLayout(box);
    return value;
  };
  lDepth = figure("Глубина", "0.00", "m");
  lSpeed = figure("Скорость", "0", "м\\ч");
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(2);
  pLabel = frame;
  pLabel->setObjectName("pLabel");
  pLabel->setFixedSize(28, 28);
  pLabel->setAutoFillBackground(true);
  grid->addWidget(pLabel);

  lciDepth->SetChannelName("DEPTH");
  lciSpeed->SetChannelName("SPEED");
  lsimaglabel->SetSensorName("MAG-LABEL-SENSOR");
  lciDepth->OnChange = [this](TLoggerItem& item) {
    lDepth->setText(Q(FormatFixed(item.GetValue(), 2)));
  };
  lciSpeed->OnChange = [this](TLoggerItem& item) {
    lSpeed->setText(Q(FormatFixed(std::round(item.GetValue()), 0)));
  };
  lsimaglabel->OnChange = [this](TLoggerItem& item) {
    if (item.GetValue() > 0 && label_until_ != 0) label_until_ = clock_.NowMs() + 500;
  };
}

TTopPanel::~TTopPanel() { source_->SetLogger(nullptr); }

void TTopPanel::showEvent(QShowEvent* event) {
  lDepth->setText("0.00");
  lSpeed->setText("0");
  if (!source_->Logger()) {
    source_->SetLogger(&logger_);
    for (TLoggerChannelItem* item : {lciDepth.get(), lciSpeed.get()})
      item->SetDataSource(source_.get());
    lsimaglabel->SetDataSource(source_.get());
  }
  Refresh();
  QWidget::showEvent(event);
}

void TTopPanel::Refresh() {
  if (label_until_ != 0 && clock_.NowMs() >= label_until_) {
    pLabel->setPalette(palette());  // back to the button face
    label_until_ = 0;
  }
  if (TLoggerChannel* depth = logger_.DepthChannel(); depth && logger_.Active())
    lDepth->setText(Q(FormatFixed(depth->Value, 2)));
}

void TTopPanel::ShowLabel(bool green) {
  QPalette p = pLabel->palette();
  p.setColor(QPalette::Window, green ? QColor(0, 200, 0) : QColor(220, 0, 0));
  pLabel->setPalette(p);
  label_until_ = clock_.NowMs() + 500;
  if (OnLabelSound) OnLabelSound();
}

QString TTopPanel::DepthText() const { return lDepth->text(); }
QString TTopPanel::SpeedText() const { return lSpeed->text(); }
bool TTopPanel::LabelLit() const {
  return pLabel->palette().color(QPalette::Window) != palette().color(QPalette::Window);
}

// ---------------------------------------------------------------------------------
// Depth dialog

TDepthSetDlg::TDepthSetDlg(TLogger& logger, RecordingSession& session, Settings& settings,
                           std::string mode_key, QWidget* parent)
    : QDialog(parent),
      logger_(logger),
      session_(session),
      settings_(settings),
      mode_key_(std::move(mode_key)),
      source_(std::make_unique<TLoggerDataSource>()),
      lsiMagneticLabel(std::make_unique<TLoggerSensorItem>()) {
  setWindowTitle("Установка глубины");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const double current = logger_.DepthChannel() ? logger_.DepthChannel()->Value : 0;
  feDepth = Metres(std::max(current, 0.0), 0, 100000, 2, this);
  form->addRow("Глубина, м", feDepth);
  auto* row = new QHBoxLayout;
  auto* reset = new QPushButton("Сбросить", this);
  auto* now = new QPushButton("Текущая", this);
  row->addWidget(reset);
  row->addWidget(now);
  form->addRow(row);
  connect(reset, &QPushButton::clicked, this, [this] { feDepth->setValue(0); });
  connect(now, &QPushButton::clicked, this, [this] {
    if (logger_.DepthChannel()) feDepth->setValue(logger_.DepthChannel()->Value);
  });
  layout->addLayout(form);

  DepthDialogSettings remembered;
  remembered.Load(settings_, mode_key_);
  auto* sensor = new QGroupBox("Датчик", this);
  auto* sensor_form = new QFormLayout(sensor);
  feDepthStep = new QLineEdit(Q(remembered.RollerStep), sensor);
  cbReverse = new QCheckBox("Реверс", sensor);
  cbReverse->setChecked(remembered.Reverse);
  sensor_form->addRow("Шаг, м", feDepthStep);
  feDepthStepHint = new QLabel("Введите шаг в метрах: число больше 0 и меньше 10", sensor);
  feDepthStepHint->setObjectName("feDepthStepHint");
  feDepthStepHint->setStyleSheet("QLabel { color: #b00000; }");
  feDepthStepHint->hide();
  sensor_form->addRow(feDepthStepHint);
  sensor_form->addRow(cbReverse);
  layout->addWidget(sensor);
  cbByMagLabel = new QCheckBox("по первой магнитной метке", this);
  cbByMagLabel->setChecked(remembered.ByMagLabel);
  layout->addWidget(cbByMagLabel);
  auto* buttons = OkCancel(this, layout);
  btnOk = buttons->button(QDialogButtonBox::Ok);
  connect(btnOk, &QPushButton::clicked, this, [this] { Ok(); });
  feDepth->selectAll();

  lsiMagneticLabel->SetSensorName("MAG-LABEL-SENSOR");
  source_->SetLogger(&logger_);
  lsiMagneticLabel->SetDataSource(source_.get());
  lsiMagneticLabel->OnChange = [this](TLoggerItem& item) {
    if (waiting_ && item.GetValue() > 0) {
      waiting_ = false;
      Apply();
    }
  };
  FitToTitle(*this);
}

TDepthSetDlg::~TDepthSetDlg() { source_->SetLogger(nullptr); }

void TDepthSetDlg::Ok() {
  auto step = ParseFloat(feDepthStep->text().trimmed().replace(',', '.').toStdString());
  const bool usable = step && *step > 0 && *step < 10;
  // A field without a usable step is shaded and says what it expects.
  feDepthStep->setStyleSheet(usable ? QString() : "QLineEdit { background: #ffe0e0; }");
  feDepthStepHint->setVisible(!usable);
  if (!usable) {
    feDepthStep->setFocus();
    feDepthStep->selectAll();
    return;  // nothing is applied
  }
  if (cbByMagLabel->isChecked()) {
    // Applied when the next label passes the sensor; cancelling discards it.
    waiting_ = true;
    btnOk->setEnabled(false);
    return;
  }
  Apply();
}

void TDepthSetDlg::Apply() {
  const double step =
      ParseFloat(feDepthStep->text().trimmed().replace(',', '.').toStdString()).value_or(0.01);
  const double depth = feDepth->value();
  logger_.SetDepthStep(step * (cbReverse->isChecked() ? -1 : 1), depth);
  session_.NextLabelDepth = static_cast<float>(depth + session_.MLStep);
  DepthDialogSettings d;
  d.ByMagLabel = cbByMagLabel->isChecked();
  d.Reverse = cbReverse->isChecked();
  d.RollerStep = feDepthStep->text().trimmed().toStdString();
  d.Save(settings_, mode_key_);
  accept();
}

// ---------------------------------------------------------------------------------
// Cable dialog

TCableDlg::TCableDlg(RecordingSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setWindowTitle("Параметры кабеля");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  feStep = Metres(std::fabs(session_.MLStep), 0, 10000, 2, this);
  feStep2 = Metres(session_.MLStep2, 0, 10000, 2, this);
  feSubStep = Metres(session_.MLSubStep, 0, 10000, 2, this);
  feOffset2 = Metres(session_.MLOffset2, -10000, 10000, 2, this);
  sePos2 = new QSpinBox(this);
  sePos2->setRange(1, 2);
  sePos2->setValue(session_.MLPos2 + 1);
  feArea = Metres(std::trunc(session_.MLArea * 100) / 100, 0, 10000, 2, this);
  form->addRow("Шаг меток, м", feStep);
  form->addRow("Шаг двойных меток, м", feStep2);
  form->addRow("Макс. расстояние между частями дв. метки, м", feSubStep);
  form->addRow("Смещение первой дв. метки от начала кабеля, м", feOffset2);
  form->addRow("Положение истинной метки в двойной", sePos2);
  form->addRow("Зона ожидания, м", feArea);
  layout->addLayout(form);
  auto* buttons = OkCancel(this, layout);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  FitToTitle(*this);
}

void TCableDlg::Store() {
  session_.MLStep = static_cast<float>(feStep->value());
  session_.MLStep2 = static_cast<float>(feStep2->value());
  session_.MLSubStep = static_cast<float>(feSubStep->value());
  session_.MLOffset2 = static_cast<float>(feOffset2->value());
  session_.MLPos2 = sePos2->value() - 1;
  session_.MLArea = static_cast<float>(feArea->value());
}

// ---------------------------------------------------------------------------------
// Tension dialog

TTensionDlg::TTensionDlg(TLogger& logger, std::string class_file, QWidget* parent)
    : QDialog(parent), logger_(logger), class_file_(std::move(class_file)) {
  setWindowTitle("Датчик натяжения");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Введите параметры К и В для датчика натяжения", this));
  TensionCoefficients c = ReadTensionCoefficients(class_file_);
  auto* form = new QFormLayout;
  eK = new QLineEdit(Q(c.K), this);
  eB = new QLineEdit(Q(c.B), this);
  form->addRow("К=", eK);
  form->addRow("В=", eB);
  layout->addLayout(form);
  auto* buttons = OkCancel(this, layout);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  FitToTitle(*this);
}

void TTensionDlg::Apply() {
  TensionCoefficients c;
  const std::string k_text = eK->text().trimmed().toStdString();
  const std::string b_text = eB->text().trimmed().toStdString();
  c.K = NormaliseCoefficient(k_text);
  c.B = NormaliseCoefficient(b_text);
  auto k = ParseFloat(c.K);
  auto b = ParseFloat(c.B);
  // The refusal quotes the field as typed, not the text with ".0" added to it.
  if (!k || !b)
    throw EConvertError("\"" + (k ? b_text : k_text) + "\" is not a valid floating point value");
  if (logger_.CommandDriver().Ready())
    logger_.SendParameters(ToolFloatParameter(*k), ToolFloatParameter(*b));
  WriteTensionCoefficients(class_file_, c);
}

// ---------------------------------------------------------------------------------
// Sampler

TTrierDlg::TTrierDlg(int current, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Пробоотборник");
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  seTrier = new QSpinBox(this);
  seTrier->setRange(0, 400);
  seTrier->setValue(current);
  row->addWidget(seTrier);
  row->addWidget(new QLabel("mA отрицательной полярности", this));
  layout->addLayout(row);
  auto* warning = new QLabel(
      "   Перед взятием пробы должно пройти не менее 15 минут после остановки прибора. Вы "
      "действительно "
      "хотите взять пробу?",
      this);
  warning->setWordWrap(true);
  layout->addWidget(warning);
  auto* buttons = OkCancel(this, layout);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  FitToTitle(*this);
}

}  // namespace kest
