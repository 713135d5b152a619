#include "cli/output.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace vorskel::cli {

Format parse_format(const std::string& name) {
  if (name == "table") return Format::kTable;
  if (name == "csv") return Format::kCsv;
  if (name == "json") return Format::kJson;
  throw std::invalid_argument("unknown format " + name);
}

std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

RowWriter::RowWriter(Format format, std::vector<std::string> columns, std::FILE* out)
    : format_(format), columns_(std::move(columns)), out_(out) {
  if (format_ == Format::kCsv) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
      std::fprintf(out_, "%s%s", i ? "," : "", csv_field(columns_[i]).c_str());
    std::fprintf(out_, "\n");
  }
}

RowWriter::~RowWriter() {
  finish();
}

void RowWriter::row(const std::vector<std::string>& values) {
  switch (format_) {
    case Format::kTable:
      held_.push_back(values);
      break;
    case Format::kCsv:
      for (std::size_t i = 0; i < values.size(); ++i)
        std::fprintf(out_, "%s%s", i ? "," : "", csv_field(values[i]).c_str());
      std::fprintf(out_, "\n");
      break;
    case Format::kJson: {
      nlohmann::ordered_json j;
      for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i)
        j[columns_[i]] = values[i];
      // Terminal texts may hold bytes that are not UTF-8 (GB2312 names): replace, don't fail.
      std::fprintf(out_, "%s\n",
                   j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
      break;
    }
  }
}

void RowWriter::finish() {
  if (finished_) return;
  finished_ = true;
  if (format_ != Format::kTable) {
    std::fflush(out_);
    return;
  }
  std::vector<std::size_t> width(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i) width[i] = columns_[i].size();
  for (const auto& r : held_)
    for (std::size_t i = 0; i < r.size() && i < width.size(); ++i)
      width[i] = std::max(width[i], r[i].size());
  auto print = [&](const std::vector<std::string>& r) {
    for (std::size_t i = 0; i < width.size(); ++i)
      std::fprintf(out_, "%s%-*s", i ? "  " : "", static_cast<int>(width[i]),
                   i < r.size() ? r[i].c_str() : "");
    std::fprintf(out_, "\n");
  };
  print(columns_);
  for (const auto& r : held_) print(r);
  std::fflush(out_);
}

}  // namespace vorskel::cli
