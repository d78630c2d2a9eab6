// LS load and save of 20 tracks x 1,000,000 samples, against plain file I/O of the
// same bytes (the floor) on the same machine. Prints figures; never fails on time.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_line.h"
#include "log/log_sheet.h"
#include "support/stream.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTracks = 20;
constexpr int kSamples = 1000000;
constexpr int kRounds = 5;

template <typename F>
double BestSeconds(F&& run) {
  double best = 1e30;
  for (int i = 0; i < kRounds; ++i) {
    auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

void Fill(kest::TLogSheet& sheet) {
  for (int t = 0; t < kTracks; ++t) {
    kest::TLogTrack* track = sheet.NewTrack();
    track->SetParameter("P" + std::to_string(t));
    track->SetStep(100);
    for (int i = 0; i < kSamples; ++i) track->Append(std::sin(i * 0.001f * float(t + 1)) * 100.f);
  }
}

}  // namespace

int main() {
  auto dir = std::filesystem::temp_directory_path() / "kest-ls-bench";
  std::filesystem::create_directories(dir);
  std::string ls_path = (dir / "bench.ls").string();
  std::string raw_path = (dir / "bench.raw").string();

  kest::TLogSheet sheet;
  Fill(sheet);

  double save = BestSeconds([&] { sheet.SaveToFile(ls_path, "LS"); });
  std::vector<uint8_t> bytes = kest::ReadWholeFile(ls_path);
  double mb = static_cast<double>(bytes.size()) / 1e6;

  double save_memory = BestSeconds([&] {
    kest::MemoryStream out;
    sheet.SaveToStream(out, "LS");
  });
  kest::MemoryStream in(bytes);
  double load_memory = BestSeconds([&] {
    in.Seek(0);
    kest::TLogSheet back;
    back.LoadFromStream(in, "LS");
  });
  double load = BestSeconds([&] {
    kest::TLogSheet back;
    back.LoadFromFile(ls_path, "LS");
  });
  double raw_write = BestSeconds([&] {
    kest::FileStream out(raw_path, kest::FileStream::Mode::Create);
    out.Write(bytes.data(), bytes.size());
    out.Flush();
  });
  double raw_read = BestSeconds([&] {
    std::vector<uint8_t> again = kest::ReadWholeFile(raw_path);
    if (again.size() != bytes.size()) std::printf("short read\n");
  });

  std::printf("LS file of %d tracks x %d samples: %.1f MB (best of %d)\n", kTracks, kSamples, mb,
              kRounds);
  std::printf("  save  %8.1f MB/s  (plain write + fsync %8.1f MB/s, ratio %.2f)\n", mb / save,
              mb / raw_write, save / raw_write);
  std::printf("  load  %8.1f MB/s  (plain read           %8.1f MB/s, ratio %.2f)\n", mb / load,
              mb / raw_read, load / raw_read);
  std::printf("  in memory: save %8.1f MB/s, load %8.1f MB/s\n", mb / save_memory,
              mb / load_memory);
  namespace b = kest::bench;
  std::string size = b::Format("%d tracks x %d samples, %.1f MB", kTracks, kSamples, mb);
  b::Line("log: LS save to file", size, b::Format("%.1f MB/s", mb / save));
  b::Line("log: LS load from file", size, b::Format("%.1f MB/s", mb / load));
  b::Line("log: LS save in memory", size, b::Format("%.1f MB/s", mb / save_memory));
  b::Line("log: LS load in memory", size, b::Format("%.1f MB/s", mb / load_memory));
  std::filesystem::remove_all(dir);
  return 0;
}
