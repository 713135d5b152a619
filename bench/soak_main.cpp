// Soak: many transactions against a simulated terminal in another process, with the
// process's resident memory, open descriptors and threads measured before and after.
// usage: vorskel-soak [transactions]   (default 1,000,000)
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/sim_process.h"
#include "vorskel.h"

namespace {

long count_entries(const char* dir) {
  long n = 0;
  if (DIR* d = ::opendir(dir)) {
    while (const dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') ++n;
    ::closedir(d);
  }
  return n;
}

long resident_kib() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

struct Usage {
  long rss_kib, fds, threads;
};

Usage usage() {
  return {resident_kib(), count_entries("/proc/self/fd"), count_entries("/proc/self/task")};
}

}  // namespace

int main(int argc, char** argv) {
  const long total = argc > 1 ? std::atol(argv[1]) : 1000000;
  vorskel::bench::SimProcess terminal;
  Sondo_Bind_Port(0, 0);
  Vorsk_OpenSocket();
  unsigned records = 0, second = 0;
  // Warm up, so one-time allocations (stdio, the loader) are not counted as growth.
  for (int i = 0; i < 1000; ++i) Vorsk_GetTotal(&records, &second, "127.0.0.1", terminal.port());
  const Usage before = usage();
  const auto t0 = std::chrono::steady_clock::now();
  long failures = 0;
  for (long i = 0; i < total; ++i) {
    if (Vorsk_GetTotal(&records, &second, "127.0.0.1", terminal.port()) != 0) ++failures;
    if (i % 50000 == 0) {  // reopen now and then, as hosts do after changing ports
      Vorsk_CloseSocket();
      Vorsk_OpenSocket();
    }
  }
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const Usage after = usage();
  Vorsk_CloseSocket();
  std::printf("soak: %ld transactions in %.1f s (%.0f/s), %ld failed\n", total, secs, total / secs,
              failures);
  std::printf("soak: RSS %ld KiB -> %ld KiB, descriptors %ld -> %ld, threads %ld -> %ld\n",
              before.rss_kib, after.rss_kib, before.fds, after.fds, before.threads, after.threads);
  const bool steady = after.fds == before.fds && after.threads == before.threads &&
                      after.rss_kib <= before.rss_kib + 256 && failures == 0;
  std::printf("soak: %s\n", steady ? "steady" : "GROWTH OR FAILURES");
  return steady ? 0 : 1;
}
