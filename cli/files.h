// Files the tool writes survive failure: a file is written under a temporary name beside its
// target and renamed over it only when complete, every write and close is checked, and a
// failure names the file, the system's reason and what had been written.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace vorskel::cli {

// The system's text for errno (strerror), for messages.
std::string system_error_text(int error);

// Where command output goes: standard output for "" or "-", else the named file, written
// under a temporary name and renamed over it by commit().
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();  // without commit() the temporary file goes and the target stays as it was
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  std::FILE* stream() const { return stream_; }
  const std::string& name() const { return name_; }
  // Flushes and closes (renames a file into place); throws a file Failure naming `written`
  // (what the output held) when a write, the close or the rename failed.
  void commit(const std::string& written);

 private:
  std::string name_;  // as the user gave it, or "standard output"
  std::filesystem::path target_, temp_;
  std::FILE* stream_ = stdout;
  bool done_ = false;
};

// A private directory inside `parent` (so its files rename into parent without copying),
// removed with everything in it at the end. While a RunInside is alive the process's current
// directory is the scratch directory: the library's own files (record files, dumps) land there
// and the tool decides what becomes of them.
class ScratchDir {
 public:
  explicit ScratchDir(const std::filesystem::path& parent);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

  class RunInside {
   public:
    explicit RunInside(const ScratchDir& dir);
    ~RunInside();
    RunInside(const RunInside&) = delete;
    RunInside& operator=(const RunInside&) = delete;

   private:
    std::filesystem::path previous_;
  };

 private:
  std::filesystem::path path_;
};

// Moves a finished file over target (same file system: one rename); throws a file Failure.
void move_into_place(const std::filesystem::path& from, const std::filesystem::path& target);
// Appends a file's bytes to target (created when missing), checked; throws a file Failure.
void append_file(const std::filesystem::path& from, const std::filesystem::path& target);

}  // namespace vorskel::cli
