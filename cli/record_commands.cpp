// records download: the paged download to its end, decoded into memory and checked against
// the chosen layout before anything is written; then the rows printed and the record files
// added to the record directory.
//
// The library appends each record to records/<host>/<date>.rcd under the current directory
// as it decodes a page. The tool runs the download from a scratch directory beside the record
// directory, so a download that does not fit its layout, or fails, leaves no record file
// behind; the scratch files are appended to the real ones only when the records are good.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/files.h"
#include "cli/interrupt.h"
#include "cli/layout_check.h"
#include "cli/progress.h"
#include "cli/target.h"
#include "service/record_models.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

namespace fs = std::filesystem;
using site::EndRule;
using site::field_text;
using site::find_record_model;
using site::record_models;
using site::RecordModel;

constexpr int kMaxPages = 1 << 20;  // a bound well past any terminal's record area

struct DownloadArgs {
  std::string address;
  std::string model;
  std::string output = "-";
  std::string records_dir = ".";
  bool record_files = true;
  int retries = 3;
};

struct Fetched {
  std::vector<std::vector<std::string>> rows;
  int pages = 0;
  bool interrupted = false;
  std::optional<Failure> failure;  // a page that failed every retry
};

// One page, tried again while it gets no good answer; the download state stays on this page,
// so a retry resumes here, never from page 0.
int read_page_with_retries(const RecordModel& model, unsigned char* buffer, int page,
                           const Target& t, int retries, const InterruptFlag& stop) {
  const std::size_t bytes = static_cast<std::size_t>(model.entry_bytes * model.entries_per_page);
  for (int attempt = 0;; ++attempt) {
    std::fill(buffer, buffer + bytes, 0);
    const int n = model.read_page(buffer, page, t.host.c_str(), t.port);
    if (n >= -1 || attempt >= retries || stop.raised()) return n;
    std::fprintf(stderr, "%s: page %d got result %d; trying it again (%d of %d)\n",
                 t.text().c_str(), page, n, attempt + 1, retries);
  }
}

Fetched fetch(const RecordModel& model, const Target& t, long expected, int retries,
              const InterruptFlag& stop) {
  Fetched f;
  Progress progress("records", expected);
  std::vector<unsigned char> buffer(
      static_cast<std::size_t>(model.entry_bytes * model.entries_per_page), 0);
  for (; f.pages < kMaxPages; ++f.pages) {
    if (stop.raised()) {
      f.interrupted = true;
      break;
    }
    const int n = read_page_with_retries(model, buffer.data(), f.pages, t, retries, stop);
    if (n == -1) break;  // the download is over
    if (n == 0 && model.end == EndRule::kZero) break;
    if (n < -1) {
      if (stop.raised()) {
        f.interrupted = true;
        break;
      }
      try {
        check(n, t,
              "records page " + std::to_string(f.pages) + " (tried " + std::to_string(retries + 1) +
                  " times)");
      } catch (const Failure& e) {
        f.failure = e;
      }
      break;
    }
    for (int i = 0; i < n && i < model.entries_per_page; ++i) {
      const unsigned char* entry = buffer.data() + i * model.entry_bytes;
      std::vector<std::string> values;
      for (const auto& field : model.fields) values.push_back(field_text(entry, field));
      f.rows.push_back(std::move(values));
    }
    progress.update(f.pages + 1, static_cast<long>(f.rows.size()));
  }
  progress.done();
  return f;
}

// The record files the library wrote in the scratch directory, appended to the real ones.
void add_record_files(const fs::path& scratch, const fs::path& records_dir) {
  const fs::path from = scratch / "records";
  if (!fs::exists(from)) return;
  for (const auto& e : fs::recursive_directory_iterator(from)) {
    if (!e.is_regular_file()) continue;
    const fs::path target = records_dir / "records" / fs::relative(e.path(), from);
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) throw Failure(kExitFile, target.parent_path().string() + ": " + ec.message());
    append_file(e.path(), target);
  }
}

void download(const Options& options, const DownloadArgs& args) {
  const RecordModel* model = find_record_model(args.model);
  if (model == nullptr) throw std::invalid_argument("unknown record model " + args.model);
  if (args.retries < 0) throw std::invalid_argument("--retries is 0 or more");
  const Target t = parse_target(args.address);
  const fs::path records_dir = fs::absolute(args.records_dir);
  OutputFile out_file(args.output);  // before the download: an unwritable target fails first
  ScratchDir scratch(args.record_files ? records_dir : fs::temp_directory_path());
  Session session(options);

  long expected = 0;
  if (model->uses_record_total) {
    unsigned total = 0, second = 0;
    if (Vorsk_GetTotal(&total, &second, t.host.c_str(), t.port) == 0) expected = total;
  }
  const auto started = std::chrono::steady_clock::now();
  Fetched got;
  {
    InterruptFlag stop;
    ScratchDir::RunInside inside(scratch);
    got = fetch(*model, t, expected, args.retries, stop);
  }
  const long n = static_cast<long>(got.rows.size());
  const LayoutVerdict verdict = check_layout(*model, got.rows);
  if (!verdict.fits())
    throw Failure(kExitWrongLayout,
                  "records: " + std::to_string(verdict.checked) + " records from " + t.text() +
                      " do not fit the " + model->name + " layout (" +
                      std::to_string(verdict.impossible) + " impossible dates, " +
                      std::to_string(verdict.backwards) + " steps back in time, such as '" +
                      verdict.example + "'): is the terminal another model? Nothing written");
  if (expected > 0 && n == 0 && !got.interrupted && !got.failure)
    throw Failure(kExitWrongLayout, "records: " + t.text() + " counts " + std::to_string(expected) +
                                        " records but none has the " + model->name +
                                        " layout's mark: is the terminal another model?");

  std::vector<std::string> columns;
  for (const auto& f : model->fields) columns.push_back(f.name);
  {
    RowWriter out(session.format(), columns, out_file.stream());
    for (const auto& row : got.rows) out.row(row);
  }
  out_file.commit(std::to_string(n) + " records");
  if (args.record_files) add_record_files(scratch.path(), records_dir);
  const double secs =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string of = expected > 0 ? " of " + std::to_string(expected) : "";
  if (got.interrupted)
    throw Failure(kExitInterrupted, "interrupted after " + std::to_string(n) + of + " records");
  if (got.failure)
    throw Failure(got.failure->code(), std::string(got.failure->what()) +
                                           "; the download is "
                                           "incomplete: " +
                                           std::to_string(n) + " records kept");
  std::fprintf(stderr, "%s: %ld records in %d pages, %.2f s\n", t.text().c_str(), n, got.pages,
               secs);
}

}  // namespace

void add_record_commands(CLI::App& app, const Options& options) {
  static DownloadArgs args;
  auto* records = app.add_subcommand("records", "Download a terminal's records");
  records->require_subcommand(1);
  auto* dl = records->add_subcommand(
      "download",
      "Page through the records to the end, check that they fit the layout, print them and "
      "append them to records/<host>/<date>.rcd");
  dl->add_option("terminal", args.address, kTerminalHelp)->required();
  std::vector<std::string> names;
  std::string help = "record layout, by the terminal model that stores it:";
  for (const auto& m : record_models()) {
    names.push_back(m.name);
    help += std::string("\n  ") + m.name + ": " + m.description;
  }
  dl->add_option("--model", args.model, help)->required()->check(CLI::IsMember(names));
  dl->add_option("--output,-o", args.output, "write the records to FILE ('-': standard output)");
  dl->add_option("--records-dir", args.records_dir,
                 "directory that holds records/<host>/ (default: the current directory)");
  dl->add_flag("!--no-record-files", args.record_files, "write no record files");
  dl->add_option("--retries", args.retries,
                 "times to ask again for a page that got no good answer (default 3); each "
                 "try waits --timeout ms for the reply");
  dl->footer(
      "Models: every terminal that keeps records (vorsk, pirrel, nemmar, nemmarv2, brell, "
      "sondo, kappel, lusk, hesk, gaddo, ferrin); --model names its record layout.\n"
      "A download whose dates do not fit the layout stops with exit 8 and writes nothing.\n"
      "Ctrl-C ends after the page in flight: the rows so far are written, exit 130.\n"
      "Example: vorskel records download 127.0.0.1:5200 --model vorsk --format csv -o "
      "records.csv");
  on_run(dl, options, [](const Options& o) { download(o, args); });
}

}  // namespace vorskel::cli
