// The library against the simulated multi-door controller.
#pragma once

#include <string>
#include <utility>

#include "sim/models/multidoor_state.h"
#include "support/sim_fixture.h"
#include "vorskel.h"

namespace vorskel::testing {

class FerrinTest : public SimTest {
 protected:
  std::string model_name() const override { return "ferrin"; }

  // The payload of the last request, as hex text.
  std::string sent_payload() {
    const sim::Request r = last_request();
    return hex(r.payload());
  }

  // Runs f on the controller's state under the simulator's lock.
  template <class F>
  auto controller(F&& f) {
    return sim().with_model([&](sim::Model& m) { return f(m.part<sim::FerrinController>()); });
  }

  // The controller's fault switch: flip a bit of this byte of every echo (on = false: off).
  void corrupt_echo(std::size_t byte, bool on = true) {
    controller([&](sim::FerrinController& c) {
      c.corrupt_echo = on ? std::optional<std::size_t>(byte) : std::nullopt;
    });
  }

  // A stored setting's wire bytes as hex text ("" when never written).
  std::string stored(int set_code, int selector = 0) {
    return controller([&](sim::FerrinController& c) {
      const sim::Bytes* b = c.setting(set_code, selector);
      return b != nullptr ? hex(*b) : std::string();
    });
  }
};

}  // namespace vorskel::testing
