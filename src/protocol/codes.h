// The protocol's shared names: result codes, command codes, reply sizes and registration
// operations, in one place for the library, the simulator and the tests. Payload offsets are
// not here: the simulator keeps its own, so that it checks the library's independently.
// Depends on nothing but <cstdint>, so the simulator can include it without the library.
#pragma once

#include <cstdint>

namespace vorskel::protocol {

// ---- results --------------------------------------------------------------------------

// Every device function passes these on unchanged.
inline constexpr int kOk = 0;
inline constexpr int kSendFailed = -20;  // unresolvable host, no socket, or send refused
inline constexpr int kNoReply = -21;     // time-out, receive failure, or over-long reply
inline constexpr int kWrongCode = -22;   // a reply with another command code (left in frame)

// What a function returns, before any exchange, for an argument it cannot send (a missing
// text or buffer, an empty text, a length or count of 0 or less), and the end of paged data.
inline constexpr int kBadArgument = -1;
// The multi-door controller's registrations and settings: the controller refused the
// request (status byte) or did not echo what it was sent.
inline constexpr int kNotAccepted = -2;

// ---- reply sizes ----------------------------------------------------------------------

// The long acknowledgement: the payload many settings of the main, payment and door
// terminals are answered with, and the most a host may send in one loop-record command.
inline constexpr int kLongReply = 131;
// The record counters and record pointers (commands 11 and 18).
inline constexpr int kCounterReply = 32;

// ---- registration operations ----------------------------------------------------------

// The operation field of every registration command (main, payment, door and multi-door
// terminals): the terminal answers with the same value when it did it.
enum RegistrationOp : int {
  kStore = 1,     // store the whole entry
  kCardOnly = 2,  // only the card travels: remove it (the multi-door controller passes it on)
  kReadBack = 3,  // read the stored entry back
};
inline constexpr bool valid_registration_op(int op) {
  return op >= kStore && op <= kReadBack;
}

// ---- command codes of the main terminal -----------------------------------------------

namespace code {
enum Code : std::uint8_t {
  kReset = 0x02,
  kSetTime = 0x03,
  kReadFlashPage = 0x04,
  kGetTotal = 11,
  kRegistration = 12,
  kClear = 15,  // records, records to the zero point, registrations
  kSetLanguage = 0x10,
  kSetRelayTimeOut = 0x11,
  kInterval = 0x13,
  kKeypadPassword = 0x14,
  kInitParameter = 0x16,
  kIdMode = 0x17,
  kGetPoint = 18,
  kBackLight = 0x20,
  kMoney = 0x24,
  kBeep = 0x3A,
  kServer = 0x3B,
  kDisableRelay = 0x3C,
  kConsumeServer = 0x91,
  kEnDisplayName = 0xB0,  // 176
  kSetDeviceType = 0xB1,
  kSetConsumeType = 0xB2,
  kSetInterBase = 0xB3,
  kSetMasterCard = 0xB4,
  kEnPrint = 0xB6,
};
}  // namespace code

}  // namespace vorskel::protocol
