#pragma once

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "link/device_functions.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "session/recording_session.h"
#include "session/research.h"
#include "session/session_host.h"
#include "stepped_clock.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest::testing {

inline std::string ShippedData(const char* folder) { return test::DataRoot() + "/Data/" + folder; }

inline DateTime FixedNow() { return {2024, 3, 7, 9, 5, 30}; }

// A logger with the shipped tool string loaded by class, a research base in a
// temporary folder, and a session recording into it. No port is opened: tests that
// need the tool start the simulator themselves (session_on_sim_test.cpp).
class SessionFixture {
 public:
  SessionFixture() : classes(ShippedData("Classes")) {
    RegisterDeviceFunctions(lisp);
    classes.Reload();
    logger = std::make_unique<TLogger>(host, clock, classes);
    for (const char* m : {"Телеметрия", "ГК-НК", "ТМ", "Каверномер"})
      logger->AddModule(classes.Get(m));
    research = std::make_unique<Research>(dir.File("Research"), FixedNow);
    research->Open("");
    session = std::make_unique<RecordingSession>(*logger, *research, ui, clock,
                                                 dir.File("crash.tmp"), FixedNow);
    session->BuildRecordingTracks();
  }
  ~SessionFixture() {
    session.reset();
    logger.reset();
  }

  TLogTrack* Track(const char* name) { return session->Sheet().FindTrack(name); }

  // One 25 ms step of fake time, served completely before the next: the step is
  // done when the logger's tick for it has reached the main thread. A busy machine
  // only makes the wait longer; it never lets two steps' packets arrive together
  // (which would record rows with a depth one step ahead).
  void Tick() {
    const int32_t tick = logger->TimerSensor()->Value;
    clock.Advance(25);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    do {
      host.WaitAndProcess(10);
      while (host.WaitAndProcess(0)) {
      }
    } while (logger->TimerSensor()->Value == tick && std::chrono::steady_clock::now() < give_up);
    session->Idle();
  }

  TWLisp lisp;
  TModuleClasses classes;
  SteppedClock clock{100000};
  HeadlessHost host;
  HeadlessSessionHost ui;
  TempDir dir;
  std::unique_ptr<TLogger> logger;
  std::unique_ptr<Research> research;
  std::unique_ptr<RecordingSession> session;
};

}  // namespace kest::testing
