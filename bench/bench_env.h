// What the benchmark files share: the simulated terminals started once by main, the medians
// the reporter kept, and helpers for the printed ratios.
#pragma once

#include <map>
#include <string>

namespace vorskel::bench {

// Terminals holding record areas, started by start_record_terminals().
struct RecordTerminals {
  int linear = 0;               // 16,383 standard records from slot 0: 512 pages
  int wrapped = 0;              // 16,383 records running past the area end
  std::map<int, int> by_pages;  // pages -> port of a linear area of that many pages
};
void start_record_terminals();
void stop_record_terminals();
const RecordTerminals& record_terminals();

// A directory where "records" cannot be made (a file of that name is in it): downloads run
// there decode without writing record files.
const std::string& no_files_directory();

// Medians by run name: items per second and every user counter.
struct Medians {
  std::map<std::string, double> rates;
  std::map<std::string, std::map<std::string, double>> counters;
  double rate(const std::string& prefix) const;
  double counter(const std::string& prefix, const std::string& name) const;
};

void print_download_ratios(const Medians& m);
void print_watch_ratios(const Medians& m);

}  // namespace vorskel::bench
