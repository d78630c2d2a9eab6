#include <gtest/gtest.h>

#include <filesystem>

#include "support/atomic_file.h"
#include "support/errors.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

using test::Slurp;

TEST(AtomicFile, ReplacesTargetOnlyOnCommit) {
  testing::TempDir dir;
  std::string target = dir.File("001.ls");
  WriteFileAtomically(target, "good");
  {
    AtomicFile file(target);
    file.WriteString("half-written");
    // destroyed without Commit, as when a save fails
  }
  EXPECT_EQ(Slurp(target), "good");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  {
    AtomicFile file(target);
    file.WriteString("better");
    file.Commit();
  }
  EXPECT_EQ(Slurp(target), "better");
}

TEST(AtomicFile, MissingFolderIsAnError) {
  testing::TempDir dir;
  EXPECT_THROW_MSG_HAS(AtomicFile(dir.File("missing/x.ls")), EInOutError,
                       "Не удалось создать файл \"" + dir.File("missing/x.ls") + "\": ");
}

TEST(Streams, ReadExactRefusesShortInput) {
  MemoryStream s(std::string("abc"));
  char buf[4];
  EXPECT_THROW_MSG(s.ReadExact(buf, 4), EInOutError, "Чтение за концом данных");
  s.Seek(0);
  EXPECT_EQ(s.Read(buf, 4), 3u);
  s.Seek(-5);
  EXPECT_EQ(s.Position(), 0);
}

TEST(Streams, FileStreamReadsWritesAndSeeks) {
  testing::TempDir dir;
  {
    FileStream f(dir.File("a"), FileStream::Mode::Create);
    f.WriteString("hello");
    f.Seek(1);
    f.WriteString("E");
  }
  FileStream f(dir.File("a"), FileStream::Mode::Read);
  EXPECT_EQ(f.Size(), 5);
  char buf[5];
  f.ReadExact(buf, 5);
  EXPECT_EQ(std::string(buf, 5), "hEllo");
  EXPECT_THROW_MSG_HAS(FileStream(dir.File("missing"), FileStream::Mode::Read), EInOutError,
                       "Не удалось открыть файл \"" + dir.File("missing") + "\": ");
}

}  // namespace
}  // namespace kest
