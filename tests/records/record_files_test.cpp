// Record files written by downloads: per terminal and per record day, appended to, and
// never in the way of the records themselves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "record_sim.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;

constexpr sim::SlotGeometry kStd{16, 512, 32};

class RecordFiles : public testing::RecordSim {
 protected:
  void load_two_days() {
    load(sim::linear_area(kStd, 64, 0,
                          {sim::standard_record("00000001", 0x10, {2009, 5, 1, 23, 59, 58}),
                           sim::standard_record("00000002", 0x11, {2009, 5, 1, 23, 59, 59}),
                           sim::standard_record("00000003", 0x12, {2009, 5, 2, 0, 0, 1})}));
  }
  int download() {
    std::vector<std::uint8_t> out(32 * 54);
    int total = 0;
    for (int page = 0, r; (r = Vorsk_Record(out.data(), page, host(), port())) >= 0; ++page)
      total += r;
    return total;
  }
};

TEST_F(RecordFiles, TwoDaysInOnePageGiveTwoFiles) {
  load_two_days();
  EXPECT_EQ(download(), 3);
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-05-01"),
            "00000001 2009-05-01 23:59:58 127.0.0.1\n00000002 2009-05-01 23:59:59 127.0.0.1\n");
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-05-02"), "00000003 2009-05-02 00:00:01 127.0.0.1\n");
}

TEST_F(RecordFiles, AnExistingFileIsAppendedTo) {
  std::filesystem::create_directories(cwd.path() / "records" / "127.0.0.1");
  std::ofstream(cwd.path() / "records" / "127.0.0.1" / "2009-05-02.rcd") << "kept\n";
  load_two_days();
  EXPECT_EQ(download(), 3);
  EXPECT_EQ(download(), 3);  // a second download appends the same lines again
  EXPECT_EQ(
      cwd.record_file("127.0.0.1", "2009-05-02"),
      "kept\n00000003 2009-05-02 00:00:01 127.0.0.1\n00000003 2009-05-02 00:00:01 127.0.0.1\n");
}

TEST_F(RecordFiles, RecordsComeBackWhenNoFileCanBeWritten) {
  std::ofstream(cwd.path() / "records") << "not a directory";
  load_two_days();
  EXPECT_EQ(download(), 3);
  std::filesystem::permissions(
      cwd.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_EQ(download(), 3);
  std::filesystem::permissions(cwd.path(), std::filesystem::perms::owner_all);
}

TEST_F(RecordFiles, ARecordsDirectoryIsMadeEvenWhenThereAreNoRecords) {
  load(sim::empty_area(kStd, 8));
  EXPECT_EQ(download(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(cwd.path() / "records"));
  EXPECT_TRUE(std::filesystem::is_empty(cwd.path() / "records"));
}

}  // namespace
}  // namespace vorskel
