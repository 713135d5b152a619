// The typed calls of the C++ interface: each runs the library's own function for it on the
// context's channel.
#include "records/record_downloads.h"
#include "registry/registration_entry.h"
#include "terminal/record_counters.h"
#include "terminal/simple_commands.h"
#include "transport/channel.h"
#include "vorskel/context.hpp"

namespace vorskel {
namespace {

template <class F>
auto on(Context& context, F&& call) {
  UseChannel use(context.channel());
  return call();
}

// The entry the delete and read-back operations send: only the card text (at most 8
// characters) is used.
bool card_entry(const char* card, VorskRegistryEntry& entry) {
  if (card == nullptr) return false;
  for (std::size_t i = 0; i < sizeof entry.card1 && card[i] != '\0'; ++i) entry.card1[i] = card[i];
  return true;
}

}  // namespace

struct RecordDownload::State : records::OwnDownloadState {};

Reply<RecordPointers> read_record_pointers(Context& context, const char* host, int port) {
  return on(context, [&] { return terminal::read_record_pointers(host, port); });
}

Reply<RecordTotal> read_record_total(Context& context, const char* host, int port) {
  return on(context, [&] { return terminal::read_record_total(host, port); });
}

int set_time(Context& context, const char* host, int port) {
  return on(context, [&] { return family::set_time(host, port); });
}

int clear_records(Context& context, const char* host, int port) {
  return on(context, [&] { return family::clear_records(host, port); });
}

int write_registration(Context& context, const VorskRegistryEntry& entry, const char* host,
                       int port) {
  VorskRegistryEntry copy = entry;
  return on(context,
            [&] { return registry::vorsk_registration(&copy, registry::kStore, host, port); });
}

int delete_registration(Context& context, const char* card, const char* host, int port) {
  VorskRegistryEntry entry{};
  if (!card_entry(card, entry)) return -1;
  return on(context,
            [&] { return registry::vorsk_registration(&entry, registry::kCardOnly, host, port); });
}

int read_registration(Context& context, const char* card, VorskRegistryEntry& out, const char* host,
                      int port) {
  VorskRegistryEntry entry{};
  if (!card_entry(card, entry)) return -1;
  const int r = on(context, [&] {
    return registry::vorsk_registration(&entry, registry::kReadBack, host, port);
  });
  if (r >= 0) out = entry;
  return r;
}

RecordDownload::RecordDownload(Context& context, std::string host, int port)
    : context_(context), host_(std::move(host)), port_(port), state_(std::make_unique<State>()) {}

RecordDownload::~RecordDownload() = default;

int RecordDownload::page(int number, unsigned char* out) {
  return on(context_, [&] {
    return records::attendance_page(state_->view(), out, number, host_.c_str(), port_);
  });
}

}  // namespace vorskel
