// What every subcommand shares: the library's local ports, the output format, and an open
// command endpoint for the length of the command.
#pragma once

#include <string>

#include "cli/output.h"

namespace vorskel::cli {

struct Options {
  int cmd_port = 0;  // 0: a free port of the system's choosing
  int watch_port = 0;
  std::string format = "table";
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
