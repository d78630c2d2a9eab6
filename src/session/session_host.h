#pragma once

#include <deque>
#include <string>
#include <vector>

namespace kest {

// What the recording session needs from the program around it: the questions it
// asks the operator and the indicators it drives. The desktop program answers with
// dialogs and status panels; HeadlessSessionHost answers from options. Main thread.
class SessionHost {
 public:
  virtual ~SessionHost() = default;

  // An input box titled `title` asking `prompt`, with `text` proposed; true with
  // the edited text, false when cancelled.
  virtual bool AskText(const std::string& title, const std::string& prompt, std::string& text) = 0;
  // A Yes/No box; true for Yes.
  virtual bool AskYesNo(const std::string& title, const std::string& question) = 0;
  // A warning the operator acknowledges.
  virtual void ShowWarning(const std::string& message) = 0;

  virtual void Beep() {}
  // The depth "0.00" in metres (first status panel).
  virtual void ShowDepth(const std::string& text) { (void)text; }
  // The corrected depth step "%.5f", or empty to clear it (fifth status panel).
  virtual void ShowDepthStep(const std::string& text) { (void)text; }
  // The label indicator: green when a label came where expected or was placed.
  virtual void ShowLabel(bool green) { (void)green; }
  // The record mode changed (0 stopped, 1 time, 2 down, 3 up): viewer interactive
  // only at 0, start actions enabled only at 0.
  virtual void RecordModeChanged(int mode) { (void)mode; }
  // A background save began / ended (the status window "Saving file ...").
  virtual void SaveStarted(const std::string& path) { (void)path; }
  virtual void SaveFinished(const std::string& path, bool ok) { (void)path, (void)ok; }
};

// Answers from options, for kest-tool and tests, and remembers what was asked.
// `Base` is SessionHost or an interface derived from it that adds questions.
template <class Base>
class HeadlessAnswers : public Base {
 public:
  // Answers to AskText in order; when none is left, the box is "cancelled".
  std::deque<std::string> Texts;
  // The answer to every Yes/No box.
  bool Yes = true;

  std::vector<std::string> Asked;  // every title + ": " + prompt or question
  std::vector<std::string> Warnings;
  std::vector<std::string> Saved;   // paths whose save ended well
  std::vector<std::string> Failed;  // paths whose save failed
  int Beeps = 0;
  std::string Depth;
  std::string DepthStep;
  int LabelGreen = 0;
  int LabelRed = 0;

  bool AskText(const std::string& title, const std::string& prompt, std::string& text) override {
    Asked.push_back(title + ": " + prompt);
    if (Texts.empty()) return false;
    text = Texts.front();
    Texts.pop_front();
    return true;
  }
  bool AskYesNo(const std::string& title, const std::string& question) override {
    Asked.push_back(title + ": " + question);
    return Yes;
  }
  void ShowWarning(const std::string& message) override { Warnings.push_back(message); }
  void Beep() override { ++Beeps; }
  void ShowDepth(const std::string& text) override { Depth = text; }
  void ShowDepthStep(const std::string& text) override { DepthStep = text; }
  void ShowLabel(bool green) override { ++(green ? LabelGreen : LabelRed); }
  void SaveFinished(const std::string& path, bool ok) override {
    (ok ? Saved : Failed).push_back(path);
  }
};

class HeadlessSessionHost : public HeadlessAnswers<SessionHost> {};

}  // namespace kest
