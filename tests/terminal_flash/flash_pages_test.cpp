// Flash page reads and writes, the fingerprint model's area-3 window, the flash commands and
// the record counters, against the simulated main terminal.
#include "terminal/flash_pages.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "sim/models/terminal_flash.h"
#include "sim/models/terminal_state.h"
#include "vorskel.h"
#include "wire.h"

namespace vorskel {
namespace {

using sim::Bytes;
using testing::request_hex;

class FlashPages : public testing::SimTest {
 protected:
  template <class F>
  auto model(F&& f) {
    return sim().with_model([&](sim::Model& m) { return f(m); });
  }
  sim::FlashAreas& areas(sim::Model& m) { return m.part<sim::FlashAreas>(); }
};

Bytes pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
  return b;
}

TEST_F(FlashPages, RequestsOnTheWire) {
  const Bytes data = pattern(300, 0x10);
  unsigned char buf[600] = {};
  unsigned int a = 0, b = 0, rp[4], gp[3];
  const std::vector<testing::WireRow> rows = {
      {"RdFlash2", [&] { return Vorsk_RdFlash2(buf, 16, 0x12345, host(), port()); },
       request_hex(4, 4, {{0, "45 23 01 00"}})},
      {"RdFlash3", [&] { return Vorsk_RdFlash3(buf, 16, 0x7FE00, host(), port()); },
       request_hex(53, 4, {{0, "00 FE 07 00"}})},
      {"WrFlash2", [&] { return Vorsk_WrFlash2(data.data(), 3, 0x200, host(), port()); },
       request_hex(55, 9, {{0, "00 02 00 00 03 00"}, {6, "10 17 1E"}})},
      {"WrFlash3", [&] { return Vorsk_WrFlash3(data.data(), 2, 0x40000, host(), port()); },
       request_hex(54, 8, {{0, "00 00 04 00 02 00 10 17"}})},
      {"WrFlash2 empty", [&] { return Vorsk_WrFlash2(nullptr, 0, 0x10, host(), port()); },
       request_hex(55, 6, {{0, "10 00 00 00 00 00"}})},
      {"GetTotal", [&] { return Vorsk_GetTotal(&a, &b, host(), port()); }, request_hex(11, 0, {})},
      {"GetPoint", [&] { return Vorsk_GetPoint(rp, gp, host(), port()); }, request_hex(18, 0, {})},
      {"InitFlash", [&] { return Vorsk_InitFlash(host(), port()); }, request_hex(5, 0, {})},
      {"Wr2_Flash", [&] { return Vorsk_Wr2_Flash(0x1A5, host(), port()); },
       request_hex(144, 1, {{0, "A5"}})},
      {"window read", [&] { return Pirrel_ReadWriteFlash3st(buf, 32, 0x7FFF0, 7, host(), port()); },
       request_hex(37, 512, {{0, "00 FF 07 00 20 00 01 00"}})},
      {"window write",
       [&] {
         return Pirrel_ReadWriteFlash3st(const_cast<unsigned char*>(data.data()), 300, 0x100, 0,
                                         host(), port());
       },
       [&] {
         std::string payload;
         for (int i = 0; i < 256; ++i) payload += testing::hex({data[i]}) + " ";
         return request_hex(37, 512, {{0, "00 01 00 00 00 01 00 00"}, {8, payload}});
       }()},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(FlashPages, ReadCopiesAtMostOnePage) {
  model([&](sim::Model& m) {
    const Bytes p = pattern(1024, 0x33);
    std::copy(p.begin(), p.end(), areas(m).area2.begin() + 0x400);
    return 0;
  });
  struct Case {
    int length;
    int copied;
  } cases[] = {{1000, 512}, {512, 512}, {17, 17}, {0, 0}, {-5, 0}};
  for (const auto& c : cases) {
    Bytes buf(1100, 0xEE);
    ASSERT_EQ(Vorsk_RdFlash2(buf.data(), c.length, 0x400, host(), port()), 0);
    const Bytes expected = pattern(1024, 0x33);
    for (int i = 0; i < 1100; ++i) {
      const std::uint8_t want = i < c.copied ? expected[i] : 0xEE;
      ASSERT_EQ(buf[i], want) << "length " << c.length << ", byte " << i;
    }
  }
}

TEST_F(FlashPages, WritesChangeWhatLaterReadsReturn) {
  // Record downloads read area 3 and hosts keep their tables in area 2: a page written must
  // come back unchanged, in the right area only.
  const Bytes a = pattern(256, 0x01), b = pattern(256, 0x80);
  EXPECT_EQ(Vorsk_WrFlash2(a.data(), 256, 0x1000, host(), port()), 0);
  EXPECT_EQ(Vorsk_WrFlash3(b.data(), 256, 0x1000, host(), port()), 0);
  unsigned char back2[512], back3[512];
  ASSERT_EQ(Vorsk_RdFlash2(back2, 512, 0x1000, host(), port()), 0);
  ASSERT_EQ(Vorsk_RdFlash3(back3, 512, 0x1000, host(), port()), 0);
  EXPECT_TRUE(std::equal(a.begin(), a.end(), back2));
  EXPECT_TRUE(std::equal(b.begin(), b.end(), back3));
  EXPECT_EQ(back2[256], 0xFF) << "bytes after the write stay erased";
  // The read the record readers call sees the same memory.
  unsigned char via_engine[8];
  ASSERT_EQ(read_flash_page(3, via_engine, 8, 0x1000, host(), port()), 0);
  EXPECT_TRUE(std::equal(b.begin(), b.begin() + 8, via_engine));
}

TEST_F(FlashPages, WriteLengthLimits) {
  const Bytes data = pattern(300, 0);
  EXPECT_EQ(Vorsk_WrFlash3(data.data(), 257, 0, host(), port()), -1);
  EXPECT_EQ(Vorsk_WrFlash2(data.data(), -1, 0, host(), port()), -1);
  EXPECT_EQ(Vorsk_WrFlash2(nullptr, 4, 0, host(), port()), -1);
  EXPECT_EQ(write_flash_page(4, data.data(), 4, 0, host(), port()), -1);
  EXPECT_EQ(read_flash_page(1, nullptr, 4, 0, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 0u) << "refused writes send nothing";
  EXPECT_EQ(Vorsk_WrFlash3(data.data(), 256, 0, host(), port()), 0);
  EXPECT_EQ(last_request().datagram.size(), 265u);  // 3 + 6 + 256
}

TEST_F(FlashPages, WriteResultIsTheTerminalsSignedStatus) {
  const Bytes data = pattern(4, 0);
  struct Case {
    std::uint16_t status;
    int result;
  } cases[] = {{0xFFFF, -1}, {0x0001, 1}, {0x8000, -32768}, {0x7FFF, 32767}};
  for (const auto& c : cases) {
    model(
        [&](sim::Model& m) { return m.part<sim::FlashControl>().forced_write_status = c.status; });
    EXPECT_EQ(Vorsk_WrFlash2(data.data(), 4, 0, host(), port()), c.result) << c.status;
  }
  model([&](sim::Model& m) { return m.part<sim::FlashControl>().forced_write_status.reset(); });
  // The simulated terminal refuses a page running past the end of area 2 with 0xFFFF.
  EXPECT_EQ(Vorsk_WrFlash2(data.data(), 4, 256 * 1024 - 2, host(), port()), -1);
}

TEST_F(FlashPages, FailedExchangesPassThroughAndLeaveBuffersAlone) {
  set_receive_timeout(100);
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kNoReply});
  unsigned char buf[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Vorsk_RdFlash3(buf, 8, 0, host(), port()), -21);
  EXPECT_EQ(Vorsk_WrFlash3(buf, 8, 0, host(), port()), -21);
  unsigned int total = 77, rp[4] = {9, 9, 9, 9};
  EXPECT_EQ(Vorsk_GetTotal(&total, nullptr, host(), port()), -21);
  EXPECT_EQ(Vorsk_GetPoint(rp, nullptr, host(), port()), -21);
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(total, 77u);
  EXPECT_EQ(rp[3], 9u);
  sim().clear_faults();
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kWrongCode});
  EXPECT_EQ(Vorsk_InitFlash(host(), port()), -22);
  EXPECT_EQ(Vorsk_Wr2_Flash(1, host(), port()), -22);
}

TEST_F(FlashPages, FlashCommandsReachTheTerminal) {
  const Bytes data = pattern(16, 0x40);
  ASSERT_EQ(Vorsk_WrFlash2(data.data(), 16, 0, host(), port()), 0);
  ASSERT_EQ(Vorsk_InitFlash(host(), port()), 0);
  unsigned char back[16];
  ASSERT_EQ(Vorsk_RdFlash2(back, 16, 0, host(), port()), 0);
  EXPECT_EQ(back[0], 0xFF) << "the simulated terminal erases its flash on initialisation";
  ASSERT_EQ(Vorsk_Wr2_Flash(0x37, host(), port()), 0);
  model([&](sim::Model& m) {
    EXPECT_EQ(m.part<sim::FlashControl>().init_count, 1);
    EXPECT_EQ(m.part<sim::FlashControl>().wr2_value, 0x37);
    return 0;
  });
  EXPECT_EQ(Vorsk_DumpFlash2Ram(1, 2, 3), 0);
  EXPECT_EQ(sim().request_count(), 4u) << "the RAM dump sends nothing";
}

TEST_F(FlashPages, RecordCountersFromTheirReplyBytes) {
  model([&](sim::Model& m) {
    auto& c = m.part<sim::RecordCounters>();
    c.record_total = 0xFEDC;
    c.second_count = 0x0102;
    c.start = 0x11223344;
    c.end = 0x55667788;
    c.area_end = 0x00080000;
    c.cycle = 0x03;  // the simulated reply carries 0xA5 at [12]
    c.registration[0] = 0x1000;
    c.registration[1] = 0x2000;
    c.registration[2] = 0xFFFFFFFF;
    return 0;
  });
  unsigned int total = 0, second = 0, rp[4] = {}, gp[3] = {};
  ASSERT_EQ(Vorsk_GetTotal(&total, &second, host(), port()), 0);
  EXPECT_EQ(total, 0xFEDCu);
  EXPECT_EQ(second, 0x0102u);
  ASSERT_EQ(Vorsk_GetPoint(rp, gp, host(), port()), 0);
  EXPECT_EQ(rp[0], 0x11223344u);
  EXPECT_EQ(rp[1], 0x55667788u);
  EXPECT_EQ(rp[2], 0x00080000u);
  EXPECT_EQ(rp[3], 0x03u) << "cycle byte from reply byte 13";
  EXPECT_EQ(gp[0], 0x1000u);
  EXPECT_EQ(gp[1], 0x2000u);
  EXPECT_EQ(gp[2], 0xFFFFFFFFu);
}

TEST_F(FlashPages, WindowAddressMovesInsideArea3) {
  struct Case {
    unsigned int address;
    int length;
    std::uint32_t sent;
  } cases[] = {
      {0x7FFF0, 32, 0x7FF00},   // would run past 0x80000
      {0x7FF00, 256, 0x7FF00},  // ends exactly at the end: unchanged
      {0x7FF01, 256, 0x7FF00},  {0x7FFE0, 32, 0x7FFE0},
      {0x90000, 0, 0x7FF00},    {0x1234, 1000, 0x1234},  // 256 bytes asked for, well inside
      {0x7FD00, 1000, 0x7FF00},  // the caller's length decides, not the 256 sent
  };
  unsigned char buf[1000];
  for (const auto& c : cases) {
    ASSERT_EQ(Pirrel_ReadWriteFlash3st(buf, c.length, c.address, 1, host(), port()), 0);
    const auto r = last_request();
    EXPECT_EQ(r.p32(0), c.sent) << std::hex << c.address << " + " << c.length;
    EXPECT_EQ(r.p16(4), std::min(c.length, 256));
  }
}

TEST_F(FlashPages, WindowWritesAndReadsArea3) {
  const Bytes data = pattern(256, 0x21);
  ASSERT_EQ(Pirrel_ReadWriteFlash3st(const_cast<unsigned char*>(data.data()), 256, 0x7FF00, 0,
                                     host(), port()),
            0);
  Bytes back(300, 0xEE);
  ASSERT_EQ(Pirrel_ReadWriteFlash3st(back.data(), 300, 0x7FF00, 1, host(), port()), 0);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
  EXPECT_EQ(back[256], 0xEE) << "at most 256 bytes are copied";
  unsigned char page[512];
  ASSERT_EQ(Vorsk_RdFlash3(page, 512, 0x7FF00, host(), port()), 0);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), page)) << "the same area 3";
  EXPECT_EQ(Pirrel_ReadWriteFlash3st(nullptr, 16, 0, 0, host(), port()), -1);
}

TEST_F(FlashPages, WindowReadCopiesWhatTheReplyDelivers) {
  const Bytes data = pattern(64, 0x50);
  ASSERT_EQ(Vorsk_WrFlash3(data.data(), 64, 0x2000, host(), port()), 0);
  struct Case {
    std::uint16_t delivered;  // count in the reply
    int length;
    int copied;
  } cases[] = {{8, 32, 8}, {400, 32, 32}, {0, 32, 0}};
  for (const auto& c : cases) {
    model([&](sim::Model& m) {
      return m.part<sim::FlashControl>().forced_window_count = c.delivered;
    });
    Bytes buf(64, 0xEE);
    ASSERT_EQ(Pirrel_ReadWriteFlash3st(buf.data(), c.length, 0x2000, 1, host(), port()), 0);
    for (int i = 0; i < 64; ++i)
      ASSERT_EQ(buf[i], i < c.copied ? data[i] : 0xEE) << c.delivered << ", byte " << i;
  }
}

TEST_F(FlashPages, WindowReadAfterAFailedExchangeGivesZeros) {
  set_receive_timeout(100);
  sim().inject(37, sim::Fault{sim::FaultKind::kNoReply});
  Bytes buf(64, 0xEE);
  EXPECT_EQ(Pirrel_ReadWriteFlash3st(buf.data(), 40, 0, 1, host(), port()), -21);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(buf[i], i < 40 ? 0 : 0xEE) << i;
}

}  // namespace
}  // namespace vorskel
