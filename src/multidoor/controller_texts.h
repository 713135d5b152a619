// Texts the controller's exports exchange with the host: hexadecimal passwords and card
// numbers (upper-cased in the caller's buffer, as hosts expect to see them afterwards), and
// the channel mask texts of 24 characters '1'/'0'.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorskel::multidoor {

inline constexpr int kChannels = 24;
inline constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);

// Upper-cases the zero-terminated text in place, at most width bytes; returns it.
char* upper_case_in_place(char* text, std::size_t width = kUnbounded);

// The first 2 x count characters of text as count bytes, high digit first; a character
// that is not a hex digit counts as 0, and so does every character past the text's end
// (a short text is never read beyond its terminating zero).
void hex_text_bytes(const char* text, std::uint8_t* out, int count);

// Bit i set when character i is '1', for the first 24 characters or up to the text's end.
std::uint32_t channel_mask_from_text(const char* text);

// Exactly 24 characters '1'/'0' for bits 0..23, no terminating zero.
void channel_mask_to_text(std::uint32_t mask, char* out);

}  // namespace vorskel::multidoor
