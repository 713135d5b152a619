// Registrations carried on contact-less cards, written and read through the serial
// card-reader driver, and the driver's open/close and pass-through calls.
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "registry/card_image.h"
#include "registry/fingerprint_template.h"
#include "registry/serial_driver.h"
#include "transport/crc16.h"

namespace vorskel::registry {
namespace {

constexpr int kBaudRate = 9600;
constexpr int kAttemptsPerBlock = 4;
constexpr int kNotOpen = -1;
constexpr int kBlockFailed = -10;
constexpr int kTemplateChecksumWrong = -11;
constexpr int kReadIdMode = 1;

// The block Pirrel_mifare_taiwan writes: a marker, the value and a CRC-16, to sector 6
// block 0 with the library's fixed key.
constexpr std::uint8_t kTaiwanMarker = 0x66;
constexpr int kTaiwanValue = 10;
constexpr int kTaiwanCrc = 14;
constexpr int kTaiwanSector = 6;
constexpr int kTaiwanBlock = 0;
constexpr std::uint8_t kFixedKey[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
constexpr char kRecordsDirectory[] = "records";

template <class Call>
bool with_attempts(Call call) {
  for (int attempt = 0; attempt < kAttemptsPerBlock; ++attempt)
    if (call() == 0) return true;
  return false;
}

int write_registration(const VorskRegistryEntry* entry, const std::uint8_t* templ, int start,
                       int kind, unsigned char* key) {
  const DriverBinding* d = bound_driver_or_complain();
  if (d == nullptr) return kNotOpen;
  if (entry == nullptr) return kNotOpen;
  std::uint8_t image[kImageBytes];
  build_card_image(*entry, templ, kind, image);
  for (int k = 0; k < kImageBlocks; ++k) {
    std::uint8_t* block = image + k * kBlockBytes;
    const bool written = with_attempts([&] {
      return d->write_card(block, kBlockBytes, image_sector(start, k), image_block(k), key);
    });
    if (!written) return kBlockFailed;  // blocks already written stay written
  }
  return 0;
}

int read_registration(VorskRegistryEntry* entry, std::uint8_t* templ, int start, int* flag,
                      unsigned char* key) {
  const DriverBinding* d = bound_driver_or_complain();
  if (d == nullptr) return kNotOpen;
  std::uint8_t image[kImageBytes];
  for (int k = 0; k < kImageBlocks; ++k) {
    std::uint8_t* block = image + k * kBlockBytes;
    const bool read = with_attempts([&] {
      std::uint8_t work[kBlockBytes] = {};
      return d->read_card(block, work, image_sector(start, k), image_block(k), key);
    });
    if (!read) return kBlockFailed;
  }
  if (entry != nullptr) take_card_image(image, entry);
  const bool no_template = image[kImageKind] != 0;
  if (flag != nullptr) *flag = no_template ? 1 : 0;
  if (no_template) return 0;
  const std::uint16_t stored =
      static_cast<std::uint16_t>(image[kImageCrc] | (image[kImageCrc + 1] << 8));
  if (template_crc(image + kImageTemplate) != stored) return kTemplateChecksumWrong;
  if (templ != nullptr) std::memcpy(templ, image + kImageTemplate, kTemplateBytes);
  return 0;
}

int write_taiwan_block(std::uint32_t value) {
  const DriverBinding* d = bound_driver_or_complain();
  if (d == nullptr) return kNotOpen;
  // Hosts rely on the records directory being there after this call, as it is after the
  // record functions.
  platform::create_directory(platform::current_directory() + platform::kPathSeparator +
                             kRecordsDirectory);
  std::uint8_t block[kBlockBytes] = {};
  block[0] = kTaiwanMarker;
  for (int i = 0; i < 4; ++i) block[kTaiwanValue + i] = static_cast<std::uint8_t>(value >> (8 * i));
  const std::uint16_t crc = crc16(block, kTaiwanCrc);
  block[kTaiwanCrc] = static_cast<std::uint8_t>(crc);
  block[kTaiwanCrc + 1] = static_cast<std::uint8_t>(crc >> 8);
  std::uint8_t key[sizeof kFixedKey];
  std::memcpy(key, kFixedKey, sizeof key);
  return d->write_card(block, kBlockBytes, kTaiwanSector, kTaiwanBlock, key);
}

}  // namespace
}  // namespace vorskel::registry

extern "C" {

namespace reg = vorskel::registry;

VORSKEL_API int VORSKEL_CALL Pirrel_OpenCom(int serialPort) {
  const int r = reg::bind_driver();
  if (r != 0) return r;
  return reg::bound_driver_or_complain()->open_com(serialPort, reg::kBaudRate);
}

VORSKEL_API int VORSKEL_CALL Pirrel_CloseCom(void) {
  return reg::unbind_driver() ? 0 : -1;
}

VORSKEL_API int VORSKEL_CALL Pirrel_IcRegistry_Write(const VorskRegistryEntry* entry,
                                                     const unsigned char* templ, int startSector,
                                                     int kind, unsigned char* key, int, int) {
  return reg::write_registration(entry, templ, startSector, kind, key);
}

VORSKEL_API int VORSKEL_CALL Pirrel_IcRegistry_Read(VorskRegistryEntry* entry, unsigned char* templ,
                                                    int startSector, int* flag, unsigned char* key,
                                                    int, int) {
  return reg::read_registration(entry, templ, startSector, flag, key);
}

VORSKEL_API int VORSKEL_CALL Pirrel_Ic_SerialNO(int value) {
  const reg::DriverBinding* d = reg::bound_driver_or_complain();
  if (d == nullptr) return -1;
  return d->read_id(value, reg::kReadIdMode);
}

VORSKEL_API int VORSKEL_CALL Pirrel_mifare_taiwan(unsigned int value) {
  return reg::write_taiwan_block(value);
}

}  // extern "C"
