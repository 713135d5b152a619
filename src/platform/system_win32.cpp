// Windows kernel and user-interface services behind the platform interface.
#ifdef _WIN32

#include <windows.h>

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
  char buf[MAX_PATH + 1];
  const DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0 || n > MAX_PATH) return ".";
  return std::string(buf, n);
}

std::string detail::native_executable_directory() {
  char buf[MAX_PATH + 1];
  const DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return current_directory();
  std::string path(buf, n);
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? current_directory() : path.substr(0, slash);
}

bool directory_exists(const std::string& path) {
  const DWORD attr = ::GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool create_directory(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && directory_exists(path);
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
