// A command channel: what one command transaction runs on. It holds a UDP command endpoint,
// the command lock that serialises transactions on that endpoint, the record-read lock of
// the multi-page readers (always taken before the command lock), the count of threads
// waiting for the command lock, and the retry policy.
//
// The 244 exports run on the process channel, which is the library's own command endpoint
// and locks (transport/library.h), exactly as before channels existed. A vorskel::Context
// (include/vorskel/context.hpp) owns a channel of its own, so that contexts on different
// threads talk to different terminals at the same time.
//
// Device functions never take a channel argument: a transaction runs on the calling
// thread's current channel, which is the process channel unless a UseChannel scope on that
// thread names another. The context API opens such a scope around each call.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "transport/tnet.h"

namespace vorskel {

class Channel {
 public:
  // A channel of its own: a new endpoint (no socket yet) and new locks.
  Channel();
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // The library's endpoint and locks, for the exports.
  static Channel& process();

  TNet& endpoint();
  std::recursive_mutex& command_lock();
  std::recursive_mutex& record_read_lock();
  std::atomic<int>& lock_waiters() { return lock_waiters_; }

  // Extra sends after a time-out (0: send once, wait once, as the exports always have).
  int retries() const { return retries_.load(std::memory_order_relaxed); }
  void set_retries(int n) { retries_.store(n < 0 ? 0 : n, std::memory_order_relaxed); }

 private:
  struct ProcessWide {};
  explicit Channel(ProcessWide);

  std::unique_ptr<TNet> endpoint_;  // null: the library's command endpoint
  std::unique_ptr<std::recursive_mutex> command_lock_;
  std::unique_ptr<std::recursive_mutex> record_read_lock_;
  std::atomic<int> lock_waiters_{0};
  std::atomic<int> retries_{0};
};

// The calling thread's current channel.
Channel& current_channel();
// Makes next (null: the process channel) the calling thread's current channel; returns the
// one it replaces (null for the process channel), for the scope that restores it.
Channel* exchange_current_channel(Channel* next);

// Makes channel the calling thread's current channel until the scope ends (scopes nest).
class UseChannel {
 public:
  explicit UseChannel(Channel& channel);
  ~UseChannel();
  UseChannel(const UseChannel&) = delete;
  UseChannel& operator=(const UseChannel&) = delete;

 private:
  Channel* previous_;
};

}  // namespace vorskel
