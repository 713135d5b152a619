#include "transport/channel.h"

#include "transport/library.h"

namespace vorskel {
namespace {

// A plain pointer: trivially constructed per thread on every platform's thread storage.
thread_local Channel* current = nullptr;

}  // namespace

Channel::Channel()
    : endpoint_(std::make_unique<TNet>()),
      command_lock_(std::make_unique<std::recursive_mutex>()),
      record_read_lock_(std::make_unique<std::recursive_mutex>()) {}

Channel::Channel(ProcessWide) {}

Channel::~Channel() = default;

Channel& Channel::process() {
  // Never destroyed, like the library's locks: a host thread may still be inside a
  // transaction while the process ends.
  static Channel* const channel = new Channel(ProcessWide{});
  return *channel;
}

TNet& Channel::endpoint() {
  return endpoint_ ? *endpoint_ : *library().command;
}

std::recursive_mutex& Channel::command_lock() {
  return command_lock_ ? *command_lock_ : *library().command_lock;
}

std::recursive_mutex& Channel::record_read_lock() {
  return record_read_lock_ ? *record_read_lock_ : *library().record_read_lock;
}

Channel& current_channel() {
  return current != nullptr ? *current : Channel::process();
}

TNet& command_endpoint() {
  return current_channel().endpoint();
}

Channel* exchange_current_channel(Channel* next) {
  Channel* const previous = current;
  current = next;
  return previous;
}

UseChannel::UseChannel(Channel& channel) : previous_(exchange_current_channel(&channel)) {}

UseChannel::~UseChannel() {
  exchange_current_channel(previous_);
}

}  // namespace vorskel
