// Replies of every reading export: the fuzzer's bytes arrive as the terminal's reply, and the
// export decodes them into caller buffers surrounded by guard bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "vorskel.h"

namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr int kPort = 5200;

using vorskel::fuzz::Guarded;
using vorskel::fuzz::kGuard;

using Call = void (*)();

const Call kCalls[] = {
    [] {
      Guarded<8> out;
      unsigned int* p = reinterpret_cast<unsigned int*>(out.data);
      Vorsk_GetTotal(p, p + 1, kHost, kPort);
    },
    [] {
      Guarded<16> rec;
      Guarded<12> reg;
      Vorsk_GetPoint(reinterpret_cast<unsigned int*>(rec.data),
                     reinterpret_cast<unsigned int*>(reg.data), kHost, kPort);
    },
    [] {
      Guarded<512> page;
      Vorsk_RdFlash2(page.data, 1000, 0, kHost, kPort);
    },
    [] {
      Guarded<100> page;
      Vorsk_RdFlash3(page.data, 100, 0, kHost, kPort);
    },
    [] {
      Guarded<256> window;
      Pirrel_ReadWriteFlash3st(window.data, 256, 0, 1, kHost, kPort);
    },
    [] {
      Guarded<448> answer;
      int n = 448;
      Vorsk_WriteComC(nullptr, 0, answer.data, &n, kHost, kPort);
    },
    [] {
      Guarded<8> identity;
      Guarded<8> numbers;
      int* n = reinterpret_cast<int*>(numbers.data);
      Vorsk_GetDevice_Ex(reinterpret_cast<char*>(identity.data), n, n + 1, kHost, kPort);
    },
    [] {
      Guarded<128> text;
      Vorsk_Version(reinterpret_cast<char*>(text.data), kHost, kPort);
    },
    [] {
      Guarded<12> buffer;
      Vorsk_OtherSet(buffer.data, 0, kHost, kPort);
    },
    [] {
      Guarded<80> a;
      Guarded<sizeof(VorskCardKeyReport)> keys;
      Guarded<66> b;
      Vorsk_Read_SystemParameter(a.data, reinterpret_cast<VorskCardKeyReport*>(keys.data), b.data,
                                 kHost, kPort);
    },
    [] {
      Guarded<sizeof(VorskTimeTable)> table;
      Vorsk_GetTimeTable(reinterpret_cast<VorskTimeTable*>(table.data), kHost, kPort);
    },
    [] {
      Guarded<1> mode;
      Nemmar_get_point_mod(mode.data, kHost, kPort);
    },
    [] {
      Guarded<8> name;
      Guarded<8> numbers;
      int* n = reinterpret_cast<int*>(numbers.data);
      Nemmar_GetDevice(reinterpret_cast<char*>(name.data), n, n + 1, kHost, kPort);
    },
    [] {
      Guarded<32> table;
      Brell_GetCostMul(table.data, kHost, kPort);
    },
    [] {
      Guarded<4> mask;
      Brell_GetCardTypeMask(reinterpret_cast<unsigned int*>(mask.data), kHost, kPort);
    },
    [] {
      Guarded<11> card;
      std::memcpy(card.data, "00000005", 9);
      Nemmar_Registry_id(reinterpret_cast<char*>(card.data), 3, kHost, kPort);
    },
    [] {
      Guarded<544> table;
      Sondo_DeviceGetAllStatus(table.data, kHost, kPort);
    },
    [] {
      Guarded<32> table;
      Lusk_GetOnline(table.data, kHost, kPort);
    },
    [] {
      Guarded<7> bytes;
      int port = kPort;
      Gaddo_GetLogic(bytes.data, kHost, &port);
    },
    [] {
      Guarded<224 * sizeof(int)> table;
      Ferrin_GetTimeTable(reinterpret_cast<int*>(table.data), 0, kHost, kPort);
    },
    [] {
      Guarded<32 * sizeof(int)> table;
      Ferrin_GetHolidayDoorTable(reinterpret_cast<int*>(table.data), 0, kHost, kPort);
    },
    [] {
      Guarded<168> status;
      Ferrin_GetStatus(status.data, kHost, kPort);
    },
    [] {
      Guarded<7> flags;
      Ferrin_GetWayAlarm(flags.data, 0, kHost, kPort);
    },
    [] {
      Guarded<24> mask;
      Ferrin_GetWayLock(reinterpret_cast<char*>(mask.data), 0, kHost, kPort);
    },
    [] {
      Guarded<4> timer;
      Ferrin_GetWayTimer(timer.data, kHost, kPort);
    },
    [] {
      Guarded<sizeof(VorskCardOperation)> op;
      Marn_Mf_Read(reinterpret_cast<VorskCardOperation*>(op.data), kHost, kPort);
    },
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t which = data[0] % (sizeof kCalls / sizeof kCalls[0]);
  const bool keep_code = (data[0] & 0x80) == 0;
  vorskel::fuzz::FixedReply reply(data + 1, size - 1, keep_code);
  vorskel::fuzz::ScopedReply scope(&reply);
  kCalls[which]();
  return 0;
}
