#include "app/office/splice_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>

#include "analysis/log_splice.h"
#include "app/dialogs/window_questions.h"
#include "log/log_sheet.h"
#include "support/errors.h"
#include "support/number_text.h"
#include "support/rounding.h"

namespace kest {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TSpliceWindow::TSpliceWindow(const TLogSheet& sheet, std::string sheet_name,
                             WindowQuestions& questions, LogFileOptions options, std::string folder,
                             QWidget* parent)
    : QDialog(parent),
      sheet_(sheet),
      questions_(questions),
      file_options_(std::move(options)),
      folder_(std::move(folder)) {
  setWindowTitle("Сшивка");
  setObjectName("TSpliceWindow");
  auto* grid = new QGridLayout;
  logs_ = new QListWidget(this);
  logs_->setObjectName("lbLogs");
  logs_->addItem(Q(sheet_name.empty() ? "(открытый лог)" : sheet_name + " (открытый лог)"));
  auto* add = new QPushButton("Добавить...", this);
  add->setObjectName("btAddLog");
  connect(add, &QPushButton::clicked, this, [this] {
    std::string path = questions_.AskOpenFile("Лог для сшивки", folder_, "*.LS *.LAS");
    if (!path.empty()) AddLog(path);
  });
  auto* remove = new QPushButton("Убрать", this);
  remove->setObjectName("btRemoveLog");
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = logs_->currentRow();
    if (row < 1) return;  // the open log stays first
    delete logs_->takeItem(row);
    files_.erase(files_.begin() + (row - 1));
  });
  grid->addWidget(new QLabel("Логи сверху вниз:", this), 0, 0);
  grid->addWidget(logs_, 1, 0, 3, 2);
  grid->addWidget(add, 1, 2);
  grid->addWidget(remove, 2, 2);
  at_ = new QLineEdit(this);
  at_->setObjectName("edSpliceDepths");
  at_->setPlaceholderText("через точку с запятой: 1100,5; 1240");
  grid->addWidget(new QLabel("Глубины сшивки, м:", this), 4, 0);
  grid->addWidget(at_, 4, 1, 1, 2);
  out_ = new QLineEdit(this);
  out_->setObjectName("edOutput");
  auto* browse = new QPushButton("...", this);
  browse->setMaximumWidth(30);
  connect(browse, &QPushButton::clicked, this, [this] {
    std::string path, format;
    if (questions_.AskSaveFile("Составной лог", folder_, "Сшивка.ls", {}, path, format))
      SetOutput(path);
  });
  grid->addWidget(new QLabel("Составной лог:", this), 5, 0);
  grid->addWidget(out_, 5, 1);
  grid->addWidget(browse, 5, 2);
  summary_ = new QLabel(this);
  summary_->setObjectName("lbSummary");
  summary_->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  auto* splice = buttons->addButton("Сшить", QDialogButtonBox::ActionRole);
  splice->setObjectName("btSplice");
  open_ = buttons->addButton("Открыть", QDialogButtonBox::ActionRole);
  open_->setObjectName("btOpen");
  open_->setEnabled(false);
  buttons->addButton("Закрыть", QDialogButtonBox::RejectRole);
  connect(splice, &QPushButton::clicked, this, [this] { Splice(); });
  connect(open_, &QPushButton::clicked, this, [this] {
    if (!OnOpen) return;
    const std::string path = out_->text().toStdString();
    accept();
    OnOpen(path);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addLayout(grid);
  v->addWidget(summary_);
  v->addWidget(buttons);
  resize(620, 400);
}

TSpliceWindow::~TSpliceWindow() = default;

void TSpliceWindow::AddLog(const std::string& path) {
  files_.push_back(path);
  logs_->addItem(Q(path));
}
void TSpliceWindow::SetSpliceDepths(const std::string& metres) { at_->setText(Q(metres)); }
void TSpliceWindow::SetOutput(const std::string& path) { out_->setText(Q(path)); }

bool TSpliceWindow::Splice() {
  open_->setEnabled(false);
  std::vector<int32_t> at;
  // Depths apart by ";" or blanks; a decimal comma reads as a point.
  static const QRegularExpression separators("[;\\s]+");
  for (const QString& item : at_->text().split(separators, Qt::SkipEmptyParts)) {
    auto v = ParseFloat(item.trimmed().replace(',', '.').toStdString());
    if (!v || !std::isfinite(*v) || std::fabs(*v) > 2e6) {
      questions_.ShowError("Глубина сшивки — число метров: \"" + item.toStdString() + "\"");
      return false;
    }
    at.push_back(RoundHalfEven32(*v * 1000));
  }
  const std::string out = out_->text().trimmed().toStdString();
  if (out.empty()) {
    questions_.ShowError("Не задан файл составного лога");
    return false;
  }
  try {
    WriterFor(out, file_options_);
    std::vector<std::unique_ptr<LogDocument>> logs;
    std::vector<const TLogSheet*> sheets{&sheet_};
    for (const std::string& path : files_) {
      logs.push_back(std::make_unique<LogDocument>());
      logs.back()->Open(path, file_options_);
      sheets.push_back(&logs.back()->Sheet());
    }
    LogDocument composite;
    SpliceLogs(sheets, at, composite.Sheet(), file_options_.Las.NullValue);
    composite.SaveAs(out, file_options_);
    const TLogSheet& s = composite.Sheet();
    summary_->setText(Q("Составной лог: " + std::to_string(s.Count()) + " кривых, " +
                        FormatFixed(s.Start() / 1000.0, 2) + " – " +
                        FormatFixed(s.End() / 1000.0, 2) + " м, сохранён в " + out));
  } catch (const EKestError& e) {
    questions_.ShowError(e.what());
    return false;
  }
  open_->setEnabled(true);
  return true;
}

}  // namespace kest
