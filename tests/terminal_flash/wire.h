// Shared helpers of the flash and card-reader tests: expected payloads described as a size
// and the fields that are not zero, and a fresh current directory for the dump files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/sim_fixture.h"
#include "support/temp_dir.h"

namespace vorskel::testing {

struct Field {
  std::size_t offset;
  std::string hex;
};

// "CODE PAYLOAD" of a request whose payload is `size` bytes, zero except for the fields.
inline std::string request_hex(std::uint8_t code, std::size_t size,
                               const std::vector<Field>& fields) {
  std::vector<std::uint8_t> b(size + 1, 0);
  b[0] = code;
  for (const auto& f : fields) {
    const auto bytes = unhex(f.hex);
    for (std::size_t i = 0; i < bytes.size(); ++i) b.at(1 + f.offset + i) = bytes[i];
  }
  return hex(b);
}

// The datagram without its checksum, for comparing with request_hex.
inline std::string sent_hex(const sim::Request& r) {
  return hex(std::vector<std::uint8_t>(r.datagram.begin() + 2, r.datagram.end()));
}

// One export call and the request it must send, for tables of wire vectors.
struct WireRow {
  const char* what;
  std::function<int()> call;  // succeeds against the simulated terminal
  std::string expected;       // request_hex of the one datagram it sends
};

inline void expect_wire(sim::Simulator& terminal, const std::vector<WireRow>& rows) {
  for (const auto& row : rows) {
    terminal.clear_requests();
    EXPECT_EQ(row.call(), 0) << row.what;
    const auto sent = terminal.requests();  // recorded before the reply went out
    ASSERT_EQ(sent.size(), 1u) << row.what;
    EXPECT_TRUE(sent[0].crc_ok) << row.what;
    EXPECT_EQ(sent_hex(sent[0]), row.expected) << row.what;
  }
}

// Runs a test body in a fresh temporary directory, returning to the old one afterwards, so
// dump files of parallel tests never meet.
class InTempDir {
 public:
  InTempDir() : old_(std::filesystem::current_path()), dir_(make_temp_directory("vorskel-flash-")) {
    std::filesystem::current_path(dir_);
  }
  ~InTempDir() {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  InTempDir(const InTempDir&) = delete;
  InTempDir& operator=(const InTempDir&) = delete;
  const std::filesystem::path& path() const { return dir_; }

 private:
  std::filesystem::path old_;
  std::filesystem::path dir_;
};

}  // namespace vorskel::testing
