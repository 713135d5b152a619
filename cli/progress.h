// A progress line on stderr (pages, records, rate, ETA) shown only when stderr is a terminal,
// so piped output stays clean.
#pragma once

#include <chrono>
#include <string>

namespace vorskel::cli {

class Progress {
 public:
  // expected_records: 0 when unknown (no ETA then).
  Progress(std::string label, long expected_records);
  ~Progress();
  void update(long pages, long records);
  void done();

 private:
  std::string label_;
  long expected_;
  bool shown_;
  bool finished_ = false;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace vorskel::cli
