// Bad arguments from the host (negative, huge or out-of-range numbers, null pointers,
// malformed texts) are refused with -1 before anything goes on the wire.
#include <gtest/gtest.h>

#include <climits>

#include "support/sim_fixture.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using BadInput = testing::SimTest;

struct Case {
  const char* what;
  int (*call)(const char* host, int port);
};

const unsigned char kData[256] = {1, 2, 3};

const Case kCases[] = {
    {"WriteFlash3st null data",
     [](const char* h, int p) { return Vorsk_WriteFlash3st(nullptr, 4, 0, h, p); }},
    {"WriteFlash3st negative length",
     [](const char* h, int p) { return Vorsk_WriteFlash3st(kData, -1, 0, h, p); }},
    {"WriteFlash3st most negative length",
     [](const char* h, int p) { return Vorsk_WriteFlash3st(kData, INT_MIN, 0, h, p); }},
    {"Loop_Record length above 131",
     [](const char* h, int p) { return Vorsk_Loop_Record(kData, 132, h, p); }},
    {"Loop_Record huge length",
     [](const char* h, int p) { return Vorsk_Loop_Record(kData, INT_MAX, h, p); }},
    {"Loop_Record negative length",
     [](const char* h, int p) { return Vorsk_Loop_Record(kData, -1, h, p); }},
    {"Loop_Record null data",
     [](const char* h, int p) { return Vorsk_Loop_Record(nullptr, 4, h, p); }},
    {"RegistryEx type 0",
     [](const char* h, int p) {
       VorskRegistryEntry e{};
       return Vorsk_RegistryEx(&e, 0, h, p);
     }},
    {"RegistryEx type 4",
     [](const char* h, int p) {
       VorskRegistryEntry e{};
       return Vorsk_RegistryEx(&e, 4, h, p);
     }},
    {"Registry most negative type",
     [](const char* h, int p) {
       VorskRegistryEntry e{};
       return Vorsk_Registry(&e, INT_MIN, h, p);
     }},
    {"Disposal_Registry null input",
     [](const char* h, int p) { return Marn_Disposal_Registry(nullptr, 1, h, p); }},
    {"Disposal_Registry type 4",
     [](const char* h, int p) {
       VorskelDisposalRegistration r{};
       return Marn_Disposal_Registry(&r, 4, h, p);
     }},
    {"Merch_Regsitry operation 0",
     [](const char* h, int p) {
       VorskMerchRegistryBlock b{};
       return Vorsk_Merch_Regsitry(&b, 0, h, p);
     }},
    {"RealChangeMoney above 60000",
     [](const char* h, int p) { return Vorsk_RealChangeMoney(60001, h, p); }},
    {"RealChangeMoney huge",
     [](const char* h, int p) { return Vorsk_RealChangeMoney(INT_MAX, h, p); }},
    {"ChangeMoneyForBus not whole units",
     [](const char* h, int p) { return Vorsk_ChangeMoneyForBus(150, h, p); }},
    {"ChangeMoneyForBus above 25600",
     [](const char* h, int p) { return Vorsk_ChangeMoneyForBus(25700, h, p); }},
    {"Pirrel_WorkType mode 5",
     [](const char* h, int p) { return Pirrel_WorkType(5, 0, 0, 0, 0, h, p); }},
    {"Lusk_Master_Card seven digits",
     [](const char* h, int p) { return Lusk_Master_Card("1234567", h, p); }},
    {"Lusk_Master_Card nine digits",
     [](const char* h, int p) { return Lusk_Master_Card("123456789", h, p); }},
    {"Record null out", [](const char* h, int p) { return Vorsk_Record(nullptr, 0, h, p); }},
    {"Record most negative page",
     [](const char* h, int p) {
       unsigned char out[32 * 54];
       return Vorsk_Record(out, INT_MIN, h, p);
     }},
};

TEST_F(BadInput, RefusedWithMinusOneAndNothingSent) {
  set_receive_timeout(40);  // a refused check that still sent fails fast, not after 6 s
  for (const Case& c : kCases) {
    sim().clear_requests();
    EXPECT_EQ(c.call(host(), port()), -1) << c.what;
    // A request sent anyway would have arrived by the time the call returned or timed out.
    EXPECT_EQ(sim().request_count(), 0u) << c.what;
  }
}

}  // namespace
}  // namespace vorskel
