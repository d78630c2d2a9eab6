// The byte parser's throughput on a line stream with 1% of bytes corrupted, and the
// cost of the receive thread's work at the real line rate (about 960 packets/s).
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "bench_line.h"
#include "link/logger_packet_driver.h"

int main() {
  kest::TLoggerPacketDriver driver;
  for (int id = 0x10; id < 0x20; ++id) driver.AttachID(static_cast<uint8_t>(id));
  std::mt19937 rng(7);
  std::vector<uint8_t> stream;
  const int kPackets = 2'000'000;
  stream.reserve(kPackets * 6);
  for (int i = 0; i < kPackets; ++i) {
    uint8_t p[6] = {static_cast<uint8_t>(0x10 + i % 16), static_cast<uint8_t>(rng()),
                    static_cast<uint8_t>(rng()),         static_cast<uint8_t>(rng()),
                    static_cast<uint8_t>(rng()),         0};
    p[5] = static_cast<uint8_t>(0x100 - ((p[0] + p[1] + p[2] + p[3] + p[4]) & 0xFF));
    for (auto& b : p)
      if (rng() % 100 == 0) b ^= 0x5A;
    stream.insert(stream.end(), p, p + 6);
  }
  long long delivered = 0;
  auto start = std::chrono::steady_clock::now();
  for (size_t at = 0; at < stream.size(); at += 1536) {
    driver.Feed(stream.data() + at, std::min<size_t>(1536, stream.size() - at));
    for (kest::TPacket p; driver.GetPacket(p);) ++delivered;
  }
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "parser: %d packets (%zu bytes, 1%% corrupted) in %.3f s: %.2f M packets/s, %.1f MB/s\n",
      kPackets, stream.size(), s, kPackets / s / 1e6, stream.size() / s / 1e6);
  std::printf("delivered %lld packets; at 960 packets/s the parser uses %.4f%% of one core\n",
              delivered, 960.0 / (kPackets / s) * 100.0);
  kest::bench::Line("link: packet parser, 1% corrupted",
                    kest::bench::Format("%d packets", kPackets),
                    kest::bench::Format("%.1f MB/s", stream.size() / s / 1e6));
  return 0;
}
