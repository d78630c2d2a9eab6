// Broker addresses and unit names as the user types them, and the publisher's row
// store that spills to a file.
#include "witness/witness_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "temp_dir.h"
#include "witness/row_store.h"
#include "witness/witness_errors.h"

namespace kest {
namespace {

TEST(WitnessSettings, AddressesAreReadOrRefusedWithTheReason) {
  struct Good {
    const char* url;
    WitnessSettings want;
  };
  auto settings = [](std::string host, int port, bool tls, std::string user, std::string password,
                     std::string unit) {
    WitnessSettings s;
    s.host = std::move(host);
    s.port = port;
    s.tls = tls;
    s.user = std::move(user);
    s.password = std::move(password);
    s.unit = std::move(unit);
    s.enabled = true;
    return s;
  };
  for (const Good& g : std::initializer_list<Good>{
           {"mqtt://unit:pw@broker.example:1884/unit7",
            settings("broker.example", 1884, false, "unit", "pw", "unit7")},
           {"mqtts://u:p@h/U", settings("h", 8883, true, "u", "p", "U")},
           {"mqtt://h/U", settings("h", 1883, false, "", "", "U")},
           {"mqtt://u@h:1/U", settings("h", 1, false, "u", "", "U")},
           // A password holding ":" and "@", one escaped and one not.
           {"mqtt://u:a:b%40c@d@h:2/U", settings("h", 2, false, "u", "a:b@c@d", "U")},
           {"mqtt://u:p@[::1]:1883/Станция-5", settings("::1", 1883, false, "u", "p", "Станция-5")},
       }) {
    EXPECT_EQ(ParseWitnessUrl(g.url), g.want) << g.url;
  }
  for (const char* bad :
       {"http://h/U", "h:1883/U", "mqtt://h:1883", "mqtt://h:1883/", "mqtt://h:0/U",
        "mqtt://h:65536/U", "mqtt://h:x/U", "mqtt://:1883/U", "mqtt://h/a/b", "mqtt://h/a#",
        "mqtt://h/+", "mqtt://u:%4@h/U", "mqtt://u:%zz@h/U", "mqtt://h/a\tb"}) {
    EXPECT_THROW(ParseWitnessUrl(bad), EWitnessError) << bad;
  }
  // The unit name rule says which character it refuses.
  EXPECT_EQ(UnitNameProblem("a/b"), "Имя установки не может содержать \"/\", \"#\" или \"+\": a/b");
  EXPECT_NE(UnitNameProblem(std::string(65, 'a')), "");
  EXPECT_EQ(UnitNameProblem("Unit 7"), "");
}

// Rows written, cut back and read in every stretch, with a memory limit small enough
// that most of them live in the spill file: the store reads back what a plain list
// holds, and the file goes with the store.
TEST(RowStore, KeepsEveryRowAcrossTheSpillFile) {
  testing::TempDir dir;
  const std::string spill = dir.File("witness.rows");
  std::mt19937 rng(7);
  {
    RowStore store(spill, 4096);
    store.Reset(3);
    std::vector<WitnessRow> model;
    for (int round = 0; round < 300; ++round) {
      if (rng() % 4 == 0) {
        const int64_t left = static_cast<int64_t>(rng() % (model.size() + 1));
        store.Truncate(left);
        model.resize(static_cast<size_t>(left));
      } else {
        for (int i = static_cast<int>(rng() % 200); i > 0; --i) {
          WitnessRow r{static_cast<double>(model.size()) / 10,
                       {float(rng() % 1000), NAN, float(model.size())}};
          store.Append(r);
          model.push_back(r);
        }
      }
      ASSERT_EQ(store.Count(), static_cast<int64_t>(model.size()));
      ASSERT_LE(store.MemoryBytes(), 4096u + 20u);
      const int64_t from = static_cast<int64_t>(rng() % (model.size() + 1));
      const int64_t to = from + static_cast<int64_t>(rng() % 1500);
      const auto got = store.Read(from, to);
      ASSERT_EQ(got.size(), std::min<size_t>(model.size(), size_t(to)) - size_t(from));
      for (size_t i = 0; i < got.size(); ++i) {
        const WitnessRow& want = model[size_t(from) + i];
        ASSERT_EQ(got[i].arg, want.arg) << "round " << round;
        ASSERT_EQ(got[i].values[0], want.values[0]);
        ASSERT_TRUE(std::isnan(got[i].values[1]));
        ASSERT_EQ(got[i].values[2], want.values[2]);
      }
    }
    EXPECT_GT(store.Spilled(), 0);
    EXPECT_TRUE(std::filesystem::exists(spill));
  }
  EXPECT_FALSE(std::filesystem::exists(spill));

  // A spill file that cannot be made keeps the rows in memory.
  RowStore stuck(dir.File("no/such/folder/witness.rows"), 256);
  stuck.Reset(1);
  for (int i = 0; i < 1000; ++i) stuck.Append({double(i), {float(i)}});
  ASSERT_EQ(stuck.Count(), 1000);
  EXPECT_EQ(stuck.Read(998, 1000)[1].values[0], 999.0f);
}

}  // namespace
}  // namespace kest
