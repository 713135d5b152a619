// records download: the paged download to its end, with the record files written as the
// library writes them, and the decoded entries printed.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/progress.h"
#include "cli/target.h"
#include "service/record_models.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

using site::EndRule;
using site::field_text;
using site::find_record_model;
using site::record_models;
using site::RecordModel;

constexpr int kMaxPages = 1 << 20;  // a bound well past any terminal's record area

struct DownloadArgs {
  std::string address;
  std::string model = "vorsk";
};

void download(const Options& options, const DownloadArgs& args) {
  const RecordModel* model = find_record_model(args.model);
  if (model == nullptr) throw std::invalid_argument("unknown record model " + args.model);
  const Target t = parse_target(args.address);
  Session session(options);

  long expected = 0;
  if (model->uses_record_total) {
    unsigned total = 0, second = 0;
    if (Vorsk_GetTotal(&total, &second, t.host.c_str(), t.port) == 0) expected = total;
  }
  std::vector<std::string> columns;
  for (const auto& f : model->fields) columns.push_back(f.name);
  RowWriter out(session.format(), columns);
  Progress progress("records", expected);
  std::vector<unsigned char> page_buffer(
      static_cast<std::size_t>(model->entry_bytes * model->entries_per_page), 0);
  long records = 0;
  int page = 0;
  const auto started = std::chrono::steady_clock::now();
  for (; page < kMaxPages; ++page) {
    std::fill(page_buffer.begin(), page_buffer.end(), 0);
    const int n = model->read_page(page_buffer.data(), page, t.host.c_str(), t.port);
    if (n == -1) break;  // the download is over
    if (n == 0 && model->end == EndRule::kZero) break;
    if (n < -1) {
      progress.done();
      out.finish();
      check(n, t,
            "records page " + std::to_string(page) + " (after " + std::to_string(records) +
                " records; the download is incomplete)");
    }
    for (int i = 0; i < n && i < model->entries_per_page; ++i) {
      const unsigned char* entry = page_buffer.data() + i * model->entry_bytes;
      std::vector<std::string> values;
      for (const auto& f : model->fields) values.push_back(field_text(entry, f));
      out.row(values);
    }
    records += n;
    progress.update(page + 1, records);
  }
  progress.done();
  out.finish();
  const double secs =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "%s: %ld records in %d pages, %.2f s\n", t.text().c_str(), records, page,
               secs);
}

}  // namespace

void add_record_commands(CLI::App& app, const Options& options) {
  static DownloadArgs args;
  auto* records = app.add_subcommand("records", "Download a terminal's records");
  records->require_subcommand(1);
  auto* dl = records->add_subcommand(
      "download",
      "Page through the records to the end, append them to records/<host>/<date>.rcd in the "
      "current directory, and print them");
  dl->add_option("terminal", args.address, kTerminalHelp)->required();
  std::vector<std::string> names;
  std::string help = "record layout:";
  for (const auto& m : record_models()) {
    names.push_back(m.name);
    help += std::string(" ") + m.name + " (" + m.description + ");";
  }
  dl->add_option("--model", args.model, help)->check(CLI::IsMember(names));
  on_run(dl, options, [](const Options& o) { download(o, args); });
}

}  // namespace vorskel::cli
