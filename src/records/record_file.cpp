#include "records/record_file.h"

#include <cstring>

namespace vorskel::records {
namespace {

constexpr char kRecordsDirectory[] = "records";
constexpr char kRecordFileSuffix[] = ".rcd";

std::size_t bounded_length(const char* text, std::size_t limit) {
  std::size_t n = 0;
  while (n <= limit && text[n] != '\0') ++n;
  return n;
}

}  // namespace

RecordFileWriter::RecordFileWriter() {
  const std::size_t cwd = platform::current_directory(path_, platform::kMaxPathChars);
  if (cwd == 0 || cwd + 1 + sizeof kRecordsDirectory > platform::kMaxPathChars) return;
  path_[cwd] = platform::kPathSeparator;
  std::memcpy(path_ + cwd + 1, kRecordsDirectory, sizeof kRecordsDirectory);
  // One look in the common cases: the directory is there, or a file holds its name.
  const platform::PathKind kind = platform::path_kind(path_);
  if (kind == platform::PathKind::kDirectory ||
      (kind == platform::PathKind::kMissing && platform::create_directory(path_)))
    directory_chars_ = cwd + sizeof kRecordsDirectory;
}

RecordFileWriter::~RecordFileWriter() {
  for (auto& f : files_) platform::close_file(f.file);
}

bool RecordFileWriter::safe_path_component(const char* text) {
  if (text == nullptr || text[0] == '\0') return false;
  if (std::strcmp(text, ".") == 0 || std::strcmp(text, "..") == 0) return false;
  return std::strpbrk(text, "/\\:") == nullptr;
}

const char* RecordFileWriter::path_of(const char* address, const char* date) {
  char* p = path_ + directory_chars_;
  *p++ = platform::kPathSeparator;
  const std::size_t a = std::strlen(address);
  std::memcpy(p, address, a);
  p += a;
  if (date != nullptr) {
    *p++ = platform::kPathSeparator;
    const std::size_t d = std::strlen(date);
    std::memcpy(p, date, d);
    p += d;
    std::memcpy(p, kRecordFileSuffix, sizeof kRecordFileSuffix);
  } else {
    *p = '\0';
  }
  return path_;
}

RecordFileWriter::OpenFile* RecordFileWriter::entry_for(const char* address,
                                                        std::size_t address_chars) {
  for (auto& f : files_)
    if (f.in_use && std::strcmp(f.address, address) == 0) return &f;
  for (auto& f : files_) {
    if (f.in_use) continue;
    // The terminal's directory is checked once per call: its files follow in this call.
    const char* dir = path_of(address, nullptr);
    const platform::PathKind kind = platform::path_kind(dir);
    if (kind == platform::PathKind::kOther ||
        (kind == platform::PathKind::kMissing && !platform::create_directory(dir)))
      return nullptr;
    std::memcpy(f.address, address, address_chars + 1);
    f.in_use = true;
    return &f;
  }
  return nullptr;
}

std::size_t RecordFileWriter::compose_block(std::string_view line) {
  // The files are text files: every line end, also one inside the line, as the system's own.
  const std::size_t end_chars = std::strlen(platform::kTextLineEnd);
  std::size_t n = 0;
  for (const char c : line) {
    if (c == '\n') {
      std::memcpy(block_ + n, platform::kTextLineEnd, end_chars);
      n += end_chars;
    } else {
      block_[n++] = c;
    }
  }
  std::memcpy(block_ + n, platform::kTextLineEnd, end_chars);
  return n + end_chars;
}

int RecordFileWriter::write_line(const char* address, const char* date, std::string_view line) {
  if (!ready() || address == nullptr || date == nullptr) return kNotWritten;
  const std::size_t address_chars = bounded_length(address, kMaxAddressChars);
  if (address_chars > kMaxAddressChars || bounded_length(date, kMaxDateChars) > kMaxDateChars)
    return kNotWritten;
  if (!safe_path_component(address) || !safe_path_component(date)) return kNotWritten;
  if (line.size() > kMaxLineChars) return kNotWritten;

  OpenFile* entry = entry_for(address, address_chars);
  if (entry == nullptr) return kNotWritten;
  if (entry->file == platform::kInvalidFile || std::strcmp(entry->date, date) != 0) {
    // A new day (or a file that would not open before): the old file is done. Existing files
    // are appended to, never truncated: earlier downloads live there.
    platform::close_file(entry->file);
    entry->file = platform::open_for_append(path_of(address, date));
    if (entry->file == platform::kInvalidFile) {
      entry->date[0] = '\0';
      return kNotWritten;
    }
    std::strcpy(entry->date, date);
  }
  const std::size_t n = compose_block(line);
  return platform::append_block(entry->file, block_, n) ? kWritten : kFlushFailed;
}

}  // namespace vorskel::records
