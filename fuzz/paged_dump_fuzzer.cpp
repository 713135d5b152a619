// Multi-page downloads that write files: every page's reply comes from the fuzzer (the input
// is cut into replies), in a scratch directory.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "vorskel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorskel::fuzz::ScratchDirectory scratch;
  if (size < 1) return 0;
  vorskel::fuzz::ReplySequence replies(data + 1, size - 1);
  vorskel::fuzz::ScopedReply scope(&replies);
  switch (data[0] % 3) {
    case 0:
      Vorsk_DumpBlackList("127.0.0.1", 5200);
      break;
    case 1:
      Vorsk_DumpRegistry("127.0.0.1", 5200);
      break;
    case 2:
      Sondo_DumpRegistry("127.0.0.1", 5200);
      break;
  }
  return 0;
}
