#include "transport/wire_trace.h"

#include <atomic>

namespace vorskel {
namespace {

struct Slot {
  WireObserver observer;
  void* context;
};
// Observers are installed rarely (by tests and tools); a small ring of slots lets a notify
// that is under way finish with the slot it loaded while a new one is installed.
Slot slots[8];
std::atomic<unsigned> next_slot{0};
std::atomic<const Slot*> current{nullptr};

}  // namespace

void set_wire_observer(WireObserver observer, void* context) {
  if (observer == nullptr) {
    current.store(nullptr, std::memory_order_release);
    return;
  }
  Slot& slot = slots[next_slot.fetch_add(1) % 8];
  slot = Slot{observer, context};
  current.store(&slot, std::memory_order_release);
}

const char* wire_direction_name(WireDirection direction) {
  switch (direction) {
    case WireDirection::kSent:
      return "sent";
    case WireDirection::kReceived:
      return "received";
    case WireDirection::kDiscarded:
      return "discarded";
  }
  return "?";
}

void notify_wire(WireDirection direction, const std::uint8_t* bytes, std::size_t length,
                 const char* host, int port) {
  const Slot* slot = current.load(std::memory_order_acquire);
  if (slot != nullptr) slot->observer(slot->context, direction, bytes, length, host, port);
}

}  // namespace vorskel
