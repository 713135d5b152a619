// The one place a sync touches a terminal: its record pointers, its record pages and its
// clear. Today through the library's public C interface (one process-wide endpoint); a
// per-terminal context replaces this file's implementation and nothing else.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service/database.h"
#include "service/record_models.h"
#include "service/site_config.h"

namespace vorskel::site {

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual const RecordModel& model() const = 0;
  // 0 and the pointers, or the library's result (-20, -21, -22).
  virtual int pointers(Pointers& out) = 0;
  // One page of the download into out (entries_per_page entries): the page reader's result.
  virtual int read_page(int page, std::vector<std::uint8_t>& out) = 0;
  // Empties the terminal's record area: the transaction result.
  virtual int clear() = 0;
};

// Opens the library's command endpoint (once per process) with the terminal's receive
// time-out for each attempt.
std::unique_ptr<RecordSource> open_record_source(const TerminalConfig& terminal);

// Sets the local ports the library binds (0: free ports); before the first source opens.
void set_local_ports(int command_port, int watch_port);

}  // namespace vorskel::site
