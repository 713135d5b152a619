// The fingerprint terminal: probe, template scan, registration with template, and its
// three operating values.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/platform.h"
#include "registry/fingerprint_template.h"
#include "registry/registration_entry.h"
#include "transport/library.h"

namespace vorskel::registry {
namespace {

constexpr std::uint8_t kScan = 128;
constexpr std::uint8_t kProbe = 129;
constexpr std::uint8_t kWorkType = 130;
constexpr std::uint8_t kSecurLevel = 131;
constexpr std::uint8_t kSpeech = 132;

constexpr std::uint32_t kProbeAsk = 0x55AA55AA;
constexpr std::uint32_t kProbeAnswer = 0xAA55AA55;

// The terminal waits for a finger before it answers a scan; afterwards every transaction
// keeps the shorter wait.
constexpr int kScanWaitMs = 60000;
constexpr int kAfterScanWaitMs = 3000;
constexpr int kScanReplyLen = 258;

// Registration payload of the fingerprint terminal; bytes 0..29 are also the stored slot.
constexpr int kCard1 = 0;
constexpr int kName = 4;
constexpr int kNibbles = 12;
constexpr int kDate = 13;
constexpr int kIndex = 16;
constexpr int kExtra = 22;
constexpr int kCard2 = 26;
constexpr int kType = 30;
constexpr int kCrc = 32;
constexpr int kTemplate = 34;
constexpr int kWithTemplateLen = kTemplate + kTemplateBytes;  // 290
constexpr int kWithoutTemplateLen = 34;
constexpr int kAttempts = 6;
constexpr int kNoTemplateAnswer = 238;  // read-back of a registration without template
constexpr int kTemplateSlots = 3;       // template indexes 0..2

constexpr char kErrorCaption[] = "Error";
constexpr char kBadTemplate[] = "Wrong fingerprint template data.";
constexpr char kTransferWrong[] = "The fingerprint data transfer is wrong.";

void take_finger_fields(const Frame& f, VorskRegistryEntry* e) {
  char card[12];
  std::snprintf(card, sizeof card, "%08lu", static_cast<unsigned long>(f.get32(kCard1)));
  write_entry_text(e, kEntryCard1, card);
  take_name(f, kName, e);
  take_nibbles_and_date(f, kNibbles, kDate, e);
  e->extra = f.get32(kExtra);
}

int registration(VorskRegistryEntry* entry, std::uint8_t* templ, unsigned int* checksum, int index,
                 int type, const char* host, int port) {
  if (entry == nullptr) return -1;
  Frame f(kRegistrationCommand);
  f.put32(kCard1, decimal_card(entry->card1));
  f.put16(kIndex, index >= 0 && index < kTemplateSlots ? static_cast<std::uint32_t>(index) : 0);
  f.put32(kCard2, decimal_card(entry->card2));
  if (!valid_operation(type)) return -1;
  bool with_template = false;
  if (type == kStore) {
    put_name(f, kName, *entry);
    put_nibbles_and_date(f, kNibbles, kDate, *entry);
    f.put32(kExtra, entry->extra);
    if (checksum != nullptr && *checksum != 0) {
      if (templ == nullptr || std::memcmp(templ, kTemplateMark, sizeof kTemplateMark) != 0) {
        platform::show_error(kErrorCaption, kBadTemplate);
        return -1;
      }
      f.put16(kCrc, template_crc(templ));
      f.put_bytes(kTemplate, templ, kTemplateBytes);
      with_template = true;
    }
  }
  f.put16(kType, static_cast<std::uint32_t>(type));
  const int send_len = with_template ? kWithTemplateLen : kWithoutTemplateLen;
  // Every attempt sends the request as built: a failed exchange may have left a stray reply
  // (another command code among it) in the frame, which must not go out as the next request.
  const Frame request = f;
  // A read-back answered "no template" ends with its CRC field; the answer is at kType.
  const int reads = type == kReadBack ? kWithoutTemplateLen : kType + 2;
  int r = kOk;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    f = request;
    r = f.exchange(send_len, kWithTemplateLen, host, port, reads);
    if (r == kOk) break;
  }
  if (r != kOk) return r;
  int result = signed16(f, kType);
  if (type == kReadBack) {
    // A template is taken only from a reply that holds it whole.
    if (f.get16(kType) != kNoTemplateAnswer && f.received_payload() < kWithTemplateLen)
      return kNoReply;
    platform::yield_thread();
    take_finger_fields(f, entry);
    if (f.get16(kType) == kNoTemplateAnswer) {
      if (templ != nullptr) std::memset(templ, 0, kTemplateBytes);
      result = 0;
    } else {
      std::uint8_t received[kTemplateBytes];
      f.get_bytes(kTemplate, received, kTemplateBytes);
      const std::uint16_t crc = template_crc(received);
      if (checksum != nullptr) *checksum = crc;
      if (crc != f.get16(kCrc)) platform::show_error(kErrorCaption, kTransferWrong);
      if (templ != nullptr) std::memcpy(templ, received, kTemplateBytes);
    }
  }
  return result;
}

int scan(std::uint8_t* templ, const char* host, int port) {
  command_endpoint().SetReceiveTimeout(kScanWaitMs);
  Frame f(kScan);
  const int r = f.exchange(0, kScanReplyLen, host, port, templ != nullptr ? kScanReplyLen : 2);
  command_endpoint().SetReceiveTimeout(kAfterScanWaitMs);
  if (r != kOk) return r;
  if (f.get16(0) != 0) return -1;
  if (templ != nullptr) f.get_bytes(2, templ, kTemplateBytes);
  return 0;
}

int probe(const char* host, int port) {
  Frame f(kProbe);
  f.put32(0, kProbeAsk);
  const int r = f.exchange(4, 4, host, port, 4);
  if (r != kOk) return r;
  return f.get32(0) == kProbeAnswer ? 0 : -1;
}

// Commands whose payload is a few bytes and whose result is the transaction's.
int send_bytes(std::uint8_t code, std::initializer_list<int> bytes, int send_len, int reply_len,
               const char* host, int port) {
  Frame f(code);
  int off = 0;
  for (int b : bytes) f.put8(off++, static_cast<std::uint32_t>(b));
  return f.exchange(send_len, reply_len, host, port);
}

}  // namespace
}  // namespace vorskel::registry

extern "C" {

namespace reg = vorskel::registry;

VORSKEL_API int VORSKEL_CALL Pirrel_Exist(const char* host, int port) {
  return reg::probe(host, port);
}

VORSKEL_API int VORSKEL_CALL Pirrel_GetFingerPrint(unsigned char* templ, const char* host,
                                                   int port) {
  return reg::scan(templ, host, port);
}

VORSKEL_API int VORSKEL_CALL Pirrel_Registry(VorskRegistryEntry* entry, unsigned char* templ,
                                             unsigned int* checksum, int index, int type,
                                             const char* host, int port) {
  return reg::registration(entry, templ, checksum, index, type, host, port);
}

VORSKEL_API int VORSKEL_CALL Pirrel_SetSecurLevel(int level, const char* host, int port) {
  const int limited = level < 1 ? 1 : (level > 5 ? 5 : level);
  return reg::send_bytes(reg::kSecurLevel, {limited}, 1, 2, host, port);
}

VORSKEL_API int VORSKEL_CALL Pirrel_WorkType(int mode, int b1, int b2, int b3, int b4,
                                             const char* host, int port) {
  if (mode < 1 || mode > 4) return -1;
  return reg::send_bytes(reg::kWorkType, {mode, b1, b2, b3, b4}, 5, 5, host, port);
}

VORSKEL_API int VORSKEL_CALL Pirrel_Speech(int a, int b, const char* host, int port) {
  return reg::send_bytes(reg::kSpeech, {a, b}, 4, 4, host, port);
}

}  // extern "C"
