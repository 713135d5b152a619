// The fingerprint terminal: probe, scan with its time-outs, registration with template
// (wire bytes, CRC-16, six attempts, read-back), template texts, operating values.
#include <chrono>
#include <cstring>

#include "registry/registry_fixture.h"
#include "sim/models/fingerprint_terminal.h"
#include "sim/models/registry_store.h"
#include "transport/crc16.h"
#include "transport/transaction.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::Fault;
using sim::FaultKind;
using testing::make_entry;

class Fingerprint : public testing::RegistryTest {
 protected:
  std::string model_name() const override { return "pirrel"; }
  void answer(std::uint8_t code, Bytes reply) {
    sim().with_model([&](sim::Model& m) {
      m.on(code, [reply](const sim::Request&) -> sim::Reply { return reply; });
      return 0;
    });
  }
};

// A template the terminal accepts: 03 02, then bytes chosen so its CRC-16 is >= 0x8000.
std::vector<unsigned char> sample_template() {
  std::vector<unsigned char> t(256);
  t[0] = 0x03;
  t[1] = 0x02;
  for (int i = 2; i < 256; ++i) t[i] = static_cast<unsigned char>(i * 7);
  for (int tweak = 0; crc16(t.data(), 256) < 0x8000; ++tweak)
    t[255] = static_cast<unsigned char>(tweak);
  return t;
}

VorskRegistryEntry finger_entry() {
  return make_entry("12345678", "87654321", "Li Wei", 0x17, 0x25, 0x11223344, 2010, 7, 31);
}

TEST_F(Fingerprint, ProbeAnswersAndOtherwise) {
  EXPECT_EQ(Pirrel_Exist(host(), port()), 0);
  EXPECT_EQ(last_request().code(), 129);
  EXPECT_EQ(payload_hex(last_request()), "AA 55 AA 55");
  answer(129, {0x55, 0xAA, 0x55, 0xAB});
  EXPECT_EQ(Pirrel_Exist(host(), port()), -1);
  set_receive_timeout(100);
  sim().inject(129, Fault{FaultKind::kNoReply});
  EXPECT_EQ(Pirrel_Exist(host(), port()), kNoReply);
}

TEST_F(Fingerprint, ScanCopiesTheTemplateOrReportsNone) {
  const auto t = sample_template();
  sim().with_model([&](sim::Model& m) {
    m.part<sim::FingerprintTerminal>().next_scan = Bytes(t.begin(), t.end());
    return 0;
  });
  unsigned char got[256] = {};
  EXPECT_EQ(Pirrel_GetFingerPrint(got, host(), port()), 0);
  EXPECT_EQ(std::memcmp(got, t.data(), 256), 0);
  EXPECT_EQ(last_request().code(), 128);
  EXPECT_EQ(last_request().payload_size(), 0u);

  sim().with_model([](sim::Model& m) {
    m.part<sim::FingerprintTerminal>().next_scan.reset();
    return 0;
  });
  std::memset(got, 0x77, sizeof got);
  EXPECT_EQ(Pirrel_GetFingerPrint(got, host(), port()), -1);
  EXPECT_EQ(got[0], 0x77);
}

// The scan waits long for a finger; afterwards every transaction waits 3000 ms, whatever
// the scan's result.
TEST_F(Fingerprint, ScanWaitsLongThenLeavesThreeSeconds) {
  using Clock = std::chrono::steady_clock;
  set_receive_timeout(100);
  sim().inject(128, Fault{FaultKind::kDelay, 400, 0, 1});
  unsigned char got[256];
  EXPECT_EQ(Pirrel_GetFingerPrint(got, host(), port()), -1);  // answered late, no finger

  set_receive_timeout(100);
  sim().inject(128, Fault{FaultKind::kWrongCode, 0, 0, 1});
  EXPECT_EQ(Pirrel_GetFingerPrint(got, host(), port()), kWrongCode);
  sim().inject(129, Fault{FaultKind::kDelay, 300, 0, 1});
  EXPECT_EQ(Pirrel_Exist(host(), port()), 0);  // no longer the 100 ms set before

  sim().inject(129, Fault{FaultKind::kDelay, 3400, 0, 1});
  const auto began = Clock::now();
  EXPECT_EQ(Pirrel_Exist(host(), port()), kNoReply);
  const auto waited =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count();
  EXPECT_GE(waited, 2900);
  EXPECT_LT(waited, 3400);
}

TEST_F(Fingerprint, RegistrationWireBytes) {
  const auto t = sample_template();
  const std::uint16_t crc = crc16(t.data(), 256);
  struct Case {
    const char* what;
    int type, index;
    unsigned checksum;
    std::size_t sent;
    const char* head;  // payload bytes 0..33
  } cases[] = {
      {"store without template", 1, 7, 0, 34,
       "4E 61 BC 00 4C 69 20 57 65 69 00 00 75 6E 07 1F 00 00 00 00 00 00 44 33 22 11 B1 7F 39 "
       "05 01 00 00 00"},
      {"card only", 2, 2, 0, 34,
       "4E 61 BC 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 00 00 B1 7F 39 "
       "05 02 00 00 00"},
      {"read back ignores the checksum", 3, 1, 1, 34,
       "4E 61 BC 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 B1 7F 39 "
       "05 03 00 00 00"},
  };
  for (const auto& c : cases) {
    VorskRegistryEntry e = finger_entry();
    std::memcpy(e.card1, "123456789", 8);  // only the first 8 characters count
    auto templ = t;
    unsigned checksum = c.checksum;
    Pirrel_Registry(&e, templ.data(), &checksum, c.index, c.type, host(), port());
    const sim::Request r = last_request();
    EXPECT_EQ(r.code(), 12) << c.what;
    EXPECT_EQ(r.payload_size(), c.sent) << c.what;
    EXPECT_EQ(payload_hex(r), c.head) << c.what;
  }

  VorskRegistryEntry e = finger_entry();
  auto templ = t;
  unsigned checksum = 1;
  EXPECT_EQ(Pirrel_Registry(&e, templ.data(), &checksum, 0, 1, host(), port()), 1);
  const sim::Request r = last_request();
  ASSERT_EQ(r.payload_size(), 290u);
  EXPECT_EQ(r.p16(30), 1);
  EXPECT_EQ(r.p16(32), crc);
  EXPECT_EQ(Bytes(r.datagram.begin() + 3 + 34, r.datagram.end()), Bytes(t.begin(), t.end()));
}

TEST_F(Fingerprint, TemplateWithoutItsMarkIsRefused) {
  auto t = sample_template();
  t[1] = 0x03;
  VorskRegistryEntry e = finger_entry();
  unsigned checksum = 5;
  EXPECT_EQ(Pirrel_Registry(&e, t.data(), &checksum, 0, 1, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 0u);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].caption, "Error");
  EXPECT_EQ(errors()[0].text, "Wrong fingerprint template data.");
  EXPECT_EQ(Pirrel_Registry(&e, t.data(), &checksum, 0, 4, host(), port()), -1);  // bad type
  EXPECT_EQ(sim().request_count(), 0u);
}

TEST_F(Fingerprint, RegistrationIsTriedSixTimes) {
  set_receive_timeout(50);
  VorskRegistryEntry e = finger_entry();
  unsigned checksum = 0;
  sim().inject(12, Fault{FaultKind::kNoReply, 0, 0, 5});
  EXPECT_EQ(Pirrel_Registry(&e, nullptr, &checksum, 0, 1, host(), port()), 1);
  EXPECT_EQ(sim().request_count(), 6u);

  sim().clear_requests();
  sim().inject(12, Fault{FaultKind::kNoReply, 0, 0, 6});
  EXPECT_EQ(Pirrel_Registry(&e, nullptr, &checksum, 0, 1, host(), port()), kNoReply);
  EXPECT_EQ(sim().request_count(), 6u);

  // A reply with another command code is no reason to send anything but the request again.
  sim().clear_requests();
  sim().inject(12, Fault{FaultKind::kWrongCode, 0x33, 0, 2});
  EXPECT_EQ(Pirrel_Registry(&e, nullptr, &checksum, 0, 1, host(), port()), 1);
  const auto sent = requests();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].datagram, sent[0].datagram);
  EXPECT_EQ(sent[2].datagram, sent[0].datagram);
}

TEST_F(Fingerprint, ReadBackWithTemplateAndWithout) {
  const auto t = sample_template();
  VorskRegistryEntry e = finger_entry();
  auto templ = t;
  unsigned checksum = 1;
  ASSERT_EQ(Pirrel_Registry(&e, templ.data(), &checksum, 2, 1, host(), port()), 1);

  VorskRegistryEntry back = make_entry("12345678", "", "", 0, 0, 0, 0, 0, 0);
  std::vector<unsigned char> got(256, 0x55);
  checksum = 0;
  EXPECT_EQ(Pirrel_Registry(&back, got.data(), &checksum, 0, 3, host(), port()), 3);
  EXPECT_EQ(std::string(back.card1, 8), "12345678");
  EXPECT_EQ(std::string(back.name, 8), std::string("Li Wei\0\0", 8));
  EXPECT_EQ(back.group, 7);
  EXPECT_EQ(back.security, 5);
  EXPECT_EQ(back.extra, 0x11223344u);
  EXPECT_EQ(back.year, 2010);
  EXPECT_EQ(back.month, 7);
  EXPECT_EQ(back.day, 31);
  EXPECT_EQ(got, t);
  EXPECT_EQ(checksum, crc16(t.data(), 256));  // 0x8000 or more, unsigned
  EXPECT_TRUE(errors().empty());

  // A registration without template: the terminal answers 238.
  VorskRegistryEntry bare = make_entry("42", "0", "Bare", 1, 2, 0, 2011, 2, 3);
  checksum = 0;
  ASSERT_EQ(Pirrel_Registry(&bare, nullptr, &checksum, 0, 1, host(), port()), 1);
  VorskRegistryEntry bare_back = make_entry("42", "", "", 0, 0, 0, 0, 0, 0);
  std::fill(got.begin(), got.end(), 0x55);
  EXPECT_EQ(Pirrel_Registry(&bare_back, got.data(), &checksum, 0, 3, host(), port()), 0);
  EXPECT_EQ(std::string(bare_back.card1, 9), std::string("00000042\0", 9));
  EXPECT_EQ(std::string(bare_back.name, 4), "Bare");
  EXPECT_EQ(got, std::vector<unsigned char>(256, 0));
}

TEST_F(Fingerprint, ReadBackWithWrongChecksumWarnsAndStillReturnsTheTemplate) {
  const auto t = sample_template();
  Bytes reply(290, 0);
  sim::put32(reply, 0, 77);
  sim::put16(reply, 30, 3);
  sim::put16(reply, 32, crc16(t.data(), 256) ^ 1);
  std::copy(t.begin(), t.end(), reply.begin() + 34);
  answer(12, reply);
  VorskRegistryEntry e = make_entry("77", "", "", 0, 0, 0, 0, 0, 0);
  std::vector<unsigned char> got(256, 0);
  unsigned checksum = 0;
  EXPECT_EQ(Pirrel_Registry(&e, got.data(), &checksum, 0, 3, host(), port()), 3);
  EXPECT_EQ(got, t);
  EXPECT_EQ(checksum, crc16(t.data(), 256));
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].caption, "Error");
  EXPECT_EQ(errors()[0].text, "The fingerprint data transfer is wrong.");
}

TEST_F(Fingerprint, OperatingValues) {
  struct Level {
    int given, sent;
  } levels[] = {{0, 1}, {9, 5}, {3, 3}, {-7, 1}, {5, 5}};
  for (const auto& l : levels) {
    EXPECT_EQ(Pirrel_SetSecurLevel(l.given, host(), port()), 0);
    EXPECT_EQ(last_request().code(), 131);
    EXPECT_EQ(payload_hex(last_request()), testing::hex({static_cast<std::uint8_t>(l.sent)}));
  }
  EXPECT_EQ(Pirrel_WorkType(2, 0x0A, 0x0B, 0x0C, 0x1FF, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 130);
  EXPECT_EQ(payload_hex(last_request()), "02 0A 0B 0C FF");
  EXPECT_EQ(Pirrel_Speech(5, 6, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 132);
  EXPECT_EQ(payload_hex(last_request()), "05 06 00 00");

  sim().clear_requests();
  for (int mode : {0, 5, -1}) EXPECT_EQ(Pirrel_WorkType(mode, 1, 2, 3, 4, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 0u);
}

// ---- template texts ----

TEST(FingerprintText, RoundTripAndItsLayout) {
  const auto t = sample_template();
  std::vector<char> text(520, 'x');
  ASSERT_EQ(Pirrel_FingerPrint2String(t.data(), text.data(), 520), 0);
  const std::string s(text.data());
  ASSERT_EQ(s.size(), 516u);
  const std::uint16_t crc = crc16(t.data(), 256);
  char head[9];
  std::snprintf(head, sizeof head, "%02X%02X0302", crc & 0xFF, crc >> 8);
  EXPECT_EQ(s.substr(0, 8), head);
  EXPECT_EQ(s.substr(8, 6), "0E151C");  // bytes 2, 3, 4 of the template: 14, 21, 28

  std::vector<unsigned char> back(256, 0);
  ASSERT_EQ(Pirrel_String2FingerPrint(text.data(), 516, back.data()), 0);
  EXPECT_EQ(back, t);
}

TEST(FingerprintText, CapacitiesLengthsAndDamage) {
  const auto t = sample_template();
  std::vector<char> text(600, 'x');
  EXPECT_EQ(Pirrel_FingerPrint2String(t.data(), text.data(), 519), -1);
  EXPECT_EQ(text[0], 'x');
  ASSERT_EQ(Pirrel_FingerPrint2String(t.data(), text.data(), 600), 0);
  std::vector<unsigned char> back(256, 0xEE);
  EXPECT_EQ(Pirrel_String2FingerPrint(text.data(), 515, back.data()), -1);

  std::vector<char> lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(Pirrel_String2FingerPrint(lower.data(), 516, back.data()), 0);
  EXPECT_EQ(std::string(lower.data()), std::string(text.data()));  // upper-cased in place
  EXPECT_EQ(back, t);

  std::vector<char> damaged = text;
  damaged[100] = damaged[100] == '0' ? '1' : '0';
  std::fill(back.begin(), back.end(), 0xEE);
  EXPECT_EQ(Pirrel_String2FingerPrint(damaged.data(), 516, back.data()), -2);
  EXPECT_EQ(back, std::vector<unsigned char>(256, 0xEE));

  std::vector<char> cut = text;
  cut[300] = '\0';  // a text that ends early is read no further
  EXPECT_EQ(Pirrel_String2FingerPrint(cut.data(), 600, back.data()), -2);
}

}  // namespace
}  // namespace vorskel
