// The 336-byte image a registration takes on a contact-less card: 7 sectors of 3 blocks of
// 16 bytes, written and read in that order.
#pragma once

#include <cstdint>

#include "vorskel.h"

namespace vorskel::registry {

inline constexpr int kBlockBytes = 16;
inline constexpr int kSectors = 7;
inline constexpr int kBlocksPerSector = 3;
inline constexpr int kImageBlocks = kSectors * kBlocksPerSector;  // 21
inline constexpr int kImageBytes = kImageBlocks * kBlockBytes;    // 336

// Image offsets.
inline constexpr int kImageKind = 0;
inline constexpr int kImageCard = 1;  // 24-bit, big-endian
inline constexpr int kImageName = 4;
inline constexpr int kImageDate = 12;  // year % 100, month, day
inline constexpr int kImageSum = 15;
inline constexpr int kImageTemplate = 48;
inline constexpr int kImageCrc = 304;
inline constexpr std::uint16_t kNoTemplateCrc = 0xAAAA;

// Kinds 0 and 2 carry the template; the others carry 0xAAAA instead of its CRC-16.
inline bool kind_carries_template(std::uint8_t kind) {
  return kind == 0 || kind == 2;
}

void build_card_image(const VorskRegistryEntry& entry, const std::uint8_t* templ, int kind,
                      std::uint8_t image[kImageBytes]);

// Card 1 (decimal text of the 24-bit number), name and expiry (year + 2000) into entry.
void take_card_image(const std::uint8_t image[kImageBytes], VorskRegistryEntry* entry);

// Sector and block of image block k. The driver gets the start sector as the host gave it;
// a start near the top of the int range wraps instead of overflowing.
inline int image_sector(int start_sector, int k) {
  return static_cast<int>(static_cast<unsigned>(start_sector) +
                          static_cast<unsigned>(k / kBlocksPerSector));
}
inline int image_block(int k) {
  return k % kBlocksPerSector;
}

}  // namespace vorskel::registry
