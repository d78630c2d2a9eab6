// kest-tool decode: runs a captured link byte stream through the packet parser alone
// and prints every packet it accepts, then the good and bad counts.
#include <cstdio>

#include "command.h"
#include "link/logger_packet_driver.h"
#include "support/number_text.h"
#include "support/stream.h"

namespace kest::tool {
namespace {

std::vector<uint8_t> ReadInput(const std::string& name) {
  if (name != "-") return ReadWholeFile(name);
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, stdin))
    bytes.insert(bytes.end(), buffer, buffer + n);
  return bytes;
}

uint8_t ParseId(const std::string& text) {
  std::optional<int64_t> value;
  if (text.size() > 2 && (text[0] == '0') && (text[1] == 'x' || text[1] == 'X')) {
    int64_t v = 0;
    bool ok = text.size() <= 4;
    for (size_t i = 2; ok && i < text.size(); ++i) {
      char c = text[i];
      int digit = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
      ok = digit >= 0;
      v = v * 16 + digit;
    }
    if (ok) value = v;
  } else {
    value = ParseInt64(text);
  }
  if (!value || *value < 0 || *value > 255) throw UsageError("not a packet ID: \"" + text + "\"");
  return static_cast<uint8_t>(*value);
}

int Decode(const std::vector<std::string>& argv) {
  auto args = argv;
  std::string attach = TakeOption(args, "--attach");
  ExpectPositional(args, 1);
  TLoggerPacketDriver driver;
  size_t start = 0;
  while (!attach.empty() && start <= attach.size()) {
    size_t comma = attach.find(',', start);
    std::string id =
        attach.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    driver.AttachID(ParseId(id));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::vector<uint8_t> bytes = ReadInput(args[0]);
  std::string out;
  // Feed in slices well below the ring size so that no packet is lost to the ring.
  const size_t kSlice = size_t{6} * 256;
  for (size_t at = 0; at < bytes.size(); at += kSlice) {
    driver.Feed(bytes.data() + at, std::min(kSlice, bytes.size() - at));
    for (TPacket p; driver.GetPacket(p);) {
      char line[20];
      std::snprintf(line, sizeof line, "%02X %02X %02X %02X %02X %02X\n", p[0], p[1], p[2], p[3],
                    p[4], p[5]);
      out += line;
    }
  }
  // Without ticks the driver's counters are never cleared: they are the totals.
  out += "good=" + std::to_string(driver.GoodCount()) +
         " bad=" + std::to_string(driver.BadCount()) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("decode", "[--attach ID,ID,...] FILE|-",
                  "frame a captured link byte stream into packets (IDs decimal or 0x hex)", Decode);

}  // namespace kest::tool
