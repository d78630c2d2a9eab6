#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "session/local_time.h"

namespace kest {

class FileStream;

// The journal of a research: the file "session" of the research folder, created
// anew when the research is opened. Each entry is one line
//   "dd-mm-yyyy hh:nn:ss message" CR LF
// written through to the disk at once, and is also noted in the diagnostic log as
// "Recorder message: " + message. Text is UTF-8. Main thread only.
class Journal {
 public:
  static constexpr const char* kSessionFile = "session";
  static constexpr const char* kJournalFile = "journal";

  explicit Journal(LocalTimeFn now = LocalNow);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Closes the open file, then creates `path` anew (raises EInOutError).
  void Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  // Raises EInOutError when the line cannot be written; nothing happens when closed.
  void Write(std::string_view message);
  // Everything written since Open (the file is locked against other readers while
  // open, so this reads through the journal's own handle); empty when closed.
  std::string Text() const;

  // Appends the whole of `session_path` to `journal_path`, creating it if absent.
  static void AppendFile(const std::string& session_path, const std::string& journal_path);

 private:
  LocalTimeFn now_;
  std::unique_ptr<FileStream> file_;
  std::string path_;
};

}  // namespace kest
