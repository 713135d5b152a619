// What each stored record layout decodes to: the entry bytes hosts read (and the bytes they
// keep), the record file line and the date that names the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/vorsk_layouts.h"
#include "sim/models/record_area_layouts.h"
#include "support/sim_fixture.h"

namespace vorskel::records {
namespace {

using sim::Bytes;
using sim::Stamp;
using testing::unhex;

constexpr std::uint8_t kCallerByte = 0xEE;

struct Decoded {
  std::vector<std::uint8_t> entry;
  DecodedLine line;
};

Decoded decode(const RecordLayout& layout, const Bytes& record) {
  Decoded d{std::vector<std::uint8_t>(layout.entry_bytes, kCallerByte), {}};
  d.line.text.clear();
  layout.decode(record.data(), d.entry.data(), d.line);
  return d;
}

// An expected entry: the caller's bytes everywhere except the given texts (each with its
// terminating zero) and raw bytes.
std::vector<std::uint8_t> entry_of(int size,
                                   std::initializer_list<std::pair<int, std::string>> texts) {
  std::vector<std::uint8_t> e(size, kCallerByte);
  for (const auto& [off, t] : texts) {
    std::copy(t.begin(), t.end(), e.begin() + off);
    e[off + t.size()] = 0;
  }
  return e;
}

TEST(StandardRecord, EntryLineAndStatusTexts) {
  const Decoded d =
      decode(kStandardRecord, sim::standard_record("12345678", 0x3C, {2009, 5, 1, 8, 9, 10}));
  auto expected =
      entry_of(54, {{0, "12345678"}, {12, "2009-05-01"}, {24, "08:09:10"}, {34, "30C"}});
  expected[9] = 0x3C;
  EXPECT_EQ(d.entry, expected);
  EXPECT_EQ(d.line.text, "12345678 2009-05-01 08:09:10");
  EXPECT_STREQ(d.line.date, "2009-05-01");

  struct Case {
    std::uint8_t status;
    const char* text;
  } cases[] = {{0x3C, "30C"}, {0x00, "000"}, {0xAF, "A0F"}, {0x9B, "90B"}, {0xF1, "F01"}};
  for (const auto& c : cases) {
    const Decoded s = decode(kStandardRecord, sim::standard_record("00000001", c.status, {}));
    EXPECT_STREQ(reinterpret_cast<const char*>(s.entry.data() + 34), c.text) << int(c.status);
  }
}

TEST(StandardRecord, ValidOnlyWithTheMark) {
  Bytes r = sim::standard_record("00000001", 0, {2009, 12, 31, 23, 59, 59});
  EXPECT_TRUE(kStandardRecord.valid(r.data()));
  for (std::uint8_t mark : {0x0C, 0x5C, 0xBC, 0xFF}) {
    r[11] = mark;
    EXPECT_FALSE(kStandardRecord.valid(r.data())) << int(mark);
  }
}

TEST(RawStandardRecord, KeepsTheStoredBytesAndPrintsNibblesFromTheDigitZero) {
  Bytes r = sim::standard_record("ABCDEFGH", 0x3C, {2010, 2, 3, 4, 5, 6});
  r[8] = 0x77;
  const Decoded d = decode(kRawStandardRecord, r);
  EXPECT_EQ(std::string(d.entry.begin(), d.entry.begin() + 10), std::string("ABCDEFGH\x77\x3C"));
  EXPECT_STREQ(reinterpret_cast<const char*>(d.entry.data() + 12), "2010-02-03");
  EXPECT_STREQ(reinterpret_cast<const char*>(d.entry.data() + 24), "04:05:06");
  struct Case {
    std::uint8_t status;
    const char* text;
  } cases[] = {{0x3C, "30<"}, {0xAF, ":0?"}, {0x12, "102"}};
  for (const auto& c : cases) {
    r[9] = c.status;
    EXPECT_STREQ(reinterpret_cast<const char*>(decode(kRawStandardRecord, r).entry.data() + 34),
                 c.text);
  }
}

TEST(Card32Record, TenDigitCardNumbers) {
  struct Case {
    std::uint32_t card;
    const char* text;
  } cases[] = {{5, "0000000005"}, {4294967295u, "4294967295"}, {123456789, "0123456789"}};
  for (const auto& c : cases) {
    const Decoded d =
        decode(kCard32Record, sim::card32_record(c.card, 0xA1, {2030, 6, 15, 1, 2, 3}));
    EXPECT_EQ(d.entry,
              entry_of(54, {{0, c.text}, {12, "2030-06-15"}, {24, "01:02:03"}, {34, "A01"}}));
    EXPECT_EQ(d.line.text, std::string(c.text) + " 2030-06-15 01:02:03");
  }
}

TEST(PasswordChangeRecord, TimeStampsThroughThe1980Calendar) {
  struct Case {
    std::uint32_t seconds;
    const char* date;
    const char* time;
  } cases[] = {
      {0, "1980-01-01", "00:00:00"},
      {86399, "1980-01-01", "23:59:59"},
      {5097600, "1980-02-29", "00:00:00"},
      {31622400, "1981-01-01", "00:00:00"},
      {636249600 + 3723, "2000-02-29", "01:02:03"},
      {sim::seconds_1980({2030, 6, 15, 12, 0, 1}), "2030-06-15", "12:00:01"},
  };
  for (const auto& c : cases) {
    const Decoded d = decode(kPasswordChangeRecord, sim::password_change_record(7, c.seconds, 123));
    EXPECT_EQ(d.entry,
              entry_of(48, {{0, "0000000007"}, {12, c.date}, {24, c.time}, {36, "0000000123"}}));
    EXPECT_EQ(d.line.text, std::string("0000000007 ") + c.date + " " + c.time + " 0000000123");
    EXPECT_STREQ(d.line.date, c.date);
  }
  EXPECT_FALSE(kPasswordChangeRecord.valid(unhex("01000000 00000000 00000000 A1A1A1A0").data()));
  EXPECT_FALSE(kPasswordChangeRecord.valid(unhex("01000000 00000000 00000000 A0A1A1A1").data()));
  EXPECT_TRUE(kPasswordChangeRecord.valid(unhex("01000000 00000000 00000000 A1A1A1A1").data()));
}

TEST(ShortRecord, CardBytesInHexAndTheTerminalsRangeChecks) {
  const Decoded d = decode(kShortRecord, unhex("12 AB 00 FF 6D A5 1F 18 3B 3B"));
  EXPECT_EQ(d.entry, entry_of(54, {{0, "12AB00FF"}, {12, "2009-05-31"}, {24, "24:59:59"}}));
  EXPECT_EQ(d.line.text, "12AB00FF 2009-05-31 24:59:59");

  struct Case {
    const char* record;
    bool valid;
  } cases[] = {
      {"00000001 6D A5 01 08 00 00", true},
      {"00000001 6D AC 1F 18 3B 3B", true},   // month 12, day 31, hour 24, 59:59
      {"00000001 6D AD 01 08 00 00", false},  // month 13
      {"00000001 6D A5 20 08 00 00", false},  // day 32
      {"00000001 6D A5 01 19 00 00", false},  // hour 25
      {"00000001 6D A5 01 08 3C 00", false},  // minute 60
      {"00000001 6D A5 01 08 00 3C", false},  // second 60
      {"00000001 6D B5 01 08 00 00", false},  // no mark
      {"FFFFFFFF FF FF FF FF FF FF", false},  // erased
  };
  for (const auto& c : cases)
    EXPECT_EQ(kShortRecord.valid(unhex(c.record).data()), c.valid) << c.record;
}

TEST(FlowRecord, CopiedWithTheMarkCleared) {
  const Bytes r = unhex("01 02 03 04 67 45 23 A1 05 06 07 08 09 0A 0B 0C 0D 0E");
  ASSERT_TRUE(kFlowRecord.valid(r.data()));
  const Decoded d = decode(kFlowRecord, r);
  EXPECT_EQ(d.entry, unhex("01 02 03 04 67 45 23 01 05 06 07 08 09 0A 0B 0C 0D 0E"));
  EXPECT_FALSE(
      kFlowRecord.valid(unhex("00 00 00 00 00 00 00 B0 00 00 00 00 00 00 00 00 00 00").data()));
}

TEST(DisposalRecord, EntryLineAndFlag) {
  const std::uint32_t at = sim::seconds_1980({2009, 7, 4, 18, 30, 5});
  const Decoded d =
      decode(kDisposalRecord, sim::disposal_record(4294967295u, at, 1, 250000, 0, 0xF3));
  EXPECT_EQ(d.entry, entry_of(104, {{0, "4294967295"},
                                    {16, "2009-07-04"},
                                    {32, "18:30:05"},
                                    {48, "1"},
                                    {64, "250000"},
                                    {80, "0"},
                                    {96, "e0"}}));
  EXPECT_EQ(d.line.text, "4294967295 2009-07-04 1 250000 0 e0 18:30:05");
  EXPECT_STREQ(d.line.date, "2009-07-04");
  struct Case {
    std::uint8_t flag;
    bool valid;
  } cases[] = {{0xE0, true},  {0xF3, true},  {0xFF, true},
               {0xC0, false}, {0x60, false}, {0xA0, false}};
  for (const auto& c : cases) {
    const Bytes r = sim::disposal_record(1, 0, 0, 0, 0, c.flag);
    EXPECT_EQ(kDisposalRecord.valid(r.data()), c.valid) << int(c.flag);
  }
  EXPECT_FALSE(kDisposalRecord.valid(sim::erased(21).data()));  // erased flash is no record
  Bytes almost = sim::erased(21);
  almost[0] = 0xFE;
  EXPECT_TRUE(kDisposalRecord.valid(almost.data()));
}

}  // namespace
}  // namespace vorskel::records
