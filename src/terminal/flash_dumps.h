// Whole-area flash dumps to a file in the current directory, one page per transaction.
#pragma once

#include <string>

namespace vorskel {

// The dump file's name: the terminal's IPv4 address as the 32-bit number a little-endian PC
// reads from its network-order bytes, in lower-case hexadecimal, then ".bin"
// ("192.168.1.10" gives "a01a8c0.bin"). A host text that is not a dotted address gives
// "ffffffff.bin".
std::string dump_file_name(const char* host);

}  // namespace vorskel
