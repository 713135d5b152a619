// Where paged downloads keep what their page-0 call fetched from the terminal. A download
// state belongs to no terminal and to no thread: it holds whatever the last page-0 call of
// its export(s) fetched, and hosts run one download per state at a time (nothing here is
// locked, as hosts have always relied on).
#pragma once

#include <cstdint>

#include "vorskel/context.hpp"

namespace vorskel::records {

// The record-pointer query's answer (command 18): the four record pointers and the three
// registration-area values that follow them.
using RecordPointers = vorskel::RecordPointers;

// The count query's record total (command 11) and the records examined since page 0.
struct ScanCount {
  std::uint32_t total = 0;
  std::uint32_t scanned = 0;
};

// The storage one download export uses: its pointers and its counts. Most exports own both;
// some share one or both with other exports (see below).
struct DownloadState {
  RecordPointers* pointers;
  ScanCount* scan;
};

// A download state of an export's own.
struct OwnDownloadState {
  RecordPointers pointers;
  ScanCount scan;
  DownloadState view() { return {&pointers, &scan}; }
};

// The one record-pointer storage shared by Vorsk_FlowControlRecord, Vorsk_RecordEx,
// Marn_Disposal_Record, Sondo_Record, Sondo_Record_ex, Lusk_Record, Ferrin_ReadReg and
// Vorsk_Merch_Record: a page-0 call of any of them reloads the pointers for all.
RecordPointers& shared_record_pointers();

// The one record total and scanned count shared by Marn_Disposal_Record, Sondo_Record,
// Sondo_Record_ex and Lusk_Record: one download among these four runs at a time.
ScanCount& shared_scan_count();

// The state of those four: shared pointers and shared counts.
inline DownloadState shared_download_state() {
  return {&shared_record_pointers(), &shared_scan_count()};
}

}  // namespace vorskel::records
