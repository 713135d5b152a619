// Card registrations, the blacklist and the fingerprint terminal with bad host input.
#include <cstring>
#include <string>

#include "faults/bad_input.h"
#include "platform/platform.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using RegistryBadInput = EchoBadInputTest;

const char* seven() {
  return long_text('7').c_str();
}

VorskRegistryEntry g_entry{};
unsigned char g_block[28] = {};
unsigned char g_templ[256] = {};
unsigned int g_checksum = 0;

TEST_F(RegistryBadInput, Table) {
  platform::set_error_sink([](const char*, const char*) {});
  std::memset(&g_entry, '9', sizeof g_entry);  // no text field holds a terminator
  std::vector<BadInput> rows;
  // Registration types are 1..3; anything else, and a missing entry, is refused.
  for (int type : {0, 4, -1, INT_MIN, INT_MAX}) {
    rows.push_back({"Registry bad type",
                    [type](auto h, int p) { return Vorsk_Registry(&g_entry, type, h, p); }, -1});
    rows.push_back({"RegistryEx bad type",
                    [type](auto h, int p) { return Vorsk_RegistryEx(&g_entry, type, h, p); }, -1});
    rows.push_back(
        {"FlowControlRegistry bad type",
         [type](auto h, int p) { return Vorsk_FlowControlRegistry(g_block, type, h, p); }, -1});
    rows.push_back({"Pirrel_Registry bad type",
                    [type](auto h, int p) {
                      return Pirrel_Registry(&g_entry, g_templ, &g_checksum, 0, type, h, p);
                    },
                    -1});
  }
  for (int type : {0, 5, -1, INT_MIN, INT_MAX}) {
    // Blacklist types are 1..4 (-11); a card text of other than 8 characters is -10 first.
    rows.push_back({"BlackList bad type",
                    [type](auto h, int p) { return Vorsk_BlackList("12345678", 0, 0, type, h, p); },
                    -11});
    rows.push_back(
        {"BlackListEx bad type",
         [type](auto h, int p) { return Vorsk_BlackListEx("12345678", 0, 0, 0, type, h, p); },
         -11});
    rows.push_back(
        {"BlackList_ASLK bad type",
         [type](auto h, int p) { return Vorsk_BlackList_ASLK("12345678", 0, 0, type, h, p); },
         -11});
    rows.push_back({"BlackList_ADD bad type",
                    [type](auto h, int p) { return Vorsk_BlackList_ADD("1", "2", 0, type, h, p); },
                    -11});
  }
  for (int mode : {0, 5, INT_MIN, INT_MAX})
    rows.push_back({"Pirrel_WorkType bad mode",
                    [mode](auto h, int p) { return Pirrel_WorkType(mode, 0, 0, 0, 0, h, p); }, -1});
  for (const char* card :
       {"", "1234567", "123456789", static_cast<const char*>(nullptr), seven()}) {
    rows.push_back({"BlackList bad card",
                    [card](auto h, int p) { return Vorsk_BlackList(card, 0, 0, 1, h, p); }, -10});
    rows.push_back({"BlackListEx bad card",
                    [card](auto h, int p) { return Vorsk_BlackListEx(card, 0, 0, 0, 1, h, p); },
                    -10});
    rows.push_back({"BlackList_ASLK bad card",
                    [card](auto h, int p) { return Vorsk_BlackList_ASLK(card, 0, 0, 1, h, p); },
                    -10});
  }
  const std::vector<BadInput> others = {
      {"Registry null", [](auto h, int p) { return Vorsk_Registry(nullptr, 1, h, p); }, -1},
      {"RegistryEx null", [](auto h, int p) { return Vorsk_RegistryEx(nullptr, 1, h, p); }, -1},
      {"FlowControlRegistry null",
       [](auto h, int p) { return Vorsk_FlowControlRegistry(nullptr, 1, h, p); }, -1},
      {"Pirrel_Registry null entry",
       [](auto h, int p) { return Pirrel_Registry(nullptr, g_templ, &g_checksum, 0, 1, h, p); },
       -1},
      // Texts that fill their fields without a terminator are read within the fields; the
      // echo brings the type back as the result.
      {"Registry unterminated texts",
       [](auto h, int p) { return Vorsk_Registry(&g_entry, 2, h, p); }, 2, 1},
      {"RegistryEx unterminated texts",
       [](auto h, int p) { return Vorsk_RegistryEx(&g_entry, 2, h, p); }, 2, 1},
      // Decimal numbers of any length wrap modulo 2^32; the word is the value's low 16 bits.
      {"BlackList_ADD 10,000 digits",
       [](auto h, int p) {
         return Vorsk_BlackList_ADD(seven(), seven(), INT_MIN + 0x1234, 1, h, p);
       },
       1, 1, wire(0x15, 11, {at(0, "01 71 1C C7 71 71 1C C7 71 34 12")})},
      {"BlackList_ADD null numbers",
       [](auto h, int p) { return Vorsk_BlackList_ADD(nullptr, nullptr, 0, 4, h, p); }, 11, 1,
       wire(0x15, 11, {at(0, "0B")})},
      // Template slot index 0..2, else 0.
      {"Pirrel_Registry most negative index",
       [](auto h, int p) { return Pirrel_Registry(&g_entry, nullptr, nullptr, INT_MIN, 2, h, p); },
       2,
       1,
       {},
       [](auto h, int p) { return Pirrel_Registry(&g_entry, nullptr, nullptr, 0, 2, h, p); }},
      {"Pirrel_Registry largest index",
       [](auto h, int p) { return Pirrel_Registry(&g_entry, nullptr, nullptr, INT_MAX, 2, h, p); },
       2,
       1,
       {},
       [](auto h, int p) { return Pirrel_Registry(&g_entry, nullptr, nullptr, 0, 2, h, p); }},
      {"Pirrel_Registry index 3",
       [](auto h, int p) { return Pirrel_Registry(&g_entry, nullptr, nullptr, 3, 2, h, p); },
       2,
       1,
       {},
       [](auto h, int p) { return Pirrel_Registry(&g_entry, nullptr, nullptr, 0, 2, h, p); }},
      // A template asked for (checksum not 0) but missing: an error message, -1, nothing sent.
      {"Pirrel_Registry null template",
       [](auto h, int p) {
         g_checksum = 1;
         return Pirrel_Registry(&g_entry, nullptr, &g_checksum, 0, 1, h, p);
       },
       -1},
      // Security level limited to 1..5.
      {"Pirrel_SetSecurLevel most negative",
       [](auto h, int p) { return Pirrel_SetSecurLevel(INT_MIN, h, p); }, 0, 1,
       wire(0x83, 1, {at(0, "01")})},
      {"Pirrel_SetSecurLevel largest",
       [](auto h, int p) { return Pirrel_SetSecurLevel(INT_MAX, h, p); }, 0, 1,
       wire(0x83, 1, {at(0, "05")})},
      // Template texts: capacity and length checked before anything is read or written.
      {"FingerPrint2String capacity 519",
       [](auto, int) {
         char text[600];
         return Pirrel_FingerPrint2String(g_templ, text, 519);
       },
       -1},
      {"FingerPrint2String most negative capacity",
       [](auto, int) {
         char text[600];
         return Pirrel_FingerPrint2String(g_templ, text, INT_MIN);
       },
       -1},
      {"FingerPrint2String null text",
       [](auto, int) { return Pirrel_FingerPrint2String(g_templ, nullptr, INT_MAX); }, -1},
      {"FingerPrint2String null template",
       [](auto, int) {
         char text[600];
         return Pirrel_FingerPrint2String(nullptr, text, 600);
       },
       -1},
      {"String2FingerPrint length 515",
       [](auto, int) {
         std::string text(600, '0');
         return Pirrel_String2FingerPrint(text.data(), 515, g_templ);
       },
       -1},
      {"String2FingerPrint most negative length",
       [](auto, int) {
         std::string text(600, '0');
         return Pirrel_String2FingerPrint(text.data(), INT_MIN, g_templ);
       },
       -1},
      {"String2FingerPrint null text",
       [](auto, int) { return Pirrel_String2FingerPrint(nullptr, INT_MAX, g_templ); }, -1},
      {"String2FingerPrint null template",
       [](auto, int) {
         std::string text(600, '0');
         return Pirrel_String2FingerPrint(text.data(), 600, nullptr);
       },
       -1},
      // 10,000 characters: only the first 516 digits count (all zeros: a matching CRC).
      {"String2FingerPrint overlong text, largest length",
       [](auto, int) {
         std::string text = long_text('0');
         return Pirrel_String2FingerPrint(text.data(), INT_MAX, g_templ);
       },
       0},
      // Without a bound driver the card functions refuse whatever their sector numbers.
      {"IcRegistry_Write unbound, most negative sector",
       [](auto, int) {
         unsigned char key[6] = {};
         return Pirrel_IcRegistry_Write(&g_entry, g_templ, INT_MIN, INT_MAX, key, 0, 0);
       },
       -1},
      {"IcRegistry_Read unbound, largest sector",
       [](auto, int) {
         unsigned char key[6] = {};
         int flag = 0;
         return Pirrel_IcRegistry_Read(&g_entry, g_templ, INT_MAX, &flag, key, 0, 0);
       },
       -1},
  };
  rows.insert(rows.end(), others.begin(), others.end());
  run(rows);
}

}  // namespace
}  // namespace vorskel::testing
