#include "app/office/research_browser_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

#include "app/dialogs/window_questions.h"
#include "app/office/report_files.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/code_page.h"
#include "support/stream.h"

namespace kest {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
constexpr int kPathRole = Qt::UserRole + 1;

}  // namespace

// ---- "Выбор кривых" ---------------------------------------------------------------

TCurveChoiceDialog::TCurveChoiceDialog(const TLogSheet& sheet, WindowQuestions& questions,
                                       QWidget* parent)
    : QDialog(parent), sheet_(sheet), questions_(questions) {
  setObjectName("TChoiceForm");
  setWindowTitle("Выбор кривых");
  choice_.Keep.assign(static_cast<size_t>(sheet.Count()), true);
  choice_.Low = sheet.Start();
  choice_.High = sheet.End();

  curves_ = new QListWidget(this);
  curves_->setObjectName("clbCurves");
  for (int i = 1; i < sheet.Count(); ++i) {
    const std::string& parameter = sheet.Tracks(i)->Parameter();
    const TLogParameter* p = LogParametersExist() ? LogParameters().Find(parameter) : nullptr;
    auto* item = new QListWidgetItem(Q(p != nullptr ? p->Caption : parameter), curves_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
  }
  whole_ = new QRadioButton("Весь файл", this);
  whole_->setObjectName("rbWhole");
  interval_ = new QRadioButton("Интервал", this);
  interval_->setObjectName("rbInterval");
  whole_->setChecked(true);
  low_ = new QLineEdit(Q(ChoiceBoundText(sheet.Start(), sheet.Argument())), this);
  high_ = new QLineEdit(Q(ChoiceBoundText(sheet.End(), sheet.Argument())), this);
  low_->setObjectName("eLow");
  high_->setObjectName("eHigh");
  low_->setEnabled(false);
  high_->setEnabled(false);
  connect(interval_, &QRadioButton::toggled, this, [this](bool on) {
    low_->setEnabled(on);
    high_->setEnabled(on);
  });
  auto* unit = new QLabel(sheet.Argument() == laTime ? "Минуты" : "Метры", this);
  unit->setObjectName("lUnit");

  auto* bounds = new QHBoxLayout;
  bounds->addWidget(low_);
  bounds->addWidget(new QLabel("-", this));
  bounds->addWidget(high_);
  bounds->addWidget(unit);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("bOK");
  connect(ok, &QPushButton::clicked, this, [this] {
    if (Accept()) accept();
  });
  auto* cancel = new QPushButton("Отмена", this);
  cancel->setObjectName("bCancel");
  connect(cancel, &QPushButton::clicked, this, [this] {
    choice_.Keep.assign(choice_.Keep.size(), true);
    choice_.Interval = false;
    reject();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* all = new QVBoxLayout(this);
  all->addWidget(curves_, 1);
  all->addWidget(whole_);
  all->addWidget(interval_);
  all->addLayout(bounds);
  all->addLayout(buttons);
}

bool TCurveChoiceDialog::Accept() {
  CurveChoice choice;
  choice.Keep.assign(static_cast<size_t>(sheet_.Count()), true);
  for (int i = 0; i < curves_->count(); ++i)
    choice.Keep[static_cast<size_t>(i) + 1] = curves_->item(i)->checkState() == Qt::Checked;
  choice.Interval = interval_->isChecked();
  if (choice.Interval) {
    std::string error;
    auto bounds = ParseChoiceBounds(low_->text().toStdString(), high_->text().toStdString(),
                                    sheet_.Argument(), error);
    if (!bounds) {
      questions_.ShowError(error);
      return false;
    }
    choice.Low = bounds->first;
    choice.High = bounds->second;
  }
  choice_ = choice;
  return true;
}

// ---- "Предыдущие записи" ------------------------------------------------------------

TResearchBrowserWindow::TResearchBrowserWindow(std::string root, std::string data_dir,
                                               TLogParameters& dictionary,
                                               TResearchParameters& descriptions,
                                               WindowQuestions& questions, LogFileOptions options,
                                               QWidget* parent)
    : QDialog(parent),
      root_(std::move(root)),
      data_dir_(std::move(data_dir)),
      dictionary_(dictionary),
      descriptions_(descriptions),
      questions_(questions),
      options_(std::move(options)) {
  setObjectName("TResearchBrowser");
  setWindowTitle("Предыдущие записи");
  resize(860, 520);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName("tvFolders");
  tree_->setHeaderHidden(true);
  tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item != nullptr && !filling_) SelectFolder(FolderOf(item));
  });
  connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
    if (filling_) return;
    const std::string path = FolderOf(item);
    const std::string name = item->text(0).toStdString();
    if (name == fs::path(path).filename().string()) return;
    try {
      const std::string renamed = RenameResearchFolder(path, name);
      Reload();
      SelectFolder(renamed);
    } catch (const std::exception& e) {
      questions_.ShowError(e.what());
      filling_ = true;
      item->setText(0, Q(fs::path(path).filename().string()));
      filling_ = false;
    }
  });

  logs_ = new QTreeWidget(this);
  logs_->setObjectName("lvLogs");
  logs_->setColumnCount(2);
  logs_->setHeaderLabels({"Запись", "Дата"});
  logs_->setRootIsDecorated(false);
  logs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  logs_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  connect(logs_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    OpenInEditor(item->data(0, kPathRole).toString().toStdString());
  });

  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbExport");
  progress_->setMaximumHeight(12);
  progress_->setTextVisible(false);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const char* caption, auto slot) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
    return b;
  };
  button("bExpand", "Развернуть", [this] { tree_->expandAll(); });
  button("bCollapse", "Свернуть", [this] { tree_->collapseAll(); });
  button("bBrowse", "Обзор", [this] {
    const std::string path =
        questions_.AskOpenFile("Обзор", folder_.empty() ? root_ : folder_, "*.LAS *.LS *.las *.ls");
    if (!path.empty()) OpenInEditor(path);
  });
  button("bWell", "Данные по скважине", [this] { ShowWellData(); });
  button("bDelete", "Удалить", [this] { DeleteSelected(); });
  button("bLas", "Сохранить в LAS", [this] { ExportMenu("LAS"); });
  button("bLs", "Сохранить в LS", [this] { ExportMenu("LS"); });
  button("bReport", "Справка по материалу", [this] {
    const std::string path = Report(folder_.empty() ? root_ : folder_, true);
    if (!path.empty()) questions_.ShowWarning("Справка записана: " + path);
  });
  buttons->addStretch();
  button("bClose", "Закрыть", [this] { close(); });

  auto* split = new QSplitter(this);
  split->addWidget(tree_);
  split->addWidget(logs_);
  split->setStretchFactor(1, 2);
  auto* all = new QVBoxLayout(this);
  all->addLayout(buttons);
  all->addWidget(split, 1);
  all->addWidget(progress_);
  Reload();
}

void TResearchBrowserWindow::AddNodes(QTreeWidgetItem* parent,
                                      const std::vector<ResearchFolderNode>& nodes) {
  for (const ResearchFolderNode& node : nodes) {
    auto* item = new QTreeWidgetItem(parent, {Q(node.Name)});
    item->setData(0, kPathRole, Q(node.Path));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    AddNodes(item, node.Children);
  }
}

void TResearchBrowserWindow::Reload() {
  filling_ = true;
  tree_->clear();
  for (const ResearchFolderNode& node : ResearchFolderTree(root_)) {
    auto* item = new QTreeWidgetItem(tree_, {Q(node.Name)});
    item->setData(0, kPathRole, Q(node.Path));
    // ".." is the root itself: it keeps its name.
    if (node.Name != "..") item->setFlags(item->flags() | Qt::ItemIsEditable);
    AddNodes(item, node.Children);
  }
  tree_->expandAll();
  filling_ = false;
  SelectFolder(folder_.empty() ? root_ : folder_);
}

std::string TResearchBrowserWindow::FolderOf(QTreeWidgetItem* item) const {
  return item->data(0, kPathRole).toString().toStdString();
}

void TResearchBrowserWindow::SelectFolder(const std::string& path) {
  folder_ = path;
  filling_ = true;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it)
    if (FolderOf(*it) == path) tree_->setCurrentItem(*it);
  filling_ = false;
  logs_->clear();
  for (const ResearchLog& log : ResearchLogs(path)) {
    auto* item = new QTreeWidgetItem(logs_, {Q(log.Caption), Q(log.Date)});
    item->setData(0, kPathRole, Q(log.Path));
    item->setToolTip(0, Q(log.FileName));
  }
}

std::vector<std::string> TResearchBrowserWindow::SelectedLogs() const {
  std::vector<std::string> paths;
  for (int i = 0; i < logs_->topLevelItemCount(); ++i)
    if (logs_->topLevelItem(i)->isSelected())
      paths.push_back(logs_->topLevelItem(i)->data(0, kPathRole).toString().toStdString());
  return paths;
}

void TResearchBrowserWindow::ShowWellData() {
  try {
    std::string text;
    for (const std::string& line : WellData(folder_, descriptions_)) text += line + "\n";
    questions_.ShowWarning(text.empty() ? "Нет данных по скважине." : text);
  } catch (const std::exception& e) {
    questions_.ShowError(e.what());
  }
}

void TResearchBrowserWindow::DeleteSelected() {
  const auto paths = SelectedLogs();
  if (paths.empty() || !questions_.AskYesNo("Внимание!", "Удалить выбранные файлы ?")) return;
  std::string errors;
  for (const std::string& e : DeleteLogs(paths)) errors += e + "\n";
  if (!errors.empty()) questions_.ShowError(errors);
  SelectFolder(folder_);
}

void TResearchBrowserWindow::OpenInEditor(const std::string& path) {
  if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {"edit", Q(path)}))
    questions_.ShowError("Error running editor (" + path + ")");
}

void TResearchBrowserWindow::ExportMenu(const std::string& format) {
  if (SelectedLogs().empty()) return;
  QMenu menu(this);
  QAction* all = menu.addAction("Все кривые");
  QAction* choose = menu.addAction("Выбрать...");
  QAction* chosen = menu.exec(QCursor::pos());
  if (chosen == nullptr) return;
  const QString dir = QFileDialog::getExistingDirectory(this, "Выберите каталог для сохранения");
  if (dir.isEmpty()) return;
  ExportTo(format, chosen == choose, dir.toStdString());
  (void)all;
}

bool TResearchBrowserWindow::ExportTo(const std::string& format, bool choose,
                                      const std::string& destination) {
  // The folder as it is: file names are case-sensitive here.
  if (!questions_.AskYesNo("Внимание!", "Копировать выбранные файлы в " + destination + " ?"))
    return false;
  Export(format, choose, destination);
  return true;
}

void TResearchBrowserWindow::Export(const std::string& format, bool choose,
                                    const std::string& destination) {
  std::vector<std::string> logs;
  for (const std::string& path : SelectedLogs())
    logs.push_back(fs::path(path).lexically_relative(root_).generic_string());
  ExportHost host;
  if (choose) {
    host.ChooseCurves = [this](const TLogSheet& sheet, CurveChoice& choice) {
      TCurveChoiceDialog dialog(sheet, questions_, this);
      questions_.Exec(dialog);
      choice = dialog.Choice();
      return true;
    };
  }
  host.AskName = [this](const std::string& name) -> std::optional<std::string> {
    std::string text = name;
    if (!questions_.AskText("Внимение!", "Имя файла содержит недопустимые символы!", text))
      return std::nullopt;
    return text;
  };
  host.Progress = [this](int done, int total) {
    progress_->setRange(0, total);
    progress_->setValue(done);
    progress_->repaint();
    return true;
  };
  ExportResult result = ExportLogs(root_, logs, format, destination, options_, host);
  progress_->reset();
  std::string errors;
  for (const std::string& e : result.Errors) errors += e + "\n";
  if (!errors.empty()) questions_.ShowError(errors);
}

std::string TResearchBrowserWindow::Report(const std::string& folder, bool open) {
  std::vector<std::string> errors;
  auto records = ReportRecords(SelectedLogs(), dictionary_, options_, errors);
  std::string html = DefaultReportTemplate();
  const std::string template_file = data_dir_ + "/Справка по материалу.html";
  if (FileExists(template_file)) {
    auto bytes = ReadWholeFile(template_file);
    html =
        DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  const std::string base = folder + "/Справка по материалу";
  const bool ok = WriteReportFiles(FillReportTemplate(html, records), base, "Справка по материалу");
  for (const std::string& e : errors) questions_.ShowError(e);
  if (!ok) {
    questions_.ShowError("Ошибка сохранения файла: " + base);
    return {};
  }
  if (open) QDesktopServices::openUrl(QUrl::fromLocalFile(Q(base + ".pdf")));
  return base + ".pdf";
}

}  // namespace kest
