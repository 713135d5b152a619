#include "support/sim_fixture.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/platform.h"
#include "transport/library.h"
#include "vorskel.h"

namespace vorskel::testing {

void SimTest::SetUp() {
  auto model = sim::make_model(model_name());
  ASSERT_NE(model, nullptr) << "unknown model " << model_name();
  sim_ = std::make_unique<sim::Simulator>(std::move(model));
  Sondo_Bind_Port(0, 0);
  ASSERT_EQ(Vorsk_OpenSocket(), 0);
}

void SimTest::TearDown() {
  Vorsk_CloseWatch();
  Vorsk_CloseSocket();
  Sondo_Bind_Port(5102, 5202);
  platform::set_local_time_override(std::nullopt);
  platform::set_lang_id_override(std::nullopt);
  platform::set_error_sink(nullptr);
  sim_.reset();
}

void SimTest::set_receive_timeout(int ms) {
  command_endpoint().SetReceiveTimeout(ms);
}

sim::Request SimTest::last_request() const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    auto all = sim_->requests();
    if (!all.empty()) return all.back();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ADD_FAILURE() << "the simulator received nothing";
  return {};
}

void SimTest::open_watch() {
  ASSERT_EQ(Vorsk_OpenWatch(), 0);
  ASSERT_EQ(Vorsk_Watch2Me(host(), port()), 23);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!sim_->watcher() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(sim_->watcher().has_value());
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char b[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(b, sizeof b, i == 0 ? "%02X" : " %02X", bytes[i]);
    out += b;
  }
  return out;
}

std::vector<std::uint8_t> unhex(const std::string& text) {
  std::vector<std::uint8_t> out;
  unsigned v = 0;
  int digits = 0;
  for (char c : text) {
    int d = -1;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    if (d < 0) continue;
    v = v * 16 + static_cast<unsigned>(d);
    if (++digits == 2) {
      out.push_back(static_cast<std::uint8_t>(v));
      v = 0;
      digits = 0;
    }
  }
  return out;
}

}  // namespace vorskel::testing
