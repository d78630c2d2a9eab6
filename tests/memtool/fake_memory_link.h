#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "memtool/memory_tool_host.h"
#include "memtool/memory_tool_link.h"
#include "memtool/tool_codec.h"

namespace kest::testing {

// A memory tool in a few lines: answers status, clock and page reads from fields a
// test sets, on a link whose Pump delivers the queued reply or else one 100 ms tick.
// Faults: pages that come back short, no reply at all, a port that goes away.
class FakeMemoryLink : public MemoryToolLink {
 public:
  void Send(std::span<const uint8_t> bytes, int pause_ms) override {
    for (uint8_t b : bytes) {
      sent.push_back(b);
      pauses.push_back(pause_ms);
    }
    pending.insert(pending.end(), bytes.begin(), bytes.end());
    Interpret();
  }
  void Pump() override {
    ++pumps;
    if (!replies.empty()) {
      auto [name, value] = replies.front();
      replies.pop_front();
      if (OnReply) OnReply(name, value);
    } else if (OnTick) {
      ++ticks;
      OnTick();
    }
  }
  void SetProtocolMode(uint8_t mode) override { protocol_mode = mode; }
  bool PortLost() const override { return lost; }

  void Reply(const std::string& sensor, uint32_t v) { replies.emplace_back(sensor, v); }

  // Tool state.
  uint32_t status = 0;
  ToolTime clock{2026, 12, 9, 10, 30, 0, 0};
  std::map<int, std::vector<uint32_t>> pages;  // page -> 132 values
  std::map<int, int> short_reads;              // page -> times it comes back short
  bool silent = false;
  bool lost = false;
  int lose_after_pages = -1;  // the port goes away after this many page reads

  std::vector<uint8_t> sent;
  std::vector<int> pauses;
  std::vector<int> page_requests;
  std::deque<std::pair<std::string, uint32_t>> replies;
  int pumps = 0, ticks = 0;
  uint8_t protocol_mode = 0;

 private:
  void Interpret() {
    while (!pending.empty()) {
      uint8_t c = pending.front();
      size_t need = c == 0x06 ? 5 : c == 0x03 ? 8 : 1;
      if (c == 0x07) {
        if (pending.size() < 7) return;
        need = 7 + (size_t{pending[5]} << 8 | pending[6]);
      }
      if (pending.size() < need) return;
      std::vector<uint8_t> cmd(pending.begin(), pending.begin() + static_cast<long>(need));
      pending.erase(pending.begin(), pending.begin() + static_cast<long>(need));
      if (silent || lost) continue;
      Answer(cmd);
    }
  }
  void Answer(const std::vector<uint8_t>& cmd) {
    switch (cmd[0]) {
      case 0x0A:
        Reply("STATUS", status);
        break;
      case 0x02: {
        uint8_t b[7] = {
            ToBcdByte(clock.Year % 100), ToBcdByte(clock.Month),
            ToBcdByte(clock.Day),        ToBcdByte(DayOfWeek(clock.Year, clock.Month, clock.Day)),
            ToBcdByte(clock.Hour),       ToBcdByte(clock.Minute),
            ToBcdByte(clock.Second)};
        Reply("DATETIME", uint32_t{b[1]} << 24 | uint32_t{b[2]} << 16 | b[0]);
        Reply("DATETIME", uint32_t{b[5]} << 24 | uint32_t{b[6]} << 16 | uint32_t{b[3]} << 8 | b[4]);
        break;
      }
      case 0x03:
      case 0x07:
        Reply("MESSAGELINK", 0);
        break;
      case 0x06: {
        int first = cmd[1] << 8 | cmd[2], last = cmd[3] << 8 | cmd[4];
        for (int p = first; p <= last; ++p) {
          page_requests.push_back(p);
          if (lose_after_pages >= 0 && static_cast<int>(page_requests.size()) > lose_after_pages) {
            lost = true;
            return;
          }
          auto& values = pages[p];
          values.resize(132);
          size_t n = values.size();
          if (short_reads[p] > 0) {
            --short_reads[p];
            n = 100;
          }
          for (size_t i = 0; i < n; ++i) Reply("TASK", values[i]);
        }
        break;
      }
      default:
        break;
    }
  }
  std::vector<uint8_t> pending;
};

// Answers questions from a script and keeps what the status bar showed.
class FakeMemoryHost : public MemoryToolHost {
 public:
  bool AskWarning(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  void ShowStatusText(const std::string& text) override { texts.push_back(text); }
  void ShowActivity(bool busy) override { activity.push_back(busy); }
  bool answer = true;
  std::vector<std::string> questions;
  std::vector<std::string> texts;
  std::vector<bool> activity;
};

}  // namespace kest::testing
