// Full flash dumps: every page of an area, in order, appended to a file named after the
// terminal. Each page is retried a few times at once, because a terminal busy writing its
// flash may miss one request; a page that keeps failing ends the dump with the pages so far.
#include "terminal/flash_dumps.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/platform.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel {
namespace {

constexpr int kDumpPageBytes = 512;
constexpr int kAttemptsPerPage = 5;
constexpr int kFileNotCreated = -1;
constexpr int kFileNotWritten = -2;

struct DumpKind {
  std::uint8_t code;
  int pages;
  bool pause_before_last;  // the terminal needs a moment before serving its last page
};

constexpr DumpKind kDumpArea2{4, 512, false};
constexpr DumpKind kDumpFlash4{34, 1024, true};
constexpr auto kPauseBeforeLast = std::chrono::milliseconds(10);

int fetch_page(const DumpKind& kind, int page, Frame& f, const char* host, int port) {
  int r = kNoReply;
  for (int attempt = 0; attempt < kAttemptsPerPage; ++attempt) {
    f = Frame(kind.code);
    f.put32(0, static_cast<std::uint32_t>(page) * kDumpPageBytes);
    r = f.exchange(4, kDumpPageBytes, host, port, kDumpPageBytes);
    if (r == 0) break;
  }
  return r;
}

int dump(const DumpKind& kind, const char* host, int port) {
  std::FILE* file = nullptr;
  int result = 0;
  for (int page = 0; page < kind.pages; ++page) {
    if (kind.pause_before_last && page == kind.pages - 1)
      std::this_thread::sleep_for(kPauseBeforeLast);
    Frame f(kind.code);
    result = fetch_page(kind, page, f, host, port);
    if (result != 0) break;
    // The file is created (an earlier dump's emptied) only once the first page is here, so a
    // dump that gets nothing leaves an earlier file as it was. One that cannot be created
    // would lose every page the terminal sends: the dump stops at once.
    if (file == nullptr) file = std::fopen(dump_file_name(host).c_str(), "w+b");
    if (file == nullptr) return kFileNotCreated;
    // Each page goes to the file as it arrives; a page the file does not take ends the dump
    // rather than leaving a hole the caller would not notice.
    if (std::fwrite(f.payload(), 1, kDumpPageBytes, file) != kDumpPageBytes ||
        std::fflush(file) != 0) {
      result = kFileNotWritten;
      break;
    }
  }
  if (file != nullptr && std::fclose(file) != 0 && result == 0) result = kFileNotWritten;
  return result;
}

}  // namespace

std::string dump_file_name(const char* host) {
  std::uint32_t addr_be = 0xFFFFFFFFu;
  if (host == nullptr || !platform::parse_dotted_ipv4(host, &addr_be)) addr_be = 0xFFFFFFFFu;
  const auto* b = reinterpret_cast<const std::uint8_t*>(&addr_be);
  const unsigned long as_read =
      static_cast<unsigned long>(b[0]) | (static_cast<unsigned long>(b[1]) << 8) |
      (static_cast<unsigned long>(b[2]) << 16) | (static_cast<unsigned long>(b[3]) << 24);
  char name[16];
  std::snprintf(name, sizeof name, "%lx.bin", as_read);
  return name;
}

}  // namespace vorskel

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_DumpFlash2(const char* host, int port) {
  return vorskel::dump(vorskel::kDumpArea2, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_DumpFlash4(const char* host, int port) {
  return vorskel::dump(vorskel::kDumpFlash4, host, port);
}

// Kept for hosts that call it; the terminal has no such operation, so nothing is sent.
VORSKEL_API int VORSKEL_CALL Vorsk_DumpFlash2Ram(int, int, int) {
  return 0;
}

}  // extern "C"
