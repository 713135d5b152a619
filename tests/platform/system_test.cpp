// The kernel services behind the platform interface, on the system the test runs on (natively,
// or as a Windows program under Wine): directories, the program's own directory, the clock,
// run-time loading.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace vorskel::platform {
namespace {

namespace fs = std::filesystem;

TEST(Directories, CreateTestAndRefuse) {
  const testing::TempDir temp("vorskel_dirs_");
  const std::string dir = (temp.path() / "made").string();
  EXPECT_FALSE(directory_exists(dir));
  ASSERT_TRUE(create_directory(dir));
  EXPECT_TRUE(directory_exists(dir));
  EXPECT_TRUE(create_directory(dir));  // already there counts as success
  const std::string nested = dir + kPathSeparator + "a" + kPathSeparator + "b";
  EXPECT_FALSE(create_directory(nested));  // one level at a time, like the record writer
  const std::string file = dir + kPathSeparator + "file.txt";
  std::ofstream(file) << "x";
  EXPECT_FALSE(directory_exists(file));
  EXPECT_FALSE(create_directory(file));
}

TEST(Directories, CurrentAndExecutable) {
  EXPECT_EQ(fs::path(current_directory()), fs::current_path());
  const std::string exe_dir = executable_directory();
  ASSERT_FALSE(exe_dir.empty());
  EXPECT_NE(exe_dir.back(), kPathSeparator);
  EXPECT_TRUE(directory_exists(exe_dir));
  // The test program itself lives there.
  bool found = false;
  for (const auto& entry : fs::directory_iterator(exe_dir))
    found = found || entry.path().stem() == "test_platform";
  EXPECT_TRUE(found) << exe_dir;
}

TEST(Clock, LocalTimeFieldsAgreeWithEachOther) {
  const LocalTime t = local_time();
  EXPECT_GE(t.year, 2020);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12);
  EXPECT_TRUE(t.day >= 1 && t.day <= 31);
  EXPECT_TRUE(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59);
  EXPECT_TRUE(t.second >= 0 && t.second <= 60 && t.millisecond >= 0 && t.millisecond <= 999);
  // The weekday counts from Sunday = 0 on every system.
  const std::chrono::sys_days day{std::chrono::year{t.year} / t.month / t.day};
  EXPECT_EQ(t.weekday, static_cast<int>(std::chrono::weekday{day}.c_encoding()));
}

TEST(Loading, MissingLibraryAndSymbol) {
  EXPECT_EQ(load_library("vorskel_no_such_driver"), nullptr);
  EXPECT_EQ(find_symbol(nullptr, "Open_ComX"), nullptr);
  free_library(nullptr);
#ifdef _WIN32
  LibraryHandle kernel = load_library("kernel32");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(find_symbol(kernel, "GetTickCount"), nullptr);
  EXPECT_EQ(find_symbol(kernel, "Open_ComX"), nullptr);
  free_library(kernel);
#endif
}

}  // namespace
}  // namespace vorskel::platform
