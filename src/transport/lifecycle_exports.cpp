// Exports that open and close the two endpoints, choose the local ports and ask a terminal
// to report to this host.
#include "transport/channel.h"
#include "transport/library.h"
#include "transport/wire_trace.h"
#include "vorskel.h"

namespace {

constexpr int kDefaultTerminalWatchPort = 5201;

void bind_ports(int commandPort, int watchPort) {
  vorskel::library().command_port.store(commandPort);
  vorskel::library().watch_port.store(watchPort);
}

}  // namespace

using vorskel::library;

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_OpenSocket(void) {
  vorskel::TNet& endpoint = vorskel::Channel::process().endpoint();
  endpoint.Close();
  // Results deliberately unexamined: an unbound socket still works, since the first send
  // gives it a port of the system's choosing and the reply returns there.
  (void)endpoint.Open();
  (void)endpoint.SetReceiveTimeout(vorskel::kCommandReceiveTimeoutMs);
  (void)endpoint.Bind("", library().command_port.load());
  return 0;
}

VORSKEL_API int VORSKEL_CALL Vorsk_CloseSocket(void) {
  return vorskel::Channel::process().endpoint().Close();
}

VORSKEL_API int VORSKEL_CALL Vorsk_OpenWatch(void) {
  vorskel::TNet& endpoint = vorskel::watch_endpoint();
  if (endpoint.Open() != 0) return -1;
  if (endpoint.Bind("", library().watch_port.load()) != 0) return -2;
  return 0;
}

VORSKEL_API int VORSKEL_CALL Vorsk_CloseWatch(void) {
  return vorskel::watch_endpoint().Close();
}

VORSKEL_API int VORSKEL_CALL Vorsk_Watch2Me(const char* host, int port) {
  if (port == 0) port = kDefaultTerminalWatchPort;
  const int sent = vorskel::watch_endpoint().SendTo(vorskel::kWatchRequest,
                                                    sizeof vorskel::kWatchRequest, host, port);
  if (sent >= 0)
    vorskel::notify_wire(vorskel::WireDirection::kSent,
                         reinterpret_cast<const std::uint8_t*>(vorskel::kWatchRequest),
                         sizeof vorskel::kWatchRequest, host, port);
  return sent < 0 ? -1 : sent;
}

VORSKEL_API void VORSKEL_CALL Sondo_Bind_Port(int commandPort, int watchPort) {
  bind_ports(commandPort, watchPort);
}

VORSKEL_API void VORSKEL_CALL Ferrin_BindPort(int commandPort, int watchPort) {
  bind_ports(commandPort, watchPort);
}

}  // extern "C"
