#include "app/dialogs/research_params_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/dialogs/dialog_size.h"
#include "log/research_parameters.h"
#include "session/research.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The mandatory marks of the rows.
QString Mark(int image) {
  return image == 0 ? QString() : image == 1 ? QString("●") : QString("✔");
}
QColor MarkColor(int image) { return image == 1 ? QColor(200, 0, 0) : QColor(0, 140, 0); }

// The values editor: a list, a text field, "Добавить"; Delete removes the selection.
class ValuesEditor : public QDialog {
 public:
  ValuesEditor(const QString& caption, const std::vector<std::string>& values, QWidget* parent)
      : QDialog(parent) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (const std::string& v : values) list_->addItem(Q(v));
    layout->addWidget(list_);
    auto* row = new QHBoxLayout;
    auto* text = new QLineEdit(this);
    auto* add = new QPushButton("Добавить", this);
    row->addWidget(text);
    row->addWidget(add);
    layout->addLayout(row);
    connect(add, &QPushButton::clicked, this, [this, text] {
      if (!text->text().trimmed().isEmpty()) list_->addItem(text->text().trimmed());
      text->clear();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    FitToTitle(*this);
  }
  std::vector<std::string> Values() const {
    std::vector<std::string> values;
    for (int i = 0; i < list_->count(); ++i) values.push_back(list_->item(i)->text().toStdString());
    return values;
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete && list_->currentItem()) {
      delete list_->takeItem(list_->currentRow());
      return;
    }
    QDialog::keyPressEvent(event);
  }

 private:
  QListWidget* list_;
};

}  // namespace

TResearchParamsDialog::TResearchParamsDialog(TResearchParameters& descriptions,
                                             std::string data_dir, std::string research_base,
                                             const StringList& current, QWidget* parent)
    : QDialog(parent),
      descriptions_(descriptions),
      data_dir_(std::move(data_dir)),
      research_base_(std::move(research_base)),
      form_(descriptions, data_dir_) {
  setWindowTitle("Параметры");
  resize(640, 520);
  auto* layout = new QVBoxLayout(this);
  auto* variants = new QHBoxLayout;
  variant1_ = new QRadioButton("Вариант 1", this);
  auto* variant2 = new QRadioButton("Вариант 2", this);
  variant1_->setChecked(true);
  variants->addWidget(variant1_);
  variants->addWidget(variant2);
  cbOilField_ = new QComboBox(this);
  cbWell_ = new QComboBox(this);
  for (auto [combo, file] : {std::pair{cbOilField_, "oilfields"}, std::pair{cbWell_, "Well"}}) {
    combo->setEditable(true);
    try {
      StringList values = ReadListFile(data_dir_ + "/" + file);
      for (const std::string& v : values)
        if (!v.empty()) combo->addItem(Q(v));
    } catch (const std::exception&) {
    }
    combo->setCurrentIndex(-1);
  }
  variants->addWidget(new QLabel("Месторождение", this));
  variants->addWidget(cbOilField_);
  variants->addWidget(new QLabel("Скважина №", this));
  variants->addWidget(cbWell_);
  layout->addLayout(variants);
  connect(variant1_, &QRadioButton::toggled, this, [this](bool on) { SetVariant(on ? 1 : 2); });

  table_ = new QTableWidget(this);
  table_->setColumnCount(3);
  table_->setHorizontalHeaderLabels({"", "Параметр", "Значение"});
  table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  table_->setColumnWidth(0, 24);
  table_->setColumnWidth(1, 200);
  table_->verticalHeader()->hide();
  layout->addWidget(table_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  auto* browse = buttons->addButton("Обзор...", QDialogButtonBox::ActionRole);
  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Accept()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  form_.TakeValues(current);
  FillRows();
  SetVariant(1);
  FitToTitle(*this);
}

TResearchParamsDialog::~TResearchParamsDialog() = default;

void TResearchParamsDialog::FillRows() {
  auto& rows = form_.Rows();
  table_->clearContents();
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const auto& row = rows[static_cast<size_t>(i)];
    auto* name = new QTableWidgetItem(Q(row.DisplayName));
    name->setFlags(Qt::ItemIsEnabled);
    table_->setItem(i, 1, name);
    auto* mark = new QTableWidgetItem;
    mark->setFlags(Qt::ItemIsEnabled);
    table_->setItem(i, 0, mark);
    QWidget* editor;
    if (!row.ListFile.empty()) {
      auto* cell = new QWidget(table_);
      auto* h = new QHBoxLayout(cell);
      h->setContentsMargins(0, 0, 0, 0);
      auto* combo = new QComboBox(cell);
      combo->setEditable(true);
      for (const std::string& v : row.Values) combo->addItem(Q(v));
      combo->setEditText(Q(row.Value));
      auto* more = new QPushButton("...", cell);
      more->setFixedWidth(28);
      h->addWidget(combo, 1);
      h->addWidget(more);
      connect(combo, &QComboBox::editTextChanged, this,
              [this, i](const QString& t) { RowChanged(i, t); });
      connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this, i, combo] {
        try {
          form_.AddListValue(i, combo->currentText().toStdString());
        } catch (const std::exception& e) {
          QMessageBox::critical(this, "Ошибка", QString::fromUtf8(e.what()));
        }
        if (combo->findText(combo->currentText()) < 0) combo->addItem(combo->currentText());
      });
      connect(more, &QPushButton::clicked, this, [this, i] { EditValues(i); });
      editor = cell;
    } else {
      auto* line = new QLineEdit(Q(row.Value), table_);
      connect(line, &QLineEdit::textChanged, this,
              [this, i](const QString& t) { RowChanged(i, t); });
      editor = line;
    }
    editor->setObjectName(Q(row.DisplayName));
    table_->setCellWidget(i, 2, editor);
  }
  UpdateMarks();
}

void TResearchParamsDialog::RowChanged(int row, const QString& text) {
  form_.Rows()[static_cast<size_t>(row)].Value = text.trimmed().toStdString();
  UpdateMarks();
}

void TResearchParamsDialog::UpdateMarks() {
  for (int i = 0; i < table_->rowCount(); ++i) {
    int image = form_.Image(i);
    table_->item(i, 0)->setText(Mark(image));
    table_->item(i, 0)->setForeground(MarkColor(image));
  }
  ok_->setEnabled(OkEnabled());
}

bool TResearchParamsDialog::OkEnabled() const {
  return !variant1_->isChecked() || form_.CanAccept();
}

void TResearchParamsDialog::SetValue(const std::string& display_name, const std::string& value) {
  QWidget* w = table_->findChild<QWidget*>(Q(display_name));
  if (!w) return;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(Q(value));
  } else if (auto* combo = w->findChild<QComboBox*>()) {
    combo->setEditText(Q(value));
  }
}

void TResearchParamsDialog::EditValues(int row) {
  auto& r = form_.Rows()[static_cast<size_t>(row)];
  ValuesEditor editor(Q(r.DisplayName), r.Values, this);
  if (editor.exec() != QDialog::Accepted) return;
  try {
    form_.SetListValues(row, editor.Values());
  } catch (const std::exception& e) {
    QMessageBox::critical(this, "Ошибка", QString::fromUtf8(e.what()));
  }
  QString value = Q(r.Value);
  FillRows();
  SetValue(r.DisplayName, value.toStdString());
}

void TResearchParamsDialog::Browse() {
  QString path = QFileDialog::getOpenFileName(this, "Обзор", last_folder_,
                                              "Параметры исследования (*.RP *.rp)");
  if (path.isEmpty()) return;
  last_folder_ = QFileInfo(path).absolutePath();
  setWindowTitle("Параметры - " + QFileInfo(path).fileName().toUpper());
  FitToTitle(*this);
  try {
    descriptions_.Reload(path.toStdString());
  } catch (const std::exception& e) {
    QMessageBox::critical(this, "Ошибка", QString::fromUtf8(e.what()));
  }
  form_.Rebuild();
  FillRows();
}

void TResearchParamsDialog::SetVariant(int variant) {
  table_->setEnabled(variant == 1);
  cbOilField_->setEnabled(variant == 2);
  cbWell_->setEnabled(variant == 2);
  ok_->setEnabled(OkEnabled());
}

bool TResearchParamsDialog::Accept(std::string* error) {
  if (!variant1_->isChecked()) {
    SetValue(ResearchParamsForm::kOilField, cbOilField_->currentText().toStdString());
    SetValue(ResearchParamsForm::kWell, cbWell_->currentText().toStdString());
  }
  ResearchParamsForm::Result r = form_.Accept(research_base_, params_);
  name_ = r.Name;
  if (r.Error.empty()) return true;
  if (error) {
    *error = r.Error;
  } else {
    QMessageBox::warning(this, windowTitle(), Q(r.Error));
  }
  // Without an oil field and a well the dialog still closes: the research is then
  // named by its date.
  return r.Error.rfind("Необходимые", 0) == 0;
}

}  // namespace kest
