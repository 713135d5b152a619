// Replies cut short: an export that reads reply fields gets -21 when the reply stops before
// the last byte it reads (the missing bytes would be the request's, still in the frame),
// writes nothing to the caller's buffers, and a read-modify-write sends nothing. Each row
// first succeeds against its model with the whole reply, so the cut is the only difference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "support/sim_fixture.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Fault;
using sim::FaultKind;

constexpr int kNoReply = -21;
constexpr int kHeader = 3;  // CRC-16 and command code before the payload
constexpr std::uint8_t kUntouched = 0x5A;

// The caller's memory every row writes into; it must come back as it went in.
alignas(8) std::uint8_t g_out[1024];
template <class T>
T* out(int offset = 0) {
  return reinterpret_cast<T*>(g_out + offset);
}

const int kHoliday[4] = {1, 2, 3, 4};
VorskRegistryEntry g_entry{
    {'0', '0', 'C', '0', 'F', 'F', 'E', 'E'}, {}, {'Z', 'h', 'a', 'o'}, 3, 4, 0, 2011, 2, 28};

struct ShortReply {
  const char* name;
  const char* model;
  int code;  // the command whose reply is cut
  int kept;  // payload bytes the cut reply keeps
  int ok;    // the result with the whole reply
  std::function<int(const char*, int)> call;
  int never_sent = -1;  // a command that must not follow the cut reply (the write-back)
};

void PrintTo(const ShortReply& c, std::ostream* os) {
  *os << c.name;
}

const ShortReply kRows[] = {
    {"GetPointCutAfterTheRecordPointers", "vorsk", 18, 20, 0,
     [](auto h, int p) { return Vorsk_GetPoint(out<unsigned>(), out<unsigned>(16), h, p); }},
    {"GetTotal", "vorsk", 11, 3, 0,
     [](auto h, int p) { return Vorsk_GetTotal(out<unsigned>(), out<unsigned>(4), h, p); }},
    {"GetDeviceFromTheCommandTable", "vorsk", 9, 10, 0,
     [](auto h, int p) { return Vorsk_GetDevice(out<char>(), out<int>(64), h, p); }},
    {"FlashPage", "vorsk", 4, 100, 0,
     [](auto h, int p) { return Vorsk_RdFlash2(g_out, 512, 0, h, p); }},
    {"RegistrationAnswerWord", "vorsk", 12, 20, 1,
     [](auto h, int p) { return Vorsk_Registry(&g_entry, 1, h, p); }},
    {"WayAlarmFromAnEmptyReply", "ferrin", 67, 0, 0,
     [](auto h, int p) { return Ferrin_GetWayAlarm(g_out, 0, h, p); }},
    {"HolidayEntryPastTheCut", "ferrin", 53, 8, 0,
     [](auto h, int p) { return Ferrin_GetHolidayTable(out<int>(), 5, h, p); }},
    {"HolidayWriteAfterACutReadBack", "ferrin", 53, 8, 0,
     [](auto h, int p) { return Ferrin_SetHolidayTable(kHoliday, 5, h, p); }, 52},
    {"CostMultipliersFromTheSettingsTable", "brell", 123, 16, 0,
     [](auto h, int p) { return Brell_GetCostMul(g_out, h, p); }},
    {"DoorControllerAnswerWord", "sondo", 36, 1, 0,
     [](auto h, int p) { return Sondo_Switch(1, 0, 0, 0, 0, h, p); }},
    {"FingerprintProbe", "pirrel", 129, 2, 0, [](auto h, int p) { return Pirrel_Exist(h, p); }},
};

class ShortReplies : public testing::SimTest, public ::testing::WithParamInterface<ShortReply> {
 protected:
  std::string model_name() const override { return GetParam().model; }
};

TEST_P(ShortReplies, AreNoUsableReplyAndLeaveTheCallersMemory) {
  const ShortReply& c = GetParam();
  set_receive_timeout(200);
  std::memset(g_out, 0, sizeof g_out);
  ASSERT_EQ(c.call(host(), port()), c.ok) << "the whole reply";

  std::memset(g_out, kUntouched, sizeof g_out);
  sim().clear_requests();
  sim().inject(c.code, Fault{FaultKind::kTruncate, kHeader + c.kept});
  EXPECT_EQ(c.call(host(), port()), kNoReply);
  EXPECT_TRUE(std::all_of(std::begin(g_out), std::end(g_out), [](std::uint8_t b) {
    return b == kUntouched;
  })) << "the caller's memory was written";
  for (const auto& r : requests()) EXPECT_NE(r.code(), c.never_sent) << "a write followed";
}

INSTANTIATE_TEST_SUITE_P(Exports, ShortReplies, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorskel
