#include "viewer/widgets/print_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>
#include <vector>

#include "log/log_sheet.h"
#include "support/assert.h"
#include "viewer/core/headline.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/print_plan.h"
#include "viewer/widgets/fixed_edit.h"

namespace kest {

namespace {

TLogViewerCore& Checked(TLogViewerCore* viewer) {
  KEST_ASSERT(viewer != nullptr);
  return *viewer;
}

TFixedEdit* NumberField(const char* name, const char* format, QWidget* parent) {
  auto* edit = new TFixedEdit(parent);
  edit->setObjectName(name);
  edit->DisplayFormat = format;
  // Digits only, as the field's rules are set for this dialog.
  edit->AllowPoint = false;
  edit->AllowMinus = false;
  edit->setMaximumWidth(90);
  return edit;
}

}  // namespace

TLogViewerPrintDialog::TLogViewerPrintDialog(TLogViewerCore* viewer, std::string headline_folder,
                                             QWidget* parent)
    : QDialog(parent), viewer_(Checked(viewer)), folder_(std::move(headline_folder)) {
  setWindowTitle("Печать");
  setObjectName("LogViewerPrintDialog");
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  const PrintSettings stored = PrintSettings::From(viewer_.Params());

  auto* head = new QGroupBox("Шапка", this);
  header_ = new QLineEdit(head);
  header_->setObjectName("eHeader");
  header_->setText(QString::fromStdString(
      stored.HeadLine.empty() ? std::string()
                              : std::filesystem::path(stored.HeadLine).filename().string()));
  connect(header_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const int caret = header_->cursorPosition();
    header_->setText(text.toUpper());
    header_->setCursorPosition(caret);
  });
  auto* browse = new QPushButton("...", head);
  browse->setObjectName("btnHeader");
  browse->setFixedWidth(30);
  connect(browse, &QPushButton::clicked, this, &TLogViewerPrintDialog::ChooseHeadLine);
  auto* head_row = new QHBoxLayout(head);
  head_row->addWidget(header_);
  head_row->addWidget(browse);

  auto* range_group = new QGroupBox(this);
  range_ = new QCheckBox("Диапазон", range_group);
  range_->setObjectName("cbRange");
  range_top_ = NumberField("feRangeTop", "0.0#", range_group);
  range_bottom_ = NumberField("feRangeBottom", "0.0#", range_group);
  range_top_->SetValue(Shown(viewer_.SheetFirst()));
  range_bottom_->SetValue(Shown(viewer_.SheetLast()));
  for (TFixedEdit* edit : {range_top_, range_bottom_})
    connect(edit, &QLineEdit::textEdited, this, [this] { range_->setChecked(true); });
  auto* range_grid = new QGridLayout(range_group);
  range_grid->addWidget(range_, 0, 0, 1, 2);
  range_grid->addWidget(new QLabel("Кровля", range_group), 1, 0);
  range_grid->addWidget(range_top_, 1, 1);
  range_grid->addWidget(new QLabel("Подошва", range_group), 2, 0);
  range_grid->addWidget(range_bottom_, 2, 1);
  range_grid->addWidget(new QLabel(TimeSheet() ? "мин.сек" : "м", range_group), 1, 2);

  auto* margins = new QGroupBox("Поля", this);
  left_margin_ = NumberField("feLeftMargin", "0.0", margins);
  right_margin_ = NumberField("feRightMargin", "0.0", margins);
  left_margin_->SetValue(stored.LeftMarginMm / 10.0);
  right_margin_->SetValue(stored.RightMarginMm / 10.0);
  auto* margin_grid = new QGridLayout(margins);
  margin_grid->addWidget(new QLabel("Левое", margins), 0, 0);
  margin_grid->addWidget(left_margin_, 0, 1);
  margin_grid->addWidget(new QLabel("Правое", margins), 1, 0);
  margin_grid->addWidget(right_margin_, 1, 1);
  margin_grid->addWidget(new QLabel("см", margins), 0, 2);

  auto* colour_group = new QGroupBox("Печать", this);
  colour_group->setObjectName("rgColor");
  mono_ = new QRadioButton("Черно-белая", colour_group);
  colour_ = new QRadioButton("Цветная", colour_group);
  mono_->setChecked(true);
  auto* colour_column = new QVBoxLayout(colour_group);
  colour_column->addWidget(mono_);
  colour_column->addWidget(colour_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("btnOk");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
  buttons->button(QDialogButtonBox::Cancel)->setText("Отмена");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->addWidget(head, 0, 0, 1, 2);
  grid->addWidget(range_group, 1, 0);
  grid->addWidget(margins, 1, 1);
  grid->addWidget(colour_group, 2, 0);
  grid->addWidget(buttons, 2, 1, Qt::AlignBottom);
  grid->setSizeConstraint(QLayout::SetFixedSize);  // a fixed border
}

bool TLogViewerPrintDialog::TimeSheet() const { return viewer_.ArgumentKind() == laTime; }

double TLogViewerPrintDialog::Shown(int32_t argument) const {
  return TimeSheet() ? TimeToMinutesSeconds(argument) : argument / 1000.0;
}

int32_t TLogViewerPrintDialog::Argument(double shown) const {
  if (TimeSheet()) return MinutesSecondsToTime(shown);
  return static_cast<int32_t>(std::clamp(std::round(shown * 1000), -2e9, 2e9));
}

bool TLogViewerPrintDialog::Monochrome() const { return mono_->isChecked(); }

PrintSettings TLogViewerPrintDialog::Settings() const {
  PrintSettings s = PrintSettings::From(viewer_.Params());
  if (range_->isChecked()) {
    s.Top = Argument(range_top_->Value());
    s.Bottom = Argument(range_bottom_->Value());
  } else {
    s.Top = viewer_.SheetFirst();
    s.Bottom = viewer_.SheetLast();
  }
  s.LeftMarginMm = static_cast<int>(std::lround(std::min(left_margin_->Value(), 1e5) * 10));
  s.RightMarginMm = static_cast<int>(std::lround(std::min(right_margin_->Value(), 1e5) * 10));
  std::string name = header_->text().trimmed().toStdString();
  // The field shows names in upper case; the folder's own spelling is used.
  for (const std::string& file : HeadLineTemplates(folder_))
    if (QString::fromStdString(file).toUpper() == QString::fromStdString(name)) name = file;
  s.HeadLine = name.empty() ? std::string() : folder_ + "/" + name;
  return s;
}

void TLogViewerPrintDialog::accept() {
  // A field that is no number is never read as 0 (a range from 0 would print the
  // whole log): it is marked and the dialog stays.
  std::vector<TFixedEdit*> fields{left_margin_, right_margin_};
  if (range_->isChecked()) fields.insert(fields.begin(), {range_top_, range_bottom_});
  for (TFixedEdit* field : fields) {
    if (!field->Valid()) {
      field->Mark();
      return;
    }
  }
  const PrintSettings s = Settings();
  s.Store(viewer_.Params());
  // An emptied head-line field prints without one (the stored name is gone).
  if (s.HeadLine.empty()) viewer_.Params().Ensure("HeadLine").SetString("");
  QDialog::accept();
}

void TLogViewerPrintDialog::ChooseHeadLine() {
  const QString path = QFileDialog::getOpenFileName(this, "Шапка", QString::fromStdString(folder_),
                                                    "Шапки печати (*.RTF *.rtf)");
  if (path.isEmpty()) return;
  const std::string name = std::filesystem::path(path.toStdString()).filename().string();
  header_->setText(QString::fromStdString(name).toUpper());
}

}  // namespace kest
