// Test overrides shared by every platform: a pinned clock, a forced language ID, a moved
// executable directory and a diverted error-message sink.
#include <mutex>

#include "platform/platform.h"
#include "platform/system_detail.h"

namespace vorskel::platform {
namespace {

std::mutex& override_mutex() {
  static std::mutex m;
  return m;
}
std::optional<LocalTime>& time_override() {
  static std::optional<LocalTime> v;
  return v;
}
std::optional<std::uint16_t>& lang_override() {
  static std::optional<std::uint16_t> v;
  return v;
}
std::optional<std::string>& executable_directory_override() {
  static std::optional<std::string> v;
  return v;
}
ErrorSink& error_sink() {
  static ErrorSink sink;
  return sink;
}

}  // namespace

void set_local_time_override(std::optional<LocalTime> fixed) {
  std::lock_guard<std::mutex> lock(override_mutex());
  time_override() = fixed;
}

LocalTime local_time() {
  {
    std::lock_guard<std::mutex> lock(override_mutex());
    if (time_override()) return *time_override();
  }
  return detail::native_local_time();
}

void set_lang_id_override(std::optional<std::uint16_t> fixed) {
  std::lock_guard<std::mutex> lock(override_mutex());
  lang_override() = fixed;
}

std::uint16_t system_default_lang_id() {
  {
    std::lock_guard<std::mutex> lock(override_mutex());
    if (lang_override()) return *lang_override();
  }
  return detail::native_lang_id();
}

void set_executable_directory_override(std::optional<std::string> directory) {
  std::lock_guard<std::mutex> lock(override_mutex());
  executable_directory_override() = std::move(directory);
}

std::string executable_directory() {
  {
    std::lock_guard<std::mutex> lock(override_mutex());
    if (executable_directory_override()) return *executable_directory_override();
  }
  return detail::native_executable_directory();
}

void set_error_sink(ErrorSink sink) {
  std::lock_guard<std::mutex> lock(override_mutex());
  error_sink() = std::move(sink);
}

void show_error(const char* caption, const char* text) {
  ErrorSink sink;
  {
    std::lock_guard<std::mutex> lock(override_mutex());
    sink = error_sink();
  }
  if (sink) {
    sink(caption, text);
    return;
  }
  detail::native_show_error(caption, text);
}

}  // namespace vorskel::platform
