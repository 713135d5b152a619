#include "doors/door_command.h"

#include <cstring>

#include "transport/codecs.h"

namespace vorskel::doors {

namespace {
constexpr int kCardBytes = 4;
}  // namespace

void put_card_text(Frame& f, int off, const char* text, int width) {
  std::uint8_t card[kCardBytes];
  hex_prefix_to_bytes(text, width, card, kCardBytes);
  f.put_bytes(off, card, kCardBytes);
}

int signed16_answer(const Frame& f, int off, int result) {
  return result != kOk ? result : static_cast<std::int16_t>(f.get16(off));
}

}  // namespace vorskel::doors
