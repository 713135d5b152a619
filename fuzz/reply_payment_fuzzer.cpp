// Replies of the payment terminals' reading exports: point mode, device name and values,
// cost multiplier table, card type mask, and the read-back of each card registry (Nemmar,
// Nemmar by card number, Brell, merchant).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/reply_calls.h"
#include "vorskel.h"

namespace {

using namespace vorskel::fuzz;  // the calls, buffers and replies of the reply targets

constexpr Replies kOne = Replies::kOne;
constexpr int kReadBack = 3;

const ReplyCall kCalls[] = {
    {kOne,
     [] {
       Guarded<1> mode;
       Nemmar_get_point_mod(mode.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<8> name;  // the name comes without a terminator
       Guarded<2 * sizeof(int)> numbers;
       int* n = numbers.as<int>();
       Nemmar_GetDevice(name.text(), n, n + 1, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<32> table;
       Brell_GetCostMul(table.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(unsigned int)> mask;
       Brell_GetCardTypeMask(mask.as<unsigned int>(), kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(NemmarRegistryBlock)> block;
       std::memcpy(block.as<NemmarRegistryBlock>()->card, "12345678901", 12);
       Nemmar_Regsitry(block.as<NemmarRegistryBlock>(), kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<11> card;  // 10 digits and a zero
       std::memcpy(card.data, "0000000005", 11);
       Nemmar_Registry_id(card.text(), kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(BrellCardEntry)> entry;
       std::memcpy(entry.as<BrellCardEntry>()->card, "4294967295", 11);
       Brell_Registry_id(entry.as<BrellCardEntry>(), kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskMerchRegistryBlock)> block;
       Vorsk_Merch_Regsitry(block.as<VorskMerchRegistryBlock>(), kReadBack, kHost, kPort);
     }},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vorskel::fuzz::run_reply_call(kCalls, data, size);
}
