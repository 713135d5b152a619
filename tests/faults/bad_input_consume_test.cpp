// Payment terminals with bad host input: settings, card registry, merchant and money
// functions and record downloads.
#include <cstring>

#include "faults/bad_input.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using ConsumeBadInput = EchoBadInputTest;

const char* seven() {
  return long_text('7').c_str();
}

unsigned char g_out[64 * 124];

const PagedExport kPaged[] = {
    {"Nemmar_Record", Nemmar_Record},           {"Nemmar_Record_id", Nemmar_Record_id},
    {"Nemmar_RecordAll", Nemmar_RecordAll},     {"Nemmarv2_Record", Nemmarv2_Record},
    {"Nemmarv2_RecordAll", Nemmarv2_RecordAll}, {"Brell_Record_id", Brell_Record_id},
    {"Merch_Record", Vorsk_Merch_Record},
};

TEST_F(ConsumeBadInput, Table) {
  static NemmarRegistryBlock nines;
  std::memset(&nines, '9', sizeof nines);  // the card text fills its field: no terminator
  static BrellCardEntry brell;
  std::memset(&brell, '9', sizeof brell);
  static VorskMerchRegistryBlock merch{};
  static unsigned char record[124];
  std::memset(record, '9', sizeof record);
  static char card[11] = "1";

  std::vector<BadInput> rows;
  add_page_refusals(rows, kPaged, g_out);
  for (int op : {0, 4, -1, INT_MIN, INT_MAX}) {
    rows.push_back({"Nemmar_Regsitry bad operation",
                    [op](auto h, int p) { return Nemmar_Regsitry(&nines, op, h, p); }, -1});
    rows.push_back({"Nemmar_Registry_id bad operation",
                    [op](auto h, int p) { return Nemmar_Registry_id(card, op, h, p); }, -1});
    rows.push_back({"Brell_Registry_id bad operation",
                    [op](auto h, int p) { return Brell_Registry_id(&brell, op, h, p); }, -1});
    rows.push_back({"Merch_Regsitry bad operation",
                    [op](auto h, int p) { return Vorsk_Merch_Regsitry(&merch, op, h, p); }, -1});
  }
  const std::vector<BadInput> others = {
      {"Com_Print most negative", [](auto h, int p) { return Nemmar_Com_Print(INT_MIN, h, p); }, 0,
       1, wire(0x55, 1)},
      {"DaySum most negative and largest",
       [](auto h, int p) { return Nemmar_DaySum(INT_MIN, INT_MAX, h, p); }, 0, 1,
       wire(0x51, 3, {at(0, "00 FF FF")})},
      // Texts: decimal wraps modulo 2^32, hexadecimal takes 8 digits, names 8 characters; a
      // null text sends zeros in its place.
      {"MasterCard_id 10,000 digits",
       [](auto h, int p) { return Nemmar_MasterCard_id(seven(), h, p); }, 0, 1,
       wire(0x07, 4, {at(0, "71 1C C7 71")})},
      {"MasterCard_id null", [](auto h, int p) { return Nemmar_MasterCard_id(nullptr, h, p); }, 0,
       1, wire(0x07, 4)},
      {"MasterCard overlong", [](auto h, int p) { return Nemmar_MasterCard(seven(), h, p); }, 0, 1,
       wire(0x07, 4, {at(0, "77 77 77 77")})},
      {"MasterCard null", [](auto h, int p) { return Nemmar_MasterCard(nullptr, h, p); }, 0, 1,
       wire(0x07, 4)},
      {"SetDevice overlong name",
       [](auto h, int p) { return Nemmar_SetDevice(seven(), INT_MIN, INT_MAX, h, p); }, 0, 1,
       wire(0x08, 20, {fill_at(0, 8, '7'), at(15, "00 FF")})},
      {"SetDevice null name", [](auto h, int p) { return Nemmar_SetDevice(nullptr, 1, 2, h, p); },
       0, 1, wire(0x08, 20, {at(15, "01 02")})},
      {"Auto_x null", [](auto h, int p) { return Nemmar_Auto_x(nullptr, h, p); }, 0, 1,
       wire(0x52, 20)},
      {"TimeTable null table", [](auto h, int p) { return Nemmar_TimeTable(nullptr, h, &p); }, 0, 1,
       wire(0x14, 12)},
      {"TimeTable null port", [](auto h, int) { return Nemmar_TimeTable(nullptr, h, nullptr); },
       -20},
      {"Nemmarv2_SetPrintInfo null",
       [](auto h, int p) { return Nemmarv2_SetPrintInfo(nullptr, h, p); }, 0, 1, wire(0x59, 46)},
      {"Brell_SetCostMul null", [](auto h, int p) { return Brell_SetCostMul(nullptr, h, p); }, 0, 1,
       wire(0x7A, 32)},
      {"Brell_GetCostMul null", [](auto h, int p) { return Brell_GetCostMul(nullptr, h, p); }, 0, 1,
       wire(0x7B, 32)},
      {"Brell_GetCardTypeMask null",
       [](auto h, int p) { return Brell_GetCardTypeMask(nullptr, h, p); }, 0, 1, wire(0x7D, 32)},
      // Registry: null structures refused; texts read within their fields.
      {"Nemmar_Regsitry null", [](auto h, int p) { return Nemmar_Regsitry(nullptr, 1, h, p); }, -1},
      {"Nemmar_Registry_id null",
       [](auto h, int p) { return Nemmar_Registry_id(nullptr, 1, h, p); }, -1},
      {"Brell_Registry_id null", [](auto h, int p) { return Brell_Registry_id(nullptr, 1, h, p); },
       -1},
      {"Merch_Regsitry null", [](auto h, int p) { return Vorsk_Merch_Regsitry(nullptr, 1, h, p); },
       -1},
      {"Nemmar_Regsitry unterminated card",
       [](auto h, int p) { return Nemmar_Regsitry(&nines, 2, h, p); }, 2, 1,
       wire(0x0C, 14, {at(0, "FF 0F A5 D4"), at(12, "02 00")})},
      // The card text is read within its 11-byte room: eleven 7s, modulo 2^32.
      {"Nemmar_Registry_id 10,000 digits",
       [](auto h, int p) {
         std::string text = long_text('7');
         return Nemmar_Registry_id(text.data(), 2, h, p);
       },
       0, 1, wire(0x0C, 14, {at(0, "71 B4 EA 1B 02 00")})},
      {"Brell_Registry_id unterminated texts",
       [](auto h, int p) { return Brell_Registry_id(&brell, 2, h, p); }, 2, 1},
      {"Nemmarv2_Write_ARecord null",
       [](auto h, int p) { return Nemmarv2_Write_ARecord(nullptr, h, p); }, -1},
      {"Nemmarv2_Write_ARecord unterminated texts",
       [](auto h, int p) { return Nemmarv2_Write_ARecord(record, h, p); }, 0, 1},
      // Department names: index x 16 wraps as an unsigned address, length capped to 0..16.
      {"Merch_Dept most negative index, largest length",
       [](auto h, int p) {
         return Vorsk_Merch_Dept(INT_MIN, reinterpret_cast<const unsigned char*>(seven()), INT_MAX,
                                 h, p);
       },
       0, 1, wire(0x37, 22, {at(0, "00 00 00 00 10 00"), fill_at(6, 16, '7')})},
      {"Merch_Dept most negative length",
       [](auto h, int p) {
         return Vorsk_Merch_Dept(1, reinterpret_cast<const unsigned char*>(seven()), INT_MIN, h, p);
       },
       16, 1, wire(0x37, 22, {at(0, "10 00 00 00 10 00")})},
      {"Merch_Dept null name", [](auto h, int p) { return Vorsk_Merch_Dept(1, nullptr, 16, h, p); },
       16, 1, wire(0x37, 22, {at(0, "10 00 00 00 10 00")})},
      // Money: refused above the limits; negative amounts are not refused.
      {"RealChangeMoney 60001", [](auto h, int p) { return Vorsk_RealChangeMoney(60001, h, p); },
       -1},
      {"RealChangeMoney largest",
       [](auto h, int p) { return Vorsk_RealChangeMoney(INT_MAX, h, p); }, -1},
      {"RealChangeMoney most negative",
       [](auto h, int p) { return Vorsk_RealChangeMoney(INT_MIN, h, p); }, 0, 1,
       wire(0x26, 12, {text_at(0, "-21474836.48")})},
      {"ChangeMoneyForBus not whole units",
       [](auto h, int p) { return Vorsk_ChangeMoneyForBus(150, h, p); }, -1},
      {"ChangeMoneyForBus 25700",
       [](auto h, int p) { return Vorsk_ChangeMoneyForBus(25700, h, p); }, -1},
      {"ChangeMoneyForBus largest",
       [](auto h, int p) { return Vorsk_ChangeMoneyForBus(INT_MAX, h, p); }, -1},
      {"ChangeMoneyForBus most negative",
       [](auto h, int p) { return Vorsk_ChangeMoneyForBus(INT_MIN, h, p); }, -1},
      {"ChangeMoneyForBus negative whole units",
       [](auto h, int p) { return Vorsk_ChangeMoneyForBus(-25600, h, p); }, 0, 1,
       wire(0x26, 2, {at(0, "00 9C")})},
      // Raw pages beyond the area read the last page.
      {"Nemmar_RecordAll largest page",
       [](auto h, int p) { return Nemmar_RecordAll(g_out, INT_MAX, h, p); }, 0, 1,
       wire(0x04, 4, {at(0, "38 00 04 00")})},
      {"Nemmarv2_RecordAll largest page",
       [](auto h, int p) { return Nemmarv2_RecordAll(g_out, INT_MAX, h, p); }, 0, 1,
       wire(0x04, 4, {at(0, "86 70 04 00")})},
  };
  rows.insert(rows.end(), others.begin(), others.end());
  run(rows);
}

}  // namespace
}  // namespace vorskel::testing
