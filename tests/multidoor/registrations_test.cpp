// Card registrations of the multi-door controller against its simulated registration area:
// the 17-byte request of each kind, read-back, refused arguments, echo and status checks.
#include <array>
#include <cstddef>
#include <cstring>
#include <string>

#include "multidoor/ferrin_fixture.h"

namespace vorskel {
namespace {

static_assert(sizeof(FerrinDoorRegistration) == 92);
static_assert(offsetof(FerrinDoorRegistration, card2) == 16);
static_assert(offsetof(FerrinDoorRegistration, password) == 32);
static_assert(offsetof(FerrinDoorRegistration, mode) == 40);
static_assert(offsetof(FerrinDoorRegistration, index) == 44);
static_assert(offsetof(FerrinDoorRegistration, doors) == 48);
static_assert(offsetof(FerrinDoorRegistration, year) == 80);
static_assert(offsetof(FerrinDoorRegistration, month) == 84);
static_assert(offsetof(FerrinDoorRegistration, day) == 88);

using Registrations = testing::FerrinTest;
using RegisterFn = int(VORSKEL_CALL*)(FerrinDoorRegistration*, const char*, int, int);

FerrinDoorRegistration make(const char* card1, const char* card2, const char* password, int mode,
                            int index, const char* doors, int year, int month, int day) {
  FerrinDoorRegistration e;
  std::memset(&e, 0, sizeof e);
  std::strncpy(e.card1, card1, sizeof e.card1 - 1);
  std::strncpy(e.card2, card2, sizeof e.card2 - 1);
  std::strncpy(e.password, password, sizeof e.password - 1);
  std::strncpy(e.doors, doors, sizeof e.doors - 1);
  e.mode = mode;
  e.index = index;
  e.year = year;
  e.month = month;
  e.day = day;
  return e;
}

const char* const kDoor0 = "100000000000000000000000";

TEST_F(Registrations, RequestBytesOfEachKind) {
  struct Case {
    const char* what;
    RegisterFn fn;
    FerrinDoorRegistration entry;
    int operation;
    int code;
    const char* payload;
  } cases[] = {
      {"single", Ferrin_Single, make("007b3039", "", "ab12cd", 11, 5, kDoor0, 2009, 7, 31), 1, 12,
       "A1 00 7B 30 39 AB 12 CD 0B 05 01 00 00 09 07 1F 01"},
      {"single, 3-character door text", Ferrin_Single,
       make("0A1B2C3D", "", "000000", 13, 15, "111", 2099, 12, 1), 2, 12,
       "A1 0A 1B 2C 3D 00 00 00 0D 0F 07 00 00 63 0C 01 02"},
      {"double", Ferrin_Double,
       make("007b3039", "0001fFfF", "", 0, 200, "000000001000000000000001", 2010, 1, 2), 1, 33,
       "A2 00 7B 30 39 00 01 FF FF C8 00 01 80 0A 01 02 01"},
      {"66-bit", Ferrin_REG_WEIGEN66, make("0123456789abcd", "", "", 0, 3, "01", 2000, 2, 29), 3,
       12, "A2 01 23 45 67 89 AB CD 00 03 02 00 00 00 02 1D 03"},
  };
  for (auto& c : cases) {
    c.fn(&c.entry, host(), port(), c.operation);
    EXPECT_EQ(last_request().code(), c.code) << c.what;
    EXPECT_EQ(sent_payload(), c.payload) << c.what;
  }
}

TEST_F(Registrations, StoredSingleCardReadsBackInFacilityAndNumberForm) {
  auto e = make("007b3039", "", "ab12cd", 12, 5, kDoor0, 2009, 7, 31);
  ASSERT_EQ(Ferrin_Single(&e, host(), port(), 1), 0);
  EXPECT_STREQ(e.card1, "007B3039");  // upper-cased in place
  EXPECT_STREQ(e.password, "AB12CD");

  auto back = make("007B3039", "", "", 10, 0, "", 0, 0, 0);
  std::memset(back.doors, '#', sizeof back.doors);
  ASSERT_EQ(Ferrin_Single(&back, host(), port(), 3), 0);
  EXPECT_STREQ(back.card1, "12312345");  // facility 123, number 12345
  EXPECT_STREQ(back.password, "AB12CD");
  EXPECT_EQ(back.mode, 12);
  EXPECT_EQ(back.index, 5);
  EXPECT_STREQ(back.doors, kDoor0);  // 24 characters, the rest of the field cleared
  EXPECT_EQ(back.doors[31], 0);
  EXPECT_EQ(back.year, 2009);  // sent as 9
  EXPECT_EQ(back.month, 7);
  EXPECT_EQ(back.day, 31);
}

TEST_F(Registrations, DoubleAnd66BitCardsReadBack) {
  auto two = make("007b3039", "0001ffff", "", 0, -3, "1111", 2010, 1, 2);
  ASSERT_EQ(Ferrin_Double(&two, host(), port(), 1), 0);
  auto back = make("007b3039", "", "", 0, 0, "", 0, 0, 0);
  ASSERT_EQ(Ferrin_Double(&back, host(), port(), 3), 0);
  EXPECT_STREQ(back.card1, "12312345");
  EXPECT_STREQ(back.card2, "00165535");
  EXPECT_EQ(back.index, -3);
  EXPECT_STREQ(back.doors, "111100000000000000000000");
  EXPECT_EQ(back.year, 2010);

  auto longer = make("0123456789ABCD", "", "", 0, 1, "", 2024, 6, 9);
  ASSERT_EQ(Ferrin_REG_WEIGEN66(&longer, host(), port(), 1), 0);
  auto long_back = make("0123456789abcd", "", "", 0, 0, "", 0, 0, 0);
  ASSERT_EQ(Ferrin_REG_WEIGEN66(&long_back, host(), port(), 3), 0);
  EXPECT_STREQ(long_back.card1, "0123456789abcd");  // read back in lower case
  EXPECT_EQ(long_back.year, 2024);
  EXPECT_EQ(long_back.day, 9);
}

TEST_F(Registrations, RefusedArgumentsSendNothingButTextsAreUpperCased) {
  struct Case {
    const char* what;
    RegisterFn fn;
    int mode, index, operation;
  } cases[] = {
      {"mode 9", Ferrin_Single, 9, 0, 1},
      {"mode 14", Ferrin_Single, 14, 0, 1},
      {"index 16", Ferrin_Single, 10, 16, 1},
      {"index -1", Ferrin_Single, 10, -1, 1},
      {"operation 0", Ferrin_Single, 10, 0, 0},
      {"operation 4", Ferrin_Double, 0, 0, 4},
      {"operation -1", Ferrin_REG_WEIGEN66, 0, 0, -1},
  };
  for (const auto& c : cases) {
    auto e = make("abcdef01", "abcdef02", "abcdef", c.mode, c.index, "1", 2009, 1, 1);
    EXPECT_EQ(c.fn(&e, host(), port(), c.operation), -1) << c.what;
    EXPECT_STREQ(e.card1, "ABCDEF01") << c.what;
  }
  auto e = make("abcdef01", "", "abcdef", 9, 0, "1", 2009, 1, 1);
  Ferrin_Single(&e, host(), port(), 1);
  EXPECT_STREQ(e.password, "ABCDEF");
  EXPECT_EQ(sim().request_count(), 0u);
}

// A reply cut short still carries the request's bytes after its end in the frame: they must
// not pass for the controller's echo, its status or a read-back registration.
TEST_F(Registrations, AShortReplyConfirmsNothing) {
  auto e = make("007b3039", "", "ab12cd", 11, 5, kDoor0, 2009, 7, 31);
  sim().inject(12, sim::Fault{sim::FaultKind::kTruncate, 3 + 8, 0, 2});
  EXPECT_EQ(Ferrin_Single(&e, host(), port(), 1), -2);
  auto back = make("007b3039", "", "", 10, 0, "", 0, 0, 0);
  EXPECT_EQ(Ferrin_Single(&back, host(), port(), 3), -2);
  EXPECT_EQ(back.year, 0);
  std::array<int, 224> week{};
  sim().inject(48, sim::Fault{sim::FaultKind::kTruncate, 3 + 100, 0, 1});
  EXPECT_EQ(Ferrin_SetTimeTable(week.data(), 0, host(), port()), -2);
  sim().inject(98, sim::Fault{sim::FaultKind::kTruncate, 3, 0, 1});
  EXPECT_EQ(Ferrin_Open(0, host(), port()), -1);
}

TEST_F(Registrations, EchoCountsOnlyForStoringAndStatusAlways) {
  auto e = make("007b3039", "", "ab12cd", 11, 5, kDoor0, 2009, 7, 31);
  corrupt_echo(3);  // one byte of the registration changed in the reply
  EXPECT_EQ(Ferrin_Single(&e, host(), port(), 1), -2);
  corrupt_echo(0, false);
  ASSERT_EQ(Ferrin_Single(&e, host(), port(), 1), 0);
  corrupt_echo(3);
  EXPECT_EQ(Ferrin_Single(&e, host(), port(), 2), 0);  // bytes 0-15 not checked

  // The card is gone now: the controller's non-zero status refuses, and nothing is written.
  corrupt_echo(0, false);
  auto back = make("007b3039", "", "", 10, 0, "", 0, 0, 0);
  EXPECT_EQ(Ferrin_Single(&back, host(), port(), 3), -2);
  EXPECT_STREQ(back.card1, "007B3039");
  EXPECT_EQ(back.year, 0);
  EXPECT_EQ(Ferrin_Double(&back, host(), port(), 2), -2);
}

}  // namespace
}  // namespace vorskel
