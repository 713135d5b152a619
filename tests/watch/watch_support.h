// Shared pieces of the watch tests: a fixture with the watch endpoint open and the simulator
// told where to report, a bounded call of a blocking watch function, and caller structures
// between guard bands so a test sees any byte written outside them.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>

#include "sim/models/reports.h"
#include "support/sim_fixture.h"
#include "vorskel.h"

namespace vorskel::testing {

class WatchTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    open_watch();
  }
  // Sends bytes to the library's watch endpoint as the terminal.
  void report(const sim::Bytes& bytes) { ASSERT_TRUE(sim().send_to_watcher(bytes)); }
};

// Runs a watch call that should return soon. If it still waits after the time given, the
// watch endpoint is closed so the call returns and the test fails instead of hanging.
inline int call_within(const std::function<int()>& call, int ms = 2000) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::milliseconds(ms)) != std::future_status::ready) {
    ADD_FAILURE() << "the watch call still waited after " << ms << " ms";
    Vorsk_CloseWatch();
  }
  return result.get();
}

// A caller structure between two guard bands of a known pattern.
template <class T>
class Guarded {
 public:
  static constexpr std::size_t kGuard = 64;
  static constexpr std::uint8_t kPattern = 0xA5;

  // Guard bands of kPattern around a zeroed structure.
  Guarded() {
    std::memset(bytes_, kPattern, sizeof bytes_);
    std::memset(bytes_ + kGuard, 0, sizeof(T));
  }
  T* get() { return reinterpret_cast<T*>(bytes_ + kGuard); }
  T* operator->() { return get(); }
  bool guards_intact() const {
    for (std::size_t i = 0; i < kGuard; ++i)
      if (bytes_[i] != kPattern || bytes_[kGuard + sizeof(T) + i] != kPattern) return false;
    return true;
  }

 private:
  alignas(8) std::uint8_t bytes_[kGuard + sizeof(T) + kGuard];
};

// The sender text a watch function fills (the host gives 16 bytes).
struct SenderText {
  char text[16];
};

// A zero-terminated text that ends inside its room.
inline bool fits(const char* text, std::size_t room) {
  return std::memchr(text, 0, room) != nullptr;
}

}  // namespace vorskel::testing
