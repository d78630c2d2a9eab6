#include "app/office/curve_calculator_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/dialogs/window_questions.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"

namespace kest {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TCalcTracksWindow::TCalcTracksWindow(TLogParameters& parameters, WindowQuestions& questions,
                                     std::string calc_dir, QWidget* parent)
    : QDialog(parent),
      parameters_(parameters),
      questions_(questions),
      calc_dir_(std::move(calc_dir)) {
  setObjectName("TCalctracks");
  setWindowTitle("Калькулятор кривых");
  resize(760, 480);

  editor_ = new QPlainTextEdit(this);
  editor_->setObjectName("mFormulas");
  editor_->setFont(QFont("DejaVu Sans Mono", 10));
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] { modified_ = true; });

  names_view_ = new QTreeWidget(this);
  names_view_->setObjectName("vleNames");
  names_view_->setColumnCount(2);
  names_view_->setHeaderLabels({"Параметр", "Мнемоника"});
  names_view_->setRootIsDecorated(false);
  names_view_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  connect(names_view_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { InsertText(item->text(1)); });
  // The add, delete and rename actions have no buttons; the list's menu holds them.
  names_view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(names_view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu;
    connect(menu.addAction("Добавить"), &QAction::triggered, this, [this] {
      if (OnAddCurve) OnAddCurve();
      UpdateNames();
    });
    connect(menu.addAction("Удалить"), &QAction::triggered, this, [this] { DeleteName(); });
    connect(menu.addAction("Изменить"), &QAction::triggered, this, [this] { RenameName(); });
    menu.exec(names_view_->viewport()->mapToGlobal(at));
  });

  functions_ = new QListWidget(this);
  functions_->setObjectName("lbFunctions");
  description_ = new QLabel(this);
  description_->setObjectName("lDescription");
  description_->setWordWrap(true);
  description_->setMinimumHeight(36);
  connect(functions_, &QListWidget::currentRowChanged, this, [this](int row) {
    const auto& entries = CalcFunctionEntries();
    description_->setText(row >= 0 && row < static_cast<int>(entries.size())
                              ? QString::fromUtf8(entries[static_cast<size_t>(row)].Description)
                              : QString());
  });
  connect(functions_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { InsertText(item->text()); });

  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbCalc");
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(12);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const char* caption, auto slot) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
  };
  button("bNew", "Новый", [this] { New(); });
  button("bOpen", "Открыть", [this] { Open(); });
  button("bCalc", "Вычислить", [this] { Calculate(); });
  button("bSave", "Сохранить", [this] { Save(true); });
  buttons->addStretch();
  button("bExit", "Выход", [this] { close(); });

  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel("Формулы (одна на строку, присваивание \":=\"):", this));
  left->addWidget(editor_, 1);
  left->addWidget(progress_);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel("Кривые листа:", this));
  right->addWidget(names_view_, 2);
  right->addWidget(new QLabel("Функции:", this));
  right->addWidget(functions_, 2);
  right->addWidget(description_);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 3);
  top->addLayout(right, 2);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top, 1);
  all->addLayout(buttons);
}

void TCalcTracksWindow::SetSheet(TLogSheet* sheet, std::function<void()> changed,
                                 float null_value) {
  sheet_ = sheet;
  changed_ = std::move(changed);
  null_value_ = null_value;
}

void TCalcTracksWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  try {
    UpdateNames();
  } catch (const std::exception& e) {
    questions_.ShowError(e.what());
  }
  // Each entry once, however often the window is shown.
  if (functions_->count() == 0)
    for (const auto& entry : CalcFunctionEntries())
      functions_->addItem(QString::fromUtf8(entry.Inserted));
  functions_->setCurrentRow(-1);
  description_->clear();
}

void TCalcTracksWindow::UpdateNames() {
  if (sheet_ != nullptr) {
    SheetLock lock(*sheet_);
    names_.Update(*sheet_, parameters_);
  }
  ShowNames();
}

void TCalcTracksWindow::ShowNames() {
  names_view_->clear();
  for (int i = 0; i < names_.Count(); ++i)
    names_view_->addTopLevelItem(
        new QTreeWidgetItem({Q(names_[i].Caption), Q(names_[i].Mnemonic)}));
}

void TCalcTracksWindow::InsertText(const QString& text) {
  editor_->insertPlainText(text);
  editor_->setFocus();
}

void TCalcTracksWindow::New() {
  if (modified_ && questions_.AskYesNo("Внимание!", "Данные не сохранены. Сохранить?")) {
    Save(file_name_.empty());
    return;
  }
  modified_ = false;
  editor_->clear();
  modified_ = false;
  file_name_.clear();
}

// NOLINTNEXTLINE(bugprone-virtual-near-miss): the window's own "Open", not QDialog::open
void TCalcTracksWindow::Open() {
  const std::string path = questions_.AskOpenFile("Открыть", calc_dir_, "*.txt *.clc *");
  if (!path.empty()) OpenFile(path);
}

void TCalcTracksWindow::OpenFile(const std::string& path) {
  try {
    QStringList lines;
    for (const std::string& line : LoadFormulaFile(path)) lines << Q(line);
    editor_->setPlainText(lines.join('\n'));
    file_name_ = path;
    modified_ = false;
  } catch (const std::exception& e) {
    questions_.ShowError(e.what());
  }
}

bool TCalcTracksWindow::Save(bool ask_name) {
  std::string path = file_name_;
  if (ask_name || path.empty()) {
    std::string format;
    const std::string proposal =
        file_name_.empty() ? "formulas.txt" : std::filesystem::path(file_name_).filename().string();
    if (!questions_.AskSaveFile("Сохранить", calc_dir_, proposal, {"TXT"}, path, format))
      return false;
  }
  try {
    std::vector<std::string> lines;
    for (const QString& line : editor_->toPlainText().split('\n'))
      lines.push_back(line.toStdString());
    SaveFormulaFile(path, lines);
    file_name_ = path;
    modified_ = false;
    return true;
  } catch (const std::exception& e) {
    questions_.ShowError(e.what());
    return false;
  }
}

void TCalcTracksWindow::Calculate() {
  if (sheet_ == nullptr) return;
  const std::string text = editor_->toPlainText().toStdString();
  auto progress = [this](int64_t done, int64_t total) {
    progress_->setRange(0, 1000);
    progress_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    progress_->repaint();
    return true;
  };
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    const CalcResult result =
        CalculateTracks(*sheet_, text, parameters_, names_, progress, null_value_);
    QApplication::restoreOverrideCursor();
    progress_->reset();
    ShowNames();
    if (result.Changed && changed_) changed_();
    std::string notices;
    for (const std::string& n : result.Notices) notices += (notices.empty() ? "" : "\n") + n;
    if (!notices.empty()) questions_.ShowWarning(notices);
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    progress_->reset();
    questions_.ShowError(e.what());
  }
}

void TCalcTracksWindow::DeleteName() {
  QTreeWidgetItem* item = names_view_->currentItem();
  if (item == nullptr || sheet_ == nullptr) return;
  const std::string caption = item->text(0).toStdString(), mnemonic = item->text(1).toStdString();
  if (!questions_.AskYesNo("Внимание!", "Удалить \"" + caption + " - " + mnemonic + "\"? ")) return;
  if (const TLogParameter* p = parameters_.FindByMnemonic(mnemonic)) {
    SheetLock lock(*sheet_);
    if (TLogTrack* t = sheet_->FindTrack(p->Name)) sheet_->RemoveTrack(t);
  }
  names_.Remove(names_.IndexOfCaption(caption));
  ShowNames();
  if (changed_) changed_();
}

void TCalcTracksWindow::RenameName() {
  QTreeWidgetItem* item = names_view_->currentItem();
  if (item == nullptr) return;
  const std::string caption = item->text(0).toStdString(), mnemonic = item->text(1).toStdString();
  std::string text = mnemonic;
  if (!questions_.AskText("Изменение параметра!", "Изменить \"" + mnemonic + "\" на:", text))
    return;
  // Only the mnemonic of the description changes; entries never move.
  for (int i = 0; i < parameters_.Count(); ++i) {
    auto& p = const_cast<TLogParameter&>(parameters_.Items(i));
    if (p.Caption == caption && p.Mnemonic == mnemonic) p.Mnemonic = text;
  }
  names_.Set(caption, text);
  ShowNames();
  questions_.ShowWarning("Параметр изменен");
}

void TCalcTracksWindow::closeEvent(QCloseEvent* event) {
  if (modified_ && !editor_->toPlainText().trimmed().isEmpty() &&
      questions_.AskYesNo("Внимание!", "Формулы не сохранены. Сохранить?"))
    Save(file_name_.empty());
  event->accept();
}

}  // namespace kest
