// Replies of the main terminal's reading exports: record counters, flash pages and the
// fingerprint model's flash window, the card reader's answers, identity, version, settings,
// system parameters, time table and alarm clock, and the card-reader model's card reads.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/reply_calls.h"
#include "vorskel.h"

namespace {

using namespace vorskel::fuzz;  // the calls, buffers and replies of the reply targets

constexpr Replies kOne = Replies::kOne;

// The first four rows keep their places: the seeds of the earlier single reply target pick
// them by number.
const ReplyCall kCalls[] = {
    {kOne,
     [] {
       Guarded<2 * sizeof(unsigned int)> counts;
       auto* n = counts.as<unsigned int>();
       Vorsk_GetTotal(n, n + 1, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<4 * sizeof(unsigned int)> records;
       Guarded<3 * sizeof(unsigned int)> registrations;
       Vorsk_GetPoint(records.as<unsigned int>(), registrations.as<unsigned int>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<512> page;  // min(length, 512)
       Vorsk_RdFlash2(page.data, 1000, 0, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<100> page;
       Vorsk_RdFlash3(page.data, 100, 0, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<7> page;
       Vorsk_RdFlash2(page.data, 7, 512, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<512> page;
       Vorsk_RdFlash3(page.data, 4096, 0xFFFFFE00u, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<256> window;
       Pirrel_ReadWriteFlash3st(window.data, 256, 0, 1, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<10> window;  // runs past the area's end: moved to the last window
       Pirrel_ReadWriteFlash3st(window.data, 10, 0x7FFFC, 1, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<448> answer;
       int room = 448;
       Vorsk_WriteComC(nullptr, 0, answer.data, &room, kHost, kPort);
     }},
    {kOne,
     [] {
       const unsigned char data[3] = {1, 2, 3};
       Guarded<5> answer;
       Guarded<sizeof(int)> room;
       *room.as<int>() = 5;
       Vorsk_WriteComC(data, 3, answer.data, room.as<int>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<8> identity;
       Guarded<sizeof(int)> device;
       Vorsk_GetDevice(identity.text(), device.as<int>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<8> identity;
       Guarded<2 * sizeof(int)> numbers;
       int* n = numbers.as<int>();
       Vorsk_GetDevice_Ex(identity.text(), n, n + 1, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<128> text;
       Vorsk_Version(text.text(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<12> buffer;
       Vorsk_OtherSet(buffer.data, 0, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<80> a;
       Guarded<sizeof(VorskCardKeyReport)> keys;
       Guarded<66> b;
       Vorsk_Read_SystemParameter(a.data, keys.as<VorskCardKeyReport>(), b.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskTimeTable)> table;
       table.as<VorskTimeTable>()->header1 = 3;
       Vorsk_GetTimeTable(table.as<VorskTimeTable>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskTimeTable)> table;
       Vorsk_GetAlarmClock(table.as<VorskTimeTable>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskCardOperation)> op;
       Marn_Mf_id(op.as<VorskCardOperation>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskCardOperation)> op;
       Marn_Mf_Read(op.as<VorskCardOperation>(), kHost, kPort);
     }},
    // Caller memory the header bounds whatever the count: at most 384 bytes of the message
    // are read, count / 2 bytes of bcd's output written.
    {kOne,
     [] {
       Guarded<384> text;
       std::memset(text.data, 0xC5, 384);  // Big5 lead bytes to the end, converted
       vorskel::platform::set_lang_id_override(1028);
       Vorsk_RealMessageEx(text.data, 1000, 0, kHost, kPort);
       vorskel::platform::set_lang_id_override(std::nullopt);
     }},
    {kOne,
     [] {
       Guarded<2> out;
       bcd("12345", out.data, 5);
     }},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vorskel::fuzz::run_reply_call(kCalls, data, size);
}
