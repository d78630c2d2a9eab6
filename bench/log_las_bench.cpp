// LAS export and import of a 1,000,000-row, 10-curve depth log, beside the floor of
// parsing the same data text with std::from_chars alone.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "bench_line.h"
#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "support/stream.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Processor time of this process: on a machine shared with other work the wall
// clock says more about the neighbours than about the code.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

int main() {
  using namespace kest;
  TWLisp lisp;
  TLogParameterTables tables;
  TLasOptions options;
  options.Dictionary = &tables.Parameters();
  options.StepCm = 1;
  tables.Parameters().Add("DEPTH", "Depth", 0, "0.00", "DEPT", "m", "D");
  const int kRows = 1'000'000, kCurves = 10;
  TLogSheet sheet;
  for (int c = 0; c < kCurves; ++c) {
    std::string name = c == 0 ? "DEPTH" : "C" + std::to_string(c);
    if (c > 0) tables.Parameters().Add(name, name, 0, "0.00", name, "u", name);
    sheet.NewTrack(name);
  }
  sheet.SetSteps(10);
  sheet.SetOrigins(100000);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCurves; ++c)
      sheet.Tracks(c)->Append(c == 0 ? 100.0f + r * 0.01f : (r % 1000) * 0.731f + c);

  MemoryStream text;
  auto start = std::chrono::steady_clock::now();
  double cpu = CpuSeconds();
  TLasFiler(options).Write(text, sheet);
  double write_s = Seconds(start), write_cpu = CpuSeconds() - cpu;
  double mb = text.Size() / 1e6;
  std::printf("export: %.1f MB in %.3f s = %.0f MB/s (processor time %.3f s = %.0f MB/s)\n", mb,
              write_s, mb / write_s, write_cpu, mb / write_cpu);

  TLogSheet back;
  text.Seek(0);
  const TLogSheetFilerClass format{"LAS", [&] { return std::make_unique<TLasFiler>(options); }};
  start = std::chrono::steady_clock::now();
  cpu = CpuSeconds();
  LoadSheet(format, text, back, nullptr);
  double read_s = Seconds(start), read_cpu = CpuSeconds() - cpu;
  std::printf(
      "import: %.1f MB in %.3f s = %.0f MB/s (processor time %.3f s = %.0f MB/s; %d tracks x %d "
      "samples)\n",
      mb, read_s, mb / read_s, read_cpu, mb / read_cpu, back.Count(), back.Tracks(0)->Count());
  int64_t floats = 0, physical = 0;
  for (int c = 0; c < back.Count(); ++c) {
    floats += back.Tracks(c)->Count();
    physical += back.Tracks(c)->Capacity();
  }
  std::printf("import memory: samples %.1f MB, buffers (capacity) %.1f MB\n", floats * 4 / 1e6,
              physical * 4 / 1e6);

  // The floor: from_chars over the data section, nothing stored.
  const auto& bytes = text.Bytes();
  const char* p = reinterpret_cast<const char*>(bytes.data());
  const char* end = p + bytes.size();
  const char* data = std::strstr(p, "~ASCII");
  start = std::chrono::steady_clock::now();
  double sum = 0;
  for (const char* q = data ? data + 16 : p; q < end;) {
    while (q < end && (*q == ' ' || *q == '\r' || *q == '\n')) ++q;
    float v;
    auto res = std::from_chars(q, end, v);
    if (res.ec != std::errc()) {
      ++q;
      continue;
    }
    sum += v;
    q = res.ptr;
  }
  double floor_s = Seconds(start);
  std::printf("floor (from_chars over the data, nothing stored): %.0f MB/s (sum %g)\n",
              mb / floor_s, sum);
  // The same data tab-separated, and wrapped at five values a line.
  auto variant = [&](const char* what, auto change) {
    std::vector<uint8_t> v = text.Bytes();
    auto at = std::search(v.begin(), v.end(), data ? data : p, (data ? data : p) + 6) - v.begin();
    change(v, static_cast<size_t>(at));
    MemoryStream in(std::move(v));
    TLogSheet sheet_back;
    auto t0 = std::chrono::steady_clock::now();
    double c0 = CpuSeconds();
    LoadSheet(format, in, sheet_back, nullptr);
    double w = Seconds(t0), c = CpuSeconds() - c0;
    std::printf("import %s: %.0f MB/s (processor time %.0f MB/s; %d samples)\n", what,
                in.Size() / 1e6 / w, in.Size() / 1e6 / c, sheet_back.Tracks(1)->Count());
  };
  variant("tab-separated", [](std::vector<uint8_t>& v, size_t from) {
    for (size_t i = from; i < v.size(); ++i)
      if (v[i] == ' ') v[i] = '\t';
  });
  variant("wrapped", [](std::vector<uint8_t>& v, size_t from) {
    const char wrap[] = "~Version information\r\nWRAP. YES :\r\n";
    int fields = 0;
    for (size_t i = from; i < v.size(); ++i) {
      if (v[i] == '\n') fields = 0;
      if (v[i] == ' ' && ++fields % 5 == 0) v[i] = '\n';
    }
    // The version section is the first; its WRAP line now says YES.
    std::string head(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(from));
    size_t version_end = head.find("WRAP.");
    head = std::string(wrap) + head.substr(head.find('\n', version_end) + 1);
    std::vector<uint8_t> out(head.begin(), head.end());
    out.insert(out.end(), v.begin() + static_cast<std::ptrdiff_t>(from), v.end());
    v.swap(out);
  });

  namespace b = kest::bench;
  std::string size =
      b::Format("%d curves x %d rows, %.1f MB", back.Count(), back.Tracks(0)->Count(), mb);
  b::Line("log: LAS export", size, b::Format("%.0f MB/s", mb / write_s));
  b::Line("log: LAS import", size, b::Format("%.0f MB/s", mb / read_s));
  return 0;
}
