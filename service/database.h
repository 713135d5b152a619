// Where a site's events land: one interface over SQLite (built in, the default) and
// PostgreSQL (by URL). Each opens or creates its database and brings the schema to the
// current version before anything else.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "service/site_config.h"

namespace vorskel::site {

inline constexpr int kSchemaVersion = 1;

// The terminal's record pointers as the record-pointer query gives them.
struct Pointers {
  std::uint32_t start = 0, end = 0, area_end = 0, cycle = 0;
  bool operator==(const Pointers&) const = default;
};

// How far a terminal's records are stored: `stored` records of the window that began at
// at.start (oldest first) are in the database.
struct Position {
  bool present = false;
  Pointers at;
  long stored = 0;
};

struct Event {
  std::string kind;  // attendance, payment, door, ..., or gap (records lost on the terminal)
  std::string card;
  std::optional<std::string> occurred_at;  // 'YYYY-MM-DD HH:MM:SS' when the record has one
  std::string status;
  std::vector<std::uint8_t> raw;  // the entry as the library decoded it
  std::string detail;             // every field of the entry, "name=value; ..."
  std::optional<long> lost;       // gap rows: records lost
};

class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Database {
 public:
  virtual ~Database() = default;
  virtual std::string describe() const = 0;
  virtual void register_terminal(const TerminalConfig& terminal) = 0;
  virtual Position position(const std::string& terminal, const std::string& model) = 0;
  // One transaction: the events (source 'record') and the terminal's new position; on any
  // failure nothing of it is stored.
  virtual void store(const std::string& terminal, const std::string& model,
                     const std::vector<Event>& events, const Position& position) = 0;
  // Rows of a query as texts (NULL as an empty text), for tools and tests.
  virtual std::vector<std::vector<std::string>> query(const std::string& sql) = 0;
};

// "sqlite:FILE" or "postgresql://..." (also "postgres://").
std::unique_ptr<Database> open_database(const std::string& url);
std::unique_ptr<Database> open_sqlite(const std::string& file);
std::unique_ptr<Database> open_postgres(const std::string& url);

// The current time in UTC as 'YYYY-MM-DD HH:MM:SS' (received_at).
std::string utc_now_text();

}  // namespace vorskel::site
