#include "sim/simulator.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vorskel::sim {
namespace {

constexpr char kWatchRequest[] = "watch to me 0123456789";
constexpr int kPollSliceMs = 20;  // how quickly the serving thread notices a stop
constexpr std::size_t kMaxDatagram = 65536;

std::unique_ptr<UdpSocket> bind_loopback(int port) {
  auto s = std::make_unique<UdpSocket>(port);
  if (!s->bound())
    throw std::runtime_error("simulator: cannot bind 127.0.0.1:" + std::to_string(port));
  // Large buffers: tests and benchmarks stream thousands of reports.
  s->set_buffers(4 << 20);
  return s;
}

void trace_bytes(std::FILE* out, const char* what, const Peer& peer, const Bytes& bytes) {
  if (out == nullptr) return;
  std::fprintf(out, "%s %s (%zu bytes):", what, peer_text(peer).c_str(), bytes.size());
  const std::size_t shown = std::min<std::size_t>(bytes.size(), 48);
  for (std::size_t i = 0; i < shown; ++i) std::fprintf(out, " %02X", bytes[i]);
  std::fprintf(out, "%s\n", shown < bytes.size() ? " ..." : "");
  std::fflush(out);
}

}  // namespace

std::uint16_t crc16(const std::uint8_t* data, std::size_t length) {
  // Bit by bit on purpose: an independent check of the library's table-driven checksum.
  unsigned reg = 0;
  for (std::size_t i = 0; i < length; ++i) {
    reg ^= static_cast<unsigned>(data[i]) << 8;
    for (int bit = 0; bit < 8; ++bit) reg = (reg & 0x8000u) ? (reg << 1) ^ 0x1021u : reg << 1;
    reg &= 0xFFFFu;
  }
  return static_cast<std::uint16_t>(reg);
}

Bytes make_frame(std::uint8_t code, const Bytes& payload) {
  Bytes frame(3 + payload.size());
  frame[2] = code;
  std::copy(payload.begin(), payload.end(), frame.begin() + 3);
  const std::uint16_t crc = crc16(frame.data() + 2, frame.size() - 2);
  frame[0] = static_cast<std::uint8_t>(crc);
  frame[1] = static_cast<std::uint8_t>(crc >> 8);
  return frame;
}

Simulator::Simulator(std::unique_ptr<Model> model, int port) : model_(std::move(model)) {
  if (!model_) throw std::invalid_argument("simulator: no model");
  model_->simulator = this;
  socket_ = bind_loopback(port);
  other_socket_ = bind_loopback(0);
  port_ = socket_->port();
  other_port_ = other_socket_->port();
  thread_ = std::thread([this] { serve(); });
}

Simulator::~Simulator() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

void Simulator::inject(int code, Fault fault) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  faults_.push_back(Armed{code, fault});
}

void Simulator::clear_faults() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  faults_.clear();
}

void Simulator::set_loss(double percent, std::uint32_t seed) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  loss_percent_ = std::clamp(percent, 0.0, 100.0);
  loss_random_.seed(seed);
}

std::size_t Simulator::dropped_count() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return dropped_;
}

std::vector<Request> Simulator::requests() const {
  std::lock_guard<std::mutex> lock(record_mutex_);
  return {requests_.begin(), requests_.end()};
}

std::size_t Simulator::request_count() const {
  std::lock_guard<std::mutex> lock(record_mutex_);
  return request_total_;
}

void Simulator::clear_requests() {
  std::lock_guard<std::mutex> lock(record_mutex_);
  requests_.clear();
  request_total_ = 0;
}

void Simulator::set_recording(bool on) {
  std::lock_guard<std::mutex> lock(record_mutex_);
  recording_ = on;
}

bool Simulator::wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(record_mutex_);
  return recorded_.wait_for(lock, timeout, [&] { return request_total_ >= n; });
}

std::optional<Peer> Simulator::watcher() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return watcher_;
}

bool Simulator::send_to_watcher(const Bytes& datagram) {
  const auto w = watcher();
  if (!w) return false;
  return send_to(*w, datagram);
}

bool Simulator::send_to(const Peer& peer, const Bytes& datagram) {
  send_now(peer, datagram, false);
  return true;
}

void Simulator::set_trace(std::FILE* out) {
  trace_.store(out);
}

void Simulator::send_now(const Peer& to, const Bytes& datagram, bool from_other_port) {
  (from_other_port ? other_socket_ : socket_)->send(to, datagram.data(), datagram.size());
  trace_bytes(trace_.load(), "sent to", to, datagram);
}

std::optional<Fault> Simulator::take_fault(std::uint8_t code) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->code != kAnyCode && it->code != code) continue;
    if (it->fault.skip > 0) {
      --it->fault.skip;
      return std::nullopt;
    }
    Fault f = it->fault;
    if (it->fault.times > 0 && --it->fault.times == 0) faults_.erase(it);
    return f;
  }
  return std::nullopt;
}

void Simulator::serve() {
  std::vector<std::uint8_t> buffer(kMaxDatagram);
  while (!stop_.load()) {
    int wait_ms = kPollSliceMs;
    {
      std::lock_guard<std::recursive_mutex> lock(mutex_);
      const auto now = std::chrono::steady_clock::now();
      for (const auto& o : scheduled_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(o.due - now);
        wait_ms = std::clamp(static_cast<int>(left.count()), 0, wait_ms);
      }
    }
    if (socket_->wait_readable(wait_ms)) {
      Peer from;
      const int n = socket_->receive(buffer.data(), buffer.size(), &from);
      if (n >= 0) {
        Request req;
        req.from = from;
        req.datagram.assign(buffer.begin(), buffer.begin() + n);
        req.crc_ok = n >= 3 && crc16(req.datagram.data() + 2, req.datagram.size() - 2) ==
                                   (req.datagram[0] | (req.datagram[1] << 8));
        handle(req);
      }
    }
    // Late replies whose time has come.
    std::vector<Outgoing> due;
    {
      std::lock_guard<std::recursive_mutex> lock(mutex_);
      const auto now = std::chrono::steady_clock::now();
      auto split = std::stable_partition(scheduled_.begin(), scheduled_.end(),
                                         [&](const Outgoing& o) { return o.due > now; });
      due.assign(std::make_move_iterator(split), std::make_move_iterator(scheduled_.end()));
      scheduled_.erase(split, scheduled_.end());
    }
    for (const auto& o : due) send_now(o.to, o.datagram, o.from_other_port);
  }
}

void Simulator::handle(const Request& req) {
  trace_bytes(trace_.load(), "received from", req.from, req.datagram);
  {
    std::lock_guard<std::mutex> lock(record_mutex_);
    if (recording_) {
      requests_.push_back(req);
      if (requests_.size() > kMaxRecorded) requests_.pop_front();
    }
    ++request_total_;
  }
  recorded_.notify_all();

  if (req.datagram.size() == sizeof kWatchRequest &&
      std::memcmp(req.datagram.data(), kWatchRequest, sizeof kWatchRequest) == 0) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    watcher_ = req.from;
    return;
  }

  Reply reply;
  std::optional<Fault> fault;
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (const auto& hook : model_->raw_hooks())
      if (hook(req)) return;
    if (!req.crc_ok) return;  // a terminal ignores a frame whose checksum is wrong
    if (loss_percent_ > 0 &&
        std::uniform_real_distribution<double>(0.0, 100.0)(loss_random_) < loss_percent_) {
      ++dropped_;
      return;  // lost on the way: the terminal never saw it
    }
    const Handler* handler = model_->find(req.code());
    if (handler == nullptr) return;
    reply = (*handler)(req);
    fault = take_fault(req.code());
  }
  if (!reply) return;

  std::uint8_t code = req.code();
  Bytes datagram;
  if (fault && fault->kind == FaultKind::kWrongCode)
    code = static_cast<std::uint8_t>(fault->param != 0 ? fault->param : code + 1);
  datagram = make_frame(code, *reply);

  if (!fault) {
    send_now(req.from, datagram, false);
    return;
  }
  switch (fault->kind) {
    case FaultKind::kNoReply:
      return;
    case FaultKind::kDelay: {
      std::lock_guard<std::recursive_mutex> lock(mutex_);
      scheduled_.push_back(
          Outgoing{std::chrono::steady_clock::now() + std::chrono::milliseconds(fault->param),
                   req.from, datagram, false});
      return;
    }
    case FaultKind::kTruncate:
      datagram.resize(
          std::min<std::size_t>(datagram.size(), static_cast<std::size_t>(fault->param)));
      break;
    case FaultKind::kOverLong:
      datagram.insert(datagram.end(), static_cast<std::size_t>(fault->param), 0xEE);
      break;
    case FaultKind::kOtherPort:
      send_now(req.from, datagram, true);
      return;
    case FaultKind::kNoiseBefore:
      send_now(req.from, Bytes{'n', 'o', 'i', 's', 'e'}, false);
      break;
    case FaultKind::kDuplicate:
      send_now(req.from, datagram, false);
      break;
    case FaultKind::kWrongCode:
      break;
  }
  send_now(req.from, datagram, false);
}

}  // namespace vorskel::sim
