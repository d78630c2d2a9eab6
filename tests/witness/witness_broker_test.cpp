// The live witness against a real Mosquitto broker on 127.0.0.1: kest-tool record
// --publish watched by kest-tool witness, a broker lost mid-run, one absent at the
// start, and who may connect and publish.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <thread>

#include "broker.h"
#include "run_command.h"
#include "witness/mqtt_client.h"
#include "witness/witness_errors.h"
#include "witness/witness_publisher.h"
#include "witness/witness_receiver.h"

namespace kest {
namespace {

using testing::Broker;
using testing::Child;
using testing::CommandResult;
using testing::RunCommand;

#define SKIP_WITHOUT_BROKER()                                                             \
  if (!Broker::Available())                                                               \
  GTEST_SKIP() << "mosquitto is not installed (scripts/packages lists it; scripts/setup " \
                  "installs it)"

std::string Tool() { return KEST_TOOL_PATH; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The last line a program printed.
std::string LastLine(const std::string& text) {
  std::string t = text;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

std::string Dump(const std::string& file) {
  CommandResult r = RunCommand(Tool() + " dump '" + file + "'", true);
  EXPECT_EQ(r.code, 0) << r.out;
  return r.out;
}

// "rows N" for the first track's count in a dump.
std::string RowsLine(const std::string& dump) {
  const size_t at = dump.find("count=");
  if (at == std::string::npos) return "rows ?";
  return "rows " + dump.substr(at + 6, dump.find('\n', at) - at - 6);
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A depth run of 1 200 rows (1 cm steps, two history chunks, sensors at their
// offsets) watched by one viewer from the start and one that opens mid-run: both
// write the file the recorder saved, sample for sample.
TEST(WitnessBroker, RecordedRunIsWitnessedSampleForSample) {
  SKIP_WITHOUT_BROKER();
  Broker broker;
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  const auto& dir = broker.Dir();
  Child first(Tool() + " witness '" + broker.ViewerUrl() + "' --out '" + dir.File("first.ls") +
                  "' --seconds 90",
              dir.File("first.out"));
  Child record(Tool() + " record --root '" + dir.File("root") +
                   "' --step 1 --speed 3600 --from 1000 --to 1012 --publish '" + broker.UnitUrl() +
                   "'",
               dir.File("record.out"));
  Sleep(6000);
  Child late(Tool() + " witness '" + broker.ViewerUrl() + "' --run latest --out '" +
                 dir.File("late.ls") + "' --seconds 90",
             dir.File("late.out"));
  ASSERT_EQ(record.Wait(60000), 0) << ReadFile(dir.File("record.out"));
  ASSERT_EQ(first.Wait(30000), 0) << ReadFile(dir.File("first.out"));
  ASSERT_EQ(late.Wait(30000), 0) << ReadFile(dir.File("late.out"));
  const std::string saved = LastLine(ReadFile(dir.File("record.out")));
  const std::string want = Dump(saved);
  const std::string rows = RowsLine(want);
  ASSERT_GT(std::stoi(rows.substr(5)), 1000) << want.substr(0, 200);
  EXPECT_EQ(LastLine(ReadFile(dir.File("first.out"))), rows);
  EXPECT_EQ(LastLine(ReadFile(dir.File("late.out"))), rows);
  EXPECT_EQ(Dump(dir.File("first.ls")), want);
  EXPECT_EQ(Dump(dir.File("late.ls")), want);
}

// An upward run whose broker is killed 4 s in and started again 6 s later, without
// what it retained: the recording goes on, and the viewer, reconnecting with
// back-off, ends with the saved file all the same (the history sent again).
TEST(WitnessBroker, BrokerKilledMidRunAndStartedAgain) {
  SKIP_WITHOUT_BROKER();
  Broker broker;
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  const auto& dir = broker.Dir();
  Child viewer(Tool() + " witness '" + broker.ViewerUrl() + "' --out '" + dir.File("seen.ls") +
                   "' --seconds 90",
               dir.File("seen.out"));
  Child record(Tool() + " record --root '" + dir.File("root") +
                   "' --mode up --step 10 --speed 2400 --from 1000 --to 1010 --publish '" +
                   broker.UnitUrl() + "'",
               dir.File("record.out"));
  Sleep(4000);
  broker.Kill();
  Sleep(6000);
  ASSERT_TRUE(broker.Start());
  ASSERT_EQ(record.Wait(60000), 0) << ReadFile(dir.File("record.out"));
  ASSERT_EQ(viewer.Wait(40000), 0) << ReadFile(dir.File("seen.out"));
  const std::string want = Dump(LastLine(ReadFile(dir.File("record.out"))));
  const std::string rows = RowsLine(want);
  ASSERT_GT(std::stoi(rows.substr(5)), 90) << want.substr(0, 200);
  EXPECT_EQ(LastLine(ReadFile(dir.File("seen.out"))), rows);
  EXPECT_EQ(Dump(dir.File("seen.ls")), want);
}

WitnessHeader TwelveTracks() {
  WitnessHeader h;
  h.started = "2026-12-10T03:15:00+03:00";
  h.step = 0.1;
  for (int i = 0; i < 12; ++i) h.tracks.push_back({"T" + std::to_string(i), "", "", "", 0, 0});
  return h;
}

// The broker is not there when the run starts: handing rows over never waits, they
// go to the spill file beyond the memory limit, withdrawals reach into the spilled
// ones, and once the broker is up every row reaches a viewer as history.
TEST(WitnessBroker, AbsentBrokerNeverHoldsTheRecordingBack) {
  SKIP_WITHOUT_BROKER();
  Broker broker(false);
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  WitnessPublisherOptions options;
  options.spill_dir = broker.Dir().Path().string();
  options.memory_limit = 64 * 1024;
  options.rows_interval_ms = 100;
  options.open_chunk_interval_ms = 300;
  options.reconnect_min_s = 1;
  options.reconnect_max_s = 1;
  std::vector<WitnessRow> model;
  {
    WitnessPublisher publisher(ParseWitnessUrl(broker.UnitUrl()), options);
    publisher.Begin(TwelveTracks());
    auto slowest = std::chrono::steady_clock::duration::zero();
    auto add = [&](int n) {
      for (int i = 0; i < n; ++i) {
        WitnessRow row{1000 + static_cast<double>(model.size()) / 10, {}};
        for (int k = 0; k < 12; ++k)
          row.values.push_back(k == 3 ? NAN : static_cast<float>(model.size() * 12 + k) / 7);
        model.push_back(row);
        const auto t0 = std::chrono::steady_clock::now();
        publisher.Add(row);
        slowest = std::max(slowest, std::chrono::steady_clock::now() - t0);
      }
    };
    add(20000);
    Sleep(300);
    const auto status = publisher.GetStatus();
    EXPECT_FALSE(status.connected);
    EXPECT_EQ(status.waiting, 20000);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count(), 50);
    bool spilled = false;
    for (const auto& e : std::filesystem::directory_iterator(broker.Dir().Path()))
      spilled |= e.path().filename().string().rfind("witness-", 0) == 0;
    EXPECT_TRUE(spilled);
    publisher.Withdraw(15500);  // back into the spilled rows
    model.resize(15500);
    add(500);
    publisher.End("001.ls", 16000);

    ASSERT_TRUE(broker.Start());
    EXPECT_TRUE(publisher.Flush(30000));
    EXPECT_TRUE(publisher.GetStatus().connected);
    EXPECT_EQ(publisher.GetStatus().waiting, 0);
  }
  WitnessReceiver viewer(ParseWitnessUrl(broker.ViewerUrl()), "latest");
  viewer.Connect(5000);
  ASSERT_TRUE(viewer.WaitComplete(WitnessReceiver::SteadyNowMs() + 20000))
      << viewer.Run().Rows().size() << " rows, " << viewer.Run().Missing() << " missing";
  const auto& rows = viewer.Run().Rows();
  ASSERT_EQ(rows.size(), model.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_NEAR(rows[i].arg, model[i].arg, 1e-7) << i;
    for (int k = 0; k < 12; ++k) {
      if (k == 3)
        ASSERT_TRUE(std::isnan(rows[i].values[k])) << i;
      else
        ASSERT_EQ(rows[i].values[k], model[i].values[k]) << i << " " << k;
    }
  }
}

// Over TLS the run reaches a viewer that trusts the broker's authority; one that
// does not (the system's authorities only) is refused before it sees anything.
TEST(WitnessBroker, TlsCarriesTheRunToViewersThatTrustTheBroker) {
  SKIP_WITHOUT_BROKER();
  if (RunCommand("command -v openssl", false).code != 0) GTEST_SKIP() << "openssl is missing";
  Broker broker(true, true);
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  auto tls = [&](const std::string& url) {
    WitnessSettings s = ParseWitnessUrl("mqtts" + url.substr(4));
    s.ca_file = broker.CaFile();
    return s;
  };
  WitnessPublisherOptions options;
  options.rows_interval_ms = 50;
  std::vector<WitnessRow> sent;
  {
    WitnessPublisher publisher(tls(broker.UnitUrl()), options);
    publisher.Begin(TwelveTracks());
    for (int i = 0; i < 1500; ++i) {
      sent.push_back({1000 + i / 10.0, std::vector<float>(12, static_cast<float>(i))});
      publisher.Add(sent.back());
    }
    publisher.End("001.ls", 1500);
    ASSERT_TRUE(publisher.Flush(15000)) << publisher.GetStatus().error;
  }
  WitnessReceiver viewer(tls(broker.ViewerUrl()), "latest");
  viewer.Connect(5000);
  ASSERT_TRUE(viewer.WaitComplete(WitnessReceiver::SteadyNowMs() + 10000));
  ASSERT_EQ(viewer.Run().Rows().size(), sent.size());
  EXPECT_EQ(viewer.Run().Rows().back().values, sent.back().values);

  WitnessSettings untrusting = tls(broker.ViewerUrl());
  untrusting.ca_file.clear();
  WitnessReceiver stranger(untrusting, "latest");
  EXPECT_THROW(stranger.Connect(3000), EWitnessError);
  EXPECT_FALSE(stranger.Run().Header());
}

// Anonymous clients and wrong passwords are refused; a viewer's and another unit's
// messages on a unit's topics never reach anyone; a recording whose broker refuses
// its password is recorded and saved all the same.
TEST(WitnessBroker, OnlyTheUnitPublishesItsTopics) {
  SKIP_WITHOUT_BROKER();
  Broker broker;
  ASSERT_EQ(broker.Setup().code, 0) << broker.Setup().out;
  const std::string refused = "брокер не принял имя пользователя или пароль";
  for (const std::string& url :
       {broker.Url("v1", "wrong"), broker.Url("nobody", "x"), broker.Url("", "")}) {
    WitnessReceiver receiver(ParseWitnessUrl(url), "latest");
    try {
      receiver.Connect(5000);
      ADD_FAILURE() << url << " was let in";
    } catch (const EWitnessError& e) {
      EXPECT_EQ(std::string(e.what()), refused) << url;
    }
  }
  CommandResult wrong = RunCommand(Tool() + " witness '" + broker.Url("v1", "wrong") + "'", true);
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.out.find(refused), std::string::npos) << wrong.out;

  // Who hears what on kest/u1/probe: the unit itself listens.
  std::vector<std::string> heard;
  WitnessSettings unit = ParseWitnessUrl(broker.UnitUrl());
  std::atomic<bool> ready{false};
  MqttClient listener(unit,
                      {[&](int rc) { ready = rc == 0; },
                       {},
                       [&](const std::string&, std::string_view p, bool) { heard.emplace_back(p); },
                       {}});
  ASSERT_EQ(listener.Connect(), "");
  for (int i = 0; i < 50 && !ready; ++i) listener.Loop(100);
  ASSERT_TRUE(ready);
  listener.Subscribe("kest/u1/#", 1);
  for (int i = 0; i < 5; ++i) listener.Loop(100);
  for (const auto& [url, text] : {std::pair{broker.ViewerUrl(), std::string("viewer")},
                                  {broker.Url("u2", "other-pw"), "other unit"},
                                  {broker.UnitUrl(), "unit"}}) {
    MqttClient sender(ParseWitnessUrl(url), {});
    ASSERT_EQ(sender.Connect(), "") << text;
    for (int i = 0; i < 3; ++i) sender.Loop(100);
    sender.Publish("kest/u1/probe", text, 1, false);
    for (int i = 0; i < 5; ++i) sender.Loop(100);
  }
  for (int i = 0; i < 10; ++i) listener.Loop(100);
  EXPECT_EQ(heard, std::vector<std::string>{"unit"});

  const auto& dir = broker.Dir();
  CommandResult record = RunCommand(Tool() + " record --root '" + dir.File("root") +
                                        "' --speed 7200 --from 1000 --to 1002 --publish '" +
                                        broker.Url("u1", "wrong") + "'",
                                    true);
  EXPECT_EQ(record.code, 0) << record.out;
  EXPECT_TRUE(std::filesystem::exists(LastLine(record.out))) << record.out;
  EXPECT_NE(record.out.find("could not send everything"), std::string::npos) << record.out;

  // Unit names the topics cannot hold are refused before anything is written.
  for (const char* bad : {"a/b", "a#", "+"}) {
    CommandResult r = RunCommand(
        Tool() + " witness-setup '" + dir.File("bad") + "' --unit '" + bad + ":pw' --viewer v:pw",
        true);
    EXPECT_EQ(r.code, 1) << bad;
    EXPECT_NE(r.out.find("не может содержать"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad/mosquitto.conf")));
    r = RunCommand(Tool() + " record --publish 'mqtt://u:p@127.0.0.1:1/" + std::string(bad) + "'",
                   true);
    EXPECT_EQ(r.code, 1) << bad;
    EXPECT_NE(r.out.find("не может содержать"), std::string::npos) << r.out;
  }
}

}  // namespace
}  // namespace kest
