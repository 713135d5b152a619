// Decoders of the main terminal's watch report. The door controllers send the same 81-byte
// frame (card bytes, two value bytes, a text, the clock, CRC-16 over bytes 0-78), so the
// layout, the CRC check and the date and time texts are shared from here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "terminal/watch_receive.h"
#include "vorskel.h"

namespace vorskel::watch_report {

inline constexpr int kRoom = 512;  // the longest report accepted; longer ones fail the receive

inline constexpr int kCard = 0;  // 4 card bytes, or a marker read as a 32-bit number
inline constexpr int kValueA = 6;
inline constexpr int kValueB = 7;
inline constexpr int kText = 8;  // zero-terminated text
inline constexpr int kTextRoom = 64;
inline constexpr int kSecond = 72;
inline constexpr int kMinute = 73;
inline constexpr int kHour = 74;
inline constexpr int kDay = 75;
inline constexpr int kMonth = 76;
inline constexpr int kYear = 77;     // year - 1900, signed
inline constexpr int kCrcSpan = 79;  // the CRC covers bytes 0-78
inline constexpr int kCrc = 79;      // low byte first

// A message report changes only the text and the clock fields the host shows.
inline constexpr std::uint32_t kMessageMarker = 0xFFEEDDCCu;
// A values report carries the two values; the second is shifted by 100.
inline constexpr std::uint32_t kValuesMarker = 0xEEFFCCDDu;
inline constexpr int kValuesShift = 100;

// Terminals mark datagrams that are not reports for the host with AA 55 at bytes 256-257.
inline constexpr int kNotForHost = 256;
inline constexpr std::uint16_t kNotForHostMark = 0x55AA;

bool crc_ok(const WatchDatagram& d);
bool not_for_host(const std::uint8_t* data, int length);

// Date "%04d-%02d-%02d" and time "%02d:%02d:%02d" from the clock bytes, each read signed,
// cut to the rooms given.
void put_date(const WatchDatagram& d, char* date, std::size_t room);
void put_time(const WatchDatagram& d, char* time, std::size_t room);

// Card bytes 0-3 as "%02X%02X%02X%02X".
void put_card(const WatchDatagram& d, char* card, std::size_t room);

// Decodes one main-terminal report into record: 0, or -2 (CRC mismatch, record untouched).
int decode(const WatchDatagram& d, VorskWatchRecord* record);

}  // namespace vorskel::watch_report
