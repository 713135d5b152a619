// Every record model the tool downloads syncs through the same code: what the database holds
// is what `records download` shows, field for field. A layout that does not fit is refused.
#include <sstream>

#include "sim/models/consume_records.h"
#include "sim/models/multidoor_state.h"
#include "sim/models/terminal_state.h"
#include "sync_fixture.h"

namespace vorskel::testing {
namespace {

using Loader = void (*)(sim::Model&);

constexpr std::uint32_t kT0 = 0x5C000000;  // 2025-11 in 1980-based seconds

void series(sim::Model& m, sim::RecordKind kind) {
  sim::SeriesOptions o;
  o.count = 100;
  o.seed = 9;
  sim::load_record_area(
      m, sim::linear_area(sim::geometry_of(kind), 512, 3, sim::record_series(kind, o)));
}

template <class Make>
void linear(sim::Model& m, sim::SlotGeometry g, int n, Make make) {
  std::vector<sim::Bytes> records;
  for (int i = 0; i < n; ++i) records.push_back(make(static_cast<std::uint32_t>(i)));
  sim::load_record_area(m, sim::linear_area(g, 256, 0, records));
}

struct ModelCase {
  const char* model;      // record model of the configuration
  const char* simulated;  // simulator model serving it
  Loader load;
};

const ModelCase kModels[] = {
    {"vorsk", "vorsk", [](sim::Model& m) { series(m, sim::RecordKind::kStandard); }},
    {"w34", "vorsk", [](sim::Model& m) { series(m, sim::RecordKind::kCard32); }},
    {"chgpsw", "vorsk", [](sim::Model& m) { series(m, sim::RecordKind::kPasswordChange); }},
    {"ex", "vorsk", [](sim::Model& m) { series(m, sim::RecordKind::kShort); }},
    {"flow", "vorsk", [](sim::Model& m) { series(m, sim::RecordKind::kFlow); }},
    {"disposal", "vorsk", [](sim::Model& m) { series(m, sim::RecordKind::kDisposal); }},
    {"nemmar", "nemmar",
     [](sim::Model& m) {
       linear(m, sim::kConsumptionSlots, 60, [](std::uint32_t i) {
         return sim::consumption_record(1000 + i, 100 * i, 7, kT0 + 60 * i,
                                        static_cast<std::uint8_t>(i % 16),
                                        static_cast<std::uint16_t>(i));
       });
     }},
    {"nemmarv2", "nemmarv2",
     [](sim::Model& m) {
       linear(m, sim::kSecondGenerationSlots, 50, [](std::uint32_t i) {
         return sim::second_generation_record(2000 + i, i, 3, kT0 + 61 * i, 2, 5, 6);
       });
     }},
    {"brell", "brell",
     [](sim::Model& m) {
       linear(m, sim::kBrellSlots, 40, [](std::uint32_t i) {
         return sim::brell_record(3000 + i, static_cast<std::uint16_t>(i), 9, kT0 + 59 * i, 4);
       });
     }},
    {"merch", "nemmar",
     [](sim::Model& m) {
       std::vector<sim::Bytes> records;
       for (std::uint32_t i = 0; i < 70; ++i)
         records.push_back(sim::merchant_record(0x010000 + i, 2, kT0 + i));
       sim::load_merchant_records(m, 0, records);
     }},
    {"ferrin", "ferrin",
     [](sim::Model& m) {
       sim::ferrin_format(m);
       linear(m, sim::SlotGeometry{16, 512, 32}, 70, [](std::uint32_t i) {
         return sim::ferrin_record(sim::ferrin_seconds(2026, 5, 1, 8, static_cast<int>(i % 60), 0),
                                   {0, static_cast<std::uint8_t>(i), 0x03, 0xE8}, {0, 0, 0, 0},
                                   static_cast<std::uint8_t>(0x80 + i), 1);
       });
     }},
};

// "name=value; ..." of each CSV row, as the database's detail column holds it.
Rows details_of_csv(const std::string& csv) {
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  std::vector<std::string> names;
  for (std::istringstream h(line); std::getline(h, line, ',');) names.push_back(line);
  Rows rows;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string detail, value;
    for (std::size_t i = 0; i < names.size() && std::getline(fields, value, ','); ++i)
      detail += (i ? "; " : "") + names[i] + "=" + value;
    rows.push_back({detail});
  }
  return rows;
}

TEST_F(SyncTest, EveryRecordModelRoundTripsFromTerminalToDatabase) {
  for (const ModelCase& c : kModels) {
    SCOPED_TRACE(c.model);
    std::filesystem::remove(dir_ / "site.db");
    auto& s = sim(c.simulated);
    s.with_model([&](sim::Model& m) {
      c.load(m);
      return 0;
    });
    write_config(sqlite_url(), {{"t", c.model, s.port(), false}});
    const ToolResult shown =
        run({"--format", "csv", "records", "download", "--model", c.model, "t"});
    ASSERT_EQ(shown.exit_code, 0) << shown.err;
    const Rows expected = details_of_csv(shown.out);
    ASSERT_FALSE(expected.empty());

    const ToolResult synced = run({"sync"});
    ASSERT_EQ(synced.exit_code, 0) << synced.out << synced.err;
    EXPECT_EQ(sorted(sqlite_rows("SELECT detail FROM events")), sorted(expected));
    // Dated layouts give their events a moment the database can order by.
    if (std::string(c.model) != "flow") {
      EXPECT_NE(sqlite_rows("SELECT count(*) FROM events WHERE occurred_at IS NOT NULL"),
                Rows{{"0"}});
    }
  }
}

// A configuration naming the wrong layout for the terminal: nothing stored, nothing cleared.
TEST_F(SyncTest, ALayoutThatDoesNotFitIsRefusedBeforeAnythingIsStoredOrCleared) {
  auto& s = sim();
  s.with_model([](sim::Model& m) {
    series(m, sim::RecordKind::kStandard);
    return 0;
  });
  for (const char* wrong : {"chgpsw", "disposal"}) {
    SCOPED_TRACE(wrong);
    write_config(sqlite_url(), {{"gate", wrong, s.port(), true}});
    const ToolResult r = run({"sync"});
    EXPECT_EQ(r.exit_code, 10);
    EXPECT_NE(r.out.find("layout"), std::string::npos) << r.out;
    EXPECT_EQ(sqlite_rows("SELECT count(*) FROM events"), Rows{{"0"}});
    EXPECT_FALSE(emptied(s));
  }
}

}  // namespace
}  // namespace vorskel::testing
