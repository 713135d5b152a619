// Multi-page downloads that write files: every page's reply comes from the fuzzer (the input
// is cut into replies), in a scratch directory. The blacklist's blocks, the three
// registration dumps, and the two flash dumps (whose pages end with the input: at most 300
// replies).
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "vorskel.h"

namespace {

void dump(int which) {
  switch (which % 6) {
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorskel::fuzz::ScratchDirectory scratch;
  const vorskel::fuzz::ScratchDirectory::Inside inside(scratch);
  static const bool swept =
      (vorskel::fuzz::sweep_reply_lengths(6, [](std::size_t i) { dump(static_cast<int>(i)); }),
       true);
  (void)swept;
  if (size < 1) return 0;
  vorskel::fuzz::ReplySequence replies(data + 1, size - 1);
  vorskel::fuzz::ScopedReply scope(&replies);
  dump(data[0]);
  return 0;
}
