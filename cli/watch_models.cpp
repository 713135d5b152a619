#include "cli/watch_models.h"

#include <algorithm>
#include <cstdio>

#include "vorskel.h"

namespace vorskel::cli {

namespace {

constexpr int kBadReport = -2;  // CRC mismatch, or no report marker

template <std::size_t N>
std::string text(const char (&field)[N]) {
  return field_string(field, N);
}

void note_bad(Taken& t, const char* what) {
  if (t.result == kBadReport) t.note = what;
}

void take_vorsk(Taken& t) {
  VorskWatchRecord r{};
  t.result = Vorsk_Watch(&r, t.sender, &t.sender_port);
  note_bad(t, "failed its checksum");
  if (t.result == 0)
    t.values = {text(r.card),
                text(r.date),
                text(r.time),
                std::to_string(r.valueA),
                std::to_string(r.valueB),
                text(r.message)};
}

void take_nemmar(Taken& t) {
  NemmarConsumptionEntry e{};
  t.result = Nemmar_Watch(&e, t.sender, &t.sender_port);
  if (t.result == 0)
    t.values = {text(e.card),
                text(e.date),
                text(e.time),
                text(e.type),
                text(e.valueA),
                text(e.valueB),
                std::to_string(e.valueC)};
}

// The library leaves the booking's acknowledgement (Brell_BookSucc) to the host: the tool
// answers each booking it took, so the terminal does not send it again.
constexpr int kBookingTaken = 1;

void take_brell(Taken& t) {
  BrellBooking b{};
  t.result = Brell_Save2DB(&b, t.sender, &t.sender_port);
  note_bad(t, "lacks the booking marker 1A 2B (not a booking)");
  if (t.result != 0) return;
  t.values = {text(b.card), std::to_string(b.first), std::to_string(b.second),
              std::to_string(b.digit)};
  if (Brell_BookSucc(kBookingTaken, t.sender, t.sender_port) < 0)
    t.note = "booking not acknowledged (the answer could not be sent)";
}

// Vorsk_Save2db acknowledges each report to its sender itself.
void take_save2db(Taken& t) {
  VorskSavedReport r{};
  t.result = Vorsk_Save2db(&r, t.sender, &t.sender_port);
  note_bad(t, "lacks the report marker 1A 2B (not a report)");
  if (t.result == 0)
    t.values = {hex_bytes(r.id, sizeof r.id), text(r.date), text(r.time),
                hex_bytes(r.block, sizeof r.block)};
}

constexpr int kSondoSlotZero = 33;  // how Sondo_Watch names door slot 0
constexpr std::size_t kDoorStateBytes = 17;
constexpr unsigned char kUntouched = 0xFF;

void take_sondo(Taken& t) {
  unsigned char report[sizeof(SondoCardReport)];
  // A door-state report that changes nothing leaves the buffer as it was: a fill no state
  // consists of tells it apart from a state of zeros.
  std::fill(std::begin(report), std::end(report), kUntouched);
  int kind = 0;
  t.result = Sondo_Watch(report, &kind, t.sender, &t.sender_port);
  note_bad(t, "failed its checksum");
  if (t.result != 0) return;
  if (kind == 0) {
    SondoCardReport r{};
    std::copy(std::begin(report), std::end(report), reinterpret_cast<unsigned char*>(&r));
    t.values = {"card",
                text(r.card),
                text(r.date),
                text(r.time),
                std::to_string(r.valueA),
                std::to_string(r.valueB),
                text(r.text),
                "",
                ""};
    return;
  }
  if (std::all_of(report, report + kDoorStateBytes,
                  [](unsigned char b) { return b == kUntouched; })) {
    t.note = "door-state report without a change (or for a slot above 31)";
    return;
  }
  const int slot = kind == kSondoSlotZero ? 0 : kind;
  t.values = {"door " + std::to_string(slot),
              "",
              "",
              "",
              "",
              "",
              "",
              hex_bytes(report, kDoorStateBytes - 1),
              std::to_string(report[kDoorStateBytes - 1])};
}

void take_hesk(Taken& t) {
  HeskReport r{};
  t.result = Hesk_Watch(&r, t.sender, &t.sender_port);
  note_bad(t, "failed its checksum");
  if (t.result != 0) return;
  std::string inputs;
  for (unsigned char b : r.inputs) inputs += b ? '1' : '0';
  t.values = {text(r.card), text(r.date), text(r.time), inputs};
}

constexpr int kGaddoOtherKind = -3;
constexpr std::size_t kGaddoDataBytes = 32;

void take_gaddo(Taken& t) {
  unsigned char kind = 0;
  unsigned char data[kGaddoDataBytes] = {};
  t.result = Gaddo_Watch(&kind, data, t.sender, &t.sender_port);
  if (t.result == kGaddoOtherKind) {
    char b[64];
    std::snprintf(b, sizeof b, "frame of kind 0x%02X (only 'u' and 'v' are reports)", kind);
    t.note = b;
  }
  if (t.result == 0) t.values = {std::string(1, static_cast<char>(kind)), hex_bytes(data, 31)};
}

}  // namespace

const std::vector<WatchModel>& watch_models() {
  static const std::vector<WatchModel> models = {
      {"vorsk",
       "main terminal card, values and message reports",
       {"card", "date", "time", "a", "b", "message"},
       take_vorsk},
      {"nemmar",
       "payment terminal consumptions",
       {"card", "date", "time", "type", "a", "b", "c"},
       take_nemmar},
      {"brell", "Brell bookings (acknowledged)", {"card", "first", "second", "digit"}, take_brell},
      {"save2db",
       "main terminal saved reports (acknowledged by the library)",
       {"id", "date", "time", "block"},
       take_save2db},
      {"sondo",
       "door controller card and door-state reports",
       {"kind", "card", "date", "time", "a", "b", "text", "state", "change"},
       take_sondo},
      {"hesk",
       "Hesk controller reports with inputs 0-7",
       {"card", "date", "time", "inputs"},
       take_hesk},
      {"gaddo", "Gaddo controller frames", {"kind", "data"}, take_gaddo},
  };
  return models;
}

const WatchModel* find_watch_model(const std::string& name) {
  for (const auto& m : watch_models())
    if (name == m.name) return &m;
  return nullptr;
}

std::string field_string(const char* field, std::size_t room) {
  std::size_t n = 0;
  while (n < room && field[n] != '\0') ++n;
  return std::string(field, n);
}

std::string hex_bytes(const unsigned char* bytes, std::size_t n) {
  std::string out;
  char b[3];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02X", bytes[i]);
    out += b;
  }
  return out;
}

}  // namespace vorskel::cli
