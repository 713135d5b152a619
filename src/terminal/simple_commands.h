// The main terminal's simple commands that programs built on the library call directly, on
// the calling thread's current channel.
#pragma once

namespace vorskel::family {

int set_time(const char* host, int port);       // the PC's local time (Vorsk_SetTime)
int clear_records(const char* host, int port);  // Vorsk_ClearRecord

}  // namespace vorskel::family
