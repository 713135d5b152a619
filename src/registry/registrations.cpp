// Card registrations of the main terminal (command 12): the two payload layouts in one
// table, served by one engine; and the flow-control block sent as the caller gives it.
#include <cstdio>

#include "platform/platform.h"
#include "registry/registration_entry.h"

namespace vorskel::registry {
namespace {

constexpr int kRegistrationLen = 34;
constexpr int kFlowControlLen = 28;
constexpr int kFlowControlType = 26;

enum class Card2 { kText, kPacked };

// Where each field sits in one layout's 34-byte payload.
struct Layout {
  Card2 card2;
  int card2_off, name, nibbles, date, extra, type;  // extra < 0: not carried
};

constexpr Layout kVorsk{Card2::kText, 4, 12, 20, 21, 24, 32};
constexpr Layout kVorskEx{Card2::kPacked, 4, 8, 16, 17, -1, 26};

void put_store_fields(Frame& f, const Layout& l, const VorskRegistryEntry& e) {
  if (l.card2 == Card2::kText)
    f.put_bytes(l.card2_off, e.card2, kCardTextLen);
  else
    put_hex_card(f, l.card2_off, e.card2);
  put_name(f, l.name, e);
  put_nibbles_and_date(f, l.nibbles, l.date, e);
  if (l.extra >= 0) f.put32(l.extra, e.extra);
}

void format_card(const Frame& f, int off, char out[9]) {
  std::snprintf(out, 9, "%02x%02x%02x%02x", f.get8(off), f.get8(off + 1), f.get8(off + 2),
                f.get8(off + 3));
}

void take_fields(const Frame& f, const Layout& l, VorskRegistryEntry* e) {
  char text[9];
  format_card(f, 0, text);
  write_entry_text(e, kEntryCard1, text);
  if (l.card2 == Card2::kText) {
    f.get_bytes(l.card2_off, e->card2, kCardTextLen);
  } else {
    format_card(f, l.card2_off, text);
    write_entry_text(e, kEntryCard2, text);
  }
  take_name(f, l.name, e);
  take_nibbles_and_date(f, l.nibbles, l.date, e);
  if (l.extra >= 0) e->extra = f.get32(l.extra);
}

int registration(const Layout& l, VorskRegistryEntry* entry, int type, const char* host, int port) {
  if (!valid_operation(type) || entry == nullptr) return -1;
  Frame f(kRegistrationCommand);
  put_hex_card(f, 0, entry->card1);
  if (type == kStore) put_store_fields(f, l, *entry);
  f.put16(l.type, static_cast<std::uint32_t>(type));
  const int r = f.exchange(kRegistrationLen, kRegistrationLen, host, port, l.type + 2);
  if (r != kOk) return r;
  if (type == kReadBack) {
    platform::yield_thread();
    take_fields(f, l, entry);
  }
  return signed16(f, l.type);
}

}  // namespace

int vorsk_registration(VorskRegistryEntry* entry, int type, const char* host, int port) {
  return registration(kVorsk, entry, type, host, port);
}

}  // namespace vorskel::registry

extern "C" {

using namespace vorskel::registry;

VORSKEL_API int VORSKEL_CALL Vorsk_Registry(VorskRegistryEntry* entry, int type, const char* host,
                                            int port) {
  return vorsk_registration(entry, type, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_RegistryEx(VorskRegistryEntry* entry, int type, const char* host,
                                              int port) {
  return registration(kVorskEx, entry, type, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_FlowControlRegistry(const unsigned char* block, int type,
                                                       const char* host, int port) {
  if (!valid_operation(type) || block == nullptr) return -1;
  vorskel::Frame f(kRegistrationCommand);
  f.put_bytes(0, block, kFlowControlLen);
  f.put16(kFlowControlType, static_cast<std::uint32_t>(type));
  const int r = f.exchange(kFlowControlLen, kFlowControlLen, host, port, kFlowControlType + 2);
  if (r != vorskel::kOk) return r;
  return signed16(f, kFlowControlType);
}

VORSKEL_API int VORSKEL_CALL DumpRegistry2Device(int, int) {
  return -1;
}

}  // extern "C"
