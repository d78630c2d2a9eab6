#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <random>

#include "link/logger_packet_driver.h"
#include "link/logger_port_driver.h"
#include "pseudo_terminal.h"
#include "scripted_port.h"
#include "support/assert.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

std::vector<TPacket> Drain(TLoggerPacketDriver& driver) {
  std::vector<TPacket> out;
  TPacket p;
  while (driver.GetPacket(p)) out.push_back(p);
  return out;
}

void Feed(TLoggerPacketDriver& d, std::vector<uint8_t> bytes) {
  d.Feed(bytes.data(), bytes.size());
}

TPacket Valid(uint8_t id, uint8_t a, uint8_t b, uint8_t c, uint8_t e) {
  return {id, a, b, c, e, static_cast<uint8_t>(0x100 - ((id + a + b + c + e) & 0xFF))};
}

TEST(PacketParser, AcceptsAttachedIdWithZeroSum) {
  TLoggerPacketDriver d;
  d.AttachID(5);
  Feed(d, {0x05, 0x01, 0x02, 0x03, 0x04, 0xF1});
  auto packets = Drain(d);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0], (TPacket{5, 1, 2, 3, 4, 0xF1}));
  EXPECT_EQ(d.GoodCount(), 1);
  EXPECT_EQ(d.BadCount(), 0);
}

TEST(PacketParser, UnattachedBytesAreEachCountedAndDropped) {
  TLoggerPacketDriver d;
  Feed(d, {0x05, 0x01, 0x02, 0x03, 0x04, 0xF1});
  EXPECT_TRUE(Drain(d).empty());
  EXPECT_EQ(d.BadCount(), 6);
}

TEST(PacketParser, BadSumIsReparsedFromItsSecondByte) {
  TLoggerPacketDriver d;
  d.AttachID(7);
  d.AttachID(9);
  // A 7-packet with a wrong sum whose byte 3 starts a valid 9-packet; the last three
  // bytes of that packet arrive afterwards.
  TPacket inner = Valid(9, 0x10, 0x20, 0x30, 0x40);
  Feed(d, {0x07, 0x55, 0x66, inner[0], inner[1], inner[2]});
  EXPECT_EQ(d.BadCount(), 3);  // the rejected packet, then 0x55 and 0x66 as starts
  EXPECT_EQ(d.ParseState(), 3);
  Feed(d, {inner[3], inner[4], inner[5]});
  auto packets = Drain(d);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0], inner);
}

TEST(PacketParser, AcknowledgementBytesStandAloneOnlyAtAPacketStart) {
  TLoggerPacketDriver d;
  d.AttachID(4);
  TPacket p = Valid(4, 0x92, 0x93, 0, 0);
  Feed(d, {0x92, p[0], p[1], p[2], p[3], p[4], p[5], 0x93});
  auto packets = Drain(d);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0], (TPacket{0x92, 0, 0, 0, 0, 0}));
  EXPECT_EQ(packets[1], p);  // 0x92 inside a packet is payload
  EXPECT_EQ(packets[2], (TPacket{0x93, 0, 0, 0, 0, 0}));
  EXPECT_EQ(d.GoodCount(), 3);
}

TEST(PacketParser, AttachCountsAreBounded) {
  TLoggerPacketDriver d;
  EXPECT_THROW_MSG(d.DetachID(3), EAssertionFailed, "Underflow in TL1_Driver.DetachID");
  for (int i = 0; i < 255; ++i) d.AttachID(3);
  EXPECT_THROW_MSG(d.AttachID(3), EAssertionFailed, "Overflow in TL1_Driver.AttachID");
  for (int i = 0; i < 255; ++i) d.DetachID(3);
  EXPECT_FALSE(d.Attached(3));
}

TEST(PacketRing, HoldsSizeMinusOnePackets) {
  TPacketBuffer ring(512);
  for (int i = 0; i < 511; ++i) ASSERT_TRUE(ring.Put({static_cast<uint8_t>(i), 0, 0, 0, 0, 0}));
  EXPECT_FALSE(ring.Put({0xEE, 0, 0, 0, 0, 0}));  // dropped and logged
  TPacket p;
  ASSERT_TRUE(ring.Get(p));
  EXPECT_EQ(p[0], 0);  // the earlier packets stay
  EXPECT_EQ(ring.Pending(), 510);
  EXPECT_TRUE(ring.WaitDataReady(0));
  EXPECT_FALSE(ring.WaitDataReady(0));  // auto-reset
}

class TickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script_.Register("SCRIPT-TICK");
    port_.SetPortName("SCRIPT-TICK");
    port_.Open();
    driver_.SetPort(&port_);
  }
  void TearDown() override { UnregisterPortName("SCRIPT-TICK"); }
  testing::ScriptedPort script_;
  TLoggerPortDriver port_;
  TLoggerPacketDriver driver_;
};

TEST_F(TickTest, FortyTicksGiveTheStatisticsInOrder) {
  driver_.AttachID(8);
  TPacket p = Valid(8, 1, 2, 3, 4);
  for (int tick = 0; tick < 40; ++tick) {
    if (tick == 10) script_.Send({p.begin(), p.end()});
    if (tick == 20) script_.Send({0x77, 0x78});  // two unexpected starts
    driver_.Tick();
  }
  auto packets = Drain(driver_);
  ASSERT_EQ(packets.size(), 40u + 1 + 3);
  EXPECT_EQ(packets[10], (TPacket{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(packets[11], p);  // received after that tick's 0x01
  EXPECT_EQ(packets[41], (TPacket{2, 0, 0, 0, 0, 0}));
  EXPECT_EQ(packets[42], (TPacket{4, 0, 1, 0, 0, 0}));
  EXPECT_EQ(packets[43], (TPacket{3, 0, 2, 0, 0, 0}));
  EXPECT_EQ(driver_.TickCount(), 0);
  // A quiet second reports no bad count.
  for (int tick = 0; tick < 40; ++tick) driver_.Tick();
  packets = Drain(driver_);
  ASSERT_EQ(packets.size(), 42u);
  EXPECT_EQ(packets.back(), (TPacket{4, 0, 0, 0, 0, 0}));
}

TEST_F(TickTest, GoodCountIsReportedModulo65536) {
  driver_.AttachID(8);
  TPacket p = Valid(8, 0, 0, 0, 0);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 65536 + 3; ++i) bytes.insert(bytes.end(), p.begin(), p.end());
  driver_.Feed(bytes.data(), bytes.size());
  Drain(driver_);  // more than the ring holds; the overflow is logged
  for (int tick = 0; tick < 40; ++tick) driver_.Tick();
  auto packets = Drain(driver_);
  EXPECT_EQ(packets.back(), (TPacket{4, 0, 3, 0, 0, 0}));
}

// The same framing over a real pseudo-terminal: the tool side writes a packet split
// across ticks with a corrupted one in front, the receive side ticks.
TEST(PacketParser, PseudoTerminalStreamIsFramedAcrossTicks) {
  testing::PseudoTerminal pty;
  ASSERT_TRUE(pty.Opened()) << pty.Error();
  TLoggerPortDriver port;
  port.SetPortName(pty.SlavePath());
  port.Open();
  TLoggerPacketDriver driver;
  driver.SetPort(&port);
  driver.AttachID(0x21);
  TPacket good = Valid(0x21, 9, 8, 7, 6);
  const uint8_t first[] = {0x21, 1, 1, 1, 1, 1, good[0], good[1]};  // bad sum, then a start
  const uint8_t rest[] = {good[2], good[3], good[4], good[5]};
  auto tick_until = [&](size_t packets) {
    std::vector<TPacket> got;
    for (int i = 0; i < 50 && got.size() < packets; ++i) {
      driver.Tick();
      for (TPacket p; driver.GetPacket(p);)
        if (p[0] == 0x21) got.push_back(p);  // leave out tick and statistics packets
      if (got.size() < packets) usleep(1000);
    }
    return got;
  };
  ASSERT_TRUE(pty.Write(first, sizeof first));
  EXPECT_TRUE(tick_until(1).empty());
  ASSERT_TRUE(pty.Write(rest, sizeof rest));
  auto got = tick_until(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], good);
  port.Close();
}

// A sustained line at full rate with 1% of bytes corrupted: every packet that was
// not touched arrives, in order, and the counters add up.
TEST(PacketParser, CorruptedStreamLosesOnlyTouchedPackets) {
  TLoggerPacketDriver d;
  for (uint8_t id : {0x10, 0x11, 0x12}) d.AttachID(id);
  std::mt19937 rng(1234);
  std::vector<TPacket> sent;
  std::vector<bool> touched;
  std::vector<uint8_t> stream;
  for (int i = 0; i < 20000; ++i) {
    TPacket p = Valid(static_cast<uint8_t>(0x10 + i % 3), static_cast<uint8_t>(i),
                      static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(rng() & 0x7F), 0x20);
    bool hit = false;
    for (auto& b : p) {
      if (rng() % 100 == 0) {
        b ^= static_cast<uint8_t>(1 + rng() % 255);
        hit = true;
      }
    }
    sent.push_back(p);
    touched.push_back(hit);
    stream.insert(stream.end(), p.begin(), p.end());
  }
  std::vector<TPacket> got;
  for (size_t at = 0; at < stream.size(); at += 144) {  // one 25 ms tick of bytes
    d.Feed(stream.data() + at, std::min<size_t>(144, stream.size() - at));
    for (TPacket p; d.GetPacket(p);) got.push_back(p);
  }
  // Every untouched packet is found in order (corruption may also yield a few
  // spurious packets that happen to sum to zero; those are not lost ones).
  size_t g = 0, delivered = 0, expected = 0;
  for (size_t i = 0; i < sent.size(); ++i) {
    if (touched[i]) continue;
    ++expected;
    while (g < got.size() && got[g] != sent[i]) ++g;
    if (g < got.size()) {
      ++delivered;
      ++g;
    }
  }
  EXPECT_EQ(delivered, expected);
  EXPECT_GT(expected, 18000u);
  EXPECT_EQ(static_cast<size_t>(d.GoodCount()), got.size());
}

}  // namespace
}  // namespace kest
