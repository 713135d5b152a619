// Contexts (include/vorskel/context.hpp): two contexts on two threads each download their own
// terminal's records and keep their registrations apart, while the exports go on running on
// the process context from a port of their own.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "record_sim.h"
#include "vorskel.h"
#include "vorskel/context.hpp"

namespace vorskel {
namespace {

using sim::Bytes;

constexpr sim::SlotGeometry kStd{16, 512, 32};
constexpr int kRecords = 100;

// A terminal of its own: 100 records whose card texts carry its letter, each reply 2 ms late
// so the two threads' transactions overlap.
struct Terminal {
  explicit Terminal(char letter) : sim(sim::make_model("vorsk")) {
    std::vector<Bytes> records;
    for (int i = 0; i < kRecords; ++i) {
      char card[9];
      std::snprintf(card, sizeof card, "%c%07d", letter, i);
      records.push_back(sim::standard_record(card, 0x3C, {}));
      cards.push_back(card);
    }
    const auto area = sim::linear_area(kStd, 512, 0, records);
    sim.with_model([&](sim::Model& m) {
      sim::load_record_area(m, area);
      return 0;
    });
    sim.inject(sim::kAnyCode, {sim::FaultKind::kDelay, 2});
  }
  std::set<int> sender_ports() const {
    std::set<int> ports;
    for (const auto& r : sim.requests()) ports.insert(r.from.port);
    return ports;
  }
  sim::Simulator sim;
  std::vector<std::string> cards;
};

// What one thread does on its context: the pointers, a registration stored and read back,
// and the whole download.
struct Outcome {
  int pointers = -99;
  unsigned int end = 0;
  int stored = -99;
  int read = -99;
  std::string name;
  std::vector<std::string> cards;
  int last_page = -99;
};

Outcome work(Context& context, int port, const char* card, const char* name) {
  Outcome o;
  const auto pointers = read_record_pointers(context, "127.0.0.1", port);
  o.pointers = pointers.result;
  o.end = pointers.value.end;

  VorskRegistryEntry entry{};
  std::memcpy(entry.card1, card, 8);
  std::memcpy(entry.card2, "00000000", 8);
  std::memcpy(entry.name, name, std::strlen(name));
  entry.year = 2030;
  entry.month = 6;
  entry.day = 15;
  o.stored = write_registration(context, entry, "127.0.0.1", port);
  VorskRegistryEntry back{};
  o.read = read_registration(context, card, back, "127.0.0.1", port);
  o.name.assign(back.name, strnlen(back.name, sizeof back.name));

  RecordDownload download(context, "127.0.0.1", port);
  std::vector<unsigned char> out(RecordDownload::kEntriesPerPage * RecordDownload::kEntryBytes);
  for (int page = 0; page < 64; ++page) {
    const int r = download.page(page, out.data());
    o.last_page = r;
    if (r < 0) break;
    for (int i = 0; i < r; ++i)
      o.cards.emplace_back(reinterpret_cast<const char*>(&out[i * RecordDownload::kEntryBytes]));
  }
  return o;
}

class Contexts : public testing::RecordSim {};

TEST_F(Contexts, TwoThreadsTalkToTwoTerminalsWhileTheExportsKeepTheProcessContext) {
  Terminal a('a'), b('b');
  Context first, second;
  ASSERT_EQ(first.open(), 0);
  ASSERT_EQ(second.open(), 0);
  ASSERT_NE(first.local_port(), second.local_port());

  Outcome from_a, from_b;
  std::thread ta([&] { from_a = work(first, a.sim.port(), "0000000A", "Ann"); });
  std::thread tb([&] { from_b = work(second, b.sim.port(), "0000000B", "Bo"); });
  // Meanwhile the exports on this thread: the process context, the simulator of the fixture.
  std::vector<int> totals;
  for (int i = 0; i < 20; ++i) {
    unsigned int total = 99, second_count = 99;
    totals.push_back(Vorsk_GetTotal(&total, &second_count, host(), port()));
  }
  ta.join();
  tb.join();

  EXPECT_EQ(totals, std::vector<int>(20, 0));
  for (const auto* o : {&from_a, &from_b}) {
    EXPECT_EQ(o->pointers, 0);
    EXPECT_EQ(o->end, kRecords * 16u);
    EXPECT_EQ(o->stored, 1);  // the terminal answers the operation's type when it did it
    EXPECT_EQ(o->read, 3);
    EXPECT_EQ(o->last_page, -1);
  }
  EXPECT_EQ(from_a.name, "Ann");
  EXPECT_EQ(from_b.name, "Bo");
  EXPECT_EQ(from_a.cards, a.cards);
  EXPECT_EQ(from_b.cards, b.cards);
  // Each terminal heard only its own context; the exports used the process endpoint.
  EXPECT_EQ(a.sender_ports(), std::set<int>{first.local_port()});
  EXPECT_EQ(b.sender_ports(), std::set<int>{second.local_port()});
  std::set<int> process_ports;
  for (const auto& r : requests()) process_ports.insert(r.from.port);
  EXPECT_EQ(process_ports, std::set<int>{Context::process().local_port()});
}

TEST_F(Contexts, AScopeRunsExportsOnTheContextUntilItEnds) {
  Context context;
  ASSERT_EQ(context.open(), 0);
  {
    ContextScope scope(context);
    EXPECT_EQ(Vorsk_SetTime(host(), port()), 0);
    {
      ContextScope inner(Context::process());
      EXPECT_EQ(Vorsk_Beep(1, host(), port()), 0);
    }
    EXPECT_EQ(Vorsk_Reset(host(), port()), 0);
  }
  EXPECT_EQ(Vorsk_ClearRecord(host(), port()), 0);
  std::vector<int> ports;
  for (const auto& r : requests()) ports.push_back(r.from.port);
  const int own = context.local_port(), process = Context::process().local_port();
  EXPECT_EQ(ports, (std::vector<int>{own, process, own, process}));
}

TEST_F(Contexts, RetriesSendAgainAfterATimeOutAndTheProcessContextNever) {
  sim().inject(11, {sim::FaultKind::kNoReply, 0, 0, 1});  // the first request goes unanswered
  Context context({.receive_timeout_ms = 100, .retries = 2});
  ASSERT_EQ(context.open(), 0);
  const auto total = read_record_total(context, host(), port());
  EXPECT_EQ(total.result, 0);
  EXPECT_EQ(requests().size(), 2u);

  sim().clear_requests();
  sim().inject(11, {sim::FaultKind::kNoReply, 0, 0, 1});
  set_receive_timeout(100);
  EXPECT_EQ(Vorsk_GetTotal(nullptr, nullptr, host(), port()), VORSKEL_ERR_NO_REPLY);
  EXPECT_EQ(requests().size(), 1u);
}

TEST_F(Contexts, OpenReportsARefusedPortAndAClosedContextCannotSend) {
  Context first;
  ASSERT_EQ(first.open(), 0);
  EXPECT_EQ(first.open(), -1);  // already open
  Context clash({.local_port = first.local_port()});
  EXPECT_EQ(clash.open(), -2);
  EXPECT_FALSE(clash.is_open());
  EXPECT_EQ(read_record_total(clash, host(), port()).result, VORSKEL_ERR_SEND);
  EXPECT_EQ(first.close(), 0);
  EXPECT_EQ(set_time(first, host(), port()), VORSKEL_ERR_SEND);
  EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace vorskel
