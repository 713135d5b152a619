// Whole downloads of large record areas through the simulator: every valid record the
// simulated terminal holds comes back exactly once, in flash order, both in the caller's
// entries and in the record files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "record_sim.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::RecordKind;

std::uint32_t le32(const Bytes& b, std::size_t off) {
  return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) |
         (static_cast<std::uint32_t>(b[off + 3]) << 24);
}

std::string printf_text(const char* fmt, unsigned long a, unsigned long b = 0,
                        unsigned long c = 0) {
  char s[64];
  std::snprintf(s, sizeof s, fmt, a, b, c);
  return s;
}

// 1980-based seconds as the date and time texts, by the standard library's calendar.
std::pair<std::string, std::string> stamp_texts(std::uint32_t seconds) {
  using namespace std::chrono;
  const sys_days day = sys_days{year{1980} / 1 / 1} + days{seconds / 86400};
  const year_month_day ymd{day};
  const unsigned rest = seconds % 86400;
  return {printf_text("%04lu-%02lu-%02lu", static_cast<unsigned long>(int(ymd.year())),
                      unsigned(ymd.month()), unsigned(ymd.day())),
          printf_text("%02lu:%02lu:%02lu", rest / 3600, rest % 3600 / 60, rest % 60)};
}

// What a stored record must come back as: texts at entry offsets, the file's date and line.
struct Expected {
  std::vector<std::pair<std::size_t, std::string>> texts;
  std::string date;
  std::string line;  // without the host
};

Expected expected_of(RecordKind kind, const Bytes& r) {
  Expected e;
  auto stored_date = [&](std::size_t y) {
    return std::make_pair(
        printf_text("%04lu-%02lu-%02lu", 1900ul + r[y], r[y + 1] & 15ul, r[y + 2]),
        printf_text("%02lu:%02lu:%02lu", r[y + 3], r[y + 4], r[y + 5]));
  };
  auto status = [&] {
    const char* hex = "0123456789ABCDEF";
    return std::string{hex[r[9] >> 4], '0', hex[r[9] & 15]};
  };
  switch (kind) {
    case RecordKind::kStandard:
    case RecordKind::kCard32: {
      const auto [date, time] = stored_date(10);
      const std::string card = kind == RecordKind::kStandard ? std::string(r.begin(), r.begin() + 8)
                                                             : printf_text("%010lu", le32(r, 0));
      e.texts = {{0, card}, {12, date}, {24, time}, {34, status()}};
      e.date = date;
      e.line = card + " " + date + " " + time;
      break;
    }
    case RecordKind::kPasswordChange: {
      const auto [date, time] = stamp_texts(le32(r, 4));
      const std::string card = printf_text("%010lu", le32(r, 0));
      const std::string second = printf_text("%010lu", le32(r, 8));
      e.texts = {{0, card}, {12, date}, {24, time}, {36, second}};
      e.date = date;
      e.line = card + " " + date + " " + time + " " + second;
      break;
    }
    case RecordKind::kShort: {
      const auto [date, time] = stored_date(4);
      const std::string card =
          printf_text("%02lX%02lX", r[0], r[1]) + printf_text("%02lX%02lX", r[2], r[3]);
      e.texts = {{0, card}, {12, date}, {24, time}};
      e.date = date;
      e.line = card + " " + date + " " + time;
      break;
    }
    case RecordKind::kDisposal: {
      const auto [date, time] = stamp_texts(le32(r, 4));
      const std::string card = printf_text("%lu", le32(r, 0));
      const std::string a = printf_text("%lu", le32(r, 8)), b = printf_text("%lu", le32(r, 12)),
                        c = printf_text("%lu", le32(r, 16));
      e.texts = {{0, card}, {16, date}, {32, time}, {48, a}, {64, b}, {80, c}, {96, "e0"}};
      e.date = date;
      e.line = card + " " + date + " " + a + " " + b + " " + c + " e0 " + time;
      break;
    }
    case RecordKind::kFlow:
      break;  // compared byte for byte
  }
  return e;
}

enum class Shape { kLinear, kWrapped, kWhole };

struct Case {
  const char* name;
  testing::PageCall call;
  RecordKind kind;
  std::size_t entry_bytes;
  Shape shape;
  std::uint32_t area_slots;
  std::uint32_t start_slot;
  std::size_t count;
  std::size_t invalid_every;
  bool files;
  // Valid-looking records of an earlier cycle lie in the slots after the end pointer: none
  // of them may come back.
  bool stale_after_end = false;
};

// Test names and failure messages show the case's name (not its bytes, padding included).
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class FullArea : public testing::RecordSim, public ::testing::WithParamInterface<Case> {};

TEST_P(FullArea, EveryValidRecordExactlyOnceInEntriesAndFiles) {
  const Case& c = GetParam();
  sim::SeriesOptions o;
  o.count = c.count;
  o.invalid_every = c.invalid_every;
  o.step_seconds = 97;  // about 900 records a day: several days
  o.seed = 7;
  const auto records = sim::record_series(c.kind, o);
  const sim::SlotGeometry g = sim::geometry_of(c.kind);
  sim::RecordArea area = c.shape == Shape::kWhole ? sim::whole_area(g, records, c.start_slot)
                         : c.shape == Shape::kWrapped
                             ? sim::wrapped_area(g, c.area_slots, c.start_slot, records)
                             : sim::linear_area(g, c.area_slots, c.start_slot, records);
  load(area);
  if (c.stale_after_end) {
    sim::SeriesOptions old = o;
    old.count = 40;
    old.invalid_every = 0;
    old.seed = 8;
    const auto stale = sim::record_series(c.kind, old);
    std::uint32_t slot = 0;
    while (g.address(slot) < area.end()) ++slot;
    const std::uint32_t limit = c.shape == Shape::kWrapped ? area.start() : area.area_end();
    sim().with_model([&](sim::Model& m) {
      for (std::size_t k = 0; k < stale.size() && g.address(slot) < limit; ++k, ++slot)
        sim::write_area2(m, g.address(slot), stale[k]);
      return 0;
    });
  }
  sim().set_recording(false);

  std::vector<Bytes> expected;
  for (const auto& s : sim::by_address(area))
    if (sim::holds_record(c.kind, s.bytes)) expected.push_back(s.bytes);
  ASSERT_GT(expected.size(), 1000u);

  std::vector<std::uint8_t> out(64 * c.entry_bytes);
  std::size_t got = 0;
  std::map<std::string, std::string> files;  // date -> expected content
  int r = 0, page = 0;
  for (; page < 100000 && (r = c.call(out.data(), page, host(), port())) >= 0; ++page) {
    for (int i = 0; i < r; ++i, ++got) {
      ASSERT_LT(got, expected.size()) << "more entries than records, page " << page;
      const Bytes& stored = expected[got];
      if (c.kind == RecordKind::kFlow) {
        Bytes want = stored;
        want[7] &= 0x0F;
        ASSERT_EQ(Bytes(out.begin() + i * 18, out.begin() + (i + 1) * 18), want) << got;
        continue;
      }
      const Expected e = expected_of(c.kind, stored);
      for (const auto& [offset, text] : e.texts)
        ASSERT_EQ(text_at(out, i, c.entry_bytes, offset), text)
            << "record " << got << " @" << offset;
      files[e.date] += e.line + " 127.0.0.1\n";
    }
  }
  EXPECT_EQ(r, -1);
  EXPECT_EQ(got, expected.size());

  const auto dir = cwd.path() / "records" / "127.0.0.1";
  if (!c.files) {
    EXPECT_FALSE(std::filesystem::exists(dir));
    return;
  }
  ASSERT_GE(files.size(), 3u) << "records spread over several days";
  std::size_t seen = 0;
  for (const auto& f : std::filesystem::directory_iterator(dir)) {
    const std::string date = f.path().stem().string();
    ASSERT_TRUE(files.count(date)) << date;
    EXPECT_EQ(testing::TempCwd::read_text(f.path()), files[date]) << date;
    ++seen;
  }
  EXPECT_EQ(seen, files.size());
}

INSTANTIATE_TEST_SUITE_P(
    Downloads, FullArea,
    ::testing::Values(
        // Wrapped with the start pointer in the middle of a page, so one page holds both the
        // newest and the oldest records.
        Case{"RecordWrapped", Vorsk_Record, RecordKind::kStandard, 54, Shape::kWrapped, 8192, 3010,
             6000, 13, true},
        Case{"RecordWrappedSplitPage", Vorsk_Record, RecordKind::kStandard, 54, Shape::kWrapped,
             8192, 2060, 8182, 11, true},
        Case{"RecordWhole", Vorsk_Record, RecordKind::kStandard, 54, Shape::kWhole, 0, 1234, 8192,
             17, true},
        Case{"RecordLinear", Vorsk_Record, RecordKind::kStandard, 54, Shape::kLinear, 8192, 70,
             5000, 9, true},
        Case{"PasswordChangesWrapped", Vorsk_Record_Chgpsw, RecordKind::kPasswordChange, 48,
             Shape::kWrapped, 8192, 5000, 4000, 7, true},
        Case{"Card32Wrapped", Vorsk_Record_weigen34, RecordKind::kCard32, 54, Shape::kWrapped, 8192,
             7001, 3000, 5, true},
        Case{"ShortLinear", Vorsk_RecordEx, RecordKind::kShort, 54, Shape::kLinear, 20000, 0, 6000,
             19, true},
        Case{"DisposalWrapped", Marn_Disposal_Record, RecordKind::kDisposal, 104, Shape::kWrapped,
             24 * 300, 24 * 200, 5000, 13, true},
        Case{"FlowWrapped", Vorsk_FlowControlRecord, RecordKind::kFlow, 18, Shape::kWrapped,
             16 * 500, 16 * 300, 6000, 0, false},
        // The shared-pointer readers with the start pointer far into its page (its oldest
        // records were skipped as gap) and stale records after the end pointer (they were
        // returned as new).
        Case{"DisposalWrappedStartDeepInPage", Marn_Disposal_Record, RecordKind::kDisposal, 104,
             Shape::kWrapped, 24 * 300, 24 * 200 + 19, 5000, 13, true, true},
        Case{"FlowWrappedStartDeepInPage", Vorsk_FlowControlRecord, RecordKind::kFlow, 18,
             Shape::kWrapped, 16 * 500, 16 * 300 + 10, 6000, 0, false, true},
        Case{"DisposalLinearStaleAfterEnd", Marn_Disposal_Record, RecordKind::kDisposal, 104,
             Shape::kLinear, 24 * 300, 24 * 10 + 5, 5000, 13, true, true},
        Case{"FlowLinearStaleAfterEnd", Vorsk_FlowControlRecord, RecordKind::kFlow, 18,
             Shape::kLinear, 16 * 500, 16 * 10 + 3, 6000, 0, false, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorskel
