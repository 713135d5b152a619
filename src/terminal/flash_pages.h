// Page reads of the terminal's flash areas, shared by the page-read exports and the record
// readers.
#pragma once

#include <cstdint>

namespace vorskel {

inline constexpr int kFlashPageBytes = 512;      // useful bytes of one page read
inline constexpr int kFlashPageReplyLen = 1024;  // room the page read accepts

// Reads the page at address of area 2 or 3 into buffer (min(length, 512) bytes, only when the
// transaction succeeds). -1 for any other area, without an exchange.
int read_flash_page(int area, std::uint8_t* buffer, int length, std::uint32_t address,
                    const char* host, int port);

}  // namespace vorskel
