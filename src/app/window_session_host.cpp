#include "app/window_session_host.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include <filesystem>

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* ModeText(int mode) {
  switch (mode) {
    case 1: return "По времени";
    case 2: return "По глубине на спуске";
    case 3: return "По глубине на подъеме";
    default: return "Остановлено";
  }
}

}  // namespace

bool WindowSessionHost::AskText(const std::string& title, const std::string& prompt, std::string& text) {
  if (Scripted) return Scripted->AskText(title, prompt, text);
  bool ok = false;
  QString answer = QInputDialog::getText(window_, Q(title), Q(prompt), QLineEdit::Normal, Q(text), &ok);
  if (ok) text = answer.toStdString();
  return ok;
}

bool WindowSessionHost::AskYesNo(const std::string& title, const std::string& question) {
  if (Scripted) return Scripted->AskYesNo(title, question);
  return QMessageBox::question(window_, Q(title), Q(question), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

void WindowSessionHost::ShowWarning(const std::string& message) {
  if (Scripted) return Scripted->ShowWarning(message);
  QMessageBox::warning(window_, "Внимание", Q(message));
}

void WindowSessionHost::Beep() {
  if (Scripted) return Scripted->Beep();
  QApplication::beep();
}

void WindowSessionHost::ShowDepth(const std::string& text) {
  if (Scripted) Scripted->ShowDepth(text);
  if (SetPanel) SetPanel(spDepth, Q(text) + " м");
}

void WindowSessionHost::ShowDepthStep(const std::string& text) {
  if (Scripted) Scripted->ShowDepthStep(text);
  if (SetPanel) SetPanel(spStep, Q(text));
}

void WindowSessionHost::ShowLabel(bool green) {
  if (Scripted) Scripted->ShowLabel(green);
  if (LabelShown) LabelShown(green);
}

void WindowSessionHost::RecordModeChanged(int mode) {
  if (Scripted) Scripted->RecordModeChanged(mode);
  if (SetPanel) SetPanel(spMode, QString::fromUtf8(ModeText(mode)));
  if (ModeChanged) ModeChanged(mode);
}

void WindowSessionHost::SaveStarted(const std::string& path) {
  if (Scripted) Scripted->SaveStarted(path);
  std::string name = std::filesystem::path(path).filename().string();
  if (SetPanel) SetPanel(spMessage, Q("Saving file \"" + name + "\""));
}

void WindowSessionHost::SaveFinished(const std::string& path, bool ok) {
  if (Scripted) Scripted->SaveFinished(path, ok);
  std::string name = std::filesystem::path(path).filename().string();
  if (SetPanel) SetPanel(spMessage, ok ? Q("Сохранён " + name) : Q("Ошибка сохранения " + name));
}

}  // namespace kest
