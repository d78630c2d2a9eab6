// Writes the seed corpora: small valid inputs of every format, made by the product's
// own writers, so the fuzzers start from the structure and mutate from there.
//   seed_writer OUT_DIR      (creates OUT_DIR/<target>/<name>)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/lzhuf_encoder.h"
#include "log/param_list.h"
#include "log/tmp_filer.h"
#include "support/stream.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/hue_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/text_column.h"

using namespace kest;
namespace fs = std::filesystem;

namespace {

fs::path g_root;

void Put(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
  fs::create_directories(g_root / target);
  std::ofstream out(g_root / target / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void Put(const std::string& target, const std::string& name, const std::string& text) {
  Put(target, name, std::vector<uint8_t>(text.begin(), text.end()));
}

void FillSheet(TLogSheet& sheet, int rows, bool with_params) {
  sheet.Clear();
  TLogTrack* gr = sheet.NewTrack("GR");
  gr->SetOrigin(100000);
  gr->SetStep(100);
  TLogTrack* sp = sheet.NewTrack("SP");
  sp->SetOrigin(100000);
  sp->SetStep(100);
  for (int i = 0; i < rows; ++i) {
    gr->Append(static_cast<float>(i % 7) * 1.5f);
    sp->Append(i < rows / 2 ? -9999.99f : static_cast<float>(i));
  }
  if (with_params) {
    sheet.Params().Add("Company=Скважина");
    sheet.Params().Add("StartTime=01.02.2003 04:05:06");
    sheet.Comments().Add("comment");
  }
  sheet.UpdateRange();
}

std::vector<uint8_t> SaveLS(TLogSheet& sheet) {
  MemoryStream out;
  sheet.SaveToStream(out, "LS");
  return out.Bytes();
}

void WriteLogSeeds() {
  TLogSheet sheet;
  FillSheet(sheet, 0, false);
  Put("ls", "empty.ls", SaveLS(sheet));
  FillSheet(sheet, 40, true);
  std::vector<uint8_t> ls = SaveLS(sheet);
  Put("ls", "two_tracks.ls", ls);
  std::vector<uint8_t> payload(ls.begin() + 4, ls.end());
  Put("component", "sheet.bin", payload);
  std::vector<uint8_t> ls04 = {'L', 'S', '0', '4'};
  std::vector<uint8_t> packed = testing::LzhufEncode(payload).bytes;
  ls04.insert(ls04.end(), packed.begin(), packed.end());
  Put("ls", "two_tracks_04.ls", ls04);
  Put("lzhuf", "sheet.lzh", packed);
  Put("lzhuf", "text.lzh", testing::LzhufEncode(std::vector<uint8_t>(300, ' ')).bytes);

  TLogParameterTables tables;
  TLasOptions options;
  tables.Parameters().Add("GR", "Gamma ray", 1, "0.00", "GR", "API", "GR");
  tables.Parameters().Add("SP", "Spontaneous potential", 2, "0.0", "SP", "mV", "SP");
  options.Dictionary = &tables.Parameters();
  TLasFiler las(options);
  FillSheet(sheet, 20, true);
  MemoryStream las_out;
  las.Write(las_out, sheet);
  Put("las", "export.las", las_out.Bytes());

  fs::path tmp = g_root / "crash.tmp";
  fs::remove(tmp);
  FillSheet(sheet, 30, false);
  TTMPFiler::AppendRows(tmp.string(), sheet, sheet.Start(), 5, sheet.End());
  Put("tmp", "crash.tmp", ReadWholeFile(tmp.string()));
  fs::remove(tmp);

  TParamList list;
  list.Ensure("Name").SetString("Скважина 1");
  list.Ensure("Depth").SetFloat(1234.5);
  list.Ensure("Count").SetInteger(7);
  list.Ensure("Done").SetBoolean(true);
  list.Ensure("Empty");
  MemoryStream params;
  list.WriteData(params);
  Put("param_list", "four.bin", params.Bytes());
}

void WriteTextSeeds() {
  const char* scripts[] = {
      "(+ 1 2)",
      "(setq f (lambda (x) (if (zerop x) 0 (+ 1 (funcall f (1- x)))))) (funcall f 10)",
      "'(a (b . c) \"str;()\" 1,5 2.5e1 $ff #car)",
      "(cond ((null nil) (list 1 2 3)) (t (reverse '(1 2))))",
      "(apply '+ '(1 2 3)) (putprop 'a 1 'p) (get 'a 'p) (symbol-plist 'a)",
      "(assoc 'b '((a . 1) (b . 2))) (append '(1) '(2)) (type-of 1.5)",
      "; comment\n(POLY 2.0 1.0 2.0 3.0) (LN 2.0) (* 2 3) (/ 6.0 2.0)",
  };
  int i = 0;
  for (const char* s : scripts) {
    Put("lisp_reader", "s" + std::to_string(i), s);
    Put("lisp_eval", "s" + std::to_string(i), s);
    ++i;
  }
  const char* formulas[] = {
      ".-2^2\n2^-1\n2^3^2\n5!\n50%\n7 mod 3\n-7 div 2",
      ".x := 2\nmax(1.5, 2)\n'abc' in 'x,abc,y'\n'B' = 'b'\nsin(x) + cos(y)*depth",
      ",max(1,5; 2)\nnot 0\n3 and 5\n3 or 5\n$FF + 1",
      ".ln(x) / (y - y)\nexp(1000)\nsqrt(-1)\nrandom\nz + 1\n// note",
  };
  i = 0;
  for (const char* f : formulas) Put("expr", "f" + std::to_string(i++), f);

  std::vector<uint8_t> packets = {0xFF, 4, 0x05, 1, 2,    3,    4, 0xF1, 0x92, 0x93, 0x05,
                                  1,    2, 3,    4, 0xF0, 0x05, 0, 0,    0,    0,    0xFB};
  Put("packet", "p0", packets);
}

}  // namespace

// A viewer without a window, to save layouts.
class SeedViewer : public TLogViewerCore {
 public:
  SeedViewer() { SetSheetPanelSize(800, 600); }

 protected:
  TCanvas* BeginSheetPaint() override { return nullptr; }
};

void WriteLayoutSeeds() {
  SeedViewer v;
  auto* arg = v.NewColumn<TArgColumn>();
  auto* g = v.NewColumn<TGraphicsColumn>();
  auto* text = v.NewColumn<TTextColumn>();
  auto* hue = v.NewColumn<THueColumn>();
  arg->AddChild(v.RootColumn());
  g->InsertAfter(arg);
  hue->InsertAfter(g);
  text->AddChild(g);
  arg->SetRelativeWidth(150);
  g->SetRelativeWidth(500);
  hue->SetRelativeWidth(350);
  g->SetParameter("GK");
  g->SetNegScale(-20);
  g->SetFilterLen(4);
  text->SetParameter("PS");
  MemoryStream out;
  v.SaveLayout(out);
  Put("layout", "tablet.bin", out.Bytes());
  SeedViewer empty;
  MemoryStream bare;
  empty.SaveLayout(bare);
  Put("layout", "empty.bin", bare.Bytes());
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: seed_writer OUT_DIR\n");
    return 2;
  }
  g_root = argv[1];
  TWLisp lisp;
  WriteLogSeeds();
  WriteTextSeeds();
  WriteLayoutSeeds();
  return 0;
}
