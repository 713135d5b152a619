// Shared pieces of the payment terminals' download tests: a fixture on a chosen simulated
// model running in a temporary current directory (record files never meet), and the texts
// a stored record must come back as, worked out from its bytes on their own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "records/temp_cwd.h"
#include "sim/models/consume_records.h"
#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "sim/models/terminal_state.h"
#include "support/sim_fixture.h"

namespace vorskel::testing {

using PageCall = int (*)(unsigned char*, int, const char*, int);

class ConsumeSim : public SimTest {
 protected:
  TempCwd cwd;
  void load(const sim::RecordArea& area) {
    sim().with_model([&](sim::Model& m) {
      sim::load_record_area(m, area);
      return 0;
    });
  }
  // The zero-terminated text at offset of entry i.
  static std::string text_at(const std::vector<std::uint8_t>& out, int i, std::size_t entry,
                             std::size_t offset) {
    return reinterpret_cast<const char*>(out.data() + i * entry + offset);
  }
  // Addresses of the page reads (command code) since the last clear.
  std::vector<std::uint32_t> reads(std::uint8_t code = 4) {
    std::vector<std::uint32_t> a;
    for (const auto& r : requests())
      if (r.code() == code) a.push_back(r.p32(0));
    return a;
  }
};

inline std::uint32_t le32(const sim::Bytes& b, std::size_t off) {
  return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) |
         (static_cast<std::uint32_t>(b[off + 3]) << 24);
}
inline std::uint32_t le16(const sim::Bytes& b, std::size_t off) {
  return static_cast<std::uint32_t>(b[off] | (b[off + 1] << 8));
}

inline std::string printf_text(const char* fmt, unsigned long v) {
  char s[32];
  std::snprintf(s, sizeof s, fmt, v);
  return s;
}

// 1980-based seconds as date and time texts, by the standard library's calendar.
inline std::pair<std::string, std::string> stamp_texts(std::uint32_t seconds) {
  using namespace std::chrono;
  const year_month_day ymd{sys_days{year{1980} / 1 / 1} + days{seconds / 86400}};
  const unsigned long rest = seconds % 86400;
  char date[16], time[16];
  std::snprintf(date, sizeof date, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                unsigned(ymd.day()));
  std::snprintf(time, sizeof time, "%02lu:%02lu:%02lu", rest / 3600, rest % 3600 / 60, rest % 60);
  return {date, time};
}

}  // namespace vorskel::testing
