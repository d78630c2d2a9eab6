#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "support/assert.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

std::vector<float> SamplesOf(const TLogTrack& t) {
  return std::vector<float>(t.Samples(), t.Samples() + t.Count());
}

TEST(LogTrackGrowth, DescendingAppendPutsNewSamplesInFront) {
  TLogTrack t;
  t.SetOrigin(1000);
  t.SetStep(10);
  t.SetAscending(false);
  for (float v : {1.f, 2.f, 3.f}) t.Append(v);
  EXPECT_EQ(t.Origin(), 970);
  EXPECT_EQ(t.Count(), 3);
  EXPECT_EQ(t.End(), 990);
  EXPECT_EQ(SamplesOf(t), (std::vector<float>{3, 2, 1}));
  EXPECT_EQ(t.Capacity(), TLogTrack::kGrowth);
  EXPECT_EQ(t.Head(), TLogTrack::kGrowth - 3);
}

TEST(LogTrackGrowth, AscendingGrowsInBlocksAndKeepsSamples) {
  TLogTrack t;
  for (int i = 0; i < TLogTrack::kGrowth; ++i) t.Append(static_cast<float>(i));
  EXPECT_EQ(t.Capacity(), 8192);
  t.Append(8192.f);
  EXPECT_EQ(t.Capacity(), 16384);
  ASSERT_EQ(t.Count(), 8193);
  for (int i = 0; i < t.Count(); ++i) ASSERT_EQ(t.Sample(i), static_cast<float>(i));
}

TEST(LogTrackGrowth, DescendingGrowthKeepsEverySampleAtItsArgument) {
  TLogTrack t;
  t.SetOrigin(0);
  t.SetStep(5);
  t.SetAscending(false);
  const int n = 2 * TLogTrack::kGrowth + 10;
  for (int i = 0; i < n; ++i) t.Append(static_cast<float>(i));
  EXPECT_EQ(t.Capacity(), 3 * TLogTrack::kGrowth);
  EXPECT_EQ(t.Origin(), -5 * n);
  // The first value appended stays at argument -5, the last at Origin.
  EXPECT_EQ(t.LastSample(), 0.f);
  EXPECT_EQ(t.Sample(0), static_cast<float>(n - 1));
  for (int i = 0; i < n; ++i) ASSERT_EQ(t.Sample(i), static_cast<float>(n - 1 - i));
}

TEST(LogTrackDropLast, TakesBackTheGrowingEnd) {
  TLogTrack empty;
  empty.SetOrigin(500);
  empty.SetStep(20);
  empty.DropLast();
  EXPECT_EQ(empty.Origin(), 480);
  EXPECT_EQ(empty.Count(), 0);

  TLogTrack up;
  up.SetOrigin(1000);
  up.SetStep(10);
  up.SetAscending(false);
  for (float v : {1.f, 2.f, 3.f}) up.Append(v);
  up.DropLast();
  EXPECT_EQ(up.Origin(), 980);
  EXPECT_EQ(SamplesOf(up), (std::vector<float>{2, 1}));
  EXPECT_EQ(up.End(), 990);
  up.Append(9.f);
  EXPECT_EQ(SamplesOf(up), (std::vector<float>{9, 2, 1}));

  TLogTrack down;
  down.SetStep(10);
  for (float v : {1.f, 2.f}) down.Append(v);
  down.DropLast();
  EXPECT_EQ(SamplesOf(down), (std::vector<float>{1}));
  EXPECT_EQ(down.End(), 0);
}

TEST(LogTrackCapacity, RulesOfSetCapacity) {
  TLogTrack t;
  EXPECT_THROW(t.SetCapacity(-1), EAssertionFailed);
  t.SetCapacity(1);
  EXPECT_EQ(t.Capacity(), 8192);
  for (int i = 0; i < 10; ++i) t.Append(1.f);
  t.SetCapacity(0);
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(t.Capacity(), 0);
  EXPECT_EQ(t.End(), t.Origin());

  TLogTrack down;
  down.SetAscending(false);
  down.SetCapacity(100);
  EXPECT_EQ(down.Head(), 8192);  // all room in front
}

TEST(LogTrackCapacity, ImpossibleCapacityKeepsSamples) {
  TLogTrack t;
  t.Append(7.f);
  EXPECT_THROW_MSG(t.SetCapacity(INT32_MAX), EOutOfMemory, "Out of memory");
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Sample(0), 7.f);
}

TEST(LogTrackStep, NonPositiveStepIsRefusedAndKeepsOldStep) {
  TLogTrack t;
  t.SetStep(100);
  EXPECT_THROW_MSG(t.SetStep(0), ELogTrackError, "Шаг кривой < 1mm (ms)");
  EXPECT_THROW_MSG(t.SetStep(-5), ELogTrackError, "Шаг кривой < 1mm (ms)");
  EXPECT_EQ(t.Step(), 100);
}

TEST(LogTrackChecksum, IsComplementOfStandardCrc32) {
  // CRC-32 of the bytes of 1.0f (00 00 80 3F) is 0xACA16A6A (zlib); the stored
  // value is its complement. An empty track keeps the initial value.
  TLogTrack t;
  EXPECT_EQ(t.ComputeChecksum(), 0xFFFFFFFFu);
  t.Append(1.0f);
  t.UpdateChecksum();
  uint32_t crc = 0xFFFFFFFFu;
  const uint8_t bytes[] = {0x00, 0x00, 0x80, 0x3F};
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  EXPECT_EQ(t.Checksum(), crc);
  EXPECT_EQ(~t.Checksum(), 0xACA16A6Au);
}

TEST(LogTrackDifferential, ReadsDerivedValuesAndFollowsWrites) {
  TLogTrack t;
  t.SetStep(10);
  for (float v : {1.f, 4.f, 2.f}) t.Append(v);
  t.SetDifferential(true);
  EXPECT_EQ(SamplesOf(t), (std::vector<float>{0, 30, 20}));
  t.Append(2.5f);
  EXPECT_EQ(t.LastSample(), 5.f);
  t.SetDifferential(false);
  EXPECT_EQ(SamplesOf(t), (std::vector<float>{1, 4, 2, 2.5f}));
  t.SetSample(0, 0.f);
  t.SetDifferential(true);
  EXPECT_EQ(t.Sample(1), 40.f);
  // Growth past the block keeps the derived view consistent.
  for (int i = 0; i < TLogTrack::kGrowth; ++i) t.Append(static_cast<float>(i));
  EXPECT_EQ(t.LastSample(), 10.f);
  EXPECT_EQ(t.Sample(4), 25.f);  // |0 - 2.5| * 10
}

TEST(LogTrackAssign, CopiesGridAndSamplesButNotForeign) {
  TLogTrack source;
  source.SetParameter("GK");
  source.SetOrigin(100);
  source.SetStep(10);
  source.SetAscending(false);
  source.SetForeign(true);
  source.SetTag(42);
  for (float v : {1.f, 2.f}) source.Append(v);
  TLogTrack copy;
  copy.Assign(source);
  EXPECT_EQ(copy.Parameter(), "GK");
  EXPECT_EQ(copy.Origin(), 80);
  EXPECT_EQ(copy.End(), 90);
  EXPECT_FALSE(copy.Ascending());
  EXPECT_FALSE(copy.Foreign());
  EXPECT_EQ(copy.Tag(), 42);
  EXPECT_EQ(SamplesOf(copy), SamplesOf(source));
  copy.Append(3.f);  // still grows in front
  EXPECT_EQ(copy.Sample(0), 3.f);
  EXPECT_EQ(copy.Origin(), 70);
}

}  // namespace
}  // namespace kest
