#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/session_host.h"
#include "support/string_list.h"

class QDialog;

namespace kest {

class TLogger;

// Every question the main windows ask the user, besides the recording session's
// own: the desktop program answers with dialogs, tests with scripted answers, and
// the windows take the same path either way.
class WindowQuestions : public SessionHost {
 public:
  enum class Answer { Yes, No, Cancel };

  // A box with Yes, No and Cancel.
  virtual Answer AskYesNoCancel(const std::string& title, const std::string& question) = 0;
  // An error box (the message is already in the diagnostic log).
  virtual void ShowError(const std::string& message) = 0;
  // The open dialog in `dir` offering "Известные типы файлов" (`mask`, "*.LS *.LAS") and
  // "Все файлы": the chosen path, "" when cancelled.
  virtual std::string AskOpenFile(const std::string& title, const std::string& dir,
                                  const std::string& mask) = 0;
  // The save dialog in `dir` proposing `name`, one filter per format ("LS", "LAS"):
  // false when cancelled, else the path as typed and the chosen format. With
  // `las_step`, the dialog also shows and edits "Шаг сохранения для LAS, в мм".
  virtual bool AskSaveFile(const std::string& title, const std::string& dir,
                           const std::string& name, const std::vector<std::string>& formats,
                           std::string& path, std::string& format, int32_t* las_step = nullptr) = 0;
  // A file dialog with the caller's own filters ("Файлы коэффициентов (*.cfs)",
  // "Все файлы (*)"), proposing `name` in `dir`: the chosen path, "" when cancelled.
  // By default the open and save dialogs above stand in for it.
  virtual std::string AskFile(bool save, const std::string& title, const std::string& dir,
                              const std::string& name, const std::vector<std::string>& filters) {
    (void)filters;
    if (!save) return AskOpenFile(title, dir, "*");
    std::string path, format;
    return AskSaveFile(title, dir, name, {}, path, format) ? path : std::string();
  }
  // The tool selection dialog: true when a tool string was loaded into `logger`.
  virtual bool SelectToolString(TLogger& logger) = 0;
  // The research parameters dialog: the new research's name and parameters.
  virtual bool AskResearch(std::string& name, StringList& params) = 0;
  // The sampler's dialog: the trial current in mA.
  virtual bool AskSamplerCurrent(int& milliamps) = 0;
  // Runs a window's own modal dialog (the print dialogs, the preview): its result
  // code (QDialog::Accepted or Rejected).
  virtual int Exec(QDialog& dialog) = 0;
  // Plays a sound file without waiting for it (the bell where no sound device is);
  // nothing when the file does not exist.
  virtual void PlaySound(const std::string& path) = 0;
};

}  // namespace kest
