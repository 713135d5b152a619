// A simulated terminal with a record area, run from a fresh current directory so the
// record files each test makes are its own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "support/sim_fixture.h"
#include "temp_cwd.h"

namespace vorskel::testing {

using PageCall = int (*)(unsigned char* out, int page, const char* host, int port);

class RecordSim : public SimTest {
 protected:
  void load(const sim::RecordArea& area) {
    sim().with_model([&](sim::Model& m) {
      sim::load_record_area(m, area);
      return 0;
    });
  }

  // Command codes of the requests since the last clear.
  std::vector<int> codes() const {
    std::vector<int> out;
    for (const auto& r : requests()) out.push_back(r.code());
    return out;
  }
  // Flash addresses of the page reads since the last clear.
  std::vector<std::uint32_t> page_reads() const {
    std::vector<std::uint32_t> out;
    for (const auto& r : requests())
      if (r.code() == 4) out.push_back(r.payload_size() >= 8 ? r.p32(4) : r.p32(0));
    return out;
  }

  // Texts at an entry's offset (up to its zero).
  static std::string text_at(const std::vector<std::uint8_t>& buffer, std::size_t entry,
                             std::size_t entry_bytes, std::size_t offset) {
    const char* p = reinterpret_cast<const char*>(buffer.data() + entry * entry_bytes + offset);
    return std::string(p, std::find(p, p + (entry_bytes - offset), '\0'));
  }

  TempCwd cwd;
};

}  // namespace vorskel::testing
