// Whole logs through every way data leave and come back: generated logs (depth down
// and up, steps of 1, 10 and 20 cm, sensor offsets, gaps, time logs) and a run
// recorded on the simulator go through each path, and every sample that comes back
// is compared with the source at its argument. A path is one small function in the
// table below.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <sstream>

#include "link/logger_channel.h"
#include "link/logger_sensor.h"
#include "lisp/wlisp.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/null_sample.h"
#include "session/curve_adder.h"
#include "session/curve_calculator.h"
#include "session/log_document.h"
#include "session_fixture.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "temp_dir.h"

namespace kest {
namespace {

constexpr float kNull = kDefaultNullValue;

struct LogShape {
  TLogArgument argument = laDepth;
  bool up = false;
  int32_t step = 10;  // mm or ms
};

std::string Describe(const LogShape& shape, uint32_t seed) {
  std::ostringstream s;
  s << (shape.argument == laTime ? "time"
        : shape.up               ? "depth up"
                                 : "depth down")
    << ", step " << shape.step << ", seed " << seed;
  return s.str();
}

// A log as the recorder leaves it: every track has the same number of rows, the
// sensor tracks start at their offsets, values have the three decimals LAS keeps,
// and gaps are runs of the null value; now and then a track is missing throughout.
std::unique_ptr<TLogSheet> GenerateLog(const LogShape& shape, uint32_t seed) {
  std::mt19937 rng(seed);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto sheet = std::make_unique<TLogSheet>();
  sheet->SetArgument(shape.argument);
  const int32_t rows = uniform(20, 400);
  const int32_t start = shape.argument == laTime ? 0 : uniform(0, 2000) * 1000;
  const bool depth = shape.argument == laDepth;
  const char* const names[] = {"DEPTH", "GK", "NK", "TEMP", "CALI"};
  for (int k = depth ? 0 : 1; k < 5; ++k) {
    TLogTrack* t = sheet->NewTrack(names[k]);
    t->SetArgument(shape.argument);
    t->SetStep(shape.step);
    t->SetAscending(!shape.up);
    // Sensors below the cable's reference point: offsets of whole steps, up to 2 m.
    int32_t offset = depth && k > 0 && k < 4 ? uniform(0, 2000 / shape.step) * shape.step : 0;
    t->SetOrigin(start + offset);
    std::vector<float> v(static_cast<size_t>(rows));
    double level = uniform(0, 100000) / 1000.0;
    const bool all_null = k == 4 && uniform(0, 3) == 0;
    for (int32_t i = 0; i < rows; ++i) {
      if (k == 0) {
        v[static_cast<size_t>(i)] = static_cast<float>((start + int64_t{i} * shape.step) / 1000.0);
        continue;
      }
      level += uniform(-5000, 5000) / 1000.0;
      v[static_cast<size_t>(i)] = static_cast<float>(std::round(level * 1000) / 1000);
    }
    if (k > 0) {
      for (int runs = uniform(0, 4); runs > 0; --runs) {
        int from = uniform(0, rows - 1), length = uniform(1, 8);
        for (int i = from; i < std::min(rows, from + length); ++i)
          v[static_cast<size_t>(i)] = kNull;
      }
      if (all_null) std::fill(v.begin(), v.end(), kNull);
    }
    t->LoadSamples(v.data(), rows);
  }
  sheet->UpdateRange();
  return sheet;
}

// The source value at argument x: the sample there, null off the track's grid.
float ValueAt(const TLogTrack& t, int64_t x) {
  int64_t d = x - t.Origin();
  if (d < 0 || d % t.Step() != 0 || d / t.Step() >= t.Count()) return kNull;
  return t.Sample(static_cast<int32_t>(d / t.Step()));
}

// The row value of an export at step r: the greatest sample logged over the step
// that ends at x in the logging direction, (x - r, x] downwards, [x, x + r) upwards.
float PeakAt(const TLogTrack& t, int64_t x, int32_t r, bool up) {
  float peak = kNull;
  bool any = false;
  for (int32_t i = 0; i < t.Count(); ++i) {
    int64_t a = t.ArgumentOf(i);
    bool inside = up ? a >= x && a < x + r : a > x - r && a <= x;
    float v = t.Sample(i);
    if (!inside || IsNullSample(v)) continue;
    if (!any || v > peak) peak = v;
    any = true;
  }
  return peak;
}

std::string Text(float v) { return IsNullSample(v) ? "null" : std::to_string(v); }

// Values equal, or within what the text of a LAS file keeps (three decimals).
bool Same(float want, float have, bool las) {
  if (IsNullSample(want) || IsNullSample(have)) return IsNullSample(want) == IsNullSample(have);
  return las ? std::fabs(want - have) <= 0.0005 + 1e-6 * std::fabs(want) : want == have;
}

// What came back on one track against what was expected at each of its arguments;
// every non-null source sample must be among them. Empty when they agree.
std::string Compare(const TLogTrack& source, const TLogTrack& got,
                    const std::function<float(int64_t x)>& expected, bool every_sample, bool las) {
  std::ostringstream out;
  int faults = 0;
  auto fault = [&](int64_t x, float want, float have) {
    if (faults++ < 5)
      out << "  " << source.Parameter() << " at " << x << ": " << Text(have) << ", expected "
          << Text(want) << "\n";
  };
  for (int32_t i = 0; i < got.Count(); ++i) {
    int64_t x = got.ArgumentOf(i);
    float want = expected(x), have = got.Sample(i);
    if (!Same(want, have, las)) fault(x, want, have);
  }
  if (every_sample) {
    for (int32_t i = 0; i < source.Count(); ++i) {
      int64_t x = source.ArgumentOf(i);
      if (IsNullSample(source.Sample(i))) continue;
      if (!Same(source.Sample(i), ValueAt(got, x), las))
        fault(x, source.Sample(i), ValueAt(got, x));
    }
  }
  if (faults > 5) out << "  ... " << faults << " faults in all\n";
  return out.str();
}

// Every sample of a track exported at step r lies in the step of some row, and that
// row's value is at least the sample: nothing is left out at either end.
std::string Covered(const TLogTrack& source, const TLogTrack& got, int32_t r, bool up) {
  if (got.Count() == 0) return "  " + source.Parameter() + " has no rows\n";
  for (int32_t i = 0; i < source.Count(); ++i) {
    const float v = source.Sample(i);
    if (IsNullSample(v)) continue;
    const int64_t a = source.ArgumentOf(i);
    // The row whose step holds a: the first row at or past it in the logging direction
    // (rows run down from the top for a log recorded upwards).
    int64_t k = up ? (int64_t{got.End()} - a + r - 1) / r : (a - got.Origin() + r - 1) / r;
    int64_t x = up ? int64_t{got.End()} - k * r : got.Origin() + k * r;
    float row = ValueAt(got, x);
    if (IsNullSample(row) || row + 0.0005f + 1e-6f * std::fabs(v) < v)
      return "  " + source.Parameter() + " at " + std::to_string(a) + " (" + Text(v) +
             ") is in no row: the row at " + std::to_string(x) + " holds " + Text(row) + "\n";
  }
  return "";
}

// The program's files and tools around a temporary folder and a dictionary of the
// curves the logs carry.
struct PathKit {
  // One script engine may exist: a kit beside a session fixture uses the fixture's.
  explicit PathKit(bool own_engine = true) {
    if (own_engine) lisp = std::make_unique<TWLisp>();
    TLogParameters& p = tables.Parameters();
    p.Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "m", "Глуб");
    p.Add("TIME", "Время", 0, "0.00", "TIME", "c", "Время");
    p.Add("GK", "Гамма-каротаж", 0, "0.00", "GR", "мкР/ч", "ГК");
    p.Add("NK", "Нейтронный каротаж", 0, "0.00", "NK", "у.е.", "НК");
    p.Add("TEMP", "Температура", 0, "0.00", "TEMP", "°C", "Т");
    p.Add("CALI", "Каверномер", 0, "0.00", "CALI", "мм", "Кав");
    p.Add("U", "Напряжение", 0, "0.00", "U", "В", "U");
    options.Las.Dictionary = &p;
  }
  PathKit(const PathKit&) = delete;
  PathKit& operator=(const PathKit&) = delete;

  std::string File(const std::string& name) { return dir.File(name); }

  std::unique_ptr<LogDocument> Through(const TLogSheet& sheet, const std::string& name,
                                       int32_t las_step_mm = 0) {
    LogFileOptions o = options;
    if (las_step_mm > 0) o.Las.StepCm = las_step_mm / 10;
    LogDocument out;
    out.Sheet().AssignLog(sheet);
    out.SaveAs(File(name), o);
    auto back = std::make_unique<LogDocument>();
    back->Open(File(name), o);
    back->Sheet().UpdateRange();
    return back;
  }

  std::unique_ptr<TWLisp> lisp;
  TLogParameterTables tables;
  LogFileOptions options;
  testing::TempDir dir;
};

// A path takes the source log and gives back a sheet whose tracks carry the
// source's names. `peak_step` > 0: the path resamples to that step, each row the
// peak over its step; else every sample must come back unchanged.
struct Path {
  const char* name;
  std::function<std::unique_ptr<TLogSheet>(PathKit&, const TLogSheet&)> run;
  std::function<int32_t(const TLogSheet&)> peak_step;
  bool las;  // the depth curve comes back as the row argument
};

std::unique_ptr<TLogSheet> Take(std::unique_ptr<LogDocument> document) {
  auto sheet = std::make_unique<TLogSheet>();
  sheet->AssignLog(document->Sheet());
  sheet->UpdateRange();
  return sheet;
}

int32_t CoarseStep(const TLogSheet& s) { return std::min(10 * s.SheetStep(), 200); }

const Path kPaths[] = {
    {"LS save and load", [](PathKit& f, const TLogSheet& s) { return Take(f.Through(s, "a.ls")); },
     nullptr, false},
    {"LAS at the log's step",
     [](PathKit& f, const TLogSheet& s) { return Take(f.Through(s, "a.las", s.SheetStep())); },
     nullptr, true},
    {"LAS at ten steps",
     [](PathKit& f, const TLogSheet& s) { return Take(f.Through(s, "b.las", CoarseStep(s))); },
     CoarseStep, true},
    {"LS, LAS, LS",
     [](PathKit& f, const TLogSheet& s) {
       auto ls = f.Through(s, "c.ls");
       auto las = f.Through(ls->Sheet(), "c.las", s.SheetStep());
       return Take(f.Through(las->Sheet(), "d.ls"));
     },
     nullptr, true},
    {"crash file and recovery",
     [](PathKit& f, const TLogSheet& s) {
       TLogSheet recording;
       recording.AssignLog(s);
       recording.UpdateRange();
       std::filesystem::remove(f.File("crash.tmp"));  // appending starts a file anew
       recording.AppendCrashFile(f.File("crash.tmp"), recording.Start(), 1, recording.End());
       auto back = std::make_unique<LogDocument>();
       back->Open(f.File("crash.tmp"), f.options);
       return Take(std::move(back));
     },
     nullptr, false},
    {"adding curves onto a sheet of the same step",
     [](PathKit& f, const TLogSheet& s) {
       {
         LogDocument file;
         file.Sheet().AssignLog(s);
         file.SaveAs(f.File("e.ls"), f.options);
       }
       TLogSheet target;
       target.SetArgument(s.Argument());
       TLogTrack* own = target.NewTrack("U");
       own->SetArgument(s.Argument());
       own->SetStep(s.SheetStep());
       own->SetOrigin(s.Start());
       for (int i = 0; i < 3; ++i) own->Append(1);
       target.UpdateRange();
       CurveAdder adder(target, f.tables.Parameters());
       adder.Open(f.File("e.ls"), f.options);
       auto back = std::make_unique<TLogSheet>();
       back->SetArgument(s.Argument());
       for (int i = 0; i < s.Count(); ++i) {
         adder.Add(i);
         TLogTrack* t = back->NewTrack(s.Tracks(i)->Parameter());
         t->Assign(*adder.LastAdded());
         t->SetParameter(s.Tracks(i)->Parameter());
       }
       back->UpdateRange();
       return back;
     },
     nullptr, false},
    {"the calculator's GR := GR",
     [](PathKit& f, const TLogSheet& s) {
       auto back = std::make_unique<TLogSheet>();
       back->AssignLog(s);
       back->UpdateRange();
       CalcNameList names;
       CalculateTracks(*back, "GR := GR", f.tables.Parameters(), names, {}, kNull);
       return back;
     },
     nullptr, false},
};

// Runs `source` through every path; returns the faults found, path by path.
std::string AllPaths(PathKit& f, const TLogSheet& source) {
  std::string faults;
  const bool up = source.Count() > 1 && !source.Tracks(1)->Ascending();
  for (const Path& path : kPaths) {
    std::unique_ptr<TLogSheet> back;
    try {
      back = path.run(f, source);
    } catch (const std::exception& e) {
      faults += std::string(path.name) + ": " + e.what() + "\n";
      continue;
    }
    const int32_t r = path.peak_step ? path.peak_step(source) : 0;
    std::string found;
    for (int k = 0; k < source.Count(); ++k) {
      const TLogTrack& s = *source.Tracks(k);
      const TLogTrack* got = back->FindTrack(s.Parameter());
      if (!got) {
        found += "  " + s.Parameter() + " is missing\n";
        continue;
      }
      if (path.las && source.Argument() == laDepth && k == 0) {
        // The depth curve is the index: the row's own depth.
        for (int32_t i = 0; i < got->Count(); ++i)
          if (std::fabs(got->Sample(i) - got->ArgumentOf(i) / 1000.0) > 1e-3) {
            found += "  DEPTH is not the row's depth\n";
            break;
          }
        continue;
      }
      if (r > 0) {
        if (got->Step() != r)
          found += "  " + s.Parameter() + " has the step " + std::to_string(got->Step()) + "\n";
        found += Compare(
            s, *got, [&](int64_t x) { return PeakAt(s, x, r, up); }, false, path.las);
        found += Covered(s, *got, r, up);
      } else {
        if (got->Step() != s.Step())
          found += "  " + s.Parameter() + " has the step " + std::to_string(got->Step()) + "\n";
        found += Compare(
            s, *got, [&](int64_t x) { return ValueAt(s, x); }, true, path.las);
      }
    }
    if (!found.empty()) faults += std::string(path.name) + ":\n" + found;
  }
  return faults;
}

const LogShape kShapes[] = {
    {laDepth, false, 10}, {laDepth, false, 100}, {laDepth, false, 200}, {laDepth, true, 10},
    {laDepth, true, 100}, {laDepth, true, 200},  {laTime, false, 100},  {laTime, false, 200},
};

class DataPaths : public ::testing::Test {
 protected:
  PathKit kit;
};

void RunSeeds(PathKit& f, uint32_t first, uint32_t count) {
  for (uint32_t seed = first; seed < first + count; ++seed) {
    const LogShape& shape = kShapes[seed % std::size(kShapes)];
    auto source = GenerateLog(shape, seed);
    std::string faults = AllPaths(f, *source);
    ASSERT_EQ(faults, "") << Describe(shape, seed);
  }
}

TEST_F(DataPaths, GeneratedLogsComeBackSampleForSample) { RunSeeds(kit, 1, 24); }

// Run under the "slow" label: many more logs of every shape.
TEST_F(DataPaths, ManyMoreGeneratedLogs) { RunSeeds(kit, 1000, 400); }

// ---------------------------------------------------------------------------------
// A run recorded from the simulated tool string: each track holds, at its
// argument, what the formation gives at that depth (its sensor's depth after the
// offsets are applied), and the recorded log goes through every path unchanged.

class RecordedRun : public ::testing::Test, public testing::SessionFixture {
 protected:
  ~RecordedRun() override {
    session.reset();
    logger.reset();
    UnregisterPortName("SIM");
  }
  // Rows off the formation by more than the tool's scatter at every depth within
  // 0.2 m of the row (the tool reports every 100 ms).
  int Misfits(const TLogTrack& track, double (*model)(const sim::FormationReading&)) {
    int misfits = 0;
    for (int i = 0; i < track.Count(); ++i) {
      double z = track.ArgumentOf(i) / 1000.0;
      bool fits = false;
      for (double dz = -0.2; dz <= 0.2 + 1e-9 && !fits; dz += 0.05) {
        double m = model(simulator->Formation().At(z + dz));
        fits = std::fabs(track.Sample(i) - m) <= 0.15 * std::fabs(m) + 0.3;
      }
      misfits += !fits;
    }
    return misfits;
  }

  std::shared_ptr<sim::ToolSimulator> simulator;
  PathKit kit{false};
};

TEST_F(RecordedRun, ARunWithOffsetsMatchesTheFormationAndSurvivesEveryPath) {
  for (bool down : {true, false}) {
    SCOPED_TRACE(down ? "down" : "up");
    session->RecordStep = 100;
    sim::SimSettings s;
    s.winch.start_depth_m = down ? 1199.9 : 1212.1;
    s.winch.wheel_error = 0;
    s.count_noise = false;
    simulator = std::make_shared<sim::ToolSimulator>(classes, s, clock);
    sim::RegisterSimPort(simulator);
    logger->SetPortName("SIM");
    logger->SetDepthStep(0.01, s.winch.start_depth_m);
    logger->Initialize(true);
    for (int t = 0; t < 100; t += 25) Tick();
    session->SetRecordMode(down ? RecordingSession::rmDepthDown : RecordingSession::rmDepthUp);
    simulator->SetSpeed(down ? 3600 : -3600);
    for (int t = 0;
         t < 20000 && (down ? session->LastDepth() < 1212000 : session->LastDepth() > 1200000);
         t += 25)
      Tick();
    session->SetRecordMode(RecordingSession::rmStop);
    simulator->SetSpeed(0);

    const TLogSheet& log = session->Sheet();
    const TLogTrack* gk = log.FindTrack("GK");
    const TLogTrack* depth = log.FindTrack("DEPTH");
    ASSERT_NE(gk, nullptr);
    ASSERT_GE(gk->Count(), 100);
    EXPECT_NE(gk->Origin(), depth->Origin()) << "the gamma sensor sits off the cable's point";
    EXPECT_LE(Misfits(*gk, [](const sim::FormationReading& r) { return r.gamma; }), 5);
    if (const TLogTrack* temp = log.FindTrack("TEMP")) {
      EXPECT_LE(Misfits(*temp, [](const sim::FormationReading& r) { return r.temperature; }), 5);
    }

    EXPECT_EQ(AllPaths(kit, log), "");
    logger->SetActive(false);
    UnregisterPortName("SIM");
  }
}

}  // namespace
}  // namespace kest
