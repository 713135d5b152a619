#include "cli/session.h"

#include "vorskel.h"

namespace vorskel::cli {

Session::Session(const Options& options) : format_(parse_format(options.format)) {
  Sondo_Bind_Port(options.cmd_port, options.watch_port);
  Vorsk_OpenSocket();
}

Session::~Session() {
  Vorsk_CloseWatch();
  Vorsk_CloseSocket();
}

}  // namespace vorskel::cli
