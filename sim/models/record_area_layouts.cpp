#include "sim/models/record_area_layouts.h"

#include <chrono>
#include <cstdio>

namespace vorskel::sim {
namespace {

using namespace std::chrono;
const sys_days kEpoch1980{year{1980} / 1 / 1};

std::uint8_t u8(int v) {
  return static_cast<std::uint8_t>(v);
}

void le32(Bytes& b, std::size_t off, std::uint32_t v) {
  put32(b, off, v);
}

// A small deterministic generator (values only need to differ, not be random).
std::uint32_t mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

}  // namespace

std::uint32_t seconds_1980(const Stamp& s) {
  const sys_days day{year{s.year} / s.month / s.day};
  return static_cast<std::uint32_t>((day - kEpoch1980).count() * 86400LL + s.hour * 3600LL +
                                    s.minute * 60LL + s.second);
}

Stamp later(const Stamp& s, std::uint32_t seconds) {
  const std::uint64_t t = static_cast<std::uint64_t>(seconds_1980(s)) + seconds;
  const year_month_day ymd{kEpoch1980 + days{t / 86400}};
  const auto rest = static_cast<int>(t % 86400);
  return Stamp{static_cast<int>(ymd.year()),
               static_cast<int>(static_cast<unsigned>(ymd.month())),
               static_cast<int>(static_cast<unsigned>(ymd.day())),
               rest / 3600,
               rest % 3600 / 60,
               rest % 60};
}

Bytes erased(std::size_t n) {
  return Bytes(n, 0xFF);
}

Bytes standard_record(const std::string& card8, std::uint8_t status, const Stamp& at) {
  Bytes b(16, 0);
  for (std::size_t i = 0; i < 8 && i < card8.size(); ++i) b[i] = u8(card8[i]);
  b[9] = status;
  b[10] = u8(at.year - 1900);
  b[11] = u8(0xA0 | at.month);
  b[12] = u8(at.day);
  b[13] = u8(at.hour);
  b[14] = u8(at.minute);
  b[15] = u8(at.second);
  return b;
}

Bytes card32_record(std::uint32_t card, std::uint8_t status, const Stamp& at) {
  Bytes b = standard_record("", status, at);
  le32(b, 0, card);
  return b;
}

Bytes password_change_record(std::uint32_t card, std::uint32_t seconds, std::uint32_t second) {
  Bytes b(16, 0);
  le32(b, 0, card);
  le32(b, 4, seconds);
  le32(b, 8, second);
  le32(b, 12, 0xA1A1A1A1);
  return b;
}

Bytes short_record(std::uint32_t card_be, const Stamp& at) {
  return Bytes{u8(card_be >> 24),  u8(card_be >> 16),   u8(card_be >> 8), u8(card_be),
               u8(at.year - 1900), u8(0xA0 | at.month), u8(at.day),       u8(at.hour),
               u8(at.minute),      u8(at.second)};
}

Bytes flow_record(std::uint32_t value, std::uint8_t fill) {
  Bytes b(18, fill);
  le32(b, 4, 0xA0000000U | (value & 0x0FFFFFFFU));
  return b;
}

Bytes disposal_record(std::uint32_t card, std::uint32_t seconds, std::uint32_t a, std::uint32_t b,
                      std::uint32_t c, std::uint8_t flag) {
  Bytes r(21, 0);
  le32(r, 0, card);
  le32(r, 4, seconds);
  le32(r, 8, a);
  le32(r, 12, b);
  le32(r, 16, c);
  r[20] = flag;
  return r;
}

SlotGeometry geometry_of(RecordKind kind) {
  switch (kind) {
    case RecordKind::kShort:
      return {10, 320, 32};
    case RecordKind::kFlow:
      return {18, 288, 16};
    case RecordKind::kDisposal:
      return {21, 512, 24};
    default:
      return {16, 512, 32};
  }
}

bool holds_record(RecordKind kind, const Bytes& s) {
  switch (kind) {
    case RecordKind::kStandard:
    case RecordKind::kCard32:
      return s[11] >> 4 == 0xA;
    case RecordKind::kPasswordChange:
      return s[12] == 0xA1 && s[13] == 0xA1 && s[14] == 0xA1 && s[15] == 0xA1;
    case RecordKind::kShort:
      return s[5] >> 4 == 0xA && (s[5] & 15) <= 12 && s[6] <= 31 && s[7] <= 24 && s[8] <= 59 &&
             s[9] <= 59;
    case RecordKind::kFlow:
      return s[7] >> 4 == 0xA;
    case RecordKind::kDisposal:
      return (s[20] & 0xE0) == 0xE0;
  }
  return false;
}

std::vector<Bytes> record_series(RecordKind kind, const SeriesOptions& o) {
  std::vector<Bytes> out;
  out.reserve(o.count);
  for (std::size_t i = 0; i < o.count; ++i) {
    const std::uint32_t h = mix(o.seed * 0x9E3779B9U + static_cast<std::uint32_t>(i));
    const Stamp at = later(o.first, static_cast<std::uint32_t>(i) * o.step_seconds);
    const bool invalid = o.invalid_every != 0 && (i + 1) % o.invalid_every == 0;
    Bytes r;
    switch (kind) {
      case RecordKind::kStandard: {
        char card[9];
        std::snprintf(card, sizeof card, "%08u", h % 100000000U);
        r = standard_record(card, u8(h >> 8), at);
        if (invalid) r[11] = u8(0x50 | at.month);
        break;
      }
      case RecordKind::kCard32:
        r = card32_record(h, u8(h >> 8), at);
        if (invalid) r[11] = u8(0x50 | at.month);
        break;
      case RecordKind::kPasswordChange:
        r = password_change_record(h, seconds_1980(at), mix(h));
        if (invalid) r[15] = 0xA0;
        break;
      case RecordKind::kShort:
        r = short_record(h, at);
        if (invalid) r[6] = 32;  // day 32: the terminal's own range check fails it
        break;
      case RecordKind::kFlow:
        r = flow_record(h, u8(h >> 24));
        if (invalid) r[7] = u8(0x50 | (r[7] & 15));
        break;
      case RecordKind::kDisposal:
        r = disposal_record(h % 100000U, seconds_1980(at), h >> 12, mix(h) % 100000U, i,
                            u8(0xE0 | (h & 0x1F)));
        if (invalid) r[20] = 0xC0;
        break;
    }
    out.push_back(std::move(r));
  }
  return out;
}

}  // namespace vorskel::sim
