// Bad host input, one table per subsystem: each row calls an export with an out-of-range,
// overlong or null argument and names the documented result, how many requests went on the
// wire and, where a value is clamped or cut rather than refused, the exact bytes of the last
// request (command code and payload).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/sim_fixture.h"
#include "terminal_commands/wire_support.h"

namespace vorskel::testing {

struct BadInput {
  const char* what;
  std::function<int(const char* host, int port)> call;
  int result;                // the documented result
  std::size_t requests = 0;  // datagrams on the wire: 0 when refused before sending
  Bytes last = {};           // code and payload of the last request, when its bytes matter
  // Or: the last request must equal the one this in-range call sends.
  std::function<int(const char* host, int port)> same_as = {};
};

// A text of 10,000 characters: longer than any field, frame or work buffer of the library.
inline const std::string& long_text(char c) {
  static std::string texts[256];
  std::string& t = texts[static_cast<unsigned char>(c)];
  if (t.empty()) t.assign(10000, c);
  return t;
}

// Host texts that would climb out of the records directory if they named a file. They
// begin with ".." so the resolver refuses them without asking any name server.
inline const char* const kEscapingHosts[] = {"../escaped", "..\\escaped", "../../etc/x"};

// A paged reader: out, page, host, port.
using PageCall = int (*)(unsigned char*, int, const char*, int);
struct PagedExport {
  const char* name;
  PageCall call;
};

// What every paged reader refuses with -1 before sending: a negative page, the most negative
// one, and no buffer to decode into.
template <std::size_t N>
void add_page_refusals(std::vector<BadInput>& rows, const PagedExport (&readers)[N],
                       unsigned char* out) {
  for (const PagedExport& e : readers) {
    const PageCall call = e.call;
    rows.push_back({e.name, [call, out](auto h, int p) { return call(out, -1, h, p); }, -1});
    rows.push_back({e.name, [call, out](auto h, int p) { return call(out, INT_MIN, h, p); }, -1});
    rows.push_back({e.name, [call](auto h, int p) { return call(nullptr, 0, h, p); }, -1});
  }
}

class BadInputTest : public SimTest {
 protected:
  void run(const std::vector<BadInput>& cases) {
    set_receive_timeout(80);  // a row that sends by mistake fails fast, not after 6 s
    for (const BadInput& c : cases) {
      sim().clear_requests();
      EXPECT_EQ(c.call(host(), port()), c.result) << c.what;
      // A datagram sent without waiting for a reply may still be on its way.
      sim().wait_for_requests(c.requests + 1, std::chrono::milliseconds(c.requests ? 0 : 5));
      const std::vector<sim::Request> got = requests();
      EXPECT_EQ(got.size(), c.requests) << c.what;
      if (got.empty()) continue;
      const Bytes sent(got.back().datagram.begin() + 2, got.back().datagram.end());
      EXPECT_TRUE(got.back().crc_ok) << c.what;
      if (!c.last.empty()) {
        EXPECT_EQ(hex(sent), hex(c.last)) << c.what;
      }
      if (c.same_as) {
        sim().clear_requests();
        c.same_as(host(), port());
        const std::vector<sim::Request> ref = requests();
        ASSERT_FALSE(ref.empty()) << c.what;
        EXPECT_EQ(hex(sent), hex(Bytes(ref.back().datagram.begin() + 2, ref.back().datagram.end())))
            << c.what;
      }
    }
  }
};

// A terminal that answers every command with the payload it was sent: the rows then show
// what went on the wire without depending on any one model's handlers.
class EchoBadInputTest : public BadInputTest {
 protected:
  std::string model_name() const override { return "echo"; }
};

}  // namespace vorskel::testing
