// Saving when the disk fills up part-way: the previous file must stay as it was, no
// temporary file may be left behind, and the caller must hear about it. The full
// disk is a file-size limit (RLIMIT_FSIZE) on this process: writes past it fail with
// EFBIG exactly where ENOSPC would, through the same system calls.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "lisp/wlisp.h"
#include "log/las_filer.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "support/errors.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// Limits the size of any file this process writes, for the life of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);  // EFBIG instead of a killed process
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t old_handler_;
};

void Fill(TLogSheet& sheet, int tracks, int rows) {
  for (int t = 0; t < tracks; ++t) {
    TLogTrack* track = sheet.NewTrack(t == 0 ? "GR" : "SP");
    track->SetOrigin(100000);
    track->SetStep(100);
    for (int i = 0; i < rows; ++i) track->Append(static_cast<float>((i * 7919 + t) % 1000) / 3);
  }
  sheet.UpdateRange();
}

std::vector<std::string> Listing(const testing::TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FullDiskSave : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    tables_.Parameters().Add("GR", "Gamma ray", 1, "0.00", "GR", "API", "GR");
    tables_.Parameters().Add("SP", "Spontaneous potential", 2, "0.0", "SP", "mV", "SP");
  }

  TWLisp lisp_;
  TLogParameterTables tables_;
  testing::TempDir dir_;
};

TEST_P(FullDiskSave, KeepsThePreviousFileAndReportsTheError) {
  const std::string ext = GetParam();
  const std::string target = dir_.File("run." + ext);
  TLogSheet small;
  Fill(small, 2, 50);
  small.SaveToFile(target, ext);
  const std::vector<uint8_t> before = ReadWholeFile(target);

  TLogSheet big;
  Fill(big, 2, 40000);  // several hundred kilobytes in either format
  {
    FileSizeLimit limit(64 * 1024);
    try {
      big.SaveToFile(target, ext);
      FAIL() << "a save that did not fit reported success";
    } catch (const EInOutError& e) {
      EXPECT_NE(std::string(e.what()).find("Ошибка записи"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(ReadWholeFile(target), before);
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"run." + ext}) << "temporary file left";

  // With room again, the same save goes through, whole.
  big.SaveToFile(target, ext);
  MemoryStream expected;
  big.SaveToStream(expected, ext);
  EXPECT_EQ(ReadWholeFile(target), expected.Bytes());
}

TEST_P(FullDiskSave, ANewFileIsNotCreatedHalfWritten) {
  const std::string ext = GetParam();
  TLogSheet big;
  Fill(big, 2, 40000);
  {
    FileSizeLimit limit(16 * 1024);
    EXPECT_THROW_MSG_HAS(big.SaveToFile(dir_.File("new." + ext), ext), EInOutError,
                         "Ошибка записи");
  }
  EXPECT_TRUE(Listing(dir_).empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, FullDiskSave, ::testing::Values("LS", "LAS"));

}  // namespace
}  // namespace kest
