// Card blocks, the reader pass-through and the card-reader model's card operations against
// the simulated terminal and its card reader.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <functional>
#include <thread>

#include "sim/models/card_reader.h"
#include "support/udp_peer.h"
#include "transport/library.h"
#include "vorskel.h"
#include "wire.h"

namespace vorskel {
namespace {

using sim::Bytes;
using testing::request_hex;

static_assert(sizeof(VorskCardOperation) == 152);
static_assert(offsetof(VorskCardOperation, data) == 0);
static_assert(offsetof(VorskCardOperation, serial) == 64);
static_assert(offsetof(VorskCardOperation, keyParam) == 68);
static_assert(offsetof(VorskCardOperation, key) == 72);
static_assert(offsetof(VorskCardOperation, operation) == 78);
static_assert(offsetof(VorskCardOperation, first) == 144);
static_assert(offsetof(VorskCardOperation, count) == 148);

class CardReader : public testing::SimTest {
 protected:
  template <class F>
  auto reader(F&& f) {
    return sim().with_model([&](sim::Model& m) { return f(m.part<sim::CardReader>()); });
  }
  // A record with recognisable inputs in every field.
  static VorskCardOperation record() {
    VorskCardOperation op{};
    for (int i = 0; i < 64; ++i) {
      op.data[i] = static_cast<unsigned char>(0x80 + i);
      op.operation[i] = static_cast<unsigned char>(i);
    }
    op.keyParam = 0x0160;
    const unsigned char key[6] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};  // the card's key
    std::memcpy(op.key, key, 6);
    op.first = 0x12345;
    op.count = 0x10003;
    return op;
  }
  // Milliseconds a call takes.
  template <class F>
  static long long timed(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 t0)
        .count();
  }
};

std::string hex_run(std::uint8_t first, int n) {
  Bytes b(n);
  for (int i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
  return testing::hex(b);
}

TEST_F(CardReader, RequestsOnTheWire) {
  const unsigned char block[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const unsigned char serial[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  Bytes com(1000);
  for (std::size_t i = 0; i < com.size(); ++i) com[i] = static_cast<std::uint8_t>(i);
  unsigned char answer[448];
  int count = 2000;
  VorskCardOperation op = record();
  const std::string operation = hex_run(0, 64);
  const std::vector<testing::WireRow> rows = {
      {"WriteIcBlock", [&] { return Vorsk_WriteIcBlock(block, serial, host(), port()); },
       request_hex(33, 72, {{0, hex_run(1, 16)}, {64, "DE AD BE EF CD AB"}})},
      {"StopWrite", [&] { return Vorsk_StopWrite(host(), port()); }, request_hex(34, 2, {})},
      {"WriteComC 1000",
       [&] { return Vorsk_WriteComC(com.data(), 1000, answer, &count, host(), port()); },
       request_hex(35, 452, {{0, hex_run(0, 256)}, {256, hex_run(0, 192)}, {448, "C0 01 C0 01"}})},
      {"WriteComC 3",
       [&] { return Vorsk_WriteComC(com.data(), 3, nullptr, nullptr, host(), port()); },
       request_hex(35, 452, {{0, "00 01 02"}, {448, "03 00 00 00"}})},
      {"Marn_Reader", [&] { return Marn_Reader(0x2C7, host(), port()); },
       request_hex(57, 1, {{0, "C7"}})},
      {"Mf_id", [&] { return Marn_Mf_id(&op, host(), port()); },
       request_hex(61, 150, {{76, operation}, {140, "45 23 03 00 B8 0B 00 00"}})},
      {"Mf_Read", [&] { return Marn_Mf_Read(&op, host(), port()); },
       request_hex(
           62, 150,
           {{68, "60 01 A0 A1 A2 A3 A4 A5"}, {76, operation}, {140, "45 23 03 00 B8 0B 00 00"}})},
      {"Mf_Write",
       [&] {
         op = record();
         return Marn_Mf_Write(&op, host(), port());
       },
       request_hex(79, 150,
                   {{0, hex_run(0x80, 64)},
                    {68, "60 01 A0 A1 A2 A3 A4 A5"},
                    {76, operation},
                    {140, "45 23 03 00 B8 0B 00 00"}})},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(CardReader, BlockWriteAndStopResultFromTheStatusWord) {
  const unsigned char block[16] = {};
  const unsigned char serial[4] = {};
  struct Case {
    std::uint16_t status;
    int result;
  } cases[] = {{0x0000, 0}, {0x0001, -1}, {0xFFFF, -1}, {0x0100, -1}};
  for (const auto& c : cases) {
    reader([&](sim::CardReader& r) { return r.write_status = r.stop_status = c.status; });
    EXPECT_EQ(Vorsk_WriteIcBlock(block, serial, host(), port()), c.result) << c.status;
    EXPECT_EQ(Vorsk_StopWrite(host(), port()), c.result) << c.status;
  }
  EXPECT_EQ(Vorsk_WriteIcBlock(nullptr, serial, host(), port()), -1);
  EXPECT_EQ(Vorsk_WriteIcBlock(block, nullptr, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 8u) << "no request without data or serial";
  set_receive_timeout(60);
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kNoReply});
  EXPECT_EQ(Vorsk_WriteIcBlock(block, serial, host(), port()), -21);
  EXPECT_EQ(Vorsk_StopWrite(host(), port()), -21);
}

TEST_F(CardReader, StopCancelsAPendingBlockWrite) {
  const unsigned char block[16] = {9};
  const unsigned char other_card[4] = {1, 2, 3, 4};
  ASSERT_EQ(Vorsk_WriteIcBlock(block, other_card, host(), port()), 0);
  EXPECT_TRUE(reader([](sim::CardReader& r) { return r.pending.has_value(); }));
  ASSERT_EQ(Vorsk_StopWrite(host(), port()), 0);
  EXPECT_FALSE(reader([](sim::CardReader& r) { return r.pending.has_value(); }));
}

TEST_F(CardReader, PassThroughAnswer) {
  const unsigned char data[4] = {0x10, 0x20, 0x30, 0x40};
  struct Case {
    std::size_t answered;  // bytes the reader answers
    int room;              // answer count offered
    int copied;
  } cases[] = {{0, 100, 0}, {6, 100, 6}, {6, 4, 4}, {448, 448, 448}, {300, -5, 0}};
  for (const auto& c : cases) {
    Bytes said(c.answered);
    for (std::size_t i = 0; i < said.size(); ++i) said[i] = static_cast<std::uint8_t>(0x61 + i);
    reader([&](sim::CardReader& r) { return r.com_answer = said, 0; });
    Bytes answer(460, 0xEE);
    int count = c.room;
    ASSERT_EQ(Vorsk_WriteComC(data, 4, answer.data(), &count, host(), port()), 0);
    EXPECT_EQ(count, static_cast<int>(c.answered)) << "the count the reader answered";
    for (int i = 0; i < 460; ++i)
      ASSERT_EQ(answer[i], i < c.copied ? said[i] : 0xEE)
          << c.answered << "/" << c.room << " @" << i;
  }
  reader([&](sim::CardReader& r) { return r.com_answer.reset(), 0; });
  unsigned char echo[4] = {};
  int count = 4;
  ASSERT_EQ(Vorsk_WriteComC(data, 4, echo, &count, host(), port()), 0);
  EXPECT_EQ(std::memcmp(echo, data, 4), 0);
  EXPECT_EQ(Vorsk_WriteComC(nullptr, 4, echo, &count, host(), port()), -1);
}

TEST_F(CardReader, ReaderSettingByte) {
  ASSERT_EQ(Marn_Reader(0x105, host(), port()), 0);
  EXPECT_EQ(reader([](sim::CardReader& r) { return r.reader_setting; }), 0x05);
}

TEST_F(CardReader, CardOperationsFillTheRecord) {
  const Bytes stored = [] {
    Bytes b(64);
    for (int i = 0; i < 64; ++i) b[i] = static_cast<std::uint8_t>(0xC0 ^ i);
    return b;
  }();
  reader([&](sim::CardReader& r) { return r.blocks = stored, 0; });

  VorskCardOperation op = record();
  op.count = 0;
  ASSERT_EQ(Marn_Mf_Read(&op, host(), port()), 0);
  EXPECT_EQ(last_request().p16(142), 1) << "a count of 0 is sent as 1";
  EXPECT_EQ(testing::hex(Bytes(op.serial, op.serial + 4)), "1A 2B 3C 4D");
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), op.data));

  VorskCardOperation id{};
  ASSERT_EQ(Marn_Mf_id(&id, host(), port()), 0);
  EXPECT_EQ(testing::hex(Bytes(id.serial, id.serial + 4)), "1A 2B 3C 4D");
  EXPECT_EQ(id.data[0], 0) << "identify leaves the data alone";

  VorskCardOperation wr = record();
  ASSERT_EQ(Marn_Mf_Write(&wr, host(), port()), 0);
  EXPECT_EQ(wr.serial[0], 0) << "write leaves the serial alone";
  VorskCardOperation back = record();
  ASSERT_EQ(Marn_Mf_Read(&back, host(), port()), 0);
  EXPECT_EQ(std::memcmp(back.data, wr.data, 64), 0) << "the card holds what was written";
}

TEST_F(CardReader, CardOperationResultIsTheSignedStatus) {
  VorskCardOperation op = record();
  op.key[0] ^= 1;
  EXPECT_EQ(Marn_Mf_Read(&op, host(), port()), -2);  // the simulated reader: wrong key
  reader([](sim::CardReader& r) { return r.card_present = false; });
  EXPECT_EQ(Marn_Mf_id(&op, host(), port()), -1);  // no card
  EXPECT_EQ(Marn_Mf_Read(nullptr, host(), port()), -1);
}

TEST_F(CardReader, CardOperationTimeOuts) {
  // The operation waits 3000 ms; whatever its result, later transactions wait 1000 ms until
  // the socket is opened again.
  sim().inject(61, sim::Fault{sim::FaultKind::kNoReply});
  sim().inject(11, sim::Fault{sim::FaultKind::kNoReply});
  VorskCardOperation op{};
  long long ms = timed([&] { EXPECT_EQ(Marn_Mf_id(&op, host(), port()), -21); });
  EXPECT_GE(ms, 2900);
  EXPECT_LT(ms, 4500);
  unsigned int total = 0;
  ms = timed([&] { EXPECT_EQ(Vorsk_GetTotal(&total, nullptr, host(), port()), -21); });
  EXPECT_GE(ms, 900);
  EXPECT_LT(ms, 2500);
}

TEST_F(CardReader, SuccessfulCardOperationAlsoLeavesTheShortTimeOut) {
  sim().inject(11, sim::Fault{sim::FaultKind::kNoReply});
  VorskCardOperation op = record();
  ASSERT_EQ(Marn_Mf_Read(&op, host(), port()), 0);
  unsigned int total = 0;
  const long long ms =
      timed([&] { EXPECT_EQ(Vorsk_GetTotal(&total, nullptr, host(), port()), -21); });
  EXPECT_GE(ms, 900);
  EXPECT_LT(ms, 2500);
}

class CardBlockReports : public CardReader {
 protected:
  void SetUp() override {
    CardReader::SetUp();
    open_watch();
    watch_endpoint().SetReceiveTimeout(2000);  // a missing report fails the test, not hangs it
  }
  static Bytes report(std::uint8_t block) {
    const std::uint8_t data[16] = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7,
                                   0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF};
    const std::uint8_t serial[4] = {0x11, 0x22, 0x33, 0x44};
    return sim::card_block_report(block, data, serial);
  }
  static void reseal(Bytes& b) { sim::put16(b, 70, sim::crc16(b.data(), 70)); }
};

TEST_F(CardBlockReports, ChecksInOrderCrcMarkerLength) {
  struct Case {
    const char* what;
    std::function<Bytes()> datagram;
    int result;
  } cases[] = {
      {"good", [] { return report(20); }, 0},
      {"bad CRC",
       [] {
         auto b = report(20);
         b[71] ^= 1;
         return b;
       },
       -2},
      {"marker 0x1234",
       [] {
         auto b = report(20);
         sim::put16(b, 68, 0x1234);
         reseal(b);
         return b;
       },
       -3},
      {"73 bytes",
       [] {
         auto b = report(20);
         b.push_back(0);
         return b;
       },
       -4},
      {"71 bytes",
       [] {
         auto b = report(20);
         b.pop_back();
         return b;
       },
       -2},
      {"bad CRC and marker, 80 bytes",
       [] {
         auto b = report(20);
         sim::put16(b, 68, 0x1234);
         b.resize(80);
         return b;
       },
       -2},
      {"bad marker, 73 bytes",
       [] {
         auto b = report(20);
         sim::put16(b, 68, 0);
         reseal(b);
         b.push_back(0);
         return b;
       },
       -3},
      {"empty", [] { return Bytes{}; }, -1},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(sim().send_to_watcher(c.datagram()));
    unsigned char data[16], serial[4];
    std::memset(data, 0xEE, 16);
    std::memset(serial, 0xEE, 4);
    int sector = -7, sender_port = 0;
    char sender[16] = {};
    EXPECT_EQ(Vorsk_ReadIcBlock(data, serial, &sector, sender, &sender_port), c.result) << c.what;
    if (c.result == 0) {
      EXPECT_EQ(testing::hex(Bytes(data, data + 16)), hex_run(0xD0, 16));
      EXPECT_EQ(testing::hex(Bytes(serial, serial + 4)), "11 22 33 44");
      EXPECT_EQ(sector, 5) << "block 20 lies in sector 5";
      EXPECT_STREQ(sender, "127.0.0.1");
      EXPECT_EQ(sender_port, port());
    } else {
      EXPECT_EQ(data[0], 0xEE) << c.what;
      EXPECT_EQ(serial[0], 0xEE) << c.what;
      EXPECT_EQ(sector, -7) << c.what;
    }
  }
}

TEST_F(CardBlockReports, SectorIsTheBlockDividedByFour) {
  for (int block : {0, 3, 4, 63, 255}) {
    ASSERT_TRUE(sim().send_to_watcher(report(static_cast<std::uint8_t>(block))));
    int sector = -1;
    ASSERT_EQ(Vorsk_ReadIcBlock(nullptr, nullptr, &sector, nullptr, nullptr), 0);
    EXPECT_EQ(sector, block / 4);
  }
}

TEST_F(CardBlockReports, WatchRequestIsPassedOver) {
  // A host that asked a whole subnet by broadcast hears its own request on the watch port.
  testing::UdpPeer self;
  const char request[] = "watch to me 0123456789";
  self.send_to(watch_endpoint().LocalPort(), Bytes(request, request + sizeof request));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(sim().send_to_watcher(report(8)));
  int sector = -1, sender_port = 0;
  char sender[16] = {};
  ASSERT_EQ(Vorsk_ReadIcBlock(nullptr, nullptr, &sector, sender, &sender_port), 0);
  EXPECT_EQ(sector, 2);
  EXPECT_EQ(sender_port, port()) << "the report's sender, not the request's";
}

TEST_F(CardBlockReports, BlockWrittenToTheCardIsReported) {
  // The card is on the reader: the terminal writes the block and reports what it read back.
  const unsigned char block[16] = {0x5A, 0x5B, 0x5C};
  const unsigned char serial[4] = {0x1A, 0x2B, 0x3C, 0x4D};
  ASSERT_EQ(Vorsk_WriteIcBlock(block, serial, host(), port()), 0);
  unsigned char data[16] = {}, got_serial[4] = {};
  int sector = -1;
  ASSERT_EQ(Vorsk_ReadIcBlock(data, got_serial, &sector, nullptr, nullptr), 0);
  EXPECT_EQ(std::memcmp(data, block, 16), 0);
  EXPECT_EQ(std::memcmp(got_serial, serial, 4), 0);
  EXPECT_EQ(sector, 5);
}

TEST_F(CardBlockReports, ClosedWatchEndpointGivesMinusOne) {
  Vorsk_CloseWatch();
  int sector = -1;
  EXPECT_EQ(Vorsk_ReadIcBlock(nullptr, nullptr, &sector, nullptr, nullptr), -1);
}

}  // namespace
}  // namespace vorskel
