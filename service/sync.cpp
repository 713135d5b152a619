#include "service/sync.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "service/events.h"
#include "service/ring_position.h"

namespace vorskel::site {
namespace {

constexpr int kMaxPages = 1 << 20;    // a bound well past any terminal's record area
constexpr int kDownloadAttempts = 3;  // downloads again when records arrive meanwhile
// Below this many slots a few invalid ones are no sign of a foreign layout.
constexpr long kFewSlots = 16;

class TerminalFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string cause(int result) {
  switch (result) {
    case -20:
      return "send failed (cannot resolve the host or no socket)";
    case -21:
      return "no reply";
    case -22:
      return "unexpected reply";
    default:
      return "refused with status " + std::to_string(result);
  }
}

class Run {
 public:
  Run(const TerminalConfig& t, Database& db, RecordSource& source, const SyncOptions& o,
      const ProgressFn& progress, SyncReport& report)
      : t_(t),
        db_(db),
        source_(source),
        model_(source.model()),
        options_(o),
        progress_(progress),
        report_(report) {}

  void run() {
    db_.register_terminal(t_);
    Pointers at;
    std::vector<Page> pages;
    for (int attempt = 0;; ++attempt) {
      at = pointers();
      pages = download();
      if (pointers() == at) break;
      if (attempt + 1 == kDownloadAttempts)
        throw TerminalFault("records kept arriving during the download; nothing stored");
    }
    const std::vector<const std::uint8_t*> entries = age_order(pages, at, model_);
    refuse_foreign_layout(entries, at);
    report_.downloaded = static_cast<long>(entries.size());

    const Position stored = db_.position(t_.name, model_.name);
    const Resume resume = resume_from(stored, at, report_.downloaded, model_);
    report_.already = resume.skip;
    report_.lost = resume.lost;
    add_note(resume.note);
    if (!stored.present && at.cycle >= 2)
      add_note("the record area is full: records older than the oldest here may be lost");
    store(entries, at, stored, resume);
    if (t_.clear_after_sync && report_.downloaded > 0) clear(at);
  }

 private:
  void add_note(const std::string& note) {
    if (note.empty()) return;
    if (!report_.note.empty()) report_.note += "; ";
    report_.note += note;
  }

  // Each query or page is tried again after a pause that doubles, a bounded number of times.
  template <class F>
  int retried(const std::string& what, F&& attempt) {
    int result = 0;
    int pause = t_.backoff_ms;
    for (int i = 0; i <= t_.retries; ++i) {
      result = attempt();
      if (result >= -1) return result;
      if (i < t_.retries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        pause = std::min(std::max(pause * 2, 1), options_.max_backoff_ms);
      }
    }
    throw TerminalFault(what + ": " + cause(result) + " after " + std::to_string(t_.retries + 1) +
                        " attempts");
  }

  Pointers pointers() {
    Pointers p;
    retried("record pointers", [&] { return source_.pointers(p); });
    return p;
  }

  std::vector<Page> download() {
    std::vector<Page> pages;
    long records = 0;
    std::vector<std::uint8_t> buffer;
    for (int page = 0; page < kMaxPages; ++page) {
      const int n = retried("records page " + std::to_string(page),
                            [&] { return source_.read_page(page, buffer); });
      if (n == -1 || (n == 0 && model_.end == EndRule::kZero)) break;
      const int count = std::min(n, model_.entries_per_page);
      if (count > 0) {
        buffer.resize(static_cast<std::size_t>(count * model_.entry_bytes));
        pages.push_back(Page{page, count, buffer});
      }
      records += count;
      report_.pages = page + 1;
      if (progress_) progress_(report_.pages, records);
    }
    return pages;
  }

  // A layout that does not fit the terminal decodes every record into a date that cannot be.
  // So does one whose validity mark no slot carries: the terminal's pointers say it holds
  // records, yet none decodes. Refusing matters most before a clear, which would empty a
  // terminal of records nobody has read.
  void refuse_foreign_layout(const std::vector<const std::uint8_t*>& entries, const Pointers& at) {
    const long slots = slots_held(at, model_);
    if (slots >= kFewSlots && static_cast<long>(entries.size()) * 2 < slots)
      throw TerminalFault("only " + std::to_string(entries.size()) + " of about " +
                          std::to_string(slots) + " stored records decode under the '" +
                          std::string(model_.name) +
                          "' layout: wrong model for this terminal? nothing stored");
    if (entries.empty() && slots > 0)
      throw TerminalFault("the terminal holds records but none decodes under the '" +
                          std::string(model_.name) +
                          "' layout: wrong model for this terminal? nothing stored");
    if (entries.empty() || !has_dates(model_)) return;
    for (const std::uint8_t* e : entries)
      if (event_of(model_, e).occurred_at) return;
    throw TerminalFault("no record has a valid date under the '" + std::string(model_.name) +
                        "' layout: wrong model for this terminal? nothing stored");
  }

  void store(const std::vector<const std::uint8_t*>& entries, const Pointers& at,
             const Position& stored, const Resume& resume) {
    const long batch = static_cast<long>(options_.batch_pages) * model_.entries_per_page;
    const long total = static_cast<long>(entries.size());
    long done = resume.skip;
    std::vector<Event> events;
    if (resume.lost > 0) events.push_back(gap_event(model_, resume.lost));
    if (done == total && events.empty() && stored.present && stored.at == at &&
        stored.stored == total)
      return;  // nothing new, nothing to move
    do {
      const long end = std::min(total, done + batch);
      for (long i = done; i < end; ++i) events.push_back(event_of(model_, entries[i]));
      db_.store(t_.name, model_.name, events, Position{true, at, end});
      report_.stored += end - done;
      done = end;
      events.clear();
    } while (done < total);
  }

  // Only once every record on the terminal is committed; and not when records arrived since
  // the download (the clear would take them with it).
  void clear(const Pointers& at) {
    if (pointers() != at) {
      add_note("not cleared: new records arrived after the download");
      return;
    }
    retried("clear", [&] { return source_.clear(); });
    report_.cleared = true;
    // The emptied window as the new position; should this fail, the stored one still tells
    // (the start pointer has moved up to its end).
    Pointers now;
    if (source_.pointers(now) == 0) db_.store(t_.name, model_.name, {}, Position{true, now, 0});
  }

  const TerminalConfig& t_;
  Database& db_;
  RecordSource& source_;
  const RecordModel& model_;
  const SyncOptions& options_;
  const ProgressFn& progress_;
  SyncReport& report_;
};

}  // namespace

SyncReport sync_terminal(const TerminalConfig& terminal, Database& db, RecordSource& source,
                         const SyncOptions& options, const ProgressFn& progress) {
  SyncReport report;
  report.terminal = terminal.name;
  report.model = source.model().name;
  const auto started = std::chrono::steady_clock::now();
  try {
    Run(terminal, db, source, options, progress, report).run();
    report.ok = true;
  } catch (const DatabaseError& e) {
    report.error = std::string("database: ") + e.what();
  } catch (const std::exception& e) {
    report.error = e.what();
  }
  report.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return report;
}

}  // namespace vorskel::site
