// The main terminal's record download (Vorsk_Record's row) on a download state the caller
// owns, for programs that run downloads side by side on contexts of their own.
#pragma once

#include <cstdint>

#include "records/download_state.h"

namespace vorskel::records {

// Vorsk_Record's page call: 32 entries of 54 bytes, record files, the caller's state.
int attendance_page(DownloadState state, std::uint8_t* out, int page, const char* host, int port);

}  // namespace vorskel::records
