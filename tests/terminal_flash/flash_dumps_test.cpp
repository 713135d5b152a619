// Full flash dumps into "<address>.bin" in the current directory: whole images, retries of a
// page, and dump files that cannot be created or written.
#include "terminal/flash_dumps.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "sim/models/terminal_flash.h"
#include "sim/models/terminal_state.h"
#include "vorskel.h"
#include "wire.h"

namespace vorskel {
namespace {

using sim::Bytes;
namespace fs = std::filesystem;

constexpr char kDumpFile[] = "100007f.bin";  // 127.0.0.1

Bytes random_image(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& v : b) {
    seed = seed * 1103515245u + 12345u;
    v = static_cast<std::uint8_t>(seed >> 16);
  }
  return b;
}

Bytes file_bytes(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FlashDumps : public testing::SimTest {
 protected:
  testing::InTempDir dir_;
};

TEST(FlashDumpName, FromTheHostText) {
  struct Case {
    const char* host;
    const char* name;
  } cases[] = {
      {"127.0.0.1", "100007f.bin"},
      {"192.168.1.10", "a01a8c0.bin"},  // resolved only, nothing is sent there
      {"10.0.0.0", "a.bin"},            // no leading zeros
      {"255.255.255.254", "feffffff.bin"},
      {"terminal.invalid", "ffffffff.bin"},
      {"", "ffffffff.bin"},
  };
  for (const auto& c : cases) EXPECT_EQ(dump_file_name(c.host), c.name) << c.host;
}

TEST_F(FlashDumps, Area2ImageIsByteIdentical) {
  const Bytes image = random_image(sim::FlashAreas::kArea2, 2);
  sim().with_model([&](sim::Model& m) { return m.part<sim::FlashAreas>().area2 = image, 0; });
  std::ofstream(kDumpFile) << "an older dump, longer than nothing";
  ASSERT_EQ(Vorsk_DumpFlash2(host(), port()), 0);
  const Bytes file = file_bytes(kDumpFile);
  ASSERT_EQ(file.size(), 262144u);
  EXPECT_TRUE(file == image);
  const auto reqs = requests();
  ASSERT_EQ(reqs.size(), 512u);
  for (std::size_t p = 0; p < reqs.size(); ++p) {
    ASSERT_EQ(reqs[p].code(), 4);
    ASSERT_EQ(reqs[p].payload_size(), 4u);
    ASSERT_EQ(reqs[p].p32(0), p * 512) << "pages in order";
  }
}

TEST_F(FlashDumps, Flash4ImageIsByteIdentical) {
  const Bytes image = random_image(sim::FlashDumpArea::kBytes, 4);
  sim().with_model([&](sim::Model& m) { return m.part<sim::FlashDumpArea>().bytes = image, 0; });
  ASSERT_EQ(Vorsk_DumpFlash4(host(), port()), 0);
  const Bytes file = file_bytes(kDumpFile);
  ASSERT_EQ(file.size(), 524288u);
  EXPECT_TRUE(file == image);
  const auto last = last_request();
  EXPECT_EQ(last.code(), 34);
  EXPECT_EQ(last.payload_size(), 4u) << "the page read, not the 2-byte stop command";
  EXPECT_EQ(last.p32(0), 1023u * 512);
}

TEST_F(FlashDumps, PageThatFailsFiveTimesEndsTheDump) {
  set_receive_timeout(40);
  struct Case {
    int (*dump)(const char*, int);
    std::uint8_t code;
  } cases[] = {{Vorsk_DumpFlash2, 4}, {Vorsk_DumpFlash4, 34}};
  for (const auto& c : cases) {
    sim().clear_requests();
    sim().with_model(
        [&](sim::Model& m) { return m.part<sim::FlashControl>().silent_from_page[c.code] = 100; });
    EXPECT_EQ(c.dump(host(), port()), -21) << int{c.code};
    EXPECT_EQ(fs::file_size(kDumpFile), 51200u) << "the 100 pages before stay in the file";
    const auto reqs = requests();
    ASSERT_EQ(reqs.size(), 105u);
    for (std::size_t i = 100; i < 105; ++i) EXPECT_EQ(reqs[i].p32(0), 100u * 512);
  }
}

TEST_F(FlashDumps, PageThatAnswersWithinFiveAttemptsIsKept) {
  set_receive_timeout(40);
  const Bytes image = random_image(sim::FlashAreas::kArea2, 9);
  sim().with_model([&](sim::Model& m) { return m.part<sim::FlashAreas>().area2 = image, 0; });
  sim().inject(4, sim::Fault{sim::FaultKind::kNoReply, 0, 7, 4});  // page 7: four misses
  ASSERT_EQ(Vorsk_DumpFlash2(host(), port()), 0);
  EXPECT_EQ(requests().size(), 516u);
  EXPECT_TRUE(file_bytes(kDumpFile) == image);
}

TEST_F(FlashDumps, FileThatCannotBeCreatedEndsTheDumpAtItsFirstPage) {
  fs::create_directory(kDumpFile);  // the name is taken by a directory
  EXPECT_EQ(Vorsk_DumpFlash2(host(), port()), -1);
  EXPECT_EQ(Vorsk_DumpFlash4(host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 2u) << "one page each, then no further";
}

TEST_F(FlashDumps, ADumpThatGetsNoPageLeavesTheEarlierFile) {
  // No answer, and pages cut short (a reply of 511 bytes is a failed try, not a page).
  set_receive_timeout(40);
  const std::string older = "an older good dump";
  for (auto kind : {sim::FaultKind::kNoReply, sim::FaultKind::kTruncate}) {
    std::ofstream(kDumpFile, std::ios::binary) << older;
    sim().inject(sim::kAnyCode, sim::Fault{kind, 3 + 511});
    EXPECT_EQ(Vorsk_DumpFlash2(host(), port()), -21);
    EXPECT_EQ(Vorsk_DumpFlash4(host(), port()), -21);
    sim().clear_faults();
    const Bytes file = file_bytes(kDumpFile);
    EXPECT_EQ(std::string(file.begin(), file.end()), older);
  }
}

TEST_F(FlashDumps, FileThatRefusesAPageStopsTheDump) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
  fs::create_symlink("/dev/full", kDumpFile);  // every write fails: the disk is full
  EXPECT_EQ(Vorsk_DumpFlash2(host(), port()), -2);
  EXPECT_EQ(sim().request_count(), 1u) << "no page is fetched only to be lost";
}

}  // namespace
}  // namespace vorskel
