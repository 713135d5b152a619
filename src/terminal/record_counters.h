// The two small queries every record and registration reader starts with, on the calling
// thread's current channel: how many records the terminal holds, and where its record and
// registration areas begin and end.
#pragma once

#include "vorskel/context.hpp"

namespace vorskel::terminal {

// Where the record pointers' and the registration pointers' fields end in the reply. A reply
// cut before the fields a caller reads is no usable reply (reads: one of these, or 0 when
// the caller reads none).
inline constexpr int kRecordPointersEnd = 14;
inline constexpr int kRegistrationPointersEnd = 28;

Reply<RecordPointers> read_record_pointers(const char* host, int port,
                                           int reads = kRegistrationPointersEnd);
Reply<RecordTotal> read_record_total(const char* host, int port);

}  // namespace vorskel::terminal
