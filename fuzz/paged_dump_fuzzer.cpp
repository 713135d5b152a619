// Multi-page downloads that write files: every page's reply comes from the fuzzer (the input
// is cut into replies), in a scratch directory. The blacklist's blocks, the three
// registration dumps, and the two flash dumps (whose pages end with the input: at most 300
// replies).
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "vorskel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorskel::fuzz::ScratchDirectory scratch;
  const vorskel::fuzz::ScratchDirectory::Inside inside(scratch);
  if (size < 1) return 0;
  vorskel::fuzz::ReplySequence replies(data + 1, size - 1);
  vorskel::fuzz::ScopedReply scope(&replies);
  switch (data[0] % 6) {
    case 0:
      Vorsk_DumpBlackList("127.0.0.1", 5200);
      break;
    case 1:
      Vorsk_DumpRegistry("127.0.0.1", 5200);
      break;
    case 2:
      Sondo_DumpRegistry("127.0.0.1", 5200);
      break;
    case 3:
      Pirrel_DumpRegistry("127.0.0.1", 5200);
      break;
    case 4:
      Vorsk_DumpFlash2("127.0.0.1", 5200);
      break;
    case 5:
      Vorsk_DumpFlash4("127.0.0.1", 5200);
      break;
  }
  return 0;
}
