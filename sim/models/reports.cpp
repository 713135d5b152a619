#include "sim/models/reports.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <sstream>

#include "sim/simulator.h"

namespace vorskel::sim {

namespace {

constexpr std::size_t kCrcSpan = 79;  // watch reports and acknowledgements: CRC over 0-78
constexpr std::size_t kCrcAt = 79;
constexpr std::size_t kTextAt = 8;
constexpr std::size_t kTextMax = 63;
constexpr std::size_t kClockAt = 72;  // second, minute, hour, day, month, year - 1900
constexpr std::size_t kBookingAckCrcFrom = 2;
constexpr std::size_t kBookingAckCrcSpan = 33;
constexpr std::uint8_t kBookingAckKind = 35;

std::uint8_t byte_of(int v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}

Bytes watch_report(std::uint32_t first4, const std::array<std::uint8_t, 4>* card, int a, int b,
                   std::string_view message, const ReportClock& c) {
  Bytes r(kWatchReportLength, 0);
  if (card != nullptr)
    std::copy(card->begin(), card->end(), r.begin());
  else
    put32(r, 0, first4);
  r[6] = byte_of(a);
  r[7] = byte_of(b);
  const std::size_t n = std::min(message.size(), kTextMax);
  std::memcpy(r.data() + kTextAt, message.data(), n);
  const int clock[6] = {c.second, c.minute, c.hour, c.day, c.month, c.year - 1900};
  for (std::size_t i = 0; i < 6; ++i) r[kClockAt + i] = byte_of(clock[i]);
  seal_watch_report(r);
  return r;
}

// The report an acknowledgement must carry: bytes 2-78 of the report, zeros past its end.
bool acknowledges(const Bytes& ack, const Bytes& report) {
  for (std::size_t i = 2; i < kCrcSpan; ++i) {
    const std::uint8_t want = i < report.size() ? report[i] : 0;
    if (ack[i] != want) return false;
  }
  return true;
}

bool good_saved_ack(const Bytes& d) {
  return d.size() == kSavedAckLength && (d[0] | (d[1] << 8)) == kAckMarker &&
         crc16(d.data(), kCrcSpan) == (d[kCrcAt] | (d[kCrcAt + 1] << 8));
}

bool good_booking_ack(const Bytes& d) {
  if (d.size() != kBookingAckLength || d[2] != kBookingAckKind) return false;
  for (std::size_t i = 4; i < d.size(); ++i)
    if (d[i] != 0) return false;
  return crc16(d.data() + kBookingAckCrcFrom, kBookingAckCrcSpan) == (d[0] | (d[1] << 8));
}

// What the watcher sends back: acknowledgements of reports and of bookings.
void take_from_watcher(ReportState& s, const Bytes& d) {
  if (d.size() == kSavedAckLength && (d[0] | (d[1] << 8)) == kAckMarker) {
    auto it = std::find_if(s.waiting.begin(), s.waiting.end(), [&](const ReportState::Waiting& w) {
      return acknowledges(d, w.report);
    });
    if (!good_saved_ack(d) || it == s.waiting.end()) {
      s.acks_bad.push_back(d);
    } else if (s.lose_acks > 0) {
      --s.lose_acks;  // as if it never arrived: the report stays waiting
    } else {
      s.waiting.erase(it);
      ++s.acks_ok;
    }
    return;
  }
  if (d.size() == kBookingAckLength) {
    if (good_booking_ack(d))
      s.booking_codes.push_back(d[3]);
    else
      s.booking_acks_bad.push_back(d);
    return;
  }
  s.other.push_back(d);
}

std::array<std::uint8_t, 4> card_from_hex(const std::string& hex) {
  std::array<std::uint8_t, 4> card{};
  const unsigned long v = std::stoul(hex, nullptr, 16);
  for (int i = 0; i < 4; ++i)
    card[static_cast<std::size_t>(i)] = byte_of(static_cast<int>(v >> (24 - 8 * i)));
  return card;
}

std::string rest_of(std::istringstream& in) {
  std::string rest;
  std::getline(in >> std::ws, rest);
  return rest;
}

// One text command; returns the answer for the sender.
std::string run_command(Simulator& sim, const std::string& line) {
  std::istringstream in(line);
  std::string word, kind;
  in >> word >> kind;
  const ReportClock now = local_report_clock();
  Bytes report;
  bool wants_ack = false;
  if (kind == "resend") return "ok " + std::to_string(resend_unacknowledged(sim));
  if (kind == "card") {
    std::string hex;
    int a = 0, b = 0;
    in >> hex;
    if (!(in >> a >> b)) a = b = 0;
    report = card_report(card_from_hex(hex), a, b, rest_of(in), now);
  } else if (kind == "values") {
    int a = 0, b = 0;
    in >> a >> b;
    report = marker_report(kValuesMarker, a, b, rest_of(in), now);
  } else if (kind == "message") {
    report = marker_report(kMessageMarker, 0, 0, rest_of(in), now);
  } else if (kind == "consume") {
    Consumption c;
    unsigned type = 0, value_c = 0;
    in >> c.card >> c.value_a >> c.value_b >> type >> value_c;
    c.flag = static_cast<std::uint8_t>(0xA0 | (type & 0x0F));
    c.value_c = static_cast<std::uint16_t>(value_c);
    c.stamp = seconds_since_1980(now);
    report = consumption_report(c);
  } else if (kind == "booking") {
    std::string hex;
    unsigned first = 0, second = 0;
    char digit = '0';
    in >> hex >> std::hex >> first >> second >> digit;
    report = booking_report(card_from_hex(hex), byte_of(static_cast<int>(first)),
                            byte_of(static_cast<int>(second)), digit);
  } else if (kind == "saved") {
    std::string hex;
    in >> hex;
    std::array<std::uint8_t, 8> id{};
    for (std::size_t i = 0; i < id.size() && 2 * i + 1 < hex.size(); ++i)
      id[i] = byte_of(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    report = saved_report(id, seconds_since_1980(now));
    wants_ack = true;
  } else {
    return std::string("error: ") + kReportUsage;
  }
  const bool sent = wants_ack ? emit_report_expecting_ack(sim, report) : emit_report(sim, report);
  return sent ? "ok" : "error: no host has asked for reports (watch to me) yet";
}

constexpr std::string_view kCommandWord = "report ";

}  // namespace

const char* const kReportUsage =
    "report card HEX8 [A B [TEXT]] | report values A B [TEXT] | report message [TEXT] | "
    "report consume CARD A B TYPE C | report booking HEX8 BCD1 BCD2 DIGIT | "
    "report saved HEX16 | report resend";

ReportClock local_report_clock() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return ReportClock{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

std::uint32_t seconds_since_1980(const ReportClock& c) {
  auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::uint32_t days = 0;
  for (int y = 1980; y < c.year; ++y) days += leap(y) ? 366 : 365;
  for (int m = 1; m < c.month; ++m) days += kMonthDays[m - 1] + (m == 2 && leap(c.year) ? 1 : 0);
  days += static_cast<std::uint32_t>(c.day - 1);
  return days * 86400u + static_cast<std::uint32_t>(c.hour * 3600 + c.minute * 60 + c.second);
}

Bytes card_report(const std::array<std::uint8_t, 4>& card, int value_a, int value_b,
                  std::string_view message, const ReportClock& clock) {
  return watch_report(0, &card, value_a, value_b, message, clock);
}

Bytes marker_report(std::uint32_t marker, int value_a, int value_b, std::string_view message,
                    const ReportClock& clock) {
  return watch_report(marker, nullptr, value_a, value_b, message, clock);
}

void seal_watch_report(Bytes& report) {
  if (report.size() < kCrcAt + 2) report.resize(kCrcAt + 2, 0);
  put16(report, kCrcAt, crc16(report.data(), kCrcSpan));
}

Bytes consumption_report(const Consumption& c, std::uint32_t sequence) {
  Bytes r(kConsumptionReportLength, 0);
  put32(r, 0, sequence);
  const std::size_t at = kConsumptionRecordAt;
  put32(r, at + 0, c.card);
  put32(r, at + 4, c.value_a);
  put32(r, at + 8, c.value_b);
  put32(r, at + 12, c.stamp);
  r[at + 16] = c.flag;
  put16(r, at + 17, c.value_c);
  return r;
}

Bytes booking_report(const std::array<std::uint8_t, 4>& card, std::uint8_t first_bcd,
                     std::uint8_t second_bcd, char digit) {
  Bytes r(kBookingReportLength, 0);
  put16(r, 0, kReportMarker);
  std::copy(card.begin(), card.end(), r.begin() + 11);
  r[15] = first_bcd;
  r[16] = second_bcd;
  r[17] = static_cast<std::uint8_t>(digit);
  return r;
}

Bytes saved_report(const std::array<std::uint8_t, 8>& id, std::uint32_t stamp,
                   const std::array<std::uint8_t, 20>& rest) {
  Bytes r(kSavedReportLength, 0);
  put16(r, 0, kReportMarker);
  std::copy(id.begin(), id.end(), r.begin() + 8);
  put32(r, 16, stamp);
  std::copy(rest.begin(), rest.end(), r.begin() + 20);
  return r;
}

bool emit_report(Simulator& sim, const Bytes& report) {
  return sim.send_to_watcher(report);
}

bool emit_report_expecting_ack(Simulator& sim, const Bytes& report) {
  if (!sim.watcher()) return false;
  // Waiting before it leaves: the acknowledgement may come back before send returns.
  sim.with_model([&](Model& m) {
    m.part<ReportState>().waiting.push_back({report, 1});
    return 0;
  });
  return sim.send_to_watcher(report);
}

int resend_unacknowledged(Simulator& sim) {
  std::vector<Bytes> again;
  sim.with_model([&](Model& m) {
    for (auto& w : m.part<ReportState>().waiting) {
      ++w.sends;
      again.push_back(w.report);
    }
    return 0;
  });
  for (const auto& r : again) sim.send_to_watcher(r);
  return static_cast<int>(again.size());
}

void install_reports(Model& m) {
  auto& state = m.part<ReportState>();
  Model* model = &m;
  m.add_raw_hook([&state, model](const Request& r) {
    Simulator* sim = model->simulator;
    if (sim == nullptr) return false;
    // Only the host's watch endpoint answers reports; commands never come from it.
    const auto watcher = sim->watcher();
    if (watcher && r.from == *watcher) {
      take_from_watcher(state, r.datagram);
      return true;
    }
    const auto& d = r.datagram;
    if (r.crc_ok || d.size() < kCommandWord.size() ||
        std::memcmp(d.data(), kCommandWord.data(), kCommandWord.size()) != 0)
      return false;
    std::string answer;
    try {
      answer = run_command(*sim, std::string(d.begin(), d.end()));
    } catch (const std::exception&) {
      answer = std::string("error: ") + kReportUsage;
    }
    sim->send_to(r.from, Bytes(answer.begin(), answer.end()));
    return true;
  });
}

namespace {
// Every model that reports to a host gets the facility; further models install it from
// their own family files.
const bool vorsk_reports = register_family("vorsk", 90, install_reports);
const bool nemmar_reports = register_family("nemmar", 90, install_reports);
const bool brell_reports = register_family("brell", 90, install_reports);
const bool nemmarv2_reports = register_family("nemmarv2", 90, install_reports);
const bool pirrel_reports = register_family("pirrel", 90, install_reports);
}  // namespace

}  // namespace vorskel::sim
