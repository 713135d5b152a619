// A registration stored and read back through duplicated, late and noisy replies: the
// answer to one request is never taken for the next, and a failed read-back leaves the
// caller's entry as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "protocol/codes.h"
#include "support/sim_fixture.h"
#include "transport/library.h"
#include "transport/tnet.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::FaultKind;

constexpr int kRegister = 12;
using protocol::kReadBack;
using protocol::kStore;
constexpr int kTimeoutMs = 80;  // short, yet long enough for a busy machine

VorskRegistryEntry entry(const char* card1, const char* card2, const char* name) {
  VorskRegistryEntry e{};
  std::memcpy(e.card1, card1, 8);
  std::memcpy(e.card2, card2, 8);
  std::strncpy(e.name, name, sizeof e.name);
  e.group = 3;
  e.security = 4;
  e.year = 2011;
  e.month = 2;
  e.day = 28;
  return e;
}

using RegistrationFaults = testing::SimTest;

// Waits until a datagram waits on the command port, so the next call's drain meets it
// rather than racing it (a reply still on its way is taken for the next request).
bool await_leftover() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (command_endpoint().PendingBytes() <= 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return command_endpoint().PendingBytes() > 0;
}

TEST_F(RegistrationFaults, StoreAndReadBackThroughDuplicatesLateRepliesAndNoise) {
  set_receive_timeout(kTimeoutMs);
  // Every answer sent twice: the store's second answer (type 1) waits on the command port
  // and must not be taken as the read-back's answer (type 3).
  sim().inject(kRegister, {FaultKind::kDuplicate, 0, 0, 1});
  VorskRegistryEntry stored = entry("00c0ffee", "12345678", "Zhao");
  ASSERT_EQ(Vorsk_RegistryEx(&stored, kStore, host(), port()), kStore);
  ASSERT_TRUE(await_leftover());

  sim().inject(kRegister, {FaultKind::kDelay, 3 * kTimeoutMs, 0, 1});
  sim().inject(kRegister, {FaultKind::kNoiseBefore, 0, 0, 1});
  VorskRegistryEntry back = entry("00C0FFEE", "\0\0\0\0\0\0\0", "");
  const VorskRegistryEntry before = back;
  EXPECT_EQ(Vorsk_RegistryEx(&back, kReadBack, host(), port()), -21);  // late
  EXPECT_EQ(std::memcmp(&back, &before, sizeof back), 0) << "entry untouched";
  std::this_thread::sleep_for(std::chrono::milliseconds(3 * kTimeoutMs));  // the late one waits
  EXPECT_EQ(Vorsk_RegistryEx(&back, kReadBack, host(), port()), -22);      // noise first
  EXPECT_EQ(std::memcmp(&back, &before, sizeof back), 0) << "entry untouched";

  ASSERT_EQ(Vorsk_RegistryEx(&back, kReadBack, host(), port()), kReadBack);
  EXPECT_EQ(std::string(back.card1, 8), "00c0ffee");
  EXPECT_EQ(std::string(back.card2, 8), "12345678");
  EXPECT_EQ(std::string(back.name, 4), "Zhao");
  EXPECT_EQ(back.group, 3);
  EXPECT_EQ(back.security, 4);
  EXPECT_EQ(back.year, 2011);
  EXPECT_EQ(back.month, 2);
  EXPECT_EQ(back.day, 28);
}

}  // namespace
}  // namespace vorskel
