// A simulated terminal model: a table of command handlers plus typed pieces of state that
// each subsystem's simulation keeps (flash areas, record areas, registrations, ...).
// Each subsystem installs its handlers from a file of its own (see catalog.cpp).
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace vorskel::sim {

using Bytes = std::vector<std::uint8_t>;

struct Peer {
  std::uint32_t addr_be = 0;  // IPv4 address, network order
  std::uint16_t port = 0;     // host order
  bool operator==(const Peer&) const = default;
};

// One datagram the simulator received.
struct Request {
  Peer from;
  Bytes datagram;       // as received: CRC (2 bytes), code, payload
  bool crc_ok = false;  // CRC-16 over code and payload matches bytes 0..1
  std::uint8_t code() const { return datagram.size() > 2 ? datagram[2] : 0; }
  std::size_t payload_size() const { return datagram.size() > 3 ? datagram.size() - 3 : 0; }
  // The payload's bytes (none for a datagram of 3 bytes or fewer).
  Bytes payload() const {
    return datagram.size() > 3 ? Bytes(datagram.begin() + 3, datagram.end()) : Bytes{};
  }
  // Payload byte i, 0 beyond the end (a short request reads as zero-filled, like a frame).
  std::uint8_t p8(std::size_t i) const { return 3 + i < datagram.size() ? datagram[3 + i] : 0; }
  std::uint16_t p16(std::size_t i) const {
    return static_cast<std::uint16_t>(p8(i) | (p8(i + 1) << 8));
  }
  std::uint32_t p32(std::size_t i) const {
    return p16(i) | (static_cast<std::uint32_t>(p16(i + 2)) << 16);
  }
};

// Little-endian helpers for building replies.
inline void put16(Bytes& b, std::size_t off, std::uint32_t v) {
  if (b.size() < off + 2) b.resize(off + 2);
  b[off] = static_cast<std::uint8_t>(v);
  b[off + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& b, std::size_t off, std::uint32_t v) {
  put16(b, off, v);
  put16(b, off + 2, v >> 16);
}

class Simulator;

// What a handler answers: the reply payload (the simulator adds CRC and code), or nothing
// to stay silent.
using Reply = std::optional<Bytes>;
using Handler = std::function<Reply(const Request&)>;
// Sees every datagram before dispatch; returns true when it consumed it (acknowledgements,
// non-command traffic).
using RawHook = std::function<bool(const Request&)>;

class Model {
 public:
  explicit Model(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }

  // Several command codes carry different commands told apart by length or sub-code; a
  // later on() for the same code replaces the earlier one, so such handlers dispatch inside.
  void on(std::uint8_t code, Handler handler) { handlers_[code] = std::move(handler); }
  // Answers every code that has no handler of its own.
  void on_any(Handler handler) { fallback_ = std::move(handler); }
  const Handler* find(std::uint8_t code) const {
    auto it = handlers_.find(code);
    if (it != handlers_.end()) return &it->second;
    return fallback_ ? &fallback_ : nullptr;
  }
  void add_raw_hook(RawHook hook) { raw_hooks_.push_back(std::move(hook)); }
  const std::vector<RawHook>& raw_hooks() const { return raw_hooks_; }

  // The piece of state of type T, created on first use. Handlers capture the reference.
  template <class T>
  T& part() {
    auto& slot = parts_[std::type_index(typeid(T))];
    if (!slot) slot = std::make_shared<T>();
    return *static_cast<T*>(slot.get());
  }

  // Set by the simulator that runs the model, so handlers can send reports.
  Simulator* simulator = nullptr;

 private:
  std::string name_;
  std::map<std::uint8_t, Handler> handlers_;
  Handler fallback_;
  std::vector<RawHook> raw_hooks_;
  std::unordered_map<std::type_index, std::shared_ptr<void>> parts_;
};

// Builds a model by name ("vorsk", "echo", ...) with every family registered for it;
// nullptr for an unknown name.
std::unique_ptr<Model> make_model(const std::string& name);
std::vector<std::string> model_names();

// Registers a family of command handlers for a model; a model's families install in
// ascending order. Each family file registers itself from a static initialiser:
//   static const bool registered = register_family("vorsk", 30, install_flash);
bool register_family(const char* model, int order, void (*install)(Model&));

}  // namespace vorskel::sim
