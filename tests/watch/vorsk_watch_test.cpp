// The main terminal's watch function against the simulator reporting as a terminal.
#include <gtest/gtest.h>

#include <string>

#include "sim/models/reports.h"
#include "watch_support.h"

namespace vorskel {
namespace {

using testing::unhex;
using testing::WatchTest;

// The worked card report: card 12 34 56 78, values 1 and 2, text "hi", clock bytes
// 9 8 7 6 5 109 (07:08:09 on 2009-05-06), CRC 0x2FD8 low byte first.
const char kCardReportHex[] =
    "12 34 56 78 00 00 01 02 68 69 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 00 00 00 00 00 00 00 00 00 09 08 07 06 05 6D 00 D8 2F";

class VorskWatch : public WatchTest {
 protected:
  int watch() {
    return testing::call_within([this] { return Vorsk_Watch(&record, sender, &sender_port); });
  }
  VorskWatchRecord record{};
  char sender[16] = "";
  int sender_port = 0;
};

TEST_F(VorskWatch, SimulatorCardReportIsTheWorkedExample) {
  EXPECT_EQ(sim::card_report({0x12, 0x34, 0x56, 0x78}, 1, 2, "hi"), unhex(kCardReportHex));
}

TEST_F(VorskWatch, DecodesACardReport) {
  report(unhex(kCardReportHex));
  ASSERT_EQ(watch(), 0);
  EXPECT_STREQ(record.card, "12345678");
  EXPECT_STREQ(record.message, "hi");
  EXPECT_STREQ(record.date, "2009-05-06");
  EXPECT_STREQ(record.time, "07:08:09");
  EXPECT_EQ(record.valueA, 1);
  EXPECT_EQ(record.valueB, 2);
  EXPECT_STREQ(sender, "127.0.0.1");
  EXPECT_EQ(sender_port, port());
}

TEST_F(VorskWatch, ValuesMarkerKeepsTheCardAndShiftsValueB) {
  report(sim::card_report({0xAB, 0xCD, 0xEF, 0x01}, 5, 6, "first"));
  ASSERT_EQ(watch(), 0);
  report(sim::marker_report(sim::kValuesMarker, -4, 3, "values", {2010, 12, 31, 23, 59, 58}));
  ASSERT_EQ(watch(), 0);
  EXPECT_STREQ(record.card, "ABCDEF01");
  EXPECT_EQ(record.valueA, -4);
  EXPECT_EQ(record.valueB, 103);
  EXPECT_STREQ(record.message, "values");
  EXPECT_STREQ(record.date, "2010-12-31");
  EXPECT_STREQ(record.time, "23:59:58");
}

TEST_F(VorskWatch, MessageMarkerChangesOnlyMessageDateAndTime) {
  report(sim::card_report({0xAB, 0xCD, 0xEF, 0x01}, 5, 6, "first"));
  ASSERT_EQ(watch(), 0);
  const VorskWatchRecord before = record;
  report(sim::marker_report(sim::kMessageMarker, 9, 9, "door open", {2011, 1, 2, 3, 4, 5}));
  ASSERT_EQ(watch(), 0);
  EXPECT_STREQ(record.message, "door open");
  EXPECT_STREQ(record.date, "2011-01-02");
  EXPECT_STREQ(record.time, "03:04:05");
  EXPECT_EQ(std::memcmp(record.card, before.card, sizeof record.card), 0);
  EXPECT_EQ(record.valueA, before.valueA);
  EXPECT_EQ(record.valueB, before.valueB);
}

TEST_F(VorskWatch, WrongCrcGivesMinusTwoAndLeavesTheRecordUntouched) {
  std::memset(&record, 0x5C, sizeof record);
  const VorskWatchRecord before = record;
  auto bad = unhex(kCardReportHex);
  bad[80] ^= 0x01;
  report(bad);
  EXPECT_EQ(watch(), -2);
  EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
  // The datagram was consumed: the next call takes the next report.
  report(unhex(kCardReportHex));
  EXPECT_EQ(watch(), 0);
}

TEST_F(VorskWatch, SkipsWatchRequestsAndDatagramsMarkedNotForTheHost) {
  const std::string request = "watch to me 0123456789";
  report(sim::Bytes(request.begin(), request.end() + 1));  // the 23-byte request
  report(sim::Bytes(request.begin(), request.end()));      // its 22 characters suffice
  sim::Bytes marked = sim::card_report({1, 2, 3, 4}, 0, 0, "marked");
  marked.resize(300, 0);
  marked[256] = 0xAA;
  marked[257] = 0x55;
  report(marked);
  report(unhex(kCardReportHex));
  ASSERT_EQ(watch(), 0);
  EXPECT_STREQ(record.card, "12345678");
}

TEST_F(VorskWatch, EightyByteReportIsCheckedAgainstAZeroCrcHighByte) {
  // Find unused bytes 4 and 78 that make the CRC's high byte 0: cut to 80 bytes, the report
  // still checks out because the receive buffer's byte 80 reads as 0.
  for (int b = 0; b < 65536; ++b) {
    auto r = sim::card_report({0x80, 0, 0, 0x80}, 0, 0, "short");
    r[4] = static_cast<std::uint8_t>(b >> 8);
    r[78] = static_cast<std::uint8_t>(b);
    sim::seal_watch_report(r);
    if (r[80] != 0) continue;
    r.resize(80);
    report(r);
    ASSERT_EQ(watch(), 0);
    EXPECT_STREQ(record.card, "80000080");
    r[79] ^= 0xFF;
    report(r);
    EXPECT_EQ(watch(), -2);
    return;
  }
  FAIL() << "no bytes give a CRC with high byte 0";
}

TEST_F(VorskWatch, DestineExportsAcceptAnythingAndDoNothing) {
  EXPECT_EQ(Vorsk_Destine_Watch(1, -2, 3), 0);
  EXPECT_EQ(Vorsk_Destine_Registry(0, 0, 0, 0), 0);
  EXPECT_EQ(sim().request_count(), 1u);  // only the watch request went out
}

TEST_F(VorskWatch, ClosedEndpointFailsAtOnce) {
  Vorsk_CloseWatch();
  EXPECT_EQ(watch(), -1);
}

}  // namespace
}  // namespace vorskel
