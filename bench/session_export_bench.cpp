// Export of a research to LAS as the browser of past recordings does it: 50 logs of
// 100,000 rows (depth and four curves) converted into another folder.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_line.h"
#include "fakes/temp_dir.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "session/log_document.h"
#include "session/research_browser.h"

int main() {
  constexpr int kLogs = 50;
  constexpr int kRows = 100'000;
  kest::testing::TempDir dir;
  kest::TLogParameterTables tables;
  const char* names[] = {"DEPTH", "GK", "NGK", "SP", "TEMP"};
  for (const char* name : names) tables.Parameters().Add(name, name, 0, "0.00", name, "у.е.", name);
  std::string root = dir.File("Research");
  std::vector<std::string> logs;
  for (int n = 0; n < kLogs; ++n) {
    kest::LogDocument doc;
    for (int k = 0; k < 5; ++k) {
      kest::TLogTrack* t = doc.Sheet().NewTrack(names[k]);
      t->SetStep(100);
      t->SetOrigin(1000000);
      t->LoadSamples(kRows, [&](float* out) {
        for (int r = 0; r < kRows; ++r) out[r] = static_cast<float>((r * (k + 7)) % 1000) * 0.01f;
      });
    }
    doc.Sheet().UpdateRange();
    char name[32];
    std::snprintf(name, sizeof name, "%03d.ls", n + 1);
    std::filesystem::create_directories(root + "/Южное/12");
    doc.SaveAs(root + "/Южное/12/" + name, {});
    logs.push_back(std::string("Южное/12/") + name);
  }
  // The shipped LAS step (1 cm: ten rows written per recorded row), then the step of
  // the data (10 cm).
  bool ok = true;
  for (int step_cm : {1, 10}) {
    kest::LogFileOptions options;
    options.Las.StepCm = step_cm;
    auto start = std::chrono::steady_clock::now();
    kest::ExportResult r =
        kest::ExportLogs(root, logs, "LAS", dir.File("out" + std::to_string(step_cm)), options, {});
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("export: %d logs x %d rows x 5 tracks to LAS at %d cm: %.2f s (%zu written)\n",
                kLogs, kRows, step_cm, s, r.Written.size());
    namespace b = kest::bench;
    b::Line(b::Format("session: research export to LAS, %d cm", step_cm),
            b::Format("%d logs x %d rows x 5 tracks", kLogs, kRows), b::Format("%.2f s", s));
    ok = ok && r.Errors.empty();
  }
  return ok ? 0 : 1;
}
