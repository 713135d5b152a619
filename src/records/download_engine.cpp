#include "records/download_engine.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "records/record_file.h"
#include "terminal/record_counters.h"
#include "transport/channel.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::records {
namespace {

constexpr int kPageAddressBytes = 4;
constexpr std::uint64_t kAddressLimit = 0x100000000ULL;

// Slots that fit in the frame's payload from offset: a row with a page larger than any
// reply still never reads past the frame.
int fitting(int offset, int count, int record_bytes) {
  return std::min(count, (kMaxPayload - offset) / record_bytes);
}

int slots_of(const Paging& paging, int record_bytes) {
  return paging.slots_per_page > 0 ? paging.slots_per_page : paging.page_bytes / record_bytes;
}

// Walks the slots of one page, writing entries back to back from out.
class PageWalker {
 public:
  enum class End { kRunDone, kTotalReached, kInvalidSlot };

  PageWalker(const RecordLayout& layout, std::uint8_t* out, ScanCount* scan, InvalidSlot invalid,
             AtTotal at_total, RecordFileWriter* writer, const char* host)
      : layout_(layout),
        out_(out),
        scan_(scan),
        invalid_(invalid),
        at_total_(scan != nullptr ? at_total : AtTotal::kNoLimit),
        writer_(writer),
        host_(host != nullptr ? host : ""),
        host_text_(host_) {}

  End walk(const std::uint8_t* first, int count) {
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* record = first + i * layout_.record_bytes;
      std::uint8_t* entry = out_ + static_cast<std::size_t>(written_) * layout_.entry_bytes;
      if (layout_.valid(record)) {
        DecodedLine& line = line_;  // one line for the page: its storage is reused
        line.text.clear();
        line.date[0] = '\0';
        layout_.decode(record, entry, line);
        if (writer_ != nullptr && writer_->ready()) {
          line.text += ' ';
          line.text += host_text_;
          writer_->write_line(host_, line.date, line.text);
        }
        ++written_;
      } else {
        if (layout_.mark_invalid != nullptr) layout_.mark_invalid(record, entry);
        if (invalid_ == InvalidSlot::kEndsPage) return End::kInvalidSlot;
        if (invalid_ == InvalidSlot::kNotCounted) continue;
      }
      if (scan_ != nullptr) ++scan_->scanned;
      if (at_total_ != AtTotal::kNoLimit && scan_->scanned >= scan_->total)
        return End::kTotalReached;
    }
    return End::kRunDone;
  }

  int written() const { return written_; }

 private:
  const RecordLayout& layout_;
  std::uint8_t* out_;
  ScanCount* scan_;
  InvalidSlot invalid_;
  AtTotal at_total_;
  RecordFileWriter* writer_;
  const char* host_;
  std::string_view host_text_;  // measured once for the whole page
  DecodedLine line_;
  int written_ = 0;
};

// Reads one page into the frame; returns the transaction result.
int read_page(Frame& f, int reply_len, std::uint32_t address, const char* host, int port) {
  f.put32(0, address);
  return f.exchange(kPageAddressBytes, reply_len, host, port);
}

}  // namespace

RecordPointers& shared_record_pointers() {
  static RecordPointers pointers;
  return pointers;
}

ScanCount& shared_scan_count() {
  static ScanCount scan;
  return scan;
}

Order reading_order(const RecordPointers& p) {
  if (p.cycle == 0) return Order::kLinear;
  if (p.cycle == 1 && p.start > p.end) return Order::kWrapped;
  return Order::kWholeArea;
}

PagePlan plan_page(const Paging& paging, int record_bytes, const RecordPointers& p, int page) {
  PagePlan plan;
  plan.result = paging.past_data;
  const bool by_cycle = paging.bounds == Bounds::kCycleByte;
  if (page < 0) return plan;
  if (p.start == p.end && (!by_cycle || p.end == p.area_end)) return plan;
  const std::uint64_t S = p.start, E = p.end;
  // Between the pointers alone, the end pointer is the only end.
  const std::uint64_t A = by_cycle ? p.area_end : E;
  const std::uint64_t size = static_cast<std::uint64_t>(paging.page_bytes);
  const Order order = by_cycle ? reading_order(p) : Order::kLinear;
  std::uint64_t O = static_cast<std::uint64_t>(page) * size;
  // The shared-pointer readers' slots lie at fixed places in each page (a page may end in
  // spare bytes): their linear reading counts pages from the one holding the start pointer.
  const bool paged_linear = paging.runs == PageRuns::kWholePage && order == Order::kLinear;
  if (paged_linear) {
    O += S - S % size;
    if (O >= E) return plan;
  } else if (order == Order::kLinear) {
    O += S;
    if (O >= E) return plan;
  } else if (order == Order::kWrapped) {
    // Only a page lying wholly in [end, start) is the gap: one holding the start pointer,
    // however far into it, gives the oldest records from there on.
    const bool gap = E <= O && O < S && O + size <= S;
    if (gap) {
      plan.result = 0;
      return plan;
    }
  }
  if (O >= A || O >= kAddressLimit) return plan;

  plan.read = true;
  plan.result = 0;
  plan.address = static_cast<std::uint32_t>(O);
  const int slots = slots_of(paging, record_bytes);
  const std::uint64_t rb = static_cast<std::uint64_t>(record_bytes);
  auto run = [&](std::uint64_t offset, std::uint64_t bytes) {
    plan.runs[plan.run_count++] = {static_cast<int>(offset),
                                   static_cast<int>(std::min<std::uint64_t>(bytes / rb, slots))};
  };
  const std::uint64_t P = O + size;
  // The shared-pointer readers take nothing before the start pointer or past the end
  // pointer: the slots there hold the previous cycle's records, which were read before.
  if (paged_linear) {
    const std::uint64_t from = std::max(O, S);
    run(from - O, std::min(P, E) - from);
    return plan;
  }
  if (order != Order::kWrapped) {
    run(0, static_cast<std::uint64_t>(slots) * rb);
    return plan;
  }
  if (O < E && E < P && P <= S) {  // the newest records end inside this page
    run(0, E - O);
  } else if (O < S && S < P && O >= E) {  // the oldest records begin inside this page
    run(S - O, std::min(P, A) - S);
  } else if (O < S && S <= P && O < E) {  // both pointers: newest part, then oldest part
    run(0, E - O);
    run(S - O, std::min(P, A) - S);
  } else if (P > A) {  // the area ends inside this page
    run(0, A - O);
  } else {
    run(0, static_cast<std::uint64_t>(slots) * rb);
  }
  return plan;
}

int load_record_pointers(RecordPointers& p, const char* host, int port) {
  p = RecordPointers{};
  const Reply<RecordPointers> reply = terminal::read_record_pointers(host, port);
  if (reply.ok()) p = reply.value;
  return reply.result;
}

int load_record_total(ScanCount& scan, const char* host, int port) {
  const Reply<RecordTotal> reply = terminal::read_record_total(host, port);
  if (reply.ok()) scan.total = reply.value.records;
  return reply.result;
}

int download_page(const DownloadRow& row, DownloadState state, std::uint8_t* out, int page,
                  const char* host, int port) {
  const Paging& paging = row.paging;
  if (out == nullptr || page < 0) return kEndOfData;
  std::optional<RecordFileWriter> writer;
  if (paging.files != RecordFiles::kNone) writer.emplace();

  if (page == 0) {
    int r = load_record_pointers(*state.pointers, host, port);
    if (r != 0) return r;
    if (state.scan != nullptr) {
      if (paging.queries == Page0Queries::kPointersAndTotal) {
        r = load_record_total(*state.scan, host, port);
        if (r != 0) return r;
      }
      state.scan->scanned = 0;
    }
  }

  std::unique_lock<std::recursive_mutex> read_lock;
  if (paging.lock == ReadLock::kRecordRead)
    read_lock = std::unique_lock<std::recursive_mutex>(current_channel().record_read_lock());

  const PagePlan plan = plan_page(paging, row.layout.record_bytes, *state.pointers, page);
  if (!plan.read) return plan.result;

  Frame f(paging.read_code);
  const int r = read_page(f, paging.read_reply_len, plan.address, host, port);
  if (r != 0) return r;
  // A reply cut short would leave request bytes where records should be: those records would
  // be skipped and the download would go on as if they never existed. Fail the page instead,
  // so the host asks for it again.
  int needed = 0;
  for (int i = 0; i < plan.run_count; ++i) {
    const Run& run = plan.runs[i];
    needed = std::max(needed, run.offset + fitting(run.offset, run.count, row.layout.record_bytes) *
                                               row.layout.record_bytes);
  }
  if (f.received_payload() < needed) return kNoReply;

  PageWalker walker(row.layout, out, state.scan, paging.invalid, paging.at_total,
                    paging.files == RecordFiles::kLines ? &*writer : nullptr, host);
  for (int i = 0; i < plan.run_count; ++i) {
    const Run& run = plan.runs[i];
    const PageWalker::End end = walker.walk(
        f.payload() + run.offset, fitting(run.offset, run.count, row.layout.record_bytes));
    if (end == PageWalker::End::kInvalidSlot) break;
    if (end == PageWalker::End::kTotalReached && paging.at_total == AtTotal::kEndPage) break;
  }
  return walker.written();
}

int read_raw_page(const RawPageRow& row, std::uint8_t* out, int page, const char* host, int port) {
  if (out == nullptr || page < 0) return kEndOfData;
  std::optional<RecordFileWriter> writer;
  if (row.files != RecordFiles::kNone) writer.emplace();

  const std::uint32_t address = static_cast<std::uint32_t>(std::min(page, row.last_page)) *
                                static_cast<std::uint32_t>(row.stride);
  Frame f(row.read_code);
  const int r = read_page(f, row.read_reply_len, address, host, port);
  if (r != 0) return r;

  PageWalker walker(row.layout, out, nullptr, row.invalid, AtTotal::kNoLimit,
                    row.files == RecordFiles::kLines ? &*writer : nullptr, host);
  walker.walk(f.payload(), fitting(0, row.slots, row.layout.record_bytes));
  return walker.written();
}

}  // namespace vorskel::records
