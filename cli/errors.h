// Failures the tool reports: one line naming the terminal and the cause in words, and one
// exit code per class.
#pragma once

#include <stdexcept>
#include <string>

#include "cli/target.h"

namespace vorskel::cli {

enum ExitCode {
  kExitOk = 0,
  kExitInternal = 1,
  kExitAbsent = 1,  // what was to be deleted is not there
  kExitUsage = 2,
  kExitSendFailed = 3,      // could not send: unresolvable host, no socket
  kExitNoReply = 4,         // no reply within the receive time-out
  kExitWrongReply = 5,      // a reply with another command code
  kExitRefused = 6,         // the terminal or the library refused (a negative result)
  kExitFile = 7,            // a file could not be written
  kExitWrongLayout = 8,     // the records do not fit the chosen layout (another model?)
  kExitSomeFailed = 9,      // sync: some terminals failed, the others synced
  kExitNothingWorked = 10,  // sync: no terminal synced (or the database cannot be used)
  kExitInterrupted = 130,
};

class Failure : public std::runtime_error {
 public:
  Failure(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

// The reply time-out the commands run with, for the no-reply message (6000 ms unless set).
void set_reply_timeout_ms(int milliseconds);

// Throws the Failure that a library result other than 0 means; `what` names the operation.
void check(int result, const Target& target, const std::string& what);

}  // namespace vorskel::cli
