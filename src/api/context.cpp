// Contexts: a command channel of their own per context, or the process channel the exports
// use; a scope makes one the calling thread's current channel.
#include "vorskel/context.hpp"

#include "transport/channel.h"
#include "transport/library.h"

namespace vorskel {

Context::Context(const ContextOptions& options)
    : owned_(std::make_unique<Channel>()), channel_(owned_.get()), options_(options) {
  channel_->set_retries(options.retries);
}

Context::Context(Process) : channel_(&Channel::process()) {}

Context::~Context() {
  if (owned_) owned_->endpoint().Close();
}

Context& Context::process() {
  static Context* const context = new Context(Process{});  // lives as long as the library
  return *context;
}

int Context::open() {
  TNet& endpoint = channel_->endpoint();
  if (endpoint.HoldsSocket()) return -1;
  if (endpoint.Open() != 0) {
    endpoint.Close();
    return -3;
  }
  (void)endpoint.SetReceiveTimeout(options_.receive_timeout_ms);
  // The process context binds as Vorsk_OpenSocket does; a context of its own reports a
  // refused bind, since its owner asked for that port.
  const int port = owned_ ? options_.local_port : library().command_port.load();
  if (endpoint.Bind("", port) != 0 && owned_) {
    endpoint.Close();
    return -2;
  }
  return 0;
}

int Context::close() {
  return channel_->endpoint().Close();
}

bool Context::is_open() const {
  return channel_->endpoint().HoldsSocket();
}

int Context::local_port() const {
  return channel_->endpoint().LocalPort();
}

int Context::set_receive_timeout(int milliseconds) {
  options_.receive_timeout_ms = milliseconds;
  return channel_->endpoint().SetReceiveTimeout(milliseconds);
}

void Context::set_retries(int retries) {
  options_.retries = retries;
  channel_->set_retries(retries);
}

ContextScope::ContextScope(Context& context)
    : previous_(exchange_current_channel(&context.channel())) {}

ContextScope::~ContextScope() {
  exchange_current_channel(previous_);
}

}  // namespace vorskel
