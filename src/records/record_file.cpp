#include "records/record_file.h"

#include <cstring>
#include <new>

#include "platform/platform.h"

namespace vorskel::records {
namespace {

constexpr char kRecordsDirectory[] = "records";
constexpr char kRecordFileSuffix[] = ".rcd";

bool file_exists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

}  // namespace

RecordFileWriter::RecordFileWriter() {
  std::string dir = platform::current_directory();
  dir += platform::kPathSeparator;
  dir += kRecordsDirectory;
  if (platform::directory_exists(dir) || platform::create_directory(dir)) directory_ = dir;
}

RecordFileWriter::~RecordFileWriter() {
  for (auto& f : files_)
    if (f.file != nullptr) std::fclose(f.file);
}

bool RecordFileWriter::safe_path_component(const char* text) {
  if (text == nullptr || text[0] == '\0') return false;
  if (std::strcmp(text, ".") == 0 || std::strcmp(text, "..") == 0) return false;
  return std::strpbrk(text, "/\\:") == nullptr;
}

RecordFileWriter::OpenFile* RecordFileWriter::entry_for(const std::string& address) {
  for (auto& f : files_)
    if (f.address == address) return &f;
  if (files_.size() >= kMaxOpenFiles) return nullptr;
  files_.push_back(OpenFile{address, std::string(), nullptr});
  return &files_.back();
}

int RecordFileWriter::write_line(const char* address, const char* date, const std::string& line) {
  try {
    if (address == nullptr || std::strlen(address) > kMaxAddressChars) return kNotWritten;
    if (!safe_path_component(address) || !safe_path_component(date)) return kNotWritten;
    if (directory_.empty() || !platform::directory_exists(directory_)) return kNotWritten;

    const std::string terminal_dir = directory_ + platform::kPathSeparator + address;
    if (!platform::directory_exists(terminal_dir) && !platform::create_directory(terminal_dir))
      return kNotWritten;
    const std::string name = terminal_dir + platform::kPathSeparator + date + kRecordFileSuffix;

    OpenFile* entry = entry_for(address);
    if (entry == nullptr) return kNotWritten;
    if (entry->name != name || entry->file == nullptr) {
      // A new day (or a file that would not open before): the old file is done.
      if (entry->file != nullptr) std::fclose(entry->file);
      entry->name = name;
      // Existing files are appended to, never truncated: earlier downloads live there.
      entry->file = std::fopen(name.c_str(), file_exists(name) ? "a" : "w+");
      if (entry->file == nullptr) return kNotWritten;
    }
    std::string block = line;
    block += '\n';
    if (std::fwrite(block.data(), 1, block.size(), entry->file) != block.size())
      return kFlushFailed;
    return std::fflush(entry->file) == 0 ? kWritten : kFlushFailed;
  } catch (const std::bad_alloc&) {
    return kNotWritten;
  }
}

}  // namespace vorskel::records
