// The live witness on loopback with a real broker: latency from a row handed to the
// publisher to a receiver, 50 kest-tool witness clients at once, the bytes an hour
// of a 12-track run costs the link, and the CPU publishing adds to a recording.
// Prints figures, never fails (a missing mosquitto is reported and skipped).
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "bench_line.h"
#include "run_command.h"
#include "witness/broker.h"
#include "witness/witness_publisher.h"
#include "witness/witness_receiver.h"

using namespace kest;
using Clock = std::chrono::steady_clock;

namespace {

WitnessHeader Header12() {
  WitnessHeader h;
  h.started = "2026-12-10T03:15:00+03:00";
  h.step = 0.1;
  for (int i = 0; i < 12; ++i) h.tracks.push_back({"T" + std::to_string(i), "", "", "", 0, 0});
  return h;
}

// A row of plausible log values: depth, time, counts, temperature...
WitnessRow Row(int64_t i) {
  WitnessRow r{1000 + static_cast<double>(i) / 10, {}};
  for (int k = 0; k < 12; ++k)
    r.values.push_back(static_cast<float>(100 * std::sin(0.01 * double(i) + k) + 50 * k + 0.123));
  return r;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(p * double(v.size() - 1))];
}

void Latency(const testing::Broker& broker) {
  WitnessPublisher publisher(ParseWitnessUrl(broker.UnitUrl()));
  std::vector<Clock::time_point> handed(200);
  std::vector<double> ms;
  std::atomic<bool> stop{false};
  std::mutex m;
  std::thread viewer([&] {
    WitnessReceiver r(ParseWitnessUrl(broker.ViewerUrl()), "latest");
    r.Connect(5000);
    std::vector<bool> seen(handed.size());
    while (!stop) {
      r.Poll(5);
      const auto now = Clock::now();
      std::lock_guard lock(m);
      const auto& rows = r.Run().Rows();
      for (size_t i = 0; i < rows.size() && i < seen.size(); ++i) {
        if (seen[i] || rows[i].values.empty()) continue;
        seen[i] = true;
        ms.push_back(std::chrono::duration<double, std::milli>(now - handed[i]).count());
      }
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  publisher.Begin(Header12());
  for (int i = 0; i < 200; ++i) {  // 10 rows a second: 3 600 m/h at 10 cm
    {
      std::lock_guard lock(m);
      handed[size_t(i)] = Clock::now();
    }
    publisher.Add(Row(i));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  publisher.End("001.ls", 200);
  publisher.Flush(5000);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  stop = true;
  viewer.join();
  bench::Line("witness latency median", bench::Format("%zu rows, 10/s", ms.size()),
              bench::Format("%.0f ms", Percentile(ms, 0.5)));
  bench::Line("witness latency p95", bench::Format("%zu rows, 10/s", ms.size()),
              bench::Format("%.0f ms", Percentile(ms, 0.95)));
}

void FiftyClients(const testing::Broker& broker) {
  const int clients = 50, rows = 3000;
  std::vector<std::unique_ptr<testing::Child>> children;
  for (int i = 0; i < clients; ++i)
    children.push_back(std::make_unique<testing::Child>(
        std::string(KEST_TOOL_PATH) + " witness '" + broker.Url("v1", "viewer-pw", "u2") +
            "' --seconds 120",
        broker.Dir().File("client" + std::to_string(i) + ".out")));
  std::this_thread::sleep_for(std::chrono::seconds(2));
  {
    WitnessPublisher publisher(ParseWitnessUrl(broker.Url("u2", "other-pw", "u2")));
    publisher.Begin(Header12());
    for (int i = 0; i < rows; ++i) {
      publisher.Add(Row(i));
      if (i % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    publisher.End("001.ls", rows);
    publisher.Flush(20000);
  }
  int complete = 0;
  for (int i = 0; i < clients; ++i) {
    children[size_t(i)]->Wait(60000);
    std::ifstream in(broker.Dir().File("client" + std::to_string(i) + ".out"));
    std::string line, last;
    while (std::getline(in, line)) last = line;
    complete += last == "rows " + std::to_string(rows);
  }
  bench::Line("witness 50 clients", bench::Format("%d rows, 3 000 rows/s", rows),
              bench::Format("%d of %d got every row", complete, clients));
}

// One hour at 10 rows a second as the publisher sends it: live rows once a second,
// each history chunk when full and the filling one every 10 s. MQTT adds 2 to 5
// bytes of header, 2 of topic length and the topic to each message.
void BytesPerHour() {
  const int64_t rows = 36000;
  const std::string run = "kest/unit7/2026-12-10T03-15-00/";
  double live = 0, history = 0;
  std::vector<WitnessRow> all;
  for (int64_t i = 0; i < rows; ++i) all.push_back(Row(i));
  for (int64_t s = 0; s < 3600; ++s) {
    std::vector<WitnessRow> part(all.begin() + s * 10, all.begin() + s * 10 + 10);
    live += double(RowsJson(s * 10, part).size() + run.size() + 4 + 7);
    const int64_t count = (s + 1) * 10;
    const int64_t chunk = (count - 1) / 1000;
    if (count % 1000 == 0 || s % 10 == 9) {
      std::vector<WitnessRow> c(all.begin() + chunk * 1000, all.begin() + count);
      history += double(RowsJson(chunk * 1000, c, count).size() + run.size() + 4 + 10);
    }
  }
  const double total = live + history;
  bench::Line("witness bytes per hour", "12 tracks, 3 600 m/h, 10 cm",
              bench::Format("%.1f MB (live %.1f, history %.1f), %.0f kbit/s", total / 1e6,
                            live / 1e6, history / 1e6, total * 8 / 3600 / 1000));
}

double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void CpuCost(const testing::Broker& broker) {
  double cpu[2], wall[2];
  for (int publish = 0; publish < 2; ++publish) {
    const std::string root = broker.Dir().File("root" + std::to_string(publish));
    const double c0 = ChildCpuSeconds();
    const auto t0 = Clock::now();
    testing::RunCommand(std::string(KEST_TOOL_PATH) + " record --root '" + root +
                            "' --speed 3600 --from 1000 --to 1020" +
                            (publish ? " --publish '" + broker.UnitUrl() + "'" : ""),
                        true);
    wall[publish] = std::chrono::duration<double>(Clock::now() - t0).count();
    cpu[publish] = ChildCpuSeconds() - c0;
  }
  bench::Line("witness CPU, recording alone", "20 m at 3 600 m/h, 10 cm",
              bench::Format("%.2f %% of a core", 100 * cpu[0] / wall[0]));
  bench::Line("witness CPU, recording publishing", "20 m at 3 600 m/h, 10 cm",
              bench::Format("%.2f %% of a core (+%.2f)", 100 * cpu[1] / wall[1],
                            100 * (cpu[1] / wall[1] - cpu[0] / wall[0])));
}

}  // namespace

int main() {
  BytesPerHour();
  if (!testing::Broker::Available()) {
    std::printf("mosquitto is not installed: the broker figures are left out\n");
    return 0;
  }
  testing::Broker broker;
  if (broker.Setup().code != 0) {
    std::printf("witness-setup failed: %s\n", broker.Setup().out.c_str());
    return 0;
  }
  Latency(broker);
  FiftyClients(broker);
  CpuCost(broker);
  return 0;
}
