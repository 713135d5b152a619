// Record downloads through a faulty network: each fault on a page read gives its result
// code, a failed page retried gives that page's records once (in the entries and in the
// record files), no reply is taken for another page, and the caller's buffer is never
// written outside its entries.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../records/record_sim.h"
#include "transport/library.h"
#include "transport/tnet.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::Fault;
using sim::FaultKind;

constexpr sim::SlotGeometry kStd{16, 512, 32};
constexpr std::size_t kEntry = 54;
constexpr std::size_t kPageEntries = 32;
constexpr std::size_t kGuard = 64;
constexpr std::uint8_t kGuardByte = 0xA5;
constexpr int kPageRead = 4;
constexpr int kTimeoutMs = 80;  // short, yet long enough for a busy machine

std::string card_of(std::size_t i) {
  char card[16];
  std::snprintf(card, sizeof card, "c%07zu", i);
  return card;
}

// Records whose card texts are "c" and their number, all on one day.
std::vector<Bytes> numbered(std::size_t n) {
  std::vector<Bytes> out;
  for (std::size_t i = 0; i < n; ++i) out.push_back(sim::standard_record(card_of(i), 0x3C, {}));
  return out;
}

class DownloadFaults : public testing::RecordSim {
 protected:
  // One page call into a buffer with guard bytes on both sides; returns the result and the
  // card texts of the entries written, and checks the guards.
  int page(int n, std::vector<std::string>* cards = nullptr) {
    std::vector<std::uint8_t> buffer(kGuard + kPageEntries * kEntry + kGuard, kGuardByte);
    std::vector<std::uint8_t> out_view;
    const int r = Vorsk_Record(buffer.data() + kGuard, n, host(), port());
    for (std::size_t i = 0; i < kGuard; ++i) {
      EXPECT_EQ(buffer[i], kGuardByte) << "written before the buffer, page " << n;
      EXPECT_EQ(buffer[buffer.size() - 1 - i], kGuardByte) << "written past the buffer, page " << n;
    }
    if (cards != nullptr) {
      cards->clear();
      out_view.assign(buffer.begin() + kGuard, buffer.end() - kGuard);
      for (int i = 0; i < r; ++i) cards->push_back(text_at(out_view, i, kEntry, 0));
    }
    return r;
  }
  // What a host does: call each page until it gives 0 or more, at most kTries times, then
  // the next page, until -1.
  struct HostRun {
    std::vector<std::string> cards;
    int last = 0;
    int failures = 0;
  };
  HostRun download_with_retries() {
    constexpr int kTries = 20;
    constexpr int kMaxPages = 1000;
    HostRun run;
    std::vector<std::string> cards;
    for (int p = 0; p < kMaxPages; ++p) {
      int r = -2;
      for (int t = 0; t < kTries && (r = page(p, &cards)) < -1; ++t) ++run.failures;
      run.last = r;
      if (r < 0) break;
      run.cards.insert(run.cards.end(), cards.begin(), cards.end());
    }
    return run;
  }
  // Waits until a datagram waits on the command port (a reply's second copy, the reply sent
  // after noise), so the next call's drain meets it rather than racing it.
  static bool await_leftover() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (command_endpoint().PendingBytes() <= 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return command_endpoint().PendingBytes() > 0;
  }
  static std::vector<std::string> names(std::size_t from, std::size_t to) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < to; ++i) out.push_back(card_of(i));
    return out;
  }
  static std::string lines(std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) out += card_of(i) + " 2009-05-01 08:00:00 127.0.0.1\n";
    return out;
  }
};

struct FaultCase {
  const char* name;
  Fault fault;
  int result;  // of the faulty page read
};

// Test names and failure messages show the case's name (not its bytes, padding included).
void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

class PageReadFault : public DownloadFaults, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(PageReadFault, GivesItsCodeAndTheRetryAndNextPagesGiveTheirOwnRecordsOnce) {
  const FaultCase& c = GetParam();
  set_receive_timeout(kTimeoutMs);
  load(sim::linear_area(kStd, 512, 0, numbered(4 * kPageEntries)));
  std::vector<std::string> cards;
  ASSERT_EQ(page(0, &cards), 32);
  EXPECT_EQ(cards, names(0, 32));

  sim().inject(kPageRead, c.fault);
  const int r = page(1, &cards);
  EXPECT_EQ(r, c.result);
  if (c.fault.kind == FaultKind::kDuplicate || c.fault.kind == FaultKind::kNoiseBefore) {
    EXPECT_TRUE(await_leftover());
  }
  if (r < -1) {
    EXPECT_TRUE(cards.empty());
    if (c.fault.kind == FaultKind::kDelay)  // the late reply is waiting when the host retries
      std::this_thread::sleep_for(std::chrono::milliseconds(c.fault.param - kTimeoutMs + 20));
    EXPECT_EQ(page(1, &cards), 32) << "the retry";
  }
  EXPECT_EQ(cards, names(32, 64));
  // A reply left over from page 1 (second copy, late reply, the real one after noise) is
  // never taken for page 2.
  EXPECT_EQ(page(2, &cards), 32);
  EXPECT_EQ(cards, names(64, 96));
  EXPECT_EQ(page(3, &cards), 32);
  EXPECT_EQ(cards, names(96, 128));
  EXPECT_EQ(page(4), -1);
  // Each record once in the record file: the failed page wrote no line.
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-05-01"), lines(0, 128));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PageReadFault,
    ::testing::Values(FaultCase{"NoReply", {FaultKind::kNoReply, 0, 0, 1}, -21},
                      FaultCase{"LateReply", {FaultKind::kDelay, 3 * kTimeoutMs, 0, 1}, -21},
                      FaultCase{"OverLongReply", {FaultKind::kOverLong, 1, 0, 1}, -21},
                      FaultCase{"WrongCode", {FaultKind::kWrongCode, 0, 0, 1}, -22},
                      FaultCase{
                          "WrongCodeOfAnotherCommand", {FaultKind::kWrongCode, 18, 0, 1}, -22},
                      FaultCase{"NoiseBeforeTheReply", {FaultKind::kNoiseBefore, 0, 0, 1}, -22},
                      FaultCase{"DuplicateReply", {FaultKind::kDuplicate, 0, 0, 1}, 32},
                      // Another sender's datagram is no reply: the wait runs out.
                      FaultCase{"ReplyFromAnotherPort", {FaultKind::kOtherPort, 0, 0, 1}, -21},
                      // A page cut short is a failed page, not a page with fewer records.
                      FaultCase{"TruncatedReply", {FaultKind::kTruncate, 3 + 160, 0, 1}, -21}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(DownloadFaults, EveryPageReadDuplicatedStillGivesEachRecordOnce) {
  // Every page sent twice: each second copy waits on the command port until the next page's
  // request drains it. The test lets each copy arrive before the next call: a copy still on
  // its way when the next request goes out would be taken as that request's reply (a page
  // reply carries no address, so nothing tells them apart).
  set_receive_timeout(kTimeoutMs);
  load(sim::linear_area(kStd, 512, 0, numbered(8 * kPageEntries)));
  sim().inject(kPageRead, {FaultKind::kDuplicate, 0, 0, -1});
  std::vector<std::string> cards, all;
  int r = 0;
  for (int p = 0; p < 20 && (r = page(p, &cards)) >= 0; ++p) {
    all.insert(all.end(), cards.begin(), cards.end());
    EXPECT_TRUE(await_leftover()) << "the second copy of page " << p;
  }
  EXPECT_EQ(r, -1);
  EXPECT_EQ(all, names(0, 8 * kPageEntries));
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-05-01"), lines(0, 8 * kPageEntries));
}

TEST_F(DownloadFaults, HostWithRetriesGetsEveryRecordExactlyOnceUnderFivePercentLoss) {
  set_receive_timeout(kTimeoutMs);
  // A wrapped area of 3000 records whose oldest record sits mid-page, so one page holds the
  // newest and a later one the oldest; every 13th slot invalid.
  constexpr std::size_t kRecords = 3000;
  std::vector<Bytes> records = numbered(kRecords);
  for (std::size_t i = 5; i < kRecords; i += 13) records[i][11] = 0x55;
  const auto area = sim::wrapped_area(kStd, 4096, 2900, records);
  load(area);
  std::vector<std::string> expected;
  std::string expected_lines;
  for (const auto& s : sim::by_address(area))
    if (sim::holds_record(sim::RecordKind::kStandard, s.bytes)) {
      expected.push_back(std::string(s.bytes.begin(), s.bytes.begin() + 8));
      expected_lines += expected.back() + " 2009-05-01 08:00:00 127.0.0.1\n";
    }
  ASSERT_GT(expected.size(), 2700u);

  sim().set_recording(false);
  sim().set_loss(5, 2026);
  const HostRun run = download_with_retries();
  EXPECT_EQ(run.last, -1);
  EXPECT_GT(sim().dropped_count(), 2u) << "the loss took effect";
  EXPECT_EQ(static_cast<std::size_t>(run.failures), sim().dropped_count());
  ASSERT_EQ(run.cards.size(), expected.size());
  EXPECT_EQ(run.cards, expected);
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-05-01"), expected_lines);
}

}  // namespace
}  // namespace vorskel
