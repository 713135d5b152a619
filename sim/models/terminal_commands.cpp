// The main terminal's settings commands: setters store what they are sent, getters report
// it, so a host's set-then-get round trip reads back its own values.
#include "sim/models/terminal_commands.h"

#include <algorithm>
#include <cstring>

#include "sim/models/terminal_state.h"
#include "sim/simulator.h"
#include "src/protocol/codes.h"

namespace vorskel::sim {
namespace {

constexpr std::size_t kLongReply = protocol::kLongReply;
constexpr std::size_t kSystemParameterReply = 1024;
constexpr std::size_t kTableBytes = 34;
constexpr std::size_t kHeader1 = 32, kHeader2 = 33;

// Most settings are acknowledged with the request's own payload.
Reply echo(const Request& r) {
  return r.payload();
}

template <std::size_t N>
void copy_in(std::array<std::uint8_t, N>& to, const Request& r, std::size_t from) {
  for (std::size_t i = 0; i < N; ++i) to[i] = r.p8(from + i);
}

template <std::size_t N>
void copy_out(Bytes& to, std::size_t at, const std::array<std::uint8_t, N>& from) {
  if (to.size() < at + N) to.resize(at + N);
  std::copy(from.begin(), from.end(), to.begin() + static_cast<std::ptrdiff_t>(at));
}

bool key_block_crc_ok(const Request& r) {
  std::uint8_t block[14];
  for (std::size_t i = 0; i < 14; ++i) block[i] = r.p8(i);
  return crc16(block, 14) == r.p16(14);
}

void install_settings(Model& m, TerminalSettings& s) {
  // Plain settings: stored as sent, acknowledged with the same bytes (two of them with the
  // terminal's long acknowledgement, the work area with none).
  for (std::uint8_t code :
       {58, 16, 17, 19, 20, 23, 32, 36, static_cast<int>(protocol::code::kEnDisplayName), 177, 178,
        179, 180, 182, 145, 26, 31}) {
    m.on(code, [&s](const Request& r) -> Reply {
      s.last[r.code()] = r.payload();
      return echo(r);
    });
  }
  for (std::uint8_t code : {60, 59}) {
    m.on(code, [&s](const Request& r) -> Reply {
      s.last[r.code()] = r.payload();
      Bytes b = r.payload();
      b.resize(kLongReply, 0);
      return b;
    });
  }
  m.on(64, [&s](const Request& r) -> Reply {
    s.work_area = r.p8(0);
    return Bytes{};
  });
  m.on(2, [&s](const Request&) -> Reply {
    ++s.resets;
    return Bytes{};
  });
  m.on(22, [&s](const Request&) -> Reply {  // factory parameters; identity and keys survive
    s.last.clear();
    s.other = {};
    s.time_tables.clear();
    s.alarm_clocks.clear();
    ++s.factory_resets;
    return Bytes{};
  });
  m.on(15, [&s, &m](const Request& r) -> Reply {
    s.clears.push_back(r.p8(0));
    // Records (1): the stored ones are gone, the next is written where the last one ended;
    // back to the zero point (2): the next is written at the area's first slot.
    auto& k = m.part<RecordCounters>();
    if (r.p8(0) == 1 || r.p8(0) == 2) {
      k.start = k.end = r.p8(0) == 1 ? k.end : 0;
      k.cycle = 0;
      k.record_total = 0;
    }
    return echo(r);
  });
}

void install_identity(Model& m, TerminalSettings& s) {
  m.on(8, [&s](const Request& r) -> Reply {
    copy_in(s.identity, r, 0);
    s.device_byte = r.p8(15);
    s.device_value = r.p32(16);
    return echo(r);
  });
  m.on(9, [&s](const Request&) -> Reply {
    Bytes b(20, 0);
    copy_out(b, 0, s.identity);
    b[15] = s.device_byte;
    put32(b, 16, s.device_value);
    return b;
  });
  m.on(10, [&s](const Request&) -> Reply {
    Bytes b(128, 0);
    std::memcpy(b.data(), s.version.data(), std::min<std::size_t>(s.version.size(), b.size()));
    return b;
  });
  m.on(1, [&s](const Request& r) -> Reply {
    copy_in(s.network, r, 0);
    return echo(r);
  });
  m.on(7, [&s](const Request& r) -> Reply {
    copy_in(s.greetings, r, 0);
    return echo(r);
  });
}

void install_keys_and_parameters(Model& m, TerminalSettings& s) {
  auto key_block = [&s](std::array<std::uint8_t, 16>& into) {
    return [&s, &into](const Request& r) -> Reply {
      if (key_block_crc_ok(r))
        copy_in(into, r, 0);
      else
        ++s.rejected_key_blocks;
      return echo(r);
    };
  };
  m.on(6, key_block(s.card_keys));
  m.on(122, key_block(s.old_card_keys));
  m.on(28, [&s](const Request& r) -> Reply {
    if (r.p8(0) != 0) {
      copy_in(s.other, r, 1);
      return echo(r);
    }
    Bytes b(12, 0);
    copy_out(b, 1, s.other);
    return b;
  });
  m.on(40, [&s](const Request& r) -> Reply {
    s.door_password = r.p32(0);
    return echo(r);
  });
  m.on(52, [&s](const Request& r) -> Reply {
    s.last[52] = r.payload();
    Bytes b = r.payload();
    b.resize(24, 0);
    put16(b, 2, static_cast<std::uint16_t>(s.door_status));
    return b;
  });
  m.on(27, [&s](const Request&) -> Reply {
    Bytes b(kSystemParameterReply, 0);
    copy_out(b, 0, s.block_a);
    copy_out(b, 80, s.card_keys);
    copy_out(b, 96, s.block_b);
    b.resize(kSystemParameterReply);
    return b;
  });
}

void install_tables_and_messages(Model& m, TerminalSettings& s) {
  m.on(13, [&s](const Request& r) -> Reply {
    s.time_tables[{r.p8(kHeader1), r.p8(kHeader2)}] = r.payload();
    return echo(r);
  });
  m.on(14, [&s](const Request& r) -> Reply {
    const auto it = s.time_tables.find({r.p8(kHeader1), r.p8(kHeader2)});
    if (it != s.time_tables.end()) return it->second;
    Bytes b(kTableBytes, 0);  // an unset table: no time points
    b[kHeader1] = r.p8(kHeader1);
    b[kHeader2] = r.p8(kHeader2);
    return b;
  });
  m.on(25, [&s](const Request& r) -> Reply {
    s.alarm_clocks[r.p8(kHeader1)] = r.payload();
    return echo(r);
  });
  m.on(24, [&s](const Request& r) -> Reply {
    const auto it = s.alarm_clocks.find(r.p8(kHeader1));
    if (it != s.alarm_clocks.end()) return it->second;
    Bytes b(kTableBytes, 0);
    b[kHeader1] = r.p8(kHeader1);
    return b;
  });
  for (std::uint8_t code : {51, 29, 30}) {
    m.on(code, [&s](const Request& r) -> Reply {
      s.last[r.code()] = r.payload();
      return echo(r);
    });
  }
  m.on(39, [&s](const Request& r) -> Reply {
    s.last[39] = r.payload();
    Bytes b = r.payload();
    b.resize(24, 0);
    put16(b, 2, static_cast<std::uint16_t>(s.outgo_status));
    return b;
  });
}

}  // namespace

void install_terminal_commands(Model& m) {
  auto& s = m.part<TerminalSettings>();
  install_settings(m, s);
  install_identity(m, s);
  install_keys_and_parameters(m, s);
  install_tables_and_messages(m, s);
}

namespace {
const bool registered = register_family("vorsk", 20, install_terminal_commands);
}

}  // namespace vorskel::sim
