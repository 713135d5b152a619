// Replies of the card registry's reading exports: the main terminal's registration
// read-backs, the fingerprint terminal's probe, template scan and registration read-back
// (up to six attempts, one reply each), and a registration read from a contact-less card
// through the serial card driver, whose 21 blocks come from the input (a stand-in driver,
// libombrel.so built beside this target, serves them).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/reply_calls.h"
#include "platform/platform.h"
#include "tests/registry/fake_driver/fake_ombrel.h"
#include "vorskel.h"

namespace {

using namespace vorskel::fuzz;  // the calls, buffers and replies of the reply targets

constexpr Replies kOne = Replies::kOne;
constexpr Replies kSequence = Replies::kSequence;
constexpr int kReadBack = 3;

VorskRegistryEntry* filled(Guarded<sizeof(VorskRegistryEntry)>& g, const char* card1) {
  auto* e = g.as<VorskRegistryEntry>();
  std::memcpy(e->card1, card1, 8);  // 8 characters, no terminator
  std::memcpy(e->card2, "00000000", 8);
  return e;
}

// The stand-in driver, loaded and opened once; this target keeps its own reference so the
// control functions stay reachable.
struct CardDriver {
  FakeOmbrelReset reset = nullptr;
  FakeOmbrelFail fail = nullptr;
  FakeOmbrelSetBlock set_block = nullptr;
  CardDriver() {
    void* lib = vorskel::platform::load_library("ombrel");
    if (lib == nullptr) std::abort();
    reset =
        reinterpret_cast<FakeOmbrelReset>(vorskel::platform::find_symbol(lib, "fake_ombrel_reset"));
    fail =
        reinterpret_cast<FakeOmbrelFail>(vorskel::platform::find_symbol(lib, "fake_ombrel_fail"));
    set_block = reinterpret_cast<FakeOmbrelSetBlock>(
        vorskel::platform::find_symbol(lib, "fake_ombrel_set_block"));
    if (reset == nullptr || fail == nullptr || set_block == nullptr || Pirrel_OpenCom(1) != 0)
      std::abort();
  }
};

constexpr int kStartSector = 2;
constexpr int kCardBlocks = 21;  // 7 sectors of 3 blocks
constexpr int kBlockBytes = 16;

// Input after byte 0: the card's 21 blocks (missing bytes read as 0), then a block number
// and how often that block fails to read (4 times ends the read).
void card_read() {
  static CardDriver driver;
  const vorskel::fuzz::Input& in = vorskel::fuzz::current_input();
  driver.reset();
  for (int k = 0; k < kCardBlocks; ++k) {
    unsigned char block[kBlockBytes];
    for (int i = 0; i < kBlockBytes; ++i)
      block[i] = in.at(static_cast<std::size_t>(k * kBlockBytes + i));
    driver.set_block(kStartSector + k / 3, k % 3, block);
  }
  const std::size_t tail = kCardBlocks * kBlockBytes;
  const int failing = in.at(tail) % kCardBlocks;
  driver.fail(kFakeReadCard, kStartSector + failing / 3, failing % 3, in.at(tail + 1) % 5);
  Guarded<sizeof(VorskRegistryEntry)> entry;
  Guarded<256> templ;
  Guarded<sizeof(int)> flag;
  unsigned char key[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
  Pirrel_IcRegistry_Read(entry.as<VorskRegistryEntry>(), templ.data, kStartSector, flag.as<int>(),
                         key, 0, 0);
}

const ReplyCall kCalls[] = {
    {kOne,
     [] {
       Guarded<sizeof(VorskRegistryEntry)> entry;
       Vorsk_Registry(filled(entry, "1a2b3c4d"), kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskRegistryEntry)> entry;
       Vorsk_RegistryEx(filled(entry, "ffffffff"), kReadBack, kHost, kPort);
     }},
    {kOne, [] { Pirrel_Exist(kHost, kPort); }},
    {kOne,
     [] {
       Guarded<256> templ;
       Pirrel_GetFingerPrint(templ.data, kHost, kPort);
     }},
    {kSequence,
     [] {
       Guarded<sizeof(VorskRegistryEntry)> entry;
       Guarded<256> templ;
       Guarded<sizeof(unsigned int)> checksum;
       Pirrel_Registry(filled(entry, "99999999"), templ.data, checksum.as<unsigned int>(), 2,
                       kReadBack, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<sizeof(VorskRegistryEntry)> entry;
       Pirrel_Registry(filled(entry, "00000001"), nullptr, nullptr, 0, kReadBack, kHost, kPort);
     }},
    {kOne, card_read},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vorskel::fuzz::run_reply_call(kCalls, data, size);
}
