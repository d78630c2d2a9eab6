#include "app/memtool/coef_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/window_questions.h"
#include "app/memtool/coef_edit_form.h"
#include "memtool/calibration_grids.h"
#include "memtool/coefficient_file.h"
#include "memtool/coefficient_upload.h"
#include "memtool/memory_tool.h"
#include "memtool/memory_tool_host.h"
#include "memtool/memtool_errors.h"

namespace kest {

void PlaceNextTo(QWidget& window, const QWidget& owner) {
  if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
  const QRect near = owner.frameGeometry();
  const QScreen* screen = owner.screen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
  // The frame the window manager adds is not known before the first show: the
  // owner's stands in for it.
  const QSize frame = near.size() - owner.size();
  const QSize size = window.size() + frame.expandedTo(QSize(0, 0));
  const int gap = 4;
  QPoint at;
  if (near.right() + gap + size.width() <= area.right()) {
    at = QPoint(near.right() + gap, near.top());
  } else if (near.left() - gap - size.width() >= area.left()) {
    at = QPoint(near.left() - gap - size.width(), near.top());
  } else if (near.bottom() + gap + size.height() <= area.bottom()) {
    at = QPoint(near.left(), near.bottom() + gap);
  } else {
    at = near.topLeft() + QPoint(24, 24);  // over the owner, its title bar still free
  }
  at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
  at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
  window.move(at);
}

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Wide enough for "-0.00000E+00".
constexpr int kColumnWidth = 98;

const std::vector<std::string> kFilters = {"Файлы коэффициентов (*.cfs)", "Все файлы (*.*)"};

// The label "Метрология от": a click with Alt held opens the window to its full height.
class ClickLabel : public QLabel {
 public:
  ClickLabel(const QString& text, QWidget* parent, std::function<void(bool alt)> clicked)
      : QLabel(text, parent), clicked_(std::move(clicked)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    clicked_(event->modifiers() & Qt::AltModifier);
    QLabel::mousePressEvent(event);
  }

 private:
  std::function<void(bool)> clicked_;
};

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text,
                        const char* hint = nullptr) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  if (hint) b->setToolTip(QString::fromUtf8(hint));
  return b;
}

}  // namespace

TCoefForm::TCoefForm(TMemoryTool& tool, WindowQuestions& questions, std::string dir,
                     std::function<ToolTime()> local_time, QWidget* parent)
    : QWidget(parent, Qt::Window),
      tool_(tool),
      questions_(questions),
      dir_(std::move(dir)),
      local_time_(std::move(local_time)),
      calculated_(NewCoefRecord()),
      tool_record_(NewCoefRecord()) {
  setWindowTitle("Настройка прибора");
  setObjectName("TCoefForm");
  auto* layout = new QVBoxLayout(this);

  // Which record, the reference pressures' units, the date of the calibration.
  auto* top = new QHBoxLayout;
  auto* which = new QGroupBox("Таблицы коэффициентов", this);
  auto* which_layout = new QHBoxLayout(which);
  calculated_radio_ = new QRadioButton("Рассчитанные коэффициенты ", which);
  calculated_radio_->setObjectName("CalculatedRadio");
  tool_radio_ = new QRadioButton("Коэффициенты в приборе", which);
  tool_radio_->setObjectName("ToolRadio");
  calculated_radio_->setChecked(true);
  which_layout->addWidget(calculated_radio_);
  which_layout->addWidget(tool_radio_);
  connect(tool_radio_, &QRadioButton::toggled, this, [this](bool on) { ShowToolRecord(on); });
  top->addWidget(which);
  top->addWidget(new QLabel("Давление:", this));
  units_ = new QComboBox(this);
  units_->setObjectName("Units");
  units_->addItems({"КГС", "МПа"});
  units_->setCurrentIndex(1);
  connect(units_, &QComboBox::activated, this, [this](int index) { UnitsChanged(index); });
  top->addWidget(units_);
  top->addStretch();
  metrology_label_ =
      new ClickLabel("Метрология от", this, [this](bool alt) { MetrologyClicked(alt); });
  top->addWidget(metrology_label_);
  metrology_ = new QLineEdit(this);
  metrology_->setObjectName("Metrology");
  metrology_->setReadOnly(true);
  metrology_->setFixedWidth(140);
  top->addWidget(metrology_);
  layout->addLayout(top);

  // The coefficient tables.
  auto* tables = new QGridLayout;
  tables->addWidget(new QLabel("Давление (полная таблица)", this), 0, 0);
  tables->addWidget(new QLabel("Температура", this), 0, 1);
  full_ = MakeGrid("FullGrid", TCoefTable::Full, kColumnWidth);
  temperature_ = MakeGrid("TemperatureGrid", TCoefTable::Temperature, kColumnWidth);
  tables->addWidget(full_, 1, 0);
  tables->addWidget(temperature_, 1, 1);
  tables->addWidget(new QLabel("Давление (сокращённая таблица)", this), 2, 0);
  tables->addWidget(new QLabel("Термокомпенсация", this), 2, 1);
  reduced_ = MakeGrid("ReducedGrid", TCoefTable::Reduced, kColumnWidth);
  thermal_ = MakeGrid("ThermalGrid", TCoefTable::Thermal, kColumnWidth);
  tables->addWidget(reduced_, 3, 0);
  tables->addWidget(thermal_, 3, 1);
  tables->setColumnStretch(2, 1);
  layout->addLayout(tables);

  // The commands.
  auto* buttons = new QHBoxLayout;
  QPushButton* unit = MakeButton(this, "UnitTable", "1:1", "Генерировать единичную таблицу");
  QPushButton* load = MakeButton(this, "Load", "Загрузить из файла...");
  QPushButton* save = MakeButton(this, "Save", "Сохранить в файл...");
  QPushButton* upload = MakeButton(this, "Upload", "Загрузить в прибор");
  QPushButton* show = MakeButton(this, "ShowMeasurements", "Показать замеры");
  QPushButton* more = MakeButton(this, "Additional", "Дополнительно >>");
  for (QPushButton* b : {unit, load, save, upload, show}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(more);
  layout->addStretch();
  layout->addLayout(buttons);
  connect(unit, &QPushButton::clicked, this, [this] { UnitTable(); });
  connect(load, &QPushButton::clicked, this, [this] { LoadFromFile(); });
  connect(save, &QPushButton::clicked, this, [this] { SaveToFile(); });
  connect(upload, &QPushButton::clicked, this, [this] { UploadToTool(); });
  connect(show, &QPushButton::clicked, this, [this] { ShowMeasurements(); });
  connect(more, &QPushButton::clicked, this, [this] { ToggleAdditional(); });

  // Gains and dividers, below the standard height.
  additional_box_ = new QGroupBox(this);
  auto* extra = new QGridLayout(additional_box_);
  extra->addWidget(new QLabel("Коэффициенты  усиления по каналам АЦП:", this), 0, 0);
  gains_ = new QTableWidget(1, TCoefRecord::kGains, this);
  gains_->setObjectName("GainGrid");
  extra->addWidget(gains_, 1, 0);
  QPushButton* gain_defaults = MakeButton(this, "GainDefaults", "По умолчанию");
  extra->addWidget(gain_defaults, 1, 1);
  extra->addWidget(new QLabel("Делители по каналам:", this), 0, 2);
  dividers_ = new QTableWidget(1, TCoefRecord::kShownDividers, this);
  dividers_->setObjectName("DividerGrid");
  dividers_->setHorizontalHeaderLabels({"AIN1", "AIN2", "AIN3"});
  extra->addWidget(dividers_, 1, 2);
  QPushButton* divider_defaults = MakeButton(this, "DividerDefaults", "По умолчанию");
  extra->addWidget(divider_defaults, 1, 3);
  for (QTableWidget* t : {gains_, dividers_}) {
    t->verticalHeader()->hide();
    t->horizontalHeader()->setDefaultSectionSize(58);
    t->setFixedHeight(50);
    t->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  }
  connect(gain_defaults, &QPushButton::clicked, this, [this] { DefaultGains(); });
  connect(divider_defaults, &QPushButton::clicked, this, [this] { DefaultDividers(); });
  connect(gains_, &QTableWidget::cellChanged, this, [this](int, int column) {
    if (!filling_) GainEdited(column);
  });
  connect(dividers_, &QTableWidget::cellChanged, this, [this](int, int column) {
    if (!filling_) DividerEdited(column);
  });
  layout->addWidget(additional_box_);
  additional_box_->hide();

  Fill();
  EnableControls();
  resize(layout->sizeHint().width(), kStandardHeight);
  setFixedHeight(kStandardHeight);
}

TCoefForm::~TCoefForm() = default;

QTableWidget* TCoefForm::MakeGrid(const char* name, TCoefTable table, int column_width) {
  auto* grid = new QTableWidget(TCoefRecord::Rows(table), TCoefRecord::Columns(table), this);
  grid->setObjectName(name);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setDefaultSectionSize(column_width);
  grid->verticalHeader()->setDefaultSectionSize(20);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Exactly as large as its cells: no scrolling, no empty band.
  const int frame = 2 * grid->frameWidth();
  grid->setFixedSize(grid->columnCount() * column_width + frame, grid->rowCount() * 20 + frame);
  connect(grid, &QTableWidget::cellChanged, this, [this, table](int row, int column) {
    if (!filling_) CoefficientEdited(table, row, column);
  });
  return grid;
}

QTableWidget* TCoefForm::Grid(TCoefTable table) const {
  switch (table) {
    case TCoefTable::Full:
      return full_;
    case TCoefTable::Reduced:
      return reduced_;
    case TCoefTable::Temperature:
      return temperature_;
    case TCoefTable::Thermal:
      return thermal_;
    default:
      return nullptr;
  }
}

QPushButton* TCoefForm::Button(const char* name) const { return findChild<QPushButton*>(name); }

std::string TCoefForm::MetrologyText() const { return metrology_->text().toStdString(); }

void TCoefForm::Fill() {
  filling_ = true;
  const TCoefRecord& r = Shown();
  for (TCoefTable t :
       {TCoefTable::Full, TCoefTable::Reduced, TCoefTable::Temperature, TCoefTable::Thermal}) {
    QTableWidget* grid = Grid(t);
    for (int row = 0; row < grid->rowCount(); ++row)
      for (int c = 0; c < grid->columnCount(); ++c) {
        QTableWidgetItem* item = grid->item(row, c);
        if (!item) grid->setItem(row, c, item = new QTableWidgetItem);
        item->setText(Q(CoefficientText(r.Get(t, c, row))));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(show_tool_ ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
      }
  }
  for (int c = 0; c < TCoefRecord::kGains; ++c) {
    if (!gains_->item(0, c)) gains_->setItem(0, c, new QTableWidgetItem);
    gains_->item(0, c)->setText(Q(GainText(r.Gain(c))));
  }
  for (int c = 0; c < TCoefRecord::kShownDividers; ++c) {
    if (!dividers_->item(0, c)) dividers_->setItem(0, c, new QTableWidgetItem);
    dividers_->item(0, c)->setText(Q(DividerText(r.Get(TCoefTable::Divider, c, 0))));
  }
  units_->setCurrentIndex(ReferenceUnits(r) == TPressureUnits::Kgf ? 0 : 1);
  metrology_->setText(saved_days_ > 0 ? Q(DayCountText(saved_days_)) : QString());
  filling_ = false;
}

void TCoefForm::RecordChanged() {
  Fill();
  if (edit_form_) edit_form_->Fill();
}

void TCoefForm::EnableControls() {
  const bool calc = !show_tool_;
  for (const char* name : {"Load", "Save", "Upload", "GainDefaults", "DividerDefaults"})
    Button(name)->setEnabled(calc);
  gains_->setEnabled(calc);
}

void TCoefForm::CoefficientEdited(TCoefTable table, int row, int column) {
  QTableWidgetItem* item = Grid(table)->item(row, column);
  if (auto v = ParseCoefficient(item->text().toStdString()); v && !show_tool_)
    calculated_.Put(table, column, row, *v);
  filling_ = true;
  item->setText(Q(CoefficientText(Shown().Get(table, column, row))));
  filling_ = false;
}

void TCoefForm::GainEdited(int column) {
  calculated_.SetGain(column, ParseGain(gains_->item(0, column)->text().toStdString()));
  filling_ = true;
  gains_->item(0, column)->setText(Q(GainText(calculated_.Gain(column))));
  filling_ = false;
}

void TCoefForm::DividerEdited(int column) {
  calculated_.Put(TCoefTable::Divider, column, 0,
                  ParseDivider(dividers_->item(0, column)->text().toStdString()));
  filling_ = true;
  dividers_->item(0, column)->setText(
      Q(DividerText(calculated_.Get(TCoefTable::Divider, column, 0))));
  filling_ = false;
}

void TCoefForm::UnitsChanged(int index) {
  if (show_tool_) return;
  SetReferencePressures(calculated_, index == 0 ? TPressureUnits::Kgf : TPressureUnits::MPa);
  RecordChanged();
}

void TCoefForm::ShowToolRecord(bool tool) {
  show_tool_ = tool;
  if (tool_radio_->isChecked() != tool) (tool ? tool_radio_ : calculated_radio_)->setChecked(true);
  if (tool && edit_form_) edit_form_->hide();
  EnableControls();
  Fill();
}

void TCoefForm::UnitTable() {
  if (show_tool_) return;
  SetUnitTable(calculated_);
  RecordChanged();
}

void TCoefForm::DefaultGains() {
  SetDefaultGains(calculated_);
  Fill();
}

void TCoefForm::DefaultDividers() {
  SetDefaultDividers(calculated_);
  Fill();
}

bool TCoefForm::ReadFromTool() {
  try {
    tool_record_ = ReadToolCoefficients(tool_, tool_record_);
  } catch (const EKestError& e) {
    tool_.Host().ShowStatusText(std::string(e.what()) + ": коэффициенты прибора не прочитаны");
    return false;
  }
  calculated_ = tool_record_;
  RecordChanged();
  tool_.Host().ShowStatusText("Коэффициенты прибора прочитаны");
  return true;
}

void TCoefForm::LoadFromFile() {
  std::string path = questions_.AskFile(false, "Загрузить из файла", dir_, "", kFilters);
  if (path.empty()) return;
  try {
    TCoefFile file = LoadCoefFile(path);
    calculated_ = file.Record;
    saved_days_ = file.SavedDays;
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return;
  }
  RecordChanged();
}

void TCoefForm::SaveToFile() {
  if (edit_form_ && edit_form_->isVisible() && !edit_form_->TakeGrids()) return;
  std::string path = questions_.AskFile(true, "Сохранить в файл", dir_, "", kFilters);
  if (path.empty()) return;
  if (path.find('.', path.find_last_of('/') + 1) == std::string::npos)
    path += std::string(".") + kCoefFileExtension;
  try {
    TCoefFile file{calculated_, DayCount(local_time_ ? local_time_() : LocalToolTime())};
    SaveCoefFile(path, file);
    saved_days_ = file.SavedDays;
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return;
  }
  Fill();
}

void TCoefForm::UploadToTool() {
  if (!questions_.AskYesNo("Подтверждение", "Загрузить коэффициенты в прибор?")) return;
  hide();
  try {
    UploadCoefficients(tool_, calculated_);
  } catch (const EKestError& e) {
    show();
    questions_.ShowError(e.what());
    return;
  }
  // "Коэффициенты в приборе" shows what the tool holds now, read back from it (the
  // record read on opening would show the replaced tables as the tool's).
  try {
    tool_record_ = ReadToolCoefficients(tool_, tool_record_);
    tool_.Host().ShowStatusText("Коэффициенты переданы в прибор и прочитаны");
  } catch (const EKestError& e) {
    tool_.Host().ShowStatusText(std::string(e.what()) + ": коэффициенты прибора не прочитаны");
  }
  Fill();
  show();
}

void TCoefForm::ShowMeasurements() {
  if (show_tool_) return;
  if (!edit_form_) {
    edit_form_ = std::make_unique<TCoefEditForm>(
        calculated_, questions_, [this] { Fill(); }, this);
    PlaceNextTo(*edit_form_, *this);
  }
  edit_form_->Fill();
  edit_form_->show();
  edit_form_->raise();
}

void TCoefForm::ToggleAdditional() {
  QApplication::beep();
  additional_ = !additional_;
  additional_box_->setVisible(additional_);
  Button("Additional")->setText(additional_ ? "<< Стандартные" : "Дополнительно >>");
  setFixedHeight(additional_ ? kAdditionalHeight : kStandardHeight);
}

void TCoefForm::MetrologyClicked(bool alt) {
  if (!alt) return;
  additional_ = true;
  additional_box_->show();
  Button("Additional")->setText("<< Стандартные");
  setFixedHeight(kMetrologyHeight);
}

void TCoefForm::closeEvent(QCloseEvent* event) {
  // The measurement window may keep it open (typed rows, and the user said stay).
  if (edit_form_ && edit_form_->isVisible() && !edit_form_->close()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace kest
