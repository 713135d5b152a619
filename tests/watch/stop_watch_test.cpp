// A host stops its watch thread by closing the watch endpoint from another thread: every
// receiving function then returns -1 promptly, and fails at once on a closed endpoint.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "watch_support.h"

namespace vorskel {
namespace {

struct Blocking {
  const char* name;
  std::function<int()> call;
};

std::vector<Blocking> receivers() {
  return {
      {"Vorsk_Watch",
       [] {
         VorskWatchRecord r{};
         return Vorsk_Watch(&r, nullptr, nullptr);
       }},
      {"Nemmar_Watch",
       [] {
         NemmarConsumptionEntry e{};
         return Nemmar_Watch(&e, nullptr, nullptr);
       }},
      {"Brell_Save2DB",
       [] {
         BrellBooking b{};
         return Brell_Save2DB(&b, nullptr, nullptr);
       }},
      {"Vorsk_Save2db",
       [] {
         VorskSavedReport s{};
         return Vorsk_Save2db(&s, nullptr, nullptr);
       }},
  };
}

class StopWatch : public testing::WatchTest {};

TEST_F(StopWatch, CloseWatchFromAnotherThreadEndsEveryBlockedReceiver) {
  using Clock = std::chrono::steady_clock;
  for (const auto& r : receivers()) {
    SCOPED_TRACE(r.name);
    Vorsk_CloseWatch();
    ASSERT_EQ(Vorsk_OpenWatch(), 0);
    auto blocked = std::async(std::launch::async, r.call);
    // Still waiting: nothing has been sent.
    ASSERT_EQ(blocked.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    const auto closed = Clock::now();
    EXPECT_EQ(Vorsk_CloseWatch(), 0);
    ASSERT_EQ(blocked.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - closed);
    EXPECT_EQ(blocked.get(), -1);
    EXPECT_LT(took.count(), 500);
    // Closed: the next call fails at once instead of waiting.
    EXPECT_EQ(testing::call_within(r.call, 500), -1);
  }
}

}  // namespace
}  // namespace vorskel
