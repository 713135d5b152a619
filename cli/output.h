// Tabular output in three formats: an aligned table for people, CSV with a header row, and
// JSON lines (one object per row).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vorskel::cli {

enum class Format { kTable, kCsv, kJson };

Format parse_format(const std::string& name);

class RowWriter {
 public:
  RowWriter(Format format, std::vector<std::string> columns, std::FILE* out = stdout);
  ~RowWriter();
  void row(const std::vector<std::string>& values);
  // Tables are aligned once all rows are known; CSV and JSON stream.
  void finish();

 private:
  Format format_;
  std::vector<std::string> columns_;
  std::FILE* out_;
  std::vector<std::vector<std::string>> held_;
  bool finished_ = false;
};

std::string csv_field(const std::string& s);

}  // namespace vorskel::cli
