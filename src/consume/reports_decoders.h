// Layouts and decoders of the reports terminals send to the watch endpoint on their own:
// consumptions of the payment terminals, Brell bookings, and main-terminal reports that
// expect an acknowledgement. Also the two acknowledgements the host sends back.
#pragma once

#include <array>
#include <cstdint>

#include "terminal/watch_receive.h"
#include "vorskel.h"

namespace vorskel::reports {

// Bytes 0-1 of a booking or main-terminal report (1A 2B), and of the acknowledgement the
// terminal waits for (2B 1A).
inline constexpr std::uint16_t kReportMarker = 0x2B1A;
inline constexpr std::uint16_t kAckMarker = 0x1A2B;
inline constexpr int kMarker = 0;

// Rooms of the receive buffers: consumption reports come as the payment terminals' 512-byte
// frames, bookings and main-terminal reports as short ones.
inline constexpr int kConsumptionRoom = 512;
inline constexpr int kShortReportRoom = 128;

// ---- consumption report: a stored consumption record at bytes 8-26 ---------------------

namespace consumption {
inline constexpr int kRecord = 8;  // bytes 0-7 are the terminal's and not examined
inline constexpr int kRecordSize = 19;
// Offsets inside the record.
inline constexpr int kCard = 0;
inline constexpr int kValueA = 4;
inline constexpr int kValueB = 8;
inline constexpr int kStamp = 12;  // seconds since 1980-01-01
inline constexpr int kFlag = 16;   // high nibble 0xA: a valid record; low nibble: its type
inline constexpr int kValueC = 17;
inline constexpr std::uint8_t kValidMark = 0xA;
}  // namespace consumption

// True when the datagram's record carries the valid mark; anything else is not a consumption.
bool consumption_valid(const WatchDatagram& d);
// Writes the texts and value C of the 19-byte record at d's byte off into entry, as the
// record downloads do (the entry is not cleared here).
void decode_consumption_record(const WatchDatagram& d, int off, NemmarConsumptionEntry* entry);

// ---- Brell booking ---------------------------------------------------------------------

namespace booking {
inline constexpr int kCard = 11;    // 4 bytes, printed in order
inline constexpr int kFirst = 15;   // two BCD digits
inline constexpr int kSecond = 16;  // two BCD digits
inline constexpr int kDigit = 17;   // an ASCII digit
inline constexpr int kAckLength = 36;
inline constexpr int kAckCrcFrom = 2;  // the CRC covers bytes 2-34
inline constexpr int kAckCrcSpan = 33;
inline constexpr std::uint8_t kAckKind = 35;
inline constexpr int kAckKindAt = 2;
inline constexpr int kAckCodeAt = 3;
}  // namespace booking

// 0 with the booking decoded; -2 when the datagram lacks the report marker (nothing written).
int decode_booking(const WatchDatagram& d, BrellBooking* out);
std::array<std::uint8_t, booking::kAckLength> booking_ack(std::uint8_t code);

// ---- main-terminal report that expects an acknowledgement -------------------------------

namespace saved {
inline constexpr int kId = 8;  // 8 bytes, passed through
inline constexpr int kIdLength = 8;
inline constexpr int kStamp = 16;  // seconds since 1980-01-01
inline constexpr int kBlock = 8;   // 32 bytes beginning with the identifier
inline constexpr int kBlockLength = 32;
inline constexpr int kAckLength = 81;
inline constexpr int kAckCrcSpan = 79;  // bytes 0-78
inline constexpr int kAckCrc = 79;
}  // namespace saved

bool has_report_marker(const WatchDatagram& d);
// The acknowledgement of a report: its bytes 0-78 (zeros past its end) with the ack marker
// in bytes 0-1, and the CRC-16 of bytes 0-78 in bytes 79-80, low byte first.
std::array<std::uint8_t, saved::kAckLength> report_ack(const WatchDatagram& d);
// Fills out (already zeroed) from a report that carries the marker.
void decode_saved_report(const WatchDatagram& d, VorskSavedReport* out);

}  // namespace vorskel::reports
