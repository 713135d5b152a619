// The terminal's contactless card reader: card-block writes with their reports to the
// watching host, the raw pass-through, the setting byte, and the card-reader model's
// identify, read and write operations.
#include "sim/models/card_reader.h"

#include <algorithm>

#include "sim/simulator.h"

namespace vorskel::sim {
namespace {

constexpr std::size_t kBlockBytes = 16;
constexpr std::size_t kReportBytes = 72;
constexpr std::size_t kSerialAt = 64;
constexpr std::size_t kMarkerAt = 68;
constexpr std::uint16_t kMarker = 0xABCD;
constexpr std::uint16_t kBadRequest = 1;

constexpr std::size_t kComDataBytes = 448;
constexpr std::size_t kComReplyBytes = 452;

// Card-operation payload offsets.
constexpr std::size_t kOpDataAt = 0;
constexpr std::size_t kOpSerialAt = 64;
constexpr std::size_t kOpKeyAt = 70;
constexpr std::size_t kOpStatusAt = 148;
constexpr std::size_t kOpBytes = 150;

Bytes status_reply(std::size_t size, std::uint16_t status) {
  Bytes b(size, 0);
  put16(b, 0, status);
  return b;
}

bool serial_matches(const CardReader& reader, const Request& r, std::size_t at) {
  for (std::size_t i = 0; i < reader.serial.size(); ++i)
    if (r.p8(at + i) != reader.serial[i]) return false;
  return true;
}

// Command 33: the block waits for its card; when that card is on the reader it is written at
// once and the block read back is reported to the watching host.
Reply write_block(Model& m, CardReader& reader, const Request& r) {
  if (r.p16(kMarkerAt) != kMarker) return status_reply(kReportBytes, kBadRequest);
  if (reader.write_status != 0) return status_reply(kReportBytes, reader.write_status);
  Bytes data(kBlockBytes);
  for (std::size_t i = 0; i < kBlockBytes; ++i) data[i] = r.p8(i);
  reader.pending = data;
  if (reader.card_present && serial_matches(reader, r, kSerialAt)) {
    const std::size_t at = (reader.report_block % 4) * kBlockBytes;
    std::copy(data.begin(), data.end(), reader.blocks.begin() + static_cast<std::ptrdiff_t>(at));
    reader.pending.reset();
    if (m.simulator != nullptr)
      m.simulator->send_to_watcher(
          card_block_report(reader.report_block, data.data(), reader.serial.data()));
  }
  return status_reply(kReportBytes, kCardOk);
}

// Command 35: the reader's answer (the data echoed unless a test set one), and its length.
Reply pass_through(const CardReader& reader, const Request& r) {
  const std::size_t n = std::min<std::size_t>(r.p16(kComDataBytes), kComDataBytes);
  Bytes answer = reader.com_answer.value_or(Bytes{});
  if (!reader.com_answer)
    for (std::size_t i = 0; i < n; ++i) answer.push_back(r.p8(i));
  answer.resize(std::min(answer.size(), kComDataBytes));
  Bytes b(kComReplyBytes, 0);
  std::copy(answer.begin(), answer.end(), b.begin());
  put16(b, kComDataBytes, static_cast<std::uint32_t>(n));
  put16(b, kComDataBytes + 2, static_cast<std::uint32_t>(answer.size()));
  return b;
}

enum class CardOp { kIdentify, kRead, kWrite };

// Commands 61, 62, 79: the reply keeps the request's layout with serial, data and status.
Reply card_operation(CardReader& reader, CardOp op, const Request& r) {
  Bytes b(kOpBytes, 0);
  for (std::size_t i = 0; i < kOpBytes; ++i) b[i] = r.p8(i);
  std::uint16_t status = kCardOk;
  bool key_ok = true;
  for (std::size_t i = 0; i < reader.key.size(); ++i)
    key_ok = key_ok && r.p8(kOpKeyAt + i) == reader.key[i];
  if (!reader.card_present) {
    status = kNoCard;
  } else if (op != CardOp::kIdentify && !key_ok) {
    status = kWrongKey;
  } else {
    if (op != CardOp::kWrite)
      std::copy(reader.serial.begin(), reader.serial.end(), b.begin() + kOpSerialAt);
    if (op == CardOp::kRead)
      std::copy(reader.blocks.begin(), reader.blocks.end(), b.begin() + kOpDataAt);
    if (op == CardOp::kWrite)
      for (std::size_t i = 0; i < reader.blocks.size(); ++i) reader.blocks[i] = r.p8(kOpDataAt + i);
  }
  put16(b, kOpStatusAt, status);
  return b;
}

void install(Model& m) {
  auto& reader = m.part<CardReader>();
  m.on(33, [&m, &reader](const Request& r) { return write_block(m, reader, r); });
  m.on(35, [&reader](const Request& r) { return pass_through(reader, r); });
  m.on(57, [&reader](const Request& r) -> Reply {
    reader.reader_setting = r.p8(0);
    return Bytes{r.p8(0)};
  });
  m.on(61, [&reader](const Request& r) { return card_operation(reader, CardOp::kIdentify, r); });
  m.on(62, [&reader](const Request& r) { return card_operation(reader, CardOp::kRead, r); });
  m.on(79, [&reader](const Request& r) { return card_operation(reader, CardOp::kWrite, r); });
  // Command 34 is served by the flash family, which hands its 2-byte form to stop_write.
}

const bool registered = register_family("vorsk", 21, install);

}  // namespace

Bytes card_block_report(std::uint8_t block, const std::uint8_t* data16,
                        const std::uint8_t* serial4) {
  Bytes b(kReportBytes, 0);
  b[0] = block;
  std::copy(data16, data16 + kBlockBytes, b.begin() + 1);
  std::copy(serial4, serial4 + 4, b.begin() + kSerialAt);
  put16(b, kMarkerAt, kMarker);
  put16(b, 70, crc16(b.data(), 70));
  return b;
}

Reply stop_write(CardReader& reader) {
  reader.pending.reset();
  return status_reply(2, reader.stop_status);
}

}  // namespace vorskel::sim
