// Test fixture: the real library against a simulated terminal on 127.0.0.1, with the
// library's local ports on free ports so test programs can run in parallel.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace vorskel::testing {

class SimTest : public ::testing::Test {
 protected:
  // The model the simulator runs; override to choose another.
  virtual std::string model_name() const { return "vorsk"; }

  void SetUp() override;
  void TearDown() override;

  sim::Simulator& sim() { return *sim_; }
  static const char* host() { return "127.0.0.1"; }
  int port() const { return sim_->port(); }

  // Shortens the command endpoint's receive time-out so fault tests run quickly.
  static void set_receive_timeout(int ms);

  // The requests the simulator got, and the last of them (waiting briefly for it).
  std::vector<sim::Request> requests() const { return sim_->requests(); }
  sim::Request last_request() const;

  // Opens the watch endpoint on a free port and asks the simulator to report to it.
  void open_watch();

 private:
  std::unique_ptr<sim::Simulator> sim_;
};

// Hex dump for readable failure messages: "42 20 02".
std::string hex(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> unhex(const std::string& text);

}  // namespace vorskel::testing
