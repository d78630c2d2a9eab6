// Head-line templates: the rich-text reader refuses an input with its error or reads
// it into a model of valid UTF-8; the model then fills in with the sheet's and the
// research parameters, raising only the viewer's errors, and still holds valid UTF-8.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "fuzz_common.h"
#include "lisp/wlisp.h"
#include "log/research_parameters.h"
#include "support/code_page.h"
#include "support/string_list.h"
#include "viewer/core/headline.h"
#include "viewer/core/rtf_reader.h"

using namespace kest;

namespace {

// The descriptions are plain data once read, so the engine and the file go at once.
const TResearchParameters& Research() {
  static const TResearchParameters research = [] {
    TResearchParameters r;
    char path[] = "/tmp/kest-rtf-fuzz-XXXXXX";
    int fd = ::mkstemp(path);
    if (fd < 0) return r;
    const std::string text =
        "(((PARAMETER . OILFIELD) (DISPLAYNAME . \"Месторождение\"))"
        " ((PARAMETER . WELL) (DISPLAYNAME . \"Скважина\"))"
        " ((PARAMETER . AREA) (DISPLAYNAME . \"<[AREA]>\")))";
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (written) {
      TWLisp lisp;
      fuzz::Guarded([&] { r.Reload(path); });
    }
    std::remove(path);
    return r;
  }();
  return research;
}

bool ValidText(const RtfParagraph& p) {
  for (const RtfRun& run : p.Runs)
    if (!IsValidUtf8(run.Text) || !IsValidUtf8(run.Format.Font)) return false;
  return true;
}

bool ValidText(const RtfDocument& doc) {
  for (const RtfBlock& block : doc.Blocks) {
    if (const auto* p = std::get_if<RtfParagraph>(&block)) {
      if (!ValidText(*p)) return false;
      continue;
    }
    for (const RtfTableRow& row : std::get<RtfTable>(block).Rows)
      for (const RtfTableCell& cell : row.Cells)
        for (const RtfParagraph& p : cell.Paragraphs)
          if (!ValidText(p)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const StringList sheet{
      "WELL=1234", "OILFIELD=Самотлорское", "LONG=" + std::string(40, 'x'),
      "ODD=a]b[",  "NESTED=<WELL>[WELL]",   "Прибор=ГК №1"};
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RtfDocument doc;
  if (!fuzz::Guarded([&] { doc = ReadRtf(bytes); })) return 0;
  fuzz::Require(ValidText(doc), "the reader gives valid UTF-8");
  fuzz::Require(HeadLineHeight(doc, 96) >= 0, "a head line is never of negative height");
  RtfDocument filled;
  if (!fuzz::Guarded([&] { filled = FillHeadLine(doc, sheet, Research()); })) return 0;
  fuzz::Require(ValidText(filled), "the filled head line is valid UTF-8");
  fuzz::Require(filled.Blocks.size() == doc.Blocks.size(), "filling keeps the blocks");
  return 0;
}
