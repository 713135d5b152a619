// The record file writer: one file per terminal and day, appended to, never outside the
// records directory, and silent when it cannot write.
#include "records/record_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "temp_cwd.h"

namespace vorskel::records {
namespace {

using testing::TempCwd;
namespace fs = std::filesystem;

TEST(RecordFile, TwoDaysGoToTwoFiles) {
  TempCwd cwd;
  {
    RecordFileWriter w;
    EXPECT_EQ(w.write_line("127.0.0.7", "2009-05-01", "A 2009-05-01 08:00:00 127.0.0.7"), 0);
    EXPECT_EQ(w.write_line("127.0.0.7", "2009-05-01", "B 2009-05-01 09:00:00 127.0.0.7"), 0);
    EXPECT_EQ(w.write_line("127.0.0.7", "2009-05-02", "C 2009-05-02 07:00:00 127.0.0.7"), 0);
    // Each line is flushed as it is written: readable before the writer ends.
    EXPECT_EQ(cwd.record_file("127.0.0.7", "2009-05-02"), "C 2009-05-02 07:00:00 127.0.0.7\n");
  }
  EXPECT_EQ(cwd.record_file("127.0.0.7", "2009-05-01"),
            "A 2009-05-01 08:00:00 127.0.0.7\nB 2009-05-01 09:00:00 127.0.0.7\n");
}

TEST(RecordFile, AnExistingFileIsAppendedToNeverTruncated) {
  TempCwd cwd;
  fs::create_directories(cwd.path() / "records" / "host1");
  std::ofstream(cwd.path() / "records" / "host1" / "2010-01-31.rcd") << "earlier line\n";
  {
    RecordFileWriter w;
    EXPECT_EQ(w.write_line("host1", "2010-01-31", "new line"), 0);
  }
  {
    RecordFileWriter w;  // a second download call
    EXPECT_EQ(w.write_line("host1", "2010-01-31", "newer line"), 0);
  }
  EXPECT_EQ(cwd.record_file("host1", "2010-01-31"), "earlier line\nnew line\nnewer line\n");
}

// Windows programs read the record files as text: there the lines end in CR LF on disk.
TEST(RecordFile, LinesEndAsTheSystemsTextFilesDo) {
  TempCwd cwd;
  RecordFileWriter w;
  ASSERT_EQ(w.write_line("host1", "2011-02-03", "one"), 0);
  ASSERT_EQ(w.write_line("host1", "2011-02-03", "two"), 0);
#ifdef _WIN32
  EXPECT_EQ(TempCwd::read(cwd.record_path("host1", "2011-02-03")), "one\r\ntwo\r\n");
#else
  EXPECT_EQ(TempCwd::read(cwd.record_path("host1", "2011-02-03")), "one\ntwo\n");
#endif
}

TEST(RecordFile, EachTerminalKeepsItsOwnFile) {
  TempCwd cwd;
  RecordFileWriter w;
  const std::string long_a(49, 'a');  // longest accepted address texts, differing at the end
  const std::string long_b = std::string(48, 'a') + "b";
  EXPECT_EQ(w.write_line(long_a.c_str(), "2009-01-01", "1"), 0);
  EXPECT_EQ(w.write_line(long_b.c_str(), "2009-01-01", "2"), 0);
  EXPECT_EQ(w.write_line(long_a.c_str(), "2009-01-01", "3"), 0);
  EXPECT_EQ(cwd.record_file(long_a, "2009-01-01"), "1\n3\n");
  EXPECT_EQ(cwd.record_file(long_b, "2009-01-01"), "2\n");
  EXPECT_EQ(w.write_line(std::string(50, 'a').c_str(), "2009-01-01", "x"), -1);
}

TEST(RecordFile, AddressTextsThatAreNotAPlainNameGetNoFile) {
  TempCwd cwd;
  RecordFileWriter w;
  for (const char* bad : {"..", ".", "", "../escaped", "a/b", "..\\escaped", "c:x", "/tmp"}) {
    EXPECT_EQ(w.write_line(bad, "2009-01-01", "line"), -1) << bad;
  }
  EXPECT_EQ(w.write_line("ok", "../../2009-01-01", "line"), -1);
  EXPECT_EQ(w.write_line(nullptr, "2009-01-01", "line"), -1);
  EXPECT_FALSE(fs::exists(cwd.path() / "escaped"));
  EXPECT_FALSE(fs::exists(cwd.path() / "2009-01-01.rcd"));
  // Only what the writer made itself is there: the records directory, empty.
  EXPECT_TRUE(fs::is_empty(cwd.path() / "records"));
  EXPECT_EQ(std::distance(fs::directory_iterator(cwd.path()), fs::directory_iterator()), 1);
}

// Wine runs Windows programs with an ntdll of its own that exports its version.
bool running_under_wine() {
#ifdef _WIN32
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// Two downloads of one terminal on two threads append to the same day's file: every line
// arrives whole, none lost, none torn by the other's.
TEST(RecordFile, TwoWritersOfOneFileKeepEveryLineWhole) {
  // Windows appends each write of an append-only handle at the end of the file as one piece;
  // Wine places it at the end it saw before writing, so two handles overwrite each other.
  if (running_under_wine()) GTEST_SKIP() << "Wine does not append atomically across handles";
  TempCwd cwd;
  constexpr int kLines = 2000;
  auto write = [](char tag) {
    RecordFileWriter w;
    const std::string line = std::string(1, tag) + std::string(120, tag);
    for (int i = 0; i < kLines; ++i) w.write_line("host1", "2009-01-01", line);
  };
  std::thread a(write, 'a');
  std::thread b(write, 'b');
  a.join();
  b.join();
  std::istringstream lines(cwd.record_file("host1", "2009-01-01"));
  int count_a = 0, count_b = 0;
  for (std::string line; std::getline(lines, line);) {
    ASSERT_TRUE(line == std::string(121, 'a') || line == std::string(121, 'b')) << line;
    (line[0] == 'a' ? count_a : count_b)++;
  }
  EXPECT_EQ(count_a, kLines);
  EXPECT_EQ(count_b, kLines);
}

TEST(RecordFile, OverlongLinesAndDatesAreNotWritten) {
  TempCwd cwd;
  RecordFileWriter w;
  const std::string longest(RecordFileWriter::kMaxLineChars, 'x');
  EXPECT_EQ(w.write_line("host1", "2009-01-01", longest), 0);
  EXPECT_EQ(w.write_line("host1", "2009-01-01", longest + "x"), -1);
  EXPECT_EQ(w.write_line("host1", std::string(16, '1').c_str(), "line"), -1);
  EXPECT_EQ(cwd.record_file("host1", "2009-01-01"), longest + "\n");
}

TEST(RecordFile, NoRecordsDirectoryMeansQuietFailure) {
  TempCwd cwd;
  std::ofstream(cwd.path() / "records") << "a file where the directory would go";
  RecordFileWriter w;
  EXPECT_EQ(w.directory(), "");
  EXPECT_EQ(w.write_line("host1", "2009-01-01", "line"), -1);
}

}  // namespace
}  // namespace vorskel::records
