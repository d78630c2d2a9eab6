// Faults of the system calls injected under the real file code: an interrupted call
// is made again, a short write goes on until every byte is written, and a failing
// disk surfaces as EInOutError with the system's text, never leaving a damaged file
// in place of a good one.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "faulty_calls.h"
#include "support/atomic_file.h"
#include "support/diagnostic_log.h"
#include "support/errors.h"
#include "support/stream.h"
#include "support/system_calls.h"
#include "temp_dir.h"

namespace kest {
namespace {

using testing::FaultyCalls;

// Reads back through the file code under test, so its reads meet the injected faults.
std::string ReadThroughSeam(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string Payload(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i * 7 % 26);
  return bytes;
}

size_t FilesIn(const testing::TempDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

template <typename Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "no error";
}

TEST(SystemCallFaults, EveryInterruptedCallIsMadeAgain) {
  for (FaultyCalls::Call call : {FaultyCalls::kOpen, FaultyCalls::kRead, FaultyCalls::kWrite,
                                 FaultyCalls::kFsync, FaultyCalls::kRename}) {
    SCOPED_TRACE(call);
    testing::TempDir dir;
    std::string target = dir.File("001.ls");
    FaultyCalls calls("001.ls");
    calls.Fail(call, EINTR, 1);
    WriteFileAtomically(target, "recorded");
    EXPECT_EQ(ReadThroughSeam(target), "recorded");
    EXPECT_GE(calls.Count(call), 2);
  }
}

TEST(SystemCallFaults, ShortWritesAndReadsStillMoveEveryByte) {
  testing::TempDir dir;
  std::string target = dir.File("002.ls");
  std::string bytes = Payload(1000);
  FaultyCalls calls("002.ls");
  calls.Limit(3);
  WriteFileAtomically(target, bytes);
  EXPECT_EQ(calls.Count(FaultyCalls::kWrite), 334);
  EXPECT_EQ(ReadThroughSeam(target), bytes);
  EXPECT_GE(calls.Count(FaultyCalls::kRead), 334);
}

TEST(SystemCallFaults, FailingDiskRaisesInOutErrorWithTheSystemText) {
  testing::TempDir dir;
  std::string path = dir.File("003.ls");
  FaultyCalls calls("003.ls");
  {
    FileStream out(path, FileStream::Mode::Create);
    calls.Fail(FaultyCalls::kWrite, EIO);
    EXPECT_EQ(ErrorOf([&] { out.WriteString("x"); }), "Ошибка записи: Input/output error");

    calls.Fail(FaultyCalls::kWrite, ENOSPC, 1, 1);  // the first call goes, the next fails
    calls.Limit(2);
    EXPECT_EQ(ErrorOf([&] { out.WriteString("abcd"); }), "Ошибка записи: No space left on device");
    EXPECT_EQ(out.Size(), 2);

    calls.Fail(FaultyCalls::kFsync, EIO);
    EXPECT_EQ(ErrorOf([&] { out.Flush(); }), "Ошибка записи: Input/output error");
  }
  calls.Fail(FaultyCalls::kRead, EIO);
  FileStream in(path, FileStream::Mode::Read);
  char buffer[4];
  EXPECT_EQ(ErrorOf([&] { in.Read(buffer, sizeof buffer); }), "Ошибка чтения: Input/output error");
}

// A commit that fails anywhere before the rename keeps the previous file and leaves
// no temporary file behind.
TEST(SystemCallFaults, FailedCommitKeepsThePreviousFile) {
  struct Case {
    FaultyCalls::Call call;
    int error;
    std::string message;
  };
  for (const Case& c : {Case{FaultyCalls::kWrite, ENOSPC, "Ошибка записи: No space left on device"},
                        Case{FaultyCalls::kFsync, EIO, "Ошибка записи: Input/output error"},
                        Case{FaultyCalls::kRename, EIO,
                             "Не удалось записать файл \"<target>\": Input/output error"},
                        Case{FaultyCalls::kRename, EACCES,
                             "Не удалось записать файл \"<target>\": Permission denied"}}) {
    SCOPED_TRACE(c.message);
    testing::TempDir dir;
    std::string target = dir.File("004.ls");
    WriteFileAtomically(target, "good");
    FaultyCalls calls("004.ls");
    calls.Fail(c.call, c.error);
    std::string message = c.message;
    if (auto at = message.find("<target>"); at != std::string::npos) message.replace(at, 8, target);
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(target, Payload(5000)); }), message);
    calls.Fail(c.call, 0, 0);
    EXPECT_EQ(ReadThroughSeam(target), "good");
    EXPECT_EQ(FilesIn(dir), 1u);
  }
}

TEST(SystemCallFaults, DurableRenameSyncsTheFileBeforeMovingIt) {
  testing::TempDir dir;
  std::string from = dir.File("crash.tmp.new");
  std::string to = dir.File("crash.tmp");
  WriteFileAtomically(to, "previous");
  WriteFileAtomically(from, "rewritten");
  {
    FaultyCalls calls("crash.tmp.new");
    calls.Fail(FaultyCalls::kFsync, EIO);
    EXPECT_EQ(ErrorOf([&] { RenameDurably(from, to); }),
              "Не удалось записать файл \"" + to + "\": Input/output error");
    EXPECT_EQ(calls.Count(FaultyCalls::kRename), 0);
  }
  EXPECT_EQ(ReadThroughSeam(to), "previous");
  FaultyCalls calls("crash.tmp");
  RenameDurably(from, to);
  EXPECT_EQ(calls.Count(FaultyCalls::kFsync), 1);  // the file's own; the folder is not watched
  EXPECT_EQ(ReadThroughSeam(to), "rewritten");
  EXPECT_FALSE(FileExists(from));
  // A folder in the way is not replaced, and the new file stays where it was.
  std::string folder = dir.File("crash.tmp.folder");
  std::filesystem::create_directory(folder);
  WriteFileAtomically(from, "again");
  EXPECT_EQ(ErrorOf([&] { RenameDurably(from, folder); }),
            "Не удалось записать файл \"" + folder + "\": Is a directory");
  EXPECT_EQ(ReadThroughSeam(from), "again");
}

TEST(SystemCallFaults, DiagnosticLogWritesWholeLinesAndOutlivesAFailingDisk) {
  testing::TempDir dir;
  std::string path = dir.File("kest.log");
  DiagnosticLog log;
  log.time_text = [] { return std::string("12:34:56"); };
  log.date_text = [] { return std::string("08.12.2026 12:34:56"); };
  FaultyCalls calls("kest.log");
  calls.Limit(5);
  calls.Fail(FaultyCalls::kWrite, EINTR, 3);
  log.Open(path, "p");
  log.Note("one");
  calls.Fail(FaultyCalls::kWrite, EIO, 1);
  log.Note("lost on a failing disk");
  log.Note("two");
  log.Close();
  std::string text = ReadThroughSeam(path);
  EXPECT_NE(text.find("\r\n12:34:56 ----   one\r\n12:34:56 ----   two\r\n"), std::string::npos);
  EXPECT_EQ(text.find("lost"), std::string::npos);
}

// Every descriptor the file code opens through the seam is closed through it exactly
// once, on the error paths too: a folder opened as a file, a file another holder
// locks, a commit on a failing disk, the diagnostic log reopened.
TEST(SystemCallFaults, EveryDescriptorIsClosedOnceThroughTheSeam) {
  std::set<int> open;
  int closes_of_unknown = 0;
  SystemCalls calls = Sys();
  const SystemCalls inner = Sys();
  calls.open = [&](const char* path, int flags, mode_t mode) {
    int fd = inner.open(path, flags, mode);
    if (fd >= 0) {
      EXPECT_TRUE(open.insert(fd).second) << path;
    }
    return fd;
  };
  calls.close = [&](int fd) {
    if (open.erase(fd) == 0) ++closes_of_unknown;  // mkstemp's descriptor, or a double close
    return inner.close(fd);
  };
  testing::TempDir dir;
  {
    SystemCallOverride seam(calls);
    EXPECT_NE(ErrorOf([&] { FileStream s(dir.Path(), FileStream::Mode::Read); }), "no error");
    WriteFileAtomically(dir.File("a.ls"), "first");
    {
      FileStream holder(dir.File("a.ls"), FileStream::Mode::ReadWrite);
      EXPECT_NE(ErrorOf([&] { FileStream s(dir.File("a.ls"), FileStream::Mode::Read); }),
                "no error");
    }
    {
      FaultyCalls faults("b.ls");
      faults.Fail(FaultyCalls::kFsync, EIO);
      EXPECT_NE(ErrorOf([&] { WriteFileAtomically(dir.File("b.ls"), "lost"); }), "no error");
    }
    RenameDurably(dir.File("a.ls"), dir.File("c.ls"));
    DiagnosticLog log;
    log.Open(dir.File("kest.log"), "p");
    log.Close();
    log.Open(dir.File("kest.log"), "p");
  }
  EXPECT_TRUE(open.empty()) << open.size() << " descriptors left open";
  // The atomic files' own mkstemp descriptors (two) are the only ones not opened here.
  EXPECT_EQ(closes_of_unknown, 2);
}

}  // namespace
}  // namespace kest
