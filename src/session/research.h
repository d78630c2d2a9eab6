#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "session/journal.h"
#include "session/local_time.h"
#include "support/string_list.h"

namespace kest {

// The research (one job on one well) that recordings belong to: a folder under the
// research base holding
//   "%.3d.ls"  the recordings, numbered from FileCounter
//   "params"   the research parameters, name=value lines
//   "files"    the index: "NNN.ls=description" lines joined by CR LF
//   "session"  the journal since the research was last opened
//   "journal"  the accumulated journal ("session" is appended to it when the
//              research ends and at program exit)
// While no research is open the base folder itself acts as the research folder.
// Text files are UTF-8 (read back as Windows-1251 when they are not valid UTF-8).
// Main thread only.
// A research name as a folder path below the base: one or more folders ("Южное/12",
// either separator), joined with "/". None for what would leave the base: an
// absolute path, "." or "..", an empty folder name.
std::optional<std::string> ResearchFolderPath(std::string_view name);

class Research {
 public:
  static constexpr const char* kParamsFile = "params";
  static constexpr const char* kFilesFile = "files";

  // `base`: the research base folder (created when missing on Open).
  explicit Research(std::string base, LocalTimeFn now = LocalNow);
  ~Research();
  Research(const Research&) = delete;
  Research& operator=(const Research&) = delete;

  const std::string& Base() const { return base_; }
  // Folder name relative to the base; empty when none is open.
  const std::string& ResearchName() const { return name_; }
  bool IsOpen() const { return !name_.empty(); }
  // The research folder with a trailing "/" (the base when none is open).
  const std::string& ResearchDir() const { return dir_; }
  Journal& CurrentJournal() { return journal_; }

  int32_t FileCounter = 1;
  StringList ResearchParams;

  // Opens the research `name` (empty: the base itself): loads its "params", finds
  // FileCounter, creates "session" anew and journals "Research session started".
  void Open(const std::string& name);
  // A new research (the research parameters dialog said OK with `name` and the
  // parameters in ResearchParams): an assertion failure when one is open. Without a
  // name the folder is named by today's date, "dd-mm-yy", then "dd-mm-yy [1]",
  // "dd-mm-yy [2]", ... while taken. Saves "params" and opens it. EResearchError
  // "Cant create dir" when the folder cannot be made or the name would leave the base.
  // The name may hold several folders ("oil field/well").
  void Start(const std::string& name);
  // Ends the open research: journals "Research session complete", appends "session"
  // to "journal", and reopens the base.
  void End();
  // At program exit: the journal is closed and appended; the name stays.
  void Exit();

  // "%.3d.ls" of FileCounter.
  std::string FileName() const;
  // Adds "file=description" to the index, after CR LF when the index exists.
  void AddToIndex(const std::string& file_name, const std::string& description);

  // 1 + the largest number heading a "*.ls" file name of `dir` (the text before the
  // first "."; names that are not numbers are skipped); 1 when there is none.
  static int32_t FileCounterOf(const std::string& dir);
  // The first free folder name for a research started at `date`.
  static std::string NewFolderName(const std::string& base, const DateTime& date);

 private:
  void CloseAndAppendJournal();

  std::string base_;
  std::string name_;
  std::string dir_;
  LocalTimeFn now_;
  Journal journal_;
};

// Descriptions name files: they may not hold ! # $ % & * / @ \ ^ ~.
bool IsValidDescription(std::string_view text);

// Reads a name=value text file written by this or an older program (UTF-8, else
// Windows-1251). Raises EInOutError when it cannot be read.
StringList ReadListFile(const std::string& path);

}  // namespace kest
