// POSIX kernel services behind the platform interface.
#ifndef _WIN32

#include <dlfcn.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
  char buf[4096];
  if (::getcwd(buf, sizeof buf) == nullptr) return ".";
  return buf;
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

bool directory_exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool create_directory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && directory_exists(path);
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
