#include "app/office/curve_add_window.h"

#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "app/dialogs/window_questions.h"
#include "session/curve_adder.h"

namespace kest {

TCurveAddWindow::TCurveAddWindow(TLogSheet& target, TLogParameters& dictionary,
                                 WindowQuestions& questions, LogFileOptions options,
                                 const std::string& folder, QWidget* parent)
    : QDialog(parent),
      target_(target),
      questions_(questions),
      options_(std::move(options)),
      adder_(std::make_unique<CurveAdder>(target, dictionary)) {
  setObjectName("TAddCurveForm");
  setWindowTitle("Добавление кривой");
  resize(820, 480);

  files_ = new QFileSystemModel(this);
  files_->setRootPath("/");
  files_->setNameFilters({"*.ls", "*.LS", "*.las", "*.LAS"});
  files_->setNameFilterDisables(false);
  tree_ = new QTreeView(this);
  tree_->setObjectName("tvFiles");
  tree_->setModel(files_);
  for (int c = 1; c < files_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  // The model reads folders in the background: the start folder is shown once its
  // parents are there.
  const QString start = QString::fromStdString(folder);
  auto show_start = [this, start] {
    const QModelIndex index = files_->index(start);
    if (!index.isValid()) return;
    tree_->setCurrentIndex(index);
    tree_->expand(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtTop);
  };
  show_start();
  auto shown = std::make_shared<bool>(false);
  connect(files_, &QFileSystemModel::directoryLoaded, this,
          [start, show_start, shown](const QString& path) {
            if (*shown || !start.startsWith(path)) return;
            show_start();
            *shown = path == start;
          });
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            if (index.isValid() && !files_->isDir(index))
              ChooseFile(files_->filePath(index).toStdString());
          });

  info_ = new QPlainTextEdit(this);
  info_->setObjectName("mInfo");
  info_->setReadOnly(true);
  curves_ = new QListWidget(this);
  curves_->setObjectName("clbCurves");

  auto group = [this](const char* title, QWidget* content) {
    auto* box = new QGroupBox(title, this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
  };
  auto* right = new QVBoxLayout;
  right->addWidget(group(" Информация ", info_), 1);
  right->addWidget(group(" Кривые ", curves_), 2);
  auto* top = new QHBoxLayout;
  top->addWidget(group(" Файлы ", tree_), 3);
  top->addLayout(right, 2);

  auto* add = new QPushButton("Добавить", this);
  add->setObjectName("bAdd");
  connect(add, &QPushButton::clicked, this, [this] { AddChecked(); });
  auto* exit = new QPushButton("Выход", this);
  exit->setObjectName("bExit");
  connect(exit, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(add);
  buttons->addWidget(exit);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top, 1);
  all->addLayout(buttons);
}

TCurveAddWindow::~TCurveAddWindow() = default;

void TCurveAddWindow::ChooseFile(const std::string& path) {
  info_->clear();
  curves_->clear();
  try {
    adder_->Open(path, options_);
  } catch (const std::exception& e) {
    questions_.ShowError(e.what());
    return;
  }
  QStringList lines;
  for (const std::string& line : adder_->Information()) lines << QString::fromStdString(line);
  info_->setPlainText(lines.join('\n'));
  for (const std::string& name : adder_->Curves()) {
    auto* item = new QListWidgetItem(QString::fromStdString(name), curves_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

void TCurveAddWindow::AddChecked() {
  bool added = false;
  for (int i = 0; i < curves_->count(); ++i) {
    if (curves_->item(i)->checkState() != Qt::Checked) continue;
    try {
      std::string message = adder_->Add(i);
      added = true;
      questions_.ShowWarning(message);
    } catch (const std::exception& e) {
      questions_.ShowError(e.what());
      break;
    }
  }
  if (added && OnAdded) OnAdded();
}

}  // namespace kest
