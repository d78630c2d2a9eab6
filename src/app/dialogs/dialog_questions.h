#pragma once

#include <memory>
#include <string>

#include "app/dialogs/window_questions.h"

class QWidget;

namespace kest {

class AppEnvironment;
class Clock;
class Settings;
class WavPlayer;

// The windows' questions as the desktop program asks them: message boxes, input
// boxes, file dialogs and the recorder's dialogs, over the window set with SetWindow.
class DialogQuestions : public WindowQuestions {
 public:
  DialogQuestions(AppEnvironment& env, Settings& settings, Clock& clock, std::string mode_key);
  ~DialogQuestions() override;
  void SetWindow(QWidget* window) { window_ = window; }

  bool AskText(const std::string& title, const std::string& prompt, std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& question) override;
  Answer AskYesNoCancel(const std::string& title, const std::string& question) override;
  void ShowWarning(const std::string& message) override;
  void ShowError(const std::string& message) override;
  void Beep() override;
  std::string AskOpenFile(const std::string& title, const std::string& dir,
                          const std::string& mask) override;
  bool AskSaveFile(const std::string& title, const std::string& dir, const std::string& name,
                   const std::vector<std::string>& formats, std::string& path, std::string& format,
                   int32_t* las_step = nullptr) override;
  std::string AskFile(bool save, const std::string& title, const std::string& dir,
                      const std::string& name, const std::vector<std::string>& filters) override;
  bool SelectToolString(TLogger& logger) override;
  bool AskResearch(std::string& name, StringList& params) override;
  bool AskSamplerCurrent(int& milliamps) override;
  int Exec(QDialog& dialog) override;
  void PlaySound(const std::string& path) override;

 private:
  QWidget* Parent() const;

  AppEnvironment& env_;
  Settings& settings_;
  Clock& clock_;
  std::string mode_key_;
  QWidget* window_ = nullptr;
  std::unique_ptr<WavPlayer> player_;
};

}  // namespace kest
