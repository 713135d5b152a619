#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace vorskel::cli {

Progress::Progress(std::string label, long expected_records)
    : label_(std::move(label)),
      expected_(expected_records),
      shown_(::isatty(STDERR_FILENO) == 1),
      started_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
  done();
}

void Progress::update(long pages, long records) {
  if (!shown_ || finished_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ < std::chrono::milliseconds(100)) return;
  last_draw_ = now;
  const double secs = std::chrono::duration<double>(now - started_).count();
  const double rate = secs > 0 ? records / secs : 0;
  char eta[32] = "";
  if (expected_ > 0 && rate > 0 && records < expected_)
    std::snprintf(eta, sizeof eta, ", ETA %.0f s", (expected_ - records) / rate);
  char bar[24] = "";
  if (expected_ > 0) {
    const int filled = static_cast<int>(20.0 * std::min(1.0, double(records) / double(expected_)));
    for (int i = 0; i < 20; ++i) bar[i] = i < filled ? '#' : '.';
    bar[20] = '\0';
  }
  std::fprintf(stderr, "\r%s [%s] %ld pages, %ld/%ld records, %.0f rec/s%s   ", label_.c_str(), bar,
               pages, records, expected_, rate, eta);
  std::fflush(stderr);
}

void Progress::done() {
  if (!shown_ || finished_) return;
  finished_ = true;
  std::fprintf(stderr, "\n");
}

}  // namespace vorskel::cli
