#include "session/research.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "session/session_errors.h"
#include "support/assert.h"
#include "support/atomic_file.h"
#include "support/code_page.h"
#include "support/number_text.h"
#include "support/stream.h"

namespace kest {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCantCreateDir = "Cant create dir";
constexpr const char* kSessionStarted = "Research session started";
constexpr const char* kSessionComplete = "Research session complete";

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::optional<std::string> ResearchFolderPath(std::string_view name) {
  std::string path;
  size_t pos = 0;
  while (true) {
    size_t end = name.find_first_of("/\\", pos);
    std::string_view segment = name.substr(pos, end == std::string_view::npos ? end : end - pos);
    if (segment.empty() || segment == "." || segment == "..") return std::nullopt;
    if (!path.empty()) path += '/';
    path += segment;
    if (end == std::string_view::npos) return path;
    pos = end + 1;
  }
}

bool IsValidDescription(std::string_view text) {
  return text.find_first_of("!#$%&*/@\\^~") == std::string_view::npos;
}

StringList ReadListFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  StringList list;
  list.SetText(
      DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  return list;
}

Research::Research(std::string base, LocalTimeFn now)
    : base_(WithoutTrailingSlash(std::move(base))), dir_(base_ + "/"), now_(now), journal_(now) {}

Research::~Research() = default;

void Research::Open(const std::string& given) {
  std::string name = given;
  if (!name.empty()) {
    auto path = ResearchFolderPath(name);
    if (!path) throw EResearchError(kCantCreateDir);
    name = *path;
  }
  std::error_code ec;
  fs::create_directories(base_, ec);
  dir_ = name.empty() ? base_ + "/" : base_ + "/" + name + "/";
  ResearchParams.Clear();
  if (!name.empty() && FileExists(dir_ + kParamsFile))
    ResearchParams = ReadListFile(dir_ + kParamsFile);
  FileCounter = FileCounterOf(dir_);
  journal_.Close();
  journal_.Open(dir_ + Journal::kSessionFile);
  journal_.Write(kSessionStarted);
  name_ = name;
}

void Research::Start(const std::string& name) {
  KEST_ASSERT(!IsOpen());
  std::string folder;
  if (!name.empty()) {
    auto path = ResearchFolderPath(name);
    if (!path) throw EResearchError(kCantCreateDir);
    folder = *path;
  } else {
    std::error_code ec;
    fs::create_directories(base_, ec);
    folder = NewFolderName(base_, now_());
  }
  std::error_code ec;
  fs::create_directories(base_ + "/" + folder, ec);
  if (ec || !fs::is_directory(base_ + "/" + folder)) throw EResearchError(kCantCreateDir);
  WriteFileAtomically(base_ + "/" + folder + "/" + kParamsFile, ResearchParams.Text());
  StringList params = ResearchParams;
  FileCounter = 0;
  Open(folder);
  ResearchParams = params;
}

void Research::CloseAndAppendJournal() {
  if (!journal_.IsOpen()) return;
  std::string dir = dir_;
  journal_.Close();
  Journal::AppendFile(dir + Journal::kSessionFile, dir + Journal::kJournalFile);
}

void Research::End() {
  journal_.Write(kSessionComplete);
  CloseAndAppendJournal();
  name_.clear();
  Open("");
}

void Research::Exit() { CloseAndAppendJournal(); }

std::string Research::FileName() const {
  char text[32];
  std::snprintf(text, sizeof text, "%.3d.ls", FileCounter);
  return text;
}

void Research::AddToIndex(const std::string& file_name, const std::string& description) {
  FileStream index(dir_ + kFilesFile, FileStream::Mode::ReadWrite);
  std::string line = file_name + "=" + description;
  if (index.Size() > 0) line = "\r\n" + line;
  index.SeekToEnd();
  index.WriteString(line);
  index.Flush();
}

int32_t Research::FileCounterOf(const std::string& dir) {
  int64_t largest = 0;
  bool found = false;
  std::error_code ec;
  for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    std::string file = it->path().filename().string();
    if (file.size() < 3 || !SameText(file.substr(file.size() - 3), ".ls")) continue;
    auto number = ParseInt64(file.substr(0, file.find('.')));
    if (!number || *number < 0 || *number >= INT32_MAX) continue;
    largest = found ? std::max(largest, *number) : *number;
    found = true;
  }
  return found ? static_cast<int32_t>(largest + 1) : 1;
}

std::string Research::NewFolderName(const std::string& base, const DateTime& date) {
  std::string folder = FolderDate(date);
  for (int n = 1; fs::exists(base + "/" + folder); ++n)
    folder = FolderDate(date) + " [" + std::to_string(n) + "]";
  return folder;
}

}  // namespace kest
