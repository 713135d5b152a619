// The native halves of the overridable platform services.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vorskel::platform::detail {

LocalTime native_local_time();
std::uint16_t native_lang_id();
std::string native_executable_directory();
void native_show_error(const char* caption, const char* text);

}  // namespace vorskel::platform::detail
