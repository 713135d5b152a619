// The record downloads the tool knows: which export pages through them and where each field
// of a decoded entry sits in the caller buffer.
#pragma once

#include <string>
#include <vector>

namespace vorskel::site {

using PageReader = int (*)(unsigned char* out, int page, const char* host, int port);

enum class FieldKind {
  kText,  // zero-terminated text of at most `size` characters
  kHex,   // `size` raw bytes shown as hexadecimal
  kU8,    // one byte as an unsigned decimal number
  kU32,   // a 32-bit little-endian unsigned number (size 4)
  kI32,   // a 32-bit little-endian signed number (size 4)
};

// How the page reader says the download is over.
enum class EndRule {
  kMinusOne,  // -1 ends it; 0 is a page in the empty gap of a wrapped area (go on)
  kZero,      // 0 ends it as well (the merchant records stop at the first empty page)
};

struct Field {
  const char* name;
  int offset;
  int size;
  FieldKind kind = FieldKind::kText;
};

struct RecordModel {
  const char* name;
  const char* description;
  PageReader read_page;
  int entry_bytes;
  int entries_per_page;
  std::vector<Field> fields;
  bool uses_record_total;  // page 0 asks the terminal for its record total (progress ETA)
  EndRule end = EndRule::kMinusOne;
  // What a sync needs beyond the download: the event kind stored, the clear that empties the
  // terminal's record area (nullptr: none known) and where records sit in flash (bytes per
  // stored record, bytes per page) to tell the newest records from the oldest.
  const char* kind = "attendance";
  int (*clear)(const char* host, int port) = nullptr;
  int stored_bytes = 16;
  int page_bytes = 512;
};

const std::vector<RecordModel>& record_models();
// The same models with their sync traits filled in (find_record_model looks here).
const std::vector<RecordModel>& sync_models();
const RecordModel* find_record_model(const std::string& name);

// The text of one field of an entry.
std::string field_text(const unsigned char* entry, const Field& field);

}  // namespace vorskel::site
