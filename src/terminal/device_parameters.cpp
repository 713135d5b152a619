// The main terminal's identity and configuration: identity text and device values, version,
// network addresses, greeting texts, card keys, the door password, the other-settings buffer
// and the system-parameter block that reports several of them at once.
#include <cstddef>
#include <cstring>

#include "terminal/command_family.h"
#include "transport/crc16.h"
#include "vorskel.h"

static_assert(sizeof(VorskCardKeys) == 12 && offsetof(VorskCardKeys, keyB) == 6);
static_assert(sizeof(VorskCardKeyRecord) == 20 && offsetof(VorskCardKeyRecord, numberB) == 4 &&
              offsetof(VorskCardKeyRecord, keyA) == 8 && offsetof(VorskCardKeyRecord, keyB) == 14);
static_assert(sizeof(VorskCardKeyReport) == 32 && offsetof(VorskCardKeyReport, keyA) == 4 &&
              offsetof(VorskCardKeyReport, numberB) == 16 &&
              offsetof(VorskCardKeyReport, keyB) == 20);

namespace vorskel::family {
namespace {

constexpr int kIdentityChars = 8;
constexpr int kIdentityReply = 20;
constexpr int kDeviceByteAt = 15;
constexpr int kDeviceValueAt = 16;
constexpr int kVersionChars = 128;
constexpr int kAddressField = 20;  // each address text: at most 19 characters and a zero
constexpr int kAddressChars = kAddressField - 1;
constexpr int kGreetingField = 16;
constexpr int kKeyBlockBytes = 16;
constexpr int kOtherSetBytes = 12;
constexpr int kOtherSetData = 11;  // buffer bytes 0-10 travel at payload [1..11]
constexpr int kDoorPasswordLen = 24;
constexpr int kSystemParameterReply = 1024;

// The card-key block: number A, key A, number B, key B, then the CRC-16 of those 14 bytes.
constexpr int kKeyLen = 6;
constexpr int kNumberAAt = 0, kKeyAAt = 1, kNumberBAt = 7, kKeyBAt = 8, kKeyCrcAt = 14;

int card_key_block(Frame& f, const Arg* a) {
  const auto* keys = static_cast<const VorskCardKeys*>(a[kArg2].in);
  if (keys == nullptr) return kRefused;
  f.put8(kNumberAAt, static_cast<std::uint32_t>(a[kArg0].n));
  f.put_bytes(kKeyAAt, keys->keyA, kKeyLen);
  f.put8(kNumberBAt, static_cast<std::uint32_t>(a[kArg1].n));
  f.put_bytes(kKeyBAt, keys->keyB, kKeyLen);
  f.put16(kKeyCrcAt, crc16(f.payload(), kKeyCrcAt));
  return 0;
}

int greeting_texts(Frame& f, const Arg* a) {
  for (int k = 0; k < 2; ++k) {
    const auto* text = static_cast<const std::uint8_t*>(a[k].in);
    if (text == nullptr) return kRefused;
    const int len = static_cast<int>(std::strlen(reinterpret_cast<const char*>(text)));
    put_display_text(f, k * kGreetingField, kGreetingField, text, len, len);
  }
  return 0;
}

// Other settings: [0] says whether the buffer is written (1) or read back (0).
int other_settings_request(Frame& f, const Arg* a) {
  if (a[kArg0].in == nullptr) return kRefused;
  const bool write = a[kArg1].n != 0;
  f.put8(0, write ? 1u : 0u);
  if (write) f.put_bytes(1, a[kArg0].in, kOtherSetData);
  return 0;
}
void other_settings_reply(const Frame& f, const Arg* a) {
  auto* buffer = static_cast<std::uint8_t*>(a[kArg0].out);
  if (a[kArg1].n != 0 || buffer == nullptr) return;
  f.get_bytes(1, buffer, kOtherSetData);
  buffer[kOtherSetData] = 0;
}

// The system-parameter reply: block A, the card-key block, block B.
constexpr int kBlockAAt = 0, kBlockABytes = 80;
constexpr int kKeyBlockAt = 80;
constexpr int kBlockBAt = 96, kBlockBBytes = 66;
// The terminal packs two 16-bit numbers at odd offsets 61 and 63 of block B; hosts read them
// at the even offsets 62 and 64 (byte 61 keeps the first number's low byte as well).
constexpr int kPackedFirstAt = 61, kPackedSecondAt = 63, kHostFirstAt = 62, kHostSecondAt = 64;

void key_hex(const Frame& f, int off, char out[2 * kKeyLen]) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < kKeyLen; ++i) {
    const std::uint8_t b = f.get8(off + i);
    out[2 * i] = kDigits[b >> 4];
    out[2 * i + 1] = kDigits[b & 0x0F];
  }
}

void system_parameters(const Frame& f, const Arg* a) {
  if (auto* block_a = a[kArg0].out) f.get_bytes(kBlockAAt, block_a, kBlockABytes);
  if (auto* keys = static_cast<VorskCardKeyReport*>(a[kArg1].out)) {
    VorskCardKeyReport report{};
    report.numberA = static_cast<std::int8_t>(f.get8(kKeyBlockAt + kNumberAAt));
    key_hex(f, kKeyBlockAt + kKeyAAt, report.keyA);
    report.numberB = static_cast<std::int8_t>(f.get8(kKeyBlockAt + kNumberBAt));
    key_hex(f, kKeyBlockAt + kKeyBAt, report.keyB);
    *keys = report;  // the block's CRC is the terminal's business; not checked
  }
  if (auto* block_b = static_cast<std::uint8_t*>(a[kArg2].out)) {
    f.get_bytes(kBlockBAt, block_b, kPackedFirstAt + 1);
    f.get_bytes(kBlockBAt + kPackedFirstAt, block_b + kHostFirstAt, 2);
    f.get_bytes(kBlockBAt + kPackedSecondAt, block_b + kHostSecondAt, 2);
    static_assert(kHostSecondAt + 2 == kBlockBBytes);
  }
}

constexpr Command kSetDevice =
    command(0x08, kIdentityReply, kIdentityReply, text_at(0, kIdentityChars, kArg0),
            byte_at(kDeviceByteAt, kArg1));
constexpr Command kSetDeviceEx =
    command(0x08, kIdentityReply, kIdentityReply, text_at(0, kIdentityChars, kArg0),
            byte_at(kDeviceByteAt, kArg1), u32_at(kDeviceValueAt, kArg2));
constexpr Command kGetDevice = command(0x09, 0, kIdentityReply, get_text(0, kIdentityChars, kArg0),
                                       get_signed_byte(kDeviceByteAt, kArg1));
constexpr Command kGetDeviceEx =
    command(0x09, 0, kIdentityReply, get_text(0, kIdentityChars, kArg0),
            get_signed_byte(kDeviceByteAt, kArg1), get_u32(kDeviceValueAt, kArg2));
constexpr Command kSetWorkArea = command(0x40, 1, 0, byte_at(0, kArg0));
constexpr Command kVersion = command(0x0A, 0, kVersionChars, get_text(0, kVersionChars, kArg0));
constexpr Command kIpConfig = command(0x01, 4 * kAddressField, 4 * kAddressField,
                                      text_at(0 * kAddressField, kAddressChars, kArg0),
                                      text_at(1 * kAddressField, kAddressChars, kArg1),
                                      text_at(2 * kAddressField, kAddressChars, kArg2),
                                      optional_text_at(3 * kAddressField, kAddressChars, kArg3));
constexpr Command kLogo =
    command(0x07, 2 * kGreetingField, 2 * kGreetingField, layout(greeting_texts));
constexpr Command kMifarePsw =
    command(0x06, kKeyBlockBytes, kKeyBlockBytes, layout(card_key_block));
constexpr Command kSetOldPsw =
    command(0x7A, kKeyBlockBytes, kKeyBlockBytes, layout(card_key_block));
constexpr Command kOtherSet =
    command(0x1C, kOtherSetBytes, kOtherSetBytes, layout(other_settings_request),
            decoded_by(other_settings_reply));
constexpr Command kSetOpenDoorPassword = command(0x28, 4, 4, u32_at(0, kArg0));
constexpr Command kOpenDoorPassword =
    command(0x34, kDoorPasswordLen, kDoorPasswordLen, u16_at(0, kArg1), decimal_at(4, kArg0),
            status16_at(2));
constexpr Command kReadSystemParameter =
    command(0x1B, 0, kSystemParameterReply, decoded_by(system_parameters));

}  // namespace
}  // namespace vorskel::family

using vorskel::family::run;
namespace f = vorskel::family;

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_SetDevice(const char* identity, int device, const char* host,
                                             int port) {
  return run(f::kSetDevice, host, port, {identity, device});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetDevice_Ex(const char* identity, int device, int value,
                                                const char* host, int port) {
  return run(f::kSetDeviceEx, host, port, {identity, device, value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_GetDevice(char* identity, int* device, const char* host,
                                             int port) {
  return run(f::kGetDevice, host, port, {identity, device});
}
VORSKEL_API int VORSKEL_CALL Vorsk_GetDevice_Ex(char* identity, int* device, int* value,
                                                const char* host, int port) {
  return run(f::kGetDeviceEx, host, port, {identity, device, value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetWorkArea(int value, const char* host, int port) {
  return run(f::kSetWorkArea, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Version(char* text, const char* host, int port) {
  return run(f::kVersion, host, port, {text});
}
VORSKEL_API int VORSKEL_CALL Vorsk_IpConfig(const char* address1, const char* address2,
                                            const char* address3, const char* address4,
                                            const char* host, int port) {
  return run(f::kIpConfig, host, port, {address1, address2, address3, address4});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Logo(const char* first, const char* second, const char* host,
                                        int port) {
  return run(f::kLogo, host, port, {first, second});
}
VORSKEL_API int VORSKEL_CALL Vorsk_MifarePsw(int numberA, int numberB, VorskCardKeys keys,
                                             const char* host, int port) {
  return run(f::kMifarePsw, host, port, {numberA, numberB, &keys});
}
VORSKEL_API int VORSKEL_CALL Vorsk_MifarePsw_Ptr(const VorskCardKeyRecord* record, const char* host,
                                                 int port) {
  if (record == nullptr) return f::kRefused;
  VorskCardKeys keys;
  std::memcpy(keys.keyA, record->keyA, sizeof keys.keyA);
  std::memcpy(keys.keyB, record->keyB, sizeof keys.keyB);
  return run(f::kMifarePsw, host, port, {record->numberA, record->numberB, &keys});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetOldPSW(int numberA, int numberB, VorskCardKeys keys,
                                             const char* host, int port) {
  return run(f::kSetOldPsw, host, port, {numberA, numberB, &keys});
}
VORSKEL_API int VORSKEL_CALL Vorsk_OtherSet(unsigned char* buffer12, int write, const char* host,
                                            int port) {
  return run(f::kOtherSet, host, port, {buffer12, write});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetOpenDoorPassword(int password, const char* host, int port) {
  return run(f::kSetOpenDoorPassword, host, port, {password});
}
VORSKEL_API int VORSKEL_CALL Vorsk_OpenDoorPassword(const char* password, int number,
                                                    const char* host, int port) {
  return run(f::kOpenDoorPassword, host, port, {password, number});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Read_SystemParameter(unsigned char* blockA,
                                                        VorskCardKeyReport* keys,
                                                        unsigned char* blockB, const char* host,
                                                        int port) {
  return run(f::kReadSystemParameter, host, port, {blockA, keys, blockB});
}

}  // extern "C"
