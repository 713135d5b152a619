// Card writing through the serial card-reader driver, against the stand-in driver in
// fake_driver/: binding (absent driver, missing entry point), the calls and arguments the
// driver sees, the card image of each kind, four attempts per block, read-back.
#include "registry/serial_driver.h"

#include <climits>
#include <cstring>
#include <vector>

#include "registry/fake_driver/fake_ombrel.h"
#include "registry/registry_fixture.h"
#include "transport/crc16.h"

namespace vorskel {
namespace {

using testing::make_entry;

const char kDriverMissing[] = "Cannot find OMBREL.DLL, please check it";
const char kOpenFirst[] = "\xC7\xEB\xCF\xC8\xB5\xF7\xD3\xC3Pirrel_OpenCom\xBA\xAF\xCA\xFD.";  // GBK
const char kErrorCaptionGbk[] = "\xB4\xED\xCE\xF3";

class SerialDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test holds its own reference, so the stand-in's memory outlives Pirrel_CloseCom.
    fake_ = platform::load_library("ombrel");
    ASSERT_NE(fake_, nullptr) << "the stand-in driver is not on the run path";
    reset_ = sym<FakeOmbrelReset>("fake_ombrel_reset");
    fail_ = sym<FakeOmbrelFail>("fake_ombrel_fail");
    set_result_ = sym<FakeOmbrelSetResult>("fake_ombrel_set_result");
    count_ = sym<FakeOmbrelCallCount>("fake_ombrel_call_count");
    call_ = sym<FakeOmbrelGetCall>("fake_ombrel_call");
    block_ = sym<FakeOmbrelBlock>("fake_ombrel_block");
    set_block_ = sym<FakeOmbrelSetBlock>("fake_ombrel_set_block");
    reset_();
    saved_cwd_ = platform::current_directory();
    std::filesystem::current_path(dir_.path());
    platform::set_error_sink([this](const char* caption, const char* text) {
      errors_.push_back({caption, text});
    });
  }
  void TearDown() override {
    Pirrel_CloseCom();
    registry::set_driver_base_name(nullptr);
    platform::free_library(fake_);
    platform::set_error_sink(nullptr);
    std::error_code ec;
    std::filesystem::current_path(saved_cwd_, ec);
    if (ec) ADD_FAILURE() << "cannot return to " << saved_cwd_;
  }

  template <class Fn>
  Fn sym(const char* name) {
    auto f = reinterpret_cast<Fn>(platform::find_symbol(fake_, name));
    EXPECT_NE(f, nullptr) << name;
    return f;
  }

  std::vector<FakeOmbrelCall> calls(int entry = -1) {
    std::vector<FakeOmbrelCall> out;
    for (int i = 0; i < count_(); ++i) {
      FakeOmbrelCall c;
      call_(i, &c);
      if (entry < 0 || c.entry == entry) out.push_back(c);
    }
    return out;
  }
  std::vector<std::uint8_t> card_bytes(int sector, int block) {
    std::vector<std::uint8_t> b(16);
    block_(sector, block, b.data());
    return b;
  }
  // The 336-byte image as the card holds it, from start sector s.
  std::vector<std::uint8_t> card_image(int s) {
    std::vector<std::uint8_t> image;
    for (int k = 0; k < 21; ++k) {
      const auto b = card_bytes(s + k / 3, k % 3);
      image.insert(image.end(), b.begin(), b.end());
    }
    return image;
  }

  platform::LibraryHandle fake_ = nullptr;
  FakeOmbrelReset reset_ = nullptr;
  FakeOmbrelFail fail_ = nullptr;
  FakeOmbrelSetResult set_result_ = nullptr;
  FakeOmbrelCallCount count_ = nullptr;
  FakeOmbrelGetCall call_ = nullptr;
  FakeOmbrelBlock block_ = nullptr;
  FakeOmbrelSetBlock set_block_ = nullptr;
  testing::ScratchDirectory dir_;
  std::string saved_cwd_;
  std::vector<testing::ShownError> errors_;
};

std::vector<unsigned char> templ_with_high_crc() {
  std::vector<unsigned char> t(256);
  t[0] = 0x03;
  t[1] = 0x02;
  for (int i = 2; i < 256; ++i) t[i] = static_cast<unsigned char>(i * 13 + 1);
  for (int tweak = 0; crc16(t.data(), 256) < 0x8000; ++tweak)
    t[255] = static_cast<unsigned char>(tweak);
  return t;
}

unsigned char kKey[8] = {1, 2, 3, 4, 5, 6, 7, 8};

TEST_F(SerialDriver, AbsentDriverAndCallsBeforeOpening) {
  registry::set_driver_base_name("ombrel_absent");
  EXPECT_EQ(Pirrel_OpenCom(1), -10);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].caption, "Error");
  EXPECT_EQ(errors_[0].text, kDriverMissing);

  errors_.clear();
  VorskRegistryEntry e = make_entry("1", "", "", 0, 0, 0, 2010, 1, 1);
  unsigned char templ[256] = {};
  int flag = -5;
  EXPECT_EQ(Pirrel_IcRegistry_Write(&e, templ, 1, 0, kKey, 0, 0), -1);
  EXPECT_EQ(Pirrel_IcRegistry_Read(&e, templ, 1, &flag, kKey, 0, 0), -1);
  EXPECT_EQ(Pirrel_Ic_SerialNO(3), -1);
  EXPECT_EQ(Pirrel_mifare_taiwan(3), -1);
  EXPECT_EQ(flag, -5);
  ASSERT_EQ(errors_.size(), 4u);
  for (const auto& shown : errors_) {
    EXPECT_EQ(shown.caption, kErrorCaptionGbk);
    EXPECT_EQ(shown.text, kOpenFirst);
  }
  EXPECT_EQ(Pirrel_CloseCom(), -1);
  EXPECT_EQ(count_(), 0);
  EXPECT_FALSE(platform::directory_exists("records"));
}

TEST_F(SerialDriver, DriverLackingAnEntryPointIsNotBound) {
  registry::set_driver_base_name("ombrel_partial");
  EXPECT_EQ(Pirrel_OpenCom(1), -11);
  EXPECT_TRUE(errors_.empty());
  EXPECT_EQ(Pirrel_Ic_SerialNO(3), -1);
  EXPECT_EQ(Pirrel_CloseCom(), -1);
}

TEST_F(SerialDriver, OpenCloseAndPassThroughCalls) {
  set_result_(kFakeOpenCom, 17);
  set_result_(kFakeReadId, 1234);
  EXPECT_EQ(Pirrel_OpenCom(5), 17);
  EXPECT_EQ(Pirrel_OpenCom(6), 17);  // opening again replaces the binding
  EXPECT_EQ(Pirrel_Ic_SerialNO(77), 1234);
  EXPECT_EQ(Pirrel_CloseCom(), 0);
  EXPECT_EQ(Pirrel_CloseCom(), -1);
  const auto all = calls();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].entry, kFakeOpenCom);
  EXPECT_EQ(all[0].arg1, 5);
  EXPECT_EQ(all[0].arg2, 9600);
  EXPECT_EQ(all[1].arg1, 6);
  EXPECT_EQ(all[2].entry, kFakeReadId);
  EXPECT_EQ(all[2].arg1, 77);
  EXPECT_EQ(all[2].arg2, 1);
  EXPECT_EQ(all[3].entry, kFakeCloseCom);
}

TEST_F(SerialDriver, ImageOfATemplateCard) {
  ASSERT_EQ(Pirrel_OpenCom(1), 0);
  const auto t = templ_with_high_crc();
  // 16,777,217 keeps its low 24 bits: 1.
  VorskRegistryEntry e = make_entry("16777217", "", "Li Wei", 0, 0, 0, 2010, 7, 31);
  ASSERT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 4, 0, kKey, 0, 0), 0);

  const auto writes = calls(kFakeWriteCard);
  ASSERT_EQ(writes.size(), 21u);
  for (int k = 0; k < 21; ++k) {
    EXPECT_EQ(writes[k].sector, 4 + k / 3) << k;
    EXPECT_EQ(writes[k].block, k % 3) << k;
    EXPECT_EQ(writes[k].arg1, 16) << k;
    EXPECT_EQ(std::memcmp(writes[k].key, kKey, 8), 0) << k;
  }
  const auto image = card_image(4);
  EXPECT_EQ(testing::hex({image.begin(), image.begin() + 16}),
            "00 00 00 01 4C 69 20 57 65 69 00 00 0A 07 1F 2B");
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 16, image.begin() + 48),
            std::vector<std::uint8_t>(32, 0));
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 48, image.begin() + 304), t);
  const std::uint16_t crc = crc16(t.data(), 256);
  EXPECT_EQ(image[304], crc & 0xFF);
  EXPECT_EQ(image[305], crc >> 8);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 306, image.end()),
            std::vector<std::uint8_t>(30, 0));

  VorskRegistryEntry back{};
  std::vector<unsigned char> got(256, 0);
  int flag = -1;
  EXPECT_EQ(Pirrel_IcRegistry_Read(&back, got.data(), 4, &flag, kKey, 0, 0), 0);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(got, t);  // a CRC of 0x8000 or more is no error
  EXPECT_EQ(std::string(back.card1, 2), std::string("1\0", 2));
  EXPECT_EQ(std::string(back.name, 6), "Li Wei");
  EXPECT_EQ(back.year, 2010);
  EXPECT_EQ(back.month, 7);
  EXPECT_EQ(back.day, 31);
  const auto reads = calls(kFakeReadCard);
  ASSERT_EQ(reads.size(), 21u);
  for (const auto& r : reads) EXPECT_EQ(r.work_zeroed, 1);
}

// Start sectors are passed on as the host gives them: a card without such a sector refuses
// the first block four times (-10) and nothing further is tried.
TEST_F(SerialDriver, StartSectorsOutsideTheCard) {
  ASSERT_EQ(Pirrel_OpenCom(1), 0);
  VorskRegistryEntry e = make_entry("1", "", "x", 0, 0, 0, 2010, 1, 1);
  for (int start : {INT_MAX, INT_MAX - 6, INT_MIN, -1}) {
    reset_();
    EXPECT_EQ(Pirrel_IcRegistry_Write(&e, nullptr, start, 1, kKey, 0, 0), -10) << start;
    int flag = -1;
    EXPECT_EQ(Pirrel_IcRegistry_Read(&e, nullptr, start, &flag, kKey, 0, 0), -10) << start;
    EXPECT_EQ(flag, -1) << start;
    for (int entry : {kFakeWriteCard, kFakeReadCard}) {
      const auto tried = calls(entry);
      ASSERT_EQ(tried.size(), 4u) << start;
      for (const auto& call : tried) EXPECT_EQ(call.sector, start) << start;
    }
  }
}

TEST_F(SerialDriver, KindsWithoutTemplateAndKindTwo) {
  ASSERT_EQ(Pirrel_OpenCom(1), 0);
  const auto t = templ_with_high_crc();
  VorskRegistryEntry e = make_entry("16777215", "", "A", 0, 0, 0, 2099, 12, 1);
  ASSERT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 0, 1, kKey, 0, 0), 0);
  auto image = card_image(0);
  EXPECT_EQ(testing::hex({image.begin(), image.begin() + 4}), "01 FF FF FF");
  EXPECT_EQ(image[12], 99);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 48, image.begin() + 304),
            std::vector<std::uint8_t>(256, 0));
  EXPECT_EQ(image[304], 0xAA);
  EXPECT_EQ(image[305], 0xAA);

  std::vector<unsigned char> got(256, 0x33);
  int flag = -1;
  VorskRegistryEntry back{};
  EXPECT_EQ(Pirrel_IcRegistry_Read(&back, got.data(), 0, &flag, kKey, 0, 0), 0);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(got, std::vector<unsigned char>(256, 0x33));  // untouched
  EXPECT_EQ(std::string(back.card1), "16777215");

  // Kind 2 carries the template but reads back as a card without one.
  ASSERT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 10, 2, kKey, 0, 0), 0);
  image = card_image(10);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 48, image.begin() + 304), t);
  EXPECT_EQ(Pirrel_IcRegistry_Read(&back, got.data(), 10, &flag, kKey, 0, 0), 0);
  EXPECT_EQ(flag, 1);
}

TEST_F(SerialDriver, EachBlockGetsFourAttempts) {
  ASSERT_EQ(Pirrel_OpenCom(1), 0);
  const auto t = templ_with_high_crc();
  VorskRegistryEntry e = make_entry("5", "", "", 0, 0, 0, 2010, 1, 1);

  fail_(kFakeWriteCard, 3, 1, 3);  // image block 4 succeeds on its fourth attempt
  EXPECT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 2, 0, kKey, 0, 0), 0);
  EXPECT_EQ(calls(kFakeWriteCard).size(), 24u);

  reset_();
  fail_(kFakeWriteCard, 3, 1, 4);  // fails for good: the blocks after it are not written
  EXPECT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 2, 0, kKey, 0, 0), -10);
  const auto writes = calls(kFakeWriteCard);
  ASSERT_EQ(writes.size(), 8u);       // blocks 0..3 once, block 4 four times
  EXPECT_EQ(card_bytes(2, 0)[3], 5);  // what was written stays written

  reset_();
  ASSERT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 2, 0, kKey, 0, 0), 0);
  std::vector<unsigned char> got(256, 0);
  int flag = -1;
  fail_(kFakeReadCard, 8, 2, 3);
  EXPECT_EQ(Pirrel_IcRegistry_Read(&e, got.data(), 2, &flag, kKey, 0, 0), 0);
  EXPECT_EQ(got, t);
  fail_(kFakeReadCard, 8, 2, 4);
  EXPECT_EQ(Pirrel_IcRegistry_Read(&e, got.data(), 2, &flag, kKey, 0, 0), -10);
}

TEST_F(SerialDriver, DamagedTemplateOnTheCard) {
  ASSERT_EQ(Pirrel_OpenCom(1), 0);
  const auto t = templ_with_high_crc();
  VorskRegistryEntry e = make_entry("5", "", "", 0, 0, 0, 2010, 1, 1);
  ASSERT_EQ(Pirrel_IcRegistry_Write(&e, t.data(), 20, 0, kKey, 0, 0), 0);
  auto b = card_bytes(22, 0);  // image block 6: template bytes 48..63
  b[5] ^= 0x40;
  set_block_(22, 0, b.data());
  std::vector<unsigned char> got(256, 0x44);
  int flag = -1;
  EXPECT_EQ(Pirrel_IcRegistry_Read(&e, got.data(), 20, &flag, kKey, 0, 0), -11);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(got, std::vector<unsigned char>(256, 0x44));
}

TEST_F(SerialDriver, TaiwanBlock) {
  ASSERT_EQ(Pirrel_OpenCom(1), 0);
  set_result_(kFakeWriteCard, 0);
  EXPECT_EQ(Pirrel_mifare_taiwan(0x12345678), 0);
  const auto writes = calls(kFakeWriteCard);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].sector, 6);
  EXPECT_EQ(writes[0].block, 0);
  EXPECT_EQ(writes[0].arg1, 16);
  std::uint8_t expected[16] = {0x66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12};
  const std::uint16_t crc = crc16(expected, 14);
  expected[14] = static_cast<std::uint8_t>(crc);
  expected[15] = static_cast<std::uint8_t>(crc >> 8);
  EXPECT_EQ(std::memcmp(writes[0].data, expected, 16), 0);
  EXPECT_EQ(testing::hex({writes[0].key, writes[0].key + 8}), "FF FF FF FF FF FF 00 00");
  EXPECT_TRUE(platform::directory_exists("records"));

  fail_(kFakeWriteCard, 6, 0, 1);  // the driver's failure comes back as it is
  EXPECT_EQ(Pirrel_mifare_taiwan(1), 1);
}

}  // namespace
}  // namespace vorskel
