// The controller's time segment: the host passes four ints (start hour, start minute, end
// hour, end minute); the wire carries four bytes with each minute before its hour. Week
// tables, open-time tables and holiday door tables are runs of these segments.
#pragma once

#include <cstdint>

namespace vorskel::multidoor {

inline constexpr int kSegmentInts = 4;
inline constexpr int kSegmentBytes = 4;

// An hour above 23 or a minute above 59 is not a time of day: the controller gets 0 instead.
// Comparisons are signed, so a negative value stays (and goes out as its low byte).
void clamp_segments(int* segments, int count);

// count segments to wire bytes, clamping the values sent (the caller's ints are not changed).
void encode_segments(const int* segments, int count, std::uint8_t* wire);

// count wire segments to ints, every byte sign-extended (0xFF reads back as -1); no clamping.
void decode_segments(const std::uint8_t* wire, int count, int* segments);

}  // namespace vorskel::multidoor
