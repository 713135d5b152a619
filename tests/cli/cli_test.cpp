// The vorskel tool against the simulator: output formats, a full download compared with the
// simulator's store, and one exit code per class of failure.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "support/sim_fixture.h"

namespace vorskel {
namespace {

struct ToolRun {
  int exit_code = -1;
  std::string out;
};

// Runs the tool in dir with stdout captured and stderr discarded.
ToolRun run_tool(const std::string& args, const std::filesystem::path& dir) {
  const std::string cmd =
      "cd '" + dir.string() + "' && '" + VORSKEL_CLI_PATH + "' " + args + " 2>/dev/null";
  ToolRun r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int status = ::pclose(p);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

class Tool : public testing::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("vorskel-cli-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    SimTest::TearDown();
  }
  std::string terminal() const { return "127.0.0.1:" + std::to_string(port()); }
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

  const ToolRun r = run_tool("--format csv records download " + terminal(), dir_);
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

TEST_F(Tool, JsonLinesAndTable) {
  const ToolRun json = run_tool("--format json info " + terminal(), dir_);
  ASSERT_EQ(json.exit_code, 0);
  for (const auto& l : lines(json.out)) {
    EXPECT_EQ(l.front(), '{');
    EXPECT_EQ(l.back(), '}');
    EXPECT_NE(l.find("\"item\":"), std::string::npos);
  }
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
      {"info no-such-terminal.invalid", 3},  // cannot send
      {"info " + terminal(), 5},             // a reply with another command code
      {"info 127.0.0.1:notaport", 2},        // usage
      {"records download --model nosuch " + terminal(), 2},
  };
  for (const auto& c : cases) EXPECT_EQ(run_tool(c.args, dir_).exit_code, c.code) << c.args;
}

TEST_F(Tool, NoReplyIsItsOwnClass) {
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kNoReply});
  EXPECT_EQ(run_tool("time set " + terminal(), dir_).exit_code, 4);
}

}  // namespace
}  // namespace vorskel
