#include "app/office/sheet_properties_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/dialogs/window_questions.h"
#include "log/log_sheet.h"

namespace kest {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TSheetPropertiesDialog::TSheetPropertiesDialog(const std::string& data_dir,
                                               WindowQuestions& questions, QWidget* parent)
    : QDialog(parent), properties_(data_dir), questions_(questions) {
  setObjectName("TSheetPropertiesForm");
  setWindowTitle("Свойства");
  auto* tabs = new QTabWidget(this);
  std::map<std::string, QWidget*> pages;
  std::map<std::string, QFormLayout*> groups;
  for (const PropertyField& f : SheetPropertyFields()) {
    QWidget*& page = pages[f.Page];
    if (page == nullptr) {
      page = new QWidget(tabs);
      page->setLayout(new QVBoxLayout);
      tabs->addTab(page, f.Page);
    }
    QFormLayout*& form = groups[std::string(f.Page) + f.Group];
    if (form == nullptr) {
      auto* box = new QGroupBox(f.Group, page);
      form = new QFormLayout(box);
      page->layout()->addWidget(box);
      if (std::string_view(f.Group) == " Регистрация ") {
        mode_ = new QLabel(box);
        mode_->setObjectName("lMode");
        form->addRow("Режим записи", mode_);
      }
    }
    QWidget* field;
    if (f.FieldKind == PropertyField::Kind::DropDown) {
      auto* combo = new QComboBox(page);
      combo->setEditable(true);
      connect(combo, &QComboBox::currentTextChanged, this,
              [this, key = std::string(f.Key)](const QString& t) {
                if (filling_) return;
                properties_.SetValue(key, t.toStdString());
                apply_->setEnabled(properties_.Changed());
              });
      field = combo;
    } else {
      auto* edit = new QLineEdit(page);
      connect(edit, &QLineEdit::textEdited, this,
              [this, key = std::string(f.Key)](const QString& t) {
                properties_.SetValue(key, t.toStdString());
                apply_->setEnabled(properties_.Changed());
              });
      field = edit;
    }
    field->setObjectName(QString("e") + f.Key);
    field->setMinimumWidth(260);
    form->addRow(f.Label, field);
    fields_[f.Key] = field;
  }
  for (auto& [name, page] : pages) static_cast<QVBoxLayout*>(page->layout())->addStretch();

  apply_ = new QPushButton("Применить", this);
  apply_->setObjectName("bApply");
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  auto* cancel = new QPushButton("Отмена", this);
  cancel->setObjectName("bCancel");
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(apply_);
  buttons->addWidget(cancel);
  auto* all = new QVBoxLayout(this);
  all->addWidget(tabs);
  all->addLayout(buttons);
  SetSheet(nullptr);
}

QWidget* TSheetPropertiesDialog::Field(const std::string& key) const {
  auto it = fields_.find(key);
  return it == fields_.end() ? nullptr : it->second;
}

void TSheetPropertiesDialog::SetSheet(TLogSheet* sheet, bool recording) {
  recording_ = recording;
  properties_.SetSheet(sheet, recording);
  shown_params_ = sheet != nullptr ? sheet->Params().Text() : std::string();
  Fill();
}

bool TSheetPropertiesDialog::SheetChanged() const {
  const TLogSheet* sheet = properties_.Sheet();
  return sheet != nullptr && sheet->Params().Text() != shown_params_;
}

void TSheetPropertiesDialog::Fill() {
  filling_ = true;
  const bool read_only = properties_.ReadOnly();
  for (const PropertyField& f : SheetPropertyFields()) {
    QWidget* w = fields_[f.Key];
    const QString value = Q(properties_.Value(f.Key));
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      combo->clear();
      for (const std::string& v : properties_.List(f.Key)) combo->addItem(Q(v));
      // The sheet's value, not the list's first entry.
      combo->setCurrentIndex(combo->findText(value));
      combo->setEditText(value);
      // A read-only sheet shows plain text: no list to pick from, no typing.
      combo->setEditable(!read_only);
      if (read_only) {
        combo->clear();
        combo->addItem(value);
      }
      combo->setEnabled(!read_only);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      edit->setText(value);
      edit->setReadOnly(read_only || f.FieldKind == PropertyField::Kind::ReadOnlyText);
    }
  }
  const std::string step = properties_.StepText();
  mode_->setText(properties_.ModeText() == "по глубине (шаг" ? Q("по глубине (шаг " + step + " см)")
                                                             : Q(properties_.ModeText()));
  apply_->setEnabled(false);
  filling_ = false;
}

void TSheetPropertiesDialog::Apply() {
  try {
    properties_.Apply();
  } catch (const std::exception& e) {
    questions_.ShowError(e.what());
  }
  // The lists may have grown.
  properties_.SetSheet(properties_.Sheet(), recording_);
  Fill();
}

}  // namespace kest
