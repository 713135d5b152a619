// Replies of the door controllers' reading exports: the Sondo and Lusk registration
// read-backs, the relay status tables, the Lusk online table, and the Gaddo machine and
// logic settings (read, and written with the controller's answer copied back).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/reply_calls.h"
#include "vorskel.h"

namespace {

using namespace vorskel::fuzz;  // the calls, buffers and replies of the reply targets

constexpr Replies kOne = Replies::kOne;
constexpr int kReadBack = 3;

template <int (*F)(unsigned char*, const char*, int*), std::size_t N>
void gaddo() {
  Guarded<N> bytes;
  std::memset(bytes.data, 0x5A, N);
  int port = kPort;
  F(bytes.data, kHost, &port);
}

const ReplyCall kCalls[] = {
    {kOne,
     [] {
       Guarded<sizeof(SondoRegistration)> reg;
       std::memcpy(reg.as<SondoRegistration>()->card, "1a2b3c4d", 8);
       Sondo_Registry(reg.as<SondoRegistration>(), kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<544> table;
       Kappel_DeviceGetAllStatus(table.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<544> table;
       Sondo_DeviceGetAllStatus(table.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(LuskRegistration)> reg;
       std::memcpy(reg.as<LuskRegistration>()->card, "00ff00ff", 8);
       Lusk_Registry(reg.as<LuskRegistration>(), kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<32> table;
       Lusk_GetOnline(table.data, kHost, kPort);
     }},
    {kOne, gaddo<Gaddo_SetMchine, 3>},
    {kOne, gaddo<Gaddo_SetLogic, 7>},
    {kOne, gaddo<Gaddo_GetMchine, 3>},
    {kOne, gaddo<Gaddo_GetLogic, 7>},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vorskel::fuzz::run_reply_call(kCalls, data, size);
}
