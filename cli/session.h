// What every subcommand shares: the library's local ports, the output format, the reply
// time-out, the wire trace, and an open command endpoint for the length of the command.
#pragma once

#include <string>

#include "cli/output.h"

namespace vorskel::cli {

struct Options {
  int cmd_port = 0;  // 0: a free port of the system's choosing
  int watch_port = 0;
  std::string format = "table";
  int timeout_ms = 6000;  // per reply; each retry of a download page waits as long again
  bool debug = false;     // every datagram in hex on standard error
};

class Session {
 public:
  explicit Session(const Options& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  Format format() const { return format_; }

 private:
  Format format_;
};

}  // namespace vorskel::cli
