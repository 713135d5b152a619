#include "service/record_models.h"

#include <cstdint>
#include <cstdio>

#include "vorskel.h"

namespace vorskel::site {

namespace {

// The multi-door controller's readers take an entry array; the first also returns the count
// through a pointer (0 with *count entries, or -1 / an error) instead of as its result.
int ferrin_page(unsigned char* out, int page, const char* host, int port) {
  int count = 0;
  const int result =
      Ferrin_ReadRecord(reinterpret_cast<FerrinRecordEntry*>(out), page, host, port, &count);
  return result == 0 ? count : result;
}

int ferrin66_page(unsigned char* out, int page, const char* host, int port) {
  return Ferrin_ReadRecord_Weigen66(reinterpret_cast<FerrinRecordEntry*>(out), page, host, port);
}

// Up to two runs of 32 records when both record pointers fall in one page.
constexpr int kFerrinEntriesPerPage = 64;

const std::vector<Field> kFerrinFields = {{"timestamp", 0, 24},
                                          {"event a", 24, 4, FieldKind::kI32},
                                          {"event b", 28, 4, FieldKind::kI32},
                                          {"card1", 32, 16},
                                          {"card2", 48, 16}};

}  // namespace

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
      {"nemmar",
       "payment terminal consumptions",
       Nemmar_Record,
       96,
       26,
       {{"card", 0, 12},
        {"date", 12, 12},
        {"time", 24, 10},
        {"type", 34, 20},
        {"a", 70, 18},
        {"b", 54, 16},
        {"c", 88, 4, K::kU32}},
       true},
      {"nemmar-id",
       "payment terminal short consumptions (10-digit cards)",
       Nemmar_Record_id,
       96,
       32,
       {{"card", 0, 12}, {"date", 12, 12}, {"time", 24, 10}, {"value", 54, 16}},
       true},
      {"nemmarv2",
       "second-generation payment terminal consumptions",
       Nemmarv2_Record,
       124,
       23,
       {{"card", 0, 12},
        {"date", 12, 12},
        {"time", 24, 10},
        {"type", 34, 20},
        {"a", 86, 16},
        {"b", 54, 16},
        {"d", 102, 22},
        {"e", 70, 16}},
       true},
      {"brell",
       "Brell payment terminal records",
       Brell_Record_id,
       96,
       32,
       {{"card", 0, 16},
        {"date", 48, 16},
        {"time", 64, 16},
        {"f", 16, 16},
        {"g", 32, 16},
        {"h", 80, 16}},
       true},
      {"sondo",
       "door controller records",
       Sondo_Record,
       60,
       32,
       {{"reader", 0, 6}, {"card", 6, 12}, {"date", 18, 12}, {"time", 30, 10}, {"status", 40, 20}},
       true},
      {"sondo-ex",
       "door controller records, 24-bit cards",
       Sondo_Record_ex,
       54,
       32,
       {{"card", 0, 8},
        {"more", 8, 4, K::kHex},
        {"date", 12, 12},
        {"time", 24, 10},
        {"status", 34, 1, K::kHex},
        {"reader", 38, 1, K::kU8}},
       true},
      {"lusk",
       "Lusk controller records",
       Lusk_Record,
       74,
       32,
       {{"card", 0, 12}, {"date", 12, 12}, {"time", 24, 10}, {"number", 34, 10}, {"value", 44, 30}},
       true},
      {"ferrin", "multi-door controller records", ferrin_page,
       static_cast<int>(sizeof(FerrinRecordEntry)), kFerrinEntriesPerPage, kFerrinFields, true},
      {"ferrin66", "multi-door controller records, 66-bit cards", ferrin66_page,
       static_cast<int>(sizeof(FerrinRecordEntry)), kFerrinEntriesPerPage, kFerrinFields, true},
      {"merch",
       "merchant records (flash area 3)",
       Vorsk_Merch_Record,
       54,
       64,
       {{"number", 0, 12}, {"date", 12, 12}, {"time", 24, 10}, {"type", 34, 20}},
       false,
       EndRule::kZero},
  };
  return models;
}

namespace {

int ferrin_clear(const char* host, int port) {
  return Ferrin_InitRecord(host, port);
}

struct SyncTraits {
  const char* name;
  const char* kind;
  int (*clear)(const char*, int);
  int stored_bytes;
  int page_bytes;
};

// The main terminal family shares one record area and its clear (command 15); the payment
// terminals' clear is not known, so their records are never cleared by a sync.
const SyncTraits kSyncTraits[] = {
    {"vorsk", "attendance", Vorsk_ClearRecord, 16, 512},
    {"chgpsw", "password-change", Vorsk_ClearRecord, 16, 512},
    {"w34", "attendance", Vorsk_ClearRecord, 16, 512},
    {"ex", "attendance", Vorsk_ClearRecord, 10, 320},
    {"flow", "flow", Vorsk_ClearRecord, 18, 288},
    {"disposal", "disposal", Vorsk_ClearRecord, 21, 512},
    {"nemmar", "payment", nullptr, 19, 494},
    {"nemmar-id", "payment", nullptr, 10, 320},
    {"nemmarv2", "payment", nullptr, 22, 506},
    {"brell", "payment", nullptr, 16, 512},
    {"sondo", "door", Vorsk_ClearRecord, 16, 512},
    {"sondo-ex", "door", Vorsk_ClearRecord, 16, 512},
    {"lusk", "door", Vorsk_ClearRecord, 16, 512},
    {"ferrin", "door", ferrin_clear, 16, 512},
    {"ferrin66", "door", ferrin_clear, 16, 512},
    {"merch", "payment", nullptr, 8, 512},
};

}  // namespace

const std::vector<RecordModel>& sync_models() {
  static const std::vector<RecordModel> models = [] {
    std::vector<RecordModel> out = record_models();
    for (auto& m : out)
      for (const auto& t : kSyncTraits)
        if (std::string(t.name) == m.name) {
          m.kind = t.kind;
          m.clear = t.clear;
          m.stored_bytes = t.stored_bytes;
          m.page_bytes = t.page_bytes;
        }
    return out;
  }();
  return models;
}

const RecordModel* find_record_model(const std::string& name) {
  for (const auto& m : sync_models())
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
  if (field.kind == FieldKind::kU8) return std::to_string(p[0]);
  if (field.kind == FieldKind::kU32 || field.kind == FieldKind::kI32) {
    const std::uint32_t v =
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return field.kind == FieldKind::kU32 ? std::to_string(v)
                                         : std::to_string(static_cast<std::int32_t>(v));
  }
  for (int i = 0; i < field.size && p[i] != '\0'; ++i) out += static_cast<char>(p[i]);
  return out;
}

}  // namespace vorskel::site
