// Controller-wide commands the controller does not echo: print information and the serial
// port settings; and the GPRS call hosts still link but the controller has no command for.
#include <cstdint>

#include "multidoor/echo_check.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

constexpr std::uint8_t kSetPrintInfo = 89;
constexpr int kPrintInfoAt = 2;  // bytes 0-1 travel as 0
constexpr int kPrintInfoBytes = 42;

int set_print_info(const unsigned char* info, const char* host, int port) {
  if (info == nullptr) return kBadArgument;
  Frame f(kSetPrintInfo);
  f.put_bytes(kPrintInfoAt, info, kPrintInfoBytes);
  constexpr int kLength = kPrintInfoAt + kPrintInfoBytes;
  return f.exchange(kLength, kLength, host, port);
}

constexpr std::uint8_t kComUseType = 105;
constexpr int kComUseTypeLength = 2;

int com_use_type(int portByte, int useByte, const char* host, int port) {
  Frame f(kComUseType);
  f.put8(0, static_cast<std::uint32_t>(portByte));
  f.put8(1, static_cast<std::uint32_t>(useByte));
  return f.exchange(kComUseTypeLength, kComUseTypeLength, host, port);
}

constexpr std::uint8_t kComInputFormat = 104;
constexpr int kSerialPorts = 2;
constexpr int kFormatBytes = 4;

int com_input_format(int portByte, const int (&format)[kFormatBytes], const char* host, int port) {
  // The port travels as one byte, so only its low byte is checked (as a signed byte).
  if (!in_range(static_cast<std::int8_t>(portByte), 0, kSerialPorts - 1)) return kBadArgument;
  Frame f(kComInputFormat);
  f.put8(0, static_cast<std::uint32_t>(portByte));
  for (int i = 0; i < kFormatBytes; ++i) f.put8(1 + i, static_cast<std::uint32_t>(format[i]));
  constexpr int kLength = 1 + kFormatBytes;
  return f.exchange(kLength, kLength, host, port);
}

}  // namespace
}  // namespace vorskel::multidoor

using namespace vorskel::multidoor;

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_SetPrintInfo(const unsigned char* info, const char* host,
                                                 int port) {
  return set_print_info(info, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_Com_Usetype(int portByte, int useByte, const char* host,
                                                int port) {
  return com_use_type(portByte, useByte, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_Com_InputFormat(int portByte, int format1, int format2,
                                                    int format3, int format4, const char* host,
                                                    int port) {
  return com_input_format(portByte, {format1, format2, format3, format4}, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetGPRSInfo(int, int, int) {
  return 0;
}

}  // extern "C"
