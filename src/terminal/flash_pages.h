// Page reads and writes of the terminal's two flash areas (area 2 and area 3), shared by the
// page exports, the record readers and the functions that store tables in area 2.
#pragma once

#include <cstdint>

namespace vorskel {

inline constexpr int kFlashPageBytes = 512;      // useful bytes of one page read
inline constexpr int kFlashPageReplyLen = 1024;  // room the page read and write accept
inline constexpr int kFlashWriteMaxBytes = 256;  // most data bytes one page write carries
inline constexpr int kFlashWriteHeader = 6;      // address (4) and length (2) before the data
inline constexpr std::uint32_t kArea2Bytes = 512 * 512;  // area 2: 512 pages of 512 bytes

// Reads the page at address of area 2 or 3 into buffer (min(length, 512) bytes, only when the
// transaction succeeds). -1 for any other area, without an exchange.
int read_flash_page(int area, std::uint8_t* buffer, int length, std::uint32_t address,
                    const char* host, int port);

// Writes length bytes of buffer at address of area 2 or 3. -1 without an exchange for another
// area, a length above 256 or below 0, or a null buffer with data to send; otherwise the
// transaction's error, or on success the terminal's status word read as a signed 16-bit
// number (0 when it stored the data).
int write_flash_page(int area, const std::uint8_t* buffer, int length, std::uint32_t address,
                     const char* host, int port);

}  // namespace vorskel
