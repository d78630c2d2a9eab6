// The receiver's rebuilding of a run from the wire: any order the format allows, a
// viewer joining at any moment, lost live messages, damaged messages.
#include "witness/witness_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>

#include "log/log_sheet.h"
#include "witness/witness_format.h"

namespace kest {
namespace {

WitnessHeader Header(size_t tracks, const std::string& direction = "down") {
  WitnessHeader h;
  h.unit = "u1";
  h.run = "r";
  h.direction = direction;
  h.time = direction == "time";
  h.step = 0.1;
  for (size_t i = 0; i < tracks; ++i)
    h.tracks.push_back({"T" + std::to_string(i), "", "", "", 0, 0});
  return h;
}

// Arguments travel in millimetres (or milliseconds), values as exact floats.
bool SameRows(const std::vector<WitnessRow>& a, const std::vector<WitnessRow>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::fabs(a[i].arg - b[i].arg) > 1e-7 || a[i].values.size() != b[i].values.size()) {
      ADD_FAILURE() << "row " << i << ": " << a[i].arg << " / " << b[i].arg;
      return false;
    }
    for (size_t k = 0; k < a[i].values.size(); ++k) {
      const float x = a[i].values[k], y = b[i].values[k];
      if (!(x == y || (std::isnan(x) && std::isnan(y)))) {
        ADD_FAILURE() << "row " << i << " value " << k << ": " << x << " / " << y;
        return false;
      }
    }
  }
  return true;
}

// A publisher as the format describes it, at the level of messages: live rows from
// the first changed row, history chunks of the changed stretches at random moments,
// chunks withdrawn whole cleared, the end last. What is retained is kept per topic.
struct Wire {
  std::mt19937 rng;
  size_t width;
  std::vector<WitnessRow> rows;
  int64_t live_from = 0;
  std::map<int64_t, bool> dirty;  // chunks
  int64_t chunks_retained = 0;
  std::map<std::string, std::string> retained;
  std::vector<std::pair<std::string, std::string>> sent;  // topic, payload, in order

  Wire(unsigned seed, size_t w) : rng(seed), width(w) {
    Send("header", HeaderJson(Header(width)), true);
  }
  void Send(const std::string& topic, const std::string& payload, bool retain) {
    if (retain) {
      if (payload.empty())
        retained.erase(topic);
      else
        retained[topic] = payload;
    }
    sent.emplace_back(topic, payload);
  }
  void Dirty(int64_t from) {
    const int64_t end = std::max<int64_t>(rows.size(), chunks_retained * kHistoryChunk);
    for (int64_t c = from / kHistoryChunk; c * kHistoryChunk < std::max(end, from + 1); ++c)
      dirty[c] = true;
  }
  void Add(int n) {
    std::uniform_real_distribution<float> v(-1e6f, 1e6f);
    for (int i = 0; i < n; ++i) {
      WitnessRow r;
      r.arg = 1000.0 + static_cast<double>(rows.size()) * 0.1;
      for (size_t k = 0; k < width; ++k) r.values.push_back(rng() % 7 == 0 ? NAN : v(rng));
      rows.push_back(r);
      Dirty(static_cast<int64_t>(rows.size()) - 1);
    }
  }
  void Withdraw(int n) {
    const int64_t left = std::max<int64_t>(0, static_cast<int64_t>(rows.size()) - n);
    Dirty(left);
    rows.resize(static_cast<size_t>(left));
    live_from = std::min(live_from, left);
  }
  void Live(bool lost) {
    const int64_t n = static_cast<int64_t>(rows.size());
    std::vector<WitnessRow> part(rows.begin() + live_from, rows.end());
    if (!lost) Send("rows", RowsJson(live_from, part), false);
    live_from = n;
  }
  void History(bool all) {
    const int64_t n = static_cast<int64_t>(rows.size());
    for (auto it = dirty.begin(); it != dirty.end();) {
      if (!all && rng() % 2) {
        ++it;
        continue;
      }
      const int64_t from = it->first * kHistoryChunk;
      const std::string topic = "history/" + std::to_string(it->first);
      if (from >= n) {
        Send(topic, "", true);
      } else {
        std::vector<WitnessRow> part(rows.begin() + from,
                                     rows.begin() + std::min(n, from + kHistoryChunk));
        Send(topic, RowsJson(from, part, n), true);
      }
      it = dirty.erase(it);
    }
    chunks_retained = (n + kHistoryChunk - 1) / kHistoryChunk;
  }
  void End() {
    Live(false);
    History(true);
    Send("end", EndJson({"001.ls", static_cast<int64_t>(rows.size())}), true);
  }
};

void Deliver(WitnessRun& run, const std::string& topic, const std::string& payload,
             bool retained = false) {
  if (topic == "header")
    run.OnHeader(payload);
  else if (topic == "rows")
    run.OnRows(payload);
  else if (topic == "end")
    run.OnEnd(payload);
  else
    run.OnHistory(std::stoll(topic.substr(8)), payload, retained);
}

// Many runs moving down and back up across chunk borders; viewers join at every
// stage, get what is retained in any order, then the live stream with a few live
// messages lost. Each one ends with exactly the publisher's rows.
TEST(WitnessRun, RebuildsTheRunWhereverTheViewerJoins) {
  int complete = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    Wire wire(seed, 1 + seed % 4);
    std::mt19937& rng = wire.rng;
    const int steps = 60;
    const int join = static_cast<int>(rng() % steps);
    std::vector<WitnessRun> viewers;
    size_t joined_at = 0;
    for (int step = 0; step < steps; ++step) {
      if (step == join) {
        // A viewer that subscribes now gets the retained messages in any order.
        std::vector<std::pair<std::string, std::string>> held(wire.retained.begin(),
                                                              wire.retained.end());
        std::shuffle(held.begin(), held.end(), rng);
        viewers.emplace_back();
        for (auto& [topic, payload] : held) Deliver(viewers.back(), topic, payload, true);
        joined_at = wire.sent.size();
      }
      switch (rng() % 6) {
        case 0:
          wire.Withdraw(static_cast<int>(rng() % 1500));
          break;
        case 1:
          wire.History(false);
          break;
        case 2:
          wire.Live(rng() % 8 == 0);
          break;
        default:
          wire.Add(static_cast<int>(rng() % 400));
          wire.Live(rng() % 8 == 0);
      }
    }
    wire.End();
    WitnessRun from_start;
    for (auto& [topic, payload] : wire.sent) Deliver(from_start, topic, payload);
    for (size_t i = joined_at; i < wire.sent.size(); ++i)
      Deliver(viewers.back(), wire.sent[i].first, wire.sent[i].second);
    for (const WitnessRun* run : {&from_start, &viewers.back()}) {
      ASSERT_TRUE(run->Complete())
          << "seed " << seed << (run == &from_start ? " from the start" : " joined") << ": "
          << run->Rows().size() << " of " << wire.rows.size() << " rows";
      ASSERT_TRUE(SameRows(run->Rows(), wire.rows))
          << "seed " << seed << (run == &from_start ? " from the start" : " joined");
      ++complete;
    }
  }
  EXPECT_EQ(complete, 80);
}

// Damaged messages on a run's topics are left out with a notice and change nothing
// the receiver holds, whatever shape the damage takes.
TEST(WitnessRun, DamagedMessagesAreLeftOutWithANotice) {
  std::vector<std::string> notices;
  WitnessRun run([&](const std::string& text) { notices.push_back(text); });
  ASSERT_TRUE(run.OnHeader(HeaderJson(Header(2))));
  ASSERT_TRUE(run.OnRows(RowsJson(0, {{1000.0, {1.5f, NAN}}, {1000.1, {2.5f, 3.5f}}})));
  ASSERT_TRUE(
      run.OnHistory(0, RowsJson(0, {{1000.0, {1.5f, NAN}}, {1000.1, {2.5f, 3.5f}}}, 2), false));
  const std::vector<WitnessRow> held = run.Rows();

  std::string huge = "{\"from\":2,\"rows\":[";
  while (huge.size() <= kMaxWitnessMessage) huge += "[1000.2,1,2],";
  huge += "[1000.2,1,2]]}";
  const std::vector<std::string> bad_rows = {
      "",
      "not json",
      "{\"from\":2,\"rows\":[[1000.2,1,2]]",          // cut short
      "[1,2,3]",                                      // not an object
      "{\"rows\":[[1000.2,1,2]]}",                    // no from
      "{\"from\":-1,\"rows\":[[1000.2,1,2]]}",        // negative
      "{\"from\":1.5,\"rows\":[[1000.2,1,2]]}",       // not an index
      "{\"from\":\"2\",\"rows\":[[1000.2,1,2]]}",     // a string
      "{\"from\":99999999999999999999,\"rows\":[]}",  // beyond any run
      "{\"from\":1099511627776,\"rows\":[[1,1,2]]}",  // K beyond the last index
      "{\"from\":2,\"rows\":[[1000.2,1]]}",           // too few values
      "{\"from\":2,\"rows\":[[1000.2,1,2,3]]}",       // too many
      "{\"from\":2,\"rows\":[[]]}",                   // empty row
      "{\"from\":2,\"rows\":[[null,1,2]]}",           // no argument
      "{\"from\":2,\"rows\":[[1000.2,\"1\",2]]}",     // a string value
      "{\"from\":2,\"rows\":[[1000.2,true,2]]}",      // a boolean
      "{\"from\":2,\"rows\":[[1000.2,[1],2]]}",       // nested
      "{\"from\":2,\"rows\":[[1e300,1,2]]}",          // argument out of range
      "{\"from\":2,\"rows\":{\"a\":1}}",              // rows not a list
      "{\"from\":2,\"rows\":[5]}",                    // a row not a list
      "{\"from\":2,\"rows\":[[NaN,1,2]]}",            // not JSON numbers
      "{\"from\":0,\"rows\":[[1000.0,1,2]],\"total\":\"x\"}",
      huge,
  };
  for (const std::string& bad : bad_rows) {
    const size_t before = notices.size();
    EXPECT_FALSE(run.OnRows(bad)) << bad.substr(0, 60);
    EXPECT_EQ(notices.size(), before + 1) << bad.substr(0, 60);
    if (!bad.empty()) {  // "" clears the chunk
      EXPECT_FALSE(run.OnHistory(0, bad, false)) << bad.substr(0, 60);
    }
    EXPECT_TRUE(SameRows(run.Rows(), held)) << bad.substr(0, 60);
  }
  // History that does not hold what its topic says.
  for (const std::string& bad : {RowsJson(0, {{1000.0, {1, 2}}}),        // no total
                                 RowsJson(1000, {{1000.0, {1, 2}}}, 5),  // from not 0
                                 RowsJson(0, {{1000.0, {1, 2}}}, 0)}) {  // total too small
    EXPECT_FALSE(run.OnHistory(0, bad, false)) << bad;
    EXPECT_TRUE(SameRows(run.Rows(), held));
  }
  EXPECT_FALSE(run.OnHistory(-1, RowsJson(0, {}, 0), false));
  EXPECT_FALSE(run.OnHistory(int64_t{1} << 40, RowsJson(0, {}, 0), false));
  // Rows far beyond the run would only make holes.
  EXPECT_FALSE(run.OnRows(RowsJson(int64_t{1} << 39, {{1.0, {1, 2}}})));
  // A damaged header leaves the good one; a damaged end is no end.
  for (const std::string& bad :
       {std::string("{}"),
        std::string("{\"argument\":\"depth\",\"step\":0.1,\"direction\":"
                    "\"down\",\"tracks\":[]}"),
        std::string("{\"argument\":\"height\",\"step\":0.1,\"direction\":\"down\",\"tracks\":"
                    "[{\"name\":\"A\"}]}"),
        std::string("{\"argument\":\"depth\",\"step\":-1,\"direction\":\"down\",\"tracks\":"
                    "[{\"name\":\"A\"}]}"),
        std::string("{\"argument\":\"depth\",\"step\":0.1,\"direction\":\"down\",\"tracks\":"
                    "[{\"name\":5}]}")}) {
    EXPECT_FALSE(run.OnHeader(bad)) << bad;
    EXPECT_EQ(run.Header()->tracks.size(), 2u);
  }
  for (const char* bad :
       {"{\"file\":\"a.ls\"}", "{\"file\":1,\"rows\":2}", "{\"file\":\"a.ls\",\"rows\":-2}", "[]"})
    EXPECT_FALSE(run.OnEnd(bad)) << bad;
  EXPECT_FALSE(run.End());
  // The run still takes good messages.
  EXPECT_TRUE(run.OnRows(RowsJson(2, {{1000.2, {4.5f, 5.5f}}})));
  EXPECT_TRUE(run.OnEnd(EndJson({"001.ls", 3})));
  EXPECT_TRUE(run.Complete());
}

// The rebuilt sheet lies where the recorder's own file does: rows going up are put
// in front, each track moved by its sensor's offset in whole steps, nulls kept.
TEST(WitnessRun, BuildsTheSheetTheRecorderSaves) {
  for (const std::string direction : {"down", "up", "time"}) {
    WitnessHeader h = Header(2, direction);
    h.tracks[1].offset = 1.234;  // 12 whole steps of 0.1 m
    WitnessRun run;
    run.OnHeader(HeaderJson(h));
    const double sign = direction == "up" ? -1 : 1;
    const double first = direction == "time" ? 0 : direction == "up" ? 1009.9 : 1000.1;
    std::vector<WitnessRow> rows;
    for (int i = 0; i < 5; ++i)
      rows.push_back({first + sign * 0.1 * i, {float(i), i == 2 ? NAN : float(10 * i)}});
    run.OnRows(RowsJson(0, rows));
    TLogSheet sheet;
    run.BuildSheet(sheet);
    ASSERT_EQ(sheet.Count(), 2) << direction;
    const TLogTrack& a = *sheet.Tracks(0);
    const TLogTrack& b = *sheet.Tracks(1);
    ASSERT_EQ(a.Count(), 5);
    const int32_t low = direction == "time" ? 0 : direction == "up" ? 1009500 : 1000100;
    EXPECT_EQ(a.Origin(), low) << direction;
    EXPECT_EQ(b.Origin(), low + (direction == "time" ? 0 : 1200)) << direction;
    // Sample 0 is the deepest row going up, the first one otherwise.
    EXPECT_EQ(a.Sample(0), direction == "up" ? 4.0f : 0.0f) << direction;
    EXPECT_EQ(b.Sample(2), -9999.99f) << direction;  // the null sample
  }
}

}  // namespace
}  // namespace kest
