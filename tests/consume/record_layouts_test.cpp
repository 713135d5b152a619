// The payment terminals' record layouts decoded one record at a time: the entry texts in
// their slots, what stays untouched, and the record file line. One table per layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "consume/consume_layouts.h"
#include "sim/models/consume_records.h"
#include "sim/models/record_area_layouts.h"

namespace vorskel {
namespace {

using consume::DecodedLine;
using consume::RecordLayout;
using sim::Bytes;

constexpr std::uint8_t kUntouched = 0xEE;

struct DecodeCase {
  const char* what;
  Bytes record;
  bool valid;
  std::vector<std::pair<int, std::string>> texts;  // entry offset, zero-terminated text
  std::string line;                                // without the host the engine appends
};

std::uint32_t at(int y, int mo, int d, int h, int mi, int s) {
  return sim::seconds_1980(sim::Stamp{y, mo, d, h, mi, s});
}

const std::uint32_t kMay1 = at(2009, 5, 1, 8, 0, 0);

void check(const RecordLayout& layout, const std::vector<DecodeCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.record.size(), static_cast<std::size_t>(layout.record_bytes));
    EXPECT_EQ(layout.valid(c.record.data()), c.valid);
    if (!c.valid) continue;
    std::vector<std::uint8_t> entry(static_cast<std::size_t>(layout.entry_bytes), kUntouched);
    DecodedLine line;
    layout.decode(c.record.data(), entry.data(), line);
    for (const auto& [offset, text] : c.texts)
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry.data() + offset)), text)
          << "at " << offset;
    EXPECT_EQ(line.text, c.line);
  }
}

TEST(ConsumptionLayout, Decoding) {
  const std::vector<DecodeCase> cases = {
      {"card 5 prints 8 digits, C 65535",
       sim::consumption_record(5, 1234, 99, kMay1, 3, 65535),
       true,
       {{0, "00000005"},
        {12, "2009-05-01"},
        {24, "08:00:00"},
        {34, "003"},
        {54, "00000099"},
        {70, "00001234"}},
       "00000005 00000099 00001234 003 2009-05-01 08:00:00 65535"},
      {"largest card, time stamp 0",
       sim::consumption_record(4294967295u, 0, 0, 0, 15, 0),
       true,
       {{0, "4294967295"}, {12, "1980-01-01"}, {24, "00:00:00"}, {34, "015"}},
       "4294967295 00000000 00000000 015 1980-01-01 00:00:00 0"},
      {"2030 prints its full year",
       sim::consumption_record(7, 4294967295u, 1, at(2030, 12, 31, 23, 59, 59), 0, 42),
       true,
       {{12, "2030-12-31"}, {24, "23:59:59"}, {70, "4294967295"}},
       "00000007 00000001 4294967295 000 2030-12-31 23:59:59 42"},
      {"erased slot", Bytes(19, 0xFF), false, {}, ""},
      {"other mark", sim::consumption_record(5, 1, 2, kMay1, 3, 4, 0x50), false, {}, ""},
  };
  check(consume::kConsumptionRecord, cases);
}

TEST(ConsumptionLayout, ValueCIsANumberAndTheRestIsUntouched) {
  std::vector<std::uint8_t> entry(96, kUntouched);
  DecodedLine line;
  const Bytes r = sim::consumption_record(5, 1, 2, kMay1, 3, 65535);
  consume::kConsumptionRecord.decode(r.data(), entry.data(), line);
  std::uint32_t c = 0;
  std::memcpy(&c, entry.data() + 88, 4);
  EXPECT_EQ(c, 65535u);
  for (int i : {9, 10, 11, 23, 33, 38, 53, 63, 69, 79, 87, 92, 95})
    EXPECT_EQ(entry[i], kUntouched) << i;
  EXPECT_STREQ(line.date, "2009-05-01");
}

TEST(ShortConsumptionLayout, Decoding) {
  const std::vector<DecodeCase> cases = {
      {"card 5 prints 10 digits",
       sim::short_consumption_record(5, kMay1, 65535),
       true,
       {{0, "0000000005"}, {12, "2009-05-01"}, {24, "08:00:00"}, {54, "00065535"}},
       "0000000005 00065535 2009-05-01 08:00:00"},
      {"largest card",
       sim::short_consumption_record(4294967295u, 0, 0),
       true,
       {{0, "4294967295"}, {54, "00000000"}},
       "4294967295 00000000 1980-01-01 00:00:00"},
      {"card 0 is an empty slot", sim::short_consumption_record(0, kMay1, 7), false, {}, ""},
  };
  check(consume::kShortConsumptionRecord, cases);
}

TEST(ShortConsumptionLayout, EntriesAreClearedAndEmptySlotsDated) {
  std::vector<std::uint8_t> entry(96, kUntouched);
  DecodedLine line;
  const Bytes r = sim::short_consumption_record(5, kMay1, 1);
  consume::kShortConsumptionRecord.decode(r.data(), entry.data(), line);
  for (int i : {11, 23, 34, 53, 63, 95}) EXPECT_EQ(entry[i], 0) << i;

  std::vector<std::uint8_t> empty(96, kUntouched);
  const Bytes none = sim::short_consumption_record(0, at(2010, 2, 3, 4, 5, 6), 1);
  consume::kShortConsumptionRecord.mark_invalid(none.data(), empty.data());
  EXPECT_EQ(empty[0], 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(empty.data() + 12), "2010-02-03");
  EXPECT_STREQ(reinterpret_cast<const char*>(empty.data() + 24), "04:05:06");
  EXPECT_EQ(empty[54], 0);
}

TEST(SecondGenerationLayout, Decoding) {
  const std::vector<DecodeCase> cases = {
      {"value D 200",
       sim::second_generation_record(5, 11, 22, kMay1, 10, 0xC8, 33),
       true,
       {{0, "00000005"},
        {12, "2009-05-01"},
        {24, "08:00:00"},
        {34, "010"},
        {54, "00000022"},
        {70, "00000033"},
        {86, "00000011"},
        {102, "200"}},
       "00000005 00000011 00000022 00000033 010 2009-05-01 08:00:00 200"},
      {"value D 7 prints 007",
       sim::second_generation_record(4294967295u, 0, 4294967295u, 0, 1, 7, 4294967295u),
       true,
       {{0, "4294967295"}, {54, "4294967295"}, {70, "4294967295"}, {102, "007"}},
       "4294967295 00000000 4294967295 4294967295 001 1980-01-01 00:00:00 007"},
      {"erased slot", Bytes(22, 0xFF), false, {}, ""},
  };
  check(consume::kSecondGenerationRecord, cases);
}

TEST(BrellLayout, Decoding) {
  Bytes all_ff(16, 0xFF);
  all_ff[14] = 0x5A;
  const std::vector<DecodeCase> cases = {
      {"the marker alone makes a record, even in erased bytes",
       all_ff,
       true,
       {{0, "4294967295"},
        {16, "00065535"},
        {32, "4294967295"},
        {48, "2116-02-07"},
        {64, "06:28:15"},
        {80, "00000255"}},
       "4294967295 00065535 4294967295 00000255 2116-02-07 06:28:15"},
      {"ordinary record",
       sim::brell_record(5, 300, 70000, kMay1, 9),
       true,
       {{0, "00000005"},
        {16, "00000300"},
        {32, "00070000"},
        {48, "2009-05-01"},
        {64, "08:00:00"},
        {80, "00000009"}},
       "00000005 00000300 00070000 00000009 2009-05-01 08:00:00"},
      {"marker 0", sim::brell_record(5, 1, 2, kMay1, 3, 0x00), false, {}, ""},
      {"marker A5", sim::brell_record(5, 1, 2, kMay1, 3, 0xA5), false, {}, ""},
  };
  check(consume::kBrellRecord, cases);
}

TEST(MerchantLayout, Decoding) {
  const std::vector<DecodeCase> cases = {
      {"number 01 02 03, most significant first",
       sim::merchant_record(0x010203, 4, kMay1),
       true,
       {{0, "00066051"}, {12, "2009-05-01"}, {24, "08:00:00"}, {34, "004"}},
       ""},
      {"largest number",
       sim::merchant_record(0xFFFFFF, 15, 0),
       true,
       {{0, "16777215"}, {12, "1980-01-01"}, {34, "015"}},
       ""},
      {"erased", Bytes(8, 0xFF), false, {}, ""},
  };
  check(consume::kMerchantRecord, cases);
  std::vector<std::uint8_t> entry(54, kUntouched);
  DecodedLine line;
  const Bytes r = sim::merchant_record(1, 1, kMay1);
  consume::kMerchantRecord.decode(r.data(), entry.data(), line);
  for (int i : {9, 11, 23, 33, 38, 53}) EXPECT_EQ(entry[i], 0) << i;  // cleared first
}

}  // namespace
}  // namespace vorskel
