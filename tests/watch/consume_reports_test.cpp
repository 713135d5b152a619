// Consumption reports, Brell bookings and their acknowledgement, and main-terminal reports
// acknowledged at once, against the simulator reporting as those terminals.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "records/temp_cwd.h"
#include "sim/models/reports.h"
#include "sim/simulator.h"
#include "support/udp_peer.h"
#include "transport/library.h"
#include "watch_support.h"

namespace vorskel {
namespace {

using testing::call_within;
using testing::hex;
using testing::unhex;
using testing::WatchTest;

constexpr std::uint32_t k20090506_070809 = 926060889;  // seconds since 1980

// Waits until the simulator's report state satisfies done (acknowledgements travel back).
template <class F>
bool eventually(sim::Simulator& s, F done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    if (s.with_model([&](sim::Model& m) { return done(m.part<sim::ReportState>()); })) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// ---- consumption reports --------------------------------------------------------------

class NemmarWatch : public WatchTest {
 protected:
  std::string model_name() const override { return "nemmar"; }
  int watch() {
    return call_within([this] { return Nemmar_Watch(&entry, sender, &sender_port); });
  }
  NemmarConsumptionEntry entry{};
  char sender[16] = "";
  int sender_port = 0;
};

TEST_F(NemmarWatch, DecodesTheRecordAsTheDownloadsDo) {
  std::memset(&entry, 0x77, sizeof entry);  // the entry is cleared first
  sim::Consumption c;
  c.card = 4294967295u;
  c.value_a = 1234;
  c.value_b = 7;
  c.stamp = k20090506_070809;
  c.flag = 0xA3;
  c.value_c = 65535;
  report(sim::consumption_report(c, 1));
  ASSERT_EQ(watch(), 0);
  EXPECT_STREQ(entry.card, "4294967295");
  EXPECT_STREQ(entry.date, "2009-05-06");
  EXPECT_STREQ(entry.time, "07:08:09");
  EXPECT_STREQ(entry.type, "003");
  EXPECT_STREQ(entry.valueB, "00000007");
  EXPECT_STREQ(entry.valueA, "00001234");
  EXPECT_EQ(entry.valueC, 65535u);
  for (std::uint8_t b : entry.spare) EXPECT_EQ(b, 0);
  EXPECT_STREQ(sender, "127.0.0.1");
  EXPECT_EQ(sender_port, port());
}

TEST_F(NemmarWatch, SkipsWatchRequestsAndRecordsWithoutTheValidMark) {
  const std::string request = "watch to me 0123456789";
  report(sim::Bytes(request.begin(), request.end() + 1));
  sim::Consumption erased;
  erased.flag = 0x5F;
  report(sim::consumption_report(erased));
  sim::Consumption c;
  c.card = 5;
  c.flag = 0xA0;
  report(sim::consumption_report(c));
  ASSERT_EQ(watch(), 0);
  EXPECT_STREQ(entry.card, "00000005");
  EXPECT_STREQ(entry.date, "1980-01-01");
  EXPECT_STREQ(entry.time, "00:00:00");
  EXPECT_STREQ(entry.type, "000");
}

TEST_F(NemmarWatch, MakesSureTheRecordsDirectoryExistsButWritesNoFile) {
  namespace fs = std::filesystem;
  int r;
  bool made, empty;
  {
    testing::TempCwd dir;
    sim::Consumption c;
    report(sim::consumption_report(c));
    r = watch();
    made = fs::is_directory(dir.path() / "records");
    empty = made && fs::is_empty(dir.path() / "records");
  }
  EXPECT_EQ(r, 0);
  EXPECT_TRUE(made);
  EXPECT_TRUE(empty);
}

// ---- Brell bookings --------------------------------------------------------------------

class BrellReports : public WatchTest {
 protected:
  std::string model_name() const override { return "brell"; }
  int save() {
    return call_within([this] { return Brell_Save2DB(&booking, sender, &sender_port); });
  }
  BrellBooking booking{};
  char sender[16] = "";
  int sender_port = 0;
};

TEST_F(BrellReports, DecodesABooking) {
  report(sim::booking_report({0x0A, 0xBC, 0x00, 0xFF}, 0x59, 0x07, '7'));
  ASSERT_EQ(save(), 0);
  EXPECT_STREQ(booking.card, "0abc00ff");
  EXPECT_EQ(booking.first, 59);
  EXPECT_EQ(booking.second, 7);
  EXPECT_EQ(booking.digit, 7);
  EXPECT_STREQ(sender, "127.0.0.1");
  EXPECT_EQ(sender_port, port());
}

TEST_F(BrellReports, DatagramWithoutTheReportMarkerIsLost) {
  auto ackLike = sim::booking_report({1, 2, 3, 4}, 0x11, 0x22, '3');
  ackLike[0] = 0x2B;  // the acknowledgement marker, not the report marker
  ackLike[1] = 0x1A;
  report(ackLike);
  report(sim::booking_report({5, 6, 7, 8}, 0x11, 0x22, '3'));
  EXPECT_EQ(save(), -2);
  ASSERT_EQ(save(), 0);
  EXPECT_STREQ(booking.card, "05060708");
}

TEST_F(BrellReports, BookingAcknowledgementBytes) {
  // Code 1: only bytes 0-3 are not zero: the CRC-16 of bytes 2-34 (0x6693), 35, the code.
  testing::UdpPeer terminal;
  EXPECT_EQ(Brell_BookSucc(1, host(), terminal.port()), 36);
  sim::Bytes got;
  ASSERT_TRUE(terminal.receive(&got, 2000));
  EXPECT_EQ(hex(got),
            "93 66 23 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "00 00 00 00 00 00 00 00");
  // Only the low byte of the code travels.
  EXPECT_EQ(Brell_BookSucc(0x1234, host(), terminal.port()), 36);
  ASSERT_TRUE(terminal.receive(&got, 2000));
  EXPECT_EQ(got[3], 0x34);
}

TEST_F(BrellReports, BookingRoundTripIsAcknowledgedToTheTerminal) {
  report(sim::booking_report({0x0A, 0xBC, 0x00, 0xFF}, 0x59, 0x01, '2'));
  ASSERT_EQ(save(), 0);
  EXPECT_EQ(Brell_BookSucc(9, sender, sender_port), 36);
  EXPECT_TRUE(eventually(sim(), [](sim::ReportState& s) {
    return s.booking_codes == std::vector<std::uint8_t>{9} && s.booking_acks_bad.empty();
  }));
}

TEST_F(BrellReports, BookSuccFailsWithoutAnOpenWatchEndpointOrAResolvableHost) {
  EXPECT_EQ(Brell_BookSucc(1, testing::kUnresolvableHost, port()), -1);
  Vorsk_CloseWatch();
  EXPECT_EQ(Brell_BookSucc(1, host(), port()), -1);
}

// ---- main-terminal reports acknowledged at once ---------------------------------------

// A 40-byte report: identifier 01..08, time stamp 2009-05-06 07:08:09, bytes A0..B3 after.
const char kSavedReportHex[] =
    "1a 2b 00 00 00 00 00 00 01 02 03 04 05 06 07 08 59 91 32 37 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 "
    "aa ab ac ad ae af b0 b1 b2 b3";
// Its acknowledgement: marker 2B 1A, the report, zeros to byte 78, CRC-16 of bytes 0-78.
const char kSavedAckHex[] =
    "2B 1A 00 00 00 00 00 00 01 02 03 04 05 06 07 08 59 91 32 37 A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 "
    "AA AB AC AD AE AF B0 B1 B2 B3 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 1C 1E";

class SavedReports : public WatchTest {
 protected:
  int save() {
    return call_within([this] { return Vorsk_Save2db(&result, sender, &sender_port); });
  }
  VorskSavedReport result{};
  char sender[16] = "";
  int sender_port = 0;
};

TEST_F(SavedReports, SimulatorReportIsTheExample) {
  std::array<std::uint8_t, 20> rest{};
  for (std::size_t i = 0; i < rest.size(); ++i) rest[i] = static_cast<std::uint8_t>(0xA0 + i);
  EXPECT_EQ(sim::saved_report({1, 2, 3, 4, 5, 6, 7, 8}, k20090506_070809, rest),
            unhex(kSavedReportHex));
}

TEST_F(SavedReports, AcknowledgesAtOnceAndDecodes) {
  testing::UdpPeer terminal;
  terminal.send_to(watch_endpoint().LocalPort(), unhex(kSavedReportHex));
  std::memset(&result, 0x66, sizeof result);  // the result is cleared first
  ASSERT_EQ(save(), 0);
  sim::Bytes ack;
  ASSERT_TRUE(terminal.receive(&ack, 2000));
  EXPECT_EQ(hex(ack), kSavedAckHex);

  const auto report = unhex(kSavedReportHex);
  EXPECT_EQ(std::memcmp(result.id, report.data() + 8, 8), 0);
  EXPECT_EQ(std::memcmp(result.block, report.data() + 8, 32), 0);
  EXPECT_STREQ(result.date, "2009-05-06");
  EXPECT_STREQ(result.time, "07:08:09");
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&result);
  for (int i : {8, 9}) EXPECT_EQ(raw[i], 0) << i;
  for (int i = 42; i < 74; ++i) EXPECT_EQ(raw[i], 0) << i;
  for (int i = 96; i < 104; ++i) EXPECT_EQ(raw[i], 0) << i;
  EXPECT_EQ(sender_port, terminal.port());
}

TEST_F(SavedReports, SimulatorChecksTheAcknowledgement) {
  ASSERT_TRUE(sim::emit_report_expecting_ack(
      sim(), sim::saved_report({9, 9, 9, 9, 1, 2, 3, 4}, k20090506_070809)));
  ASSERT_EQ(save(), 0);
  EXPECT_TRUE(eventually(sim(), [](sim::ReportState& s) {
    return s.acks_ok == 1 && s.waiting.empty() && s.acks_bad.empty();
  }));
  // An acknowledgement with a broken CRC, or for a report nobody sent, is refused.
  auto bad = unhex(kSavedAckHex);
  bad[80] ^= 1;
  watch_endpoint().SendTo(bad.data(), static_cast<int>(bad.size()), host(), port());
  EXPECT_TRUE(eventually(sim(), [](sim::ReportState& s) { return s.acks_bad.size() == 1; }));
}

TEST_F(SavedReports, LostAcknowledgementIsAnsweredByAResend) {
  sim().with_model([](sim::Model& m) { return m.part<sim::ReportState>().lose_acks = 1; });
  ASSERT_TRUE(sim::emit_report_expecting_ack(
      sim(), sim::saved_report({1, 1, 1, 1, 2, 2, 2, 2}, k20090506_070809)));
  ASSERT_EQ(save(), 0);
  EXPECT_TRUE(eventually(sim(), [](sim::ReportState& s) { return s.lose_acks == 0; }));
  EXPECT_EQ(sim::resend_unacknowledged(sim()), 1);
  // The host sees the report again (the library keeps no memory of reports) and answers.
  ASSERT_EQ(save(), 0);
  EXPECT_EQ(result.id[0], 1);
  EXPECT_TRUE(
      eventually(sim(), [](sim::ReportState& s) { return s.acks_ok == 1 && s.waiting.empty(); }));
  EXPECT_EQ(sim::resend_unacknowledged(sim()), 0);
}

TEST_F(SavedReports, DatagramWithoutTheReportMarkerIsNotAcknowledged) {
  testing::UdpPeer terminal;
  auto report = unhex(kSavedReportHex);
  report[0] = 0x2B;
  report[1] = 0x1A;
  terminal.send_to(watch_endpoint().LocalPort(), report);
  EXPECT_EQ(save(), -2);
  sim::Bytes got;
  EXPECT_FALSE(terminal.receive(&got, 50));
  EXPECT_STREQ(sender, "127.0.0.1");  // the datagram taken still tells its sender
}

// ---- what people type at the simulator ------------------------------------------------

TEST_F(SavedReports, TextCommandsMakeTheSimulatorReport) {
  testing::UdpPeer person;
  auto say = [&](const std::string& line) {
    person.send_to(port(), sim::Bytes(line.begin(), line.end()));
    sim::Bytes answer;
    EXPECT_TRUE(person.receive(&answer, 2000)) << line;
    return std::string(answer.begin(), answer.end());
  };
  EXPECT_EQ(say("report card 12345678 1 2 hello there"), "ok");
  VorskWatchRecord card{};
  ASSERT_EQ(call_within([&] { return Vorsk_Watch(&card, nullptr, nullptr); }), 0);
  EXPECT_STREQ(card.card, "12345678");
  EXPECT_STREQ(card.message, "hello there");
  EXPECT_EQ(card.valueB, 2);

  EXPECT_EQ(say("report saved 0102030405060708"), "ok");
  ASSERT_EQ(save(), 0);
  EXPECT_EQ(result.id[7], 8);
  EXPECT_TRUE(eventually(sim(), [](sim::ReportState& s) { return s.acks_ok == 1; }));

  EXPECT_EQ(say("report booking 0abc00ff 59 01 7"), "ok");
  BrellBooking booking{};
  ASSERT_EQ(call_within([&] { return Brell_Save2DB(&booking, nullptr, nullptr); }), 0);
  EXPECT_STREQ(booking.card, "0abc00ff");
  EXPECT_EQ(booking.first, 59);

  EXPECT_EQ(say("report consume 42 100 200 3 9"), "ok");
  NemmarConsumptionEntry entry{};
  ASSERT_EQ(call_within([&] { return Nemmar_Watch(&entry, nullptr, nullptr); }), 0);
  EXPECT_STREQ(entry.card, "00000042");
  EXPECT_STREQ(entry.type, "003");
  EXPECT_EQ(entry.valueC, 9u);

  EXPECT_EQ(say("report resend"), "ok 0");
  EXPECT_EQ(say("report nonsense").rfind("error:", 0), 0u);
}

}  // namespace
}  // namespace vorskel
