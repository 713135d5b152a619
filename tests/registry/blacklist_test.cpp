// The blacklist: wire bytes of the four change commands (21), refused cards and types, the
// extra value carried into later calls, and the dump (56) into blacklist.bin / .txt.
#include "sim/models/blacklist.h"

#include <filesystem>
#include <fstream>

#include "registry/registry_fixture.h"
#include "transport/transaction.h"

namespace vorskel {
namespace {

using testing::read_file;
using testing::read_lines;
using testing::read_text;
using Blacklist = testing::RegistryTest;

TEST_F(Blacklist, WireBytesOfEachForm) {
  Vorsk_BlackListEx("00000000", 0, 0, 0x01020304, 1, host(), port());
  struct Case {
    const char* what;
    std::function<int()> call;
    const char* payload;
  } cases[] = {
      {"type 1", [&] { return Vorsk_BlackList("0A1b2C3d", 0x12, 0x34, 1, host(), port()); },
       "01 0A 1B 2C 3D 12 34 04 03 02 01"},
      {"type 2", [&] { return Vorsk_BlackList("FFFFFFFF", 1, 2, 2, host(), port()); },
       "0A FF FF FF FF 01 02 04 03 02 01"},
      {"type 3", [&] { return Vorsk_BlackList("1234zz78", 0x1FF, 0, 3, host(), port()); },
       "0C 12 34 00 78 FF 00 04 03 02 01"},
      {"type 4", [&] { return Vorsk_BlackList("87654321", 0, 0, 4, host(), port()); },
       "0B 87 65 43 21 00 00 04 03 02 01"},
      {"ex", [&] { return Vorsk_BlackListEx("11223344", 5, 6, 0xA0B0C0D0, 1, host(), port()); },
       "01 11 22 33 44 05 06 D0 C0 B0 A0"},
      {"aslk", [&] { return Vorsk_BlackList_ASLK("12345678", 9, 0xABCD, 4, host(), port()); },
       "0B 12 34 56 78 09 CD AB"},
      {"add", [&] { return Vorsk_BlackList_ADD("305419896", "abc", 0x1234, 3, host(), port()); },
       "0C 78 56 34 12 00 00 00 00 34 12"},
      {"add wraps", [&] { return Vorsk_BlackList_ADD(" -1", "4294967297", 0, 2, host(), port()); },
       "0A FF FF FF FF 01 00 00 00 00 00"},
  };
  for (const auto& c : cases) {
    const int result = c.call();
    const sim::Request r = last_request();
    EXPECT_EQ(r.code(), 21) << c.what;
    EXPECT_EQ(payload_hex(r), c.payload) << c.what;
    EXPECT_EQ(result, r.p8(0)) << c.what;  // the terminal echoes the operation code
  }
}

TEST_F(Blacklist, ExtraValueIsCarriedIntoLaterCalls) {
  ASSERT_EQ(Vorsk_BlackListEx("00000001", 0, 0, 7, 1, host(), port()), 1);
  ASSERT_EQ(Vorsk_BlackList("00000002", 0, 0, 1, host(), port()), 1);
  EXPECT_EQ(last_request().p32(7), 7u);
  // Stored even when the call itself is refused.
  EXPECT_EQ(Vorsk_BlackListEx("short", 0, 0, 9, 1, host(), port()), -10);
  ASSERT_EQ(Vorsk_BlackList("00000003", 0, 0, 1, host(), port()), 1);
  EXPECT_EQ(last_request().p32(7), 9u);
}

TEST_F(Blacklist, BadCardTextsAndTypesSendNothing) {
  for (const char* card : {"1234567", "123456789", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(Vorsk_BlackList(card, 0, 0, 1, host(), port()), -10);
    EXPECT_EQ(Vorsk_BlackListEx(card, 0, 0, 0, 1, host(), port()), -10);
    EXPECT_EQ(Vorsk_BlackList_ASLK(card, 0, 0, 1, host(), port()), -10);
  }
  EXPECT_EQ(Vorsk_BlackList("1234567", 0, 0, 9, host(), port()), -10);  // the card is checked first
  for (int type : {0, 5, -1}) {
    EXPECT_EQ(Vorsk_BlackList("12345678", 0, 0, type, host(), port()), -11);
    EXPECT_EQ(Vorsk_BlackListEx("12345678", 0, 0, 0, type, host(), port()), -11);
    EXPECT_EQ(Vorsk_BlackList_ASLK("12345678", 0, 0, type, host(), port()), -11);
    EXPECT_EQ(Vorsk_BlackList_ADD("1", "2", 0, type, host(), port()), -11);
  }
  EXPECT_EQ(sim().request_count(), 0u);
}

TEST_F(Blacklist, ResultIsTheTerminalsSignedByteOrTheTransactionError) {
  sim().with_model([](sim::Model& m) {
    m.on(21, [](const sim::Request&) -> sim::Reply { return sim::Bytes(11, 0x80); });
    return 0;
  });
  EXPECT_EQ(Vorsk_BlackList("12345678", 0, 0, 1, host(), port()), -128);
  set_receive_timeout(100);
  sim().inject(21, sim::Fault{sim::FaultKind::kNoReply});
  EXPECT_EQ(Vorsk_BlackList_ADD("1", "2", 3, 1, host(), port()), kNoReply);
}

class BlacklistDump : public testing::RegistryTest {
 protected:
  void fill(std::function<void(sim::Blacklist&)> f) {
    sim().with_model([&](sim::Model& m) {
      f(m.part<sim::Blacklist>());
      return 0;
    });
  }
  std::string bin() const { return dir().file("blacklist.bin"); }
  std::string txt() const { return dir().file("blacklist.txt"); }
};

TEST_F(BlacklistDump, EmptyListWritesOneBlockAndNoLines) {
  EXPECT_EQ(Vorsk_DumpBlackList(host(), port()), 0);
  EXPECT_EQ(read_file(bin()), std::string(500, '\xFF'));
  EXPECT_EQ(read_file(txt()), "");
  const sim::Request r = last_request();
  EXPECT_EQ(r.code(), 56);
  EXPECT_EQ(payload_hex(r), "00 00 00 00 F4 01");
}

TEST_F(BlacklistDump, ListKeptByTheTerminalComesBackLineByLine) {
  // Through the change commands: three cards in, one out; then empty slots of both marks.
  ASSERT_EQ(Vorsk_BlackList("0A1B2C3D", 0xA, 0x3, 1, host(), port()), 1);
  ASSERT_EQ(Vorsk_BlackList_ASLK("9A000001", 0x1, 0x2, 1, host(), port()), 1);
  ASSERT_EQ(Vorsk_BlackList("11111111", 0, 0, 1, host(), port()), 1);
  ASSERT_EQ(Vorsk_BlackList("9A000001", 0, 0, 2, host(), port()), 0x0A);
  fill([](sim::Blacklist& list) {
    const std::uint8_t a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8}, c[4] = {0xFE, 0, 0, 0xEF};
    list.add(a, 0xDF);  // empty-slot marks
    list.add(b, 0xEF);
    list.add(c, 0xF0);
  });
  EXPECT_EQ(Vorsk_DumpBlackList(host(), port()), 3);
  EXPECT_EQ(read_lines(txt()),
            (std::vector<std::string>{"0A1B2C3D|10|3", "11111111|0|0", "FE0000EF|15|0"}));
  const std::string raw = read_file(bin());
  ASSERT_EQ(raw.size(), 500u);
  EXPECT_EQ(raw.substr(0, 10), std::string("\x0A\x1B\x2C\x3D\xA3\x9A\x00\x00\x01\xEF", 10));
}

TEST_F(BlacklistDump, ListWithoutEndMarkIsReadIn132Blocks) {
  fill([](sim::Blacklist& list) {
    for (std::size_t i = 0; i < list.memory.size(); ++i)
      list.memory[i] = static_cast<std::uint8_t>(i % 5 == 4 ? 0x21 : (i / 5) % 250);
  });
  EXPECT_EQ(Vorsk_DumpBlackList(host(), port()), 13200);
  const auto reads = requests();
  ASSERT_EQ(reads.size(), 132u);
  EXPECT_EQ(reads.back().p32(0), 65500u);
  EXPECT_EQ(std::filesystem::file_size(bin()), 66000u);
  EXPECT_EQ(read_lines(txt()).size(), 13200u);
}

TEST_F(BlacklistDump, FailedBlockKeepsWhatWasWritten) {
  fill([](sim::Blacklist& list) {
    for (std::uint8_t i = 0; i < 250; ++i) {
      const std::uint8_t card[4] = {0, 0, 1, i};
      list.add(card, 0x11);
    }
  });
  set_receive_timeout(100);
  sim().inject(56, sim::Fault{sim::FaultKind::kNoReply, 0, 2});  // the third block fails
  EXPECT_EQ(Vorsk_DumpBlackList(host(), port()), kNoReply);
  EXPECT_EQ(std::filesystem::file_size(bin()), 1000u);
  EXPECT_EQ(read_lines(txt()).size(), 200u);
}

TEST_F(BlacklistDump, FilesThatCannotBeCreatedFailAtTheFirstBlock) {
  std::filesystem::create_directory(txt());  // a directory where the text file should go
  EXPECT_EQ(Vorsk_DumpBlackList(host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 1u);
}

TEST_F(BlacklistDump, ADumpThatGetsNoBlockLeavesTheEarlierFiles) {
  // No answer, and a block cut short (501 of its 502 bytes).
  set_receive_timeout(100);
  for (auto kind : {sim::FaultKind::kNoReply, sim::FaultKind::kTruncate}) {
    std::ofstream(txt()) << "00000101|1|1\n";
    std::ofstream(bin(), std::ios::binary) << "raw";
    sim().inject(56, sim::Fault{kind, 3 + 501});
    EXPECT_EQ(Vorsk_DumpBlackList(host(), port()), kNoReply);
    sim().clear_faults();
    EXPECT_EQ(read_text(txt()), "00000101|1|1\n");
    EXPECT_EQ(read_text(bin()), "raw");
  }
}

}  // namespace
}  // namespace vorskel
