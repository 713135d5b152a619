// Windows kernel and user-interface services behind the platform interface.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/system_detail.h"

namespace vorskel::platform {

namespace detail {

LocalTime native_local_time() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.weekday = st.wDayOfWeek;
  t.millisecond = st.wMilliseconds;
  return t;
}

std::uint16_t native_lang_id() {
  return ::GetSystemDefaultLangID();
}

void native_show_error(const char* caption, const char* text) {
  ::MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace detail

std::string current_directory() {
  char buf[kMaxPathChars + 1];
  const std::size_t n = current_directory(buf, sizeof buf);
  return n == 0 ? std::string(".") : std::string(buf, n);
}

std::size_t current_directory(char* out, std::size_t room) {
  if (out == nullptr || room == 0) return 0;
  const DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(room), out);
  // A result of room or more is the size the directory would need: it did not fit.
  if (n == 0 || n >= room) return 0;
  return n;
}

std::string detail::native_executable_directory() {
  char buf[MAX_PATH + 1];
  const DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return current_directory();
  std::string path(buf, n);
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? current_directory() : path.substr(0, slash);
}

PathKind path_kind(const char* path) {
  const DWORD attr = ::GetFileAttributesA(path);
  if (attr == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory : PathKind::kOther;
}

bool directory_exists(const char* path) {
  const DWORD attr = ::GetFileAttributesA(path);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool create_directory(const char* path) {
  if (::CreateDirectoryA(path, nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && directory_exists(path);
}

FileHandle open_for_append(const char* path) {
  // Shared for reading and writing, as the C run-time opens files: hosts read the files while
  // a download appends, and two downloads may append to one file.
  const HANDLE h = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(h);
}

bool append_block(FileHandle file, const void* data, std::size_t length) {
  const char* p = static_cast<const char*>(data);
  constexpr int kMaxShortWrites = 16;
  for (int attempt = 0; length > 0 && attempt < kMaxShortWrites; ++attempt) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length, 0x7FFFFFFF));
    if (!::WriteFile(reinterpret_cast<HANDLE>(file), p, chunk, &written, nullptr) || written == 0)
      return false;
    p += written;
    length -= written;
  }
  return length == 0;
}

void close_file(FileHandle file) {
  if (file != kInvalidFile) ::CloseHandle(reinterpret_cast<HANDLE>(file));
}

void yield_thread() {
  ::Sleep(0);
}

LibraryHandle load_library(const char* base_name) {
  const std::string file = std::string(base_name) + ".dll";
  return reinterpret_cast<LibraryHandle>(::LoadLibraryA(file.c_str()));
}

void* find_symbol(LibraryHandle lib, const char* name) {
  if (lib == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(lib), name));
}

void free_library(LibraryHandle lib) {
  if (lib != nullptr) ::FreeLibrary(static_cast<HMODULE>(lib));
}

}  // namespace vorskel::platform

#endif  // _WIN32
