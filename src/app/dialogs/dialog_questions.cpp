#include "app/dialogs/dialog_questions.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>

#include "app/core/app_environment.h"
#include "app/dialogs/recorder_dialogs.h"
#include "app/dialogs/research_params_dialog.h"
#include "app/dialogs/tool_selection_dialog.h"
#include "app/dialogs/wav_player.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QWidget* DialogQuestions::Parent() const {
  // Over the window the user works in (a tool window of the main one, say), so that
  // the question is not hidden behind it; the main window when none is active.
  if (QWidget* active = QApplication::activeWindow()) return active;
  return window_;
}

bool DialogQuestions::AskText(const std::string& title, const std::string& prompt,
                              std::string& text) {
  bool ok = false;
  QString answer =
      QInputDialog::getText(Parent(), Q(title), Q(prompt), QLineEdit::Normal, Q(text), &ok);
  if (ok) text = answer.toStdString();
  return ok;
}

bool DialogQuestions::AskYesNo(const std::string& title, const std::string& question) {
  return QMessageBox::question(Parent(), Q(title), Q(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

WindowQuestions::Answer DialogQuestions::AskYesNoCancel(const std::string& title,
                                                        const std::string& question) {
  switch (QMessageBox::question(Parent(), Q(title), Q(question),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

void DialogQuestions::ShowWarning(const std::string& message) {
  QMessageBox::warning(Parent(), "Внимание", Q(message));
}

void DialogQuestions::ShowError(const std::string& message) {
  QApplication::beep();
  QMessageBox::critical(Parent(), "Ошибка", QString::fromUtf8(message.c_str()));
}

DialogQuestions::DialogQuestions(AppEnvironment& env, Settings& settings, Clock& clock,
                                 std::string mode_key)
    : env_(env), settings_(settings), clock_(clock), mode_key_(std::move(mode_key)) {}

DialogQuestions::~DialogQuestions() = default;

void DialogQuestions::Beep() { QApplication::beep(); }

void DialogQuestions::PlaySound(const std::string& path) {
  if (!player_) player_ = std::make_unique<WavPlayer>([] { QApplication::beep(); });
  player_->Play(path);
}

std::string DialogQuestions::AskOpenFile(const std::string& title, const std::string& dir,
                                         const std::string& mask) {
  return QFileDialog::getOpenFileName(Parent(), Q(title), Q(dir),
                                      Q("Известные типы файлов (" + mask + ");;Все файлы (*)"))
      .toStdString();
}

bool DialogQuestions::AskSaveFile(const std::string& title, const std::string& dir,
                                  const std::string& name, const std::vector<std::string>& formats,
                                  std::string& path, std::string& format, int32_t* las_step) {
  QStringList filters;
  for (const std::string& f : formats)
    filters << Q(f + " (*." + f + " *." + Q(f).toLower().toStdString() + ")");
  // Qt's own dialog (not the desktop's), so that the LAS step can sit under the filters.
  QFileDialog dialog(Parent(), Q(title), Q(dir + "/" + name), filters.join(";;"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  QSpinBox* step = nullptr;
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && las_step) {
    step = new QSpinBox(&dialog);
    step->setObjectName("seLasStep");
    step->setRange(1, 100000);
    step->setValue(*las_step > 0 ? *las_step : 100);
    auto* label = new QLabel("Шаг сохранения для LAS, в мм", &dialog);
    label->setBuddy(step);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(step, row, 1);
    const auto follow = [step, label](const QString& filter) {
      step->setEnabled(filter.startsWith("LAS"));
      label->setEnabled(step->isEnabled());
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    follow(filters.isEmpty() ? QString() : filters.front());
  }
  if (Exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().front().toStdString();
  format = dialog.selectedNameFilter().section(' ', 0, 0).toStdString();
  if (step) *las_step = step->value();
  return true;
}

std::string DialogQuestions::AskFile(bool save, const std::string& title, const std::string& dir,
                                     const std::string& name,
                                     const std::vector<std::string>& filters) {
  QStringList list;
  for (const std::string& f : filters) list << Q(f);
  const QString start = Q(name.empty() ? dir : dir + "/" + name);
  return (save ? QFileDialog::getSaveFileName(Parent(), Q(title), start, list.join(";;"))
               : QFileDialog::getOpenFileName(Parent(), Q(title), start, list.join(";;")))
      .toStdString();
}

bool DialogQuestions::SelectToolString(TLogger& logger) {
  TLoggerSelectionDlg dialog(logger, clock_, env_.Classes(), env_.Defs(), settings_, mode_key_,
                             Parent());
  return dialog.exec() == QDialog::Accepted;
}

bool DialogQuestions::AskResearch(std::string& name, StringList& params) {
  TResearchParamsDialog dialog(env_.ResearchParameters(), env_.Folders().Data,
                               env_.Folders().ResearchBase, params, Parent());
  if (dialog.exec() != QDialog::Accepted) return false;
  name = dialog.ResearchName();
  params = dialog.Params();
  return true;
}

bool DialogQuestions::AskSamplerCurrent(int& milliamps) {
  TTrierDlg dialog(milliamps, Parent());
  if (dialog.exec() != QDialog::Accepted) return false;
  milliamps = dialog.seTrier->value();
  return true;
}

int DialogQuestions::Exec(QDialog& dialog) { return dialog.exec(); }

}  // namespace kest
