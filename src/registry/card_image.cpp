#include "registry/card_image.h"

#include <cstdio>
#include <cstring>

#include "registry/fingerprint_template.h"
#include "registry/registration_entry.h"
#include "transport/codecs.h"

namespace vorskel::registry {

void build_card_image(const VorskRegistryEntry& entry, const std::uint8_t* templ, int kind,
                      std::uint8_t image[kImageBytes]) {
  std::memset(image, 0, kImageBytes);
  const auto k = static_cast<std::uint8_t>(kind);
  image[kImageKind] = k;
  const std::uint32_t card = decimal_card(entry.card1);  // bits above 24 are dropped
  image[kImageCard] = static_cast<std::uint8_t>(card >> 16);
  image[kImageCard + 1] = static_cast<std::uint8_t>(card >> 8);
  image[kImageCard + 2] = static_cast<std::uint8_t>(card);
  Frame name(0);  // the name goes through the same conversion as on the wire
  put_name(name, 0, entry);
  name.get_bytes(0, image + kImageName, kNameLen);
  image[kImageDate] = static_cast<std::uint8_t>(entry.year % 100);
  image[kImageDate + 1] = static_cast<std::uint8_t>(entry.month);
  image[kImageDate + 2] = static_cast<std::uint8_t>(entry.day);
  std::uint8_t sum = 0;
  for (int i = 0; i < kImageSum; ++i) sum = static_cast<std::uint8_t>(sum + image[i]);
  image[kImageSum] = sum;
  std::uint16_t crc = kNoTemplateCrc;
  if (kind_carries_template(k)) {
    if (templ != nullptr) std::memcpy(image + kImageTemplate, templ, kTemplateBytes);
    crc = template_crc(image + kImageTemplate);
  }
  image[kImageCrc] = static_cast<std::uint8_t>(crc);
  image[kImageCrc + 1] = static_cast<std::uint8_t>(crc >> 8);
}

void take_card_image(const std::uint8_t image[kImageBytes], VorskRegistryEntry* entry) {
  const unsigned long card = (static_cast<unsigned long>(image[kImageCard]) << 16) |
                             (image[kImageCard + 1] << 8) | image[kImageCard + 2];
  char text[12];
  std::snprintf(text, sizeof text, "%lu", card);
  write_entry_text(entry, kEntryCard1, text);
  std::memcpy(entry->name, image + kImageName, kNameLen);
  entry->year = image[kImageDate] + 2000;
  entry->month = image[kImageDate + 1];
  entry->day = image[kImageDate + 2];
}

}  // namespace vorskel::registry
