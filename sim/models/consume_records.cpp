// The payment terminals' stored records, and the second-generation terminal's record write.
#include "sim/models/consume_records.h"

#include <algorithm>

#include "sim/models/terminal_state.h"
#include "src/protocol/codes.h"

namespace vorskel::sim {
namespace {

constexpr std::uint8_t kWriteRecord = 88;
constexpr std::size_t kWriteReply = protocol::kLongReply;

}  // namespace

Bytes consumption_record(std::uint32_t card, std::uint32_t a, std::uint32_t b,
                         std::uint32_t seconds, std::uint8_t type, std::uint16_t c,
                         std::uint8_t mark) {
  Bytes r(19, 0);
  put32(r, 0, card);
  put32(r, 4, a);
  put32(r, 8, b);
  put32(r, 12, seconds);
  r[16] = static_cast<std::uint8_t>(mark | (type & 0x0F));
  put16(r, 17, c);
  return r;
}

Bytes short_consumption_record(std::uint32_t card, std::uint32_t seconds, std::uint16_t value) {
  Bytes r(10, 0);
  put32(r, 0, card);
  put32(r, 4, seconds);
  put16(r, 8, value);
  return r;
}

Bytes second_generation_record(std::uint32_t card, std::uint32_t a, std::uint32_t b,
                               std::uint32_t seconds, std::uint8_t type, std::uint8_t d,
                               std::uint32_t e, std::uint8_t mark) {
  Bytes r(22, 0);
  put32(r, 0, card);
  put32(r, 4, a);
  put32(r, 8, b);
  put32(r, 12, seconds);
  r[16] = static_cast<std::uint8_t>(mark | (type & 0x0F));
  r[17] = d;
  put32(r, 18, e);
  return r;
}

Bytes brell_record(std::uint32_t card, std::uint16_t f, std::uint32_t g, std::uint32_t seconds,
                   std::uint8_t h, std::uint8_t marker) {
  Bytes r(16, 0);
  put32(r, 0, card);
  put16(r, 4, f);
  put32(r, 6, g);
  put32(r, 10, seconds);
  r[14] = marker;
  r[15] = h;
  return r;
}

Bytes merchant_record(std::uint32_t number, std::uint8_t type, std::uint32_t seconds,
                      std::uint8_t mark) {
  Bytes r(8, 0);
  r[0] = static_cast<std::uint8_t>(number >> 16);
  r[1] = static_cast<std::uint8_t>(number >> 8);
  r[2] = static_cast<std::uint8_t>(number);
  r[3] = static_cast<std::uint8_t>(mark | (type & 0x0F));
  put32(r, 4, seconds);
  return r;
}

void load_merchant_records(Model& m, std::uint32_t start, const std::vector<Bytes>& records) {
  auto& area3 = m.part<FlashAreas>().area3;
  std::fill(area3.begin(), area3.end(), 0xFF);
  std::uint32_t at = start;
  for (const Bytes& r : records) {
    std::copy(r.begin(), r.end(), area3.begin() + at);
    at += static_cast<std::uint32_t>(r.size());
  }
  auto& c = m.part<RecordCounters>();
  c.start = start;
  c.end = at;
}

namespace {

void install_record_write(Model& m) {
  auto& written = m.part<WrittenRecords>();
  m.on(kWriteRecord, [&written](const Request& r) -> Reply {
    written.records.push_back(r.payload());
    return Bytes(kWriteReply, 0);
  });
}

const bool registered = register_family("nemmarv2", 40, install_record_write);

}  // namespace
}  // namespace vorskel::sim
