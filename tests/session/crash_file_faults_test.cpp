// The auto-save into the crash file when the disk fails under it: the recording goes
// on with every row, the crash file keeps the last good auto-save (never a part of a
// new one), the failure is logged once and remembered, and the next auto-save that
// works brings the crash file up to date.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "faulty_calls.h"
#include "session_fixture.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"

namespace kest {
namespace {

using testing::FaultyCalls;

class CrashFileFaults : public ::testing::Test, public testing::SessionFixture {
 protected:
  CrashFileFaults() {
    logger->SetPortName("Nul");
    Diag().Open(dir.File("kest.log"), "kest");
    session->RecordStep = 100;
  }
  ~CrashFileFaults() override { Diag().Close(); }

  void MoveTo(double metres) { logger->SetDepthStep(logger->DepthStep(), metres); }
  std::vector<float> Depths() {
    std::vector<float> out;
    for (int i = 0; i < Track("DEPTH")->Count(); ++i) out.push_back(Track("DEPTH")->Sample(i));
    return out;
  }
  // What an up-to-date crash file holds: every row recorded.
  std::vector<float> DueInCrashFile() { return Depths(); }
  // The rows that a recovery would restore.
  std::vector<float> CrashFileDepths() {
    TLogSheet back;
    back.LoadFromFile(session->CrashFile(), "TMP");
    TLogTrack* depth = back.FindTrack("DEPTH");
    std::vector<float> out;
    for (int i = 0; depth && i < depth->Count(); ++i) out.push_back(depth->Sample(i));
    return out;
  }
  std::string Log() {
    auto bytes = ReadWholeFile(dir.File("kest.log"));
    return std::string(bytes.begin(), bytes.end());
  }
  int AutoSaveErrors() {
    std::string log = Log();
    int n = 0;
    for (size_t at = log.find(" x Auto-save: "); at != std::string::npos;
         at = log.find(" x Auto-save: ", at + 1))
      ++n;
    return n;
  }
};

struct Fault {
  const char* name;
  FaultyCalls::Call call;
  int error;
  int after;  // calls that pass first
  const char* text;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class CrashFileRewriteFaults : public CrashFileFaults,
                               public ::testing::WithParamInterface<Fault> {};

// Recorded upwards, the crash file is written whole into "crash.tmp.new" and renamed.
TEST_P(CrashFileRewriteFaults, RecordingGoesOnAndTheLastGoodCrashFileStays) {
  const Fault& fault = GetParam();
  MoveTo(2.0);
  session->SetRecordMode(RecordingSession::rmDepthUp);
  MoveTo(1.5);
  session->AutoSave();
  ASSERT_EQ(CrashFileDepths(), DueInCrashFile());
  auto good = ReadWholeFile(session->CrashFile());

  MoveTo(1.0);
  std::vector<float> rows = Depths();
  {
    FaultyCalls calls("crash.tmp");
    calls.Limit(16);  // a write that fails has written part of the file
    calls.Fail(fault.call, fault.error, INT_MAX, fault.after);
    session->AutoSave();
    session->AutoSave();  // the next tick meets the same failure
    EXPECT_GE(calls.Count(fault.call), 2);
  }
  EXPECT_TRUE(session->Recording());
  EXPECT_EQ(Depths(), rows);
  EXPECT_EQ(ReadWholeFile(session->CrashFile()), good);
  EXPECT_FALSE(std::filesystem::exists(session->CrashFile() + ".new"));
  EXPECT_NE(session->AutoSaveError().find(fault.text), std::string::npos)
      << session->AutoSaveError();
  EXPECT_EQ(AutoSaveErrors(), 1);
  EXPECT_NE(Log().find(fault.text), std::string::npos);

  MoveTo(0.8);
  session->AutoSave();
  EXPECT_EQ(CrashFileDepths(), DueInCrashFile());
  EXPECT_EQ(session->AutoSaveError(), "");
  EXPECT_NE(Log().find("Auto-save: crash file written again"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Disk, CrashFileRewriteFaults,
    ::testing::Values(Fault{"rename", FaultyCalls::kRename, EIO, 0, "Input/output error"},
                      Fault{"sync", FaultyCalls::kFsync, EIO, 0, "Input/output error"},
                      Fault{"full", FaultyCalls::kWrite, ENOSPC, 1, "No space left on device"}),
    [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

TEST_F(CrashFileFaults, AFolderInPlaceOfTheCrashFileIsReportedAndLaterSavesWork) {
  MoveTo(2.0);
  session->SetRecordMode(RecordingSession::rmDepthUp);
  std::filesystem::create_directory(session->CrashFile());
  MoveTo(1.5);
  session->AutoSave();
  EXPECT_TRUE(session->Recording());
  EXPECT_EQ(Depths().size(), 5u);
  EXPECT_NE(session->AutoSaveError().find("Is a directory"), std::string::npos)
      << session->AutoSaveError();
  EXPECT_EQ(AutoSaveErrors(), 1);

  std::filesystem::remove(session->CrashFile());
  MoveTo(1.2);
  session->AutoSave();
  EXPECT_EQ(CrashFileDepths(), DueInCrashFile());
  EXPECT_EQ(session->AutoSaveError(), "");
}

// Recorded downwards, rows are appended: a failed append must leave neither a part
// of a row nor a gap, or every row after it would come back at the wrong depth.
TEST_F(CrashFileFaults, AFailedAppendIsWrittenAgainWithoutAGap) {
  MoveTo(1.0);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  MoveTo(1.7);
  session->AutoSave();
  MoveTo(2.3);
  {
    FaultyCalls calls("crash.tmp");
    calls.Limit(6);
    calls.Fail(FaultyCalls::kWrite, ENOSPC, INT_MAX, 1);
    session->AutoSave();
  }
  EXPECT_NE(session->AutoSaveError().find("No space left on device"), std::string::npos);
  MoveTo(3.1);
  session->AutoSave();
  EXPECT_EQ(session->AutoSaveError(), "");
  EXPECT_EQ(CrashFileDepths(), DueInCrashFile());
  EXPECT_EQ(DueInCrashFile().size(), 21u);
}

}  // namespace
}  // namespace kest
