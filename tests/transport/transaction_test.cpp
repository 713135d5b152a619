// The command transaction against a simulated terminal: framing, reply lengths, wrong codes,
// stale datagrams, time-outs, and concurrent callers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/sim_fixture.h"
#include "support/udp_peer.h"
#include "transport/crc16.h"
#include "transport/frame.h"
#include "transport/library.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::Fault;
using sim::FaultKind;
using sim::Request;
using testing::hex;

class Transaction : public testing::SimTest {
 protected:
  std::string model_name() const override { return "echo"; }

  // The terminal answers `code` with a reply payload of n bytes 0xA0, 0xA1, ...
  void answer_with(std::uint8_t code, std::size_t n) {
    sim().with_model([&](sim::Model& m) {
      m.on(code, [n](const Request&) -> sim::Reply {
        Bytes b(n);
        for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(0xA0 + i);
        return b;
      });
      return 0;
    });
  }
  int command_port() const { return command_endpoint().LocalPort(); }
};

TEST(Crc16, CatalogueAndFrameValues) {
  const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(crc16(check, 9), 0x31C3);
  const std::uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(crc16(abc, 3), 0x9DD6);
  const std::uint8_t two = 0x02;
  EXPECT_EQ(crc16(&two, 1), 0x2042);
  EXPECT_EQ(crc16(abc, 0), 0);
}

TEST_F(Transaction, ResetFrameIsExactlyThreeBytes) {
  Frame f(2);
  ASSERT_EQ(f.exchange(0, 0, host(), port()), 0);
  EXPECT_EQ(hex(last_request().datagram), "42 20 02");
}

TEST_F(Transaction, ChecksumCoversCodeAndPayload) {
  Frame f(0x33);
  f.put8(0, 0x11);
  f.put16(1, 0x2233);
  ASSERT_EQ(f.exchange(3, 3, host(), port()), 0);
  const Request r = last_request();
  ASSERT_EQ(r.datagram.size(), 6u);
  EXPECT_TRUE(r.crc_ok);
  EXPECT_EQ(hex(r.datagram).substr(6), "33 11 33 22");
}

TEST_F(Transaction, ReplyLengthLimits) {
  struct Case {
    int reply_len;
    std::size_t answered;  // payload bytes the terminal sends
    int expected;
  } cases[] = {
      {0, 0, 0},        // exactly 3 bytes accepted
      {0, 1, -21},      // 4 bytes for replyLen 0
      {32, 32, 0},      // replyLen + 3 accepted whole
      {32, 33, -21},    // one byte more
      {1024, 1024, 0},  // a full flash page
      {32, 5, 0},       // shorter than expected: fine
  };
  for (const auto& c : cases) {
    answer_with(0x40, c.answered);
    Frame f(0x40);
    f.put8(c.reply_len - 1 > 0 ? c.reply_len - 1 : 0, 0x77);  // a request byte in the tail
    EXPECT_EQ(f.exchange(0, c.reply_len, host(), port()), c.expected)
        << "replyLen " << c.reply_len << ", answered " << c.answered;
    if (c.expected == 0 && c.answered > 0) {
      EXPECT_EQ(f.get8(static_cast<int>(c.answered) - 1),
                static_cast<std::uint8_t>(0xA0 + c.answered - 1));
    }
    if (c.expected == 0 && c.answered == 5) {
      EXPECT_EQ(f.get8(c.reply_len - 1), 0x77) << "the tail keeps the request's bytes";
    }
  }
}

TEST_F(Transaction, WrongCodeLeavesReplyInFrame) {
  answer_with(0x41, 4);
  sim().inject(0x41, Fault{FaultKind::kWrongCode, 0x99});
  Frame f(0x41);
  EXPECT_EQ(f.exchange(0, 4, host(), port()), -22);
  EXPECT_EQ(f.code(), 0x99);
  EXPECT_EQ(f.get8(0), 0xA0);
}

TEST_F(Transaction, FailuresLeaveRequestInFrame) {
  set_receive_timeout(150);
  sim().inject(0x42, Fault{FaultKind::kNoReply});
  Frame f(0x42);
  f.put8(0, 0x5A);
  EXPECT_EQ(f.exchange(1, 8, host(), port()), -21);
  const std::uint8_t covered[] = {0x42, 0x5A};
  EXPECT_EQ(f.raw()[0] | (f.raw()[1] << 8), crc16(covered, 2));  // the checksum was filled in
  EXPECT_EQ(f.get8(0), 0x5A);
}

TEST_F(Transaction, SendFailures) {
  Frame f(2);
  EXPECT_EQ(f.exchange(0, 0, testing::kUnresolvableHost, port()), -20);
  Vorsk_CloseSocket();
  EXPECT_EQ(f.exchange(0, 0, host(), port()), -20);
}

TEST_F(Transaction, StaleDatagramsAreNeverTheReply) {
  // Datagrams already waiting (one empty, one that looks like a valid reply) are drained;
  // the terminal's real answer comes a little later and must be what the caller gets.
  answer_with(0x43, 2);
  sim().inject(0x43, Fault{FaultKind::kDelay, 50});
  testing::UdpPeer stranger;
  stranger.send_to(command_port(), {});
  stranger.send_to(command_port(), sim::make_frame(0x43, {0x01, 0x02}));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Frame f(0x43);
  ASSERT_EQ(f.exchange(0, 2, host(), port()), 0);
  EXPECT_EQ(f.get8(0), 0xA0);
  EXPECT_EQ(f.get8(1), 0xA1);
}

TEST_F(Transaction, LateReplyIsDiscardedByTheNextTransaction) {
  set_receive_timeout(100);
  answer_with(0x44, 2);
  answer_with(0x45, 3);
  sim().inject(0x44, Fault{FaultKind::kDelay, 250, 0, 1});
  Frame late(0x44);
  EXPECT_EQ(late.exchange(0, 2, host(), port()), -21);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the late reply is queued
  Frame next(0x45);
  ASSERT_EQ(next.exchange(0, 3, host(), port()), 0);
  EXPECT_EQ(next.get8(2), 0xA2);
}

TEST_F(Transaction, DuplicateReplyDoesNotLeakIntoTheNextTransaction) {
  answer_with(0x46, 1);
  answer_with(0x47, 1);
  sim().inject(0x46, Fault{FaultKind::kDuplicate});
  for (int i = 0; i < 20; ++i) {
    Frame a(0x46);
    ASSERT_EQ(a.exchange(0, 1, host(), port()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Frame b(0x47);
    ASSERT_EQ(b.exchange(0, 1, host(), port()), 0) << "round " << i;
  }
}

TEST_F(Transaction, OnlyTheTerminalAskedCanAnswer) {
  // A unicast request is answered from the address and port it went to: a reply from
  // another port is no reply; noise from the terminal's own port is still taken.
  set_receive_timeout(100);
  answer_with(0x48, 2);
  sim().inject(0x48, Fault{FaultKind::kOtherPort, 0, 0, 1});
  Frame a(0x48);
  EXPECT_EQ(a.exchange(0, 2, host(), port()), -21);
  sim().inject(0x48, Fault{FaultKind::kNoiseBefore, 0, 0, 1});
  Frame b(0x48);
  EXPECT_EQ(b.exchange(0, 2, host(), port()), -22);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Frame c(0x48);  // the real reply of b was queued and is drained now
  EXPECT_EQ(c.exchange(0, 2, host(), port()), 0);
}

TEST_F(Transaction, AStrangersDatagramIsPassedOverAndTheWaitGoesOn) {
  // The terminal answers late; meanwhile a datagram with the right command code arrives from
  // another sender. It is discarded and the terminal's own reply is taken.
  set_receive_timeout(2000);
  answer_with(0x4A, 2);
  sim().inject(0x4A, Fault{FaultKind::kDelay, 300, 0, 1});
  const testing::UdpPeer stranger;
  int result = 1;
  Frame f(0x4A);
  std::thread caller([&] { result = f.exchange(0, 2, host(), port(), 2); });
  ASSERT_TRUE(sim().wait_for_requests(1, std::chrono::seconds(5)));
  const Bytes forged = {0, 0, 0x4A, 0xEE, 0xEE};
  stranger.send_to(command_port(), forged);
  caller.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(f.get8(0), 0xA0);
  EXPECT_EQ(f.get8(1), 0xA1);
}

TEST_F(Transaction, StrangersCannotStretchTheTimeOut) {
  // Datagrams from another sender keep arriving more often than the time-out: each one
  // discarded must not start the wait afresh, or the transaction would never end.
  set_receive_timeout(200);
  sim().inject(0x4B, Fault{FaultKind::kNoReply});
  const testing::UdpPeer stranger;
  std::atomic<bool> done{false};
  int result = 1;
  std::thread caller([&] {
    Frame f(0x4B);
    result = f.exchange(0, 2, host(), port());
    done = true;
  });
  ASSERT_TRUE(sim().wait_for_requests(1, std::chrono::seconds(5)));
  int sent = 0;
  constexpr int kMaxSent = 100;  // 5 s of strangers, 25 time-outs' worth
  for (; sent < kMaxSent && !done; ++sent) {
    stranger.send_to(command_port(), {0, 0, 0x4B, 1, 2});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  caller.join();
  EXPECT_EQ(result, -21);
  EXPECT_LT(sent, kMaxSent) << "the transaction waited as long as strangers kept sending";
}

TEST_F(Transaction, TruncatedAndOverLongReplies) {
  answer_with(0x49, 8);
  sim().inject(0x49, Fault{FaultKind::kTruncate, 5, 0, 1});
  Frame a(0x49);
  a.put8(4, 0x66);
  ASSERT_EQ(a.exchange(5, 8, host(), port()), 0);
  EXPECT_EQ(a.get8(1), 0xA1);
  EXPECT_EQ(a.get8(4), 0x66);  // beyond the 5 bytes received: the request's byte
  // A caller that reads up to payload byte 8 gets no usable reply from the same cut.
  sim().inject(0x49, Fault{FaultKind::kTruncate, 5, 0, 1});
  Frame c(0x49);
  EXPECT_EQ(c.exchange(5, 8, host(), port(), 8), -21);
  sim().inject(0x49, Fault{FaultKind::kTruncate, 3 + 8, 0, 1});
  Frame d(0x49);
  EXPECT_EQ(d.exchange(5, 8, host(), port(), 8), 0);
  sim().inject(0x49, Fault{FaultKind::kOverLong, 1, 0, 1});
  Frame b(0x49);
  EXPECT_EQ(b.exchange(0, 8, host(), port()), -21);
}

TEST_F(Transaction, ConcurrentCallersGetTheirOwnReplies) {
  // The echo terminal answers with the request's payload, so each caller can tell whose
  // reply it received.
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  std::atomic<int> mismatches{0}, failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        Frame f(0x50);
        const std::uint32_t tag = static_cast<std::uint32_t>(t << 16 | i);
        f.put32(0, tag);
        if (f.exchange(4, 4, host(), port()) != 0)
          ++failures;
        else if (f.get32(0) != tag)
          ++mismatches;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(mismatches.load(), 0);
}

TEST_F(Transaction, DefaultReceiveTimeoutIsSixSeconds) {
  sim().inject(0x51, Fault{FaultKind::kNoReply});
  Frame f(0x51);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(f.exchange(0, 0, host(), port()), -21);
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(waited, std::chrono::milliseconds(5900));
  EXPECT_LT(waited, std::chrono::milliseconds(7500));
}

}  // namespace
}  // namespace vorskel
