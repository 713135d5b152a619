// Multi-page downloads that write files: every page's reply comes from the fuzzer (the input
// is cut into replies), in a scratch directory.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "vorskel.h"

namespace {

// Hands out the input as successive replies: each starts with a length byte.
class ReplySequence : public vorskel::ReplySource {
 public:
  ReplySequence(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  int exchange(const std::uint8_t* request, int, std::uint8_t* reply, int room) override {
    if (pos_ >= size_ || ++calls_ > 300) return -1;
    std::size_t n = static_cast<std::size_t>(data_[pos_++]) * 4;
    n = std::min(n, size_ - pos_);
    if (n > static_cast<std::size_t>(room)) return -1;
    std::memcpy(reply, data_ + pos_, n);
    pos_ += n;
    if (n > 2) reply[2] = request[2];
    return static_cast<int>(n);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  int calls_ = 0;
};

struct ScratchDirectory {
  ScratchDirectory() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("vorskel-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchDirectory scratch;
  if (size < 1) return 0;
  ReplySequence replies(data + 1, size - 1);
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
