// A terminal simulator on 127.0.0.1: receives command frames, checks their CRC-16, dispatches
// by command code to a model, and replies. For tests it records every request and injects
// faults per command: silence, late replies, wrong codes, truncated or over-long replies,
// replies from another port, noise before the reply, duplicates; and random loss of requests
// (a lossy network), seeded so a run can be repeated.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "sim/model.h"
#include "sim/udp_socket.h"

namespace vorskel::sim {

std::uint16_t crc16(const std::uint8_t* data, std::size_t length);
// A whole reply datagram: CRC-16 over code and payload, low byte first, then code, payload.
Bytes make_frame(std::uint8_t code, const Bytes& payload);

enum class FaultKind {
  kNoReply,      // stay silent
  kDelay,        // reply after param milliseconds
  kWrongCode,    // reply with command code param (or code + 1 when param is 0)
  kTruncate,     // send only the first param bytes of the reply datagram
  kOverLong,     // append param extra bytes to the reply
  kOtherPort,    // reply from a second socket with another port
  kNoiseBefore,  // send an unrelated 5-byte datagram just before the reply
  kDuplicate,    // send the reply twice
};

struct Fault {
  FaultKind kind = FaultKind::kNoReply;
  int param = 0;
  int skip = 0;    // let this many matching requests pass first
  int times = -1;  // apply this many times, then expire; -1 = for ever
};

inline constexpr int kAnyCode = -1;

class Simulator {
 public:
  // Binds 127.0.0.1:port (0 = a free port) and starts serving.
  explicit Simulator(std::unique_ptr<Model> model, int port = 0);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  int port() const { return port_; }
  int other_port() const { return other_port_; }

  // Faults apply to requests with this command code (kAnyCode for all), first match wins.
  void inject(int code, Fault fault);
  void clear_faults();

  // Drops each command request with this probability in percent (0 = none) before any fault
  // or handler sees it: no reply, no change to the model. The request is still recorded.
  // The drops follow a generator seeded with seed, so a run repeats exactly.
  void set_loss(double percent, std::uint32_t seed = 1);
  std::size_t dropped_count() const;

  // Requests received (at most the last kMaxRecorded), in order.
  std::vector<Request> requests() const;
  std::size_t request_count() const;
  void clear_requests();
  void set_recording(bool on);
  // Waits until at least n requests have arrived, or the time passes; true if they did.
  bool wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const;

  // Runs f on the model under the simulator's lock (handlers run under it too).
  template <class F>
  auto with_model(F&& f) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return f(*model_);
  }

  // The last host that sent the "watch to me" request, if any.
  std::optional<Peer> watcher() const;
  // Sends a datagram to the watcher (false if there is none) or to a given peer.
  bool send_to_watcher(const Bytes& datagram);
  bool send_to(const Peer& peer, const Bytes& datagram);

  // Prints each datagram received and sent to out (nullptr: quiet).
  void set_trace(std::FILE* out);

  static constexpr std::size_t kMaxRecorded = 100000;

 private:
  struct Outgoing {
    std::chrono::steady_clock::time_point due;
    Peer to;
    Bytes datagram;
    bool from_other_port;
  };

  void serve();
  void handle(const Request& req);
  void send_now(const Peer& to, const Bytes& datagram, bool from_other_port);
  std::optional<Fault> take_fault(std::uint8_t code);

  std::unique_ptr<Model> model_;
  std::unique_ptr<UdpSocket> socket_;
  std::unique_ptr<UdpSocket> other_socket_;
  int port_ = 0;
  int other_port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;

  mutable std::recursive_mutex mutex_;  // model, faults, watcher, scheduled sends
  struct Armed {
    int code;
    Fault fault;
  };
  std::vector<Armed> faults_;
  std::vector<Outgoing> scheduled_;
  double loss_percent_ = 0;
  std::mt19937 loss_random_;
  std::size_t dropped_ = 0;
  std::optional<Peer> watcher_;

  mutable std::mutex record_mutex_;
  mutable std::condition_variable recorded_;
  std::deque<Request> requests_;
  std::size_t request_total_ = 0;
  bool recording_ = true;

  std::atomic<std::FILE*> trace_{nullptr};
};

}  // namespace vorskel::sim
