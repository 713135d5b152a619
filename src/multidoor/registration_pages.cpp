// Downloading the controller's registration area one 512-byte page per call. The area is
// located by the registration pointers that follow the record pointers in the pointer query;
// they live in the record-pointer storage that several other downloads share, so a page-0
// call of any of them reloads them for all (as hosts have always seen it).
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "multidoor/controller_texts.h"
#include "multidoor/door_registration.h"
#include "records/download_engine.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

constexpr int kEndOfData = -1;
constexpr std::uint8_t kFlashRead = 4;
constexpr int kAddressBytes = 4;
constexpr int kPageBytes = 512;
constexpr int kEntriesPerPage = kPageBytes / kRegistrationBytes;
// In a wrapped area a page is in the gap below start - 16, as for the other shared readers.
constexpr std::int64_t kGapMargin = 16;

enum RegistrationPointer { kRegStart, kRegEnd, kRegAreaEnd };

// The flash address of a page, or -1 when the download is over.
std::int64_t page_address(const std::uint32_t (&reg)[3], int page) {
  const std::int64_t start = reg[kRegStart], end = reg[kRegEnd], area_end = reg[kRegAreaEnd];
  if (start == area_end) return kEndOfData;  // no registrations
  std::int64_t address = static_cast<std::int64_t>(page) * kPageBytes;
  if (start <= end) {
    address += start;
  } else if (address >= end && address < start - kGapMargin) {
    return kEndOfData;
  }
  return address >= area_end ? kEndOfData : address;
}

// Decodes one A1/A2 slot into e (only the fields its type carries).
void decode(const std::uint8_t* r, FerrinDoorRegistration& e) {
  facility_number_text(r + kCardAt, e.card1, sizeof e.card1);
  if (r[kTypeAt] == kSingleCard) {
    std::snprintf(e.password, sizeof e.password, "%02X%02X%02X", r[kPasswordAt], r[kPasswordAt + 1],
                  r[kPasswordAt + 2]);
    e.mode = static_cast<std::int8_t>(r[kModeAt]);
  } else {
    facility_number_text(r + kSecondCardAt, e.card2, sizeof e.card2);
  }
  e.index = static_cast<std::int8_t>(r[kIndexAt]);
  channel_mask_to_text(door_mask(r), e.doors);
  e.doors[kChannels] = '\0';
  e.year = static_cast<std::int8_t>(r[kYearAt]);  // the stored two digits
  e.month = static_cast<std::int8_t>(r[kMonthAt]);
  e.day = static_cast<std::int8_t>(r[kDayAt]);
}

int read_registrations(FerrinDoorRegistration* entries, int page, const char* host, int port,
                       int* count) {
  if (entries == nullptr || page < 0) return kEndOfData;
  records::RecordPointers& p = records::shared_record_pointers();
  if (page == 0) {
    const int r = records::load_record_pointers(p, host, port);
    if (r != 0) return r;
  }
  const std::int64_t address = page_address(p.registration, page);
  if (address < 0) return kEndOfData;

  Frame f(kFlashRead);
  f.put32(0, static_cast<std::uint32_t>(address));
  const int r = f.exchange(kAddressBytes, kPageBytes, host, port, kPageBytes);
  if (r != 0) return r;

  // A page holds registrations from its start up to the first slot that is not one. A slot
  // of another 0xA_ type ends the page too, and the entries from there on are cleared.
  for (int e = 0; e < kEntriesPerPage; ++e) {
    const std::uint8_t* slot = f.payload() + e * kRegistrationBytes;
    const std::uint8_t type = slot[kTypeAt];
    if ((type & kRegistrationMarkMask) != kRegistrationMark) break;
    if (type != kSingleCard && type != kTwoCards) {
      std::memset(&entries[e], 0, sizeof(FerrinDoorRegistration) * (kEntriesPerPage - e));
      break;
    }
    decode(slot, entries[e]);
    if (count != nullptr) ++*count;
  }
  return 0;
}

}  // namespace
}  // namespace vorskel::multidoor

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_ReadReg(FerrinDoorRegistration* entries, int page,
                                            const char* host, int port, int* count) {
  return vorskel::multidoor::read_registrations(entries, page, host, port, count);
}

}  // extern "C"
