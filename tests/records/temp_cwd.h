// Record files go under the current directory: each test that downloads runs in a fresh
// temporary directory of its own, so tests running in parallel never share files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_dir.h"

namespace vorskel::testing {

class TempCwd {
 public:
  TempCwd() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
  }
  ~TempCwd() { std::filesystem::current_path(previous_); }  // before dir_ is removed
  TempCwd(const TempCwd&) = delete;
  TempCwd& operator=(const TempCwd&) = delete;

  const std::filesystem::path& path() const { return dir_.path(); }

  // The record file of a terminal and day, read as the text file it is ("" when missing):
  // the library writes it in text mode, so on Windows its lines end in CR LF on disk.
  std::string record_file(const std::string& host, const std::string& date) const {
    return read_text(record_path(host, date));
  }
  std::filesystem::path record_path(const std::string& host, const std::string& date) const {
    return dir_.path() / "records" / host / (date + ".rcd");
  }
  static std::string read_text(const std::filesystem::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A file's bytes as they are on disk.
  static std::string read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path previous_;
  TempDir dir_{"vorskel-records-"};
};

}  // namespace vorskel::testing
