// Vorskel's C++ interface for programs built with the library (the vorskel tool, the site
// service): contexts, and typed calls for the work those programs do most.
//
// A context is one command channel to terminals: a UDP command endpoint of its own, a
// command lock that serialises the transactions run on it, its receive time-out and its
// retry policy. Every call below runs its transactions on the context it is given, so
// contexts used from different threads talk to different terminals at the same time, each
// waiting only for its own replies. The 244 exports of vorskel.h keep running on the
// process context (Context::process()): its endpoint is the one Vorsk_OpenSocket opens and
// Sondo_Bind_Port binds, and its behaviour is exactly that of the exports.
//
// Threads: a context may be used from several threads; their transactions then take turns
// under its command lock, as the exports do on the process context. Parallel work wants one
// context per thread (or per terminal). Open, close and change the time-out of a context only
// while no other thread runs a call on it.
//
// Lifetime: a context owns its socket from open() until close() or destruction; it must
// outlive every call that uses it. Context::process() lives as long as the library.
//
// Not per context: the watch endpoint (Vorsk_OpenWatch) and the download states of the
// record exports stay process-wide; a RecordDownload keeps a download state of its own.
//
// Results are the exports' codes: 0 (VORSKEL_OK), VORSKEL_ERR_SEND (-20),
// VORSKEL_ERR_NO_REPLY (-21), VORSKEL_ERR_WRONG_CODE (-22), -1 for a refused argument or the
// end of the data.
//
// Linking: these calls live in the static library `vorskel_cxx` (the same objects as the
// shared library, whose export table stays the 244 C names). A program linking vorskel_cxx
// also gets the C exports from it and must not link the shared library as well.
#pragma once

#include <memory>
#include <string>

#include "vorskel.h"

namespace vorskel {

class Channel;  // the library's side of a context

struct ContextOptions {
  int local_port = 0;             // 0: a port of the system's choosing
  int receive_timeout_ms = 6000;  // per receive; 0 waits for ever
  int retries = 0;                // extra sends of the same request after a time-out
};

class Context {
 public:
  explicit Context(const ContextOptions& options = {});
  ~Context();  // closes the socket
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // The exports' context.
  static Context& process();

  // Opens the socket, binds the local port and sets the time-out. 0; -1 if already open;
  // -3 if no socket can be created; -2 if the bind is refused (the socket is closed again).
  // The process context binds Sondo_Bind_Port's command port and, like Vorsk_OpenSocket,
  // keeps an unbound socket when the bind is refused.
  int open();
  int close();
  bool is_open() const;
  int local_port() const;  // 0 while closed

  // Changing the policy takes effect at the next transaction. On the process context it
  // changes what the exports do (they never retry unless told to here).
  int set_receive_timeout(int milliseconds);
  void set_retries(int retries);

  Channel& channel() const { return *channel_; }

 private:
  struct Process {};
  explicit Context(Process);

  std::unique_ptr<Channel> owned_;
  Channel* channel_;
  ContextOptions options_;
};

// Runs every device function the calling thread calls, the C exports included, on a context
// until the scope ends. Scopes nest. For device functions that have no typed call below;
// the exports' download states stay shared by all contexts.
class ContextScope {
 public:
  explicit ContextScope(Context& context);
  ~ContextScope();
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  Channel* previous_;
};

// A result code and, when it is 0, a value.
template <class T>
struct Reply {
  int result = VORSKEL_OK;
  T value{};
  bool ok() const { return result == VORSKEL_OK; }
};

// The record-pointer query's answer (command 18).
struct RecordPointers {
  unsigned int start = 0;     // first byte of the stored records
  unsigned int end = 0;       // where the terminal writes its next record
  unsigned int area_end = 0;  // first byte past the record area (which starts at 0)
  unsigned int cycle = 0;     // 0 linear, 1 wrapped once, 2 or more whole area in use
  unsigned int registration[3] = {0, 0, 0};  // registration area: end, (unused), start
};

// The count query's answer (command 11).
struct RecordTotal {
  unsigned int records = 0;
  unsigned int second_count = 0;
};

Reply<RecordPointers> read_record_pointers(Context& context, const char* host, int port);
Reply<RecordTotal> read_record_total(Context& context, const char* host, int port);

// The PC's local time to the terminal.
int set_time(Context& context, const char* host, int port);
// Deletes the stored records (the terminal keeps its registrations).
int clear_records(Context& context, const char* host, int port);

// The main terminal's card registrations (Vorsk_Registry's layout). Results as the export's:
// a transaction's failure, -1 for a null card or entry, or the terminal's answer (the
// operation's type, 1 store, 2 delete, 3 read back, when it did it; 255 when the card is not
// registered or the store is full). card: the card's 8 hexadecimal digits.
int write_registration(Context& context, const VorskRegistryEntry& entry, const char* host,
                       int port);
int delete_registration(Context& context, const char* card, const char* host, int port);
// out receives the terminal's copy when the exchange succeeded (a result of 0 or more).
int read_registration(Context& context, const char* card, VorskRegistryEntry& out, const char* host,
                      int port);

// The main terminal's record download (Vorsk_Record's pages, entries and record files) with
// a download state of its own, so downloads on different contexts run side by side.
class RecordDownload {
 public:
  RecordDownload(Context& context, std::string host, int port);
  ~RecordDownload();
  RecordDownload(const RecordDownload&) = delete;
  RecordDownload& operator=(const RecordDownload&) = delete;

  static constexpr int kEntriesPerPage = 32;
  static constexpr int kEntryBytes = 54;

  // Page 0 queries the pointers afresh. out: kEntriesPerPage x kEntryBytes bytes. Returns
  // the entries written, 0 for a page in the empty gap, -1 past the data, or a failure.
  int page(int number, unsigned char* out);

 private:
  struct State;
  Context& context_;
  std::string host_;
  int port_;
  std::unique_ptr<State> state_;
};

}  // namespace vorskel
