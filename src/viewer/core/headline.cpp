#include "viewer/core/headline.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "log/research_parameters.h"
#include "support/code_page.h"
#include "support/stream.h"
#include "support/string_list.h"
#include "viewer/core/rtf_reader.h"
#include "viewer/core/viewer_types.h"

namespace kest {

namespace {

namespace fs = std::filesystem;

constexpr size_t kNone = std::string::npos;

// One character of a line (a UTF-8 code point) and the index of its format.
struct Glyph {
  std::string ch;
  size_t format;
};
using Glyphs = std::vector<Glyph>;

[[noreturn]] void InvalidHeaderData() { throw ELogViewerError("Invalid header data"); }

void AppendGlyphs(Glyphs& out, std::string_view text, size_t format) {
  for (size_t pos = 0; pos < text.size();) {
    size_t start = pos;
    DecodeUtf8(text, pos);
    out.push_back(Glyph{std::string(text.substr(start, pos - start)), format});
  }
}

size_t Find(const Glyphs& line, char c, size_t from) {
  for (size_t i = from; i < line.size(); ++i)
    if (line[i].ch.size() == 1 && line[i].ch[0] == c) return i;
  return kNone;
}

class Filler {
 public:
  Filler(const StringList& sheet, const TResearchParameters& research)
      : sheet_(sheet), research_(research) {}

  RtfParagraph Fill(const RtfParagraph& paragraph) {
    formats_.clear();
    Glyphs all;
    for (const RtfRun& run : paragraph.Runs) AppendGlyphs(all, run.Text, FormatIndex(run.Format));
    Glyphs out;
    Glyphs line;
    for (Glyph& g : all) {
      if (g.ch != "\n") {
        line.push_back(std::move(g));
        continue;
      }
      FillLine(line);
      out.insert(out.end(), line.begin(), line.end());
      out.push_back(std::move(g));
      line.clear();
    }
    FillLine(line);
    out.insert(out.end(), line.begin(), line.end());

    RtfParagraph filled;
    filled.Format = paragraph.Format;
    filled.EndFormat = paragraph.EndFormat;
    for (const Glyph& g : out) {
      if (filled.Runs.empty() || !(filled.Runs.back().Format == formats_[g.format]))
        filled.Runs.push_back(RtfRun{std::string(), formats_[g.format]});
      filled.Runs.back().Text += g.ch;
    }
    return filled;
  }

 private:
  size_t FormatIndex(const RtfCharFormat& format) {
    auto it = std::find(formats_.begin(), formats_.end(), format);
    if (it != formats_.end()) return static_cast<size_t>(it - formats_.begin());
    formats_.push_back(format);
    return formats_.size() - 1;
  }

  void FillLine(Glyphs& line) {
    size_t from = 0;
    for (;;) {
      size_t open = Find(line, '<', from);
      if (open == kNone) break;
      size_t close = Find(line, '>', from);
      if (close < open) InvalidHeaderData();
      if (close == kNone) break;
      std::string name;
      for (size_t i = open + 1; i < close; ++i) name += line[i].ch;
      Glyphs value;
      const size_t format = line[open].format;
      AppendGlyphs(value, ResearchNames(SheetValue(name)), format);
      for (size_t i = open; i <= close; ++i) line[i].ch.assign(1, ' ');
      size_t at = open;
      for (Glyph& g : value) {
        if (at < line.size())
          line[at] = std::move(g);
        else
          line.push_back(std::move(g));
        ++at;
      }
      // The value is never searched again, so a "<" in it is text.
      from = std::max(at, close + 1);
    }
    while (!line.empty() && line.back().ch == " ") line.pop_back();
  }

  std::string SheetValue(const std::string& name) const {
    int index = sheet_.IndexOfName(name);
    if (index >= 0 && !sheet_.ValueFromIndex(index).empty()) return sheet_.ValueFromIndex(index);
    // A recorded log knows its date as the recording's start.
    if (SameText(name, "DATE")) return sheet_.Value("StartTime");
    if (index >= 0) return std::string();
    return name.find('[') != kNone ? name : std::string();
  }

  std::string ResearchNames(std::string_view text) const {
    std::string out;
    size_t from = 0;
    for (;;) {
      size_t open = text.find('[', from);
      size_t close = text.find(']', from);
      if (close < open) InvalidHeaderData();
      if (open == kNone || close == kNone) break;
      out += text.substr(from, open - from);
      out += research_.ByName(text.substr(open + 1, close - open - 1)).DisplayName;
      from = close + 1;
    }
    out += text.substr(from);
    return out;
  }

  const StringList& sheet_;
  const TResearchParameters& research_;
  std::vector<RtfCharFormat> formats_;
};

// Sum of the character heights (in points) of a paragraph's lines.
double ParagraphPoints(const RtfParagraph& paragraph) {
  double sum = 0;
  double line = 0;  // the largest size on the current line; 0 while it is empty
  for (const RtfRun& run : paragraph.Runs) {
    std::string_view text = run.Text;
    for (size_t pos = 0;;) {
      size_t brk = text.find('\n', pos);
      if ((brk == kNone ? text.size() : brk) > pos) line = std::max(line, run.Format.Points());
      if (brk == kNone) break;
      sum += line > 0 ? line : run.Format.Points();
      line = 0;
      pos = brk + 1;
    }
  }
  return sum + (line > 0 ? line : paragraph.EndFormat.Points());
}

double CellPoints(const RtfTableCell& cell) {
  double sum = 0;
  for (const RtfParagraph& p : cell.Paragraphs) sum += ParagraphPoints(p);
  return sum;
}

}  // namespace

RtfDocument FillHeadLine(const RtfDocument& head_line, const StringList& sheet_params,
                         const TResearchParameters& research) {
  Filler filler(sheet_params, research);
  RtfDocument filled;
  filled.DefaultTab = head_line.DefaultTab;
  for (const RtfBlock& block : head_line.Blocks) {
    if (const auto* paragraph = std::get_if<RtfParagraph>(&block)) {
      filled.Blocks.emplace_back(filler.Fill(*paragraph));
      continue;
    }
    RtfTable table = std::get<RtfTable>(block);
    for (RtfTableRow& row : table.Rows)
      for (RtfTableCell& cell : row.Cells)
        for (RtfParagraph& p : cell.Paragraphs) p = filler.Fill(p);
    filled.Blocks.emplace_back(std::move(table));
  }
  return filled;
}

RtfDocument LoadHeadLine(const std::string& template_path, const StringList& sheet_params) {
  std::string params_file = HeadLineParamsFile(template_path);
  if (params_file.empty())
    throw ELogViewerError("Нет файла параметров исследования (.RP) для шапки \"" + template_path +
                          "\"");
  TResearchParameters research;
  research.Reload(params_file);
  FileStream in(template_path, FileStream::Mode::Read);
  const RtfReaderLimits limits;
  // The size is checked before anything is read; the reader names the limit.
  const size_t size = static_cast<size_t>(std::max<int64_t>(in.Size(), 0));
  std::string bytes(std::min(size, limits.MaxInput + 1), '\0');
  bytes.resize(in.Read(bytes.data(), bytes.size()));
  return FillHeadLine(ReadRtf(bytes, limits), sheet_params, research);
}

int HeadLineHeight(const RtfDocument& head_line, double screen_pixels_per_inch) {
  double points = 0;
  for (const RtfBlock& block : head_line.Blocks) {
    if (const auto* paragraph = std::get_if<RtfParagraph>(&block)) {
      points += ParagraphPoints(*paragraph);
      continue;
    }
    for (const RtfTableRow& row : std::get<RtfTable>(block).Rows) {
      double tallest = 0;
      for (const RtfTableCell& cell : row.Cells) tallest = std::max(tallest, CellPoints(cell));
      points += tallest;
    }
  }
  return static_cast<int>(std::trunc(2.5 * points * screen_pixels_per_inch / 72.0));
}

std::vector<std::string> HeadLineTemplates(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    std::string name = it->path().filename().string();
    if (name.size() > 4 && SameText(std::string_view(name).substr(name.size() - 4), ".rtf"))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string HeadLineParamsFile(const std::string& template_path) {
  fs::path path(template_path);
  fs::path folder = path.parent_path();
  std::string wanted = path.stem().string() + ".RP";
  if (FileExists((folder / wanted).string())) return (folder / wanted).string();
  std::error_code error;
  std::vector<std::string> found;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
       !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (SameText(name, wanted) && it->is_regular_file(error)) found.push_back(name);
  }
  if (found.empty()) return std::string();
  std::sort(found.begin(), found.end());
  return (folder / found.front()).string();
}

}  // namespace kest
