#include "cli/files.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "cli/errors.h"

namespace vorskel::cli {

namespace fs = std::filesystem;

std::string system_error_text(int error) {
  return std::strerror(error);
}

namespace {

[[noreturn]] void file_failure(const std::string& name, int error, const std::string& detail) {
  throw Failure(kExitFile, name + ": " + system_error_text(error) + detail);
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : name_("standard output") {
  if (path.empty() || path == "-") return;
  name_ = path;
  target_ = fs::absolute(path);
  temp_ = target_;
  temp_ += ".part-" + std::to_string(::getpid());
  stream_ = std::fopen(temp_.c_str(), "wb");
  if (stream_ == nullptr) file_failure(name_, errno, " (nothing written)");
}

OutputFile::~OutputFile() {
  if (done_ || stream_ == stdout) return;
  std::fclose(stream_);
  std::error_code ec;
  fs::remove(temp_, ec);
}

void OutputFile::commit(const std::string& written) {
  done_ = true;
  const std::string detail = " (" + written + ")";
  if (stream_ == stdout) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) file_failure(name_, errno, detail);
    return;
  }
  const bool wrote = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  const int write_error = errno;
  const bool closed = std::fclose(stream_) == 0;
  const int close_error = errno;
  stream_ = stdout;
  std::error_code ec;
  if (!wrote || !closed) {
    fs::remove(temp_, ec);
    file_failure(name_, wrote ? close_error : write_error,
                 detail + "; " + name_ + " is as it was before");
  }
  move_into_place(temp_, target_);
}

ScratchDir::ScratchDir(const fs::path& parent) {
  std::string pattern = (fs::absolute(parent) / ".vorskel-XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr)
    file_failure(fs::absolute(parent).string(), errno, " (cannot write there; nothing written)");
  path_ = buf.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

ScratchDir::RunInside::RunInside(const ScratchDir& dir) : previous_(fs::current_path()) {
  fs::current_path(dir.path());
}

ScratchDir::RunInside::~RunInside() {
  std::error_code ec;
  fs::current_path(previous_, ec);
}

void move_into_place(const fs::path& from, const fs::path& target) {
  if (std::rename(from.c_str(), target.c_str()) != 0) {
    const int error = errno;
    std::error_code ec;
    fs::remove(from, ec);
    file_failure(target.string(), error,
                 " (the complete file could not replace it; it is as "
                 "it was before)");
  }
}

void append_file(const fs::path& from, const fs::path& target) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) file_failure(from.string(), errno, "");
  std::FILE* out = std::fopen(target.c_str(), "ab");
  if (out == nullptr) {
    const int error = errno;
    std::fclose(in);
    file_failure(target.string(), error, " (nothing appended)");
  }
  char buf[1 << 14];
  std::size_t n = 0, total = 0;
  bool ok = true;
  while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0) {
    ok = std::fwrite(buf, 1, n, out) == n;
    if (ok) total += n;
  }
  int error = errno;
  std::fclose(in);
  ok = ok && std::fflush(out) == 0;
  if (!ok) error = errno;
  if (std::fclose(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok)
    file_failure(target.string(), error,
                 " (" + std::to_string(total) + " bytes of " + from.filename().string() +
                     " appended before the failure)");
}

}  // namespace vorskel::cli
