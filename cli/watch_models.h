// The live reports the tool can receive: which watch export takes the next report and how
// its fields print.
#pragma once

#include <string>
#include <vector>

namespace vorskel::cli {

// One datagram taken from the watch endpoint.
struct Taken {
  int result = 0;                   // the watch export's result
  std::vector<std::string> values;  // the report's fields; empty when there is none to print
  std::string note;                 // why a datagram was not printed (empty: nothing to say)
  char sender[16] = "";
  int sender_port = 0;
};

struct WatchModel {
  const char* name;
  const char* description;
  std::vector<std::string> columns;  // after the "from" column
  void (*take)(Taken& taken);        // blocks until the next datagram
};

const std::vector<WatchModel>& watch_models();
const WatchModel* find_watch_model(const std::string& name);

// The text of a field of at most room bytes, up to its first zero.
std::string field_string(const char* field, std::size_t room);
// Bytes as upper-case hexadecimal digits.
std::string hex_bytes(const unsigned char* bytes, std::size_t n);

}  // namespace vorskel::cli
