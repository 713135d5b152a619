// Downloading the controller's registration area (Ferrin_ReadReg): decoding of A1 and A2
// slots, where a page stops, the count that accumulates, and the page addresses.
#include <cstring>
#include <string>
#include <vector>

#include "multidoor/ferrin_fixture.h"
#include "sim/models/record_area.h"

namespace vorskel {
namespace {

using sim::Bytes;
using testing::unhex;

class RegistrationPages : public testing::FerrinTest {
 protected:
  // Writes slots at address and sets the three registration pointers.
  void load(std::uint32_t address, const std::vector<Bytes>& slots, std::uint32_t start,
            std::uint32_t end, std::uint32_t area_end) {
    sim().with_model([&](sim::Model& m) {
      for (std::size_t i = 0; i < slots.size(); ++i)
        sim::write_area2(m, address + 16 * static_cast<std::uint32_t>(i), slots[i]);
      auto& k = m.part<sim::RecordCounters>();
      k.registration[0] = start;
      k.registration[1] = end;
      k.registration[2] = area_end;
      return 0;
    });
  }
  std::vector<std::uint32_t> page_reads() const {
    std::vector<std::uint32_t> out;
    for (const auto& r : requests())
      if (r.code() == 4) out.push_back(r.p32(0));
    return out;
  }

  std::vector<FerrinDoorRegistration> entries = std::vector<FerrinDoorRegistration>(32);
};

// Single card 123/12345, password AB12CD, mode 11, index 5, channels 0 and 23, 2009-07-31.
const char* const kSingle = "A1 00 7B 30 39 AB 12 CD 0B 05 01 00 80 09 07 1F";
// Double card 1/2 and 0/65535, index -1, mask bytes FF 00 80, year 2010.
const char* const kDouble = "A2 00 01 00 02 00 00 FF FF FF FF 00 80 0A 01 02";

TEST_F(RegistrationPages, SlotsDecodeUpToTheFirstThatIsNoRegistration) {
  const Bytes erased(16, 0xFF);
  load(sim::kFerrinRegistrationStart, {unhex(kSingle), unhex(kDouble), erased},
       sim::kFerrinRegistrationStart, sim::kFerrinRegistrationStart + 32,
       sim::kFerrinRegistrationAreaEnd);
  std::memset(entries.data(), '#', entries.size() * sizeof entries[0]);
  int count = 5;  // never reset by the export
  ASSERT_EQ(Ferrin_ReadReg(entries.data(), 0, host(), port(), &count), 0);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(page_reads(), std::vector<std::uint32_t>{sim::kFerrinRegistrationStart});

  const FerrinDoorRegistration& a = entries[0];
  EXPECT_STREQ(a.card1, "12312345");
  EXPECT_STREQ(a.password, "AB12CD");
  EXPECT_EQ(a.mode, 11);
  EXPECT_EQ(a.index, 5);
  EXPECT_STREQ(a.doors, "100000000000000000000001");
  EXPECT_EQ(a.year, 9);  // the stored two digits
  EXPECT_EQ(a.month, 7);
  EXPECT_EQ(a.day, 31);
  EXPECT_EQ(a.card2[0], '#');  // a single card carries no second card

  const FerrinDoorRegistration& b = entries[1];
  EXPECT_STREQ(b.card1, "00100002");
  EXPECT_STREQ(b.card2, "00065535");
  EXPECT_EQ(b.index, -1);
  EXPECT_STREQ(b.doors, "111111110000000000000001");  // 0xFF gives channels 0-7
  EXPECT_EQ(b.year, 10);
  EXPECT_EQ(b.password[0], '#');  // a double card carries no password or mode
  EXPECT_EQ(b.mode, 0x23232323);

  EXPECT_EQ(entries[2].card1[0], '#');  // from the erased slot on: untouched
  EXPECT_EQ(entries[31].day, 0x23232323);
}

TEST_F(RegistrationPages, AnotherA0TypeClearsTheRestOfTheBuffer) {
  load(sim::kFerrinRegistrationStart,
       {unhex(kSingle), unhex(kSingle), unhex("A0 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"),
        unhex(kDouble)},
       sim::kFerrinRegistrationStart, sim::kFerrinRegistrationStart + 64,
       sim::kFerrinRegistrationAreaEnd);
  std::memset(entries.data(), '#', entries.size() * sizeof entries[0]);
  int count = 0;
  ASSERT_EQ(Ferrin_ReadReg(entries.data(), 0, host(), port(), &count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_STREQ(entries[1].card1, "12312345");
  const std::vector<unsigned char> zero(sizeof(FerrinDoorRegistration), 0);
  for (int e = 2; e < 32; ++e)
    EXPECT_EQ(std::memcmp(&entries[e], zero.data(), zero.size()), 0) << "entry " << e;
}

TEST_F(RegistrationPages, RegistrationsWrittenByTheExportsReadBack) {
  FerrinDoorRegistration single{};
  std::strcpy(single.card1, "007b3039");
  std::strcpy(single.password, "000001");
  single.mode = 10;
  std::strcpy(single.doors, "01");
  single.year = 2009;
  single.month = 1;
  single.day = 2;
  ASSERT_EQ(Ferrin_Single(&single, host(), port(), 1), 0);
  FerrinDoorRegistration wide{};
  std::strcpy(wide.card1, "0123456789abcd");
  wide.year = 2030;
  ASSERT_EQ(Ferrin_REG_WEIGEN66(&wide, host(), port(), 1), 0);

  int count = 0;
  ASSERT_EQ(Ferrin_ReadReg(entries.data(), 0, host(), port(), &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(entries[0].card1, "12312345");
  EXPECT_EQ(entries[0].year, 9);  // Ferrin_Single gives 2009 back; the page gives 9
  EXPECT_STREQ(entries[0].doors, "010000000000000000000000");
  // A 66-bit registration reads as a double card: bytes 1-4 and 5-8 as two card texts.
  EXPECT_STREQ(entries[1].card1, "29117767");    // 0x0123, 0x4567
  EXPECT_STREQ(entries[1].card2, "3524352480");  // 0x89AB, 0xCD00
  EXPECT_EQ(entries[1].year, 30);
}

TEST_F(RegistrationPages, PageAddressesAndTheEndOfTheDownload) {
  struct Case {
    const char* what;
    std::uint32_t start, end, area_end;
    std::vector<int> results;  // pages 0, 1, ...
    std::vector<std::uint32_t> reads;
  } cases[] = {
      {"no registrations", 0x1000, 0x1000, 0x1000, {-1, -1}, {}},
      // Straight: from the start pointer on, up to the area end (past the end pointer).
      {"straight", 0x1000, 0x1010, 0x1600, {0, 0, 0, -1}, {0x1000, 0x1200, 0x1400}},
      // Wrapped: from address 0; pages below start - 16 at or past the end pointer are over.
      {"wrapped", 0x0400, 0x0010, 0x0800, {0, -1}, {0x0000}},
      {"wrapped, start page", 0x0210, 0x0100, 0x0600, {0, 0, 0, -1}, {0x0000, 0x0200, 0x0400}},
  };
  for (const auto& c : cases) {
    load(c.start, {}, c.start, c.end, c.area_end);
    sim().clear_requests();
    int count = 0;
    for (std::size_t page = 0; page < c.results.size(); ++page)
      EXPECT_EQ(Ferrin_ReadReg(entries.data(), static_cast<int>(page), host(), port(), &count),
                c.results[page])
          << c.what << " page " << page;
    EXPECT_EQ(page_reads(), c.reads) << c.what;
    EXPECT_EQ(requests().front().code(), 18) << c.what;  // page 0 reloads the pointers
  }
}

TEST_F(RegistrationPages, FailedPageReadWritesNothing) {
  load(sim::kFerrinRegistrationStart, {unhex(kSingle)}, sim::kFerrinRegistrationStart,
       sim::kFerrinRegistrationStart + 16, sim::kFerrinRegistrationAreaEnd);
  set_receive_timeout(50);
  sim().inject(4, {sim::FaultKind::kNoReply});
  int count = 3;
  entries[0].card1[0] = '#';
  EXPECT_EQ(Ferrin_ReadReg(entries.data(), 0, host(), port(), &count), -21);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(entries[0].card1[0], '#');
}

}  // namespace
}  // namespace vorskel
