// Ctrl-C (or SIGTERM) during a command that pages through a terminal: the page in flight
// finishes, the command sees the flag between pages, ends on a complete row and says how far
// it got.
#pragma once

namespace vorskel::cli {

class InterruptFlag {
 public:
  InterruptFlag();   // takes SIGINT and SIGTERM for its lifetime
  ~InterruptFlag();  // puts the previous handlers back
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;
  bool raised() const;
};

}  // namespace vorskel::cli
