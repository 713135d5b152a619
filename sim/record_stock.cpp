#include "sim/record_stock.h"

#include <cstdio>
#include <sstream>

#include "sim/models/consume_records.h"
#include "sim/models/multidoor_state.h"
#include "sim/models/terminal_state.h"

namespace vorskel::sim {
namespace {

constexpr std::uint8_t kDoorRecordMark = 0xA0;  // over the month, as the controllers store it
constexpr std::uint8_t kClearRecords = 1;       // command 15's sub-commands that empty records
constexpr std::uint8_t kClearToZeroPoint = 2;
constexpr std::uint8_t kClearCommand = 15;
constexpr std::uint8_t kFerrinClearCommand = 32;
constexpr std::size_t kWrapAtLeast = 16;  // fewer records than this cannot wrap with a gap

std::uint32_t seconds(const StockRecord& r) {
  return seconds_1980(r.at);
}

std::string hex8(std::uint32_t v) {
  char b[9];
  std::snprintf(b, sizeof b, "%08X", v);
  return b;
}

// The card's 4 bytes, most significant first, at the front of a record of size bytes.
Bytes card_bytes(std::uint32_t card, std::size_t size = 4) {
  Bytes b(size, 0);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(card >> (24 - 8 * i));
  return b;
}

std::uint8_t low(std::uint32_t v) {
  return static_cast<std::uint8_t>(v);
}

// Door controller record (16 bytes): card 0-3, 4-7 zero, reader 8, status 9, year-1900,
// mark and month, day, hour, minute, second.
Bytes door_record(const StockRecord& r) {
  Bytes b = card_bytes(r.card, 16);
  b[8] = low(1 + r.value % 4);
  b[9] = low(r.value % 0x60);
  b[10] = low(r.at.year - 1900);
  b[11] = low(kDoorRecordMark | r.at.month);
  b[12] = low(r.at.day);
  b[13] = low(r.at.hour);
  b[14] = low(r.at.minute);
  b[15] = low(r.at.second);
  return b;
}

// Lusk record (16 bytes): card 0-3, number 4-7, 1980 seconds 8-11, signed byte 12, mark 13.
Bytes lusk_record(const StockRecord& r) {
  Bytes b = card_bytes(r.card, 16);
  put32(b, 4, r.value);
  put32(b, 8, seconds(r));
  b[12] = low(r.value % 100);
  b[13] = kDoorRecordMark;
  return b;
}

Bytes ferrin(const StockRecord& r) {
  return ferrin_record(seconds(r), card_bytes(r.card), Bytes(4, 0), low(0x80 + r.value % 64), 1);
}

const std::vector<StockLayout> kLayouts = {
    {"vorsk", "vorsk pirrel", geometry_of(RecordKind::kStandard), false,
     [](const StockRecord& r) { return standard_record(hex8(r.card), low(r.value % 0x60), r.at); },
     true},
    {"w34", "vorsk", geometry_of(RecordKind::kCard32), false,
     [](const StockRecord& r) { return card32_record(r.card, low(r.value % 0x60), r.at); }, true},
    {"chgpsw", "vorsk", geometry_of(RecordKind::kPasswordChange), false,
     [](const StockRecord& r) { return password_change_record(r.card, seconds(r), r.value); },
     true},
    {"ex", "vorsk", geometry_of(RecordKind::kShort), false,
     [](const StockRecord& r) { return short_record(r.card, r.at); }, true},
    {"flow", "vorsk", geometry_of(RecordKind::kFlow), false,
     [](const StockRecord& r) { return flow_record(r.value, low(r.card)); }, false},
    {"disposal", "vorsk", geometry_of(RecordKind::kDisposal), false,
     [](const StockRecord& r) {
       return disposal_record(r.card, seconds(r), r.value, r.value * 2, r.value * 3);
     },
     true},
    {"nemmar", "nemmar", kConsumptionSlots, false,
     [](const StockRecord& r) {
       return consumption_record(r.card, r.value * 10, 7, seconds(r), low(r.value % 16),
                                 static_cast<std::uint16_t>(r.value));
     },
     true},
    {"nemmar-id", "nemmar", kShortConsumptionSlots, false,
     [](const StockRecord& r) {
       return short_consumption_record(r.card, seconds(r), static_cast<std::uint16_t>(r.value));
     },
     true},
    {"nemmarv2", "nemmarv2", kSecondGenerationSlots, false,
     [](const StockRecord& r) {
       return second_generation_record(r.card, r.value * 10, 7, seconds(r), low(r.value % 16),
                                       low(r.value), r.value * 3);
     },
     true},
    {"brell", "brell", kBrellSlots, false,
     [](const StockRecord& r) {
       return brell_record(r.card, static_cast<std::uint16_t>(r.value), r.value * 10, seconds(r),
                           low(r.value));
     },
     true},
    {"merch", "nemmar nemmarv2 brell", SlotGeometry{8, 512, 64}, true,
     [](const StockRecord& r) { return merchant_record(r.card & 0xFFFFFF, 2, seconds(r)); }, true},
    {"sondo", "doors sondo kappel hesk gaddo", SlotGeometry{16, 512, 32}, false, door_record, true},
    {"sondo-ex", "doors sondo kappel hesk gaddo", SlotGeometry{16, 512, 32}, false, door_record,
     true},
    {"lusk", "lusk doors", SlotGeometry{16, 512, 32}, false, lusk_record, true},
    {"ferrin", "ferrin", SlotGeometry{16, 512, 32}, false, ferrin, true},
    {"ferrin66", "ferrin", SlotGeometry{16, 512, 32}, false, ferrin, true},
};

bool kept_by(const StockLayout& l, const std::string& model) {
  std::istringstream in(l.models);
  for (std::string m; in >> m;)
    if (m == model) return true;
  return false;
}

bool is_ferrin(const StockLayout& l) {
  return std::string(l.name).rfind("ferrin", 0) == 0;
}

std::uint32_t area_slots(const StockLayout& l) {
  const std::uint32_t bytes = is_ferrin(l) ? kFerrinRecordAreaEnd : FlashAreas::kArea2;
  return bytes / l.geometry.page_bytes * l.geometry.slots_per_page;
}

StockRecord numbered(const RecordStock& s, std::uint32_t n) {
  StockRecord r;
  r.card = 0x10000000u + (n * 2654435761u + s.seed) % 0x01000000u;
  r.at = later(s.first, n * s.step_seconds);
  r.value = (n * 37u + s.seed) % 1000u;
  return r;
}

void reload(Model& m, RecordStock& s) {
  const StockLayout& l = *s.layout;
  std::vector<Bytes> bytes;
  bytes.reserve(s.records.size());
  for (const auto& r : s.records) bytes.push_back(l.encode(r));
  if (l.merchant) {
    load_merchant_records(m, 0, bytes);
  } else {
    const std::uint32_t slots = area_slots(l);
    const bool wrap = s.wrapped && bytes.size() >= kWrapAtLeast;
    load_record_area(m, wrap ? wrapped_area(l.geometry, slots, s.wrap_start, std::move(bytes))
                             : linear_area(l.geometry, slots, 0, std::move(bytes)));
  }
  ++s.generation;
}

// Room for one more record: the oldest goes when the area is full, as on a terminal.
void make_room(const StockLayout& l, RecordStock& s) {
  const std::size_t capacity =
      l.merchant ? FlashAreas::kArea3 / l.geometry.record_bytes - 1 : area_slots(l) - 1;
  while (s.records.size() >= capacity) {
    s.records.erase(s.records.begin());
    s.wrap_start = (s.wrap_start + 1) % area_slots(l);
  }
}

void clear_stock(Model& m) {
  auto& s = m.part<RecordStock>();
  if (s.layout == nullptr) return;
  s.records.clear();
  s.wrapped = false;
  reload(m, s);
}

}  // namespace

const std::vector<StockLayout>& stock_layouts() {
  return kLayouts;
}

const StockLayout* find_stock_layout(const std::string& name) {
  for (const auto& l : kLayouts)
    if (name == l.name) return &l;
  return nullptr;
}

std::vector<std::string> layouts_of(const std::string& model) {
  std::vector<std::string> names;
  for (const auto& l : kLayouts)
    if (kept_by(l, model)) names.push_back(l.name);
  return names;
}

void stock_records(Model& m, const StockLayout& layout, std::size_t count, bool wrapped,
                   std::uint32_t seed) {
  auto& s = m.part<RecordStock>();
  s.layout = &layout;
  s.seed = seed;
  if (is_ferrin(layout)) ferrin_format(m);
  const std::uint32_t slots = area_slots(layout);
  count = std::min<std::size_t>(count, slots - 1);
  s.wrapped = wrapped && !layout.merchant && count >= kWrapAtLeast;
  s.wrap_start = s.wrapped ? static_cast<std::uint32_t>(slots - count / 2 - 7) : 0;
  s.records.clear();
  for (std::uint32_t n = 0; n < count; ++n) s.records.push_back(numbered(s, n));
  s.next_number = static_cast<std::uint32_t>(count);
  reload(m, s);
}

void add_stock_record(Model& m) {
  auto& s = m.part<RecordStock>();
  if (s.layout == nullptr) return;
  make_room(*s.layout, s);
  s.records.push_back(numbered(s, s.next_number++));
  reload(m, s);
}

void honour_record_clears(Model& m) {
  const bool ferrin = m.name() == "ferrin";
  const std::uint8_t code = ferrin ? kFerrinClearCommand : kClearCommand;
  const Handler* found = m.find(code);
  // The fall-back handler of a model answers codes it has no handler for: not this one's.
  Handler earlier = found != nullptr ? *found : Handler();
  Model* model = &m;
  m.on(code, [model, earlier, ferrin](const Request& r) -> Reply {
    Reply reply = earlier ? earlier(r) : Reply(Bytes(r.datagram.begin() + 3, r.datagram.end()));
    if (ferrin || r.p8(0) == kClearRecords || r.p8(0) == kClearToZeroPoint) clear_stock(*model);
    return reply;
  });
}

bool export_stock(Model& m, const std::string& path) {
  const auto& s = m.part<RecordStock>();
  const std::string temp = path + ".part";
  std::FILE* f = std::fopen(temp.c_str(), "w");
  if (f == nullptr) return false;
  std::fprintf(f, "layout,card,date,time,value\n");
  for (const auto& r : s.records) {
    if (s.layout->dated)
      std::fprintf(f, "%s,%08X,%04d-%02d-%02d,%02d:%02d:%02d,%u\n", s.layout->name, r.card,
                   r.at.year, r.at.month, r.at.day, r.at.hour, r.at.minute, r.at.second, r.value);
    else
      std::fprintf(f, "%s,%08X,,,%u\n", s.layout->name, r.card, r.value);
  }
  const bool ok = std::fflush(f) == 0 && std::ferror(f) == 0;
  if (std::fclose(f) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vorskel::sim
