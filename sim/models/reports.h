// Terminals that report: builders of the datagrams terminals send to a host's watch port on
// their own (card and message reports of the main terminal, consumptions, Brell bookings,
// main-terminal reports that wait for an acknowledgement), and a reporting facility any
// model can install. After a host's "watch to me" the simulator knows where to send; the
// facility checks every acknowledgement that comes back from there (marker, CRC) against
// the reports still waiting for one, and re-sends those on request.
//
// People drive it with text datagrams to the simulator's port, for example
//   printf 'report card 12345678 1 2 hello' >/dev/udp/127.0.0.1/5200
// (see kReportUsage); the simulator answers "ok" or a short error text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/model.h"

namespace vorskel::sim {

class Simulator;

// The terminal's clock as its reports carry it.
struct ReportClock {
  int year = 2009, month = 5, day = 6, hour = 7, minute = 8, second = 9;
};
ReportClock local_report_clock();  // the simulator machine's local time
// Seconds since 1980-01-01 00:00:00, the time stamp of stored and reported records.
std::uint32_t seconds_since_1980(const ReportClock& c);

// ---- the main terminal's 81-byte watch report ------------------------------------------

inline constexpr std::uint32_t kMessageMarker = 0xFFEEDDCCu;  // text and clock only
inline constexpr std::uint32_t kValuesMarker = 0xEEFFCCDDu;   // values, text and clock
inline constexpr std::size_t kWatchReportLength = 81;

// Card bytes in wire order, two signed values, a text (at most 63 bytes are kept), the clock,
// CRC-16 over bytes 0-78 in bytes 79-80.
Bytes card_report(const std::array<std::uint8_t, 4>& card, int value_a, int value_b,
                  std::string_view message, const ReportClock& clock = {});
Bytes marker_report(std::uint32_t marker, int value_a, int value_b, std::string_view message,
                    const ReportClock& clock = {});
// Stores the CRC-16 of bytes 0-78 into bytes 79-80 (after a test changed the report).
void seal_watch_report(Bytes& report);

// ---- payment terminal consumption ------------------------------------------------------

struct Consumption {
  std::uint32_t card = 0;
  std::uint32_t value_a = 0;
  std::uint32_t value_b = 0;
  std::uint32_t stamp = 0;   // seconds since 1980
  std::uint8_t flag = 0xA0;  // 0xA0 | type marks a valid record
  std::uint16_t value_c = 0;
};
inline constexpr std::size_t kConsumptionRecordAt = 8;
inline constexpr std::size_t kConsumptionReportLength = 32;
// Bytes 0-3: a sequence number; 4-7: 0; 8-26: the stored record; 27-31: 0.
Bytes consumption_report(const Consumption& c, std::uint32_t sequence = 0);

// ---- Brell booking and main-terminal report that wait for an acknowledgement ------------

inline constexpr std::uint16_t kReportMarker = 0x2B1A;  // bytes 1A 2B
inline constexpr std::uint16_t kAckMarker = 0x1A2B;     // bytes 2B 1A
inline constexpr std::size_t kBookingReportLength = 18;
inline constexpr std::size_t kBookingAckLength = 36;
inline constexpr std::size_t kSavedReportLength = 40;
inline constexpr std::size_t kSavedAckLength = 81;

Bytes booking_report(const std::array<std::uint8_t, 4>& card, std::uint8_t first_bcd,
                     std::uint8_t second_bcd, char digit);
// Marker, 6 zero bytes, the 8-byte identifier, the time stamp, 20 further bytes.
Bytes saved_report(const std::array<std::uint8_t, 8>& id, std::uint32_t stamp,
                   const std::array<std::uint8_t, 20>& rest = {});

// ---- the reporting facility --------------------------------------------------------------

// A model's reporting state (Model::part<ReportState>()); read it under the simulator's lock
// (Simulator::with_model).
struct ReportState {
  struct Waiting {
    Bytes report;
    int sends = 0;
  };
  std::vector<Waiting> waiting;             // reports not yet acknowledged, oldest first
  std::size_t acks_ok = 0;                  // acknowledgements that matched a waiting report
  std::vector<Bytes> acks_bad;              // wrong marker, CRC or length, or no such report
  int lose_acks = 0;                        // ignore this many good acknowledgements (lost)
  std::vector<std::uint8_t> booking_codes;  // codes of good booking acknowledgements
  std::vector<Bytes> booking_acks_bad;
  std::vector<Bytes> other;  // anything else the watcher sent
};

// Sends a report to the watcher; false when no host asked for reports yet.
bool emit_report(Simulator& sim, const Bytes& report);
// The same for a report that waits for an acknowledgement.
bool emit_report_expecting_ack(Simulator& sim, const Bytes& report);
// Sends every report still waiting again; returns how many.
int resend_unacknowledged(Simulator& sim);

extern const char* const kReportUsage;

// Adds the acknowledgement checks and the text commands to a model.
void install_reports(Model& m);

}  // namespace vorskel::sim
