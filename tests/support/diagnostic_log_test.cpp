#include "support/diagnostic_log.h"

#include <gtest/gtest.h>

#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using test::Slurp;

void FixTime(DiagnosticLog& log) {
  log.time_text = [] { return std::string("12:34:56"); };
  log.date_text = [] { return std::string("08.12.2026 12:34:56"); };
}

const std::string kRule(64, '-');

TEST(DiagnosticLog, FreshLogHasHeaderEntriesAndFooter) {
  testing::TempDir dir;
  std::string path = dir.File("kest.log");
  {
    DiagnosticLog log;
    FixTime(log);
    int beeps = 0;
    log.beep = [&] { ++beeps; };
    log.Open(path, "/opt/kest/kest");
    log.Note("Command line = REC");
    log.SetTag("REC");
    log.Component("ROdoz: initialized");
    log.LogException("LogBase", 1625, "Assertion failure");
    EXPECT_EQ(beeps, 1);
  }
  EXPECT_EQ(Slurp(path), kRule + "\r\n" +
                             "Протокол работы от 08.12.2026 12:34:56\r\n"
                             "Программный модуль: /opt/kest/kest\r\n"
                             "Программа скомпилирована с отладочными сообщениями\r\n" +
                             kRule + "\r\n" +
                             "12:34:56 ----   Command line = REC\r\n"
                             "12:34:56 REC  * ROdoz: initialized\r\n"
                             "12:34:56 REC  x [LogBase:1625] Assertion failure\r\n" +
                             kRule + "\r\nЗавершение работы программы\r\n" + kRule + "\r\n");
}

TEST(DiagnosticLog, PreviousLogIsReplacedButASharedOneIsAppended) {
  testing::TempDir dir;
  std::string path = dir.File("kest.log");
  {
    DiagnosticLog old;
    FixTime(old);
    old.Open(path, "p");
    old.Note("old run");
  }
  DiagnosticLog first;
  FixTime(first);
  first.Open(path, "p");
  EXPECT_EQ(Slurp(path).find("old run"), std::string::npos);

  // A second instance while the first runs: no header, entries interleave at the end.
  DiagnosticLog second;
  FixTime(second);
  second.SetTag("EDIT");
  second.Open(path, "p");
  first.Note("one");
  second.Note("two");
  second.Close();
  std::string text = Slurp(path);
  EXPECT_EQ(text.find("Протокол"), text.rfind("Протокол"));
  EXPECT_NE(text.find("----   one\r\n12:34:56 EDIT   two\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Завершение"), std::string::npos);
}

TEST(DiagnosticLog, UncreatableFileFailsWithSystemText) {
  testing::TempDir dir;
  DiagnosticLog log;
  EXPECT_THROW_MSG(log.Open(dir.File("missing/kest.log"), "p"), EDiagnosticLogError,
                   "Could not create log file. No such file or directory");
}

TEST(DiagnosticLog, ClosedLogIgnoresEntries) {
  DiagnosticLog log;
  log.Note("nowhere");
  EXPECT_FALSE(log.IsOpen());
}

}  // namespace
}  // namespace kest
