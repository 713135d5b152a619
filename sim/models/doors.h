// The simulated door controllers (model "doors", also under the names "sondo", "kappel",
// "lusk", "hesk" and "gaddo"): they answer their configuration and relay commands, keep
// card registrations, relay states, the relay status table and the Gaddo settings, keep
// their records in the record area (record_area.h), and report to the host's watch port:
// Sondo card reports and door-state reports (per door slot, with the 17 state bytes), Hesk
// reports with eight input flags, and Gaddo frames.
//
// People drive the reports with text datagrams to the simulator's port (see kDoorUsage),
// for example  printf 'door state 5 0 0 0 1' >/dev/udp/127.0.0.1/5200
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string_view>

#include "sim/model.h"
#include "sim/models/reports.h"

namespace vorskel::sim {

inline constexpr std::size_t kDoorSlots = 32;
inline constexpr std::size_t kDoorStateBytes = 17;
using DoorStateBytes = std::array<std::uint8_t, kDoorStateBytes>;
inline constexpr std::uint32_t kDoorStateMarker = 0x55AA55AAu;

// The controllers' state (Model::part<DoorControllers>()); read it under the simulator's
// lock (Simulator::with_model).
struct DoorControllers {
  // Registrations as their wire payloads (operation field cleared), by card bytes 0-3.
  std::map<std::uint32_t, Bytes> sondo_registrations;
  std::map<std::uint32_t, Bytes> lusk_registrations;
  std::array<std::uint8_t, 32> relay_status{};  // what command 32 reports, one byte a relay
  std::uint8_t relays = 0;                      // last relay byte of command 26
  std::uint8_t hesk_relays = 0xFF;              // Hesk relay byte (inverted mask)
  std::array<std::uint8_t, 2> inter_relays{};   // command 50
  std::int16_t switch_answer = 0;               // what command 36 answers
  std::int16_t wend_answer = 0;                 // what command 48 answers
  std::map<std::uint8_t, Bytes> settings;       // last payload of each settings command
  std::array<std::uint8_t, 32> online{};        // Lusk online table
  Bytes master_card;                            // payload of the last command 7
  Bytes voice;                                  // bytes of the last command 29
  Bytes machine = Bytes(3, 0);                  // Gaddo machine bytes
  Bytes logic = Bytes(7, 0);                    // Gaddo logic bytes
  bool spoil_setting_crc = false;               // answer settings with a wrong CRC-16
  int alarm_resets = 0;
  std::vector<Bytes> gaddo_acks;
  std::array<DoorStateBytes, kDoorSlots> doors{};  // the Sondo door states it last reported
};

// ---- reports ---------------------------------------------------------------------------

// A Sondo door-state report: marker AA 55 AA 55, slot in byte 6, the state in bytes 8-24,
// the clock, CRC-16 of bytes 0-78 in bytes 79-80. (A Sondo card report is card_report of
// reports.h: the same datagram as the main terminal's.)
Bytes door_state_report(std::uint8_t slot, const DoorStateBytes& state,
                        const ReportClock& clock = {});
// A Hesk report: a card report whose byte 8 holds the eight input flags.
Bytes hesk_report(const std::array<std::uint8_t, 4>& card, std::uint8_t inputs,
                  const ReportClock& clock = {});
// A Gaddo frame: bytes 0-1 zero, kind in byte 2, 32 data bytes from byte 3 (35 bytes).
Bytes gaddo_frame(std::uint8_t kind, const std::array<std::uint8_t, 32>& data);

// Sets a door slot's state in the model and reports it to the watcher; false when no host
// asked for reports yet.
bool emit_door_state(Simulator& sim, std::uint8_t slot, const DoorStateBytes& state);

extern const char* const kDoorUsage;

void install_door_controllers(Model& m);

}  // namespace vorskel::sim
