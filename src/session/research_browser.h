#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/log_argument.h"
#include "session/session_errors.h"

namespace kest {

class TLogSheet;
class TLogParameters;
class TResearchParameters;
struct LogFileOptions;

// What the browser of past recordings ("Предыдущие записи") does with the research
// root: the folder tree, the logs of a folder, well data, deletion, export to LS or
// LAS and the report. Folders and files are sorted by name; paths use "/".

// One folder of the tree: its name and full path, and its sub-folders.
struct ResearchFolderNode {
  std::string Name;
  std::string Path;
  std::vector<ResearchFolderNode> Children;
};

// The tree under `root`: first ".." for the root itself, then every folder whose name
// does not begin with ".", at any depth.
std::vector<ResearchFolderNode> ResearchFolderTree(const std::string& root);

// Renames the folder `path` to `new_name` beside it; returns the new path. Raises
// EResearchError for a name that is empty, holds a separator or is "."/"..", for
// a name already taken ("Папка \"%s\" уже существует.") and when the system
// refuses (its text). Nothing changes on failure.
std::string RenameResearchFolder(const std::string& path, const std::string& new_name);

// One log of a folder: "*.ls" files first, then "*.las", each by name.
struct ResearchLog {
  std::string FileName;  // without folder
  std::string Path;
  std::string Caption;  // from the folder's "files", else the file name
  std::string Date;     // modification date, dd/mm/yyyy (local time)
};
std::vector<ResearchLog> ResearchLogs(const std::string& folder);

// "Данные по скважине": one line per "params" entry, display name " - " value.
// EResearchParametersError "Параметр \"%s\" не найден" for an undescribed one.
std::vector<std::string> WellData(const std::string& folder,
                                  const TResearchParameters& descriptions);

// Deletes the files; returns the messages of those that could not be deleted.
std::vector<std::string> DeleteLogs(const std::vector<std::string>& paths);

// ---- export -----------------------------------------------------------------------

// The curves and interval chosen for one file ("Выбор кривых"). Bounds are in the
// argument's units (mm, ms) and inclusive.
struct CurveChoice {
  std::vector<bool> Keep;  // per track of the sheet; track 0 is always kept
  bool Interval = false;
  int64_t Low = 0;
  int64_t High = 0;
};

// The bounds typed in the dialog: metres for depth, minutes for time. Returns the
// bounds in argument units, or sets `error` to "Неверное значение !" or "Нижняя
// граница не должна быть больше верхней !".
std::optional<std::pair<int64_t, int64_t>> ParseChoiceBounds(std::string_view low,
                                                             std::string_view high,
                                                             TLogArgument argument,
                                                             std::string& error);
// A bound shown in the dialog ("%.2f" of metres or minutes).
std::string ChoiceBoundText(int64_t value, TLogArgument argument);

// Keeps the chosen tracks, and of each only the samples inside the interval.
void ApplyCurveChoice(TLogSheet& sheet, const CurveChoice& choice);

struct ExportHost {
  // Asked per file when "Выбрать..." was chosen; false keeps every curve and the
  // whole file.
  std::function<bool(const TLogSheet& sheet, CurveChoice& choice)> ChooseCurves;
  // A name holds a character a file name cannot: asked for another (title
  // "Внимение!", prompt "Имя файла содержит недопустимые символы!"); none skips the
  // file.
  std::function<std::optional<std::string>(const std::string& name)> AskName;
  // Files done and total; false stops before the next file.
  std::function<bool(int done, int total)> Progress;
};

struct ExportResult {
  std::vector<std::string> Written;  // paths
  std::vector<std::string> Errors;   // "Ошибка сохранения файла: " + the cause
};

// Exports the logs (paths relative to `root`) into `destination` in `format` ("LS"
// or "LAS"), keeping their folders: a log already in that format is copied as it is,
// others are converted and named after their "Условия замера" comment; a name taken
// gets "[0]", "[1]", ... Every file is written under a temporary name and renamed
// when complete. After an LS export, the "files" and "params" of every source
// folder are copied beside the logs. A failure is reported and the next file goes on.
ExportResult ExportLogs(const std::string& root, const std::vector<std::string>& logs,
                        std::string_view format, const std::string& destination,
                        const LogFileOptions& options, const ExportHost& host);

// True when `name` can stand as a file name (no control characters, none of
// <>:"/\|?*, not empty, not "." or "..").
bool IsValidFileName(std::string_view name);

// ---- report -----------------------------------------------------------------------

// One row of "Справка по материалу": a curve of a log, once per parameter.
struct CurveFileInfo {
  int Number = 0;
  std::string FileName;
  std::string Curve;  // LAS mnemonic
  double Start = 0, Finish = 0, Step = 0;
  std::string Direction;  // "по времени", "спуск", "подъем"
  std::string DateStart, DateFinish;
};

// Reads the logs and makes a record per curve whose parameter was not seen yet.
// A log that cannot be read is skipped with its message in `errors`.
std::vector<CurveFileInfo> ReportRecords(const std::vector<std::string>& paths,
                                         const TLogParameters& dictionary,
                                         const LogFileOptions& options,
                                         std::vector<std::string>& errors);

// Fills an HTML template: the table row holding "#Num#" is repeated per record with
// "#Num#", "#FileName#", "#Curve#", "#Start#", "#Finish#", "#Direction#", "#Step#",
// "#DateStart#" and "#DateFinish#" replaced (text escaped).
std::string FillReportTemplate(const std::string& html, const std::vector<CurveFileInfo>& records);
// The template used when the installation has none.
std::string DefaultReportTemplate();

}  // namespace kest
