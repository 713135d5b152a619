// Single- and two-door controllers with bad host input: operations, reader numbers, relay
// times, door rows and texts.
#include <cstring>

#include "faults/bad_input.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using DoorsBadInput = EchoBadInputTest;

const char* seven() {
  return long_text('7').c_str();
}

unsigned char g_out[64 * 74];
unsigned char g_ff[32];
unsigned char g_bytes[32];
SondoRegistration g_sondo{};
LuskRegistration g_lusk{};

const PagedExport kPaged[] = {
    {"Sondo_Record", Sondo_Record},
    {"Sondo_Record_ex", Sondo_Record_ex},
    {"Sondo_RecordAll", Sondo_RecordAll},
    {"Lusk_Record", Lusk_Record},
};

TEST_F(DoorsBadInput, Table) {
  std::memset(g_ff, 0xFF, sizeof g_ff);
  std::vector<BadInput> rows;
  add_page_refusals(rows, kPaged, g_out);
  for (int op : {0, 4, -1, INT_MIN, INT_MAX}) {
    rows.push_back({"Sondo_Registry bad operation",
                    [op](auto h, int p) { return Sondo_Registry(&g_sondo, op, h, p); }, -1});
    rows.push_back({"Lusk_Registry bad operation",
                    [op](auto h, int p) { return Lusk_Registry(&g_lusk, op, h, p); }, -1});
  }
  for (const char* card : {"", "1234567", "123456789", static_cast<const char*>(nullptr), seven()})
    rows.push_back({"Lusk_Master_Card not 8 characters",
                    [card](auto h, int p) { return Lusk_Master_Card(card, h, p); }, -1});
  const std::vector<BadInput> others = {
      {"Sondo_Registry null", [](auto h, int p) { return Sondo_Registry(nullptr, 1, h, p); }, -1},
      {"Lusk_Registry null", [](auto h, int p) { return Lusk_Registry(nullptr, 1, h, p); }, -1},
      // Interlock values above 31 (unsigned) go as 0xFF.
      {"MutexLock extreme values",
       [](auto h, int p) {
         return Sondo_MutexLock(INT_MIN, UINT_MAX, 31, 32, 0x80000000u, 0, 0, 0, 0, 0, 0, h, p);
       },
       0, 1, wire(0x1E, 11, {at(0, "00 FF 1F FF FF")})},
      // Relay times above 255 go as 255, negative ones as their low byte.
      {"Kappel_RelayOpenTime extremes",
       [](auto h, int p) { return Kappel_RelayOpenTime(INT_MAX, INT_MIN, h, p); }, 0, 1,
       wire(0x1F, 2, {at(0, "FF 00")})},
      {"Sondo_RelayOpenTime negative",
       [](auto h, int p) { return Sondo_RelayOpenTime(-1, 256, h, p); }, 0, 1,
       wire(0x1F, 2, {at(0, "FF FF")})},
      // Reader numbers above 8 go as 8; the password wraps modulo 2^32; no digits: 0.
      {"SetTolkaPsw largest reader, 10,000 digits",
       [](auto h, int p) { return Sondo_SetTolkaPsw(INT_MAX, seven(), h, p); }, 0, 1,
       wire(0x22, 5, {at(0, "08 71 1C C7 71")})},
      {"SetTolkaPsw most negative reader, null password",
       [](auto h, int p) { return Sondo_SetTolkaPsw(INT_MIN, nullptr, h, p); }, 0, 1,
       wire(0x22, 5)},
      // Switch values capped at 2 and 200; the echo of 00 02 reads as 512.
      {"Switch extremes",
       [](auto h, int p) { return Sondo_Switch(INT_MIN, INT_MAX, INT_MAX, INT_MIN, -1, h, p); },
       512, 1, wire(0x24, 5, {at(0, "00 02 C8 00 FF")})},
      // a x 256 + b modulo 65536, with no overflow for any int.
      {"AlwaysOpenDoor extremes",
       [](auto h, int p) {
         return Sondo_AlwaysOpenDoor(g_bytes, INT_MAX, INT_MAX, INT_MIN, INT_MIN, h, p);
       },
       0, 1, wire(0x25, 36, {at(32, "FF FE 00 00")})},
      {"Vorskel_AlwaysOpenDoor extremes",
       [](auto h, int p) {
         const int first[2] = {INT_MAX, INT_MAX}, second[2] = {INT_MIN, -1};
         return Vorskel_AlwaysOpenDoor(first, second, h, p);
       },
       0, 1, wire(0x25, 131, {at(0, "FF FE FF FF")})},
      {"Vorskel_AlwaysOpenDoor null first",
       [](auto h, int p) {
         const int pair[2] = {1, 2};
         return Vorskel_AlwaysOpenDoor(nullptr, pair, h, p);
       },
       -1},
      {"Vorskel_AlwaysOpenDoor null second",
       [](auto h, int p) {
         const int pair[2] = {1, 2};
         return Vorskel_AlwaysOpenDoor(pair, nullptr, h, p);
       },
       -1},
      // Door rows: values above 2 go as 0, above 15 as 0xFF.
      {"PassBackEx all 0xFF", [](auto h, int p) { return Sondo_PassBackEx(g_ff, h, p); }, 0, 1,
       wire(0x28, 32)},
      {"DeviceTimeTable all 0xFF", [](auto h, int p) { return Sondo_DeviceTimeTable(g_ff, h, p); },
       0, 1, wire(0x29, 32, {fill_at(0, 32, 0xFF)})},
      {"PassBackEx null", [](auto h, int p) { return Sondo_PassBackEx(nullptr, h, p); }, -1},
      {"DeviceTimeTable null", [](auto h, int p) { return Sondo_DeviceTimeTable(nullptr, h, p); },
       -1},
      {"ReaderNeedPsw null", [](auto h, int p) { return Sondo_ReaderNeedPsw(nullptr, h, p); }, -1},
      {"Attend null", [](auto h, int p) { return Sondo_Attend(nullptr, h, p); }, -1},
      {"DoubleCard null", [](auto h, int p) { return Sondo_DoubleCard(nullptr, h, p); }, -1},
      {"AlwaysOpenDoor null",
       [](auto h, int p) { return Sondo_AlwaysOpenDoor(nullptr, 1, 2, 3, 4, h, p); }, -1},
      {"DeviceParameter null",
       [](auto h, int p) { return Sondo_DeviceParameter(INT_MIN, nullptr, h, p); }, -1},
      {"Hesk_Relay null", [](auto h, int p) { return Hesk_Relay(nullptr, h, p); }, -1},
      // The Wend board: 16-bit numbers; the card text is looked at for 31 characters only.
      {"ChangeAddressWend extremes",
       [](auto h, int p) { return Kappel_ChangeAddressWend(INT_MIN, INT_MAX, h, p); }, 0, 1,
       wire(0x30, 4, {at(0, "00 00 FF FF")})},
      {"OpenRelayWend overlong card",
       [](auto h, int p) { return Kappel_OpenRelayWend(INT_MIN, seven(), UINT_MAX, h, p); }, 0, 1,
       wire(0x31, 10, {at(0, "00 00 77 77 77 77 FF FF FF FF")})},
      {"OpenRelayWend null card",
       [](auto h, int p) { return Kappel_OpenRelayWend(1, nullptr, 0, h, p); }, -1},
      // Text to voice: at most 128 bytes; a negative length or null bytes send none.
      {"TextVoice largest length",
       [](auto h, int p) {
         return Hesk_TextVoice(reinterpret_cast<const unsigned char*>(seven()), INT_MAX, h, p);
       },
       0, 1, wire(0x1D, 128, {fill_at(0, 128, '7')})},
      {"TextVoice most negative length",
       [](auto h, int p) {
         return Hesk_TextVoice(reinterpret_cast<const unsigned char*>(seven()), INT_MIN, h, p);
       },
       0, 1, wire(0x1D, 0)},
      {"TextVoice null bytes", [](auto h, int p) { return Hesk_TextVoice(nullptr, 5, h, p); }, 0, 1,
       wire(0x1D, 0)},
      // A raw page beyond the area reads page 512.
      {"Sondo_RecordAll largest page",
       [](auto h, int p) { return Sondo_RecordAll(g_out, INT_MAX, h, p); }, 0, 1,
       wire(0x04, 4, {at(0, "00 00 04 00")})},
      // Gaddo: a null byte pointer or port pointer gives -2 with nothing sent.
      {"Gaddo_Ack null bytes", [](auto h, int p) { return Gaddo_Ack(nullptr, h, &p); }, -2},
      {"Gaddo_Ack null port", [](auto h, int) { return Gaddo_Ack(g_bytes, h, nullptr); }, -2},
      {"Gaddo_SetMchine null bytes", [](auto h, int p) { return Gaddo_SetMchine(nullptr, h, &p); },
       -2},
      {"Gaddo_SetLogic null port", [](auto h, int) { return Gaddo_SetLogic(g_bytes, h, nullptr); },
       -2},
      {"Gaddo_GetMchine null port",
       [](auto h, int) { return Gaddo_GetMchine(g_bytes, h, nullptr); }, -2},
      {"Gaddo_GetLogic null bytes", [](auto h, int p) { return Gaddo_GetLogic(nullptr, h, &p); },
       -2},
      {"Gaddo_CloseAlarm null port", [](auto h, int) { return Gaddo_CloseAlarm(h, nullptr); }, -2},
  };
  rows.insert(rows.end(), others.begin(), others.end());
  run(rows);
}

}  // namespace
}  // namespace vorskel::testing
