#include "transport/transaction.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

#include "transport/channel.h"
#include "transport/crc16.h"
#include "transport/wire_trace.h"

namespace vorskel {
namespace {

// A flood of datagrams must not hold a transaction in the drain for ever.
constexpr int kMaxDrained = 4096;

std::atomic<ReplySource*> reply_source{nullptr};

// Throws away every datagram already waiting (stale replies to timed-out exchanges, empty
// datagrams, strangers' traffic), so none can be taken for the reply to this request. A
// receive that only takes what waits asks the system once when nothing does.
void drain(TNet& endpoint) {
  std::uint8_t scratch[kDrainRoom];
  for (int i = 0; i < kMaxDrained; ++i) {
    const int n = endpoint.ReceiveWaiting(scratch, sizeof scratch);
    if (n == platform::kNothingWaiting || (n < 0 && endpoint.PendingBytes() <= 0)) return;
    if (n >= 0) notify_wire(WireDirection::kDiscarded, scratch, static_cast<std::size_t>(n), "", 0);
  }
}

// A request to one terminal is answered from the address and port it went to. Broadcast
// requests (and addresses ending in 255, which may be a subnet's broadcast) take the first
// datagram, as hosts that look for terminals rely on.
bool unicast(const platform::Ipv4Address& to) {
  std::uint8_t a[4];
  std::memcpy(a, &to.addr_be, 4);
  return to.addr_be != 0 && a[3] != 0xFF && (a[0] < 224 || a[0] > 239);
}

// Waits for the reply. For a unicast request a datagram from any other sender (a late reply
// from another terminal after an earlier time-out, a stranger's) is discarded and the wait
// goes on for what is left of the same time-out, not a fresh one.
int receive_reply(TNet& endpoint, std::uint8_t* reply, int room, const platform::Ipv4Address& to) {
  if (!unicast(to)) return endpoint.ReceiveFrom(reply, room, nullptr, nullptr);
  char expected[16];
  platform::format_dotted_ipv4(to.addr_be, expected);
  const int expected_port = platform::net_to_host16(to.port_be);
  const int timeout = endpoint.ReceiveTimeout();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  int n = -1;
  for (int i = 0; i < kMaxDrained; ++i) {
    char sender[16] = "";
    int sender_port = 0;
    n = endpoint.ReceiveFrom(reply, room, sender, &sender_port);
    // An empty datagram names no sender: it is taken as before.
    if (n <= 0 || (sender_port == expected_port && std::strcmp(sender, expected) == 0)) break;
    notify_wire(WireDirection::kDiscarded, reply, static_cast<std::size_t>(n), sender, sender_port);
    n = -1;
    if (timeout <= 0) continue;  // waiting for ever
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    endpoint.SetReceiveTimeout(static_cast<int>(left.count()));
  }
  if (timeout > 0 && endpoint.ReceiveTimeout() != timeout) endpoint.SetReceiveTimeout(timeout);
  return n;
}

}  // namespace

void set_reply_source(ReplySource* source) {
  reply_source.store(source);
}

int transact_locked(Channel& channel, std::uint8_t* frame, int sendLen, int replyLen,
                    const char* host, int port, int* received);

// Runs on the calling thread's channel. Threads waiting for a channel's command lock are
// counted: a thread that releases the lock while others wait gives way once, so the woken
// waiter takes the lock instead of finding it taken again by the releasing thread's next
// request (a wasted wake-up and switch per transaction).
int transact(std::uint8_t* frame, int sendLen, int replyLen, const char* host, int port,
             int* received) {
  Channel& channel = current_channel();
  std::atomic<int>& lock_waiters = channel.lock_waiters();
  int r;
  {
    lock_waiters.fetch_add(1, std::memory_order_relaxed);
    std::unique_lock<std::recursive_mutex> lock(channel.command_lock());
    lock_waiters.fetch_sub(1, std::memory_order_relaxed);
    r = transact_locked(channel, frame, sendLen, replyLen, host, port, received);
  }
  if (lock_waiters.load(std::memory_order_relaxed) > 0) platform::yield_thread();
  return r;
}

int transact_locked(Channel& channel, std::uint8_t* frame, int sendLen, int replyLen,
                    const char* host, int port, int* received) {
  if (received != nullptr) *received = -1;
  if (sendLen < 0 || replyLen < 0 || sendLen > kMaxPayload || replyLen > kMaxPayload)
    return kSendFailed;
  const std::uint8_t code = frame[2];
  TNet& endpoint = channel.endpoint();
  drain(endpoint);

  const std::uint16_t crc = crc16(frame + 2, static_cast<std::size_t>(sendLen) + 1);
  frame[0] = static_cast<std::uint8_t>(crc & 0xFF);
  frame[1] = static_cast<std::uint8_t>(crc >> 8);
  const int length = sendLen + kFrameHeader;
  // Received into scratch first: a failed receive must leave the request in the frame.
  std::uint8_t reply[kFrameCapacity];
  const int room = replyLen + kFrameHeader;
  int n;
  if (ReplySource* source = reply_source.load(std::memory_order_acquire)) {
    n = source->exchange(frame, length, reply, room);
    if (n > room) n = -1;
  } else {
    // A channel's retry policy sends the same frame again after a time-out (the process
    // channel never does).
    platform::Ipv4Address to;
    if (TNet::Resolve(host, port, &to) != 0) return kSendFailed;
    const int attempts = 1 + channel.retries();
    n = -1;
    for (int attempt = 0; attempt < attempts && n < 0; ++attempt) {
      if (endpoint.SendTo(frame, length, to) < 0) return kSendFailed;
      notify_wire(WireDirection::kSent, frame, static_cast<std::size_t>(length), host, port);
      n = receive_reply(endpoint, reply, room, to);
    }
  }
  if (n < 0) return kNoReply;
  if (received != nullptr) *received = n;
  notify_wire(WireDirection::kReceived, reply, static_cast<std::size_t>(n), host, port);
  std::memcpy(frame, reply, static_cast<std::size_t>(n));
  return frame[2] == code ? kOk : kWrongCode;
}

}  // namespace vorskel
