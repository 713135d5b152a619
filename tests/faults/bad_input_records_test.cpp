// Record downloads, raw record pages, record-storage writes and disposal registrations with
// bad host input; and host texts that would name record files outside the records
// directory.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "faults/bad_input.h"
#include "records/temp_cwd.h"
#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using RecordsBadInput = BadInputTest;

unsigned char g_out[64 * 124];
const unsigned char kData[512] = {1, 2, 3, 4};

const PagedExport kPaged[] = {
    {"Record", Vorsk_Record},
    {"Record_Chgpsw", Vorsk_Record_Chgpsw},
    {"Record_weigen34", Vorsk_Record_weigen34},
    {"RecordEx", Vorsk_RecordEx},
    {"RecordAll", Vorsk_RecordAll},
    {"FlowControlRecord", Vorsk_FlowControlRecord},
    {"Disposal_Record", Marn_Disposal_Record},
};

std::vector<BadInput> paged_rows() {
  std::vector<BadInput> rows;
  add_page_refusals(rows, kPaged, g_out);
  return rows;
}

TEST_F(RecordsBadInput, Table) {
  VorskelDisposalRegistration digits;
  std::memset(&digits, '9', sizeof digits);  // no field holds a terminator
  digits.year = 2009 & 0xFF;
  digits.month = 5;
  digits.day = 1;
  sim().with_model([](sim::Model& m) {  // the record-storage write: a status of 0
    m.on(0xF5, [](const sim::Request&) -> sim::Reply { return sim::Bytes(4, 0); });
    return 0;
  });
  std::vector<BadInput> rows = paged_rows();  // negative pages and null buffers: -1
  const std::vector<BadInput> others = {
      // A raw page beyond the area reads page 512.
      {"RecordAll largest page",
       [](auto h, int p) { return Vorsk_RecordAll(g_out, INT_MAX, h, p); }, 0, 1,
       wire(0x04, 4, {at(0, "00 00 04 00")})},
      // Record-storage writes: at most 256 bytes, negative lengths refused.
      {"WriteFlash3st largest length",
       [](auto h, int p) { return Vorsk_WriteFlash3st(kData, INT_MAX, 0x20, h, p); }, 0, 1,
       wire(0xF5, 264, {at(0, "00 01 00 00 20 00 00 00 01 02 03 04")})},
      {"WriteFlash3st negative length",
       [](auto h, int p) { return Vorsk_WriteFlash3st(kData, -1, 0, h, p); }, -1},
      {"WriteFlash3st most negative length",
       [](auto h, int p) { return Vorsk_WriteFlash3st(kData, INT_MIN, 0, h, p); }, -1},
      {"WriteFlash3st null data",
       [](auto h, int p) { return Vorsk_WriteFlash3st(nullptr, 4, 0, h, p); }, -1},
      {"Loop_Record length 132", [](auto h, int p) { return Vorsk_Loop_Record(kData, 132, h, p); },
       -1},
      {"Loop_Record largest length",
       [](auto h, int p) { return Vorsk_Loop_Record(kData, INT_MAX, h, p); }, -1},
      {"Loop_Record negative length",
       [](auto h, int p) { return Vorsk_Loop_Record(kData, -1, h, p); }, -1},
      {"Loop_Record most negative length",
       [](auto h, int p) { return Vorsk_Loop_Record(kData, INT_MIN, h, p); }, -1},
      {"Loop_Record null data", [](auto h, int p) { return Vorsk_Loop_Record(nullptr, 4, h, p); },
       -1},
      // Disposal registrations: types 1..3; digit fields are read within their fields.
      {"Disposal_Registry null",
       [](auto h, int p) { return Marn_Disposal_Registry(nullptr, 1, h, p); }, -1},
      {"Disposal_Registry type 0",
       [digits](auto h, int p) { return Marn_Disposal_Registry(&digits, 0, h, p); }, -1},
      {"Disposal_Registry type 4",
       [digits](auto h, int p) { return Marn_Disposal_Registry(&digits, 4, h, p); }, -1},
      {"Disposal_Registry most negative type",
       [digits](auto h, int p) { return Marn_Disposal_Registry(&digits, INT_MIN, h, p); }, -1},
      {"Disposal_Registry largest type",
       [digits](auto h, int p) { return Marn_Disposal_Registry(&digits, INT_MAX, h, p); }, -1},
      {"Disposal_Registry unterminated digit fields",
       [digits](auto h, int p) { return Marn_Disposal_Registry(&digits, 1, h, p); }, 0, 1,
       wire(0x0C, 28,
            {at(0, "FF FF C0 6F FF FF C0 6F"), fill_at(8, 8, '9'),
             at(16, "6D 05 01 FF FF FF FF FF FF FF 01 00")})},
  };
  rows.insert(rows.end(), others.begin(), others.end());
  run(rows);
}

// Host texts that name record files: one that resolves to this machine but carries path
// separators (the resolver reads the address up to the first blank), and one of 10,000
// characters. The records are delivered; no file is made inside or outside the records
// directory.
TEST_F(RecordsBadInput, HostTextsThatCannotNameARecordFile) {
  TempCwd cwd;
  const auto base = cwd.path() / "inner";
  std::filesystem::create_directory(base);
  std::filesystem::current_path(base);
  sim().with_model([](sim::Model& m) {
    std::vector<sim::Bytes> records;
    for (int i = 0; i < 3; ++i)
      records.push_back(sim::standard_record("0000000" + std::to_string(i), 0x3C, {}));
    sim::load_record_area(m, sim::linear_area({16, 512, 32}, 64, 0, records));
    return 0;
  });
  const std::string hosts[] = {
      "127.0.0.1 /../../escaped",
      "127.0.0.1 \\..\\..\\escaped",
      "127.0.0.1 c:escaped",
      "127.0.0.1 " + long_text('7'),
  };
  for (const std::string& h : hosts) {
    EXPECT_EQ(Vorsk_Record(g_out, 0, h.c_str(), port()), 3) << h.substr(0, 40);
    EXPECT_EQ(Vorsk_Record(g_out, 1, h.c_str(), port()), -1) << h.substr(0, 40);
  }
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(cwd.path()))
    if (e.is_regular_file()) files.push_back(e.path().string());
  EXPECT_TRUE(files.empty()) << files.front();
}

}  // namespace
}  // namespace vorskel::testing
