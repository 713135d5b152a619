#include "multidoor/time_segments.h"

namespace vorskel::multidoor {
namespace {

constexpr int kLastHour = 23;
constexpr int kLastMinute = 59;

// Host order within a segment, and where each value sits on the wire.
enum HostField { kStartHour, kStartMinute, kEndHour, kEndMinute };
constexpr int kWireAt[kSegmentInts] = {1, 0, 3, 2};
constexpr int kLimit[kSegmentInts] = {kLastHour, kLastMinute, kLastHour, kLastMinute};

int clamped(int value, HostField field) {
  return value > kLimit[field] ? 0 : value;
}

}  // namespace

void clamp_segments(int* segments, int count) {
  for (int i = 0; i < count * kSegmentInts; ++i)
    segments[i] = clamped(segments[i], static_cast<HostField>(i % kSegmentInts));
}

void encode_segments(const int* segments, int count, std::uint8_t* wire) {
  for (int s = 0; s < count; ++s)
    for (int f = 0; f < kSegmentInts; ++f)
      wire[s * kSegmentBytes + kWireAt[f]] = static_cast<std::uint8_t>(
          clamped(segments[s * kSegmentInts + f], static_cast<HostField>(f)));
}

void decode_segments(const std::uint8_t* wire, int count, int* segments) {
  for (int s = 0; s < count; ++s)
    for (int f = 0; f < kSegmentInts; ++f)
      segments[s * kSegmentInts + f] =
          static_cast<std::int8_t>(wire[s * kSegmentBytes + kWireAt[f]]);
}

}  // namespace vorskel::multidoor
