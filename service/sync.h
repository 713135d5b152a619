// The exactly-once core: a terminal's records since the stored position into the database,
// the records and the new position in one transaction per batch, the terminal's clear only
// after the commit.
#pragma once

#include <functional>
#include <string>

#include "service/database.h"
#include "service/record_source.h"
#include "service/site_config.h"

namespace vorskel::site {

struct SyncReport {
  std::string terminal;
  std::string model;
  bool ok = false;
  std::string error;     // why the terminal failed (ok false)
  std::string note;      // anything the operator should know (ok or not)
  long pages = 0;        // pages downloaded
  long downloaded = 0;   // records on the terminal
  long stored = 0;       // records stored by this run
  long already = 0;      // records found already stored
  long lost = 0;         // records overwritten before they were read (a gap row stored)
  bool cleared = false;  // the terminal's records were cleared
  double seconds = 0;
};

// Per terminal while it downloads: pages and records so far.
using ProgressFn = std::function<void(long pages, long records)>;

struct SyncOptions {
  int batch_pages = 64;       // pages of records per transaction
  int max_backoff_ms = 1000;  // the longest pause between attempts
};

// Never throws for the terminal's or the database's faults: they end up in the report.
SyncReport sync_terminal(const TerminalConfig& terminal, Database& db, RecordSource& source,
                         const SyncOptions& options, const ProgressFn& progress = {});

}  // namespace vorskel::site
