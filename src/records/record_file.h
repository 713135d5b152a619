// The record files: every download that decodes records also appends one text line per
// record to a file per terminal and per day, under "records" in the host process's current
// directory: records/<terminal address text>/<YYYY-MM-DD>.rcd. Hosts read these files
// later, so the layout and the appending are kept as they are; a failure to write never
// changes what a download returns.
//
// A writer lives for one download call. It checks the records directory once when it is made
// and each terminal's directory once per call, keeps the day's file open while the lines of
// that day follow, and writes each line with its line end as one block with one system call,
// so a line is on disk, whole, when write_line returns. It never touches the heap.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/platform.h"

namespace vorskel::records {

class RecordFileWriter {
 public:
  // Results of write_line.
  static constexpr int kWritten = 0;
  static constexpr int kNotWritten = -1;
  static constexpr int kFlushFailed = -2;  // the block could not be written whole

  // Longest terminal address text that gets a file (longer ones return kNotWritten).
  static constexpr std::size_t kMaxAddressChars = 49;
  // Longest date text (the decoders' is "YYYY-MM-DD").
  static constexpr std::size_t kMaxDateChars = 15;
  // Terminals one writer keeps files open for; a download call writes for one terminal.
  static constexpr std::size_t kMaxOpenFiles = 8;
  // Longest line written: longer ones return kNotWritten.
  static constexpr std::size_t kMaxLineChars = 1024;

  // Makes sure the records directory exists (one level). If it cannot be made, every
  // write of this writer fails quietly.
  RecordFileWriter();
  // Closes every file the writer opened.
  ~RecordFileWriter();
  RecordFileWriter(const RecordFileWriter&) = delete;
  RecordFileWriter& operator=(const RecordFileWriter&) = delete;

  // Appends line and a line end (CR LF on Windows, where hosts read the files as text) to the
  // file of this terminal address and date. Returns kWritten, kNotWritten (bad address, date
  // or line, no directory, file not opened) or kFlushFailed.
  int write_line(const char* address, const char* date, std::string_view line);

  // True when the records directory is there: lines can be written.
  bool ready() const { return directory_chars_ > 0; }
  // The records directory, empty when it could not be made.
  std::string_view directory() const { return {path_, directory_chars_}; }

  // True when text can name one directory level inside the records directory: not empty,
  // not "." or "..", no path separator or drive colon of any platform. A host text like
  // "../x" or "a/b" would otherwise put files outside the records directory.
  static bool safe_path_component(const char* text);

 private:
  struct OpenFile {
    char address[kMaxAddressChars + 1] = "";
    char date[kMaxDateChars + 1] = "";  // the day of the open file; "" when none is open
    platform::FileHandle file = platform::kInvalidFile;
    bool in_use = false;
  };
  OpenFile* entry_for(const char* address, std::size_t address_chars);
  // Composes records/<address>[/<date>.rcd] after the directory in path_.
  const char* path_of(const char* address, const char* date);
  std::size_t compose_block(std::string_view line);

  // Room for the records directory, an address, a date and the suffix.
  static constexpr std::size_t kPathRoom =
      platform::kMaxPathChars + 1 + kMaxAddressChars + 1 + kMaxDateChars + 8;
  char path_[kPathRoom] = "";
  std::size_t directory_chars_ = 0;
  OpenFile files_[kMaxOpenFiles];
  char block_[kMaxLineChars * 2 + 2];  // a line end may double every character on Windows
};

}  // namespace vorskel::records
