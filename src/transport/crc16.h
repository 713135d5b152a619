// The frame checksum: CRC-16 with generator 0x1021, initial value 0, no reflection and no
// final XOR (the parameter set known as CRC-16/XMODEM; check value 0x31C3 over "123456789").
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorskel {

std::uint16_t crc16(const std::uint8_t* data, std::size_t length);

}  // namespace vorskel
