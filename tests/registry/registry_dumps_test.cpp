// Registration dumps into Registry.txt: each kind against the simulator's store (newest
// first, line for line, 1000 registrations), empty slots, areas that start low, failures.
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "registry/registry_fixture.h"
#include "sim/models/fingerprint_terminal.h"
#include "sim/models/registry_store.h"
#include "sim/models/terminal_state.h"
#include "transport/transaction.h"

namespace vorskel {
namespace {

using sim::Bytes;
using testing::make_entry;
using testing::read_lines;
using testing::read_text;

std::uint32_t le32(const Bytes& s, int off) {
  return s[off] | (s[off + 1] << 8) | (s[off + 2] << 16) |
         (static_cast<std::uint32_t>(s[off + 3]) << 24);
}
std::string text8(const Bytes& s, int off) {
  std::string t(reinterpret_cast<const char*>(&s[off]), 8);
  return t.substr(0, t.find('\0'));
}
std::string format(const char* fmt, auto... args) {
  char line[512];
  std::snprintf(line, sizeof line, fmt, args...);
  return line;
}

// The Chinese texts as a GBK host sees them, converted by the system from UTF-8.
std::string gbk(const std::string& utf8) {
#ifdef _WIN32
  constexpr UINT kGbkCodePage = 936;
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
  std::string out(wide.size() * 2, '\0');
  out.resize(static_cast<std::size_t>(
      ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
#else
  iconv_t cd = ::iconv_open("GBK", "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in = utf8, out(utf8.size() * 2, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  ::iconv(cd, &src, &left, &dst, &room);
  ::iconv_close(cd);
  out.resize(out.size() - room);
  return out;
#endif
}

class Dumps : public testing::RegistryTest {
 protected:
  std::string registry_txt() const { return dir().file("Registry.txt"); }

  // The stored slots, newest first: the order every dump prints them in.
  std::vector<Bytes> stored_newest_first() {
    return sim().with_model([](sim::Model& m) {
      std::vector<Bytes> slots;
      for (std::size_t i = sim::registration_count(m); i-- > 0;)
        slots.push_back(sim::registration_slot(m, i));
      return slots;
    });
  }
  void place_area(int slot, std::uint32_t start) {
    sim().with_model([&](sim::Model& m) {
      sim::place_registration_area(m, slot, start);
      return 0;
    });
  }
  void append(const Bytes& slot) {
    sim().with_model([&](sim::Model& m) { return sim::append_slot(m, slot); });
  }
};

std::string vorsk_line(const Bytes& s) {
  return format("%02X%02X%02X%02X|%s|%s|%d|%d|%d-%d-%d", s[0], s[1], s[2], s[3],
                text8(s, 4).c_str(), text8(s, 12).c_str(), s[20] >> 4, s[20] & 15, s[21] + 1900,
                s[22], s[23]);
}

TEST_F(Dumps, ThousandMainTerminalRegistrationsMatchTheStoreNewestFirst) {
  for (int i = 0; i < 1000; ++i) {
    char card[9], card2[9], name[9];
    std::snprintf(card, sizeof card, "%08X", 0x9A000001u + static_cast<unsigned>(i) * 7919u);
    std::snprintf(card2, sizeof card2, "C%07d", i);
    std::snprintf(name, sizeof name, i % 3 == 0 ? "N%d" : "Name%04d", i);
    VorskRegistryEntry e = make_entry(card, card2, name, i % 16, (i / 16) % 16, 0, 2000 + i % 50,
                                      1 + i % 12, 1 + i % 28);
    ASSERT_EQ(Vorsk_Registry(&e, 1, host(), port()), 1);
  }
  EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), 1000);
  const auto slots = stored_newest_first();
  ASSERT_EQ(slots.size(), 1000u);
  const auto lines = read_lines(registry_txt());
  ASSERT_EQ(lines.size(), 1000u);
  for (std::size_t i = 0; i < slots.size(); ++i) ASSERT_EQ(lines[i], vorsk_line(slots[i])) << i;
  EXPECT_EQ(lines.front(), "9A78B6AA|C0000999|N999|7|14|2049-4-20");
  EXPECT_EQ(lines[1], "9A7897BB|C0000998|Name0998|6|14|2048-3-19");
  EXPECT_EQ(lines.back(), "9A000001|C0000000|N0|0|0|2000-1-1");
}

TEST_F(Dumps, DoorControllerLinesInGbk) {
  // Card 1 9A 01 02 03, card 2 0A 0B 0C 0D, group 1, security 2, 2012-3-4, doors 0 and 2,
  // password -5.
  Bytes slot(32, 0);
  const std::uint8_t head[] = {0x9A, 0x01, 0x02, 0x03, 0x0A, 0x0B, 0x0C, 0x0D};
  std::memcpy(slot.data(), head, sizeof head);
  slot[14] = 0x12;
  slot[15] = 112;
  slot[16] = 3;
  slot[17] = 4;
  sim::put32(slot, 18, 5);
  sim::put32(slot, 22, static_cast<std::uint32_t>(-5));
  append(slot);
  EXPECT_EQ(Sondo_DumpRegistry(host(), port()), 1);
  std::string rights = "对应门禁权限 ";
  for (int door = 0; door < 32; ++door)
    rights += format(" 门%d:%d ", door, door == 0 || door == 2 ? 1 : 0);
  EXPECT_EQ(
      read_text(registry_txt()),
      gbk("卡号1:9A010203 卡号2:0A0B0C0D 组号:1  安全级别:2 密码:-5  有效期到:2012年3月4日 \n" +
          rights + "\n"));
}

TEST_F(Dumps, ThousandDoorControllerRegistrationsMatchTheStore) {
  for (std::uint32_t i = 0; i < 1000; ++i) {
    Bytes slot(32, 0);
    sim::put32(slot, 0, 0x10000000u + i * 104729u);
    sim::put32(slot, 4, ~i);
    slot[14] = static_cast<std::uint8_t>(i * 37);
    slot[15] = static_cast<std::uint8_t>(100 + i % 30);
    slot[16] = static_cast<std::uint8_t>(1 + i % 12);
    slot[17] = static_cast<std::uint8_t>(1 + i % 28);
    sim::put32(slot, 18, i * 2654435761u);
    sim::put32(slot, 22, i * 1000003u - 500000000u);
    append(slot);
  }
  EXPECT_EQ(Sondo_DumpRegistry(host(), port()), 1000);
  std::string expected;
  for (const Bytes& s : stored_newest_first()) {
    expected += format(
        "卡号1:%02X%02X%02X%02X 卡号2:%02X%02X%02X%02X 组号:%d  安全级别:%d 密码:%d  "
        "有效期到:%d年%d月%d日 \n",
        s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[14] >> 4, s[14] & 15,
        static_cast<int>(le32(s, 22)), s[15] + 1900, s[16], s[17]);
    expected += "对应门禁权限 ";
    for (int door = 0; door < 32; ++door)
      expected += format(" 门%d:%d ", door, static_cast<int>((le32(s, 18) >> door) & 1));
    expected += "\n";
  }
  EXPECT_EQ(read_text(registry_txt()), gbk(expected));
}

TEST_F(Dumps, NothingRegisteredLeavesTheFileUntouched) {
  {
    std::FILE* f = std::fopen(registry_txt().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("kept\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), 0);
  EXPECT_EQ(Sondo_DumpRegistry(host(), port()), 0);
  EXPECT_EQ(read_text(registry_txt()), "kept\n");
  // The only exchange per dump is the pointer query.
  for (const auto& r : requests()) EXPECT_EQ(r.code(), 18);
}

TEST_F(Dumps, EmptiedSlotsAreSkippedAndTheWalkStopsAtTheAreaStart) {
  // Something that is no registration lies just below the area.
  sim().with_model([](sim::Model& m) {
    auto& flash = m.part<sim::FlashAreas>().area2;
    for (std::uint32_t a = 0x20000 - 512; a < 0x20000; ++a) flash[a] = 0x5A;
    return 0;
  });
  for (int i = 0; i < 40; ++i) {
    char card[9];
    std::snprintf(card, sizeof card, "%08X", 0x100 + i);
    VorskRegistryEntry e = make_entry(card, "", "x", 1, 1, 0, 2011, 1, 1);
    ASSERT_EQ(Vorsk_Registry(&e, 1, host(), port()), 1);
  }
  for (const char* gone : {"00000127", "00000100", "00000110"}) {
    VorskRegistryEntry e = make_entry(gone, "", "", 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(Vorsk_Registry(&e, 2, host(), port()), 2);
  }
  EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), 37);
  const auto lines = read_lines(registry_txt());
  ASSERT_EQ(lines.size(), 37u);
  EXPECT_EQ(lines[0], "00000126||x|1|1|2011-1-1");  // the newest, 0x127, was emptied
  EXPECT_EQ(lines.back(), "00000101||x|1|1|2011-1-1");
  for (const auto& line : lines) {
    EXPECT_EQ(line.find("5A5A"), std::string::npos);
    EXPECT_NE(line.substr(0, 8), "00000110");
  }
}

TEST_F(Dumps, AreasStartingBelowOnePageStepAreWalkedToTheirStart) {
  struct Case {
    std::uint32_t start;
    int count;
  } cases[] = {{0x100, 20}, {0, 5}, {0x40, 40}, {0x1F0, 1}};
  for (const auto& c : cases) {
    place_area(32, c.start);
    for (int i = 0; i < c.count; ++i) {
      char card[9];
      std::snprintf(card, sizeof card, "%08X", 0xA0 + i);
      VorskRegistryEntry e = make_entry(card, "", "", 0, 0, 0, 2000, 1, 1);
      ASSERT_EQ(Vorsk_Registry(&e, 1, host(), port()), 1);
    }
    EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), c.count) << c.start;
    const auto lines = read_lines(registry_txt());
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.count)) << c.start;
    EXPECT_EQ(lines.back(), "000000A0|||0|0|2000-1-1") << c.start;
    // Every page read lies inside area 2 (no address wrapped below 0).
    for (const auto& r : requests()) {
      if (r.code() == 4) {
        EXPECT_LT(r.p32(0), 0x40000u) << c.start;
      }
    }
  }
}

TEST_F(Dumps, FailuresOfQueryPageAndFile) {
  set_receive_timeout(100);
  sim().inject(18, sim::Fault{sim::FaultKind::kNoReply});
  EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), kNoReply);
  EXPECT_FALSE(testing::file_exists(registry_txt()));
  sim().clear_faults();

  for (int i = 0; i < 50; ++i) {
    char card[9];
    std::snprintf(card, sizeof card, "%08X", 0x500 + i);
    VorskRegistryEntry e = make_entry(card, "", "", 0, 0, 0, 2000, 1, 1);
    ASSERT_EQ(Vorsk_Registry(&e, 1, host(), port()), 1);
  }
  sim().inject(4, sim::Fault{sim::FaultKind::kNoReply, 0, 1});  // the second page fails
  EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), kNoReply);
  EXPECT_EQ(read_lines(registry_txt()).size(), 16u);  // the first page's lines stay
  sim().clear_faults();

  // A host program whose directory cannot take the file gets a failure, not a count.
  platform::set_executable_directory_override(dir().file("no-such-directory"));
  EXPECT_EQ(Vorsk_DumpRegistry(host(), port()), -1);
}

// The three dumps, for tables of terminal misbehaviour.
constexpr int (*kDumps[])(const char*, int) = {Vorsk_DumpRegistry, Sondo_DumpRegistry,
                                               Pirrel_DumpRegistry};

TEST_F(Dumps, ShortRepliesAndPointersBeyondTheAreaEndAtOnce) {
  // A terminal answering every request with 20 bytes of payload left the pointers to
  // whatever the frame held: millions of page reads. Pointers beyond area 2 likewise.
  set_receive_timeout(200);
  struct Case {
    const char* what;
    std::uint32_t end, start;
    bool cut;
    int result;
  } cases[] = {
      {"20-byte replies", 0x20000 + 16 + 32 * 40, 0x20000, true, kNoReply},
      {"end beyond area 2", 0x78B7ACD6, 0, false, -3},
      {"start beyond area 2", 0x20000, 0x40001, false, -3},
      {"both far beyond", 0xFFFFFFF0, 0xFFFF0000, false, -3},
  };
  for (const auto& c : cases) {
    sim().with_model([&](sim::Model& m) {
      auto& counters = m.part<sim::RecordCounters>();
      counters.registration[0] = c.end;
      counters.registration[2] = c.start;
      return 0;
    });
    if (c.cut) sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kTruncate, 3 + 20});
    for (auto dump : kDumps) {
      sim().clear_requests();
      EXPECT_EQ(dump(host(), port()), c.result) << c.what;
      EXPECT_EQ(requests().size(), 1u) << c.what << ": only the pointer query";
      EXPECT_FALSE(testing::file_exists(registry_txt())) << c.what;
    }
    sim().clear_faults();
  }
}

TEST_F(Dumps, ADumpThatGetsNoPageLeavesTheEarlierFile) {
  set_receive_timeout(100);
  for (int i = 0; i < 5; ++i) {
    char card[9];
    std::snprintf(card, sizeof card, "%08X", 0x700 + i);
    VorskRegistryEntry e = make_entry(card, "", "", 0, 0, 0, 2000, 1, 1);
    ASSERT_EQ(Vorsk_Registry(&e, 1, host(), port()), 1);
  }
  ASSERT_EQ(Vorsk_DumpRegistry(host(), port()), 5);
  const std::string good = read_text(registry_txt());
  sim().inject(4, sim::Fault{sim::FaultKind::kNoReply});
  for (auto dump : kDumps) {
    EXPECT_EQ(dump(host(), port()), kNoReply);
    EXPECT_EQ(read_text(registry_txt()), good);
  }
}

TEST(ExecutableDirectory, IsTheRunningProgramsDirectoryUnlessOverridden) {
#ifndef _WIN32  // the Windows side is checked in the platform suite
  EXPECT_EQ(platform::executable_directory(),
            std::filesystem::canonical("/proc/self/exe").parent_path().string());
#endif
  platform::set_executable_directory_override("/somewhere/else");
  EXPECT_EQ(platform::executable_directory(), "/somewhere/else");
  platform::set_executable_directory_override(std::nullopt);
}

// ---- the fingerprint terminal's dump ----

class FingerDumps : public Dumps {
 protected:
  std::string model_name() const override { return "pirrel"; }
};

std::string finger_line(const Bytes& s) {
  return format("%08lu|%08lu|%s|%d|%d|%d+%d+%d|%d-%d-%d", static_cast<unsigned long>(le32(s, 0)),
                static_cast<unsigned long>(le32(s, 26)), text8(s, 4).c_str(), s[12] >> 4,
                s[12] & 15, s[16] | (s[17] << 8), s[18] | (s[19] << 8), s[20] | (s[21] << 8),
                s[13] + 1900, s[14], s[15]);
}

TEST_F(FingerDumps, ThousandFingerprintRegistrationsMatchTheStore) {
  unsigned char templ[256] = {0x03, 0x02};
  for (int i = 0; i < 1000; ++i) {
    char card[9], card2[9], name[9];
    std::snprintf(card, sizeof card, "%d", 1 + i * 99991);
    std::snprintf(card2, sizeof card2, "%d", i);
    std::snprintf(name, sizeof name, "P%d", i);
    VorskRegistryEntry e =
        make_entry(card, card2, name, i % 16, i % 5, i, 2005 + i % 20, 1 + i % 12, 1 + i % 28);
    unsigned int checksum = i % 2;  // every other one carries its template
    templ[2] = static_cast<unsigned char>(i);
    ASSERT_EQ(Pirrel_Registry(&e, templ, &checksum, i % 4, 1, host(), port()), 1);
  }
  EXPECT_EQ(Pirrel_DumpRegistry(host(), port()), 1000);
  const auto slots = stored_newest_first();
  const auto lines = read_lines(registry_txt());
  ASSERT_EQ(lines.size(), 1000u);
  for (std::size_t i = 0; i < slots.size(); ++i) ASSERT_EQ(lines[i], finger_line(slots[i])) << i;
  EXPECT_EQ(lines.front(), "99891010|00000999|P999|7|4|0+0+0|2024-4-20");
  EXPECT_EQ(lines[1], "99791019|00000998|P998|6|3|2+0+0|2023-3-19");
}

TEST_F(FingerDumps, CardNumbersBeyondEightDigitsAreNoRegistrations) {
  for (std::uint32_t card : {12345u, 100000000u, 99999999u, 0u}) {
    Bytes slot(30, 0);
    sim::put32(slot, 0, card);
    std::memcpy(&slot[4], "ABCDEFGHIJ", 8);  // a name that fills its 8 bytes
    sim::put32(slot, 26, 7);
    append(slot);
  }
  EXPECT_EQ(Pirrel_DumpRegistry(host(), port()), 2);
  const auto lines = read_lines(registry_txt());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "99999999|00000007|ABCDEFGH|0|0|0+0+0|1900-0-0");
  EXPECT_EQ(lines[1], "00012345|00000007|ABCDEFGH|0|0|0+0+0|1900-0-0");
}

}  // namespace
}  // namespace vorskel
