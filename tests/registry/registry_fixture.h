// Shared pieces of the registry tests: a simulator fixture that gives each test its own
// directory (as the host program's directory and as the current directory, since the dumps
// write there) and collects the error messages the library shows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"
#include "vorskel.h"

namespace vorskel::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() : path_(make_temp_directory("vorskel-registry-").string()) {}
  ~ScratchDirectory() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Text files are read in text mode: the library writes them so, and on Windows a line then
// ends in CR LF on disk.
inline std::string read_text(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> read_lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline bool file_exists(const std::string& path) {
  return std::filesystem::exists(path);
}

struct ShownError {
  std::string caption, text;
};

class RegistryTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    ASSERT_FALSE(dir_.path().empty());
    saved_cwd_ = platform::current_directory();
    ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
    platform::set_executable_directory_override(dir_.path());
    platform::set_error_sink([this](const char* caption, const char* text) {
      errors_.push_back({caption, text});
    });
  }
  void TearDown() override {
    platform::set_executable_directory_override(std::nullopt);
    if (::chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << saved_cwd_;
    SimTest::TearDown();
  }

  // Payload bytes of a request, as "0A 1B ...".
  static std::string payload_hex(const sim::Request& r) { return hex(r.payload()); }

  const ScratchDirectory& dir() const { return dir_; }
  const std::vector<ShownError>& errors() const { return errors_; }

 private:
  ScratchDirectory dir_;
  std::string saved_cwd_;
  std::vector<ShownError> errors_;
};

// An entry with fixed-width texts copied without terminators, as hosts fill them.
inline VorskRegistryEntry make_entry(const char* card1, const char* card2, const char* name,
                                     int group, int security, unsigned extra, int year, int month,
                                     int day) {
  VorskRegistryEntry e{};
  std::memcpy(e.card1, card1, std::min<std::size_t>(std::strlen(card1), 8));
  std::memcpy(e.card2, card2, std::min<std::size_t>(std::strlen(card2), 8));
  std::memcpy(e.name, name, std::min<std::size_t>(std::strlen(name), 8));
  e.group = group;
  e.security = security;
  e.extra = extra;
  e.year = year;
  e.month = month;
  e.day = day;
  return e;
}

}  // namespace vorskel::testing
