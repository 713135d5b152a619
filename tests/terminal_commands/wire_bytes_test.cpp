// Exact request bytes of every main-terminal command against the simulated terminal: one
// table per family, each row an export call and the code and payload it must send.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "terminal_commands/wire_support.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

constexpr std::uint16_t kTraditionalChinese = 1028;
constexpr std::uint16_t kUsEnglish = 1033;

class WireBytes : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    // 5 March 2009, 14:07:09, a Thursday.
    platform::set_local_time_override(platform::LocalTime{2009, 3, 5, 14, 7, 9, 4, 0});
  }

  void check(const std::vector<WireCase>& cases) {
    for (const WireCase& c : cases) {
      platform::set_lang_id_override(c.lang_id.value_or(kUsEnglish));
      const std::size_t before = sim().request_count();
      EXPECT_EQ(c.call(host(), port()), 0) << c.what;
      ASSERT_EQ(sim().request_count(), before + 1) << c.what;
      const sim::Request r = last_request();
      EXPECT_TRUE(r.crc_ok) << c.what;
      const Bytes sent(r.datagram.begin() + 2, r.datagram.end());
      EXPECT_EQ(hex(sent), hex(c.expected)) << c.what;
    }
  }
};

TEST_F(WireBytes, LongMessageReadsNoByteAfterTheCount384ItSends) {
  // A double-byte character begun at byte 384 was finished with the caller's byte 385, which
  // the header says is never used: the request must be the same whatever that byte holds.
  platform::set_lang_id_override(kTraditionalChinese);
  std::vector<Bytes> sent;
  for (std::uint8_t after : {0xE9, 0x41}) {
    std::vector<unsigned char> text(400, 'A');
    text[383] = 0xC5;  // a Big5 lead byte as the last byte sent
    text[384] = after;
    ASSERT_EQ(Vorsk_RealMessageEx(text.data(), 400, 0, host(), port()), 0);
    const sim::Request r = last_request();
    sent.emplace_back(r.datagram.begin() + 2, r.datagram.end());
  }
  EXPECT_EQ(hex(sent[0]), hex(sent[1]));
}

TEST_F(WireBytes, ResetIsTheThreeByteFrame) {
  ASSERT_EQ(Vorsk_Reset(host(), port()), 0);
  EXPECT_EQ(hex(last_request().datagram), "42 20 02");
}

TEST_F(WireBytes, SimpleCommands) {
  static const unsigned char money[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  static const unsigned char card[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  check({
      {"SetTime takes the PC's clock", Vorsk_SetTime,
       wire(0x03, 7, {at(0, "09 07 0E 05 03 6D 04")})},
      {"Reset", Vorsk_Reset, wire(0x02, 0)},
      {"InitParameter", Vorsk_InitParameter, wire(0x16, 0)},
      {"ClearRecord", Vorsk_ClearRecord, wire(0x0F, 1, {at(0, "01")})},
      {"ClearRecordZeroPoint", Vorsk_ClearRecordZeroPoint, wire(0x0F, 1, {at(0, "02")})},
      {"ClearRegistry", Vorsk_ClearRegistry, wire(0x0F, 1, {at(0, "03")})},
      {"Beep sends the low byte", [](auto h, int p) { return Vorsk_Beep(0x1234, h, p); },
       wire(0x3A, 1, {at(0, "34")})},
      {"SetLanguage", [](auto h, int p) { return Vorsk_SetLanguage(2, h, p); },
       wire(0x10, 1, {at(0, "02")})},
      {"SetRelayTimeOut clamps at 255",
       [](auto h, int p) { return Vorsk_SetRelayTimeOut(300, 5, h, p); },
       wire(0x11, 2, {at(0, "FF 05")})},
      {"SetRelayTimeOut at and past the limit",
       [](auto h, int p) { return Vorsk_SetRelayTimeOut(255, 256, h, p); },
       wire(0x11, 2, {at(0, "FF FF")})},
      {"Interval clamps at 1440", [](auto h, int p) { return Vorsk_Interval(2000, h, p); },
       wire(0x13, 2, {at(0, "A0 05")})},
      {"Interval below the limit", [](auto h, int p) { return Vorsk_Interval(90, h, p); },
       wire(0x13, 2, {at(0, "5A 00")})},
      {"Kbpsw sends at most 8 characters",
       [](auto h, int p) { return Vorsk_Kbpsw("1234567890", h, p); },
       wire(0x14, 8, {text_at(0, "12345678")})},
      {"Kbpsw is as long as a short password",
       [](auto h, int p) { return Vorsk_Kbpsw("42", h, p); }, wire(0x14, 2, {text_at(0, "42")})},
      {"ID_Mode sends a flag", [](auto h, int p) { return Vorsk_ID_Mode(7, h, p); },
       wire(0x17, 1, {at(0, "01")})},
      {"ID_Mode off", [](auto h, int p) { return Vorsk_ID_Mode(0, h, p); }, wire(0x17, 1)},
      {"BackLight", [](auto h, int p) { return Vorsk_BackLight(-1, h, p); },
       wire(0x20, 1, {at(0, "01")})},
      {"Money", [](auto h, int p) { return Vorsk_Money(money, h, p); },
       wire(0x24, 16, {at(0, "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F")})},
      {"DisableRelay accepts the terminal's 131-byte answer",
       [](auto h, int p) { return Vorsk_DisableRelay(0x101, h, p); }, wire(0x3C, 1, {at(0, "01")})},
      {"EN_DisplayName", [](auto h, int p) { return Vorsk_EN_DisplayName(1, h, p); },
       wire(0xB0, 1, {at(0, "01")})},
      {"SET_DeviceType", [](auto h, int p) { return Vorsk_SET_DeviceType(2, h, p); },
       wire(0xB1, 1, {at(0, "02")})},
      {"SET_ConsumeType", [](auto h, int p) { return Vorsk_SET_ConsumeType(3, h, p); },
       wire(0xB2, 1, {at(0, "03")})},
      {"SET_Inter_Base", [](auto h, int p) { return Vorsk_SET_Inter_Base(4, h, p); },
       wire(0xB3, 1, {at(0, "04")})},
      {"SET_MasterCard", [](auto h, int p) { return Vorsk_SET_MasterCard(card, h, p); },
       wire(0xB4, 8, {at(0, "12 34 56 78 9A BC DE F0")})},
      {"EN_Print", [](auto h, int p) { return Vorsk_EN_Print(0x100, h, p); }, wire(0xB6, 1)},
      {"Comsume_Server in network order",
       [](auto h, int p) { return Vorsk_Comsume_Server("192.168.1.2", h, p); },
       wire(0x91, 4, {at(0, "C0 A8 01 02")})},
      {"Comsume_Server with an unparsable text",
       [](auto h, int p) { return Vorsk_Comsume_Server("not an address", h, p); },
       wire(0x91, 4, {at(0, "FF FF FF FF")})},
      {"Server sends 15 characters and the number at [20]",
       [](auto h, int p) { return Vorsk_Server("ABCDEFGHIJKLMNOPQRST", 0x11389, h, p); },
       wire(0x3B, 22, {text_at(0, "ABCDEFGHIJKLMNO"), at(20, "89 13")})},
  });
}

TEST_F(WireBytes, DeviceParameters) {
  static const VorskCardKeys keys = {{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0x0A},
                                     {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xFF}};
  static const VorskCardKeyRecord record = {
      0x101, 0x80, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0x0A}, {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xFF}};
  static unsigned char other[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::string key_block = "01 A0 A1 A2 A3 A4 0A 80 B0 B1 B2 B3 B4 FF 80 7D";
  check({
      {"SetDevice cuts the identity at 8 characters",
       [](auto h, int p) { return Vorsk_SetDevice("ABCDEFGHIJKL", 0x1FF, h, p); },
       wire(0x08, 20, {text_at(0, "ABCDEFGH"), at(15, "FF")})},
      {"SetDevice_Ex adds the value",
       [](auto h, int p) { return Vorsk_SetDevice_Ex("ID", 5, 0x11223344, h, p); },
       wire(0x08, 20, {text_at(0, "ID"), at(15, "05 44 33 22 11")})},
      {"GetDevice asks with no payload",
       [](auto h, int p) { return Vorsk_GetDevice(nullptr, nullptr, h, p); }, wire(0x09, 0)},
      {"GetDevice_Ex",
       [](auto h, int p) { return Vorsk_GetDevice_Ex(nullptr, nullptr, nullptr, h, p); },
       wire(0x09, 0)},
      {"SetWorkArea, answered with no payload",
       [](auto h, int p) { return Vorsk_SetWorkArea(0x1AB, h, p); }, wire(0x40, 1, {at(0, "AB")})},
      {"Version", [](auto h, int p) { return Vorsk_Version(nullptr, h, p); }, wire(0x0A, 0)},
      {"IpConfig: 19 characters a field, a missing fourth left zero",
       [](auto h, int p) {
         return Vorsk_IpConfig("192.168.1.10", "255.255.255.0", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                               nullptr, h, p);
       },
       wire(0x01, 80,
            {text_at(0, "192.168.1.10"), text_at(20, "255.255.255.0"),
             text_at(40, "ABCDEFGHIJKLMNOPQRS")})},
      {"Logo: two 16-byte fields",
       [](auto h, int p) { return Vorsk_Logo("Welcome", "A greeting that is long", h, p); },
       wire(0x07, 32, {text_at(0, "Welcome"), text_at(16, "A greeting that ")})},
      {"Logo converts Big5 on a traditional-Chinese system",
       [](auto h, int p) {
         return Vorsk_Logo(
             "\xC5\xE9"
             "A",
             "\xB0\xEA", h, p);
       },
       wire(0x07, 32, {at(0, "CC E5 41"), at(16, "B9 FA")}), kTraditionalChinese},
      {"Logo cuts a converted character that straddles the field's end",
       [](auto h, int p) { return Vorsk_Logo("123456789012345\xC5\xE9", "", h, p); },
       wire(0x07, 32, {text_at(0, "123456789012345"), at(15, "CC")}), kTraditionalChinese},
      {"Logo copies Big5 unchanged elsewhere",
       [](auto h, int p) { return Vorsk_Logo("\xC5\xE9", "", h, p); },
       wire(0x07, 32, {at(0, "C5 E9")})},
      {"MifarePsw: numbers, keys and the block's CRC-16",
       [](auto h, int p) { return Vorsk_MifarePsw(0x101, 0x80, keys, h, p); },
       wire(0x06, 16, {at(0, key_block)})},
      {"MifarePsw_Ptr sends the identical block",
       [](auto h, int p) { return Vorsk_MifarePsw_Ptr(&record, h, p); },
       wire(0x06, 16, {at(0, key_block)})},
      {"SetOldPSW", [](auto h, int p) { return Vorsk_SetOldPSW(0x101, 0x80, keys, h, p); },
       wire(0x7A, 16, {at(0, key_block)})},
      {"OtherSet writing sends buffer bytes 0-10",
       [](auto h, int p) { return Vorsk_OtherSet(other, 2, h, p); },
       wire(0x1C, 12, {at(0, "01 01 02 03 04 05 06 07 08 09 0A 0B")})},
      {"OtherSet reading sends zeros", [](auto h, int p) { return Vorsk_OtherSet(other, 0, h, p); },
       wire(0x1C, 12)},
      {"SetOpenDoorPassword",
       [](auto h, int p) { return Vorsk_SetOpenDoorPassword(0x01020304, h, p); },
       wire(0x28, 4, {at(0, "04 03 02 01")})},
      {"OpenDoorPassword sends the leading digits' value",
       [](auto h, int p) { return Vorsk_OpenDoorPassword(" 123456abc", 0x0102, h, p); },
       wire(0x34, 24, {at(0, "02 01"), at(4, "40 E2 01 00")})},
      {"Read_SystemParameter",
       [](auto h, int p) { return Vorsk_Read_SystemParameter(nullptr, nullptr, nullptr, h, p); },
       wire(0x1B, 0)},
  });
}

VorskTimeTable sample_table(int header1, int header2) {
  VorskTimeTable t{};
  for (int k = 0; k < 16; ++k) t.point[k] = {k, 2 * k};
  t.point[0] = {8, 30};
  t.point[15] = {23, 59};
  t.header1 = header1;
  t.header2 = header2;
  return t;
}

TEST_F(WireBytes, TimeTablesRelaysAndMessages) {
  static const VorskTimeTable table = sample_table(0x101, 2);
  static const VorskTimeTable named = sample_table(3, 4);
  const std::string points =
      "08 1E 01 02 02 04 03 06 04 08 05 0A 06 0C 07 0E 08 10 09 12 0A 14 0B 16 0C 18 0D 1A 0E 1C "
      "17 3B";
  std::string four_hundred(500, 'x');
  for (int i = 0; i < 500; i += 50) four_hundred[i] = '\0';
  static const std::string long_text = four_hundred;
  std::string spaced(384, 'x');
  for (int i = 0; i < 384; i += 50) spaced[i] = ' ';

  VorskLateText late{};
  std::memcpy(late.text, "LATE", 4);
  VorskLateText full{};
  std::memset(full.text, 'F', 64);

  check({
      {"SetTimeTable", [](auto h, int p) { return Vorsk_SetTimeTable(&table, h, p); },
       wire(0x0D, 34, {at(0, points + " 01 02")})},
      {"SetAlarmClock sends 0 for header value 2",
       [](auto h, int p) { return Vorsk_SetAlarmClock(&table, h, p); },
       wire(0x19, 34, {at(0, points + " 01 00")})},
      {"GetTimeTable names the table by its header",
       [](auto h, int p) {
         VorskTimeTable t = named;
         return Vorsk_GetTimeTable(&t, h, p);
       },
       wire(0x0E, 34, {at(32, "03 04")})},
      {"GetAlarmClock",
       [](auto h, int p) {
         VorskTimeTable t = named;
         return Vorsk_GetAlarmClock(&t, h, p);
       },
       wire(0x18, 34, {at(32, "03 04")})},
      {"OpenRelay sends flags", [](auto h, int p) { return Vorsk_OpenRelay(5, 0, h, p); },
       wire(0x1A, 2, {at(0, "01 00")})},
      {"RepastTime caps the period at 3",
       [](auto h, int p) { return Vorsk_RepastTime(9, 0x101, 2, 3, 4, h, p); },
       wire(0x1F, 5, {at(0, "03 01 02 03 04")})},
      {"RepastTime takes the period as unsigned",
       [](auto h, int p) { return Vorsk_RepastTime(0xFFFFFFFFu, 0, 0, 0, 0, h, p); },
       wire(0x1F, 5, {at(0, "03")})},
      {"RealLineMessage falls back to line 1, column 1 and caps the duration",
       [](auto h, int p) { return Vorsk_RealLineMessage("HELLO", 5, 200000, 5, 0, h, p); },
       wire(0x33, 30, {at(0, "01 00 01 00 05 00"), text_at(6, "HELLO"), at(26, "A0 86 01 00")})},
      {"RealLineMessage sends at most 16 bytes",
       [](auto h, int p) {
         return Vorsk_RealLineMessage("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcd", 40, 100000, 4, 16,
                                      h, p);
       },
       wire(0x33, 30,
            {at(0, "04 00 10 00 10 00"), text_at(6, "0123456789ABCDEF"), at(26, "A0 86 01 00")})},
      {"RealLineMessage reads a text no further than its end",
       [](auto h, int p) { return Vorsk_RealLineMessage("HI", 10, 1, 1, 1, h, p); },
       wire(0x33, 30, {at(0, "01 00 01 00 0A 00"), text_at(6, "HI"), at(26, "01")})},
      {"RealLineMessage converts",
       [](auto h, int p) { return Vorsk_RealLineMessage("\xC5\xE9", 2, 1, 2, 3, h, p); },
       wire(0x33, 30, {at(0, "02 00 03 00 02 00 CC E5"), at(26, "01")}), kTraditionalChinese},
      {"RealLineMessage reads no byte past its length to finish a character",
       [](auto h, int p) { return Vorsk_RealLineMessage("ABC\xC5\xE9", 4, 1, 1, 1, h, p); },
       wire(0x33, 30, {at(0, "01 00 01 00 04 00 41 42 43 C5"), at(26, "01")}), kTraditionalChinese},
      {"RealLineMessage cuts a converted character at the field's end",
       [](auto h, int p) {
         return Vorsk_RealLineMessage("ABCDEFGHIJKLMNO\xC5\xE9", 17, 1, 1, 1, h, p);
       },
       wire(
           0x33, 30,
           {at(0, "01 00 01 00 10 00"), text_at(6, "ABCDEFGHIJKLMNO"), at(21, "CC"), at(26, "01")}),
       kTraditionalChinese},
      {"RealMessage pads a short text with spaces",
       [](auto h, int p) { return Vorsk_RealMessage("HELLO", 5, 42, h, p); },
       wire(0x1D, 68, {at(0, "2A"), text_at(4, "HELLO"), fill_at(9, 59, ' ')})},
      {"RealMessage spaces start where a text shorter than length ends",
       [](auto h, int p) { return Vorsk_RealMessage("HI", 5, 0, h, p); },
       wire(0x1D, 68, {text_at(4, "HI"), fill_at(6, 59, ' ')})},
      {"RealMessage of 64 bytes or more is not padded",
       [](auto h, int p) { return Vorsk_RealMessage(std::string(70, 'M').c_str(), 100, 1, h, p); },
       wire(0x1D, 68, {at(0, "01"), fill_at(4, 64, 'M')})},
      {"RealMessage converts before padding",
       [](auto h, int p) { return Vorsk_RealMessage("\xC5\xE9", 2, 0, h, p); },
       wire(0x1D, 68, {at(4, "CC E5"), fill_at(6, 62, ' ')}), kTraditionalChinese},
      {"RealMessageEx caps at 384 bytes, zeros sent as spaces",
       [](auto h, int p) {
         return Vorsk_RealMessageEx(reinterpret_cast<const unsigned char*>(long_text.data()), 500,
                                    7, h, p);
       },
       wire(0x1D, 388, {at(0, "07"), text_at(4, spaced)})},
      {"RealMessageEx is as long as its text",
       [](auto h, int p) {
         return Vorsk_RealMessageEx(reinterpret_cast<const unsigned char*>("AB\0C"), 4, 1, h, p);
       },
       wire(0x1D, 8, {at(0, "01 00 00 00 41 42 20 43")})},
      {"RealMessageEx converts",
       [](auto h, int p) {
         return Vorsk_RealMessageEx(reinterpret_cast<const unsigned char*>("\xC5\xE9"), 2, 0, h, p);
       },
       wire(0x1D, 6, {at(4, "CC E5")}), kTraditionalChinese},
      {"LateMessage caps the kind and pads the text with spaces",
       [late](auto h, int p) {
         return Vorsk_LateMessage(7, 0x11223344, -2, 0x1A, 0x1B, 0x1C, 0x11D, late, h, p);
       },
       wire(0x1E, 77,
            {at(0, "02"), text_at(1, "LATE"), fill_at(5, 60, ' '),
             at(65, "44 33 22 11 FE FF FF FF 1A 1B 1C 1D")})},
      {"LateMessage leaves a 64-character text as it is",
       [full](auto h, int p) { return Vorsk_LateMessage(1, 0, 0, 0, 0, 0, 0, full, h, p); },
       wire(0x1E, 77, {at(0, "01"), fill_at(1, 64, 'F')})},
      {"LateMessage never converts",
       [](auto h, int p) {
         VorskLateText big5{};
         std::memcpy(big5.text, "\xC5\xE9", 2);
         return Vorsk_LateMessage(0, 0, 0, 0, 0, 0, 0, big5, h, p);
       },
       wire(0x1E, 77, {at(1, "C5 E9"), fill_at(3, 62, ' ')}), kTraditionalChinese},
      {"OutGoMessage: number, 16 characters, marker",
       [](auto h, int p) { return Vorsk_OutGoMessage("OUTGOING-MESSAGE-TOO-LONG", 0x0304, h, p); },
       wire(0x27, 24, {at(0, "04 03"), text_at(4, "OUTGOING-MESSAGE"), at(23, "AA")})},
  });
}

}  // namespace
}  // namespace vorskel::testing
