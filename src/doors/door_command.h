// The door controllers' commands as rows of one table: command code, bytes sent, bytes the
// reply may hold, and where the reply bytes the export reads end (0: only the command code
// is looked at; a reply cut before that end is no usable reply). Exports fill a frame's
// payload with the helpers below and run their row.
#pragma once

#include <cstdint>

#include "transport/frame.h"

namespace vorskel::doors {

struct Command {
  std::uint8_t code;
  int sent;
  int expected;
  int reads = 0;
};

// Sondo and Kappel.
inline constexpr Command kRegistry{12, 34, 34, 34};
inline constexpr Command kOpenRelay{26, 1, 1};
inline constexpr Command kMutexLock{30, 11, 11};
inline constexpr Command kRelayOpenTime{31, 2, 2};
inline constexpr Command kAllStatus{32, 32, 32, 32};
inline constexpr Command kPassBack{33, 2, 2};
inline constexpr Command kTolkaPassword{34, 5, 5};
inline constexpr Command kReaderNeedPassword{35, 4, 4};
inline constexpr Command kSwitch{36, 5, 5, 2};
inline constexpr Command kAlwaysOpenDoor{37, 36, 36};
inline constexpr Command kAttend{38, 4, 4};
inline constexpr Command kDoubleCard{39, 4, 4};
inline constexpr Command kPassBackEx{40, 32, 32};
inline constexpr Command kTimeTable{41, 32, 32};
inline constexpr Command kChangeAddressWend{48, 4, 4, 2};
inline constexpr Command kOpenRelayWend{49, 10, 10};
inline constexpr Command kOpenInterRelay{50, 2, 2};
inline constexpr Command kDeviceParameter{60, 15, protocol::kLongReply};
// The library-wide always-open form of command 37.
inline constexpr Command kAlwaysOpenDoorLong{37, protocol::kLongReply, protocol::kLongReply};
// Lusk.
inline constexpr Command kMasterCard{7, 8, protocol::kLongReply};
inline constexpr Command kLuskRegistry{12, 22, 22, 22};
inline constexpr Command kOnline{23, 0, 128, 32};
// Hesk.
inline constexpr Command kHeskRelay{26, 4, 4};
inline constexpr Command kTextVoice{29, 0, 0};  // sent and expected: the text's length
// Gaddo.
inline constexpr Command kGaddoAck{0, 2, 0};
inline constexpr Command kSetMachine{112, 5, 5, 5};
inline constexpr Command kGetMachine{113, 0, 5, 3};
inline constexpr Command kSetLogic{114, 9, 9, 9};
inline constexpr Command kGetLogic{115, 0, 9, 7};
inline constexpr Command kCloseAlarm{116, 0, 0};

inline constexpr int kFlagRow = 32;
// An input row or text the host did not give: nothing is sent (zeros would reconfigure the
// controller while the host believes its settings went out).
inline constexpr int kMissingInput = -1;  // one flag byte per reader or door 0-31

inline int run(const Command& c, Frame& f, const char* host, int port) {
  return f.exchange(c.sent, c.expected, host, port, c.reads);
}

// The 32-bit mask of count flags (bit i set when flags[i] is not 0); 0 for null flags.
template <class T>
std::uint32_t mask_of(const T* flags, int count) {
  std::uint32_t mask = 0;
  for (int i = 0; flags != nullptr && i < count; ++i)
    if (flags[i] != 0) mask |= 1u << i;
  return mask;
}

// Card text to its 4 bytes: the first 8 hexadecimal digits of at most width characters,
// a text ending early counting as ending in zeros (never read past its terminator).
void put_card_text(Frame& f, int off, const char* text, int width);

// The controller's 16-bit answer at payload bytes 0-1 as a signed number, or the failure.
int signed16_answer(const Frame& f, int off, int result);

}  // namespace vorskel::doors
