#include <gtest/gtest.h>

#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "log/log_sheet_filer.h"
#include "support/stream.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// A format that reads two tracks and then fails, or writes a marker.
class FailingFiler : public TLogSheetFiler {
 public:
  static std::string FormatName() { return "BAD"; }
  void Read(Stream&, TLogSheet& sheet) override {
    sheet.NewTrack();
    sheet.NewTrack();
    Progress(50);
    throw ELSFilerError("Неверный формат файла");
  }
  void Write(Stream& stream, TLogSheet&) override { stream.WriteString("ok"); }
};

TLogSheetFilers Registry() {
  TLogSheetFilers r;
  r.Register({"LS", nullptr});
  r.Register({"LAS", nullptr});
  r.Register({"BAD", [] { return std::make_unique<FailingFiler>(); }});
  return r;
}

TEST(FilerRegistry, FindsByNameOrExtensionInAnyCase) {
  auto r = Registry();
  for (const char* name : {".las", "las", "LAS", ".LaS"}) EXPECT_EQ(r.Find(name).FormatName, "LAS");
  EXPECT_EQ(r.Find("ls").FormatName, "LS");
}

TEST(FilerRegistry, UnknownNameShowsTheNameAsGiven) {
  auto r = Registry();
  for (const char* name : {"", ".doc"}) {
    EXPECT_THROW_MSG(r.Find(name), ELogSheetFilersError,
                     "Формат \"" + std::string(name) + "\" не поддерживается");
  }
}

TEST(FilerRegistry, FilterMaskListsFormatsInOrder) {
  EXPECT_EQ(Registry().FilterMask(), "*.LS;*.LAS;*.BAD");
  EXPECT_EQ(TLogSheetFilers().FilterMask(), "");
}

TEST(FilerRegistry, BuiltInFormatsInTheirOrder) {
  EXPECT_EQ(ReaderFilers().FilterMask(), "*.LS;*.LAS;*.TMP");
  EXPECT_EQ(WriterFilers().FilterMask(), "*.LS;*.LAS");
}

TEST(FilerRegistry, TmpIsReadableButNotWritable) {
  EXPECT_TRUE(ReaderFilers().Contains("tmp"));
  EXPECT_FALSE(WriterFilers().Contains("TMP"));
  TLogSheet sheet;
  MemoryStream out;
  EXPECT_THROW_MSG(sheet.SaveToStream(out, "TMP"), ELogSheetFilersError,
                   "Формат \"TMP\" не поддерживается");
}

TEST(FilerRegistry, FailedLoadLeavesEmptySheetAndNeverReportsCompletion) {
  auto r = Registry();
  TLogSheet sheet;
  sheet.NewTrack();
  std::vector<int> seen;
  MemoryStream in;
  EXPECT_THROW_MSG(LoadSheet(r.Find("BAD"), in, sheet, [&](int p) { seen.push_back(p); }),
                   ELSFilerError, "Неверный формат файла");
  EXPECT_EQ(sheet.Count(), 0);
  EXPECT_EQ(seen, (std::vector<int>{0, 50}));
}

TEST(FilerRegistry, SaveReportsZeroThenHundred) {
  auto r = Registry();
  TLogSheet sheet;
  std::vector<int> seen;
  MemoryStream out;
  SaveSheet(r.Find("bad"), out, sheet, [&](int p) { seen.push_back(p); });
  EXPECT_EQ(out.Text(), "ok");
  EXPECT_EQ(seen, (std::vector<int>{0, 100}));
}

TEST(FilerRegistry, FormatNameOfAFileIsItsLastThreeExtensionCharacters) {
  EXPECT_EQ(FileFormatName("/logs/001.ls"), "ls");
  EXPECT_EQ(FileFormatName("well.LAS"), "LAS");
  EXPECT_EQ(FileFormatName("crash.tmp"), "tmp");
  EXPECT_EQ(FileFormatName("a.backup"), "kup");
  EXPECT_EQ(FileFormatName("dir.v2/noext"), "");
}

}  // namespace
}  // namespace kest
