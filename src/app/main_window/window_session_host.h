#pragma once

#include <QString>
#include <functional>

#include "session/session_host.h"

namespace kest {

class WindowQuestions;

// The recording session's host in the recorder window: questions go to the
// window's questions (dialogs, or a test's answers), indicators to the status
// panels and the depth panel.
class WindowSessionHost : public SessionHost {
 public:
  explicit WindowSessionHost(WindowQuestions& questions) : questions_(questions) {}

  std::function<void(int panel, const QString& text)> SetPanel;
  std::function<void(int mode)> ModeChanged;
  std::function<void(bool green)> LabelShown;

  bool AskText(const std::string& title, const std::string& prompt, std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& question) override;
  void ShowWarning(const std::string& message) override;
  void Beep() override;
  void ShowDepth(const std::string& text) override;
  void ShowDepthStep(const std::string& text) override;
  void ShowLabel(bool green) override;
  void RecordModeChanged(int mode) override;
  void SaveStarted(const std::string& path) override;
  void SaveFinished(const std::string& path, bool ok) override;

 private:
  WindowQuestions& questions_;
};

// Status bar panels, from the left.
enum StatusPanel { spDepth = 0, spMode, spResearch, spPort, spStep, spMessage, spCount };

}  // namespace kest
