#include "session/research_browser.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/research_parameters.h"
#include "session/log_document.h"
#include "session/research.h"
#include "support/atomic_file.h"
#include "support/code_page.h"
#include "support/number_text.h"
#include "support/stream.h"
#include "support/trim.h"

namespace kest {

namespace fs = std::filesystem;

namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<fs::path> SortedEntries(const std::string& folder, bool folders) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    bool is_dir = it->is_directory(type_ec);
    if (type_ec || is_dir != folders) continue;
    std::string name = it->path().filename().string();
    if (folders && name.starts_with(".")) continue;
    out.push_back(it->path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

void AddChildren(ResearchFolderNode& node, int depth) {
  if (depth > 64) return;  // a link loop cannot make the tree endless
  for (const fs::path& p : SortedEntries(node.Path, true)) {
    ResearchFolderNode child{p.filename().string(), p.string(), {}};
    AddChildren(child, depth + 1);
    node.Children.push_back(std::move(child));
  }
}

bool IsFolderName(std::string_view name) {
  return IsValidFileName(name) && name.find_first_of("/\\") == std::string_view::npos;
}

std::string DateText(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  std::tm tm{};
  time_t t = st.st_mtime;
  localtime_r(&t, &tm);
  char text[40];  // room for any int the fields may hold
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return text;
}

std::string Extension(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : UpperCase(name.substr(dot + 1));
}

std::string Stem(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// Copies a file through a temporary one renamed into place when complete.
void CopyFileAtomically(const std::string& from, const std::string& to) {
  FileStream in(from, FileStream::Mode::Read);
  AtomicFile out(to);
  std::vector<char> buffer(1 << 20);
  while (size_t n = in.Read(buffer.data(), buffer.size())) out.Write(buffer.data(), n);
  out.Commit();
}

std::string TwoDecimals(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  for (size_t pos = text.find(what); pos != std::string::npos;
       pos = text.find(what, pos + with.size()))
    text.replace(pos, what.size(), with);
}

}  // namespace

// ---- folders and logs ---------------------------------------------------------------

std::vector<ResearchFolderNode> ResearchFolderTree(const std::string& root) {
  std::vector<ResearchFolderNode> tree;
  tree.push_back({"..", root, {}});
  ResearchFolderNode top{"", root, {}};
  AddChildren(top, 0);
  for (auto& child : top.Children) tree.push_back(std::move(child));
  return tree;
}

std::string RenameResearchFolder(const std::string& path, const std::string& new_name) {
  std::string name(Trim(new_name, kControlOrSpace));
  if (!IsFolderName(name)) throw EResearchError("Недопустимое имя папки \"" + new_name + "\".");
  fs::path from(path);
  while (!from.empty() && !from.has_filename()) from = from.parent_path();
  fs::path to = from.parent_path() / name;
  if (to == from) return to.string();
  std::error_code ec;
  if (fs::exists(to, ec)) throw EResearchError("Папка \"" + name + "\" уже существует.");
  fs::rename(from, to, ec);
  if (ec)
    throw EResearchError("Не удалось переименовать папку \"" + from.filename().string() +
                         "\": " + ec.message());
  return to.string();
}

std::vector<ResearchLog> ResearchLogs(const std::string& folder) {
  StringList captions;
  std::string index = Join(folder, Research::kFilesFile);
  if (FileExists(index)) {
    try {
      captions = ReadListFile(index);
    } catch (const EKestError&) {
      // An unreadable index only loses the captions.
    }
  }
  std::vector<ResearchLog> logs;
  for (const char* ext : {"LS", "LAS"}) {
    for (const fs::path& p : SortedEntries(folder, false)) {
      std::string name = p.filename().string();
      if (Extension(name) != ext) continue;
      std::string caption = captions.Value(name);
      logs.push_back({name, p.string(), caption.empty() ? name : caption, DateText(p.string())});
    }
  }
  return logs;
}

std::vector<std::string> WellData(const std::string& folder,
                                  const TResearchParameters& descriptions) {
  std::vector<std::string> lines;
  std::string path = Join(folder, Research::kParamsFile);
  if (!FileExists(path)) return lines;
  StringList params = ReadListFile(path);
  for (int i = 0; i < params.Count(); ++i) {
    if (Trim(params[i], kControlOrSpace).empty()) continue;
    lines.push_back(descriptions.ByName(params.Name(i)).DisplayName + " - " +
                    params.ValueFromIndex(i));
  }
  return lines;
}

std::vector<std::string> DeleteLogs(const std::vector<std::string>& paths) {
  std::vector<std::string> errors;
  for (const std::string& p : paths) {
    std::error_code ec;
    if (!fs::remove(p, ec) || ec)
      errors.push_back("Не удалось удалить файл \"" + p + "\"" + (ec ? ": " + ec.message() : ""));
  }
  return errors;
}

// ---- curve choice -------------------------------------------------------------------

std::optional<std::pair<int64_t, int64_t>> ParseChoiceBounds(std::string_view low,
                                                             std::string_view high,
                                                             TLogArgument argument,
                                                             std::string& error) {
  auto a = ParseFloat(Trim(low, kControlOrSpace));
  auto b = ParseFloat(Trim(high, kControlOrSpace));
  if (!a || !b || !std::isfinite(*a) || !std::isfinite(*b)) {
    error = "Неверное значение !";
    return std::nullopt;
  }
  if (*a >= *b) {
    error = "Нижняя граница не должна быть больше верхней !";
    return std::nullopt;
  }
  double unit = argument == laTime ? 60000.0 : 1000.0;
  double lo = std::round(*a * unit), hi = std::round(*b * unit);
  if (std::abs(lo) > 9e15 || std::abs(hi) > 9e15) {
    error = "Неверное значение !";
    return std::nullopt;
  }
  error.clear();
  return std::make_pair(static_cast<int64_t>(lo), static_cast<int64_t>(hi));
}

std::string ChoiceBoundText(int64_t value, TLogArgument argument) {
  return TwoDecimals(static_cast<double>(value) / (argument == laTime ? 60000.0 : 1000.0));
}

void ApplyCurveChoice(TLogSheet& sheet, const CurveChoice& choice) {
  SheetLock lock(sheet);
  std::vector<TLogTrack*> drop;
  for (int i = 1; i < sheet.Count(); ++i)
    if (static_cast<size_t>(i) < choice.Keep.size() && !choice.Keep[static_cast<size_t>(i)])
      drop.push_back(sheet.Tracks(i));
  for (TLogTrack* t : drop) sheet.RemoveTrack(t);
  if (choice.Interval) {
    for (int k = 0; k < sheet.Count(); ++k) {
      TLogTrack& t = *sheet.Tracks(k);
      const int64_t step = t.Step(), origin = t.Origin(), count = t.Count();
      // First sample at or above Low, last at or below High.
      int64_t i0 = choice.Low <= origin ? 0 : (choice.Low - origin + step - 1) / step;
      int64_t i1 = choice.High < origin ? -1 : std::min(count - 1, (choice.High - origin) / step);
      std::vector<float> kept;
      if (i0 <= i1) kept.assign(t.Samples() + i0, t.Samples() + i1 + 1);
      t.LoadSamples(kept.data(), static_cast<int32_t>(kept.size()));
      t.SetOrigin(static_cast<int32_t>(origin + std::max<int64_t>(i0, 0) * step));
    }
  }
  sheet.UpdateRange();
}

bool IsValidFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  return true;
}

// ---- export -------------------------------------------------------------------------

namespace {

// The first of name, name[0], name[1], ... that is free in `folder`.
std::string FreeName(const std::string& folder, const std::string& name, const std::string& ext) {
  std::string candidate = name;
  for (int n = 0; fs::exists(Join(folder, candidate + "." + ext)); ++n)
    candidate = name + "[" + std::to_string(n) + "]";
  return Join(folder, candidate + "." + ext);
}

std::string ExportOne(const std::string& root, const std::string& log, const std::string& format,
                      const std::string& destination, const LogFileOptions& options,
                      const ExportHost& host) {
  fs::path relative(log);
  std::string folder = Join(destination, relative.parent_path().string());
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw EResearchError("Не удалось создать папку \"" + folder + "\": " + ec.message());
  std::string source = Join(root, log);
  std::string file_name = relative.filename().string();
  std::string ext = format == "LAS" ? "las" : "ls";

  // A log already in the format is copied as it is, unless curves are to be chosen.
  if (Extension(file_name) == format && !host.ChooseCurves) {
    std::string target =
        FreeName(folder, Stem(file_name), Extension(file_name) == "LAS" ? "las" : "ls");
    CopyFileAtomically(source, target);
    return target;
  }

  LogDocument document;
  document.Open(source, options);
  TLogSheet& sheet = document.Sheet();
  if (host.ChooseCurves) {
    CurveChoice choice;
    choice.Keep.assign(static_cast<size_t>(sheet.Count()), true);
    choice.Low = sheet.Start();
    choice.High = sheet.End();
    if (host.ChooseCurves(sheet, choice)) ApplyCurveChoice(sheet, choice);
  }
  std::string name(Trim(sheet.Comments().Value("Условия замера"), kControlOrSpace));
  if (name.empty()) name = Stem(file_name);
  while (!IsValidFileName(name)) {
    std::optional<std::string> answer = host.AskName ? host.AskName(name) : std::nullopt;
    if (!answer) throw EResearchError("недопустимое имя файла \"" + name + "\"");
    name = *answer;
  }
  std::string target = FreeName(folder, name, ext);
  document.SaveAs(target, options);
  return target;
}

}  // namespace

ExportResult ExportLogs(const std::string& root, const std::vector<std::string>& logs,
                        std::string_view format_name, const std::string& destination,
                        const LogFileOptions& options, const ExportHost& host) {
  ExportResult result;
  std::string format = UpperCase(format_name);
  std::set<std::string> folders;
  for (size_t i = 0; i < logs.size(); ++i) {
    if (host.Progress && !host.Progress(static_cast<int>(i), static_cast<int>(logs.size()))) break;
    try {
      result.Written.push_back(ExportOne(root, logs[i], format, destination, options, host));
      folders.insert(fs::path(logs[i]).parent_path().string());
    } catch (const std::exception& e) {
      result.Errors.push_back(std::string("Ошибка сохранения файла: ") + e.what());
    }
  }
  if (format == "LS") {
    for (const std::string& folder : folders) {
      for (const char* name : {Research::kFilesFile, Research::kParamsFile}) {
        std::string from = Join(Join(root, folder), name);
        if (!FileExists(from)) continue;
        try {
          CopyFileAtomically(from, Join(Join(destination, folder), name));
        } catch (const std::exception& e) {
          result.Errors.push_back(std::string("Ошибка сохранения файла: ") + e.what());
        }
      }
    }
  }
  if (host.Progress) host.Progress(static_cast<int>(logs.size()), static_cast<int>(logs.size()));
  return result;
}

// ---- report -------------------------------------------------------------------------

std::vector<CurveFileInfo> ReportRecords(const std::vector<std::string>& paths,
                                         const TLogParameters& dictionary,
                                         const LogFileOptions& options,
                                         std::vector<std::string>& errors) {
  std::vector<CurveFileInfo> records;
  std::set<std::string> seen;
  for (const std::string& path : paths) {
    LogDocument document;
    try {
      document.Open(path, options);
    } catch (const std::exception& e) {
      errors.push_back(fs::path(path).filename().string() + ": " + e.what());
      continue;
    }
    const TLogSheet& s = document.Sheet();
    std::string direction = s.Argument() == laTime                        ? "по времени"
                            : (s.Count() > 0 && s.Tracks(0)->Ascending()) ? "спуск"
                                                                          : "подъем";
    for (int i = 0; i < s.Count(); ++i) {
      const std::string& parameter = s.Tracks(i)->Parameter();
      if (!seen.insert(parameter).second) continue;
      const TLogParameter* p = dictionary.Find(parameter);
      CurveFileInfo r;
      r.Number = static_cast<int>(records.size()) + 1;
      r.FileName = fs::path(path).filename().string();
      r.Curve = p != nullptr && !p->Mnemonic.empty() ? p->Mnemonic : parameter;
      r.Start = s.Start() / 1000.0;
      r.Finish = s.End() / 1000.0;
      r.Direction = direction;
      r.Step = s.SheetStep() / 1000.0;
      r.DateStart = s.Params().Value("StartTime");
      r.DateFinish = s.Params().Value("StopTime");
      records.push_back(std::move(r));
    }
  }
  return records;
}

std::string FillReportTemplate(const std::string& html, const std::vector<CurveFileInfo>& records) {
  size_t mark = html.find("#Num#");
  if (mark == std::string::npos) return html;
  size_t row_start = html.rfind("<tr", mark);
  size_t row_end = html.find("</tr>", mark);
  if (row_start == std::string::npos || row_end == std::string::npos) return html;
  row_end += 5;
  const std::string row = html.substr(row_start, row_end - row_start);
  std::string rows;
  for (const CurveFileInfo& r : records) {
    std::string line = row;
    ReplaceAll(line, "#Num#", std::to_string(r.Number));
    ReplaceAll(line, "#FileName#", EscapeHtml(r.FileName));
    ReplaceAll(line, "#Curve#", EscapeHtml(r.Curve));
    ReplaceAll(line, "#Start#", TwoDecimals(r.Start));
    ReplaceAll(line, "#Finish#", TwoDecimals(r.Finish));
    ReplaceAll(line, "#Direction#", EscapeHtml(r.Direction));
    ReplaceAll(line, "#Step#", TwoDecimals(r.Step));
    ReplaceAll(line, "#DateStart#", EscapeHtml(r.DateStart));
    ReplaceAll(line, "#DateFinish#", EscapeHtml(r.DateFinish));
    rows += line;
  }
  return html.substr(0, row_start) + rows + html.substr(row_end);
}

std::string DefaultReportTemplate() {
  return "<html><head><meta charset=\"utf-8\"></head><body>"
         "<h2 align=\"center\">Справка по материалу</h2>"
         "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">"
         "<tr><th>№</th><th>Файл</th><th>Кривая</th><th>Начало</th><th>Конец</th>"
         "<th>Направление</th><th>Шаг</th><th>Дата начала</th><th>Дата окончания</th></tr>"
         "<tr><td>#Num#</td><td>#FileName#</td><td>#Curve#</td><td>#Start#</td>"
         "<td>#Finish#</td><td>#Direction#</td><td>#Step#</td><td>#DateStart#</td>"
         "<td>#DateFinish#</td></tr></table></body></html>";
}

}  // namespace kest
