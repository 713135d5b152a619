// POSIX kernel services behind the platform interface.
#ifndef _WIN32

#include <dlfcn.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/lang_id.h"
#include "platform/platform.h"
#include "platform/system_detail.h"

namespace vorskel::platform {

namespace detail {

LocalTime native_local_time() {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  const time_t now = tv.tv_sec;
  std::tm tm{};
  ::localtime_r(&now, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.weekday = tm.tm_wday;
  t.millisecond = static_cast<int>(tv.tv_usec / 1000);
  return t;
}

std::uint16_t native_lang_id() {
  return system_lang_id_from_env(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"),
                                 std::getenv("LANG"));
}

void native_show_error(const char* caption, const char* text) {
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
  std::fflush(stderr);
}

}  // namespace detail

std::string current_directory() {
  char buf[kMaxPathChars];
  return current_directory(buf, sizeof buf) == 0 ? std::string(".") : std::string(buf);
}

std::size_t current_directory(char* out, std::size_t room) {
  if (out == nullptr || room == 0 || ::getcwd(out, room) == nullptr) return 0;
  return std::strlen(out);
}

std::string detail::native_executable_directory() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return current_directory();
  std::string path(buf, static_cast<std::size_t>(n));
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return current_directory();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

PathKind path_kind(const char* path) {
  struct stat st {};
  if (::stat(path, &st) != 0) return PathKind::kMissing;
  return S_ISDIR(st.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

bool directory_exists(const char* path) {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool create_directory(const char* path) {
  if (::mkdir(path, 0777) == 0) return true;
  return errno == EEXIST && directory_exists(path);
}

FileHandle open_for_append(const char* path) {
  int fd;
  do {
    fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kInvalidFile : static_cast<FileHandle>(fd);
}

bool append_block(FileHandle file, const void* data, std::size_t length) {
  const char* p = static_cast<const char*>(data);
  constexpr int kMaxShortWrites = 16;
  for (int attempt = 0; length > 0 && attempt < kMaxShortWrites; ++attempt) {
    const ssize_t n = ::write(static_cast<int>(file), p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<std::size_t>(n);
  }
  return length == 0;
}

void close_file(FileHandle file) {
  if (file != kInvalidFile) ::close(static_cast<int>(file));
}

void yield_thread() {
  ::sched_yield();
}

LibraryHandle load_library(const char* base_name) {
  const std::string file = std::string("lib") + base_name + ".so";
  return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* find_symbol(LibraryHandle lib, const char* name) {
  return lib != nullptr ? ::dlsym(lib, name) : nullptr;
}

void free_library(LibraryHandle lib) {
  if (lib != nullptr) ::dlclose(lib);
}

}  // namespace vorskel::platform

#endif  // !_WIN32
