// The vorskel tool against the simulator: output formats, a full download compared with the
// simulator's store, and one exit code per class of failure.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/models/consume_records.h"
#include "sim/models/doors.h"
#include "sim/models/multidoor_state.h"
#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "sim/models/reports.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"
#include "support/udp_peer.h"
#include "tests/cli/tool_run.h"

namespace vorskel {
namespace {

class Tool : public testing::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    temp_ = std::make_unique<testing::TempDir>("vorskel-cli-");
    dir_ = temp_->path();
  }
  void TearDown() override {
    temp_.reset();
    SimTest::TearDown();
  }
  std::string terminal() const { return "127.0.0.1:" + std::to_string(port()); }
  std::unique_ptr<testing::TempDir> temp_;
  std::filesystem::path dir_;
};

// The CSV row the tool prints for a stored attendance record.
std::string expected_row(const sim::Bytes& r) {
  char row[64];
  static const char* hex = "0123456789ABCDEF";
  std::snprintf(row, sizeof row, "%.8s,%04d-%02d-%02d,%02d:%02d:%02d,%c0%c",
                reinterpret_cast<const char*>(r.data()), 1900 + r[10], r[11] & 0x0F, r[12], r[13],
                r[14], r[15], hex[r[9] >> 4], hex[r[9] & 0x0F]);
  return row;
}

TEST_F(Tool, DownloadsEveryRecordAsCsv) {
  using namespace sim;
  const SlotGeometry g = geometry_of(RecordKind::kStandard);
  SeriesOptions opt;
  opt.count = 10000;
  opt.first = Stamp{2026, 11, 1, 7, 30, 0};
  const auto series = record_series(RecordKind::kStandard, opt);
  const RecordArea area = wrapped_area(g, 16384, 16384 - 5003, series);
  sim().with_model([&](Model& m) {
    load_record_area(m, area);
    return 0;
  });

  const ToolRun r = run_tool("--format csv records download --model vorsk " + terminal(), dir_);
  ASSERT_EQ(r.exit_code, 0);
  auto got = lines(r.out);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.front(), "card,date,time,status");
  got.erase(got.begin());
  std::vector<std::string> want;
  for (const auto& rec : series) want.push_back(expected_row(rec));
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got.size(), 10000u);
  EXPECT_TRUE(got == want) << "the printed records differ from the simulator's store";
  EXPECT_TRUE(std::filesystem::exists(dir_ / "records" / "127.0.0.1"));
}

TEST_F(Tool, JsonObjectAndTable) {
  const ToolRun json = run_tool("--format json info " + terminal(), dir_);
  ASSERT_EQ(json.exit_code, 0);
  ASSERT_EQ(lines(json.out).size(), 1u) << "info as JSON is one object";
  const std::string l = lines(json.out).front();
  EXPECT_EQ(l.front(), '{');
  EXPECT_EQ(l.back(), '}');
  EXPECT_NE(l.find("\"record total\":"), std::string::npos);
  const ToolRun table = run_tool("info " + terminal(), dir_);
  ASSERT_EQ(table.exit_code, 0);
  EXPECT_EQ(lines(table.out).front().rfind("item", 0), 0u);
}

TEST_F(Tool, ExitCodePerFailureClass) {
  sim().inject(11, sim::Fault{sim::FaultKind::kWrongCode});
  struct Case {
    std::string args;
    int code;
  } cases[] = {
      {std::string("info ") + testing::kUnresolvableHost, 3},  // cannot send
      {"info " + terminal(), 5},                               // a reply with another command code
      {"info 127.0.0.1:notaport", 2},                          // usage
      {"records download --model nosuch " + terminal(), 2},
  };
  for (const auto& c : cases) EXPECT_EQ(run_tool(c.args, dir_).exit_code, c.code) << c.args;
}

TEST_F(Tool, NoReplyIsItsOwnClass) {
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kNoReply});
  EXPECT_EQ(run_tool("time set " + terminal(), dir_).exit_code, 4);
}

// A bound 127.0.0.1 UDP port that never answers: a request to it waits out its time-out.
class SilentPort {
 public:
  SilentPort() : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      port_ = ntohs(a.sin_port);
  }
  ~SilentPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  int port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

// The reply time-out reaches every wait, a download's retries included, and the message
// names it; a clock read, which no model offers, is refused with the reason.
TEST_F(Tool, TimeoutAndClockRead) {
  SilentPort silent;
  ASSERT_NE(silent.port(), 0);
  const std::string quiet = silent.address();
  struct Case {
    std::string args;
    int code;
    std::string err;  // a part of what standard error must hold
  } cases[] = {
      {"--timeout 200 time set " + quiet, 4, "set time: no reply from " + quiet + " within 200 ms"},
      {"records download " + quiet + " --model vorsk --no-record-files --retries 1 --timeout 200",
       4, "records page 0 (tried 2 times): no reply from " + quiet + " within 200 ms"},
      {"time set " + quiet + " --timeout 0", 2, "--timeout"},
      {"time get " + terminal(), 2, "no terminal model can report its clock"},
  };
  for (const auto& c : cases) {
    const ToolRun r = run_tool(c.args, dir_);
    EXPECT_EQ(r.exit_code, c.code) << c.args;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
  }
}

// --debug shows the request exactly as the terminal got it and the reply, one line each,
// on standard error; standard output stays the command's own.
TEST_F(Tool, DebugPrintsEachDatagramBothWays) {
  const ToolRun r = run_tool("time set " + terminal() + " --debug", dir_);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find("wire"), std::string::npos);
  const sim::Request q = last_request();
  const std::string sent = "wire sent " + terminal() + " " + std::to_string(q.datagram.size()) +
                           " bytes: " + testing::hex(q.datagram);
  const std::vector<std::string> err = lines(r.err);
  EXPECT_NE(std::find(err.begin(), err.end(), sent), err.end()) << r.err;
  const auto received = std::find_if(err.begin(), err.end(), [&](const std::string& l) {
    return l.rfind("wire received " + terminal() + " ", 0) == 0;
  });
  ASSERT_NE(received, err.end()) << r.err;
  // The reply echoes the request's command code (the third byte).
  EXPECT_EQ(received->substr(received->find(" bytes: ") + 8 + 6, 2),
            sent.substr(sent.find(" bytes: ") + 8 + 6, 2));
}

TEST_F(Tool, CtrlCDuringWatchExitsCleanly) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int devnull = ::open("/dev/null", O_WRONLY);
    ::dup2(devnull, STDOUT_FILENO);
    ::dup2(devnull, STDERR_FILENO);
    ::execl(VORSKEL_CLI_PATH, VORSKEL_CLI_PATH, "watch", terminal().c_str(), "--model", "vorsk",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Once the tool has asked for reports it is blocked in the watch call.
  ASSERT_TRUE(sim().wait_for_requests(1, std::chrono::seconds(5)));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto t0 = std::chrono::steady_clock::now();
  ::kill(pid, SIGINT);
  int status = 0;
  for (int i = 0; i < 200 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto waited = std::chrono::steady_clock::now() - t0;
  if (!WIFEXITED(status) && !WIFSIGNALED(status)) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    FAIL() << "the tool did not stop on Ctrl-C within 2 s";
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

// The rows after the header, each without its first n columns.
std::vector<std::string> rows_without(const std::string& csv, std::size_t n) {
  std::vector<std::string> out = lines(csv);
  if (!out.empty()) out.erase(out.begin());
  for (auto& r : out)
    for (std::size_t i = 0; i < n; ++i) r = r.substr(std::min(r.size(), r.find(',') + 1));
  return out;
}

void load_records(sim::Simulator& sim, const sim::RecordArea& area) {
  sim.with_model([&](sim::Model& m) {
    sim::load_record_area(m, area);
    return 0;
  });
}

template <const char* Model>
class ToolOn : public Tool {
 protected:
  std::string model_name() const override { return Model; }
};
constexpr char kNemmar[] = "nemmar";
constexpr char kSondo[] = "sondo";
constexpr char kFerrin[] = "ferrin";
using NemmarTool = ToolOn<kNemmar>;
using SondoTool = ToolOn<kSondo>;
using FerrinTool = ToolOn<kFerrin>;

// Consumption i: card 1000 + i, A = 100 i, B = 7, type i % 16, C = i, one minute apart.
TEST_F(NemmarTool, DownloadsConsumptionsOverSeveralPages) {
  const std::uint32_t t0 = sim::seconds_1980(sim::Stamp{2026, 3, 4, 12, 0, 0});
  std::vector<sim::Bytes> records;
  for (std::uint32_t i = 0; i < 60; ++i)  // 26 to a page: three pages
    records.push_back(sim::consumption_record(1000 + i, 100 * i, 7, t0 + 60 * i,
                                              static_cast<std::uint8_t>(i % 16),
                                              static_cast<std::uint16_t>(i)));
  load_records(sim(), sim::linear_area(sim::kConsumptionSlots, 26 * 8, 0, records));

  const ToolRun r = run_tool("--format csv records download --model nemmar " + terminal(), dir_);
  ASSERT_EQ(r.exit_code, 0);
  const auto got = lines(r.out);
  ASSERT_EQ(got.size(), 61u);
  EXPECT_EQ(got[0], "card,date,time,type,a,b,c");
  EXPECT_EQ(got[1], "00001000,2026-03-04,12:00:00,000,00000000,00000007,0");
  EXPECT_EQ(got[60], "00001059,2026-03-04,12:59:00,011,00005900,00000007,59");
}

// The merchant reader ends with 0 (not -1) past the end pointer: the download stops there
// after the last page, not before the first.
TEST_F(NemmarTool, MerchantRecordsEndAtTheFirstEmptyPage) {
  const std::uint32_t t0 = sim::seconds_1980(sim::Stamp{2026, 3, 4, 12, 0, 0});
  std::vector<sim::Bytes> records;
  for (std::uint32_t i = 0; i < 70; ++i)  // 64 to a page: two pages
    records.push_back(sim::merchant_record(0x010000 + i, 2, t0 + i));
  sim().with_model([&](sim::Model& m) {
    sim::load_merchant_records(m, 0, records);
    return 0;
  });
  const ToolRun r = run_tool("--format csv records download --model merch " + terminal(), dir_);
  ASSERT_EQ(r.exit_code, 0);
  const auto got = lines(r.out);
  ASSERT_EQ(got.size(), 71u);
  EXPECT_EQ(got[0], "number,date,time,type");
  EXPECT_EQ(got[1], "00065536,2026-03-04,12:00:00,002");
  EXPECT_EQ(got[70], "00065605,2026-03-04,12:01:09,002");
}

TEST_F(SondoTool, DownloadsDoorRecordsSkippingUnmarkedSlots) {
  auto sondo = [](std::uint32_t card, std::uint8_t reader, std::uint8_t status, int minute) {
    sim::Bytes r(16, 0);
    for (int i = 0; i < 4; ++i)
      r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(card >> (24 - 8 * i));
    r[8] = reader;
    r[9] = status;
    r[10] = 2009 - 1900;
    r[11] = 0xA0 | 5;  // the record mark over the month
    r[12] = 6;
    r[13] = 7;
    r[14] = static_cast<std::uint8_t>(minute);
    return r;
  };
  std::vector<sim::Bytes> records;
  for (int i = 0; i < 40; ++i) records.push_back(sondo(0x12340000u + i, 3, 0x35, i));
  records.insert(records.begin() + 5, sim::erased(16));  // not a record: skipped
  auto area = sim::linear_area(sim::SlotGeometry{16, 512, 32}, 128, 0, records);
  area.total = 40;
  load_records(sim(), area);

  const ToolRun r = run_tool("--format csv records download --model sondo " + terminal(), dir_);
  ASSERT_EQ(r.exit_code, 0);
  const auto got = lines(r.out);
  ASSERT_EQ(got.size(), 41u);
  EXPECT_EQ(got[0], "reader,card,date,time,status");
  EXPECT_EQ(got[1], "003,12340000,2009-05-06,07:00:00,305");
  EXPECT_EQ(got[40], "003,12340027,2009-05-06,07:39:00,305");
}

// The multi-door reader returns its entry count through a pointer: the adapter turns it into
// the page result, so all pages arrive.
TEST_F(FerrinTool, DownloadsControllerRecords) {
  sim().with_model([](sim::Model& m) {
    sim::ferrin_format(m);
    return 0;
  });
  std::vector<sim::Bytes> records;
  for (int i = 0; i < 70; ++i)
    records.push_back(sim::ferrin_record(sim::ferrin_seconds(2009, 5, 1, 8, i % 60, 0),
                                         {0, static_cast<std::uint8_t>(i), 0x03, 0xE8},
                                         {0, 0, 0, 0}, static_cast<std::uint8_t>(0x80 + i), 1));
  load_records(sim(), sim::linear_area(sim::SlotGeometry{16, 512, 32}, 256, 0, records));

  const ToolRun r = run_tool("--format csv records download --model ferrin " + terminal(), dir_);
  ASSERT_EQ(r.exit_code, 0);
  const auto got = lines(r.out);
  ASSERT_EQ(got.size(), 71u);
  EXPECT_EQ(got[0], "timestamp,event a,event b,card1,card2");
  EXPECT_EQ(got[1], "2009-05-01 08:00:00,-128,1,00001000,00000000");
  EXPECT_EQ(got[70], "2009-05-01 08:09:00,-59,1,06901000,00000000");
}

TEST_F(FerrinTool, DoorOpenCloseAndStatus) {
  struct Case {
    std::string args;
    int code;
    std::string sent;  // last request: command code and payload
  } cases[] = {
      {"door open --model ferrin @ 3", 0, "62 03"},
      {"door open --hold --model ferrin @ 23", 0, "63 17"},
      {"door close --model ferrin @ 0", 0, "64 00"},
      {"door open --model ferrin @ 24", 2, ""},  // no such channel: nothing sent
      {"door close --model sondo @ 1", 2, ""},   // the Sondo relay has no close command
  };
  for (const auto& c : cases) {
    const std::size_t before = requests().size();
    std::string args = c.args;
    args.replace(args.find('@'), 1, terminal());
    EXPECT_EQ(run_tool(args, dir_).exit_code, c.code) << c.args;
    if (c.sent.empty()) {
      EXPECT_EQ(requests().size(), before) << c.args;
      continue;
    }
    const sim::Request q = last_request();
    EXPECT_EQ(testing::hex(sim::Bytes(q.datagram.begin() + 2, q.datagram.end())), c.sent) << c.args;
  }
  const ToolRun status = run_tool("--format csv door status --model ferrin " + terminal(), dir_);
  ASSERT_EQ(status.exit_code, 0);
  EXPECT_EQ(lines(status.out).size(), 25u);
}

TEST_F(SondoTool, WatchPrintsCardAndDoorStateReports) {
  ToolRun r;
  std::thread tool([&] {
    r = run_tool("--format csv watch --model sondo --count 2 --debug " + terminal(), dir_);
  });
  bool asked = false;
  for (int i = 0; i < 500 && !(asked = sim().watcher().has_value()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  sim::DoorStateBytes state{};
  for (std::size_t i = 0; i < state.size(); ++i) state[i] = static_cast<std::uint8_t>(0x10 + i);
  const sim::Bytes card = sim::card_report({0x12, 0x34, 0xAB, 0xCD}, 3, -4, "hello");
  if (asked) {
    sim().send_to_watcher(card);
    sim().send_to_watcher(sim::door_state_report(5, state));
  }
  tool.join();
  ASSERT_TRUE(asked) << "the tool never asked for reports";
  ASSERT_EQ(r.exit_code, 0);
  EXPECT_EQ(lines(r.out).front(), "from,kind,card,date,time,a,b,text,state,change");
  EXPECT_EQ(rows_without(r.out, 1),
            (std::vector<std::string>{"card,1234ABCD,2009-05-06,07:08:09,3,-4,hello,,",
                                      "door 5,,,,,,,101112131415161718191A1B1C1D1E1F,32"}));
  // --debug shows the watch endpoint's traffic too: the request to report and each report.
  EXPECT_EQ(r.err.find("wire sent"), 0u) << r.err;
  EXPECT_NE(r.err.find(std::to_string(card.size()) + " bytes: " + testing::hex(card) + "\n"),
            std::string::npos)
      << r.err;
}

TEST_F(Tool, CardAddGetDeleteRoundTrip) {
  const std::string t = " " + terminal();
  ASSERT_EQ(run_tool("cards add" + t +
                         " 1A2B3C4D --card2 00001234 --name Ann --group 3 --security 2 "
                         "--extra 77 --expires 2030-06-15",
                     dir_)
                .exit_code,
            0);
  const ToolRun got = run_tool("--format csv cards get" + t + " 1A2B3C4D", dir_);
  ASSERT_EQ(got.exit_code, 0);
  EXPECT_EQ(lines(got.out),
            (std::vector<std::string>{"card,card2,name,group,security,extra,expires",
                                      "1a2b3c4d,00001234,Ann,3,2,77,2030-06-15"}));
  EXPECT_EQ(run_tool("cards delete" + t + " 1A2B3C4D", dir_).exit_code, 0);
  EXPECT_EQ(run_tool("cards get" + t + " 1A2B3C4D", dir_).exit_code, 6);  // not registered
  EXPECT_EQ(run_tool("cards add" + t + " 1A2B3C4", dir_).exit_code, 2);   // 7 digits
}

TEST_F(Tool, BlacklistAddThenDump) {
  const std::string t = " " + terminal();
  ASSERT_EQ(run_tool("blacklist add" + t + " 0A0B0C0D --value1 2 --value2 9", dir_).exit_code, 0);
  ASSERT_EQ(run_tool("blacklist add" + t + " 11223344", dir_).exit_code, 0);
  const ToolRun dump = run_tool("--format csv blacklist dump" + t, dir_);
  ASSERT_EQ(dump.exit_code, 0);
  EXPECT_EQ(lines(dump.out),
            (std::vector<std::string>{"card,high,low", "0A0B0C0D,2,9", "11223344,0,0"}));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "blacklist.bin"));
}

}  // namespace
}  // namespace vorskel
