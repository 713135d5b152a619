// Opening, closing and binding the two endpoints, and the watch request.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "support/sim_fixture.h"
#include "support/udp_peer.h"
#include "transport/library.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using testing::UdpPeer;

// A port that was free a moment ago.
int free_port() {
  UdpPeer probe;
  return probe.port();
}

class Lifecycle : public testing::SimTest {};

TEST_F(Lifecycle, DeviceFunctionBeforeOpenSocketFailsToSend) {
  Vorsk_CloseSocket();
  unsigned total = 0;
  EXPECT_EQ(Vorsk_GetTotal(&total, nullptr, host(), port()), -20);
  EXPECT_EQ(Vorsk_CloseSocket(), 0);  // nothing open
}

TEST_F(Lifecycle, OpenSocketTwiceKeepsOneBoundSocket) {
  const int cmd = free_port();
  Sondo_Bind_Port(cmd, 0);
  EXPECT_EQ(Vorsk_OpenSocket(), 0);
  EXPECT_EQ(Vorsk_OpenSocket(), 0);
  EXPECT_EQ(command_endpoint().LocalPort(), cmd);
  EXPECT_EQ(Vorsk_SetTime(host(), port()), 0);
}

TEST_F(Lifecycle, OpenSocketReportsSuccessEvenWhenThePortIsTaken) {
  UdpPeer holder;
  Sondo_Bind_Port(holder.port(), 0);
  EXPECT_EQ(Vorsk_OpenSocket(), 0);
  // Unbound, the socket still works: the first send picks a port and the reply comes back.
  EXPECT_EQ(Vorsk_SetTime(host(), port()), 0);
}

TEST_F(Lifecycle, OpenWatchResults) {
  EXPECT_EQ(Vorsk_OpenWatch(), 0);
  EXPECT_EQ(Vorsk_OpenWatch(), -1);  // already open, no close in between
  EXPECT_EQ(Vorsk_CloseWatch(), 0);
  EXPECT_EQ(Vorsk_CloseWatch(), 0);

  UdpPeer holder;
  Sondo_Bind_Port(0, holder.port());
  EXPECT_EQ(Vorsk_OpenWatch(), -2);  // another program holds the port
}

TEST_F(Lifecycle, BindPortTakesEffectAtTheNextOpen) {
  const int cmd = free_port(), watch = free_port();
  Sondo_Bind_Port(cmd, watch);
  ASSERT_EQ(Vorsk_OpenSocket(), 0);
  ASSERT_EQ(Vorsk_OpenWatch(), 0);
  EXPECT_EQ(command_endpoint().LocalPort(), cmd);
  EXPECT_EQ(watch_endpoint().LocalPort(), watch);

  const int cmd2 = free_port(), watch2 = free_port();
  Ferrin_BindPort(cmd2, watch2);  // no re-open: the old ports stay in use
  EXPECT_EQ(command_endpoint().LocalPort(), cmd);
  EXPECT_EQ(watch_endpoint().LocalPort(), watch);
  EXPECT_EQ(library().command_port.load(), cmd2);
  EXPECT_EQ(library().watch_port.load(), watch2);
}

TEST_F(Lifecycle, WatchRequestLeavesFromTheWatchPort) {
  EXPECT_EQ(Vorsk_Watch2Me(host(), port()), -1);  // watch endpoint not open
  open_watch();
  const auto w = sim().watcher();
  ASSERT_TRUE(w.has_value());
  EXPECT_EQ(w->port, watch_endpoint().LocalPort());
  const auto r = last_request();
  ASSERT_EQ(r.datagram.size(), 23u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.datagram.data())),
            "watch to me 0123456789");
  EXPECT_EQ(Vorsk_Watch2Me(testing::kUnresolvableHost, port()), -1);
}

TEST_F(Lifecycle, WatchRequestPortZeroMeans5201) {
  UdpPeer terminal(5201);
  if (!terminal.bound()) GTEST_SKIP() << "127.0.0.1:5201 is busy";
  ASSERT_EQ(Vorsk_OpenWatch(), 0);
  EXPECT_EQ(Vorsk_Watch2Me("127.0.0.1", 0), 23);
  std::vector<std::uint8_t> got;
  ASSERT_TRUE(terminal.receive(&got, 2000));
  EXPECT_EQ(got.size(), 23u);
}

TEST_F(Lifecycle, CloseWatchStopsABlockedWatchThread) {
  ASSERT_EQ(Vorsk_OpenWatch(), 0);
  auto blocked = std::async(std::launch::async, [] {
    std::uint8_t buf[512];
    return watch_endpoint().ReceiveFrom(buf, sizeof buf, nullptr, nullptr);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Vorsk_CloseWatch(), 0);
  ASSERT_EQ(blocked.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_EQ(blocked.get(), -1);
}

}  // namespace
}  // namespace vorskel
