#include "app/main_window/window_session_host.h"

#include <filesystem>

#include "app/dialogs/window_questions.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* ModeText(int mode) {
  switch (mode) {
    case 1:
      return "По времени";
    case 2:
      return "По глубине на спуске";
    case 3:
      return "По глубине на подъеме";
    default:
      return "Остановлено";
  }
}

}  // namespace

bool WindowSessionHost::AskText(const std::string& title, const std::string& prompt,
                                std::string& text) {
  return questions_.AskText(title, prompt, text);
}

bool WindowSessionHost::AskYesNo(const std::string& title, const std::string& question) {
  return questions_.AskYesNo(title, question);
}

void WindowSessionHost::ShowWarning(const std::string& message) { questions_.ShowWarning(message); }

void WindowSessionHost::Beep() { questions_.Beep(); }

void WindowSessionHost::ShowDepth(const std::string& text) {
  questions_.ShowDepth(text);
  if (SetPanel) SetPanel(spDepth, Q(text) + " м");
}

void WindowSessionHost::ShowDepthStep(const std::string& text) {
  questions_.ShowDepthStep(text);
  if (SetPanel) SetPanel(spStep, Q(text));
}

void WindowSessionHost::ShowLabel(bool green) {
  questions_.ShowLabel(green);
  if (LabelShown) LabelShown(green);
}

void WindowSessionHost::RecordModeChanged(int mode) {
  questions_.RecordModeChanged(mode);
  if (SetPanel) SetPanel(spMode, QString::fromUtf8(ModeText(mode)));
  if (ModeChanged) ModeChanged(mode);
}

void WindowSessionHost::SaveStarted(const std::string& path) {
  questions_.SaveStarted(path);
  std::string name = std::filesystem::path(path).filename().string();
  if (SetPanel) SetPanel(spMessage, Q("Saving file \"" + name + "\""));
}

void WindowSessionHost::SaveFinished(const std::string& path, bool ok) {
  questions_.SaveFinished(path, ok);
  std::string name = std::filesystem::path(path).filename().string();
  if (SetPanel) SetPanel(spMessage, ok ? Q("Сохранён " + name) : Q("Ошибка сохранения " + name));
}

}  // namespace kest
