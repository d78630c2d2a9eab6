#pragma once

#include <QString>
#include <functional>

#include "session/session_host.h"

class QWidget;

namespace kest {

// The recording session's questions as dialogs over the main window, and its
// indicators as status panels. Tests hand in scripted answers instead.
class WindowSessionHost : public SessionHost {
 public:
  explicit WindowSessionHost(QWidget* window) : window_(window) {}

  SessionHost* Scripted = nullptr;
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
  QWidget* window_;
};

// Status bar panels, from the left.
enum StatusPanel { spDepth = 0, spMode, spResearch, spPort, spStep, spMessage, spCount };

}  // namespace kest
