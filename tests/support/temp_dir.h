// A new, empty directory under the system's temporary directory, on every system the tests
// build for (mkdtemp is POSIX only).
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vorskel::testing {

inline std::filesystem::path make_temp_directory(const std::string& stem) {
  std::mt19937_64 random(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    const auto dir = std::filesystem::temp_directory_path() / (stem + suffix);
    if (std::filesystem::create_directory(dir)) return dir;  // false: the name was taken
  }
  throw std::runtime_error("no free temporary directory name for " + stem);
}

// The tests' one temporary directory: made empty on construction, removed with everything in
// it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& stem = "vorskel-test-") : path_(make_temp_directory(stem)) {}
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace vorskel::testing
