// The multi-door controller with bad host input: channel numbers and table indexes are
// checked as signed numbers before anything is sent, null tables and buffers are refused,
// and clamped segment values go out as documented.
#include <cstring>

#include "faults/bad_input.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using MultidoorBadInput = EchoBadInputTest;

int g_ints[224];
unsigned char g_bytes[200];
char g_text[32] = "12345678";
FerrinRecordEntry g_entries[64];
FerrinDoorRegistration g_regs[32];
int g_count = 0;

using ChannelCall = int (*)(int, const char*, int);
using TableCall = int (*)(int*, int, const char*, int);

FerrinDoorRegistration single(int mode, int index) {
  FerrinDoorRegistration e{};
  std::strcpy(e.card1, "12345678");
  std::strcpy(e.card2, "87654321");
  std::strcpy(e.password, "123456");
  std::memset(e.doors, '1', 24);
  e.mode = mode;
  e.index = index;
  e.year = 2010;
  e.month = 1;
  e.day = 1;
  return e;
}

TEST_F(MultidoorBadInput, Table) {
  std::vector<BadInput> rows;
  // Channels are 0..23.
  for (int ch : {-1, 24, INT_MIN, INT_MAX}) {
    for (ChannelCall call : {Ferrin_Open, Ferrin_OpenAlways, Ferrin_Close, Ferrin_ClearAlarm})
      rows.push_back({"channel action, bad channel",
                      [call, ch](auto h, int p) { return call(ch, h, p); }, -1});
    rows.push_back({"SetWayAlarm bad channel",
                    [ch](auto h, int p) { return Ferrin_SetWayAlarm(g_bytes, ch, h, p); }, -1});
    rows.push_back({"GetWayAlarm bad channel",
                    [ch](auto h, int p) { return Ferrin_GetWayAlarm(g_bytes, ch, h, p); }, -1});
    rows.push_back({"SetWayPass bad channel",
                    [ch](auto h, int p) { return Ferrin_SetWayPass(g_bytes, ch, h, p); }, -1});
    rows.push_back({"GetWayPass bad channel",
                    [ch](auto h, int p) { return Ferrin_GetWayPass(g_bytes, ch, h, p); }, -1});
    rows.push_back({"SetWayLock bad channel",
                    [ch](auto h, int p) { return Ferrin_SetWayLock(g_text, ch, h, p); }, -1});
    rows.push_back({"GetWayLock bad channel",
                    [ch](auto h, int p) { return Ferrin_GetWayLock(g_text, ch, h, p); }, -1});
    rows.push_back({"SetWayTimeSeg bad channel",
                    [ch](auto h, int p) { return Ferrin_SetWayTimeSeg(g_ints, ch, h, p); }, -1});
    rows.push_back({"GetWayTimeSeg bad channel",
                    [ch](auto h, int p) { return Ferrin_GetWayTimeSeg(g_ints, ch, h, p); }, -1});
    rows.push_back({"SetDoorOpenPsw bad channel",
                    [ch](auto h, int p) { return Ferrin_SetDoorOpenPsw(g_text, ch, h, p); }, -1});
    rows.push_back({"GetDoorOpenPsw bad channel",
                    [ch](auto h, int p) { return Ferrin_GetDoorOpenPsw(g_text, ch, h, p); }, -1});
  }
  // Table indexes: week and holiday door tables 0..7, holidays 0..19, linkage groups 0..1.
  for (int index : {-1, 8, INT_MIN, INT_MAX}) {
    for (TableCall call : {Ferrin_SetTimeTable, Ferrin_GetTimeTable, Ferrin_SetOpenTimeTable,
                           Ferrin_GetOpenTimeTable, Ferrin_GetHolidayDoorTable})
      rows.push_back({"week table bad index",
                      [call, index](auto h, int p) { return call(g_ints, index, h, p); }, -1});
    rows.push_back(
        {"SetHolidayDoorTable bad index",
         [index](auto h, int p) { return Ferrin_SetHolidayDoorTable(g_ints, index, h, p); }, -1});
  }
  for (int index : {-1, 20, INT_MIN, INT_MAX}) {
    rows.push_back({"SetHolidayTable bad index",
                    [index](auto h, int p) { return Ferrin_SetHolidayTable(g_ints, index, h, p); },
                    -1});
    rows.push_back({"GetHolidayTable bad index",
                    [index](auto h, int p) { return Ferrin_GetHolidayTable(g_ints, index, h, p); },
                    -1});
  }
  for (int index : {-1, 2, INT_MIN, INT_MAX}) {
    rows.push_back({"SetWayConnect bad index",
                    [index](auto h, int p) { return Ferrin_SetWayConnect(g_ints, index, h, p); },
                    -1});
    rows.push_back({"GetWayConnect bad index",
                    [index](auto h, int p) { return Ferrin_GetWayConnect(g_ints, index, h, p); },
                    -1});
  }
  // Registrations: operations 1..3, modes 10..13, indexes 0..15.
  for (int op : {0, 4, -1, INT_MIN, INT_MAX}) {
    rows.push_back({"Single bad operation",
                    [op](auto h, int p) {
                      auto e = single(10, 0);
                      return Ferrin_Single(&e, h, p, op);
                    },
                    -1});
    rows.push_back({"Double bad operation",
                    [op](auto h, int p) {
                      auto e = single(10, 0);
                      return Ferrin_Double(&e, h, p, op);
                    },
                    -1});
    rows.push_back({"REG_WEIGEN66 bad operation",
                    [op](auto h, int p) {
                      auto e = single(10, 0);
                      return Ferrin_REG_WEIGEN66(&e, h, p, op);
                    },
                    -1});
  }
  for (int mode : {9, 14, INT_MIN, INT_MAX})
    rows.push_back({"Single bad mode",
                    [mode](auto h, int p) {
                      auto e = single(mode, 0);
                      return Ferrin_Single(&e, h, p, 1);
                    },
                    -1});
  for (int index : {-1, 16, INT_MIN, INT_MAX})
    rows.push_back({"Single bad index",
                    [index](auto h, int p) {
                      auto e = single(10, index);
                      return Ferrin_Single(&e, h, p, 1);
                    },
                    -1});
  // Null tables, buffers and structures: -1, nothing sent.
  const std::vector<BadInput> others = {
      {"SetTimeTable null", [](auto h, int p) { return Ferrin_SetTimeTable(nullptr, 0, h, p); },
       -1},
      {"GetTimeTable null", [](auto h, int p) { return Ferrin_GetTimeTable(nullptr, 0, h, p); },
       -1},
      {"SetOpenTimeTable null",
       [](auto h, int p) { return Ferrin_SetOpenTimeTable(nullptr, 0, h, p); }, -1},
      {"GetOpenTimeTable null",
       [](auto h, int p) { return Ferrin_GetOpenTimeTable(nullptr, 0, h, p); }, -1},
      {"SetHolidayTable null",
       [](auto h, int p) { return Ferrin_SetHolidayTable(nullptr, 0, h, p); }, -1},
      {"GetHolidayTable null",
       [](auto h, int p) { return Ferrin_GetHolidayTable(nullptr, 0, h, p); }, -1},
      {"SetHolidayDoorTable null",
       [](auto h, int p) { return Ferrin_SetHolidayDoorTable(nullptr, 0, h, p); }, -1},
      {"GetHolidayDoorTable null",
       [](auto h, int p) { return Ferrin_GetHolidayDoorTable(nullptr, 0, h, p); }, -1},
      {"GetStatus null", [](auto h, int p) { return Ferrin_GetStatus(nullptr, h, p); }, -1},
      {"SetWayAlarm null", [](auto h, int p) { return Ferrin_SetWayAlarm(nullptr, 0, h, p); }, -1},
      {"GetWayAlarm null", [](auto h, int p) { return Ferrin_GetWayAlarm(nullptr, 0, h, p); }, -1},
      {"SetWayPass null", [](auto h, int p) { return Ferrin_SetWayPass(nullptr, 0, h, p); }, -1},
      {"GetWayPass null", [](auto h, int p) { return Ferrin_GetWayPass(nullptr, 0, h, p); }, -1},
      {"SetWayLock null", [](auto h, int p) { return Ferrin_SetWayLock(nullptr, 0, h, p); }, -1},
      {"GetWayLock null", [](auto h, int p) { return Ferrin_GetWayLock(nullptr, 0, h, p); }, -1},
      {"SetWayTimeSeg null", [](auto h, int p) { return Ferrin_SetWayTimeSeg(nullptr, 0, h, p); },
       -1},
      {"GetWayTimeSeg null", [](auto h, int p) { return Ferrin_GetWayTimeSeg(nullptr, 0, h, p); },
       -1},
      {"SetDoorOpenPsw null", [](auto h, int p) { return Ferrin_SetDoorOpenPsw(nullptr, 0, h, p); },
       -1},
      {"GetDoorOpenPsw null", [](auto h, int p) { return Ferrin_GetDoorOpenPsw(nullptr, 0, h, p); },
       -1},
      {"SetWayConnect null", [](auto h, int p) { return Ferrin_SetWayConnect(nullptr, 0, h, p); },
       -1},
      {"GetWayConnect null", [](auto h, int p) { return Ferrin_GetWayConnect(nullptr, 0, h, p); },
       -1},
      {"SetWayTimer null", [](auto h, int p) { return Ferrin_SetWayTimer(nullptr, h, p); }, -1},
      {"GetWayTimer null", [](auto h, int p) { return Ferrin_GetWayTimer(nullptr, h, p); }, -1},
      {"SetDoorAlarmPsw null", [](auto h, int p) { return Ferrin_SetDoorAlarmPsw(nullptr, h, p); },
       -1},
      {"GetDoorAlarmPsw null", [](auto h, int p) { return Ferrin_GetDoorAlarmPsw(nullptr, h, p); },
       -1},
      {"SetMapTable null", [](auto h, int p) { return Ferrin_SetMapTable(nullptr, h, p); }, -1},
      {"GetMapTable null", [](auto h, int p) { return Ferrin_GetMapTable(nullptr, h, p); }, -1},
      {"SetPrintInfo null", [](auto h, int p) { return Ferrin_SetPrintInfo(nullptr, h, p); }, -1},
      {"Single null", [](auto h, int p) { return Ferrin_Single(nullptr, h, p, 1); }, -1},
      {"Double null", [](auto h, int p) { return Ferrin_Double(nullptr, h, p, 1); }, -1},
      {"REG_WEIGEN66 null", [](auto h, int p) { return Ferrin_REG_WEIGEN66(nullptr, h, p, 1); },
       -1},
      // Paged downloads: negative pages and null buffers end the download at once.
      {"ReadRecord negative page",
       [](auto h, int p) { return Ferrin_ReadRecord(g_entries, -1, h, p, &g_count); }, -1},
      {"ReadRecord most negative page",
       [](auto h, int p) { return Ferrin_ReadRecord(g_entries, INT_MIN, h, p, &g_count); }, -1},
      {"ReadRecord null entries",
       [](auto h, int p) { return Ferrin_ReadRecord(nullptr, 0, h, p, &g_count); }, -1},
      {"ReadRecord_Weigen66 negative page",
       [](auto h, int p) { return Ferrin_ReadRecord_Weigen66(g_entries, INT_MIN, h, p); }, -1},
      {"ReadRecord_Weigen66 null entries",
       [](auto h, int p) { return Ferrin_ReadRecord_Weigen66(nullptr, 0, h, p); }, -1},
      {"ReadAllRecord negative page",
       [](auto h, int p) { return Ferrin_ReadAllRecord(g_entries, INT_MIN, h, p); }, -1},
      {"ReadAllRecord null entries",
       [](auto h, int p) { return Ferrin_ReadAllRecord(nullptr, 0, h, p); }, -1},
      {"ReadReg negative page",
       [](auto h, int p) { return Ferrin_ReadReg(g_regs, INT_MIN, h, p, &g_count); }, -1},
      {"ReadReg null entries",
       [](auto h, int p) { return Ferrin_ReadReg(nullptr, 0, h, p, &g_count); }, -1},
      // The largest page the 32-bit address holds.
      {"ReadAllRecord largest page",
       [](auto h, int p) { return Ferrin_ReadAllRecord(g_entries, INT_MAX, h, p); }, 0, 1,
       wire(0x04, 4, {at(0, "00 FE FF 7F")})},
      // Segment values: hours above 23 and minutes above 59 go as 0, negative ones as their
      // low byte; on the wire the minute comes first.
      {"SetHolidayDoorTable extreme values",
       [](auto h, int p) {
         int table[32] = {INT_MAX, INT_MAX, INT_MIN, -1};
         return Ferrin_SetHolidayDoorTable(table, 7, h, p);
       },
       0, 1, wire(0x36, 33, {at(0, "07 00 00 FF 00")})},
      // Serial settings: the port byte's low byte must be 0 or 1; the rest go as low bytes.
      {"Com_InputFormat port byte 2",
       [](auto h, int p) { return Ferrin_Com_InputFormat(2, 0, 0, 0, 0, h, p); }, -1},
      {"Com_InputFormat port byte -1",
       [](auto h, int p) { return Ferrin_Com_InputFormat(-1, 0, 0, 0, 0, h, p); }, -1},
      {"Com_InputFormat port byte 256",
       [](auto h, int p) { return Ferrin_Com_InputFormat(256, INT_MIN, INT_MAX, -1, 0, h, p); }, 0,
       1, wire(0x68, 5, {at(0, "00 00 FF FF 00")})},
      {"Com_Usetype extremes",
       [](auto h, int p) { return Ferrin_Com_Usetype(INT_MIN, INT_MAX, h, p); }, 0, 1,
       wire(0x69, 2, {at(0, "00 FF")})},
      // Texts: the first 24 mask characters, the first 8 password digits.
      {"SetWayLock overlong mask",
       [](auto h, int p) { return Ferrin_SetWayLock(long_text('1').c_str(), 23, h, p); }, 0, 1,
       wire(0x3A, 4, {at(0, "17 FF FF FF")})},
      {"SetDoorOpenPsw overlong password",
       [](auto h, int p) {
         std::string text = long_text('a');
         return Ferrin_SetDoorOpenPsw(text.data(), 23, h, p);
       },
       0, 1, wire(0x3E, 5, {at(0, "17 AA AA AA AA")})},
  };
  rows.insert(rows.end(), others.begin(), others.end());
  run(rows);
}

}  // namespace
}  // namespace vorskel::testing
