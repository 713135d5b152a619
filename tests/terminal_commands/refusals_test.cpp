// Arguments the main terminal's commands refuse: -1 before any exchange, nothing sent.
#include <gtest/gtest.h>

#include <functional>

#include "support/sim_fixture.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

class Refusals : public SimTest {};

TEST_F(Refusals, NothingIsSent) {
  struct Case {
    const char* what;
    std::function<int(const char*, int)> call;
  } cases[] = {
      // Refusals the terminal's hosts rely on.
      {"Kbpsw with an empty text", [](auto h, int p) { return Vorsk_Kbpsw("", h, p); }},
      {"Logo without a second text", [](auto h, int p) { return Vorsk_Logo("x", nullptr, h, p); }},
      {"Logo without a first text", [](auto h, int p) { return Vorsk_Logo(nullptr, "x", h, p); }},
      {"OpenDoorPassword of value 0",
       [](auto h, int p) { return Vorsk_OpenDoorPassword("0", 1, h, p); }},
      {"OpenDoorPassword with an empty text",
       [](auto h, int p) { return Vorsk_OpenDoorPassword("", 1, h, p); }},
      {"OpenDoorPassword with letters only",
       [](auto h, int p) { return Vorsk_OpenDoorPassword("abc", 1, h, p); }},
      {"RealLineMessage of length 0",
       [](auto h, int p) { return Vorsk_RealLineMessage("x", 0, 1, 1, 1, h, p); }},
      {"RealLineMessage of negative length",
       [](auto h, int p) { return Vorsk_RealLineMessage("x", -3, 1, 1, 1, h, p); }},
      {"RealMessage of length 0", [](auto h, int p) { return Vorsk_RealMessage("x", 0, 1, h, p); }},
      {"RealMessage of negative length",
       [](auto h, int p) { return Vorsk_RealMessage("x", -1, 1, h, p); }},
      {"RealMessageEx of count 0",
       [](auto h, int p) {
         return Vorsk_RealMessageEx(reinterpret_cast<const unsigned char*>("x"), 0, 1, h, p);
       }},
      // Missing required inputs: refused rather than read through a null pointer.
      {"Kbpsw without a text", [](auto h, int p) { return Vorsk_Kbpsw(nullptr, h, p); }},
      {"Money without a buffer", [](auto h, int p) { return Vorsk_Money(nullptr, h, p); }},
      {"SET_MasterCard without a buffer",
       [](auto h, int p) { return Vorsk_SET_MasterCard(nullptr, h, p); }},
      {"Comsume_Server without a text",
       [](auto h, int p) { return Vorsk_Comsume_Server(nullptr, h, p); }},
      {"Server without a text", [](auto h, int p) { return Vorsk_Server(nullptr, 1, h, p); }},
      {"SetDevice without an identity",
       [](auto h, int p) { return Vorsk_SetDevice(nullptr, 1, h, p); }},
      {"IpConfig without its first address",
       [](auto h, int p) { return Vorsk_IpConfig(nullptr, "a", "b", "c", h, p); }},
      {"MifarePsw_Ptr without a record",
       [](auto h, int p) { return Vorsk_MifarePsw_Ptr(nullptr, h, p); }},
      {"OtherSet without a buffer", [](auto h, int p) { return Vorsk_OtherSet(nullptr, 0, h, p); }},
      {"OpenDoorPassword without a text",
       [](auto h, int p) { return Vorsk_OpenDoorPassword(nullptr, 1, h, p); }},
      {"SetTimeTable without a table",
       [](auto h, int p) { return Vorsk_SetTimeTable(nullptr, h, p); }},
      {"GetTimeTable without a table",
       [](auto h, int p) { return Vorsk_GetTimeTable(nullptr, h, p); }},
      {"SetAlarmClock without a table",
       [](auto h, int p) { return Vorsk_SetAlarmClock(nullptr, h, p); }},
      {"GetAlarmClock without a table",
       [](auto h, int p) { return Vorsk_GetAlarmClock(nullptr, h, p); }},
      {"RealLineMessage without a text",
       [](auto h, int p) { return Vorsk_RealLineMessage(nullptr, 4, 1, 1, 1, h, p); }},
      {"RealMessage without a text",
       [](auto h, int p) { return Vorsk_RealMessage(nullptr, 4, 1, h, p); }},
      {"RealMessageEx without bytes",
       [](auto h, int p) { return Vorsk_RealMessageEx(nullptr, 4, 1, h, p); }},
      {"OutGoMessage without a text",
       [](auto h, int p) { return Vorsk_OutGoMessage(nullptr, 1, h, p); }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(host(), port()), -1) << c.what;
  }
  // One ordinary command afterwards: it is the only request the terminal saw.
  ASSERT_EQ(Vorsk_Reset(host(), port()), 0);
  ASSERT_EQ(requests().size(), 1u);
  EXPECT_EQ(requests()[0].code(), 2);
}

}  // namespace
}  // namespace vorskel::testing
