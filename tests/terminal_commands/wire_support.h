// Golden request bytes for the main terminal's commands: a builder for expected datagrams
// and a table row that runs one export and names the bytes it must send.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/sim_fixture.h"

namespace vorskel::testing {

using Bytes = std::vector<std::uint8_t>;

// The expected command code and payload: len zero bytes with parts laid over them.
struct Piece {
  std::size_t off;
  Bytes bytes;
};
inline Piece at(std::size_t off, const std::string& hex_text) {
  return {off, unhex(hex_text)};
}
inline Piece text_at(std::size_t off, const std::string& text) {
  return {off, Bytes(text.begin(), text.end())};
}
inline Piece fill_at(std::size_t off, std::size_t n, std::uint8_t value) {
  return {off, Bytes(n, value)};
}
inline Bytes wire(std::uint8_t code, std::size_t len, std::initializer_list<Piece> parts = {}) {
  Bytes b(1 + len, 0);
  b[0] = code;
  for (const Piece& p : parts) {
    for (std::size_t i = 0; i < p.bytes.size(); ++i) b.at(1 + p.off + i) = p.bytes[i];
  }
  return b;
}

struct WireCase {
  WireCase(const char* w, std::function<int(const char*, int)> c, Bytes e,
           std::optional<std::uint16_t> lang = std::nullopt)
      : what(w), call(std::move(c)), expected(std::move(e)), lang_id(lang) {}
  const char* what;
  std::function<int(const char* host, int port)> call;
  Bytes expected;                        // code and payload as sent
  std::optional<std::uint16_t> lang_id;  // system language for the call, when it matters
};

}  // namespace vorskel::testing
