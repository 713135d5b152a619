#include "cli/errors.h"

#include "vorskel.h"

namespace vorskel::cli {

void check(int result, const Target& target, const std::string& what) {
  switch (result) {
    case VORSKEL_OK:
      return;
    case VORSKEL_ERR_SEND:
      throw Failure(kExitSendFailed,
                    what + ": send failed: cannot resolve '" + target.host + "' or no socket open");
    case VORSKEL_ERR_NO_REPLY:
      throw Failure(kExitNoReply, what + ": no reply from " + target.text() + " within 6 s");
    case VORSKEL_ERR_WRONG_CODE:
      throw Failure(kExitWrongReply, what + ": unexpected reply from " + target.text() +
                                         " (command code differs from the request's)");
    default:
      throw Failure(kExitRefused,
                    what + ": " + target.text() + " refused: status " + std::to_string(result));
  }
}

}  // namespace vorskel::cli
