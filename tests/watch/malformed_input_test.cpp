// Whatever arrives on the watch endpoint, each receiving function returns one of its
// documented results and writes nothing outside the caller's structures and their fields.
// Every case is followed by a well-formed report (the sentinel), so a function that skips
// the case returns the sentinel instead of waiting for ever.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "sim/models/reports.h"
#include "watch_support.h"

namespace vorskel {
namespace {

using testing::call_within;
using testing::fits;
using testing::Guarded;
using testing::SenderText;

constexpr int kSkipped = 1;    // the function passed over the datagram and took the sentinel
constexpr int kAnyResult = 2;  // random bytes: any documented result

// One receiving export with its caller structure between guard bands.
struct Receiver {
  std::string name;
  std::function<int(SenderText*)> call;
  std::function<bool()> took_sentinel;  // the structure holds the sentinel's decoding
  std::function<bool()> texts_fit;      // every text field ends inside its room
  std::function<bool()> guards_intact;
  sim::Bytes sentinel;
};

struct Receivers {
  Guarded<VorskWatchRecord> record;
  Guarded<NemmarConsumptionEntry> entry;
  Guarded<BrellBooking> booking;
  Guarded<VorskSavedReport> saved;
  std::vector<Receiver> all;

  Receivers() {
    sim::Consumption c;
    c.card = 0x5E5E5E5E;
    all.push_back({"Vorsk_Watch",
                   [this](SenderText* s) { return Vorsk_Watch(record.get(), s->text, &port); },
                   [this] { return std::string(record->card) == "5E5E5E5E"; },
                   [this] {
                     return fits(record->card, 10) && fits(record->message, 64) &&
                            fits(record->date, 12) && fits(record->time, 10);
                   },
                   [this] { return record.guards_intact(); },
                   sim::card_report({0x5E, 0x5E, 0x5E, 0x5E}, 0, 0, "sentinel")});
    all.push_back({"Nemmar_Watch",
                   [this](SenderText* s) { return Nemmar_Watch(entry.get(), s->text, &port); },
                   [this] { return std::string(entry->card) == "1583242846"; },
                   [this] {
                     return fits(entry->card, 12) && fits(entry->date, 12) &&
                            fits(entry->time, 10) && fits(entry->type, 20) &&
                            fits(entry->valueB, 16) && fits(entry->valueA, 18);
                   },
                   [this] { return entry.guards_intact(); }, sim::consumption_report(c)});
    all.push_back({"Brell_Save2DB",
                   [this](SenderText* s) { return Brell_Save2DB(booking.get(), s->text, &port); },
                   [this] { return std::string(booking->card) == "5e5e5e5e"; },
                   [this] { return fits(booking->card, 9); },
                   [this] { return booking.guards_intact(); },
                   sim::booking_report({0x5E, 0x5E, 0x5E, 0x5E}, 0, 0, '0')});
    all.push_back({"Vorsk_Save2db",
                   [this](SenderText* s) { return Vorsk_Save2db(saved.get(), s->text, &port); },
                   [this] { return saved->id[0] == 0x5E; },
                   [this] { return fits(saved->date, 12) && fits(saved->time, 10); },
                   [this] { return saved.guards_intact(); },
                   sim::saved_report({0x5E, 0x5E, 0x5E, 0x5E, 0x5E, 0x5E, 0x5E, 0x5E}, 0)});
  }
  int port = 0;
};

sim::Bytes filled(std::size_t n, std::uint8_t b) {
  return sim::Bytes(n, b);
}
sim::Bytes sealed(sim::Bytes r) {
  sim::seal_watch_report(r);
  return r;
}
sim::Bytes with_marker(sim::Bytes r) {
  r[0] = 0x1A;
  r[1] = 0x2B;
  return r;
}
sim::Bytes random_bytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  sim::Bytes r(n);
  for (auto& b : r) b = static_cast<std::uint8_t>(gen());
  return r;
}
sim::Bytes marked_not_for_host() {
  auto r = sim::card_report({1, 2, 3, 4}, 0, 0, "x");
  r.resize(300, 0);
  r[256] = 0xAA;
  r[257] = 0x55;
  return r;
}
sim::Bytes request_then_junk() {
  const std::string s = "watch to me 0123456789 and then some junk";
  return sim::Bytes(s.begin(), s.end());
}

struct Case {
  const char* what;
  sim::Bytes datagram;
  int expect[4];  // Vorsk_Watch, Nemmar_Watch, Brell_Save2DB, Vorsk_Save2db
};

std::vector<Case> cases() {
  return {
      {"empty", {}, {-1, -1, -2, -2}},
      // 79 zero bytes have CRC 0, which is what an absent CRC field reads as.
      {"one zero byte", {0x00}, {0, kSkipped, -2, -2}},
      {"one byte", {0x1A}, {-2, kSkipped, -2, -2}},
      {"report marker alone", {0x1A, 0x2B}, {-2, kSkipped, 0, 0}},
      {"80 bytes of AE", filled(80, 0xAE), {-2, 0, -2, -2}},
      {"exactly 512, CRC over 80 80 ..", sealed(filled(512, 0x80)), {0, kSkipped, -1, -1}},
      {"513 bytes", filled(513, 0x00), {-1, -1, -1, -1}},
      {"largest datagram", random_bytes(65507, 1), {-1, -1, -1, -1}},
      {"128 bytes, marker, FF", with_marker(filled(128, 0xFF)), {-2, kSkipped, 0, 0}},
      {"129 bytes, marker", with_marker(filled(129, 0xA0)), {-2, 0, -1, -1}},
      {"text without its zero", sealed(filled(81, 'A')), {0, kSkipped, -2, -2}},
      {"watch request and junk", request_then_junk(), {kSkipped, kSkipped, -2, -2}},
      {"marked not for the host", marked_not_for_host(), {kSkipped, kSkipped, -1, -1}},
      {"random 7", random_bytes(7, 2), {kAnyResult, kAnyResult, kAnyResult, kAnyResult}},
      {"random 81", random_bytes(81, 3), {kAnyResult, kAnyResult, kAnyResult, kAnyResult}},
      {"random 100", random_bytes(100, 4), {kAnyResult, kAnyResult, kAnyResult, kAnyResult}},
      {"random 300", random_bytes(300, 5), {kAnyResult, kAnyResult, kAnyResult, kAnyResult}},
      {"random 512", random_bytes(512, 6), {kAnyResult, kAnyResult, kAnyResult, kAnyResult}},
  };
}

class MalformedInput : public testing::WatchTest {};

TEST_F(MalformedInput, EveryReceiverGivesADocumentedResultAndStaysInItsStructures) {
  Receivers receivers;
  for (const Case& c : cases()) {
    for (std::size_t i = 0; i < receivers.all.size(); ++i) {
      Receiver& r = receivers.all[i];
      SCOPED_TRACE(std::string(c.what) + " -> " + r.name);
      Guarded<SenderText> sender;
      report(c.datagram);
      report(r.sentinel);
      const int first = call_within([&] { return r.call(sender.get()); });
      const int expect = c.expect[i];
      bool sentinel_taken = first == 0 && r.took_sentinel();
      if (expect == kSkipped) {
        EXPECT_EQ(first, 0);
        EXPECT_TRUE(sentinel_taken);
      } else if (expect == kAnyResult) {
        EXPECT_TRUE(first == 0 || first == -1 || first == -2) << first;
      } else {
        EXPECT_EQ(first, expect);
        EXPECT_FALSE(sentinel_taken);
      }
      EXPECT_TRUE(r.guards_intact());
      EXPECT_TRUE(r.texts_fit());
      EXPECT_TRUE(sender.guards_intact());
      EXPECT_TRUE(fits(sender->text, 16));
      if (!sentinel_taken) {
        EXPECT_EQ(call_within([&] { return r.call(sender.get()); }), 0);
        EXPECT_TRUE(r.took_sentinel());
        EXPECT_TRUE(r.guards_intact());
      }
    }
  }
}

TEST_F(MalformedInput, OutOfRangeClockBytesAreCutToTheFieldRooms) {
  // Signed clock bytes of -128 would print 14 characters into rooms of 12 and 10.
  Guarded<VorskWatchRecord> record;
  report(sealed(filled(81, 0x80)));
  ASSERT_EQ(call_within([&] { return Vorsk_Watch(record.get(), nullptr, nullptr); }), 0);
  EXPECT_STREQ(record->date, "1772--128--");
  EXPECT_STREQ(record->time, "-128:-128");
  EXPECT_STREQ(record->card, "80808080");
  EXPECT_EQ(record->valueA, -128);
  EXPECT_EQ(std::string(record->message), std::string(63, '\x80'));
  EXPECT_TRUE(record.guards_intact());
}

TEST_F(MalformedInput, UnterminatedTextKeepsSixtyThreeCharacters) {
  Guarded<VorskWatchRecord> record;
  report(sealed(filled(81, 'A')));
  ASSERT_EQ(call_within([&] { return Vorsk_Watch(record.get(), nullptr, nullptr); }), 0);
  EXPECT_EQ(std::string(record->message), std::string(63, 'A'));
  EXPECT_TRUE(record.guards_intact());
}

TEST_F(MalformedInput, NullStructuresAreRefusedWithoutTakingADatagram) {
  EXPECT_EQ(Vorsk_Watch(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(Nemmar_Watch(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(Brell_Save2DB(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(Vorsk_Save2db(nullptr, nullptr, nullptr), -1);
  report(sim::card_report({1, 2, 3, 4}, 0, 0, "still here"));
  VorskWatchRecord record{};
  ASSERT_EQ(call_within([&] { return Vorsk_Watch(&record, nullptr, nullptr); }), 0);
  EXPECT_STREQ(record.message, "still here");
}

}  // namespace
}  // namespace vorskel
