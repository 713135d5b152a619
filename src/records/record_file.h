// The record files: every download that decodes records also appends one text line per
// record to a file per terminal and per day, under "records" in the host process's current
// directory: records/<terminal address text>/<YYYY-MM-DD>.rcd. Hosts read these files
// later, so the layout and the appending are kept as they are; a failure to write never
// changes what a download returns.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vorskel::records {

class RecordFileWriter {
 public:
  // Results of write_line.
  static constexpr int kWritten = 0;
  static constexpr int kNotWritten = -1;
  static constexpr int kFlushFailed = -2;

  // Longest terminal address text that gets a file (longer ones return kNotWritten).
  static constexpr std::size_t kMaxAddressChars = 49;
  // Open files one writer keeps at most; a download call uses one at a time.
  static constexpr std::size_t kMaxOpenFiles = 256;

  // Makes sure the records directory exists (one level). If it cannot be made, every
  // write of this writer fails quietly.
  RecordFileWriter();
  // Closes every file the writer opened.
  ~RecordFileWriter();
  RecordFileWriter(const RecordFileWriter&) = delete;
  RecordFileWriter& operator=(const RecordFileWriter&) = delete;

  // Appends line + "\n" (CR LF on Windows, where files are text mode) to the file of this
  // terminal address and date, as one block, and flushes it. Returns kWritten,
  // kNotWritten (bad address or date text, no directory, file not opened) or kFlushFailed.
  int write_line(const char* address, const char* date, const std::string& line);

  // The records directory, empty when it could not be made.
  const std::string& directory() const { return directory_; }

  // True when text can name one directory level inside the records directory: not empty,
  // not "." or "..", no path separator or drive colon of any platform. A host text like
  // "../x" or "a/b" would otherwise put files outside the records directory.
  static bool safe_path_component(const char* text);

 private:
  struct OpenFile {
    std::string address;
    std::string name;
    std::FILE* file = nullptr;
  };
  OpenFile* entry_for(const std::string& address);

  std::string directory_;
  std::vector<OpenFile> files_;
};

}  // namespace vorskel::records
