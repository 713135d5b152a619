// The main terminal's commands with bad host input: refusals send nothing, clamped and cut
// values go out exactly as the terminal expects them, and no text however long runs past its
// field.
#include <cstring>

#include "faults/bad_input.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using TerminalBadInput = BadInputTest;

const char* seven() {
  return long_text('7').c_str();
}
const auto* seven_bytes() {
  return reinterpret_cast<const unsigned char*>(seven());
}

TEST_F(TerminalBadInput, Table) {
  VorskLateText full{};
  std::memset(full.text, 'L', sizeof full.text);  // all 64 used: no terminator at all
  std::memset(full.spare, 'S', sizeof full.spare);
  run({
      // One-byte settings send the low byte of any value; switches send a flag.
      {"Beep most negative", [](auto h, int p) { return Vorsk_Beep(INT_MIN, h, p); }, 0, 1,
       wire(0x3A, 1, {at(0, "00")})},
      {"SetLanguage largest", [](auto h, int p) { return Vorsk_SetLanguage(INT_MAX, h, p); }, 0, 1,
       wire(0x10, 1, {at(0, "FF")})},
      {"DisableRelay negative", [](auto h, int p) { return Vorsk_DisableRelay(-2, h, p); }, 0, 1,
       wire(0x3C, 1, {at(0, "FE")})},
      {"ID_Mode most negative", [](auto h, int p) { return Vorsk_ID_Mode(INT_MIN, h, p); }, 0, 1,
       wire(0x17, 1, {at(0, "01")})},
      // Relay times: above 255 sent as 255; below, the low byte.
      {"SetRelayTimeOut largest and most negative",
       [](auto h, int p) { return Vorsk_SetRelayTimeOut(INT_MAX, INT_MIN, h, p); }, 0, 1,
       wire(0x11, 2, {at(0, "FF 00")})},
      {"SetRelayTimeOut negative", [](auto h, int p) { return Vorsk_SetRelayTimeOut(-1, 0, h, p); },
       0, 1, wire(0x11, 2, {at(0, "FF 00")})},
      {"Interval largest", [](auto h, int p) { return Vorsk_Interval(INT_MAX, h, p); }, 0, 1,
       wire(0x13, 2, {at(0, "A0 05")})},
      {"Interval most negative", [](auto h, int p) { return Vorsk_Interval(INT_MIN, h, p); }, 0, 1,
       wire(0x13, 2, {at(0, "00 00")})},
      // Texts: cut to their fields.
      {"Kbpsw overlong", [](auto h, int p) { return Vorsk_Kbpsw(seven(), h, p); }, 0, 1,
       wire(0x14, 8, {text_at(0, "77777777")})},
      {"Kbpsw null", [](auto h, int p) { return Vorsk_Kbpsw(nullptr, h, p); }, -1},
      {"Kbpsw empty", [](auto h, int p) { return Vorsk_Kbpsw("", h, p); }, -1},
      {"Comsume_Server overlong", [](auto h, int p) { return Vorsk_Comsume_Server(seven(), h, p); },
       0, 1, wire(0x91, 4, {at(0, "FF FF FF FF")})},
      {"Comsume_Server null", [](auto h, int p) { return Vorsk_Comsume_Server(nullptr, h, p); },
       -1},
      {"Server overlong, most negative number",
       [](auto h, int p) { return Vorsk_Server(seven(), INT_MIN, h, p); }, 0, 1,
       wire(0x3B, 22, {fill_at(0, 15, '7'), at(20, "00 00")})},
      {"Server null", [](auto h, int p) { return Vorsk_Server(nullptr, 1, h, p); }, -1},
      {"SetDevice overlong", [](auto h, int p) { return Vorsk_SetDevice(seven(), -1, h, p); }, 0, 1,
       wire(0x08, 20, {fill_at(0, 8, '7'), at(15, "FF")})},
      {"SetDevice null", [](auto h, int p) { return Vorsk_SetDevice(nullptr, 1, h, p); }, -1},
      {"SetDevice_Ex overlong",
       [](auto h, int p) { return Vorsk_SetDevice_Ex(seven(), INT_MAX, INT_MIN, h, p); }, 0, 1,
       wire(0x08, 20, {fill_at(0, 8, '7'), at(15, "FF 00 00 00 80")})},
      {"SetDevice_Ex null", [](auto h, int p) { return Vorsk_SetDevice_Ex(nullptr, 1, 1, h, p); },
       -1},
      {"IpConfig overlong texts",
       [](auto h, int p) { return Vorsk_IpConfig(seven(), seven(), seven(), seven(), h, p); }, 0, 1,
       wire(0x01, 80,
            {fill_at(0, 19, '7'), fill_at(20, 19, '7'), fill_at(40, 19, '7'),
             fill_at(60, 19, '7')})},
      {"IpConfig null first",
       [](auto h, int p) { return Vorsk_IpConfig(nullptr, "a", "b", "c", h, p); }, -1},
      {"IpConfig null second",
       [](auto h, int p) { return Vorsk_IpConfig("a", nullptr, "b", "c", h, p); }, -1},
      {"IpConfig null third",
       [](auto h, int p) { return Vorsk_IpConfig("a", "b", nullptr, "c", h, p); }, -1},
      {"Logo overlong texts", [](auto h, int p) { return Vorsk_Logo(seven(), seven(), h, p); }, 0,
       1, wire(0x07, 32, {fill_at(0, 32, '7')})},
      {"Logo null first", [](auto h, int p) { return Vorsk_Logo(nullptr, "x", h, p); }, -1},
      {"Logo null second", [](auto h, int p) { return Vorsk_Logo("x", nullptr, h, p); }, -1},
      {"OutGoMessage overlong, most negative number",
       [](auto h, int p) { return Vorsk_OutGoMessage(seven(), INT_MIN, h, p); }, 0, 1,
       wire(0x27, 24, {at(0, "00 00"), fill_at(4, 16, '7'), at(23, "AA")})},
      {"OutGoMessage null", [](auto h, int p) { return Vorsk_OutGoMessage(nullptr, 1, h, p); }, -1},
      // Decimal texts wrap modulo 2^32 however many digits they hold.
      {"OpenDoorPassword 10,000 digits",
       [](auto h, int p) { return Vorsk_OpenDoorPassword(seven(), INT_MAX, h, p); }, 0, 1,
       wire(0x34, 24, {at(0, "FF FF 00 00 71 1C C7 71")})},
      {"OpenDoorPassword null",
       [](auto h, int p) { return Vorsk_OpenDoorPassword(nullptr, 1, h, p); }, -1},
      {"OpenDoorPassword value 0",
       [](auto h, int p) { return Vorsk_OpenDoorPassword("0", 1, h, p); }, -1},
      {"OpenDoorPassword letters only",
       [](auto h, int p) { return Vorsk_OpenDoorPassword("abc", 1, h, p); }, -1},
      {"OpenDoorPassword empty", [](auto h, int p) { return Vorsk_OpenDoorPassword("", 1, h, p); },
       -1},
      // Required buffers and structures.
      {"Money null", [](auto h, int p) { return Vorsk_Money(nullptr, h, p); }, -1},
      {"SET_MasterCard null", [](auto h, int p) { return Vorsk_SET_MasterCard(nullptr, h, p); },
       -1},
      {"MifarePsw_Ptr null", [](auto h, int p) { return Vorsk_MifarePsw_Ptr(nullptr, h, p); }, -1},
      {"OtherSet null, reading", [](auto h, int p) { return Vorsk_OtherSet(nullptr, 0, h, p); },
       -1},
      {"OtherSet null, writing",
       [](auto h, int p) { return Vorsk_OtherSet(nullptr, INT_MIN, h, p); }, -1},
      {"SetTimeTable null", [](auto h, int p) { return Vorsk_SetTimeTable(nullptr, h, p); }, -1},
      {"GetTimeTable null", [](auto h, int p) { return Vorsk_GetTimeTable(nullptr, h, p); }, -1},
      {"SetAlarmClock null", [](auto h, int p) { return Vorsk_SetAlarmClock(nullptr, h, p); }, -1},
      {"GetAlarmClock null", [](auto h, int p) { return Vorsk_GetAlarmClock(nullptr, h, p); }, -1},
      // Meal periods above 3 go as 3; the four values as their low bytes.
      {"RepastTime largest period",
       [](auto h, int p) { return Vorsk_RepastTime(UINT_MAX, INT_MIN, INT_MAX, -1, 256, h, p); }, 0,
       1, wire(0x1F, 5, {at(0, "03 00 FF FF 00")})},
      // A line message: length capped at 16, positions outside the display go to 1, the
      // duration capped at 100000 (a negative one is sent as it is).
      {"RealLineMessage largest length, overlong text",
       [](auto h, int p) {
         return Vorsk_RealLineMessage(seven(), INT_MAX, INT_MAX, INT_MIN, INT_MAX, h, p);
       },
       0, 1,
       wire(0x33, 30, {at(0, "01 00 01 00 10 00"), fill_at(6, 16, '7'), at(26, "A0 86 01 00")})},
      {"RealLineMessage negative positions and duration",
       [](auto h, int p) { return Vorsk_RealLineMessage("ab", 16, -1, -1, 0, h, p); }, 0, 1,
       wire(0x33, 30, {at(0, "01 00 01 00 10 00"), text_at(6, "ab"), at(26, "FF FF FF FF")})},
      {"RealLineMessage most negative length",
       [](auto h, int p) { return Vorsk_RealLineMessage("x", INT_MIN, 1, 1, 1, h, p); }, -1},
      {"RealLineMessage negative length",
       [](auto h, int p) { return Vorsk_RealLineMessage("x", -3, 1, 1, 1, h, p); }, -1},
      {"RealLineMessage length 0",
       [](auto h, int p) { return Vorsk_RealLineMessage("x", 0, 1, 1, 1, h, p); }, -1},
      {"RealLineMessage null",
       [](auto h, int p) { return Vorsk_RealLineMessage(nullptr, 4, 1, 1, 1, h, p); }, -1},
      // Full-screen messages: 64 bytes, or count capped at 384.
      {"RealMessage largest length, overlong text",
       [](auto h, int p) { return Vorsk_RealMessage(seven(), INT_MAX, INT_MIN, h, p); }, 0, 1,
       wire(0x1D, 68, {at(0, "00 00 00 80"), fill_at(4, 64, '7')})},
      {"RealMessage most negative length",
       [](auto h, int p) { return Vorsk_RealMessage("x", INT_MIN, 1, h, p); }, -1},
      {"RealMessage negative length",
       [](auto h, int p) { return Vorsk_RealMessage("x", -1, 1, h, p); }, -1},
      {"RealMessage length 0", [](auto h, int p) { return Vorsk_RealMessage("x", 0, 1, h, p); },
       -1},
      {"RealMessage null", [](auto h, int p) { return Vorsk_RealMessage(nullptr, 4, 1, h, p); },
       -1},
      {"RealMessageEx largest count",
       [](auto h, int p) { return Vorsk_RealMessageEx(seven_bytes(), INT_MAX, -1, h, p); }, 0, 1,
       wire(0x1D, 388, {at(0, "FF FF FF FF"), fill_at(4, 384, '7')})},
      {"RealMessageEx most negative count",
       [](auto h, int p) { return Vorsk_RealMessageEx(seven_bytes(), INT_MIN, 1, h, p); }, -1},
      {"RealMessageEx count 0",
       [](auto h, int p) { return Vorsk_RealMessageEx(seven_bytes(), 0, 1, h, p); }, -1},
      {"RealMessageEx null", [](auto h, int p) { return Vorsk_RealMessageEx(nullptr, 4, 1, h, p); },
       -1},
      // The fixed-layout message: kind above 2 goes as 2; a text using all 64 bytes has no
      // terminator and the spare bytes after it stay home.
      {"LateMessage largest kind, full text",
       [full](auto h, int p) {
         return Vorsk_LateMessage(UINT_MAX, INT_MIN, -1, 256, -1, INT_MAX, INT_MIN, full, h, p);
       },
       0, 1,
       wire(0x1E, 77,
            {at(0, "02"), fill_at(1, 64, 'L'), at(65, "00 00 00 80 FF FF FF FF 00 FF FF 00")})},
  });
}

}  // namespace
}  // namespace vorskel::testing
