// Every command of the tool against the simulated model it names (records in the model's own
// layout, its reports and their acknowledgements, its door and registration commands), and
// the failures people met with the tool, one row each: none may come back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "sim/live_reports.h"
#include "sim/record_stock.h"
#include "sim/simulator.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"
#include "tests/cli/tool_run.h"
#include "vorskel.h"

namespace vorskel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kStocked = 300;

// Every data line is a JSON object (named fields), every CSV line has the header's columns.
void expect_parses(const std::string& csv, const std::string& json, std::size_t rows) {
  const auto c = lines(csv);
  ASSERT_EQ(c.size(), rows + 1);
  const auto commas = std::count(c[0].begin(), c[0].end(), ',');
  for (const auto& l : c) {
    if (l.find('"') == std::string::npos) {
      EXPECT_EQ(std::count(l.begin(), l.end(), ','), commas) << l;
    }
  }
  const auto j = lines(json);
  ASSERT_EQ(j.size(), rows);
  const std::string first_key = "{\"" + c[0].substr(0, c[0].find(',')) + "\":";
  for (const auto& l : j) {
    EXPECT_EQ(l.rfind(first_key, 0), 0u) << l;
    EXPECT_EQ(l.back(), '}') << l;
  }
}

struct ModelCase {
  const char* model;
  const char* layout;   // records --model
  const char* watch;    // watch --model
  const char* reports;  // what the simulator sends
  const char* extra;    // one more command for the model ("" for none), @ for the terminal
};

// Test names and failures show the row, not the structure's bytes.
void PrintTo(const ModelCase& c, std::ostream* os) {
  *os << c.model << " with " << c.layout << " records";
}

std::string with_terminal(std::string args, const std::string& t) {
  for (std::size_t at; (at = args.find('@')) != std::string::npos;) args.replace(at, 1, t);
  return args;
}

const ModelCase kModels[] = {
    {"vorsk", "vorsk", "vorsk", "card", "--format csv registry dump @ --model vorsk"},
    {"vorsk", "disposal", "save2db", "saved", "blacklist dump @"},
    {"pirrel", "vorsk", "vorsk", "card", "registry dump @ --model pirrel"},
    {"nemmar", "nemmar", "nemmar", "consume", ""},
    {"nemmar", "nemmar-id", "nemmar", "consume", ""},
    {"nemmarv2", "nemmarv2", "nemmar", "consume", ""},
    {"brell", "brell", "brell", "booking", ""},
    {"doors", "sondo", "sondo", "door", "door status @ --model sondo"},
    {"sondo", "sondo-ex", "sondo", "card", "door open @ --model sondo 1"},
    {"lusk", "lusk", "sondo", "card", ""},
    {"hesk", "sondo", "hesk", "hesk", ""},
    {"gaddo", "sondo", "gaddo", "gaddo", ""},
    {"ferrin", "ferrin", "", "none", "door open @ --model ferrin 3"},
    {"ferrin", "ferrin66", "", "none", "door status @ --model ferrin"},
};

// The tool against a simulated terminal, run in a fresh working directory of its own.
class ToolTest : public testing::SimTest {
 protected:
  std::string terminal() const { return "127.0.0.1:" + std::to_string(port()); }
  ToolRun tool(const std::string& args) { return run_tool(with_terminal(args, terminal()), dir_); }

 private:
  testing::TempDir temp_{"vorskel-models-"};

 protected:
  const fs::path dir_ = temp_.path();
};

class EveryModel : public ToolTest, public ::testing::WithParamInterface<ModelCase> {
 protected:
  std::string model_name() const override { return GetParam().model; }
  void SetUp() override {
    SimTest::SetUp();
    sim().with_model([](sim::Model& m) {
      sim::stock_records(m, *sim::find_stock_layout(GetParam().layout), kStocked, false, 3);
      sim::honour_record_clears(m);
      return 0;
    });
  }
};

TEST_P(EveryModel, RecordsInItsOwnLayoutThenClearedToNone) {
  const std::string layout = GetParam().layout;
  const ToolRun csv = tool("records download @ --model " + layout + " --format csv");
  ASSERT_EQ(csv.exit_code, 0) << csv.err;
  const ToolRun json = tool("--format json records download @ --model " + layout);
  ASSERT_EQ(json.exit_code, 0) << json.err;
  expect_parses(csv.out, json.out, kStocked);
  EXPECT_NE(csv.err.find(std::to_string(kStocked) + " records"), std::string::npos) << csv.err;

  const bool ferrin = std::string(GetParam().model) == "ferrin";
  ASSERT_EQ(ferrin ? Ferrin_InitRecord(host(), port()) : Vorsk_ClearRecord(host(), port()), 0);
  const ToolRun after = tool("records download @ --model " + layout + " --format csv");
  EXPECT_EQ(after.exit_code, 0) << after.err;
  EXPECT_EQ(lines(after.out).size(), 1u) << "the cleared terminal still serves records";
}

TEST_P(EveryModel, InfoTimeAndItsOwnCommand) {
  const ToolRun info = tool("info @ --format json");
  ASSERT_EQ(info.exit_code, 0) << info.err;
  ASSERT_EQ(lines(info.out).size(), 1u);
  EXPECT_NE(info.out.find("\"record total\":\"" + std::to_string(kStocked) + "\""),
            std::string::npos)
      << info.out;
  EXPECT_EQ(tool("time set @").exit_code, 0);
  if (*GetParam().extra == '\0') return;
  const ToolRun extra = tool(GetParam().extra);
  EXPECT_EQ(extra.exit_code, 0) << GetParam().extra << ": " << extra.err;
}

TEST_P(EveryModel, WatchTakesItsOwnReportsAndAcknowledges) {
  if (*GetParam().watch == '\0') GTEST_SKIP() << "the model sends no reports";
  ToolRun r;
  std::thread t([&] {
    r = tool(std::string("--format csv watch @ --count 3 --idle 20 --model ") + GetParam().watch);
  });
  bool asked = false;
  for (int i = 0; i < 500 && !(asked = sim().watcher().has_value()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  for (unsigned n = 1; asked && n <= 3; ++n) {
    EXPECT_TRUE(sim::send_live_report(sim(), GetParam().reports, n));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  t.join();
  ASSERT_TRUE(asked) << "the tool never asked for reports";
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(lines(r.out).size(), 4u) << r.out << r.err;
  EXPECT_EQ(r.err.find("report from"), std::string::npos) << "a report was refused: " << r.err;
  const sim::ReportTally tally = sim::report_tally(sim());
  const std::string kind = GetParam().reports;
  if (kind == "saved") {
    EXPECT_EQ(tally.acknowledged, 3u);
  }
  if (kind == "booking") {
    EXPECT_EQ(tally.bookings_acknowledged, 3u);
  }
  EXPECT_EQ(tally.bad_acks, 0u);
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModel, ::testing::ValuesIn(kModels), [](const auto& info) {
  std::string name = std::string(info.param.model) + "_" + info.param.layout;
  for (char& c : name)
    if (c == '-') c = '_';
  return name;
});

// ---- the failures people met, one row each ---------------------------------------------

class Failures : public ToolTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    sim().with_model([](sim::Model& m) {
      sim::stock_records(m, *sim::find_stock_layout("vorsk"), 2000, true, 5);
      return 0;
    });
  }
  bool written(const std::string& name) const { return fs::exists(dir_ / name); }
  std::string read(const fs::path& p) const {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(Failures, WrongLayoutStopsAndWritesNothing) {
  for (const char* layout : {"nemmar-id", "nemmar", "ferrin", "lusk", "brell"}) {
    const ToolRun r = tool(std::string("records download @ --model ") + layout + " -o out.csv");
    EXPECT_EQ(r.exit_code, 8) << layout << ": " << r.err;
    EXPECT_NE(r.err.find("another model"), std::string::npos) << r.err;
    EXPECT_FALSE(written("out.csv")) << layout;
    EXPECT_FALSE(written("records")) << layout << " left record files";
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0)
      << "a scratch directory was left behind";
}

TEST_F(Failures, FilesSurviveAFailedDump) {
  ASSERT_EQ(tool("flash dump @").exit_code, 0);
  ASSERT_EQ(tool("blacklist add @ 0A0B0C0D").exit_code, 0);
  ASSERT_EQ(tool("blacklist dump @").exit_code, 0);
  const std::string flash = read(dir_ / "100007f.bin");
  const std::string blacklist = read(dir_ / "blacklist.txt");
  ASSERT_EQ(flash.size(), 262144u);
  ASSERT_FALSE(blacklist.empty());
  // Pages stop answering part-way: the dumps fail, the earlier files stay whole.
  sim().inject(4, sim::Fault{sim::FaultKind::kWrongCode, 0, 100});
  sim().inject(56, sim::Fault{sim::FaultKind::kWrongCode});
  EXPECT_EQ(tool("flash dump @").exit_code, 5);
  EXPECT_EQ(tool("blacklist dump @").exit_code, 5);
  EXPECT_EQ(read(dir_ / "100007f.bin"), flash);
  EXPECT_EQ(read(dir_ / "blacklist.txt"), blacklist);
  // A name dumps under its address, not ffffffff.bin.
  sim().clear_faults();
  EXPECT_EQ(tool("flash dump localhost:" + std::to_string(port())).exit_code, 0);
  EXPECT_FALSE(written("ffffffff.bin"));
}

TEST_F(Failures, RegistryDumpPrintsAndLeavesRegistryFileAlone) {
  const fs::path beside_tool = fs::path(VORSKEL_CLI_PATH).parent_path() / "Registry.txt";
  {
    std::ofstream keep(beside_tool);
    keep << "an earlier dump\n";
  }
  EXPECT_EQ(tool("registry dump @ --model vorsk --format csv").exit_code, 0);
  ASSERT_EQ(tool("cards add @ 1A2B3C4D --name Ann").exit_code, 0);
  for (const char* format : {"table", "csv", "json"}) {
    const ToolRun r = tool(std::string("registry dump @ --model vorsk --format ") + format);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("1A2B3C4D"), std::string::npos) << format;
    EXPECT_EQ(r.out.find("FFFFFFFF"), std::string::npos) << "an erased slot was printed";
  }
  EXPECT_EQ(read(beside_tool), "an earlier dump\n");
  fs::remove(beside_tool);
}

TEST_F(Failures, FailedWritesAreFailures) {
  const ToolRun full = tool("records download @ --model vorsk > /dev/full");
  EXPECT_EQ(full.exit_code, 7);
  EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
  EXPECT_EQ(tool("records download @ --model vorsk -o no/such/dir/out.csv").exit_code, 7);
  { std::ofstream file(dir_ / "not-a-dir"); }
  const ToolRun r = tool("records download @ --model vorsk --records-dir not-a-dir");
  EXPECT_EQ(r.exit_code, 7) << r.err;
  EXPECT_NE(r.err.find("Not a directory"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

TEST_F(Failures, CtrlCEndsOnACompleteRowAndSaysHowFar) {
  sim().inject(4, sim::Fault{sim::FaultKind::kDelay, 30});
  const fs::path out = dir_ / "out.csv", err = dir_ / "err.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen(err.c_str(), "w", stderr);
    ::execl(VORSKEL_CLI_PATH, VORSKEL_CLI_PATH, "records", "download", terminal().c_str(),
            "--model", "vorsk", "--format", "csv", "-o", out.c_str(), "--records-dir", dir_.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_TRUE(sim().wait_for_requests(10, std::chrono::seconds(10)));
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string said = read(err);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(said, m, std::regex("interrupted after (\\d+) of 2000 records")))
      << said;
  const auto rows = lines(read(out));
  EXPECT_EQ(rows.size(), std::stoul(m[1]) + 1);
  for (const auto& row : rows) EXPECT_EQ(std::count(row.begin(), row.end(), ','), 3) << row;
}

TEST_F(Failures, APageRetriedResumesThereNotFromPageZero) {
  // The fourth page read answers wrongly twice: retried, the download completes.
  sim().inject(4, sim::Fault{sim::FaultKind::kWrongCode, 0, 3, 2});
  sim().clear_requests();
  const ToolRun r = tool("records download @ --model vorsk --format csv --retries 2");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(lines(r.out).size(), 2001u);
  std::size_t first_page_reads = 0;
  const sim::Request first = [&] {
    for (const auto& q : requests())
      if (q.code() == 4) return q;
    return sim::Request{};
  }();
  for (const auto& q : requests())
    if (q.code() == 4 && q.datagram == first.datagram) ++first_page_reads;
  EXPECT_EQ(first_page_reads, 1u) << "the download started again from page 0";
  // Once the retries are spent: the failure, and the records so far kept.
  sim().inject(4, sim::Fault{sim::FaultKind::kWrongCode, 0, 3, 2});
  const ToolRun spent = tool("records download @ --model vorsk --format csv --retries 1");
  EXPECT_EQ(spent.exit_code, 5);
  EXPECT_NE(spent.err.find("incomplete"), std::string::npos) << spent.err;
}

TEST_F(Failures, CommandLineConventions) {
  struct Case {
    std::string args;
    int code;
    std::string says;  // in standard output or error
  } cases[] = {
      {"records download @ --format csv --model vorsk", 0, "card,date,time,status"},
      {"--version", 0, "vorskel 0."},
      {"help records download", 0, "Example: vorskel records download"},
      {"records downlaod @", 2, "did you mean 'download'"},
      {"recrods download @", 2, "did you mean 'records'"},
      {"help recrods", 2, "did you mean 'records'"},
      {"door open @ 1", 2, "--model"},
      {"watch @", 2, "--model"},
      {"records download @", 2, "--model"},
      {"registry dump @", 2, "--model"},
      {"cards delete @ 12345678", 1, "not registered"},
      {"blacklist delete @ 12345678", 1, "not on the blacklist"},
      {"cards add @ 12345678 --name NineBytes", 2, "holds 8"},
      {"blacklist add @ 12345678 --value1 300", 2, "0-15"},
      {"info " + std::string(64, 'x') + ".invalid", 3, "cannot resolve"},
  };
  for (const auto& c : cases) {
    const std::size_t before = requests().size();
    const ToolRun r = tool(c.args);
    EXPECT_EQ(r.exit_code, c.code) << c.args << ": " << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.args << ": " << r.out << r.err;
    if (c.code == 2) {
      EXPECT_EQ(requests().size(), before) << c.args << " sent something";
    }
  }
  for (const char* command : {"info", "time set", "records download", "watch", "cards add",
                              "registry dump", "blacklist dump", "flash dump", "door open"}) {
    const ToolRun help = tool(std::string("help ") + command);
    EXPECT_NE(help.out.find("Models"), std::string::npos) << command;
    EXPECT_NE(help.out.find("Example: vorskel"), std::string::npos) << command;
  }
}

TEST_F(Failures, SilentWatchSaysSo) {
  const ToolRun r = tool("watch @ --model vorsk --idle 1");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_NE(r.err.find("no report from"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vorskel
