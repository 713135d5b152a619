// The UDP endpoint: address resolution, receiving with sender, over-long datagrams, close.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "support/udp_peer.h"
#include "transport/tnet.h"

namespace vorskel {
namespace {

using platform::Ipv4Address;
using testing::UdpPeer;

std::string text_of(const Ipv4Address& a) {
  char t[16];
  platform::format_dotted_ipv4(a.addr_be, t);
  return std::string(t) + ":" + std::to_string(platform::net_to_host16(a.port_be));
}

TEST(Resolve, TextsBecomeAddresses) {
  struct Case {
    const char* host;
    int port;
    const char* expected;
  } cases[] = {
      {"", 5102, "0.0.0.0:5102"},
      {"255.255.255.255", 5200, "255.255.255.255:5200"},
      // The broadcast comparison runs over the host text's own length.
      {"255.255", 5200, "255.255.255.255:5200"},
      {"192.168.1.10", 5200, "192.168.1.10:5200"},
      {"127.0.0.1", 70000, "127.0.0.1:4464"},  // only the low 16 bits of the port
      {"localhost", 1, "127.0.0.1:1"},
  };
  for (const auto& c : cases) {
    Ipv4Address a;
    ASSERT_EQ(TNet::Resolve(c.host, c.port, &a), 0) << c.host;
    EXPECT_EQ(text_of(a), c.expected) << c.host;
  }
}

TEST(Resolve, UnknownNameFailsEveryOperationThatResolves) {
  Ipv4Address a;
  EXPECT_EQ(TNet::Resolve(testing::kUnresolvableHost, 5200, &a), -1);
  TNet net;
  ASSERT_EQ(net.Open(), 0);
  EXPECT_EQ(net.Bind(testing::kUnresolvableHost, 0), -1);
  const char byte = 1;
  EXPECT_EQ(net.SendTo(&byte, 1, testing::kUnresolvableHost, 5200), -1);
}

TEST(Endpoint, OpenCloseStates) {
  TNet net;
  EXPECT_EQ(net.Close(), 0);  // nothing held
  ASSERT_EQ(net.Open(), 0);
  EXPECT_EQ(net.Open(), -1);  // already holds a socket
  EXPECT_EQ(net.Bind("", 0), 0);
  EXPECT_GT(net.LocalPort(), 0);
  EXPECT_EQ(net.Close(), 0);
  EXPECT_EQ(net.Close(), 0);
  EXPECT_EQ(net.Open(), 0);  // a new socket after close
  const char byte = 1;
  net.Close();
  EXPECT_EQ(net.SendTo(&byte, 1, "127.0.0.1", 9), -1);
  char buf[8];
  EXPECT_EQ(net.ReceiveFrom(buf, sizeof buf, nullptr, nullptr), -1);
}

TEST(Endpoint, BindRefusedWhenPortTaken) {
  UdpPeer holder;
  TNet net;
  ASSERT_EQ(net.Open(), 0);
  EXPECT_EQ(net.Bind("", holder.port()), -2);
}

class Receiving : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(net.Open(), 0);
    ASSERT_EQ(net.Bind("", 0), 0);
    ASSERT_EQ(net.SetReceiveTimeout(2000), 0);
  }
  TNet net;
  UdpPeer peer;
};

TEST_F(Receiving, ReportsSenderAndLength) {
  peer.send_to(net.LocalPort(), {1, 2, 3, 4, 5});
  std::uint8_t buf[16];
  char sender[16] = "unchanged";
  int sender_port = -1;
  ASSERT_EQ(net.ReceiveFrom(buf, sizeof buf, sender, &sender_port), 5);
  EXPECT_STREQ(sender, "127.0.0.1");
  EXPECT_EQ(sender_port, peer.port());
}

TEST_F(Receiving, EmptyDatagramLeavesOutputsAlone) {
  peer.send_to(net.LocalPort(), {});
  std::uint8_t buf[16];
  char sender[16] = "unchanged";
  int sender_port = -1;
  EXPECT_EQ(net.ReceiveFrom(buf, sizeof buf, sender, &sender_port), 0);
  EXPECT_STREQ(sender, "unchanged");
  EXPECT_EQ(sender_port, -1);
}

TEST_F(Receiving, OverLongDatagramFailsAndIsGone) {
  peer.send_to(net.LocalPort(), std::vector<std::uint8_t>(10, 7));
  peer.send_to(net.LocalPort(), {9});
  std::uint8_t buf[3];
  EXPECT_EQ(net.ReceiveFrom(buf, 3, nullptr, nullptr), -1);
  // The next receive gets the next datagram, not the rest of the long one.
  ASSERT_EQ(net.ReceiveFrom(buf, 3, nullptr, nullptr), 1);
  EXPECT_EQ(buf[0], 9);
}

TEST_F(Receiving, PendingCountsEmptyDatagrams) {
  EXPECT_EQ(net.PendingBytes(), 0);
  peer.send_to(net.LocalPort(), {});
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GT(net.PendingBytes(), 0);
}

TEST_F(Receiving, TimesOut) {
  ASSERT_EQ(net.SetReceiveTimeout(100), 0);
  const auto t0 = std::chrono::steady_clock::now();
  std::uint8_t buf[8];
  EXPECT_EQ(net.ReceiveFrom(buf, sizeof buf, nullptr, nullptr), -1);
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(waited, std::chrono::milliseconds(90));
  EXPECT_LT(waited, std::chrono::milliseconds(1500));
}

TEST_F(Receiving, CloseFromAnotherThreadWakesABlockedReceive) {
  ASSERT_EQ(net.SetReceiveTimeout(0), 0);  // wait for ever, like the watch endpoint
  auto blocked = std::async(std::launch::async, [&] {
    std::uint8_t buf[64];
    return net.ReceiveFrom(buf, sizeof buf, nullptr, nullptr);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(net.Close(), 0);
  ASSERT_EQ(blocked.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_EQ(blocked.get(), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace vorskel
