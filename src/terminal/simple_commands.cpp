// The main terminal's simple commands: one short fixed request each, the reply checked only
// for its command code. Values the terminal cannot hold are clamped, not refused.
#include "terminal/simple_commands.h"

#include "terminal/command_family.h"
#include "vorskel.h"

namespace vorskel::family {
namespace {

namespace code = protocol::code;

constexpr std::uint8_t kClearAll = code::kClear;  // one code, three sub-commands
constexpr std::uint8_t kClearRecords = 1;
constexpr std::uint8_t kClearToZeroPoint = 2;
constexpr std::uint8_t kClearRegistrations = 3;

constexpr std::uint32_t kMaxRelayTime = 255;
constexpr std::uint32_t kMaxIntervalMinutes = 1440;  // one day
constexpr int kKeypadPasswordChars = 8;
constexpr int kMoneyBytes = 16;
constexpr int kMasterCardBytes = 8;
constexpr int kServerTextChars = 15;
constexpr int kLongReply = protocol::kLongReply;  // what the terminal may answer these two with

constexpr Command kSetTime = command(code::kSetTime, 7, 7, local_clock_at(0));
constexpr Command kReset = command(code::kReset, 0, 0);
constexpr Command kInitParameter = command(code::kInitParameter, 0, 0);
constexpr Command kClearRecord = command(kClearAll, 1, 1, fixed(0, kClearRecords));
constexpr Command kClearRecordZeroPoint = command(kClearAll, 1, 1, fixed(0, kClearToZeroPoint));
constexpr Command kClearRegistry = command(kClearAll, 1, 1, fixed(0, kClearRegistrations));
constexpr Command kBeep = command(code::kBeep, 1, 1, byte_at(0, kArg0));
constexpr Command kSetLanguage = command(code::kSetLanguage, 1, 1, byte_at(0, kArg0));
constexpr Command kSetRelayTimeOut =
    command(code::kSetRelayTimeOut, 2, 2, at_most8(0, kArg0, kMaxRelayTime),
            at_most8(1, kArg1, kMaxRelayTime));
constexpr Command kInterval =
    command(code::kInterval, 2, 2, at_most16(0, kArg0, kMaxIntervalMinutes));
constexpr Command kKbpsw =
    command(code::kKeypadPassword, kSized, kSized, sized_text_at(0, kKeypadPasswordChars, kArg0));
constexpr Command kIdMode = command(code::kIdMode, 1, 1, flag_at(0, kArg0));
constexpr Command kBackLight = command(code::kBackLight, 1, 1, flag_at(0, kArg0));
constexpr Command kMoney =
    command(code::kMoney, kMoneyBytes, kMoneyBytes, bytes_at(0, kMoneyBytes, kArg0));
constexpr Command kDisableRelay = command(code::kDisableRelay, 1, kLongReply, byte_at(0, kArg0));
constexpr Command kEnDisplayName = command(code::kEnDisplayName, 1, 1, byte_at(0, kArg0));
constexpr Command kSetDeviceType = command(code::kSetDeviceType, 1, 1, byte_at(0, kArg0));
constexpr Command kSetConsumeType = command(code::kSetConsumeType, 1, 1, byte_at(0, kArg0));
constexpr Command kSetInterBase = command(code::kSetInterBase, 1, 1, byte_at(0, kArg0));
constexpr Command kSetMasterCard = command(code::kSetMasterCard, kMasterCardBytes, kMasterCardBytes,
                                           bytes_at(0, kMasterCardBytes, kArg0));
constexpr Command kEnPrint = command(code::kEnPrint, 1, 1, byte_at(0, kArg0));
constexpr Command kConsumeServer = command(code::kConsumeServer, 4, 4, ipv4_at(0, kArg0));
constexpr Command kServer =
    command(code::kServer, 22, kLongReply, text_at(0, kServerTextChars, kArg0), u16_at(20, kArg1));

}  // namespace

int set_time(const char* host, int port) {
  return run(kSetTime, host, port, {});
}
int clear_records(const char* host, int port) {
  return run(kClearRecord, host, port, {});
}

}  // namespace vorskel::family

using vorskel::family::run;
namespace f = vorskel::family;

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_SetTime(const char* host, int port) {
  return f::set_time(host, port);
}
VORSKEL_API int VORSKEL_CALL Vorsk_Reset(const char* host, int port) {
  return run(f::kReset, host, port, {});
}
VORSKEL_API int VORSKEL_CALL Vorsk_InitParameter(const char* host, int port) {
  return run(f::kInitParameter, host, port, {});
}
VORSKEL_API int VORSKEL_CALL Vorsk_ClearRecord(const char* host, int port) {
  return f::clear_records(host, port);
}
VORSKEL_API int VORSKEL_CALL Vorsk_ClearRecordZeroPoint(const char* host, int port) {
  return run(f::kClearRecordZeroPoint, host, port, {});
}
VORSKEL_API int VORSKEL_CALL Vorsk_ClearRegistry(const char* host, int port) {
  return run(f::kClearRegistry, host, port, {});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Beep(int value, const char* host, int port) {
  return run(f::kBeep, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetLanguage(int value, const char* host, int port) {
  return run(f::kSetLanguage, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetRelayTimeOut(int first, int second, const char* host,
                                                   int port) {
  return run(f::kSetRelayTimeOut, host, port, {first, second});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Interval(int minutes, const char* host, int port) {
  return run(f::kInterval, host, port, {minutes});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Kbpsw(const char* password, const char* host, int port) {
  return run(f::kKbpsw, host, port, {password});
}
VORSKEL_API int VORSKEL_CALL Vorsk_ID_Mode(int on, const char* host, int port) {
  return run(f::kIdMode, host, port, {on});
}
VORSKEL_API int VORSKEL_CALL Vorsk_BackLight(int on, const char* host, int port) {
  return run(f::kBackLight, host, port, {on});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Money(const unsigned char* bytes16, const char* host, int port) {
  return run(f::kMoney, host, port, {bytes16});
}
VORSKEL_API int VORSKEL_CALL Vorsk_DisableRelay(int value, const char* host, int port) {
  return run(f::kDisableRelay, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_EN_DisplayName(int value, const char* host, int port) {
  return run(f::kEnDisplayName, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SET_DeviceType(int value, const char* host, int port) {
  return run(f::kSetDeviceType, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SET_ConsumeType(int value, const char* host, int port) {
  return run(f::kSetConsumeType, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SET_Inter_Base(int value, const char* host, int port) {
  return run(f::kSetInterBase, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SET_MasterCard(const unsigned char* card8, const char* host,
                                                  int port) {
  return run(f::kSetMasterCard, host, port, {card8});
}
VORSKEL_API int VORSKEL_CALL Vorsk_EN_Print(int value, const char* host, int port) {
  return run(f::kEnPrint, host, port, {value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Comsume_Server(const char* address, const char* host, int port) {
  return run(f::kConsumeServer, host, port, {address});
}
VORSKEL_API int VORSKEL_CALL Vorsk_Server(const char* address, int number, const char* host,
                                          int port) {
  return run(f::kServer, host, port, {address, number});
}

}  // extern "C"
