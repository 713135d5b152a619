// Flash pages, flash windows, card blocks and the card-reader pass-through with bad host
// input: lengths and counts are refused or capped as documented, never trusted as sizes.
#include <filesystem>
#include <vector>

#include "faults/bad_input.h"
#include "records/temp_cwd.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using FlashBadInput = BadInputTest;

const unsigned char kData[512] = {1, 2, 3, 4};

// Payload of a flash-window request (command 37): address, count, read flag, data.
Bytes window(const std::string& head) {
  return wire(0x25, 512, {at(0, head)});
}

TEST_F(FlashBadInput, Table) {
  static unsigned char page[512];
  static unsigned char answer[448];
  static int answer_count = 0;
  run({
      // Page reads copy at most 512 bytes, none for a negative length.
      {"RdFlash2 largest length",
       [](auto h, int p) { return Vorsk_RdFlash2(page, INT_MAX, 0, h, p); }, 0, 1, wire(0x04, 4)},
      {"RdFlash3 most negative length",
       [](auto h, int p) { return Vorsk_RdFlash3(page, INT_MIN, 0, h, p); }, 0, 1, wire(0x35, 4)},
      {"RdFlash2 null buffer", [](auto h, int p) { return Vorsk_RdFlash2(nullptr, 16, 0, h, p); },
       0, 1, wire(0x04, 4)},
      // Counter queries: a null output is not written.
      {"GetTotal null outputs",
       [](auto h, int p) { return Vorsk_GetTotal(nullptr, nullptr, h, p); }, 0, 1, wire(0x0B, 0)},
      {"GetPoint null outputs",
       [](auto h, int p) { return Vorsk_GetPoint(nullptr, nullptr, h, p); }, 0, 1, wire(0x12, 0)},
      // Page writes: 0..256 bytes, else -1 before sending.
      {"WrFlash2 length 257", [](auto h, int p) { return Vorsk_WrFlash2(kData, 257, 0, h, p); },
       -1},
      {"WrFlash2 largest length",
       [](auto h, int p) { return Vorsk_WrFlash2(kData, INT_MAX, 0, h, p); }, -1},
      {"WrFlash3 negative length", [](auto h, int p) { return Vorsk_WrFlash3(kData, -1, 0, h, p); },
       -1},
      {"WrFlash3 most negative length",
       [](auto h, int p) { return Vorsk_WrFlash3(kData, INT_MIN, 0, h, p); }, -1},
      {"WrFlash2 null buffer", [](auto h, int p) { return Vorsk_WrFlash2(nullptr, 4, 0, h, p); },
       -1},
      {"WrFlash3 null buffer, no data",
       [](auto h, int p) { return Vorsk_WrFlash3(nullptr, 0, 0x10, h, p); }, 0, 1,
       wire(0x36, 6, {at(0, "10 00 00 00 00 00")})},
      // The fingerprint model's window: n capped to 0..256; a window past the end of the
      // area moves to its last 256 bytes.
      {"ReadWriteFlash3st largest length, reading",
       [](auto h, int p) { return Pirrel_ReadWriteFlash3st(page, INT_MAX, 0, 1, h, p); }, 0, 1,
       window("00 FF 07 00 00 01 01 00")},
      {"ReadWriteFlash3st most negative length, reading",
       [](auto h, int p) { return Pirrel_ReadWriteFlash3st(page, INT_MIN, 0x100, INT_MIN, h, p); },
       0, 1, window("00 01 00 00 00 00 01 00")},
      {"ReadWriteFlash3st largest address",
       [](auto h, int p) { return Pirrel_ReadWriteFlash3st(page, 16, UINT_MAX, 1, h, p); }, 0, 1,
       window("00 FF 07 00 10 00 01 00")},
      {"ReadWriteFlash3st null buffer, writing",
       [](auto h, int p) { return Pirrel_ReadWriteFlash3st(nullptr, 16, 0, 0, h, p); }, -1},
      {"ReadWriteFlash3st null buffer, reading",
       [](auto h, int p) { return Pirrel_ReadWriteFlash3st(nullptr, 16, 0, 1, h, p); }, 0, 1,
       window("00 00 00 00 10 00 01 00")},
      // Card blocks.
      {"WriteIcBlock null data",
       [](auto h, int p) { return Vorsk_WriteIcBlock(nullptr, kData, h, p); }, -1},
      {"WriteIcBlock null serial",
       [](auto h, int p) { return Vorsk_WriteIcBlock(kData, nullptr, h, p); }, -1},
      {"Wr2_Flash most negative value",
       [](auto h, int p) { return Vorsk_Wr2_Flash(INT_MIN, h, p); }, 0, 1, wire(0x90, 1)},
      // The reader pass-through: length and answer room capped to 0..448.
      {"WriteComC largest length and room",
       [](auto h, int p) {
         answer_count = INT_MAX;
         return Vorsk_WriteComC(kData, INT_MAX, answer, &answer_count, h, p);
       },
       0, 1, wire(0x23, 452, {at(0, "01 02 03 04"), at(448, "C0 01 C0 01")})},
      {"WriteComC most negative length and room",
       [](auto h, int p) {
         answer_count = INT_MIN;
         return Vorsk_WriteComC(kData, INT_MIN, answer, &answer_count, h, p);
       },
       0, 1, wire(0x23, 452)},
      {"WriteComC null data",
       [](auto h, int p) { return Vorsk_WriteComC(nullptr, 4, answer, &answer_count, h, p); }, -1},
      {"WriteComC null answer and count",
       [](auto h, int p) { return Vorsk_WriteComC(kData, 2, nullptr, nullptr, h, p); }, 0, 1,
       wire(0x23, 452, {at(0, "01 02"), at(448, "02 00 00 00")})},
      {"Marn_Reader largest value", [](auto h, int p) { return Marn_Reader(INT_MAX, h, p); }, 0, 1,
       wire(0x39, 1, {at(0, "FF")})},
      {"Marn_Mf_id null", [](auto h, int p) { return Marn_Mf_id(nullptr, h, p); }, -1},
      {"Marn_Mf_Read null", [](auto h, int p) { return Marn_Mf_Read(nullptr, h, p); }, -1},
      {"Marn_Mf_Write null", [](auto h, int p) { return Marn_Mf_Write(nullptr, h, p); }, -1},
  });
}

// Dump files are named after the address, never after the host text: a host text with path
// separators cannot place a file outside the current directory. Nothing can be sent to such
// a host, so no page arrives and no file is made at all.
TEST_F(FlashBadInput, DumpOfAnEscapingHostTextNamesNoPath) {
  TempCwd cwd;
  set_receive_timeout(80);
  for (const char* bad : kEscapingHosts) {
    EXPECT_EQ(Vorsk_DumpFlash2(bad, port()), -20) << bad;
    EXPECT_EQ(Vorsk_DumpFlash4(bad, port()), -20) << bad;
  }
  EXPECT_EQ(Vorsk_DumpFlash2(long_text('7').c_str(), port()), -20);
  EXPECT_EQ(sim().request_count(), 0u);
  std::vector<std::string> made;
  for (const auto& e : std::filesystem::directory_iterator(cwd.path()))
    made.push_back(e.path().filename().string());
  EXPECT_EQ(made, std::vector<std::string>{});
  EXPECT_FALSE(std::filesystem::exists(cwd.path().parent_path() / "escaped"));
}

}  // namespace
}  // namespace vorskel::testing
