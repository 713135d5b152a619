// Whole downloads of every payment terminal record layout through the simulator: each valid
// record the terminal holds comes back exactly once, in flash order, in the caller's entries
// and in the record files, whatever the shape of the record area.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "consume_sim.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using testing::le16;
using testing::le32;
using testing::printf_text;
using testing::stamp_texts;

enum class Layout { kConsumption, kShort, kSecondGeneration, kBrell };

std::uint32_t mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// Record i of a series: about 900 a day from 2009-05-01, so the files span several days.
Bytes make_record(Layout layout, std::size_t i, bool valid) {
  const std::uint32_t h = mix(static_cast<std::uint32_t>(i) * 0x9E3779B9U + 7);
  const std::uint32_t seconds =
      sim::seconds_1980(sim::Stamp{}) + static_cast<std::uint32_t>(i) * 97;
  const auto type = static_cast<std::uint8_t>(h & 15);
  switch (layout) {
    case Layout::kConsumption:
      return sim::consumption_record(h, h >> 7, mix(h) % 100000, seconds, type,
                                     static_cast<std::uint16_t>(h >> 16), valid ? 0xA0 : 0x50);
    case Layout::kShort:
      return sim::short_consumption_record(valid ? h | 1 : 0, seconds,
                                           static_cast<std::uint16_t>(h >> 3));
    case Layout::kSecondGeneration:
      return sim::second_generation_record(h, h >> 5, mix(h), seconds, type,
                                           static_cast<std::uint8_t>(h >> 24), h % 1000,
                                           valid ? 0xA0 : 0xF0);
    case Layout::kBrell:
      return sim::brell_record(h, static_cast<std::uint16_t>(h >> 9), mix(h) >> 4, seconds,
                               static_cast<std::uint8_t>(h >> 20), valid ? 0x5A : 0x00);
  }
  return {};
}

struct Expected {
  std::vector<std::pair<std::size_t, std::string>> texts;
  std::string date;
  std::string line;  // without the host
};

Expected expected_of(Layout layout, const Bytes& r) {
  Expected e;
  auto n8 = [](unsigned long v) { return printf_text("%08lu", v); };
  auto d3 = [](unsigned long v) { return printf_text("%03lu", v); };
  switch (layout) {
    case Layout::kConsumption: {
      const auto [date, time] = stamp_texts(le32(r, 12));
      const std::string card = n8(le32(r, 0)), a = n8(le32(r, 4)), b = n8(le32(r, 8)),
                        type = d3(r[16] & 15u), c = printf_text("%lu", le16(r, 17));
      e.texts = {{0, card}, {12, date}, {24, time}, {34, type}, {54, b}, {70, a}};
      e.date = date;
      e.line = card + " " + b + " " + a + " " + type + " " + date + " " + time + " " + c;
      break;
    }
    case Layout::kShort: {
      const auto [date, time] = stamp_texts(le32(r, 4));
      const std::string card = printf_text("%010lu", le32(r, 0)), value = n8(le16(r, 8));
      e.texts = {{0, card}, {12, date}, {24, time}, {54, value}};
      e.date = date;
      e.line = card + " " + value + " " + date + " " + time;
      break;
    }
    case Layout::kSecondGeneration: {
      const auto [date, time] = stamp_texts(le32(r, 12));
      const std::string card = n8(le32(r, 0)), a = n8(le32(r, 4)), b = n8(le32(r, 8)),
                        type = d3(r[16] & 15u), d = d3(r[17]), ve = n8(le32(r, 18));
      e.texts = {{0, card}, {12, date}, {24, time}, {34, type},
                 {54, b},   {70, ve},   {86, a},    {102, d}};
      e.date = date;
      e.line = card + " " + a + " " + b + " " + ve + " " + type + " " + date + " " + time + " " + d;
      break;
    }
    case Layout::kBrell: {
      const auto [date, time] = stamp_texts(le32(r, 10));
      const std::string card = n8(le32(r, 0)), f = n8(le16(r, 4)), g = n8(le32(r, 6)),
                        h = n8(r[15]);
      e.texts = {{0, card}, {16, f}, {32, g}, {48, date}, {64, time}, {80, h}};
      e.date = date;
      e.line = card + " " + f + " " + g + " " + h + " " + date + " " + time;
      break;
    }
  }
  return e;
}

bool holds_record(Layout layout, const Bytes& r) {
  switch (layout) {
    case Layout::kConsumption:
      return r[16] >> 4 == 0xA;
    case Layout::kShort:
      return le32(r, 0) != 0;
    case Layout::kSecondGeneration:
      return r[16] >> 4 == 0xA;
    case Layout::kBrell:
      return r[14] == 0x5A;
  }
  return false;
}

enum class Shape { kLinear, kWrapped, kWhole };

struct Case {
  const char* name;
  const char* model;
  testing::PageCall call;
  Layout layout;
  sim::SlotGeometry geometry;
  std::size_t entry_bytes;
  Shape shape;
  std::uint32_t area_pages;
  std::uint32_t start_slot;
  std::size_t count;
  std::size_t invalid_every;
};

// Test names and failure messages show the case's name (not its bytes, padding included).
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class FullDownload : public testing::ConsumeSim, public ::testing::WithParamInterface<Case> {
 protected:
  std::string model_name() const override { return GetParam().model; }
};

TEST_P(FullDownload, EveryValidRecordExactlyOnceInEntriesAndFiles) {
  const Case& c = GetParam();
  std::vector<Bytes> records;
  for (std::size_t i = 0; i < c.count; ++i)
    records.push_back(make_record(c.layout, i, c.invalid_every == 0 || (i + 1) % c.invalid_every));
  const std::uint32_t area_slots = c.area_pages * c.geometry.slots_per_page;
  const sim::RecordArea area =
      c.shape == Shape::kWhole ? sim::whole_area(c.geometry, records, c.start_slot)
      : c.shape == Shape::kWrapped
          ? sim::wrapped_area(c.geometry, area_slots, c.start_slot, records)
          : sim::linear_area(c.geometry, area_slots, c.start_slot, records);
  load(area);
  sim().set_recording(false);

  std::vector<Bytes> expected;
  for (const auto& s : sim::by_address(area))
    if (holds_record(c.layout, s.bytes)) expected.push_back(s.bytes);
  ASSERT_GT(expected.size(), 500u);

  const int per_page = static_cast<int>(c.geometry.slots_per_page);
  std::vector<std::uint8_t> out(per_page * c.entry_bytes);
  std::size_t got = 0;
  int gap_pages = 0;
  std::map<std::string, std::string> files;  // date -> expected content
  int r = 0, page = 0;
  for (; page < 10000 && (r = c.call(out.data(), page, host(), port())) >= 0; ++page) {
    ASSERT_LE(r, per_page);
    if (r == 0) ++gap_pages;
    for (int i = 0; i < r; ++i, ++got) {
      ASSERT_LT(got, expected.size()) << "more entries than records, page " << page;
      const Expected e = expected_of(c.layout, expected[got]);
      for (const auto& [offset, text] : e.texts)
        ASSERT_EQ(testing::ConsumeSim::text_at(out, i, c.entry_bytes, offset), text)
            << "record " << got << " @" << offset;
      files[e.date] += e.line + " 127.0.0.1\n";
    }
  }
  EXPECT_EQ(r, -1);
  EXPECT_EQ(got, expected.size());
  // Pages wholly inside the empty gap of a wrapped area give 0 and the download goes on.
  int whole_gap_pages = 0;
  for (std::uint32_t p = 0; p < c.area_pages; ++p) {
    const std::uint32_t o = p * c.geometry.page_bytes;
    if (area.cycle_byte() == 1 && area.end() <= o && o + c.geometry.page_bytes <= area.start())
      ++whole_gap_pages;
  }
  EXPECT_EQ(gap_pages, whole_gap_pages);
  if (c.shape == Shape::kWrapped && area_slots - c.count >= 2 * c.geometry.slots_per_page) {
    EXPECT_GT(whole_gap_pages, 0) << "the gap covers whole pages";
  }

  ASSERT_GE(files.size(), 2u) << "records spread over several days";
  std::size_t seen = 0;
  for (const auto& f : std::filesystem::directory_iterator(cwd.path() / "records" / "127.0.0.1")) {
    const std::string date = f.path().stem().string();
    ASSERT_TRUE(files.count(date)) << date;
    EXPECT_EQ(testing::TempCwd::read_text(f.path()), files[date]) << date;
    ++seen;
  }
  EXPECT_EQ(seen, files.size());
}

// Shapes: linear from a start pointer inside a page; wrapped with whole pages in the gap;
// wrapped with both pointers inside one page (the newest records, then the oldest, in one
// call); the whole area in use.
constexpr sim::SlotGeometry kC = sim::kConsumptionSlots, kS = sim::kShortConsumptionSlots,
                            kV = sim::kSecondGenerationSlots, kB = sim::kBrellSlots;
INSTANTIATE_TEST_SUITE_P(
    Layouts, FullDownload,
    ::testing::Values(Case{"NemmarLinear", "nemmar", Nemmar_Record, Layout::kConsumption, kC, 96,
                           Shape::kLinear, 200, 11, 3000, 9},
                      Case{"NemmarWrapped", "nemmar", Nemmar_Record, Layout::kConsumption, kC, 96,
                           Shape::kWrapped, 200, 26 * 150 + 5, 3000, 7},
                      Case{"NemmarSplitPage", "nemmar", Nemmar_Record, Layout::kConsumption, kC, 96,
                           Shape::kWrapped, 100, 26 * 40 + 20, 26 * 100 - 9, 11},
                      Case{"NemmarWhole", "nemmar", Nemmar_Record, Layout::kConsumption, kC, 96,
                           Shape::kWhole, 0, 333, 2600, 13},
                      Case{"ShortLinear", "nemmar", Nemmar_Record_id, Layout::kShort, kS, 96,
                           Shape::kLinear, 200, 3, 3000, 5},
                      Case{"ShortWrapped", "nemmar", Nemmar_Record_id, Layout::kShort, kS, 96,
                           Shape::kWrapped, 150, 32 * 120 + 17, 3000, 6},
                      Case{"SecondGenerationLinear", "nemmarv2", Nemmarv2_Record,
                           Layout::kSecondGeneration, kV, 124, Shape::kLinear, 200, 0, 3000, 8},
                      Case{"SecondGenerationWrapped", "nemmarv2", Nemmarv2_Record,
                           Layout::kSecondGeneration, kV, 124, Shape::kWrapped, 200, 23 * 170 + 9,
                           3000, 10},
                      Case{"SecondGenerationWhole", "nemmarv2", Nemmarv2_Record,
                           Layout::kSecondGeneration, kV, 124, Shape::kWhole, 0, 0, 2300, 0},
                      Case{"BrellLinear", "brell", Brell_Record_id, Layout::kBrell, kB, 96,
                           Shape::kLinear, 200, 31, 3000, 4},
                      Case{"BrellWrapped", "brell", Brell_Record_id, Layout::kBrell, kB, 96,
                           Shape::kWrapped, 150, 32 * 110 + 1, 3000, 12},
                      Case{"BrellSplitPage", "brell", Brell_Record_id, Layout::kBrell, kB, 96,
                           Shape::kWrapped, 100, 32 * 50 + 30, 32 * 100 - 20, 15}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorskel
