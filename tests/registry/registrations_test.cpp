// Card registrations of the main terminal (command 12): the wire bytes of both layouts and
// the flow-control block, read-back into the caller's entry, and refused types.
#include <cstddef>
#include <cstring>

#include "registry/registry_fixture.h"
#include "sim/models/registry_store.h"
#include "transport/transaction.h"

namespace vorskel {
namespace {

static_assert(sizeof(VorskRegistryEntry) == 48);
static_assert(offsetof(VorskRegistryEntry, card2) == 8);
static_assert(offsetof(VorskRegistryEntry, name) == 16);
static_assert(offsetof(VorskRegistryEntry, group) == 24);
static_assert(offsetof(VorskRegistryEntry, security) == 28);
static_assert(offsetof(VorskRegistryEntry, extra) == 32);
static_assert(offsetof(VorskRegistryEntry, year) == 36);
static_assert(offsetof(VorskRegistryEntry, month) == 40);
static_assert(offsetof(VorskRegistryEntry, day) == 44);

using testing::make_entry;
using Registration = testing::RegistryTest;

using RegisterFn = int(VORSKEL_CALL*)(VorskRegistryEntry*, int, const char*, int);

// Group 0x17 and security 0x25 travel as the nibble byte 0x75; 2010 as 0x6E.
VorskRegistryEntry sample() {
  return make_entry("0A1b2C3d", "ABCDEFGH", "Li Wei", 0x17, 0x25, 0x11223344, 2010, 7, 31);
}

TEST_F(Registration, WireBytesOfEachLayoutAndType) {
  struct Case {
    const char* what;
    RegisterFn fn;
    const char* card2;
    int type;
    const char* payload;
  } cases[] = {
      {"store", Vorsk_Registry, "ABCDEFGH", 1,
       "0A 1B 2C 3D 41 42 43 44 45 46 47 48 4C 69 20 57 65 69 00 00 75 6E 07 1F 44 33 22 11 "
       "00 00 00 00 01 00"},
      {"card only", Vorsk_Registry, "ABCDEFGH", 2,
       "0A 1B 2C 3D 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
       "00 00 00 00 02 00"},
      {"read back", Vorsk_Registry, "ABCDEFGH", 3,
       "0A 1B 2C 3D 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
       "00 00 00 00 03 00"},
      {"ex store", Vorsk_RegistryEx, "12ab34CD", 1,
       "0A 1B 2C 3D 12 AB 34 CD 4C 69 20 57 65 69 00 00 75 6E 07 1F 00 00 00 00 00 00 01 00 "
       "00 00 00 00 00 00"},
      {"ex card only", Vorsk_RegistryEx, "12ab34CD", 2,
       "0A 1B 2C 3D 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 "
       "00 00 00 00 00 00"},
  };
  for (const auto& c : cases) {
    VorskRegistryEntry e = sample();
    std::memcpy(e.card2, c.card2, 8);
    c.fn(&e, c.type, host(), port());
    const sim::Request r = last_request();
    EXPECT_EQ(r.code(), 12) << c.what;
    EXPECT_EQ(payload_hex(r), c.payload) << c.what;
  }
}

TEST_F(Registration, ReadBackGivesLowerCaseCardTexts) {
  VorskRegistryEntry stored = sample();
  ASSERT_EQ(Vorsk_Registry(&stored, 1, host(), port()), 1);

  VorskRegistryEntry back = make_entry("0A1B2C3D", "", "", 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(Vorsk_Registry(&back, 3, host(), port()), 3);
  EXPECT_EQ(std::string(back.card1, 8), "0a1b2c3d");
  EXPECT_EQ(std::string(back.card2, 8), "ABCDEFGH");  // the 8 stored characters
  EXPECT_EQ(std::string(back.name, 8), std::string("Li Wei\0\0", 8));
  EXPECT_EQ(back.group, 7);  // only the low nibbles were sent
  EXPECT_EQ(back.security, 5);
  EXPECT_EQ(back.extra, 0x11223344u);
  EXPECT_EQ(back.year, 2010);
  EXPECT_EQ(back.month, 7);
  EXPECT_EQ(back.day, 31);

  VorskRegistryEntry ex = sample();
  std::memcpy(ex.card1, "FFEE0001", 8);
  std::memcpy(ex.card2, "12ab34CD", 8);
  ASSERT_EQ(Vorsk_RegistryEx(&ex, 1, host(), port()), 1);
  VorskRegistryEntry ex_back = make_entry("ffee0001", "", "", 0, 0, 99, 0, 0, 0);
  ASSERT_EQ(Vorsk_RegistryEx(&ex_back, 3, host(), port()), 3);
  EXPECT_EQ(std::string(ex_back.card1, 8), "ffee0001");
  EXPECT_EQ(std::string(ex_back.card2, 8), "12ab34cd");
  EXPECT_EQ(std::string(ex_back.name, 6), "Li Wei");
  EXPECT_EQ(ex_back.extra, 99u);  // the extended layout carries no extra number
}

TEST_F(Registration, CardOnlyRemovesTheRegistrationInTheSimulator) {
  VorskRegistryEntry e = sample();
  ASSERT_EQ(Vorsk_Registry(&e, 1, host(), port()), 1);
  ASSERT_EQ(Vorsk_Registry(&e, 2, host(), port()), 2);  // reply not decoded
  EXPECT_EQ(std::string(e.card1, 8), "0A1b2C3d");
  EXPECT_EQ(Vorsk_Registry(&e, 3, host(), port()), sim::kNotRegistered);
}

TEST_F(Registration, ResultIsTheTerminalsSignedTypeField) {
  sim().with_model([](sim::Model& m) {
    m.on(12, [](const sim::Request&) -> sim::Reply {
      sim::Bytes b(34, 0);
      sim::put16(b, 32, 0xFFFE);
      sim::put16(b, 26, 0x8000);
      return b;
    });
    return 0;
  });
  VorskRegistryEntry e = sample();
  EXPECT_EQ(Vorsk_Registry(&e, 2, host(), port()), -2);
  EXPECT_EQ(Vorsk_RegistryEx(&e, 2, host(), port()), -32768);
}

TEST_F(Registration, RefusedTypesSendNothing) {
  VorskRegistryEntry e = sample();
  unsigned char block[28] = {};
  for (int type : {0, 4, -1, 0x10001}) {
    EXPECT_EQ(Vorsk_Registry(&e, type, host(), port()), -1);
    EXPECT_EQ(Vorsk_RegistryEx(&e, type, host(), port()), -1);
    EXPECT_EQ(Vorsk_FlowControlRegistry(block, type, host(), port()), -1);
  }
  EXPECT_EQ(sim().request_count(), 0u);
  EXPECT_EQ(DumpRegistry2Device(0, 0), -1);
  EXPECT_EQ(DumpRegistry2Device(12, -5), -1);
}

TEST_F(Registration, FailedReadBackLeavesTheEntry) {
  set_receive_timeout(100);
  sim().inject(12, sim::Fault{sim::FaultKind::kNoReply});
  VorskRegistryEntry e = sample();
  const VorskRegistryEntry before = e;
  EXPECT_EQ(Vorsk_Registry(&e, 3, host(), port()), kNoReply);
  EXPECT_EQ(std::memcmp(&e, &before, sizeof e), 0);
  sim().clear_faults();
  sim().inject(12, sim::Fault{sim::FaultKind::kWrongCode});
  EXPECT_EQ(Vorsk_RegistryEx(&e, 3, host(), port()), kWrongCode);
  EXPECT_EQ(std::memcmp(&e, &before, sizeof e), 0);
}

TEST_F(Registration, FlowControlBlockGoesAsGivenWithTheType) {
  unsigned char block[28];
  for (int i = 0; i < 28; ++i) block[i] = static_cast<unsigned char>(0x40 + i);
  unsigned char copy[28];
  std::memcpy(copy, block, sizeof copy);
  EXPECT_EQ(Vorsk_FlowControlRegistry(block, 2, host(), port()), 2);
  EXPECT_EQ(payload_hex(last_request()),
            "40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 02 00");
  EXPECT_EQ(std::memcmp(block, copy, sizeof block), 0);  // the reply is not copied back
}

TEST_F(Registration, NameIsConvertedOnTraditionalChineseSystems) {
  VorskRegistryEntry e = sample();
  std::memcpy(e.name,
              "\xB0\xEA"
              "ab\0\0\0\0",
              8);  // Big5 for "country", then "ab"
  platform::set_lang_id_override(1028);
  Vorsk_Registry(&e, 1, host(), port());
  EXPECT_EQ(payload_hex(last_request()).substr(12 * 3, 8 * 3 - 1), "B9 FA 61 62 00 00 00 00");
  platform::set_lang_id_override(0x0409);
  Vorsk_Registry(&e, 1, host(), port());
  EXPECT_EQ(payload_hex(last_request()).substr(12 * 3, 8 * 3 - 1), "B0 EA 61 62 00 00 00 00");
}

}  // namespace
}  // namespace vorskel
