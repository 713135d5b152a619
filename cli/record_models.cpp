#include "cli/record_models.h"

#include <cstdio>

#include "vorskel.h"

namespace vorskel::cli {

const std::vector<RecordModel>& record_models() {
  using K = FieldKind;
  static const std::vector<RecordModel> models = {
      {"vorsk",
       "main terminal attendance records",
       Vorsk_Record,
       54,
       32,
       {{"card", 0, 8}, {"date", 12, 10}, {"time", 24, 8}, {"status", 34, 3}},
       true},
      {"chgpsw",
       "password-change records",
       Vorsk_Record_Chgpsw,
       48,
       32,
       {{"card", 0, 10}, {"date", 12, 10}, {"time", 24, 8}, {"number", 36, 10}},
       true},
      {"w34",
       "attendance records with 32-bit card numbers",
       Vorsk_Record_weigen34,
       54,
       32,
       {{"card", 0, 10}, {"date", 12, 10}, {"time", 24, 8}, {"status", 34, 3}},
       true},
      {"ex",
       "short records",
       Vorsk_RecordEx,
       54,
       32,
       {{"card", 0, 8}, {"date", 12, 10}, {"time", 24, 8}},
       false},
      {"flow",
       "flow records (raw)",
       Vorsk_FlowControlRecord,
       18,
       16,
       {{"record", 0, 18, K::kHex}},
       false},
      {"disposal",
       "disposal records",
       Marn_Disposal_Record,
       104,
       24,
       {{"card", 0, 15},
        {"date", 16, 10},
        {"time", 32, 8},
        {"a", 48, 15},
        {"b", 64, 15},
        {"c", 80, 15}},
       true},
  };
  return models;
}

const RecordModel* find_record_model(const std::string& name) {
  for (const auto& m : record_models())
    if (name == m.name) return &m;
  return nullptr;
}

std::string field_text(const unsigned char* entry, const Field& field) {
  const unsigned char* p = entry + field.offset;
  std::string out;
  if (field.kind == FieldKind::kHex) {
    char b[3];
    for (int i = 0; i < field.size; ++i) {
      std::snprintf(b, sizeof b, "%02X", p[i]);
      out += b;
    }
    return out;
  }
  for (int i = 0; i < field.size && p[i] != '\0'; ++i) out += static_cast<char>(p[i]);
  return out;
}

}  // namespace vorskel::cli
