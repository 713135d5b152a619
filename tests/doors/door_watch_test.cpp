// The door controllers' watch functions against reports from the simulated controllers:
// card reports, door states reported per controller and slot only when they change, Hesk
// reports and Gaddo frames, and whatever else may arrive on the watch port.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "controller_socket.h"
#include "doors/device_list.h"
#include "sim/models/doors.h"
#include "support/udp_peer.h"
#include "vorskel.h"
#include "watch/watch_support.h"

namespace vorskel {
namespace {

using testing::call_within;
using testing::fits;
using testing::Guarded;

constexpr int kCardReport = 0;
constexpr std::size_t kStateBytes = 17;
using Report = std::array<unsigned char, 104>;
using State = sim::DoorStateBytes;

class DoorWatch : public testing::WatchTest {
 protected:
  std::string model_name() const override { return "doors"; }
  void SetUp() override {
    testing::WatchTest::SetUp();
    doors::device_list().clear();  // every test meets the controllers for the first time
  }
  int watch_port() { return sim().watcher()->port; }

  // One Sondo_Watch call into report (kept as it was before the call unless written).
  int watch(Report& report, int& kind, std::string* sender = nullptr) {
    char text[16] = {};
    int from = 0;
    const int r = call_within([&] { return Sondo_Watch(report.data(), &kind, text, &from); });
    if (sender != nullptr) *sender = text;
    return r;
  }
  void send_state(std::uint8_t slot, const State& s) { report(sim::door_state_report(slot, s)); }
};

State state_of(std::initializer_list<std::pair<int, int>> set) {
  State s{};
  for (auto [i, v] : set) s[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
  return s;
}

Report filled(unsigned char b) {
  Report r;
  r.fill(b);
  return r;
}

std::vector<std::uint8_t> head(const Report& r) {
  return std::vector<std::uint8_t>(r.begin(), r.begin() + kStateBytes);
}

TEST_F(DoorWatch, CardReport) {
  report(sim::card_report({0x12, 0x34, 0x56, 0x78}, 1, -2, "hi", {2009, 5, 6, 7, 8, 9}));
  Report buffer = filled(0xEE);
  int kind = -1;
  std::string sender;
  ASSERT_EQ(watch(buffer, kind, &sender), 0);
  SondoCardReport r;
  std::memcpy(&r, buffer.data(), sizeof r);
  EXPECT_EQ(kind, kCardReport);
  EXPECT_STREQ(r.card, "12345678");
  EXPECT_STREQ(r.text, "hi");
  EXPECT_STREQ(r.date, "2009-05-06");
  EXPECT_STREQ(r.time, "07:08:09");
  EXPECT_EQ(r.valueA, 1);
  EXPECT_EQ(r.valueB, -2);
  EXPECT_EQ(sender, "127.0.0.1");
  EXPECT_EQ(doors::device_list().size(), 0u);  // card reports make no device entry
}

TEST_F(DoorWatch, CardTextWithoutZeroStaysInItsField) {
  // The text runs from byte 8 through the clock and the CRC without a zero: the host's
  // 64-byte field gets 63 characters and its zero, and nothing past the 104 bytes moves.
  auto d = sim::card_report({1, 2, 3, 4}, 0, 0, "");
  d.resize(200, 'x');
  std::fill(d.begin() + 8, d.end(), 'x');
  sim::seal_watch_report(d);
  d[81] = 'x';
  report(d);
  Guarded<SondoCardReport> r;
  int kind = -1;
  ASSERT_EQ(call_within([&] {
              return Sondo_Watch(reinterpret_cast<unsigned char*>(r.get()), &kind, nullptr,
                                 nullptr);
            }),
            0);
  EXPECT_EQ(std::string(r->text), std::string(63, 'x'));
  EXPECT_TRUE(fits(r->date, 12) && fits(r->time, 10) && fits(r->card, 10));
  EXPECT_TRUE(r.guards_intact());
}

TEST_F(DoorWatch, ChangeCodesOfOneController) {
  struct Step {
    const char* what;
    State sent;
    bool delivered;
    int code;  // byte 16 of the delivered report
  };
  const State base = state_of({{0, 9}, {16, 0x42}});
  const std::vector<Step> steps = {
      {"first report: delivered as sent", base, true, 0x42},
      {"identical: not delivered", base, false, 0},
      {"only bytes outside 3-6 differ", state_of({{0, 1}, {7, 5}, {16, 0x42}}), false, 0},
      {"byte 3 set", state_of({{3, 1}}), true, 6},
      {"byte 3 cleared", state_of({}), true, 5},
      {"byte 4 set", state_of({{4, 2}}), true, 4},
      {"byte 4 cleared", state_of({}), true, 3},
      {"byte 5 set", state_of({{5, 1}}), true, 2},
      {"byte 5 cleared", state_of({}), true, 1},
      {"byte 6 changed", state_of({{6, 3}}), true, 7},
      {"byte 6 to 0", state_of({}), true, 7},
      {"bytes 3 and 5: byte 3 wins", state_of({{3, 1}, {5, 1}}), true, 6},
      {"then byte 5 alone", state_of({{3, 1}}), true, 1},
  };
  for (const auto& step : steps) {
    send_state(3, step.sent);
    Report buffer = filled(0xEE);
    int kind = -1;
    ASSERT_EQ(watch(buffer, kind), 0) << step.what;
    EXPECT_EQ(kind, 3) << step.what;
    if (!step.delivered) {
      EXPECT_EQ(buffer, filled(0xEE)) << step.what;
      continue;
    }
    State expected = step.sent;
    expected[16] = static_cast<std::uint8_t>(step.code);
    EXPECT_EQ(head(buffer), std::vector<std::uint8_t>(expected.begin(), expected.end()))
        << step.what;
    EXPECT_EQ(buffer[kStateBytes], 0xEE) << step.what;  // 17 bytes written, no more
  }
  EXPECT_EQ(doors::device_list().size(), 1u);
}

TEST_F(DoorWatch, SlotsOfOneControllerAreKeptApart) {
  send_state(1, state_of({{3, 1}}));
  send_state(2, state_of({{3, 1}}));  // a new slot of a known controller: against zeros
  Report buffer = filled(0);
  int kind = -1;
  ASSERT_EQ(watch(buffer, kind), 0);
  ASSERT_EQ(watch(buffer, kind), 0);
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(buffer[16], 6);
  EXPECT_EQ(buffer[3], 1);
}

TEST_F(DoorWatch, KindIsTheSlotWithSlotZeroAs33) {
  for (auto [slot, kind_expected] : std::vector<std::pair<int, int>>{{0, 33}, {5, 5}, {31, 31}}) {
    send_state(static_cast<std::uint8_t>(slot), state_of({{3, 1}}));
    Report buffer = filled(0);
    int kind = -1;
    ASSERT_EQ(watch(buffer, kind), 0);
    EXPECT_EQ(kind, kind_expected) << slot;
  }
}

TEST_F(DoorWatch, SlotOutsideTheControllerIsIgnored) {
  send_state(1, state_of({{3, 1}}));  // a known controller, with a slot of its own
  Report buffer = filled(0);
  int kind = -1;
  ASSERT_EQ(watch(buffer, kind), 0);
  for (std::uint8_t slot : {32, 33, 255}) {
    send_state(slot, state_of({{3, 0}, {4, 1}}));
    Report untouched = filled(0xEE);
    kind = -7;
    ASSERT_EQ(watch(untouched, kind), 0) << int(slot);
    EXPECT_EQ(kind, -7);
    EXPECT_EQ(untouched, filled(0xEE));
  }
  // Slot 1 still holds what it had: the same state again is no change.
  send_state(1, state_of({{3, 1}}));
  Report again = filled(0xEE);
  ASSERT_EQ(watch(again, kind), 0);
  EXPECT_EQ(again, filled(0xEE));
  EXPECT_EQ(doors::device_list().size(), 1u);
}

TEST_F(DoorWatch, CrcMismatchWritesNothingAndWatchRequestIsSkipped) {
  auto bad = sim::door_state_report(4, state_of({{3, 1}}));
  bad[79] ^= 1;
  report(bad);
  Report buffer = filled(0xEE);
  int kind = -7;
  EXPECT_EQ(watch(buffer, kind), -2);
  EXPECT_EQ(kind, -7);
  EXPECT_EQ(buffer, filled(0xEE));
  EXPECT_EQ(doors::device_list().size(), 0u);

  const char request[] = "watch to me 0123456789";
  report(sim::Bytes(request, request + sizeof request));
  send_state(4, state_of({{3, 1}}));
  EXPECT_EQ(watch(buffer, kind), 0);
  EXPECT_EQ(kind, 4);
}

// People drive the simulated controllers' reports with text datagrams.
TEST_F(DoorWatch, TextCommandsSendReports) {
  testing::UdpPeer person;
  auto say = [&](const std::string& text) {
    person.send_to(port(), std::vector<std::uint8_t>(text.begin(), text.end()));
    std::vector<std::uint8_t> answer;
    EXPECT_TRUE(person.receive(&answer, 2000)) << text;
    return std::string(answer.begin(), answer.end());
  };
  Report buffer = filled(0);
  int kind = -1;
  ASSERT_EQ(say("door state 5 0 0 0 1"), "ok");
  ASSERT_EQ(watch(buffer, kind), 0);
  EXPECT_EQ(kind, 5);
  EXPECT_EQ(buffer[3], 1);
  ASSERT_EQ(say("door card 0A0B0C0D 1 2 open sesame"), "ok");
  ASSERT_EQ(watch(buffer, kind), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data() + 10), "open sesame");
  ASSERT_EQ(say("door hesk 0A0B0C0D 3"), "ok");
  HeskReport hesk{};
  ASSERT_EQ(call_within([&] { return Hesk_Watch(&hesk, nullptr, nullptr); }), 0);
  EXPECT_EQ(hesk.inputs[1], 1);
  ASSERT_EQ(say("door gaddo v 0102"), "ok");
  unsigned char gaddo_kind = 0, data[32];
  ASSERT_EQ(call_within([&] { return Gaddo_Watch(&gaddo_kind, data, nullptr, nullptr); }), 0);
  EXPECT_EQ(data[1], 2);
  EXPECT_EQ(say("door open"), std::string("error: ") + sim::kDoorUsage);
}

TEST(DoorStateChange, CodeTable) {
  struct Case {
    std::vector<std::pair<int, int>> now, stored;
    int code;
  };
  const std::vector<Case> cases = {
      {{}, {}, 0},
      {{{3, 1}}, {}, 6},
      {{}, {{3, 1}}, 5},
      {{{4, 9}}, {{4, 1}}, 4},
      {{}, {{4, 1}}, 3},
      {{{5, 1}}, {}, 2},
      {{}, {{5, 1}}, 1},
      {{{6, 0}}, {{6, 1}}, 7},
      {{{6, 1}}, {}, 7},
      {{{0, 1}, {2, 1}, {7, 1}, {16, 1}}, {}, 0},
      {{{4, 1}, {6, 1}}, {}, 4},
  };
  for (const auto& c : cases) {
    doors::DoorState now{}, stored{};
    for (auto [i, v] : c.now) now[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    for (auto [i, v] : c.stored) stored[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    EXPECT_EQ(doors::change_code(now, stored), c.code);
  }
}

// Text parsing only: nothing is sent to any of these addresses.
TEST(DoorStateChange, AddressTexts) {
  EXPECT_EQ(doors::ipv4_of("127.0.0.1"), 0x7F000001u);
  EXPECT_EQ(doors::ipv4_of("192.168.1.50"), 0xC0A80132u);
  for (const char* bad : {"", "1.2.3", "1.2.3.4.", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.0004"})
    EXPECT_EQ(doors::ipv4_of(bad), 0u) << bad;
}

TEST_F(DoorWatch, HundredControllersReportToOneLoop) {
  if (!testing::ControllerSocket::sources_are_kept())
    GTEST_SKIP() << "this system sends every loopback datagram from 127.0.0.1";
  constexpr int kControllers = 100;
  std::vector<std::unique_ptr<testing::ControllerSocket>> controllers;
  for (int i = 0; i < kControllers; ++i) {
    controllers.push_back(std::make_unique<testing::ControllerSocket>(2 + i));
    ASSERT_TRUE(controllers.back()->bound()) << controllers.back()->address();
  }
  auto slot_of = [](int i) { return static_cast<std::uint8_t>(i % 32); };
  // A round: every controller sends one door state, then the loop takes 100 reports.
  auto round = [&](auto state_for, std::map<std::string, std::pair<int, Report>>& seen) {
    for (int i = 0; i < kControllers; ++i)
      ASSERT_TRUE(controllers[static_cast<std::size_t>(i)]->send_to_host(
          watch_port(), sim::door_state_report(slot_of(i), state_for(i))));
    for (int n = 0; n < kControllers; ++n) {
      Report buffer = filled(0xEE);
      int kind = -1;
      std::string sender;
      ASSERT_EQ(watch(buffer, kind, &sender), 0);
      seen[sender] = {kind, buffer};
    }
  };

  std::map<std::string, std::pair<int, Report>> first, same, changed;
  round([](int i) { return state_of({{0, i}, {16, 0x40}}); }, first);
  ASSERT_EQ(first.size(), 100u);
  EXPECT_EQ(doors::device_list().size(), 100u);
  round([](int i) { return state_of({{0, i}, {16, 0x40}}); }, same);
  EXPECT_EQ(doors::device_list().size(), 100u);
  // Even controllers set byte 3, odd ones byte 5.
  round([](int i) { return i % 2 == 0 ? state_of({{3, 1}}) : state_of({{5, 1}}); }, changed);
  EXPECT_EQ(doors::device_list().size(), 100u);

  for (int i = 0; i < kControllers; ++i) {
    const std::string who = controllers[static_cast<std::size_t>(i)]->address();
    const int kind = slot_of(i) == 0 ? 33 : slot_of(i);
    ASSERT_EQ(first.count(who), 1u) << who;
    EXPECT_EQ(first[who].first, kind) << who;
    EXPECT_EQ(first[who].second[0], i) << who;
    EXPECT_EQ(first[who].second[16], 0x40) << who;  // as sent: the controller was new
    EXPECT_EQ(same[who].second, filled(0xEE)) << who;
    EXPECT_EQ(changed[who].first, kind) << who;
    EXPECT_EQ(changed[who].second[16], i % 2 == 0 ? 6 : 2) << who;
  }
}

TEST_F(DoorWatch, HeskReport) {
  report(sim::hesk_report({0xAB, 0xCD, 0x01, 0x02}, 0xA5, {2009, 5, 6, 7, 8, 9}));
  Guarded<HeskReport> r;
  std::memset(r.get(), 0xEE, sizeof(HeskReport));
  ASSERT_EQ(call_within([&] { return Hesk_Watch(r.get(), nullptr, nullptr); }), 0);
  EXPECT_STREQ(r->card, "ABCD0102");
  EXPECT_STREQ(r->time, "07:08:09");
  EXPECT_STREQ(r->date, "2009-05-06");
  EXPECT_EQ(testing::hex({r->inputs, r->inputs + 8}), "01 00 01 00 00 01 00 01");
  EXPECT_EQ(r->card[9], 0);  // cleared first
  EXPECT_TRUE(r.guards_intact());

  auto bad = sim::hesk_report({1, 2, 3, 4}, 1);
  bad[80] ^= 0x10;
  report(bad);
  std::memset(r.get(), 0xEE, sizeof(HeskReport));
  EXPECT_EQ(call_within([&] { return Hesk_Watch(r.get(), nullptr, nullptr); }), -2);
  EXPECT_EQ(static_cast<unsigned char>(r->card[0]), 0xEE);
}

TEST_F(DoorWatch, GaddoFrames) {
  std::array<std::uint8_t, 32> data{};
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
  struct Case {
    char kind;
    int result;
  };
  for (const Case c : {Case{'u', 0}, Case{'v', 0}, Case{'w', -3}, Case{'U', -3}}) {
    report(sim::gaddo_frame(static_cast<std::uint8_t>(c.kind), data));
    unsigned char kind = 0;
    std::array<unsigned char, 32> got;
    got.fill(0xEE);
    char sender[16] = {};
    int from = 0;
    ASSERT_EQ(call_within([&] { return Gaddo_Watch(&kind, got.data(), sender, &from); }), c.result)
        << c.kind;
    EXPECT_EQ(kind, c.kind);
    EXPECT_STREQ(sender, "127.0.0.1");
    for (std::size_t i = 0; i < 32; ++i) {
      const int want = c.result != 0 || i == 31 ? 0 : data[i];
      EXPECT_EQ(got[i], want) << c.kind << " " << i;
    }
  }
  unsigned char data_out[32];
  EXPECT_EQ(Gaddo_Watch(nullptr, data_out, nullptr, nullptr), -2);
}

// Whatever arrives, each of the three watch functions returns one of its results and writes
// nothing outside the caller's buffers; texts end inside their fields.
TEST_F(DoorWatch, MalformedDatagrams) {
  struct Case {
    const char* what;
    sim::Bytes bytes;
    int sondo, hesk, gaddo;  // expected results; kAny: any documented result
  };
  constexpr int kAny = 99;
  auto text_run = sim::card_report({1, 2, 3, 4}, 0, 0, "");
  std::fill(text_run.begin() + 8, text_run.begin() + 79, 0xB1);
  sim::seal_watch_report(text_run);
  auto short_state = sim::door_state_report(7, state_of({{3, 1}}));
  short_state.resize(24);  // cut inside the state: the rest reads as zeros, CRC fails
  auto big_slot = sim::door_state_report(200, state_of({{3, 1}}));
  std::vector<Case> cases = {
      {"empty", {}, -1, -1, -1},
      {"three bytes", {'a', 'b', 'u'}, -2, -2, 0},
      {"all 0xFF, 81 bytes", sim::Bytes(81, 0xFF), -2, -2, -3},
      {"all zeros, 81 bytes (CRC of zeros is not zero)", sim::Bytes(81, 0), kAny, kAny, -3},
      {"text without a zero", text_run, 0, 0, -3},
      {"door state cut short", short_state, -2, -2, -3},
      {"door state for slot 200", big_slot, 0, 0, -3},
      {"256 bytes", sim::Bytes(256, 0x41), -2, -2, -3},
      {"257 bytes: over the room of 256", sim::Bytes(257, 0x41), -1, -1, -3},
      {"513 bytes: over every room", sim::Bytes(513, 0x75), -1, -1, -1},
  };
  std::mt19937 random(7);
  for (std::size_t n : {2u, 35u, 80u, 81u, 100u, 300u}) {
    sim::Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    cases.push_back({"random", b, kAny, kAny, kAny});
  }

  for (const auto& c : cases) {
    Guarded<SondoCardReport> sondo;
    Guarded<int> kind;
    Guarded<HeskReport> hesk;
    Guarded<std::array<unsigned char, 32>> data;
    Guarded<unsigned char> gaddo_kind;
    Guarded<std::array<char, 16>> sender;
    int from = 0;
    const int results[3] = {
        (report(c.bytes), call_within([&] {
           return Sondo_Watch(reinterpret_cast<unsigned char*>(sondo.get()), kind.get(),
                              sender->data(), &from);
         })),
        (report(c.bytes),
         call_within([&] { return Hesk_Watch(hesk.get(), sender->data(), &from); })),
        (report(c.bytes), call_within([&] {
           return Gaddo_Watch(gaddo_kind.get(), data->data(), sender->data(), &from);
         })),
    };
    const int expected[3] = {c.sondo, c.hesk, c.gaddo};
    const std::vector<int> allowed[3] = {{0, -1, -2}, {0, -1, -2}, {0, -1, -3}};
    for (int f = 0; f < 3; ++f) {
      if (expected[f] == kAny)
        EXPECT_NE(std::find(allowed[f].begin(), allowed[f].end(), results[f]), allowed[f].end())
            << c.what << " function " << f << " gave " << results[f];
      else
        EXPECT_EQ(results[f], expected[f]) << c.what << " function " << f;
    }
    EXPECT_TRUE(sondo.guards_intact() && kind.guards_intact() && hesk.guards_intact() &&
                data.guards_intact() && gaddo_kind.guards_intact() && sender.guards_intact())
        << c.what;
    if (results[0] == 0 && *kind.get() == kCardReport) {
      EXPECT_TRUE(fits(sondo->text, 64) && fits(sondo->date, 12) && fits(sondo->time, 10))
          << c.what;
    }
    if (results[1] == 0) {
      EXPECT_TRUE(fits(hesk->card, 10) && fits(hesk->date, 16) && fits(hesk->time, 16)) << c.what;
    }
  }
}

}  // namespace
}  // namespace vorskel
