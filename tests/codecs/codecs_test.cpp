// Checksums, card-number text, card keys and the traditional-to-simplified conversion.
#include "transport/codecs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/platform.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "transport/crc16.h"
#include "vorskel.h"

namespace vorskel {
namespace {

const unsigned char* bytes(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

// One table of CRC-16 vectors for the three implementations: the export, the library's own
// (which frames every command) and the simulator's, written apart so it checks the library.
TEST(Checksums, PublishedAndWorkedValues) {
  struct Case {
    const char* data;
    int length;
    std::uint16_t crc;
  } cases[] = {{"123456789", 9, 0x31C3}, {"abc", 3, 0x9DD6}, {"\x02", 1, 0x2042}, {"abc", 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(CalculateCRC16(c.length, bytes(c.data)), c.crc) << c.data;
    EXPECT_EQ(crc16(bytes(c.data), static_cast<std::size_t>(c.length)), c.crc) << c.data;
    EXPECT_EQ(sim::crc16(bytes(c.data), static_cast<std::size_t>(c.length)), c.crc) << c.data;
  }
  EXPECT_EQ(CalculateCRC8(9, bytes("123456789")), 0xA2);
  EXPECT_EQ(CalculateCRC8(3, bytes("abc")), 0xA9);
  EXPECT_EQ(CalculateCRC8(0, bytes("abc")), 0);
}

TEST(Bcd, HexTextToBytes) {
  struct Case {
    const char* text;
    int count;
    std::vector<unsigned char> expected;
  } cases[] = {
      {"1a2B3c4D", 8, {0x1A, 0x2B, 0x3C, 0x4D}},
      {"12G4", 4, {0x12, 0x04}},  // a bad high digit counts as 0
      {"124G", 4, {0x12, 0x40}},  // a bad low digit leaves the low nibble 0
      {"0A1b2C3d", 8, {0x0A, 0x1B, 0x2C, 0x3D}},
      {"7", 1, {}},                // a lone last digit has no byte to go to
      {"12345", 5, {0x12, 0x34}},  // count / 2 bytes: an odd count's last digit is ignored
  };
  for (const auto& c : cases) {
    unsigned char out[8];
    std::memset(out, 0xEE, sizeof out);
    bcd(c.text, out, c.count);
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(out[i], c.expected[i]) << c.text << " byte " << i;
    EXPECT_EQ(out[c.expected.size()], 0xEE) << c.text << ": wrote past count / 2";
  }
}

// The card and password texts the registrations and door commands send: read up to their
// end and their room only, never past either, and always the whole field written.
TEST(Bcd, HexPrefixStopsAtTheTextsEndAndItsRoom) {
  struct Case {
    const char* text;
    int room;
    int bytes;
    std::vector<unsigned char> expected;
  } cases[] = {
      {"1a2B3c4D", 8, 4, {0x1A, 0x2B, 0x3C, 0x4D}},
      {"1A2", 8, 4, {0x1A, 0x20, 0x00, 0x00}},          // missing digits count as 0
      {"1A2B3C4D", 3, 4, {0x1A, 0x20, 0x00, 0x00}},     // the room ends the text
      {"1A2B3C4D99", 16, 4, {0x1A, 0x2B, 0x3C, 0x4D}},  // at most 2 digits a byte
      {nullptr, 8, 3, {0x00, 0x00, 0x00}},
      {"0123456789ABCDEF01", 32, 12, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
  };
  for (const auto& c : cases) {
    unsigned char out[16];
    std::memset(out, 0xEE, sizeof out);
    hex_prefix_to_bytes(c.text, c.room, out, c.bytes);
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(out[i], c.expected[i]) << (c.text ? c.text : "null") << " byte " << i;
    EXPECT_EQ(out[c.expected.size()], 0xEE) << (c.text ? c.text : "null") << ": wrote too much";
  }
}

TEST(CalcPsw, EachOutputByteDependsOnItsInputsOnly) {
  const unsigned char key[6] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  unsigned char serial[4] = {0x11, 0xDD, 0x33, 0x00};
  unsigned char out[6];
  _calc_psw(serial, key, out);
  EXPECT_EQ(out[0], 0xFF);  // equal bytes
  EXPECT_EQ(out[1], 0x00);  // complementary bytes
  EXPECT_EQ(out[2], 0xFF);
  EXPECT_EQ(out[3], static_cast<unsigned char>(~0x44));
  EXPECT_EQ(out[4], static_cast<unsigned char>(~(0x11 ^ 0xDD ^ 0x55)));
  EXPECT_EQ(out[5], static_cast<unsigned char>(~(0x33 ^ 0x00 ^ 0x66)));

  for (int bit = 0; bit < 8; ++bit) {  // flipping a bit of serial byte 0 moves out[0], out[4]
    unsigned char changed[4] = {static_cast<unsigned char>(serial[0] ^ (1 << bit)), serial[1],
                                serial[2], serial[3]};
    unsigned char out2[6];
    _calc_psw(changed, key, out2);
    for (int i = 0; i < 6; ++i) {
      if (i == 0 || i == 4)
        EXPECT_EQ(out2[i], out[i] ^ (1 << bit)) << "bit " << bit;
      else
        EXPECT_EQ(out2[i], out[i]) << "bit " << bit << " byte " << i;
    }
  }
}

TEST(DecimalText, ParsesLikeTheTerminalsPrograms) {
  EXPECT_EQ(decimal_text_to_u32("  12345"), 12345u);
  EXPECT_EQ(decimal_text_to_u32("+7x9"), 7u);
  EXPECT_EQ(decimal_text_to_u32("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(decimal_text_to_u32("4294967297"), 1u);  // modulo 2^32
  EXPECT_EQ(decimal_text_to_u32("abc"), 0u);
}

std::vector<std::uint8_t> convert(const std::vector<std::uint8_t>& in, int count) {
  std::vector<std::uint8_t> src = in;
  src.push_back(0);
  std::vector<std::uint8_t> dst(in.size() + 2, 0xEE);
  const int n = big5_to_gb2312(src.data(), dst.data(), count);
  dst.resize(static_cast<std::size_t>(n));
  return dst;
}

TEST(Big5ToGb, RequiredPairsAndPassThrough) {
  struct Case {
    std::vector<std::uint8_t> big5, gb;
  } cases[] = {
      {{0xC5, 0xE9}, {0xCC, 0xE5}}, {{0xB0, 0xEA}, {0xB9, 0xFA}}, {{0xAA, 0xF9}, {0xC3, 0xC5}},
      {{0xA5, 0x64}, {0xBF, 0xA8}}, {{0xA1, 0x52}, {0xA3, 0xBA}}, {{0xA1, 0xC0}, {0xA1, 0xA1}},
      {{0xFA, 0x40}, {0xA1, 0xA1}},  // user-defined row
      {{0xA4, 0xFF}, {0xA1, 0xA1}},  // trail outside the table
      {{0xA4, 0x20}, {0xA4, 0x20}},  // a trail below 0x40 is no pair
  };
  for (const auto& c : cases) EXPECT_EQ(convert(c.big5, static_cast<int>(c.big5.size())), c.gb);
  const std::string ascii = "Hello, terminal 42!~";
  const std::vector<std::uint8_t> in(ascii.begin(), ascii.end());
  EXPECT_EQ(convert(in, static_cast<int>(in.size())), in);
}

TEST(Big5ToGb, CountEndingBetweenLeadAndTrailConvertsThePair) {
  EXPECT_EQ(convert({'A', 0xC5, 0xE9}, 2), (std::vector<std::uint8_t>{'A', 0xCC, 0xE5}));
}

TEST(DisplayText, ConvertsOnlyOnTraditionalChineseSystems) {
  const std::uint8_t src[] = {0xC5, 0xE9, 'x', 0};
  std::uint8_t dst[4] = {};
  for (std::uint16_t id : {1028, 3076}) {
    platform::set_lang_id_override(id);
    EXPECT_TRUE(traditional_chinese_system());
    ASSERT_EQ(display_text(src, dst, 3), 3);
    EXPECT_EQ(dst[0], 0xCC);
  }
  for (std::uint16_t id : {0x0804, 0x0409, 0}) {
    platform::set_lang_id_override(id);
    EXPECT_FALSE(traditional_chinese_system());
    ASSERT_EQ(display_text(src, dst, 3), 3);
    EXPECT_EQ(dst[0], 0xC5);
  }
  platform::set_lang_id_override(std::nullopt);
}

// POSIX only: Windows reports the system language itself (GetSystemDefaultLangID).
#ifndef _WIN32
TEST(DisplayText, SystemLanguageComesFromTheLocaleEnvironment) {
  const char* saved[3];
  const char* names[3] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (int i = 0; i < 3; ++i) saved[i] = std::getenv(names[i]);
  std::string keep[3];
  for (int i = 0; i < 3; ++i) keep[i] = saved[i] ? saved[i] : "";
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_CTYPE");
  ::setenv("LANG", "zh_TW.UTF-8", 1);
  EXPECT_TRUE(traditional_chinese_system());
  ::setenv("LANG", "C", 1);
  EXPECT_FALSE(traditional_chinese_system());
  for (int i = 0; i < 3; ++i) {
    if (saved[i])
      ::setenv(names[i], keep[i].c_str(), 1);
    else
      ::unsetenv(names[i]);
  }
}

// The checked-in table is what the generator makes from its published inputs (a host-side
// check: it runs the Python generator, which a Windows test program under Wine cannot).
TEST(Big5ToGb, GeneratorReproducesTheCheckedInTable) {
  const std::filesystem::path root = VORSKEL_SOURCE_DIR;
  const testing::TempDir temp("big5_gb_regen_");
  const auto out = temp.path() / "big5_gb_table.inc";
  const std::string cmd = "python3 " + (root / "tools/gen_big5_gb.py").string() + " --out " +
                          out.string() + " > /dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
    GTEST_SKIP() << "generator inputs not installed (tools/install_codec_inputs.sh)";
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
  auto slurp = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  const std::string regenerated = slurp(out);
  EXPECT_TRUE(regenerated == slurp(root / "src/transport/big5_gb_table.inc"))
      << "src/transport/big5_gb_table.inc differs from the generator's output";
}
#endif  // !_WIN32

}  // namespace
}  // namespace vorskel
