// The checksums and card-number helpers hosts share with the library.
#include "transport/codecs.h"
#include "transport/crc16.h"
#include "vorskel.h"

extern "C" {

VORSKEL_API unsigned short VORSKEL_CALL CalculateCRC16(int length, const unsigned char* data) {
  if (length <= 0 || data == nullptr) return 0;
  return vorskel::crc16(data, static_cast<std::size_t>(length));
}

VORSKEL_API unsigned char VORSKEL_CALL CalculateCRC8(int length, const unsigned char* data) {
  if (length <= 0 || data == nullptr) return 0;
  return vorskel::crc8(data, static_cast<std::size_t>(length));
}

VORSKEL_API void VORSKEL_CALL bcd(const char* text, unsigned char* out, int count) {
  if (text == nullptr || out == nullptr) return;
  // out holds count / 2 bytes: a lone last digit of an odd count has no byte to go to.
  vorskel::hex_text_to_bytes(text, out, count - count % 2);
}

VORSKEL_API void VORSKEL_CALL _calc_psw(const unsigned char* serial, const unsigned char* key,
                                        unsigned char* out) {
  if (serial == nullptr || key == nullptr || out == nullptr) return;
  vorskel::card_key(serial, key, out);
}

}  // extern "C"
