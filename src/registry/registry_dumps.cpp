// Registration dumps: the terminal's registration area read backwards page by page, one
// text line per occupied slot in "Registry.txt" beside the host program. Three kinds, one
// walk; each kind is its slot size, its page geometry and its line format.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "registry/gbk_texts.h"
#include "terminal/flash_pages.h"
#include "terminal/record_counters.h"
#include "vorskel.h"

namespace vorskel::registry {
namespace {

constexpr int kFlashArea = 2;  // registrations live in flash area 2 (page read command 4)
constexpr int kEndSlack = 16;  // the newest slot begins 16 - size bytes after the end pointer
constexpr int kDoors = 32;     // door rights mask, one bit per door
constexpr std::uint32_t kMaxFingerCard = 99999999;  // card numbers are 8 decimal digits
constexpr char kDumpFile[] = "Registry.txt";
constexpr int kFileNotCreated = -1;
constexpr int kPointersOutsideArea = -3;

using Slot = const std::uint8_t*;

std::uint32_t le32(Slot s, int off) {
  return s[off] | (s[off + 1] << 8) | (s[off + 2] << 16) |
         (static_cast<std::uint32_t>(s[off + 3]) << 24);
}
std::uint16_t le16(Slot s, int off) {
  return static_cast<std::uint16_t>(s[off] | (s[off + 1] << 8));
}
// A text field of at most 8 characters, ending at its first zero byte.
std::string text8(Slot s, int off) {
  const char* p = reinterpret_cast<const char*>(s + off);
  return std::string(p, strnlen(p, 8));
}

bool any_card(Slot s) {
  return le32(s, 0) != 0;
}
bool finger_card(Slot s) {
  const std::uint32_t card = le32(s, 0);
  return card >= 1 && card <= kMaxFingerCard;
}

// Stored as the main terminal's registration payload bytes 0..31.
void print_vorsk(std::FILE* out, Slot s) {
  std::fprintf(out, "%02X%02X%02X%02X|%s|%s|%d|%d|%d-%d-%d\n", s[0], s[1], s[2], s[3],
               text8(s, 4).c_str(), text8(s, 12).c_str(), s[20] >> 4, s[20] & 0x0F, s[21] + 1900,
               s[22], s[23]);
}

// The door controller's 32-byte registration with its door rights.
void print_door(std::FILE* out, Slot s) {
  std::fprintf(out, gbk::kDoorRegistrationLine, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7],
               s[14] >> 4, s[14] & 0x0F, static_cast<std::int32_t>(le32(s, 22)), s[15] + 1900,
               s[16], s[17]);
  const std::uint32_t rights = le32(s, 18);
  std::fputs(gbk::kDoorRightsHeading, out);
  for (int door = 0; door < kDoors; ++door)
    std::fprintf(out, gbk::kDoorRight, door, static_cast<int>((rights >> door) & 1u));
  std::fputs("\n", out);
}

// The fingerprint terminal's 30-byte registration.
void print_finger(std::FILE* out, Slot s) {
  std::fprintf(out, "%08lu|%08lu|%s|%d|%d|%d+%d+%d|%d-%d-%d\n",
               static_cast<unsigned long>(le32(s, 0)), static_cast<unsigned long>(le32(s, 26)),
               text8(s, 4).c_str(), s[12] >> 4, s[12] & 0x0F, le16(s, 16), le16(s, 18), le16(s, 20),
               s[13] + 1900, s[14], s[15]);
}

struct DumpKind {
  int slot_size;
  int slots_per_page;
  bool (*occupied)(Slot);
  void (*print)(std::FILE*, Slot);
};

constexpr DumpKind kVorskDump{32, 16, any_card, print_vorsk};
constexpr DumpKind kDoorDump{32, 16, any_card, print_door};
constexpr DumpKind kFingerDump{30, 15, finger_card, print_finger};

std::string dump_path() {
  return platform::executable_directory() + platform::kPathSeparator + kDumpFile;
}

int dump(const DumpKind& kind, const char* host, int port) {
  const Reply<RecordPointers> pointers = terminal::read_record_pointers(host, port);
  if (!pointers.ok()) return pointers.result;
  // Signed 64-bit addresses: an area that starts below one page step is still walked down
  // to its start instead of wrapping round and reading nothing.
  const std::int64_t end = pointers.value.registration[0];
  const std::int64_t start = pointers.value.registration[2];
  // Pointers beyond area 2 are no registration area: walking down from them would take
  // millions of page reads of whatever the terminal answers.
  if (end > kArea2Bytes || start > kArea2Bytes) return kPointersOutsideArea;
  const std::int64_t total = end > start ? (end - start) / kind.slot_size : 0;
  if (total == 0) return 0;

  // The file is created (an earlier dump's emptied) only once the first page is here, so a
  // dump that gets nothing leaves an earlier file as it was.
  std::FILE* out = nullptr;

  const std::int64_t step = static_cast<std::int64_t>(kind.slot_size) * kind.slots_per_page;
  std::int64_t written = 0;
  for (std::int64_t page = end + kEndSlack - step; page + step > start; page -= step) {
    // No flash lies below address 0: a page that would begin there is read from 0 and its
    // slots are found at their own addresses.
    const std::int64_t read_at = page < 0 ? 0 : page;
    std::uint8_t bytes[kFlashPageBytes];
    const int rr = read_flash_page(kFlashArea, bytes, kFlashPageBytes,
                                   static_cast<std::uint32_t>(read_at), host, port);
    if (rr != 0) {
      if (out != nullptr) std::fclose(out);
      return rr;
    }
    if (out == nullptr) out = std::fopen(dump_path().c_str(), "w+");
    if (out == nullptr) return kFileNotCreated;
    for (int slot = kind.slots_per_page - 1; slot >= 0; --slot) {
      if (written == total) {
        std::fclose(out);
        return static_cast<int>(written);
      }
      const std::int64_t address = page + static_cast<std::int64_t>(slot) * kind.slot_size;
      // Slots below the area's start are not registrations: when emptied slots leave fewer
      // than N lines, the walk ends at the start instead of printing what lies below it.
      if (address < start) break;
      const Slot s = bytes + (address - read_at);
      if (!kind.occupied(s)) continue;
      kind.print(out, s);
      ++written;
    }
  }
  std::fclose(out);
  return static_cast<int>(written);
}

}  // namespace
}  // namespace vorskel::registry

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_DumpRegistry(const char* host, int port) {
  return vorskel::registry::dump(vorskel::registry::kVorskDump, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_DumpRegistry(const char* host, int port) {
  return vorskel::registry::dump(vorskel::registry::kDoorDump, host, port);
}

VORSKEL_API int VORSKEL_CALL Pirrel_DumpRegistry(const char* host, int port) {
  return vorskel::registry::dump(vorskel::registry::kFingerDump, host, port);
}

}  // extern "C"
