// The two small queries every record and registration reader starts with, on the calling
// thread's current channel: how many records the terminal holds, and where its record and
// registration areas begin and end.
#pragma once

#include "vorskel/context.hpp"

namespace vorskel::terminal {

Reply<RecordPointers> read_record_pointers(const char* host, int port);
Reply<RecordTotal> read_record_total(const char* host, int port);

}  // namespace vorskel::terminal
